#include "gui/HorizontalSlider.h"

#include <algorithm>
#include <cmath>

namespace gui {

HorizontalSlider::HorizontalSlider(const Rect& size, ControlListener* listener, int tag, int minX,
                                   int maxX, const Bitmap& handle, const Bitmap& background)
    : Control(size, listener, tag, background), minX_(minX), maxX_(maxX), handle_(handle)
{
}

float HorizontalSlider::travel() const
{
    return float(std::max(maxX_ - minX_, 1));
}

Rect HorizontalSlider::handleRect() const
{
    const int x = minX_ + int(std::lround(value() * float(maxX_ - minX_)));
    const int y = size().top + (size().height() - handle_.height()) / 2;
    return Rect::fromSize(x, y, handle_.width(), handle_.height());
}

void HorizontalSlider::draw(Painter& painter)
{
    Control::draw(painter);
    if (!handle_.isNull())
        painter.drawImage(handle_.image(), handle_.image().bounds(), handleRect().topLeft());
}

MouseResult HorizontalSlider::onMouseDown(const MouseEvent& e)
{
    if (!e.leftButton())
        return MouseResult::ignored;
    beginEdit();
    if (e.doubleClick || (e.modifiers & kDefaultValueModifier)) {
        changeValue(defaultValue());
        endEdit();
        return MouseResult::handledNoCapture;
    }
    const Rect handle = handleRect();
    if (!(e.where.x >= handle.left && e.where.x < handle.right)) {
        // Beside the handle: its centre jumps under the pointer.
        changeValue(float(e.where.x - handle_.width() / 2 - minX_) / travel());
    }
    drag_.start(e.where.x, value(), e.shift());
    return MouseResult::handled;
}

void HorizontalSlider::dragTo(const MouseEvent& e)
{
    changeValue(drag_.valueAt(e.where.x, e.shift(), value(), travel()));
}

void HorizontalSlider::onMouseMoved(const MouseEvent& e)
{
    if (drag_.active())
        dragTo(e);
}

void HorizontalSlider::onMouseUp(const MouseEvent& e)
{
    if (!drag_.active())
        return;
    dragTo(e);
    drag_.stop();
    endEdit();
}

void HorizontalSlider::onMouseCancelled()
{
    if (!drag_.active())
        return;
    drag_.stop();
    endEdit();
}

bool HorizontalSlider::onWheel(const MouseEvent& e)
{
    beginEdit();
    changeValue(value() + LinearDrag::wheelDelta(e, kWheelStep));
    endEdit();
    return true;
}

} // namespace gui
