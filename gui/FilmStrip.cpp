#include "gui/FilmStrip.h"

#include <algorithm>

namespace gui {

int FilmStrip::frameHeight(const Bitmap& strip, int frames)
{
    return strip.height() / std::max(frames, 1);
}

int FilmStrip::frameFor(float value, int frames)
{
    if (frames <= 1)
        return 0;
    return std::clamp(int(value * float(frames - 1) + 0.5f), 0, frames - 1);
}

void FilmStrip::draw(Painter& painter, const Bitmap& strip, int frames, int frame, Point to)
{
    if (strip.isNull())
        return;
    const int h = frameHeight(strip, frames);
    painter.drawImage(strip.image(), Rect::fromSize(0, frame * h, strip.width(), h), to);
}

} // namespace gui
