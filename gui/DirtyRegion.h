#pragma once

#include "gui/Rect.h"

#include <vector>

namespace gui {

// The parts of a frame that need drawing, as a short list of rectangles.
// Overlapping or nearby rectangles are merged when the merge adds little
// area, and past kMaxRects the list collapses into its bounding box, so a
// burst of changes costs a bounded amount of drawing.
class DirtyRegion {
public:
    static constexpr int kMaxRects = 16; // rectangles kept before collapsing

    void add(const Rect& r);
    void clear() { rects_.clear(); }
    bool empty() const { return rects_.empty(); }
    const std::vector<Rect>& rects() const { return rects_; }
    Rect bounds() const;

private:
    std::vector<Rect> rects_; // disjoint or overlapping, none empty
};

} // namespace gui
