#include "gui/Bitmap.h"

namespace gui {

namespace {
constexpr int kCheckSize = 4;                 // side of one check of the placeholder pattern
constexpr Color kPlaceholderA{255, 0, 255, 255}; // magenta
constexpr Color kPlaceholderB{0, 0, 0, 255};     // black
} // namespace

Bitmap::Bitmap(std::string name, std::shared_ptr<const Image> image, bool placeholder)
    : name_(std::move(name)), image_(std::move(image)), placeholder_(placeholder)
{
}

Bitmap Bitmap::placeholder(std::string name, int width, int height)
{
    auto image = std::make_shared<Image>(width, height);
    for (int y = 0; y < image->height(); ++y)
        for (int x = 0; x < image->width(); ++x)
            image->setPixel(x, y, ((x / kCheckSize + y / kCheckSize) & 1) ? kPlaceholderB : kPlaceholderA);
    return Bitmap(std::move(name), std::move(image), true);
}

const Image& Bitmap::image() const
{
    static const Image none;
    return image_ ? *image_ : none;
}

} // namespace gui
