#pragma once

#include "gui/Control.h"

namespace gui {

// A picture chosen by value from a film strip of `frames` pictures stacked
// vertically (an indicator; it takes no mouse input).
class MovieBitmap : public Control {
public:
    MovieBitmap(const Rect& size, ControlListener* listener, int tag, int frames, const Bitmap& strip);

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CMovieBitmap" || Control::isTypeOf(name);
    }

    int frames() const { return frames_; }
    int currentFrame() const;
    void draw(Painter& painter) override;

private:
    int frames_; // pictures in the strip, at least 1
};

} // namespace gui
