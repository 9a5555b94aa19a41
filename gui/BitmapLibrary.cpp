#include "gui/BitmapLibrary.h"

#include "gui/PngDecoder.h"

namespace gui {

Bitmap BitmapLibrary::get(std::string_view name, int expectedWidth, int expectedHeight)
{
    if (auto found = cache_.find(name); found != cache_.end())
        return found->second;

    Bitmap bitmap;
    const EmbeddedFile* file = nullptr;
    for (const EmbeddedFile& f : files_)
        if (f.name == name)
            file = &f;
    if (!file) {
        problems_.push_back(std::string(name) + ": no such resource");
    } else {
        PngDecoder::Result decoded = PngDecoder::decode(file->bytes());
        if (decoded.image)
            bitmap = Bitmap(std::string(name), std::make_shared<const Image>(std::move(*decoded.image)));
        else
            problems_.push_back(std::string(name) + ": " + decoded.error);
    }
    if (bitmap.isNull())
        bitmap = Bitmap::placeholder(std::string(name), expectedWidth, expectedHeight);
    cache_.emplace(std::string(name), bitmap);
    return bitmap;
}

void BitmapLibrary::clear()
{
    cache_.clear();
    problems_.clear();
}

} // namespace gui
