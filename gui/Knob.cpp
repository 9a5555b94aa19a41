#include "gui/Knob.h"

namespace gui {

MouseResult Knob::onMouseDown(const MouseEvent& e)
{
    if (!e.leftButton())
        return MouseResult::ignored;
    if (e.doubleClick || (e.modifiers & kDefaultValueModifier)) {
        beginEdit();
        changeValue(defaultValue());
        endEdit();
        return MouseResult::handledNoCapture;
    }
    beginEdit();
    dragging_ = true;
    anchorY_ = e.where.y;
    anchorValue_ = value();
    fine_ = e.shift();
    return MouseResult::handled;
}

void Knob::dragTo(const MouseEvent& e)
{
    if (e.shift() != fine_) {
        // Changing precision mid-drag starts a new segment at the current point.
        fine_ = e.shift();
        anchorY_ = e.where.y;
        anchorValue_ = value();
    }
    const float range = fine_ ? kDragRange * kFineFactor : kDragRange;
    changeValue(anchorValue_ + float(anchorY_ - e.where.y) / range);
}

void Knob::onMouseMoved(const MouseEvent& e)
{
    if (dragging_)
        dragTo(e);
}

void Knob::onMouseUp(const MouseEvent& e)
{
    if (!dragging_)
        return;
    dragTo(e);
    dragging_ = false;
    endEdit();
}

bool Knob::onWheel(const MouseEvent& e)
{
    const float step = e.shift() ? kWheelStep / kFineFactor : kWheelStep;
    beginEdit();
    changeValue(value() + e.wheel * step);
    endEdit();
    return true;
}

} // namespace gui
