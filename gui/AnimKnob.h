#pragma once

#include "gui/Knob.h"

namespace gui {

// A knob drawn from a film strip: `frames` pictures of equal height stacked
// vertically in one bitmap, the first for value 0, the last for value 1. The
// frame shown for a value v is round(v · (frames − 1)).
class AnimKnob : public Knob {
public:
    AnimKnob(const Rect& size, ControlListener* listener, int tag, int frames, const Bitmap& strip);

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CAnimKnob" || Knob::isTypeOf(name);
    }

    int frames() const { return frames_; }
    int frameHeight() const;
    // The frame index shown for the current value.
    int currentFrame() const;

    void draw(Painter& painter) override;

private:
    int frames_; // pictures in the strip, at least 1
};

} // namespace gui
