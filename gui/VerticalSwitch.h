#pragma once

#include "gui/Control.h"

namespace gui {

// A switch of `positions` states from a bitmap of that many pictures stacked
// vertically. Its rectangle is divided into as many horizontal bands; a press
// picks the position of the band under the pointer, and dragging moves
// through the positions. Position k has the value k / (positions − 1); a
// value shows position round(v · (positions − 1)).
class VerticalSwitch : public Control {
public:
    VerticalSwitch(const Rect& size, ControlListener* listener, int tag, int positions,
                   const Bitmap& bitmap);

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CVerticalSwitch" || Control::isTypeOf(name);
    }

    int positions() const { return positions_; }
    int currentPosition() const;

    void draw(Painter& painter) override;
    MouseResult onMouseDown(const MouseEvent& e) override;
    void onMouseMoved(const MouseEvent& e) override;
    void onMouseUp(const MouseEvent& e) override;
    void onMouseCancelled() override;

private:
    void pick(Point p);

    int positions_;         // states, at least 2
    bool dragging_ = false; // between press and release
};

} // namespace gui
