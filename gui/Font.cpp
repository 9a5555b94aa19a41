#include "gui/Font.h"

namespace gui {

const GlyphData& Font::glyph(char32_t c) const
{
    if (c < data_->first || c >= data_->first + char32_t(data_->count))
        c = U'?';
    return data_->glyphs[c - data_->first];
}

int Font::textWidth(std::string_view text) const
{
    int width = 0;
    forEachCharacter(text, [&](char32_t c) { width += glyph(c).advance; });
    return width;
}

} // namespace gui
