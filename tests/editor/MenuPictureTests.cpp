// The editor's menus as the user sees them: every open list, wherever it
// opens and however far it is scrolled, is an opaque panel whose entries
// read well (text against the pixels behind it, measured in the picture);
// the input channel menu's closed text is large and bright enough.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "FakePlugin.h"
#include "editor/EditorLayout.h"
#include "gui/KeyEvent.h"
#include "gui/OptionMenu.h"
#include "gui/OptionMenuPopup.h"
#include "tests/support/TextContrast.h"

namespace editor::test {
namespace {

namespace tag = layout::tag;

constexpr double kTextContrast = 4.5;      // WCAG, normal text
constexpr double kLineContrast = 3.0;      // WCAG, graphics (separators)
constexpr int kStrongTextPixels = 6;       // pixels at full contrast an entry's text must have

double contrast(std::uint32_t a, std::uint32_t b)
{
    return text_contrast::ratio(text_contrast::luminance(a), text_contrast::luminance(b));
}

// The pixels of a rectangle of the picture: the colour most of them have
// (the fill behind the text), its share, and how the others stand out.
struct RowPicture {
    std::uint32_t background = 0; // most frequent pixel
    double backgroundShare = 0.0; // of all pixels
    double strongest = 1.0;       // highest contrast of a pixel with the background
    int strongPixels = 0;         // pixels at kTextContrast or more
    int linePixels = 0;           // pixels at kLineContrast or more
};

RowPicture measure(const gui::Image& image, const gui::Rect& r)
{
    std::map<std::uint32_t, int> counts;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            ++counts[image.pixel(x, y)];
    RowPicture p;
    int most = 0;
    for (const auto& [pixel, n] : counts)
        if (n > most) {
            most = n;
            p.background = pixel;
        }
    p.backgroundShare = double(most) / double(r.width() * r.height());
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const double c = contrast(image.pixel(x, y), p.background);
            p.strongest = std::max(p.strongest, c);
            p.strongPixels += c >= kTextContrast;
            p.linePixels += c >= kLineContrast;
        }
    return p;
}

// A folder of wave files for the response menu, removed afterwards.
struct WaveFolder {
    std::filesystem::path path;
    explicit WaveFolder(int count)
        : path(std::filesystem::temp_directory_path() / ("selvarine-menus-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(path);
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "Room %02d.wav", i + 1);
            std::ofstream(path / name) << "RIFF";
        }
    }
    ~WaveFolder() { std::filesystem::remove_all(path); }
};

void key(EditorFixture& f, gui::Key k)
{
    gui::KeyEvent e;
    e.key = k;
    f.gui->frame()->keyDown(e);
}

TEST(MenuPicture, EveryOpenListIsAnOpaquePanelWhoseEntriesReadWell)
{
    enum class Opens { below, above, anywhere };
    struct Case {
        const char* what;
        int tag;
        int waveFiles;             // response menu: files in its folder
        std::vector<gui::Key> keys; // pressed once the list is open
        Opens opens;
        bool scrolled;             // first entry out of view
    };
    const Case cases[] = {
        {"program", tag::ProgramMenu, 0, {}, Opens::anywhere, false},
        {"program, scrolled to its end", tag::ProgramMenu, 0, {gui::Key::end}, Opens::anywhere, true},
        {"file", tag::FileMenu, 0, {gui::Key::down, gui::Key::down}, Opens::below, false},
        {"input channel", param::InputChannel, 0, {}, Opens::below, false},
        {"input meter", tag::InputMeterMenu, 0, {}, Opens::below, false},
        {"cabinet 1", param::Cab1Type, 0, {gui::Key::down}, Opens::below, false},
        {"cabinet 2", param::Cab2Type, 0, {}, Opens::below, false},
        {"microphone 1", param::Mic1Type, 0, {}, Opens::below, false},
        {"microphone 2", param::Mic2Type, 0, {gui::Key::end}, Opens::below, false},
        {"response", tag::ResponseMenu, 6, {}, Opens::above, false},
        {"response, long and scrolled", tag::ResponseMenu, 40, {gui::Key::end, gui::Key::up}, Opens::anywhere, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WaveFolder folder(c.waveFiles);
        EditorFixture f;
        if (c.waveFiles > 0)
            f.plugin.response = (folder.path / "Room 02.wav").string();
        f.build();
        gui::Frame& frame = *f.gui->frame();
        frame.redrawAll();
        const gui::Image closed = frame.image();

        auto* menu = dynamic_cast<gui::OptionMenu*>(f.gui->control(c.tag));
        ASSERT_NE(menu, nullptr);
        const gui::Point centre = f.centreOf(c.tag);
        f.click(centre.x, centre.y);
        auto* popup = dynamic_cast<gui::OptionMenuPopup*>(frame.modalView());
        ASSERT_NE(popup, nullptr) << "the click opens the list";
        for (gui::Key k : c.keys)
            key(f, k);
        frame.redrawAll();
        const gui::Image& picture = frame.image();

        const gui::Rect list = popup->size();
        const gui::Rect anchor = menu->frameRect();
        if (c.opens == Opens::below) {
            EXPECT_GE(list.top, anchor.bottom);
        } else if (c.opens == Opens::above) {
            EXPECT_LE(list.bottom, anchor.top);
        }
        EXPECT_EQ(popup->firstVisible() > 0, c.scrolled);

        std::uint32_t entryBackground = 0;
        std::uint32_t highlightBackground = 0;
        int separators = 0;
        const int last = std::min(popup->firstVisible() + popup->visibleRows(), menu->entryCount());
        for (int i = popup->firstVisible(); i < last; ++i) {
            SCOPED_TRACE(testing::Message() << "entry " << i << " \"" << menu->entry(i) << "\"");
            const RowPicture row = measure(picture, popup->entryRect(i));
            // The fill behind the text is one colour, not the artwork.
            EXPECT_GE(row.backgroundShare, 0.6);
            if (gui::OptionMenu::isSeparator(menu->entry(i))) {
                ++separators;
                EXPECT_GE(row.linePixels, list.width() / 2) << "a visible line across the list";
                continue;
            }
            EXPECT_GE(row.strongest, kTextContrast);
            EXPECT_GE(row.strongPixels, kStrongTextPixels) << "the text is there at full strength";
            (i == popup->highlighted() ? highlightBackground : entryBackground) = row.background;
        }
        if (c.tag == tag::FileMenu) {
            EXPECT_GT(separators, 0) << "the file menu's separators are in view";
        }
        ASSERT_GE(popup->highlighted(), popup->firstVisible());
        EXPECT_GE(contrast(highlightBackground, entryBackground), kLineContrast)
            << "the highlighted entry stands out";
        // The same panel for every menu, whatever the closed menu looks like.
        EXPECT_EQ(entryBackground, gui::Image::premultiply(gui::MenuListStyle{}.background));

        // Escape takes the list down and leaves the closed menus as they were.
        key(f, gui::Key::escape);
        EXPECT_EQ(frame.modalView(), nullptr);
        frame.redrawAll();
        EXPECT_TRUE(frame.image() == closed) << "the picture after the list closed";
    }
}

// The closed input channel menu in the top bar: "IN L", "IN R", "IN LR" in
// 28 pixels, read at 100 %. The text's pixels are those that change when the
// menu shows nothing.
TEST(MenuPicture, InputChannelTextIsLargeAndBrightEnough)
{
    EditorFixture f;
    f.build();
    gui::Frame& frame = *f.gui->frame();
    auto* menu = dynamic_cast<gui::OptionMenu*>(f.gui->control(param::InputChannel));
    ASSERT_NE(menu, nullptr);
    const gui::Rect r = menu->frameRect();
    ASSERT_EQ(r.width(), 28);
    menu->setCurrent(-1);
    frame.redrawAll();
    const gui::Image empty = frame.image();

    for (int entry = 0; entry < menu->entryCount(); ++entry) {
        SCOPED_TRACE(menu->entry(entry));
        menu->setCurrent(entry);
        frame.redrawAll();
        const gui::Image& picture = frame.image();
        int top = r.bottom, bottom = r.top, left = r.right, right = r.left;
        double strongest = 1.0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const double c = contrast(picture.pixel(x, y), empty.pixel(x, y));
                strongest = std::max(strongest, c);
                if (c < 2.0) // faint edges of the anti-aliasing do not count
                    continue;
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
                left = std::min(left, x);
                right = std::max(right, x + 1);
            }
        EXPECT_GE(bottom - top, 8) << "capital height";
        EXPECT_GE(strongest, kTextContrast);
        // Nothing cut off at the menu's edges.
        EXPECT_GT(left, r.left);
        EXPECT_LT(right, r.right);
    }
}

} // namespace
} // namespace editor::test
