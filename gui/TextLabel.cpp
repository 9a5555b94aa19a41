#include "gui/TextLabel.h"

namespace gui {

TextLabel::TextLabel(const Rect& size, std::string text, const Bitmap& background)
    : ParamDisplay(size, nullptr, -1, background), text_(std::move(text))
{
}

void TextLabel::setText(std::string text)
{
    if (text == text_)
        return;
    text_ = std::move(text);
    invalid();
}

} // namespace gui
