#include "gui/Control.h"

#include <algorithm>
#include <cmath>

namespace gui {

namespace {
float clamp01(float v)
{
    if (std::isnan(v))
        return 0.0f;
    return std::clamp(v, 0.0f, 1.0f);
}
} // namespace

Control::Control(const Rect& size, ControlListener* listener, int tag, const Bitmap& background)
    : View(size), listener_(listener), tag_(tag)
{
    if (!background.isNull())
        setBackground(background);
}

void Control::setValue(float value)
{
    value = clamp01(value);
    if (value == value_)
        return;
    value_ = value;
    invalid();
}

void Control::setDefaultValue(float value)
{
    defaultValue_ = clamp01(value);
}

void Control::beginEdit()
{
    if (editDepth_++ == 0) {
        editing_ = true;
        if (listener_)
            listener_->beginEdit(*this);
    }
}

void Control::endEdit()
{
    if (editDepth_ == 0)
        return;
    if (--editDepth_ == 0) {
        editing_ = false;
        if (listener_)
            listener_->endEdit(*this);
    }
}

void Control::valueChanged()
{
    if (listener_)
        listener_->valueChanged(*this);
}

void Control::removing()
{
    if (editDepth_ > 0) {
        editDepth_ = 1;
        endEdit();
    }
}

bool Control::changeValue(float value)
{
    const float before = value_;
    setValue(value);
    if (value_ == before)
        return false;
    valueChanged();
    return true;
}

} // namespace gui
