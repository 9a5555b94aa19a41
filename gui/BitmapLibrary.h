#pragma once

#include "gui/Bitmap.h"
#include "gui/EmbeddedFile.h"

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gui {

// Looks bitmaps up by resource file name in a table of embedded files and
// decodes each PNG once. One library per editor: it holds no global state, so
// two editors in one process never share or fight over it.
//
// A name that is not in the table, or whose data does not decode, yields a
// placeholder bitmap of the expected size and is recorded in problems(), so
// the editor can report every broken resource when it opens.
class BitmapLibrary {
public:
    explicit BitmapLibrary(std::span<const EmbeddedFile> files) : files_(files) {}

    // The bitmap of a resource. expectedWidth/Height size the placeholder.
    Bitmap get(std::string_view name, int expectedWidth = 16, int expectedHeight = 16);

    // One line per broken resource: "name: reason".
    const std::vector<std::string>& problems() const { return problems_; }

    // Drops the decoded pictures (views that hold a bitmap keep theirs).
    void clear();

private:
    std::span<const EmbeddedFile> files_;    // the embedded resources, static
    std::map<std::string, Bitmap, std::less<>> cache_; // decoded so far, by name
    std::vector<std::string> problems_;      // broken resources met so far
};

} // namespace gui
