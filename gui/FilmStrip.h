#pragma once

#include "gui/Bitmap.h"
#include "gui/Painter.h"

namespace gui {

// Pictures stacked vertically in one bitmap, all of one height: film strips of
// knobs and movie bitmaps, the halves of two-state buttons, switch positions.
class FilmStrip {
public:
    // Height of one of `frames` pictures (at least 1 frame).
    static int frameHeight(const Bitmap& strip, int frames);
    // The picture for value v in 0..1: round(v · (frames − 1)).
    static int frameFor(float value, int frames);
    // Draws picture `frame` with its top-left corner at `to`.
    static void draw(Painter& painter, const Bitmap& strip, int frames, int frame, Point to);
};

} // namespace gui
