#include "gui/PngDecoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace gui {

namespace {

// Input cursor handed to libpng's read callback.
struct Reader {
    std::span<const unsigned char> data; // the whole file
    std::size_t position = 0;            // next byte to read
};

void readData(png_structp png, png_bytep out, png_size_t length)
{
    auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (reader->data.size() - reader->position < length)
        png_error(png, "the data ends early");
    std::memcpy(out, reader->data.data() + reader->position, length);
    reader->position += length;
}

// libpng reports errors through this callback and expects it not to return.
void onError(png_structp png, png_const_charp message)
{
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    *error = message;
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

} // namespace

PngDecoder::Result PngDecoder::decode(std::span<const unsigned char> data)
{
    Result result;
    if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8) != 0) {
        result.error = "not a PNG file";
        return result;
    }
    std::string error;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(png ? &png : nullptr, nullptr, nullptr);
        result.error = "out of memory";
        return result;
    }
    Reader reader{data, 0};
    // libpng jumps back here on errors. The locals changed after setjmp
    // (rows, decoded) are not read on that path, so none needs to be volatile.
    std::vector<png_bytep> rows;
    Image decoded;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        result.error = error.empty() ? "undecodable PNG data" : error;
        return result;
    }
    png_set_read_fn(png, &reader, readData);
    png_set_user_limits(png, kMaxSide, kMaxSide);
    png_read_info(png, info);

    // Whatever the file holds becomes 8-bit RGBA.
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA))
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const int width = int(png_get_image_width(png, info));
    const int height = int(png_get_image_height(png, info));
    if (png_get_rowbytes(png, info) != std::size_t(width) * 4)
        png_error(png, "unexpected row layout");
    decoded = Image(width, height);
    rows.resize(std::size_t(height));
    for (int y = 0; y < height; ++y)
        rows[std::size_t(y)] = decoded.row(y);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);

    // Straight alpha to premultiplied.
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = decoded.row(y);
        for (int x = 0; x < width; ++x, p += 4) {
            const unsigned a = p[3];
            if (a == 255)
                continue;
            for (int i = 0; i < 3; ++i)
                p[i] = std::uint8_t((p[i] * a + 127) / 255);
        }
    }
    result.image = std::move(decoded);
    return result;
}

} // namespace gui
