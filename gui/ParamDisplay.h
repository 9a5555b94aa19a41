#pragma once

#include "gui/Control.h"
#include "gui/TextStyle.h"

#include <functional>
#include <string>

namespace gui {

// Shows a value as text. The formatter turns the value into the text (by
// default two decimals); the display is redrawn whenever the value changes.
class ParamDisplay : public Control {
public:
    using Formatter = std::function<std::string(float)>;

    ParamDisplay(const Rect& size, ControlListener* listener = nullptr, int tag = -1,
                 const Bitmap& background = {});

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CParamDisplay" || Control::isTypeOf(name);
    }

    void setFormatter(Formatter formatter);
    const TextStyle& style() const { return style_; }
    void setStyle(const TextStyle& style);

    // The text shown now.
    virtual std::string text() const;

    void draw(Painter& painter) override;

protected:
    // Background and text drawn within the rectangle.
    void drawText(Painter& painter, const std::string& text);

private:
    Formatter formatter_; // value to text; empty: two decimals
    TextStyle style_;     // font, colours, alignment
};

} // namespace gui
