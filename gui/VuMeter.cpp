#include "gui/VuMeter.h"

#include <algorithm>
#include <cmath>

namespace gui {

VuMeter::VuMeter(const Rect& size, const Bitmap& lit, const Bitmap& unlit, int segments,
                 Orientation orientation)
    : Control(size, nullptr, -1), lit_(lit), unlit_(unlit), segments_(std::max(segments, 1)),
      orientation_(orientation)
{
    setMouseEnabled(false);
    setDefaultValue(0.0f);
}

void VuMeter::setValue(float v)
{
    if (!std::isnan(v) && v < value() - fallStep_)
        v = value() - fallStep_;
    Control::setValue(v);
}

int VuMeter::litSegments() const
{
    return std::clamp(int(value() * float(segments_) + 0.5f), 0, segments_);
}

void VuMeter::draw(Painter& painter)
{
    const Point at = size().topLeft();
    if (!unlit_.isNull())
        painter.drawImage(unlit_.image(), unlit_.image().bounds(), at);
    if (lit_.isNull())
        return;
    const int lit = litSegments();
    if (orientation_ == Orientation::horizontal) {
        const int w = size().width() * lit / segments_;
        painter.drawImage(lit_.image(), {0, 0, w, size().height()}, at);
    } else {
        const int h = size().height() * lit / segments_;
        const int top = size().height() - h;
        painter.drawImage(lit_.image(), {0, top, size().width(), size().height()}, at.offset(0, top));
    }
}

} // namespace gui
