#pragma once

#include "gui/ParamDisplay.h"

namespace gui {

// A fixed line of text (set from outside, not by the value).
class TextLabel : public ParamDisplay {
public:
    TextLabel(const Rect& size, std::string text = {}, const Bitmap& background = {});

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CTextLabel" || ParamDisplay::isTypeOf(name);
    }

    void setText(std::string text);
    std::string text() const override { return text_; }

private:
    std::string text_; // the line shown
};

} // namespace gui
