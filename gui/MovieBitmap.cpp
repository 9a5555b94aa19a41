#include "gui/MovieBitmap.h"

#include "gui/FilmStrip.h"

namespace gui {

MovieBitmap::MovieBitmap(const Rect& size, ControlListener* listener, int tag, int frames,
                         const Bitmap& strip)
    : Control(size, listener, tag, strip), frames_(frames < 1 ? 1 : frames)
{
    setMouseEnabled(false);
    setDefaultValue(0.0f);
}

int MovieBitmap::currentFrame() const
{
    return FilmStrip::frameFor(value(), frames_);
}

void MovieBitmap::draw(Painter& painter)
{
    FilmStrip::draw(painter, background(), frames_, currentFrame(), size().topLeft());
}

} // namespace gui
