#pragma once

#include "gui/Bitmap.h"
#include "gui/EmbeddedFile.h"

#include <map>
#include <memory>
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
//
// get() keeps what it decodes for the library's lifetime. Large pictures of
// which only one is shown at a time (the microphone pads' film strips) come
// from getTransient() instead: the library holds them weakly, so a picture's
// pixels are freed as soon as no view shows it any more.
class BitmapLibrary {
public:
    explicit BitmapLibrary(std::span<const EmbeddedFile> files) : files_(files) {}

    // The bitmap of a resource. expectedWidth/Height size the placeholder.
    Bitmap get(std::string_view name, int expectedWidth = 16, int expectedHeight = 16);

    // A picture held only while someone holds the returned bitmap; decoded
    // again when asked for after that. `mirrored` flips it left to right.
    Bitmap getTransient(std::string_view name, int expectedWidth, int expectedHeight, bool mirrored = false);

    // Pixels of the transient pictures still held by someone.
    std::size_t transientPixels() const;

    // One line per broken resource: "name: reason".
    const std::vector<std::string>& problems() const { return problems_; }

    // Drops the decoded pictures (views that hold a bitmap keep theirs).
    void clear();

private:
    // The decoded picture of a resource, or null after recording the problem.
    std::shared_ptr<const Image> decode(std::string_view name, bool mirrored);
    void problem(std::string_view name, const std::string& reason);

    std::span<const EmbeddedFile> files_;    // the embedded resources, static
    std::map<std::string, Bitmap, std::less<>> cache_; // decoded so far, by name
    std::map<std::string, std::weak_ptr<const Image>, std::less<>> transient_; // by name, "|m" when mirrored
    std::vector<std::string> problems_;      // broken resources met so far
};

} // namespace gui
