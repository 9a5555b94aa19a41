#include "gui/DirtyRegion.h"

namespace gui {

void DirtyRegion::add(const Rect& r)
{
    if (r.empty())
        return;
    Rect merged = r;
    // Absorb every rectangle whose union with the new one wastes at most a
    // quarter of the union's area; repeat, since a grown rectangle may now
    // reach others.
    bool absorbed = true;
    while (absorbed) {
        absorbed = false;
        for (std::size_t i = 0; i < rects_.size(); ++i) {
            const Rect u = merged.united(rects_[i]);
            const long covered = merged.area() + rects_[i].area() - merged.intersection(rects_[i]).area();
            if (covered * 4 >= u.area() * 3) {
                merged = u;
                rects_.erase(rects_.begin() + long(i));
                absorbed = true;
                break;
            }
        }
    }
    rects_.push_back(merged);
    if (rects_.size() > std::size_t(kMaxRects)) {
        const Rect all = bounds();
        rects_.assign(1, all);
    }
}

Rect DirtyRegion::bounds() const
{
    Rect all;
    for (const Rect& r : rects_)
        all = all.united(r);
    return all;
}

} // namespace gui
