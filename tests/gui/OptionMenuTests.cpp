// Option menus: entries and values, the popup list as the frame's overlay,
// choosing by mouse and keys, separators, scrolling, the bitmap button.
#include "TestBitmaps.h"

#include "gui/Frame.h"
#include "gui/OptionMenu.h"
#include "gui/OptionMenuPopup.h"

#include <gtest/gtest.h>

using namespace gui;
using Log = std::vector<std::string>;

namespace {

struct MenuFixture {
    Frame frame;
    guitest::RecordingListener listener;
    OptionMenu* menu;

    MenuFixture(std::vector<std::string> entries, Rect where = {123, 6, 149, 24}, int w = 650, int h = 500)
        : frame(w, h)
    {
        menu = frame.add(std::make_unique<OptionMenu>(where, &listener, 46));
        for (auto& e : entries)
            menu->addEntry(e);
        frame.redrawDirty();
    }
    OptionMenuPopup* popup() { return dynamic_cast<OptionMenuPopup*>(frame.modalView()); }
    void open()
    {
        guitest::click(frame, menu->size().left + 2, menu->size().top + 2);
        ASSERT_NE(popup(), nullptr);
    }
    // Clicks the middle of entry `index` (which must be in view).
    void clickEntry(int index)
    {
        const Rect r = popup()->entryRect(index);
        ASSERT_FALSE(r.empty()) << "entry " << index << " not in view";
        guitest::move(frame, r.left + 5, r.top + r.height() / 2);
        guitest::click(frame, r.left + 5, r.top + r.height() / 2);
    }
    void key(Key k)
    {
        KeyEvent e;
        e.key = k;
        frame.keyDown(e);
    }
};

const std::vector<std::string> kFileMenu = {"Save Preset", "Load Preset", "-", "Save Bank", "Load Bank", "-",
                                            "User Manual", "-", "Doxaro Website"};

} // namespace

TEST(OptionMenu, ValueIsTheIndexOverTheLastIndex)
{
    MenuFixture f({"IN L", "IN R", "IN LR"});
    struct Case {
        float value;
        int index;
    };
    const Case cases[] = {{0.0f, 0}, {0.5f, 1}, {1.0f, 2}, {0.24f, 0}, {0.26f, 1}, {0.8f, 2}};
    for (const Case& c : cases) {
        f.menu->setValue(c.value);
        EXPECT_EQ(f.menu->currentIndex(), c.index) << c.value;
        EXPECT_EQ(f.menu->text(), f.menu->entry(c.index));
    }
    f.menu->setCurrent(1);
    EXPECT_EQ(f.menu->value(), 0.5f);
    f.menu->setCurrent(7);
    EXPECT_EQ(f.menu->currentIndex(), -1);
    EXPECT_EQ(f.menu->text(), "");
    EXPECT_TRUE(f.listener.log.empty()) << "nothing set from outside is reported";
}

TEST(OptionMenu, ClickOpensTheListBelowAndAClickOnAnEntryChoosesIt)
{
    MenuFixture f({"Dynamic 57", "Dynamic 441", "Condenser 1", "Ribbon 1"}, {79, 29, 273, 47});
    f.open();
    const Rect list = f.popup()->size();
    EXPECT_EQ(list.top, 47) << "just below the menu";
    EXPECT_EQ(list.left, 79);
    EXPECT_GE(list.width(), 194);
    EXPECT_FALSE(f.popup()->scrolls());
    EXPECT_EQ(f.popup()->highlighted(), 0) << "the current entry";
    EXPECT_TRUE(f.listener.log.empty()) << "opening is not an edit";

    f.clickEntry(3);
    EXPECT_EQ(f.frame.modalView(), nullptr);
    EXPECT_EQ(f.menu->currentIndex(), 3);
    EXPECT_EQ(f.menu->value(), 1.0f);
    EXPECT_EQ(f.listener.log, (Log{"begin 46", "change 46 1", "end 46"}));

    // The same entry again is reported again (menus of commands need that).
    f.open();
    f.clickEntry(3);
    EXPECT_EQ(f.listener.log.size(), 6u);
}

TEST(OptionMenu, SeparatorsCannotBeChosenAndClicksOutsideCloseWithoutAChoice)
{
    MenuFixture f(kFileMenu);
    f.open();
    f.clickEntry(2);
    EXPECT_NE(f.frame.modalView(), nullptr) << "a separator does nothing";
    guitest::click(f.frame, 600, 450);
    EXPECT_EQ(f.frame.modalView(), nullptr);
    EXPECT_TRUE(f.listener.log.empty());
    EXPECT_EQ(f.menu->currentIndex(), 0);

    // Pressing one entry and releasing over another chooses nothing.
    f.open();
    const Rect a = f.popup()->entryRect(0);
    const Rect b = f.popup()->entryRect(3);
    guitest::press(f.frame, a.left + 3, a.top + 3);
    guitest::move(f.frame, b.left + 3, b.top + 3);
    guitest::release(f.frame, b.left + 3, b.top + 3);
    EXPECT_TRUE(f.listener.log.empty());
}

TEST(OptionMenu, KeysMoveSkipSeparatorsChooseAndCancel)
{
    struct Case {
        const char* what;
        std::vector<Key> keys;
        int chosen; // -1: closed without a choice
    };
    const Case cases[] = {
        {"enter", {Key::enter}, 0},
        {"down twice skips the separator", {Key::down, Key::down, Key::enter}, 3},
        {"up at the top stays", {Key::up, Key::enter}, 0},
        {"end", {Key::end, Key::enter}, 8},
        {"end then up skips the separator", {Key::end, Key::up, Key::enter}, 6},
        {"home", {Key::end, Key::home, Key::enter}, 0},
        {"escape", {Key::down, Key::escape}, -1},
        {"letters do nothing", {Key::character, Key::enter}, 0},
    };
    for (const Case& c : cases) {
        MenuFixture f(kFileMenu);
        f.open();
        for (Key k : c.keys)
            f.key(k);
        EXPECT_EQ(f.frame.modalView(), nullptr) << c.what;
        if (c.chosen < 0) {
            EXPECT_TRUE(f.listener.log.empty()) << c.what;
        } else {
            EXPECT_EQ(f.menu->currentIndex(), c.chosen) << c.what;
            EXPECT_EQ(f.listener.log.size(), 3u) << c.what;
        }
    }
}

TEST(OptionMenu, ListLongerThanTheFrameScrolls)
{
    std::vector<std::string> entries;
    for (int i = 0; i < 40; ++i)
        entries.push_back("Program " + std::to_string(i));
    MenuFixture f(entries, {20, 10, 120, 28}, 200, 150);
    f.menu->setCurrent(30);
    f.open();
    OptionMenuPopup* popup = f.popup();
    EXPECT_TRUE(popup->scrolls());
    EXPECT_GE(popup->size().top, 0);
    EXPECT_LE(popup->size().bottom, 150) << "inside the frame";
    const int rows = popup->visibleRows();
    EXPECT_LT(rows, 40);
    EXPECT_GE(30, popup->firstVisible()) << "the current entry is in view";
    EXPECT_LT(30, popup->firstVisible() + rows);

    f.key(Key::home);
    EXPECT_EQ(popup->firstVisible(), 0);
    f.key(Key::end);
    EXPECT_EQ(popup->firstVisible(), 40 - rows);
    EXPECT_FALSE(popup->entryRect(39).empty());

    // The wheel and the arrow rows scroll without choosing.
    const int cx = popup->size().left + 10;
    guitest::wheel(f.frame, cx, popup->size().top + 20, 3.0f);
    EXPECT_EQ(popup->firstVisible(), 40 - rows - 1);
    guitest::click(f.frame, cx, popup->size().top + 2); // top arrow row
    EXPECT_EQ(popup->firstVisible(), 40 - rows - 2);
    guitest::click(f.frame, cx, popup->size().bottom - 2); // bottom arrow row
    EXPECT_EQ(popup->firstVisible(), 40 - rows - 1);
    EXPECT_TRUE(f.listener.log.empty());

    // Entry rows map to the scrolled entries.
    const int first = popup->firstVisible();
    f.clickEntry(first + 1);
    EXPECT_EQ(f.menu->currentIndex(), first + 1);
}

TEST(OptionMenu, ListOpensAboveWhenThereIsNoRoomBelow)
{
    MenuFixture f({"Black Tolex (2 x 12)", "Red Tolex (1 x 12)", "Blonde Vintage (1 x 10)", "Iron Grill (1 x 10)",
                   "Cloth Grill (1 x 8)"},
                  {120, 476, 530, 494});
    f.open();
    EXPECT_EQ(f.popup()->size().bottom, 476);
    EXPECT_FALSE(f.popup()->scrolls());
}

TEST(OptionMenu, DrawsTheCurrentEntryOrItsButtonBitmaps)
{
    MenuFixture f(kFileMenu);
    f.menu->setButtonBitmaps(guitest::solid(26, 18, {1, 1, 200, 255}), guitest::solid(26, 18, {200, 1, 1, 255}));
    f.frame.redrawDirty();
    EXPECT_EQ(f.frame.image().pixel(130, 10), 0x0101C8FFu);
    f.open();
    f.frame.redrawDirty();
    EXPECT_EQ(f.frame.image().pixel(130, 10), 0xC80101FFu) << "pressed while open";
    f.key(Key::escape);
    f.frame.redrawDirty();
    EXPECT_EQ(f.frame.image().pixel(130, 10), 0x0101C8FFu);

    // As text: the entry shows, and changes with the selection.
    MenuFixture g({"IN L", "IN R", "IN LR"}, {4, 5, 32, 25});
    const auto snapshot = [&] {
        g.frame.redrawDirty();
        std::vector<std::uint32_t> pixels;
        for (int y = 5; y < 25; ++y)
            for (int x = 4; x < 32; ++x)
                pixels.push_back(g.frame.image().pixel(x, y));
        return pixels;
    };
    const auto left = snapshot();
    g.menu->setCurrent(2);
    EXPECT_NE(snapshot(), left);
    g.menu->setCurrent(0);
    EXPECT_EQ(snapshot(), left);
}

TEST(OptionMenu, ClosingOrRemovingTheMenuTakesTheListDown)
{
    MenuFixture f({"a", "b"});
    f.open();
    std::unique_ptr<View> removed = f.frame.removeView(f.menu);
    EXPECT_EQ(f.frame.modalView(), nullptr);
    EXPECT_FALSE(static_cast<OptionMenu*>(removed.get())->isOpen());
    guitest::click(f.frame, 5, 5);
    EXPECT_TRUE(f.listener.log.empty());
    // A menu without entries does not open.
    MenuFixture empty({});
    guitest::click(empty.frame, 125, 8);
    EXPECT_EQ(empty.frame.modalView(), nullptr);
}
