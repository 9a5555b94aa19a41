#include "TestBitmaps.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace guitest {

gui::Color frameColor(int k)
{
    return {std::uint8_t(20 + 2 * k), std::uint8_t(200 - k), 90, 255};
}

gui::Bitmap filmStrip(int frames, int w, int h, const std::string& name)
{
    auto image = std::make_shared<gui::Image>(w, h * frames);
    for (int k = 0; k < frames; ++k)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image->setPixel(x, k * h + y, frameColor(k));
    return gui::Bitmap(name, image);
}

int frameShownAt(const gui::Image& image, int x, int y)
{
    const std::uint32_t p = image.pixel(x, y);
    const int r = int(p >> 24);
    const int k = (r - 20) / 2;
    if (k < 0 || (r - 20) % 2 != 0 || gui::Image::premultiply(frameColor(k)) != p)
        return -1;
    return k;
}

gui::Bitmap solid(int w, int h, gui::Color c, const std::string& name)
{
    auto image = std::make_shared<gui::Image>(w, h);
    image->fill(c);
    return gui::Bitmap(name, image);
}

namespace {
void appendData(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void flushData(png_structp) {}
} // namespace

std::vector<unsigned char> encodePng(int width, int height, int colorType, int bitDepth,
                                     const std::vector<std::vector<unsigned char>>& rows,
                                     bool interlaced, const std::vector<unsigned char>& palette)
{
    std::vector<unsigned char> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("PNG encoding failed");
    }
    png_set_write_fn(png, &out, appendData, flushData);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> colors;
    for (std::size_t i = 0; i + 2 < palette.size(); i += 3)
        colors.push_back({palette[i], palette[i + 1], palette[i + 2]});
    if (!colors.empty())
        png_set_PLTE(png, info, colors.data(), int(colors.size()));
    png_write_info(png, info);
    std::vector<png_bytep> pointers;
    for (const auto& row : rows)
        pointers.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

namespace {
std::string valueText(float v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", double(v));
    return buffer;
}
} // namespace

void RecordingListener::valueChanged(gui::Control& c)
{
    log.push_back("change " + std::to_string(c.tag()) + " " + valueText(c.value()));
}

void RecordingListener::beginEdit(gui::Control& c)
{
    log.push_back("begin " + std::to_string(c.tag()));
}

void RecordingListener::endEdit(gui::Control& c)
{
    log.push_back("end " + std::to_string(c.tag()));
}

void press(gui::Frame& f, int x, int y, unsigned mods, bool doubleClick)
{
    gui::MouseEvent e;
    e.where = {x, y};
    e.buttons = gui::buttons::left;
    e.modifiers = mods;
    e.doubleClick = doubleClick;
    f.mouseDown(e);
}

void move(gui::Frame& f, int x, int y, unsigned mods)
{
    gui::MouseEvent e;
    e.where = {x, y};
    e.buttons = gui::buttons::left;
    e.modifiers = mods;
    f.mouseMoved(e);
}

void release(gui::Frame& f, int x, int y, unsigned mods)
{
    gui::MouseEvent e;
    e.where = {x, y};
    e.modifiers = mods;
    f.mouseUp(e);
}

void click(gui::Frame& f, int x, int y, unsigned mods)
{
    press(f, x, y, mods);
    release(f, x, y, mods);
}

void wheel(gui::Frame& f, int x, int y, float notches, unsigned mods)
{
    gui::MouseEvent e;
    e.where = {x, y};
    e.modifiers = mods;
    e.wheel = notches;
    f.mouseWheel(e);
}

} // namespace guitest
