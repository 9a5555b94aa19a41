#pragma once

#include "gui/Image.h"

#include <optional>
#include <span>
#include <string>

namespace gui {

// Decodes PNG data held in memory (libpng) into a premultiplied RGBA Image.
// Every colour type and bit depth is accepted; truncated or corrupt data and
// pictures beyond kMaxSide pixels a side give an error text instead.
class PngDecoder {
public:
    static constexpr int kMaxSide = 32768; // largest accepted width or height

    struct Result {
        std::optional<Image> image; // the picture, or nothing on failure
        std::string error;          // why there is none
    };

    static Result decode(std::span<const unsigned char> data);
};

} // namespace gui
