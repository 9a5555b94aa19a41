#pragma once

#include "gui/Image.h"

#include <memory>
#include <string>

namespace gui {

// A named picture shared by the views that draw it. A bitmap whose resource
// was missing or undecodable is a placeholder: a visible magenta and black
// check pattern of the size the caller expected, so a broken resource shows
// on screen instead of crashing or vanishing.
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(std::string name, std::shared_ptr<const Image> image, bool placeholder = false);

    // The check pattern that stands in for a picture that could not be loaded.
    static Bitmap placeholder(std::string name, int width, int height);

    const std::string& name() const { return name_; }
    const Image& image() const;
    int width() const { return image().width(); }
    int height() const { return image().height(); }
    bool isNull() const { return !image_; }
    bool isPlaceholder() const { return placeholder_; }

private:
    std::string name_;                   // resource file name
    std::shared_ptr<const Image> image_; // pixels, shared and never changed; null for no bitmap
    bool placeholder_ = false;           // true when standing in for a failed load
};

} // namespace gui
