#pragma once

#include "gui/Control.h"

namespace editor {

// A microphone pad: a handle dragged in two dimensions over a picture of the
// speaker. Horizontally it places the microphone (valueX), vertically it sets
// its distance (valueY). The background bitmap is a 101-frame film strip of
// the cabinet that slides with the handle and changes with the distance: the
// microphone's cone sits at the picture's centre column, under the handle's
// centre, and the picture is wider than the pad by the handle's travel, so
// it covers the whole pad wherever the handle is.
// The pad sits directly in the frame, so container and frame coordinates
// are the same.
class XySlider : public gui::Control {
public:
    static constexpr int kPictureWidth = 474;
    static constexpr int kPictureTop = 271;
    static constexpr int kPictureBottom = 500;
    static constexpr int kFrameHeight = 229;
    static constexpr int kLastFrameOffset = 22900;
    static constexpr float kFrameStep = 99.0f / 101.0f; // handle pixels per picture frame

    // `handle` may be null: the handle is then 90 × 150.
    XySlider(const gui::Rect& size, gui::ControlListener* listener, int tag, const gui::Bitmap& handle,
             bool rightSide);

    bool isTypeOf(std::string_view name) const override { return Control::isTypeOf(name); }

    float valueX() const { return valueX_; }
    float valueY() const { return valueY_; }
    void setValueX(float x);
    void setValueY(float y);
    bool rightSide() const { return rightSide_; }
    int handleX() const { return handleX_; }
    int handleY() const { return handleY_; }
    // The picture frame shown for the current handle height (0..100).
    int pictureFrame() const;

    void draw(gui::Painter& painter) override;
    gui::MouseResult onMouseDown(const gui::MouseEvent& e) override;
    void onMouseMoved(const gui::MouseEvent& e) override;
    void onMouseUp(const gui::MouseEvent& e) override;

private:
    void placeHandle();
    int handleWidth() const { return handleRight_ - handleLeft_; }
    int handleHeight() const { return handleBottom_ - handleTop_; }

    float valueX_ = 0.0f;  // microphone position 0..1
    float valueY_ = 0.0f;  // microphone distance 0..1
    int handleX_ = 0;      // handle centre, frame coordinates
    int handleY_ = 0;
    gui::Bitmap handle_;   // the handle picture
    int handleLeft_ = 0;   // handle extents relative to its corner
    int handleTop_ = 0;
    int handleRight_ = 90;
    int handleBottom_ = 150;
    int dragOffsetX_ = 0;  // set at the press
    int dragOffsetY_ = 0;
    bool rightSide_;       // the right pad, which shows the pictures mirrored
    bool dragging_ = false;
};

// The left pad ("Mic 1 Pos" / "Mic 1 Distance").
class xySliderL final : public XySlider {
public:
    xySliderL(const gui::Rect& size, gui::ControlListener* listener, int tag, const gui::Bitmap& handle)
        : XySlider(size, listener, tag, handle, false)
    {
    }
    bool isTypeOf(std::string_view name) const override
    {
        return name == "xySliderL" || XySlider::isTypeOf(name);
    }
};

// The right pad ("Mic 2 Pos" / "Mic 2 Distance").
class xySliderR final : public XySlider {
public:
    xySliderR(const gui::Rect& size, gui::ControlListener* listener, int tag, const gui::Bitmap& handle)
        : XySlider(size, listener, tag, handle, true)
    {
    }
    bool isTypeOf(std::string_view name) const override
    {
        return name == "xySliderR" || XySlider::isTypeOf(name);
    }
};

} // namespace editor
