#include "editor/XySlider.h"

#include <algorithm>

#include "gui/Painter.h"

namespace editor {

XySlider::XySlider(const gui::Rect& size, gui::ControlListener* listener, int tag, const gui::Bitmap& handle,
                   bool rightSide)
    : Control(size, listener, tag), handle_(handle), rightSide_(rightSide)
{
    if (!handle_.isNull()) {
        handleRight_ = handle_.width();
        handleBottom_ = handle_.height();
    }
    placeHandle();
}

void XySlider::setValueX(float x)
{
    valueX_ = std::clamp(x, 0.0f, 1.0f);
    placeHandle();
    invalid();
}

void XySlider::setValueY(float y)
{
    valueY_ = std::clamp(y, 0.0f, 1.0f);
    placeHandle();
    invalid();
}

void XySlider::placeHandle()
{
    const gui::Rect& r = size();
    handleX_ = handleWidth() / 2 + int(float(r.right + handleLeft_ - handleRight_ - r.left) * valueX_) + r.left;
    handleY_ = handleHeight() / 2 + int(float(r.bottom + handleTop_ - handleBottom_ - r.top) * valueY_) + r.top;
}

int XySlider::pictureFrame() const
{
    const int k = int(float(handleY_ - handleHeight() / 2 - kPictureTop) / kFrameStep);
    return std::clamp(k * kFrameHeight, 0, kLastFrameOffset) / kFrameHeight;
}

void XySlider::draw(gui::Painter& painter)
{
    const gui::Rect& r = size();
    gui::Painter clipped = painter.clipped(r);
    const int hw = handleWidth();
    const int hh = handleHeight();
    const gui::Bitmap& picture = background();
    if (!picture.isNull()) {
        const int left = handleX_ - picture.width() / 2;
        const gui::Rect source{0, pictureFrame() * kFrameHeight, picture.width(),
                               pictureFrame() * kFrameHeight + (kPictureBottom - kPictureTop)};
        clipped.drawImage(picture.image(), source, {left, kPictureTop}, isTransparent());
    }
    if (!handle_.isNull())
        clipped.drawImage(handle_.image(), {0, 0, handle_.width(), handle_.height()},
                          {handleX_ - hw / 2 + handleLeft_, handleY_ - hh / 2 + handleTop_});
}

gui::MouseResult XySlider::onMouseDown(const gui::MouseEvent& e)
{
    if (!mouseEnabled() || !e.leftButton())
        return gui::MouseResult::ignored;
    const int hw = handleWidth();
    const int hh = handleHeight();
    const int x = e.where.x;
    const int y = e.where.y;
    const int left = handleX_ - hw / 2;
    const int top = handleY_ - hh / 2;
    if (x < left || x > left + hw || y < top || y > top + hh)
        return gui::MouseResult::ignored;

    const gui::Rect& r = size();
    dragOffsetX_ = hw / 2 + x + r.left - handleX_;
    dragOffsetY_ = hh / 2 + y + r.top - handleY_;
    beginEdit();
    if (e.control() || e.doubleClick) {
        setValueX(0.5f);
        setValueY(0.0f);
        valueChanged();
        endEdit();
        return gui::MouseResult::handledNoCapture;
    }
    dragging_ = true;
    onMouseMoved(e);
    return gui::MouseResult::handled;
}

void XySlider::onMouseMoved(const gui::MouseEvent& e)
{
    if (!dragging_ || !e.leftButton())
        return;
    const gui::Rect& r = size();
    const float travelX = float(r.right + handleLeft_ - handleRight_ - r.left);
    const float travelY = float(r.bottom + handleTop_ - handleBottom_ - r.top);
    valueX_ = std::clamp(float(e.where.x - dragOffsetX_) / travelX, 0.0f, 1.0f);
    valueY_ = std::clamp(float(e.where.y - dragOffsetY_) / travelY, 0.0f, 1.0f);
    placeHandle();
    invalid();
    valueChanged();
}

void XySlider::onMouseUp(const gui::MouseEvent&)
{
    if (!dragging_)
        return;
    dragging_ = false;
    endEdit();
}

} // namespace editor
