#include "gui/Painter.h"

#include <cstring>

namespace gui {

namespace {

// dst = src + dst·(1 − srcAlpha), all premultiplied.
inline void blendPixel(std::uint8_t* dst, const std::uint8_t* src)
{
    const unsigned inverse = 255u - src[3];
    if (inverse == 0) {
        std::memcpy(dst, src, 4);
        return;
    }
    for (int i = 0; i < 4; ++i)
        dst[i] = std::uint8_t(src[i] + (dst[i] * inverse + 127) / 255);
}

} // namespace

Painter::Painter(Image& target) : target_(&target), origin_{0, 0}, clip_(target.bounds()) {}

Painter Painter::translated(Point offset, const Rect& clip) const
{
    Painter p = clipped(clip);
    p.origin_ = origin_.offset(offset.x, offset.y);
    return p;
}

Painter Painter::clipped(const Rect& clip) const
{
    Painter p = *this;
    p.clip_ = clip_.intersection(toImage(clip));
    return p;
}

Rect Painter::clipRect() const
{
    return clip_.offset(-origin_.x, -origin_.y);
}

void Painter::fillRect(const Rect& r, Color c)
{
    const Rect area = toImage(r).intersection(clip_);
    if (area.empty())
        return;
    const std::uint32_t v = Image::premultiply(c);
    const std::uint8_t bytes[4] = {std::uint8_t(v >> 24), std::uint8_t(v >> 16),
                                   std::uint8_t(v >> 8), std::uint8_t(v)};
    for (int y = area.top; y < area.bottom; ++y) {
        std::uint8_t* p = target_->row(y) + std::size_t(area.left) * 4;
        for (int x = area.left; x < area.right; ++x, p += 4)
            blendPixel(p, bytes);
    }
}

void Painter::frameRect(const Rect& r, Color c)
{
    if (r.empty())
        return;
    fillRect({r.left, r.top, r.right, r.top + 1}, c);
    fillRect({r.left, r.bottom - 1, r.right, r.bottom}, c);
    fillRect({r.left, r.top + 1, r.left + 1, r.bottom - 1}, c);
    fillRect({r.right - 1, r.top + 1, r.right, r.bottom - 1}, c);
}

void Painter::drawImage(const Image& image, const Rect& source, Point to, bool blend)
{
    const Rect src = source.intersection(image.bounds());
    if (src.empty())
        return;
    // Where the clipped source lands, in image coordinates.
    const Point at{origin_.x + to.x + (src.left - source.left), origin_.y + to.y + (src.top - source.top)};
    const Rect dst = Rect::fromSize(at.x, at.y, src.width(), src.height()).intersection(clip_);
    if (dst.empty())
        return;
    const int sx = src.left + (dst.left - at.x);
    const int sy = src.top + (dst.top - at.y);
    for (int y = 0; y < dst.height(); ++y) {
        const std::uint8_t* s = image.row(sy + y) + std::size_t(sx) * 4;
        std::uint8_t* d = target_->row(dst.top + y) + std::size_t(dst.left) * 4;
        if (!blend) {
            std::memcpy(d, s, std::size_t(dst.width()) * 4);
            continue;
        }
        for (int x = 0; x < dst.width(); ++x, s += 4, d += 4)
            blendPixel(d, s);
    }
}

void Painter::drawText(const Font& font, std::string_view text, const Rect& r, Alignment align,
                       Color c)
{
    const int width = font.textWidth(text);
    int penX = r.left;
    if (align == Alignment::center)
        penX = r.left + (r.width() - width) / 2;
    else if (align == Alignment::right)
        penX = r.right - width;
    const int baseline = r.top + (r.height() - font.lineHeight() + 1) / 2 + font.ascent();
    const Rect area = clipped(r).clip_;
    const std::uint32_t premul = Image::premultiply(c);

    Font::forEachCharacter(text, [&](char32_t ch) {
        const GlyphData& g = font.glyph(ch);
        const std::uint8_t* cov = font.coverage(g);
        const int gx = origin_.x + penX + g.left;
        const int gy = origin_.y + baseline - g.top;
        for (int row = 0; row < g.height; ++row) {
            const int y = gy + row;
            if (y < area.top || y >= area.bottom)
                continue;
            for (int col = 0; col < g.width; ++col) {
                const int x = gx + col;
                const unsigned k = cov[row * g.width + col];
                if (k == 0 || x < area.left || x >= area.right)
                    continue;
                // The colour scaled by the glyph's coverage, then composited.
                const std::uint8_t src[4] = {
                    std::uint8_t(((premul >> 24) & 0xFF) * k / 255),
                    std::uint8_t(((premul >> 16) & 0xFF) * k / 255),
                    std::uint8_t(((premul >> 8) & 0xFF) * k / 255),
                    std::uint8_t((premul & 0xFF) * k / 255)};
                blendPixel(target_->row(y) + std::size_t(x) * 4, src);
            }
        }
        penX += g.advance;
    });
}

} // namespace gui
