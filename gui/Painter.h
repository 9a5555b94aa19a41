#pragma once

#include "gui/Alignment.h"
#include "gui/Color.h"
#include "gui/Font.h"
#include "gui/Image.h"
#include "gui/Rect.h"

#include <string_view>

namespace gui {

// Draws into an Image. Coordinates given to it are local: the painter adds its
// origin, and nothing is drawn outside its clip rectangle (kept in image
// coordinates). Views get a painter whose origin is their container's top-left
// corner, so they draw at their own rectangle.
class Painter {
public:
    explicit Painter(Image& target);

    // A painter for a child coordinate system: origin moved by `offset`, clip
    // narrowed to `clip` (local coordinates of this painter).
    Painter translated(Point offset, const Rect& clip) const;
    Painter clipped(const Rect& clip) const;

    Rect clipRect() const; // local coordinates
    Point origin() const { return origin_; }

    void fillRect(const Rect& r, Color c);
    void frameRect(const Rect& r, Color c); // one-pixel outline inside r
    // Copies (opaque) or composites (source over) the part `source` of an
    // image so that its top-left pixel lands at `to`.
    void drawImage(const Image& image, const Rect& source, Point to, bool blend = true);
    // One line of text, vertically centred in r, placed horizontally by `align`.
    void drawText(const Font& font, std::string_view text, const Rect& r, Alignment align,
                  Color c);

private:
    Image* target_; // the picture drawn into, never null
    Point origin_;  // local (0, 0) in image coordinates
    Rect clip_;     // drawable area in image coordinates, inside the image

    Rect toImage(const Rect& r) const { return r.offset(origin_.x, origin_.y); }
};

} // namespace gui
