#include "gui/BitmapLibrary.h"

#include "gui/PngDecoder.h"

#include <algorithm>
#include <utility>

namespace gui {

namespace {

void mirror(Image& image)
{
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t* row = image.row(y);
        for (int a = 0, b = image.width() - 1; a < b; ++a, --b)
            std::swap_ranges(row + a * Image::kBytesPerPixel, row + (a + 1) * Image::kBytesPerPixel,
                             row + b * Image::kBytesPerPixel);
    }
}

} // namespace

void BitmapLibrary::problem(std::string_view name, const std::string& reason)
{
    std::string line = std::string(name) + ": " + reason;
    if (std::find(problems_.begin(), problems_.end(), line) == problems_.end())
        problems_.push_back(std::move(line));
}

std::shared_ptr<const Image> BitmapLibrary::decode(std::string_view name, bool mirrored)
{
    const EmbeddedFile* file = nullptr;
    for (const EmbeddedFile& f : files_)
        if (f.name == name)
            file = &f;
    if (!file) {
        problem(name, "no such resource");
        return nullptr;
    }
    PngDecoder::Result decoded = PngDecoder::decode(file->bytes());
    if (!decoded.image) {
        problem(name, decoded.error);
        return nullptr;
    }
    if (mirrored)
        mirror(*decoded.image);
    return std::make_shared<const Image>(std::move(*decoded.image));
}

Bitmap BitmapLibrary::get(std::string_view name, int expectedWidth, int expectedHeight)
{
    if (auto found = cache_.find(name); found != cache_.end())
        return found->second;

    Bitmap bitmap;
    if (std::shared_ptr<const Image> image = decode(name, false))
        bitmap = Bitmap(std::string(name), std::move(image));
    else
        bitmap = Bitmap::placeholder(std::string(name), expectedWidth, expectedHeight);
    cache_.emplace(std::string(name), bitmap);
    return bitmap;
}

Bitmap BitmapLibrary::getTransient(std::string_view name, int expectedWidth, int expectedHeight, bool mirrored)
{
    std::string key(name);
    if (mirrored)
        key += "|m";
    std::weak_ptr<const Image>& held = transient_[key];
    std::shared_ptr<const Image> image = held.lock();
    if (!image) {
        image = decode(name, mirrored);
        if (!image)
            return Bitmap::placeholder(std::string(name), expectedWidth, expectedHeight);
        held = image;
    }
    return Bitmap(std::string(name), std::move(image));
}

std::size_t BitmapLibrary::transientPixels() const
{
    std::size_t pixels = 0;
    for (const auto& [key, held] : transient_)
        if (std::shared_ptr<const Image> image = held.lock())
            pixels += std::size_t(image->width()) * std::size_t(image->height());
    return pixels;
}

void BitmapLibrary::clear()
{
    cache_.clear();
    transient_.clear();
    problems_.clear();
}

} // namespace gui
