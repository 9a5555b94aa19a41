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
    drag_.start(-e.where.y, value(), e.shift());
    return MouseResult::handled;
}

void Knob::dragTo(const MouseEvent& e)
{
    changeValue(drag_.valueAt(-e.where.y, e.shift(), value(), kDragRange));
}

void Knob::onMouseMoved(const MouseEvent& e)
{
    if (drag_.active())
        dragTo(e);
}

void Knob::onMouseUp(const MouseEvent& e)
{
    if (!drag_.active())
        return;
    dragTo(e);
    drag_.stop();
    endEdit();
}

void Knob::onMouseCancelled()
{
    if (!drag_.active())
        return;
    drag_.stop();
    endEdit();
}

bool Knob::onWheel(const MouseEvent& e)
{
    beginEdit();
    changeValue(value() + LinearDrag::wheelDelta(e, kWheelStep));
    endEdit();
    return true;
}

} // namespace gui
