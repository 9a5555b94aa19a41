#pragma once

#include "gui/FontData.h"

#include <string>
#include <string_view>

namespace gui {

// Text metrics and glyph lookup over one built-in FontData. Characters the
// font does not hold are drawn as '?'. Text is UTF-8 (one byte, one character
// for ASCII; other sequences count as one unknown character).
class Font {
public:
    explicit Font(const FontData& data) : data_(&data) {}

    static Font small() { return Font(smallFontData()); }
    static Font normal() { return Font(normalFontData()); }
    static Font condensed() { return Font(condensedFontData()); }

    int ascent() const { return data_->ascent; }
    int descent() const { return data_->descent; }
    int lineHeight() const { return data_->ascent + data_->descent; }
    int textWidth(std::string_view text) const;
    // The text itself when it fits `width` pixels, else its beginning and
    // its end with "..." between them, as much of both as fits (a file name
    // keeps its start and its last characters). Cuts between characters.
    std::string fitMiddle(std::string_view text, int width) const;

    // The glyph of a code point, or of '?' when the font has none.
    const GlyphData& glyph(char32_t c) const;
    const std::uint8_t* coverage(const GlyphData& g) const { return data_->coverage + g.offset; }

    // Calls f(codePoint) for each character of UTF-8 text.
    template <class F> static void forEachCharacter(std::string_view text, F&& f);
    // Bytes of the character that starts at byte `i` (at least 1, at most to the end).
    static std::size_t characterLength(std::string_view text, std::size_t i)
    {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length < text.size() - i ? length : text.size() - i;
    }

private:
    const FontData* data_; // never null, static data
};

template <class F> void Font::forEachCharacter(std::string_view text, F&& f)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            f(char32_t(byte));
            ++i;
            continue;
        }
        // Skip the whole multi-byte sequence: the fonts hold ASCII only.
        i += characterLength(text, i);
        f(char32_t(0xFFFD));
    }
}

} // namespace gui
