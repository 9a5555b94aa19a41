#include "gui/Font.h"

#include <vector>

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

std::string Font::fitMiddle(std::string_view text, int width) const
{
    if (textWidth(text) <= width)
        return std::string(text);
    // Byte offset and width of every character (a multi-byte sequence is one).
    std::vector<std::size_t> starts;
    std::vector<int> widths;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = characterLength(text, i);
        starts.push_back(i);
        widths.push_back(textWidth(text.substr(i, length)));
        i += length;
    }
    starts.push_back(text.size());
    const std::string_view dots = "...";
    int used = textWidth(dots);
    std::size_t head = 0;                // characters kept from the start
    std::size_t tail = 0;                // characters kept from the end
    const std::size_t count = widths.size();
    // Take characters from both ends in turn, the start first, while they fit.
    for (bool fromHead = true; head + tail < count; fromHead = !fromHead) {
        const std::size_t next = fromHead ? head : count - 1 - tail;
        if (used + widths[next] > width)
            break;
        used += widths[next];
        (fromHead ? head : tail) += 1;
    }
    std::string fitted(text.substr(0, starts[head]));
    fitted += dots;
    fitted += text.substr(starts[count - tail]);
    return fitted;
}

} // namespace gui
