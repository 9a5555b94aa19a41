#include "gui/KickButton.h"

#include "gui/FilmStrip.h"

namespace gui {

KickButton::KickButton(const Rect& size, ControlListener* listener, int tag, const Bitmap& bitmap)
    : Control(size, listener, tag, bitmap)
{
    setDefaultValue(0.0f);
}

void KickButton::draw(Painter& painter)
{
    const bool showPressed = pressed_ ? inside_ : currentFrame() == 1;
    FilmStrip::draw(painter, background(), 2, showPressed ? 1 : 0, size().topLeft());
}

MouseResult KickButton::onMouseDown(const MouseEvent& e)
{
    if (!e.leftButton())
        return MouseResult::ignored;
    beginEdit();
    pressed_ = true;
    inside_ = true;
    setValue(1.0f);
    valueChanged();
    invalid();
    return MouseResult::handled;
}

void KickButton::onMouseMoved(const MouseEvent& e)
{
    if (!pressed_)
        return;
    const bool inside = size().contains(e.where);
    if (inside != inside_) {
        inside_ = inside;
        invalid();
    }
}

void KickButton::onMouseUp(const MouseEvent& e)
{
    if (!pressed_)
        return;
    pressed_ = false;
    inside_ = size().contains(e.where);
    setValue(0.0f);
    if (inside_)
        valueChanged();
    invalid();
    endEdit();
}

void KickButton::onMouseCancelled()
{
    if (!pressed_)
        return;
    pressed_ = false;
    inside_ = false;
    setValue(0.0f);
    invalid();
    endEdit();
}

} // namespace gui
