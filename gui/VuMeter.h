#pragma once

#include "gui/Control.h"

namespace gui {

// A segmented level meter drawn from two bitmaps of its size: the unlit one
// everywhere and the lit one over the lit segments, from the left (horizontal)
// or from the bottom (vertical). round(v · segments) segments are lit. A
// falling value drops by at most fallStep() per setValue() call, so the meter
// decays smoothly when it is fed once per idle; a rising value shows at once.
class VuMeter : public Control {
public:
    enum class Orientation { horizontal, vertical };
    static constexpr float kDefaultFallStep = 0.1f; // largest drop per update

    VuMeter(const Rect& size, const Bitmap& lit, const Bitmap& unlit, int segments,
            Orientation orientation = Orientation::horizontal);

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CVuMeter" || Control::isTypeOf(name);
    }

    void setValue(float value) override;
    float fallStep() const { return fallStep_; }
    void setFallStep(float step) { fallStep_ = step; }
    int segments() const { return segments_; }
    int litSegments() const;

    void draw(Painter& painter) override;

private:
    Bitmap lit_;                        // all segments lit
    Bitmap unlit_;                      // all segments dark
    int segments_;                      // number of segments, at least 1
    Orientation orientation_;           // direction of growth
    float fallStep_ = kDefaultFallStep; // largest drop per update
};

} // namespace gui
