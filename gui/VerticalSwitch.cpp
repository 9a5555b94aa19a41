#include "gui/VerticalSwitch.h"

#include "gui/FilmStrip.h"

#include <algorithm>

namespace gui {

VerticalSwitch::VerticalSwitch(const Rect& size, ControlListener* listener, int tag, int positions,
                               const Bitmap& bitmap)
    : Control(size, listener, tag, bitmap), positions_(std::max(positions, 2))
{
    setDefaultValue(0.0f);
}

int VerticalSwitch::currentPosition() const
{
    return FilmStrip::frameFor(value(), positions_);
}

void VerticalSwitch::draw(Painter& painter)
{
    FilmStrip::draw(painter, background(), positions_, currentPosition(), size().topLeft());
}

void VerticalSwitch::pick(Point p)
{
    const int height = std::max(size().height(), 1);
    // Band k covers rows [k·height/positions, (k+1)·height/positions).
    const int band = std::clamp((p.y - size().top) * positions_ / height, 0, positions_ - 1);
    changeValue(float(band) / float(positions_ - 1));
}

MouseResult VerticalSwitch::onMouseDown(const MouseEvent& e)
{
    if (!e.leftButton())
        return MouseResult::ignored;
    beginEdit();
    dragging_ = true;
    pick(e.where);
    return MouseResult::handled;
}

void VerticalSwitch::onMouseMoved(const MouseEvent& e)
{
    if (dragging_)
        pick(e.where);
}

void VerticalSwitch::onMouseUp(const MouseEvent& e)
{
    if (!dragging_)
        return;
    pick(e.where);
    dragging_ = false;
    endEdit();
}

void VerticalSwitch::onMouseCancelled()
{
    if (!dragging_)
        return;
    dragging_ = false;
    endEdit();
}

} // namespace gui
