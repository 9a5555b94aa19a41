#pragma once

#include <string>

#include "gui/Image.h"

namespace gui {

// Writes an Image as an 8-bit RGB PNG file (libpng), for snapshots of what
// the toolkit drew. False when the file cannot be written.
class PngWriter {
public:
    static bool write(const std::string& path, const Image& image);
};

} // namespace gui
