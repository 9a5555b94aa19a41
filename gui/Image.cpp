#include "gui/Image.h"

namespace gui {

Image::Image(int width, int height)
    : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0),
      pixels_(std::size_t(width_) * height_ * kBytesPerPixel, 0)
{
}

std::uint32_t Image::premultiply(Color c)
{
    const auto mul = [&](std::uint8_t v) { return std::uint32_t((v * c.a + 127) / 255); };
    return (mul(c.r) << 24) | (mul(c.g) << 16) | (mul(c.b) << 8) | c.a;
}

std::uint32_t Image::pixel(int x, int y) const
{
    const std::uint8_t* p = row(y) + std::size_t(x) * kBytesPerPixel;
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           p[3];
}

void Image::setPixel(int x, int y, Color c)
{
    const std::uint32_t v = premultiply(c);
    std::uint8_t* p = row(y) + std::size_t(x) * kBytesPerPixel;
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

void Image::fill(Color c)
{
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            setPixel(x, y, c);
}

} // namespace gui
