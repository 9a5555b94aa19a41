#pragma once

#include "gui/Color.h"
#include "gui/Rect.h"

#include <cstdint>
#include <vector>

namespace gui {

// A picture in memory: width × height pixels, four bytes each in the order
// red, green, blue, alpha, with the colour channels premultiplied by alpha.
// Rows follow each other without padding, the top row first.
class Image {
public:
    static constexpr int kBytesPerPixel = 4;

    Image() = default;
    Image(int width, int height); // transparent black

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }
    Rect bounds() const { return {0, 0, width_, height_}; }

    std::uint8_t* row(int y) { return pixels_.data() + std::size_t(y) * stride(); }
    const std::uint8_t* row(int y) const { return pixels_.data() + std::size_t(y) * stride(); }
    std::size_t stride() const { return std::size_t(width_) * kBytesPerPixel; }
    const std::vector<std::uint8_t>& bytes() const { return pixels_; }

    // One pixel, premultiplied, as 0xRRGGBBAA; (x, y) must lie inside.
    std::uint32_t pixel(int x, int y) const;
    // Stores a straight colour at (x, y), premultiplying it.
    void setPixel(int x, int y, Color c);
    // Fills the whole picture with a straight colour.
    void fill(Color c);

    // The premultiplied bytes of a straight colour.
    static std::uint32_t premultiply(Color c);

    friend bool operator==(const Image&, const Image&) = default;

private:
    int width_ = 0;                    // pixels per row
    int height_ = 0;                   // rows
    std::vector<std::uint8_t> pixels_; // width_ × height_ × 4 bytes, RGBA premultiplied
};

} // namespace gui
