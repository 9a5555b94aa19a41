// The editor's bitmaps as the toolkit sees them: every file in
// resources/editor decodes without a placeholder, at the size and frame
// layout the editor's controls will cut it into.
#include "gui/BitmapLibrary.h"
#include "gui/FilmStrip.h"

#include <gtest/gtest.h>

std::span<const gui::EmbeddedFile> editorArtwork();

using namespace gui;

TEST(EditorArtwork, EveryBitmapDecodes)
{
    BitmapLibrary library(editorArtwork());
    ASSERT_FALSE(editorArtwork().empty());
    for (const EmbeddedFile& file : editorArtwork()) {
        const Bitmap b = library.get(file.name);
        EXPECT_FALSE(b.isPlaceholder()) << file.name;
        EXPECT_GT(b.width(), 0) << file.name;
    }
    EXPECT_TRUE(library.problems().empty()) << library.problems().front();
}

TEST(EditorArtwork, SizesAndFrameLayoutsFitTheControls)
{
    struct Case {
        const char* name;
        int width;
        int height;
        int frames; // pictures stacked vertically
    };
    const Case cases[] = {
        {"background.png", 650, 500, 1},  {"gain.png", 47, 5353, 101},     {"knobbig.png", 26, 1326, 51},
        {"knobsmall.png", 15, 765, 51},   {"miclefton.png", 282, 23129, 101}, {"michandle.png", 90, 150, 1},
        {"pad1on.png", 474, 23129, 101},  {"pad3off.png", 474, 23129, 101}, {"pad5on.png", 474, 23129, 101},
        {"ampon.png", 52, 88, 2},         {"gateonoff.png", 30, 20, 2},     {"amptype.png", 34, 108, 3},
        {"ampchannel.png", 34, 48, 2},    {"arrow_left.png", 14, 32, 2},    {"irload.png", 20, 40, 2},
        {"file.png", 26, 18, 1},          {"fileclicked.png", 26, 18, 1},   {"vuon.png", 42, 8, 1},
        {"vuoff.png", 42, 8, 1},          {"clipled.png", 12, 24, 2},       {"slider.png", 10, 8, 1},
        {"cabsetcontainer.png", 650, 100, 1}, {"monocontainer.png", 498, 25, 1}, {"about.png", 600, 414, 1},
    };
    BitmapLibrary library(editorArtwork());
    for (const Case& c : cases) {
        const Bitmap b = library.get(c.name);
        ASSERT_FALSE(b.isPlaceholder()) << c.name;
        EXPECT_EQ(b.width(), c.width) << c.name;
        EXPECT_EQ(b.height(), c.height) << c.name;
        EXPECT_EQ(FilmStrip::frameHeight(b, c.frames) * c.frames, c.height) << c.name;
    }
}
