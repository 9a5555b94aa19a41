#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace gui {

// A file linked into the binary (cmake/EmbedResources.cmake makes a table of
// them): its name without folders and its bytes, static read-only data.
struct EmbeddedFile {
    std::string_view name;            // e.g. "knobbig.png"
    const unsigned char* data;        // first byte
    std::size_t size;                 // bytes

    std::span<const unsigned char> bytes() const { return {data, size}; }
};

} // namespace gui
