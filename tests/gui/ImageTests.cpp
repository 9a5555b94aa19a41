// The picture in memory, the painter's clipping and compositing, text and
// the dirty region.
#include "gui/DirtyRegion.h"
#include "gui/Font.h"
#include "gui/Painter.h"

#include <gtest/gtest.h>

using namespace gui;

TEST(Image, StoresPremultipliedPixels)
{
    Image image(2, 1);
    image.setPixel(0, 0, {200, 100, 50, 255});
    image.setPixel(1, 0, {200, 100, 50, 128});
    EXPECT_EQ(image.pixel(0, 0), 0xC86432FFu);
    // 200·128/255 = 100.4, 100·128/255 = 50.2, 50·128/255 = 25.1
    EXPECT_EQ(image.pixel(1, 0), 0x64321980u);
}

TEST(Painter, SourceOverCompositingOfPremultipliedPixels)
{
    Image target(1, 1);
    target.fill({0, 0, 255, 255});
    Image source(1, 1);
    source.setPixel(0, 0, {255, 0, 0, 128});
    Painter(target).drawImage(source, source.bounds(), {0, 0});
    // Half red over opaque blue.
    EXPECT_EQ(target.pixel(0, 0), 0x80007FFFu);

    Painter(target).drawImage(source, source.bounds(), {0, 0}, false);
    EXPECT_EQ(target.pixel(0, 0), source.pixel(0, 0)) << "a copy replaces the pixel";
}

TEST(Painter, DrawsOnlyInsideItsClipAndTheTarget)
{
    struct Case {
        Rect clip;
        Point at;
        Rect expected; // pixels of the 10×10 target that change
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, {2, 3}, {2, 3, 6, 7}},
        {{0, 0, 10, 10}, {-2, -1}, {0, 0, 2, 3}},
        {{0, 0, 10, 10}, {8, 8}, {8, 8, 10, 10}},
        {{3, 4, 5, 6}, {2, 3}, {3, 4, 5, 6}},
        {{0, 0, 1, 1}, {2, 3}, {}},
    };
    Image source(4, 4);
    source.fill({255, 255, 255, 255});
    for (const Case& c : cases) {
        Image target(10, 10);
        Painter painter = Painter(target).clipped(c.clip);
        painter.drawImage(source, source.bounds(), c.at);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                EXPECT_EQ(target.pixel(x, y) != 0, c.expected.contains({x, y}))
                    << "pixel " << x << "," << y << " drawing at " << c.at.x << "," << c.at.y;
    }
}

TEST(Painter, TranslatedPainterDrawsInChildCoordinates)
{
    Image target(20, 20);
    Painter child = Painter(target).translated({5, 6}, {5, 6, 15, 16});
    EXPECT_EQ(child.clipRect(), (Rect{0, 0, 10, 10}));
    child.fillRect({-5, -5, 2, 2}, colors::white);
    EXPECT_NE(target.pixel(5, 6), 0u);
    EXPECT_NE(target.pixel(6, 7), 0u);
    EXPECT_EQ(target.pixel(4, 6), 0u) << "clipped to the child";
    EXPECT_EQ(target.pixel(7, 8), 0u);
}

TEST(Font, BuiltInFontsCoverPrintableAsciiAndMeasureText)
{
    for (const Font& font : {Font::small(), Font::normal()}) {
        EXPECT_GT(font.lineHeight(), 0);
        EXPECT_EQ(font.textWidth(""), 0);
        EXPECT_GT(font.textWidth("W"), font.textWidth("i"));
        EXPECT_EQ(font.textWidth("ab"), font.textWidth("a") + font.textWidth("b"));
        EXPECT_EQ(font.textWidth("\x7f"), font.textWidth("?")) << "unknown characters draw as '?'";
        EXPECT_EQ(font.textWidth("\xc3\xa9"), font.textWidth("?")) << "one multi-byte character";
    }
    EXPECT_LE(Font::small().lineHeight(), 10) << "fits the 10-pixel note display";
    EXPECT_LT(Font::small().lineHeight(), Font::normal().lineHeight());
}

// A name too long for its place keeps its start and its end around "...",
// fits, and is never cut inside a character.
TEST(Font, FitMiddleKeepsBothEndsAndFits)
{
    const Font font = Font::normal();
    struct Case {
        std::string text;
        int width;
        std::string expected; // empty: shortened, checked by its parts
    };
    const std::string longText = "abcdefghijklmnopqrstuvwxyz0123456789";
    const Case cases[] = {
        {"room_b", 200, "room_b"},                             // fits: unchanged
        {longText, font.textWidth(longText), longText},        // exactly fits
        {longText, 100, ""},
        {"\xc3\xa9t\xc3\xa9 \xc3\xa0 la plage du soir tard", 60, ""}, // UTF-8 letters
        {longText, font.textWidth("...") - 1, "..."},          // no room even for the dots
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " in " + std::to_string(c.width));
        const std::string fitted = font.fitMiddle(c.text, c.width);
        if (!c.expected.empty()) {
            EXPECT_EQ(fitted, c.expected);
            continue;
        }
        EXPECT_LE(font.textWidth(fitted), c.width);
        const std::size_t dots = fitted.find("...");
        ASSERT_NE(dots, std::string::npos);
        const std::string head = fitted.substr(0, dots);
        const std::string tail = fitted.substr(dots + 3);
        EXPECT_FALSE(head.empty());
        EXPECT_FALSE(tail.empty());
        EXPECT_EQ(c.text.compare(0, head.size(), head), 0);
        EXPECT_EQ(c.text.compare(c.text.size() - tail.size(), tail.size(), tail), 0);
        // Whole characters only: no piece starts or ends inside a sequence.
        EXPECT_NE(static_cast<unsigned char>(tail.front()) & 0xC0, 0x80);
        EXPECT_NE(static_cast<unsigned char>(head.back()) & 0xC0, 0xC0);
        // As much as fits: one more character of either end would not.
        EXPECT_GT(font.textWidth(fitted) + font.textWidth("m"), c.width - font.textWidth("m"));
    }
}

TEST(Painter, TextIsAntiAliasedPlacedByAlignmentAndClipped)
{
    const Font font = Font::normal();
    const Rect box{10, 0, 110, 20};
    // Leftmost inked column for each alignment.
    const auto leftmostInk = [&](Alignment a) {
        Image target(120, 20);
        Painter(target).drawText(font, "Tone", box, a, colors::white);
        int left = -1;
        bool partial = false;
        for (int x = 0; x < 120 && left < 0; ++x)
            for (int y = 0; y < 20; ++y)
                if (target.pixel(x, y) != 0) {
                    left = x;
                    break;
                }
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 120; ++x) {
                const std::uint32_t a = target.pixel(x, y) & 0xFF;
                partial = partial || (a > 0 && a < 255);
                EXPECT_TRUE(a == 0 || box.contains({x, y})) << "ink outside the box";
            }
        EXPECT_TRUE(partial) << "anti-aliased edges";
        return left;
    };
    const int width = font.textWidth("Tone");
    const int left = leftmostInk(Alignment::left);
    const int center = leftmostInk(Alignment::center);
    const int right = leftmostInk(Alignment::right);
    EXPECT_NEAR(left, 10, 2);
    EXPECT_NEAR(center, 10 + (100 - width) / 2, 2);
    EXPECT_NEAR(right, 110 - width, 2);

    Image clippedTarget(120, 20);
    Painter(clippedTarget).drawText(font, "A very long line of text indeed", {0, 0, 30, 20},
                                    Alignment::left, colors::white);
    for (int y = 0; y < 20; ++y)
        for (int x = 30; x < 120; ++x)
            ASSERT_EQ(clippedTarget.pixel(x, y), 0u);
}

TEST(DirtyRegion, MergesNearbyRectanglesAndKeepsDistantOnesApart)
{
    DirtyRegion region;
    region.add({0, 0, 10, 10});
    region.add({5, 0, 15, 10}); // overlaps: merged
    ASSERT_EQ(region.rects().size(), 1u);
    EXPECT_EQ(region.rects()[0], (Rect{0, 0, 15, 10}));
    region.add({100, 100, 110, 110}); // far away: separate
    EXPECT_EQ(region.rects().size(), 2u);
    region.add({}); // empty: ignored
    EXPECT_EQ(region.rects().size(), 2u);
    EXPECT_EQ(region.bounds(), (Rect{0, 0, 110, 110}));
}

TEST(DirtyRegion, CollapsesToItsBoundsPastTheLimit)
{
    DirtyRegion region;
    for (int i = 0; i <= DirtyRegion::kMaxRects; ++i)
        region.add(Rect::fromSize(i * 20, i * 20, 2, 2));
    ASSERT_EQ(region.rects().size(), 1u);
    EXPECT_EQ(region.rects()[0], (Rect{0, 0, DirtyRegion::kMaxRects * 20 + 2, DirtyRegion::kMaxRects * 20 + 2}));
}
