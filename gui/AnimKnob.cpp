#include "gui/AnimKnob.h"

#include "gui/FilmStrip.h"

namespace gui {

AnimKnob::AnimKnob(const Rect& size, ControlListener* listener, int tag, int frames, const Bitmap& strip)
    : Knob(size, listener, tag, strip), frames_(frames < 1 ? 1 : frames)
{
}

int AnimKnob::frameHeight() const
{
    return FilmStrip::frameHeight(background(), frames_);
}

int AnimKnob::currentFrame() const
{
    return FilmStrip::frameFor(value(), frames_);
}

void AnimKnob::draw(Painter& painter)
{
    FilmStrip::draw(painter, background(), frames_, currentFrame(), size().topLeft());
}

} // namespace gui
