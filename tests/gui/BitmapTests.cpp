// PNG decoding, embedded resources and the placeholder for broken ones.
#include "TestBitmaps.h"

#include "gui/BitmapLibrary.h"
#include "gui/PngDecoder.h"

#include <png.h>

#include <gtest/gtest.h>

std::span<const gui::EmbeddedFile> guiTestResources();

using namespace gui;

TEST(EmbeddedFiles, AreListedByFileNameWithTheirBytes)
{
    const auto files = guiTestResources();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "stripes.png");
    EXPECT_EQ(files[0].size, 86u);
    EXPECT_EQ(files[0].data[1], 'P');
    EXPECT_EQ(files[1].name, "broken.png");
    EXPECT_EQ(files[1].size, 40u);
}

TEST(BitmapLibrary, DecodesAnEmbeddedFilmStripPremultiplied)
{
    BitmapLibrary library(guiTestResources());
    const Bitmap strip = library.get("stripes.png");
    ASSERT_FALSE(strip.isPlaceholder());
    EXPECT_EQ(strip.width(), 4);
    EXPECT_EQ(strip.height(), 6);
    EXPECT_EQ(strip.image().pixel(0, 0), 0xFF0000FFu); // frame 0 red
    EXPECT_EQ(strip.image().pixel(0, 2), 0x00FF00FFu); // frame 1 green
    EXPECT_EQ(strip.image().pixel(0, 5), 0x0000FFFFu); // frame 2 blue
    EXPECT_EQ(strip.image().pixel(3, 5), 0x00008080u); // half-transparent blue, premultiplied
    EXPECT_TRUE(library.problems().empty());
    // Decoded once, shared afterwards.
    EXPECT_EQ(&library.get("stripes.png").image(), &strip.image());
}

TEST(BitmapLibrary, MissingAndBrokenResourcesBecomeVisiblePlaceholdersAndAreReported)
{
    BitmapLibrary library(guiTestResources());
    const Bitmap missing = library.get("knob.png", 26, 1326);
    const Bitmap broken = library.get("broken.png", 10, 8);
    EXPECT_TRUE(missing.isPlaceholder());
    EXPECT_EQ(missing.width(), 26);
    EXPECT_EQ(missing.height(), 1326);
    EXPECT_TRUE(broken.isPlaceholder());
    EXPECT_EQ(broken.width(), 10);
    // Magenta and black checks.
    EXPECT_EQ(missing.image().pixel(0, 0), 0xFF00FFFFu);
    EXPECT_EQ(missing.image().pixel(4, 0), 0x000000FFu);
    ASSERT_EQ(library.problems().size(), 2u);
    EXPECT_EQ(library.problems()[0], "knob.png: no such resource");
    EXPECT_EQ(library.problems()[1].rfind("broken.png: ", 0), 0u) << library.problems()[1];
    // Asking again reports nothing new.
    library.get("knob.png");
    EXPECT_EQ(library.problems().size(), 2u);
}

TEST(BitmapLibrary, TransientPicturesLiveOnlyWhileHeldAndMayBeMirrored)
{
    BitmapLibrary library(guiTestResources());
    EXPECT_EQ(library.transientPixels(), 0u);
    {
        const Bitmap plain = library.getTransient("stripes.png", 4, 6);
        const Bitmap mirrored = library.getTransient("stripes.png", 4, 6, true);
        ASSERT_FALSE(plain.isPlaceholder());
        EXPECT_EQ(&library.getTransient("stripes.png", 4, 6).image(), &plain.image()); // shared while held
        EXPECT_NE(&mirrored.image(), &plain.image());
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(mirrored.image().pixel(x, y), plain.image().pixel(3 - x, y)) << x << ", " << y;
        EXPECT_EQ(library.transientPixels(), 2u * 4u * 6u);
    }
    // Nobody holds them any more: their pixels are gone, and asking again decodes anew.
    EXPECT_EQ(library.transientPixels(), 0u);
    const Bitmap again = library.getTransient("stripes.png", 4, 6, true);
    EXPECT_EQ(again.image().pixel(3, 5), 0x0000FFFFu);
    EXPECT_EQ(again.image().pixel(0, 5), 0x00008080u);
    EXPECT_EQ(library.transientPixels(), 4u * 6u);
    // A missing one is a placeholder, reported once however often it is asked for.
    EXPECT_TRUE(library.getTransient("pad9on.png", 10, 20).isPlaceholder());
    EXPECT_EQ(library.getTransient("pad9on.png", 10, 20).height(), 20);
    EXPECT_EQ(library.problems().size(), 1u);
}

TEST(PngDecoder, EveryColourTypeBecomesPremultipliedRgba)
{
    struct Case {
        const char* what;
        int colorType;
        int bitDepth;
        std::vector<unsigned char> row; // one row of two pixels
        std::vector<unsigned char> palette;
        bool interlaced;
        std::uint32_t first, second; // expected pixels
    };
    const Case cases[] = {
        {"RGBA 8", PNG_COLOR_TYPE_RGBA, 8, {10, 20, 30, 255, 255, 255, 255, 0}, {}, false, 0x0A141EFF, 0},
        {"RGB 8", PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 40, 50, 60}, {}, false, 0x0A141EFF, 0x28323CFF},
        {"gray 8", PNG_COLOR_TYPE_GRAY, 8, {0, 200}, {}, false, 0x000000FF, 0xC8C8C8FF},
        {"gray 1", PNG_COLOR_TYPE_GRAY, 1, {0x40}, {}, false, 0x000000FF, 0xFFFFFFFF},
        {"gray alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, {255, 255, 200, 0}, {}, false, 0xFFFFFFFF, 0},
        {"RGBA 16", PNG_COLOR_TYPE_RGBA, 16, {0xFF, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0x80, 0}, {}, false, 0xFF0000FF, 0x00000080},
        {"palette", PNG_COLOR_TYPE_PALETTE, 8, {1, 0}, {1, 2, 3, 200, 100, 50}, false, 0xC86432FF, 0x010203FF},
        {"interlaced", PNG_COLOR_TYPE_RGB, 8, {10, 20, 30, 40, 50, 60}, {}, true, 0x0A141EFF, 0x28323CFF},
    };
    for (const Case& c : cases) {
        const auto png = guitest::encodePng(2, 2, c.colorType, c.bitDepth, {c.row, c.row}, c.interlaced, c.palette);
        const PngDecoder::Result r = PngDecoder::decode(png);
        ASSERT_TRUE(r.image) << c.what << ": " << r.error;
        EXPECT_EQ(r.image->width(), 2) << c.what;
        EXPECT_EQ(r.image->height(), 2) << c.what;
        EXPECT_EQ(r.image->pixel(0, 1), c.first) << c.what;
        EXPECT_EQ(r.image->pixel(1, 1), c.second) << c.what;
    }
}

TEST(PngDecoder, RefusesDataThatIsNotAWholePng)
{
    const std::vector<unsigned char> row(4 * 8, 77);
    const auto good = guitest::encodePng(8, 8, PNG_COLOR_TYPE_RGBA, 8, std::vector(8, row));
    ASSERT_TRUE(PngDecoder::decode(good).image);
    // Every cut of the file, and a few corrupted bytes, fail cleanly.
    for (std::size_t length = 0; length < good.size(); ++length) {
        const auto r = PngDecoder::decode(std::span(good.data(), length));
        EXPECT_FALSE(r.image) << "cut at " << length;
        EXPECT_FALSE(r.error.empty()) << "cut at " << length;
    }
    for (std::size_t at = 8; at < good.size(); at += 3) {
        auto bad = good;
        bad[at] ^= 0x5A;
        const auto r = PngDecoder::decode(bad);
        if (r.image) {
            EXPECT_EQ(r.image->width(), 8); // a change libpng cannot notice (ancillary data)
        }
    }
    const unsigned char text[] = "GIF89a not a png";
    EXPECT_EQ(PngDecoder::decode(text).error, "not a PNG file");
}

TEST(PngDecoder, RefusesOversizedPictures)
{
    const std::vector<unsigned char> row(PngDecoder::kMaxSide + 1, 0);
    const auto png = guitest::encodePng(PngDecoder::kMaxSide + 1, 1, PNG_COLOR_TYPE_GRAY, 8, {row});
    const auto r = PngDecoder::decode(png);
    EXPECT_FALSE(r.image);
    EXPECT_FALSE(r.error.empty());
}
