#include "gui/OnOffButton.h"

#include "gui/FilmStrip.h"

namespace gui {

OnOffButton::OnOffButton(const Rect& size, ControlListener* listener, int tag, const Bitmap& bitmap)
    : Control(size, listener, tag, bitmap)
{
    setDefaultValue(0.0f);
}

void OnOffButton::draw(Painter& painter)
{
    FilmStrip::draw(painter, background(), 2, currentFrame(), size().topLeft());
}

MouseResult OnOffButton::onMouseDown(const MouseEvent& e)
{
    if (!e.leftButton())
        return MouseResult::ignored;
    beginEdit();
    changeValue(value() == 0.0f ? 1.0f : 0.0f);
    endEdit();
    return MouseResult::handledNoCapture;
}

} // namespace gui
