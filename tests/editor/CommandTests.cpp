// The editor's commands: program, cabinet and microphone arrows, panel and
// meter switches, the file menu with its dialogs and messages, and the
// impulse-response controls.
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include <gtest/gtest.h>

#include "FakePlugin.h"
#include "editor/EditorLayout.h"
#include "gui/OptionMenu.h"
#include "gui/TextLabel.h"
#include "tests/support/TextContrast.h"

namespace editor::test {
namespace {

namespace tag = layout::tag;

TEST(Commands, ProgramArrowsWrapAndActOnRelease)
{
    struct Case {
        int from;
        int arrow;
        int to;
    };
    for (const Case c : {Case{0, tag::PreviousProgram, 23}, Case{23, tag::NextProgram, 0},
                         Case{5, tag::NextProgram, 6}, Case{5, tag::PreviousProgram, 4}}) {
        EditorFixture f;
        f.plugin.program = c.from;
        f.build();
        const gui::Point p = f.centreOf(c.arrow);
        f.press(p.x, p.y);
        EXPECT_EQ(f.plugin.program, c.from); // nothing on the press
        f.release(p.x, p.y);
        EXPECT_EQ(f.plugin.program, c.to);
        EXPECT_EQ(f.gui->menu(tag::ProgramMenu)->currentIndex(), c.to);
        // The new program's values are on the controls at once.
        EXPECT_FLOAT_EQ(f.gui->control(param::AmpGain)->value(), float(c.to) / 23.0f);
    }
}

TEST(Commands, KickReleasedOutsideDoesNothing)
{
    EditorFixture f;
    f.build();
    const gui::Point p = f.centreOf(tag::NextProgram);
    f.press(p.x, p.y);
    f.move(p.x, p.y + 100);
    f.release(p.x, p.y + 100);
    EXPECT_EQ(f.plugin.program, 0);
}

TEST(Commands, HostKeysDriveTheOpenMenuList)
{
    EditorFixture f;
    f.build();
    vst::VstKeyCode down{0, 14, 0};
    vst::VstKeyCode enter{0, 19, 0};
    EXPECT_FALSE(f.gui->onKeyDown(down)); // no list open: the host keeps the key
    f.gui->menu(tag::ProgramMenu)->openPopup();
    EXPECT_TRUE(f.gui->onKeyDown(down));
    EXPECT_TRUE(f.gui->onKeyDown(enter));
    EXPECT_EQ(f.plugin.program, 1);
}

TEST(Commands, ProgramMenuSelects)
{
    EditorFixture f;
    f.build();
    f.gui->menu(tag::ProgramMenu)->choose(7);
    EXPECT_EQ(f.plugin.program, 7);
}

TEST(Commands, CabinetAndMicrophoneArrowsWrap)
{
    struct Case {
        int arrow;
        int parameter;
        float start;
        float sent;
    };
    const Case cases[] = {
        {tag::Cab1Previous, param::Cab1Type, 0.0f, 1.0f},   {tag::Cab1Next, param::Cab1Type, 1.0f, 0.0f},
        {tag::Cab2Next, param::Cab2Type, 0.25f, 0.5f},      {tag::Cab2Previous, param::Cab2Type, 0.5f, 0.25f},
        {tag::Mic1Previous, param::Mic1Type, 0.0f, 1.0f},   {tag::Mic1Next, param::Mic1Type, 1.0f, 0.0f},
        {tag::Mic2Next, param::Mic2Type, 1.0f / 3.0f, 2.0f / 3.0f},
        {tag::Mic2Previous, param::Mic2Type, 0.0f, 1.0f},
        // 0.666667 plays "Ribbon 1" (the engine's ceiling), so the step goes on from there.
        {tag::Mic1Next, param::Mic1Type, 0.666667f, 0.0f}, {tag::Mic1Previous, param::Mic1Type, 0.666667f, 2.0f / 3.0f},
        {tag::Cab1Next, param::Cab1Type, 0.1f, 0.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arrow);
        EditorFixture f;
        f.plugin.values[std::size_t(c.parameter)] = c.start;
        f.build();
        const gui::Point p = f.centreOf(c.arrow);
        f.press(p.x, p.y);
        EXPECT_FALSE(f.plugin.lastSent(c.parameter));
        f.release(p.x, p.y);
        ASSERT_TRUE(f.plugin.lastSent(c.parameter));
        EXPECT_FLOAT_EQ(*f.plugin.lastSent(c.parameter), c.sent);
        f.gui->idle();
        const int entries = f.gui->menu(c.parameter)->entryCount();
        EXPECT_EQ(f.gui->menu(c.parameter)->currentIndex(), int(c.sent * float(entries - 1) + 0.5f));
    }
}

// The menus follow a change only at the next idle, which a host may call
// seldom: every click counts all the same.
TEST(Commands, ArrowClicksBetweenIdlesAllStep)
{
    struct Case {
        int arrow;
        int parameter;
        int clicks;
        float sent;
    };
    for (const Case c : {Case{tag::Cab1Next, param::Cab1Type, 2, 0.5f}, Case{tag::Mic2Previous, param::Mic2Type, 3, 1.0f / 3.0f},
                         Case{tag::Cab2Previous, param::Cab2Type, 4, 0.25f}}) {
        SCOPED_TRACE(c.arrow);
        EditorFixture f;
        f.plugin.values[std::size_t(c.parameter)] = 0.0f;
        f.build();
        const gui::Point p = f.centreOf(c.arrow);
        for (int i = 0; i < c.clicks; ++i)
            f.click(p.x, p.y);
        ASSERT_TRUE(f.plugin.lastSent(c.parameter));
        EXPECT_FLOAT_EQ(*f.plugin.lastSent(c.parameter), c.sent);
        f.gui->idle();
        EXPECT_EQ(f.gui->menu(c.parameter)->currentIndex(), doxaroGUI::displayedEntry(c.parameter, c.sent));
    }
}

TEST(Commands, PanelSwitchShowsAndHidesTheCabinetPanel)
{
    EditorFixture f;
    f.plugin.panel = false;
    f.build();
    ASSERT_FALSE(f.gui->isCabinetPanelAttached());
    const gui::Point p = f.centreOf(tag::CabinetPanelSwitch);
    f.click(p.x, p.y); // 1 -> 0: shown
    EXPECT_TRUE(f.gui->isCabinetPanelAttached());
    EXPECT_TRUE(f.plugin.panel);
    EXPECT_TRUE(f.gui->control(param::Cab1Type)->isAttached());
    f.click(p.x, p.y);
    EXPECT_FALSE(f.gui->isCabinetPanelAttached());
    EXPECT_FALSE(f.plugin.panel);
}

TEST(Commands, InputMeterMenuSetsTheProgramFlag)
{
    EditorFixture f;
    f.build();
    f.gui->menu(tag::InputMeterMenu)->choose(1);
    EXPECT_FALSE(f.plugin.meter);
    EXPECT_EQ(f.gui->menu(tag::InputMeterMenu)->currentIndex(), 1);
    f.gui->menu(tag::InputMeterMenu)->choose(0);
    EXPECT_TRUE(f.plugin.meter);
}

TEST(Commands, FileMenuDialogs)
{
    struct Case {
        int entry;
        bool save;
        const char* title;
        const char* filter;
        const char* pattern;
        const char* ext;
        const char* op;
    };
    const Case cases[] = {
        {0, true, "Save Preset", "D-OrvandelSelvarine Preset (*.sxp)", "*.sxp", "sxp", "savePreset"},
        {1, false, "Load Preset", "D-OrvandelSelvarine Preset (*.sxp)", "*.sxp", "sxp", "loadPreset"},
        {3, true, "Save Bank", "D-OrvandelSelvarine Bank (*.sxb)", "*.sxb", "sxb", "saveBank"},
        {4, false, "Load Bank", "D-OrvandelSelvarine Bank (*.sxb)", "*.sxb", "sxb", "loadBank"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        EditorFixture f;
        f.build();
        // Cancelled: nothing happens.
        f.gui->menu(tag::FileMenu)->choose(c.entry);
        ASSERT_EQ(f.services->dialogs.size(), 1u);
        const FileDialog& d = f.services->dialogs[0];
        EXPECT_EQ(d.save, c.save);
        EXPECT_EQ(d.title, c.title);
        EXPECT_EQ(d.filterName, c.filter);
        EXPECT_EQ(d.pattern, c.pattern);
        EXPECT_EQ(d.defaultExtension, c.ext);
        EXPECT_TRUE(f.plugin.fileOps.empty());
        // Chosen: the plug-in does the work; a failure is told to the user.
        f.services->answer = "/tmp/x";
        f.plugin.fileAnswer = "It went wrong.";
        f.gui->menu(tag::FileMenu)->choose(c.entry);
        ASSERT_EQ(f.plugin.fileOps.size(), 1u);
        EXPECT_EQ(f.plugin.fileOps[0], std::string(c.op) + " /tmp/x");
        EXPECT_EQ(f.services->messages, std::vector<std::string>{"It went wrong."});
    }
}

TEST(Commands, LoadBankTellsTheHostEveryValue)
{
    EditorFixture f;
    f.build();
    f.services->answer = "/tmp/bank.sxb";
    f.plugin.values[param::Reverb] = 0.75f; // what the bank brought
    f.gui->menu(tag::FileMenu)->choose(layout::file::LoadBank);
    for (int i = 0; i < layout::kParameters; ++i)
        EXPECT_TRUE(f.plugin.lastSent(i)) << i;
    EXPECT_EQ(*f.plugin.lastSent(param::Reverb), 0.75f);
    EXPECT_FLOAT_EQ(f.gui->control(param::Reverb)->value(), 0.75f);
    EXPECT_TRUE(f.services->messages.empty());
}

TEST(Commands, ManualMissingAndPresent)
{
    EditorFixture f;
    f.build();
    f.gui->menu(tag::FileMenu)->choose(layout::file::Manual);
    EXPECT_EQ(f.services->messages,
              std::vector<std::string>{
                  "The file at \"/nonexistent/OrvandelSelvarine Files/OrvandelSelvarine Manual.pdf\" doesn't exist!"});
    EXPECT_TRUE(f.services->documents.empty());

    const auto folder = std::filesystem::temp_directory_path() / ("selvarine-editor-manual-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "OrvandelSelvarine Manual.pdf") << "%PDF";
    f.plugin.folder = folder.string() + "/";
    f.gui->menu(tag::FileMenu)->choose(layout::file::Manual);
    ASSERT_EQ(f.services->documents.size(), 1u);
    EXPECT_EQ(f.services->documents[0], (folder / "OrvandelSelvarine Manual.pdf").string());
    std::filesystem::remove_all(folder);
}

TEST(Commands, WebsiteOpensTheMakersPage)
{
    EditorFixture f;
    f.build();
    f.gui->menu(tag::FileMenu)->choose(layout::file::Website);
    EXPECT_EQ(f.services->urls, std::vector<std::string>{"https://www.doxaro.com"});
}

struct ResponseFolder {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("selvarine-editor-responses-" + std::to_string(getpid()));
    ResponseFolder()
    {
        std::filesystem::create_directories(folder);
        for (const char* name : {"a.wav", "b.WAV", "c.wav", "notes.txt"})
            std::ofstream(folder / name) << "x";
    }
    ~ResponseFolder() { std::filesystem::remove_all(folder); }
    std::string path(const char* name) const { return (folder / name).string(); }
};

TEST(Commands, ResponseLoadUnloadAndMenu)
{
    ResponseFolder dir;
    EditorFixture f;
    f.build();
    f.services->answer = dir.path("b.WAV");
    const gui::Point load = f.centreOf(tag::ResponseLoad);
    f.click(load.x, load.y);
    ASSERT_EQ(f.services->dialogs.size(), 1u);
    EXPECT_EQ(f.services->dialogs[0].title, "Load Impulse Response");
    EXPECT_EQ(f.services->dialogs[0].filterName, "Wave File (*.wav)");
    EXPECT_EQ(f.services->dialogs[0].pattern, "*.wav");
    EXPECT_EQ(f.services->dialogs[0].defaultExtension, "wav");
    EXPECT_EQ(f.plugin.response, dir.path("b.WAV"));
    EXPECT_EQ(f.gui->responseText(), "b"); // without folder and extension
    gui::OptionMenu* m = f.gui->menu(tag::ResponseMenu);
    ASSERT_EQ(m->entryCount(), 3);
    EXPECT_EQ(m->currentIndex(), 1);
    m->choose(2);
    EXPECT_EQ(f.plugin.response, dir.path("c.wav"));

    const gui::Point unload = f.centreOf(tag::ResponseUnload);
    f.click(unload.x, unload.y);
    EXPECT_EQ(f.plugin.response, "empty");
    EXPECT_EQ(f.gui->responseText(), "(Load Impulse Response...)");
    EXPECT_EQ(f.gui->menu(tag::ResponseMenu)->entryCount(), 0);
}

TEST(Commands, ResponseArrowsStopAtTheEnds)
{
    ResponseFolder dir;
    struct Case {
        const char* from;
        int arrow;
        const char* to;
    };
    for (const Case c : {Case{"c.wav", tag::ResponseNext, "c.wav"}, Case{"a.wav", tag::ResponsePrevious, "a.wav"},
                         Case{"a.wav", tag::ResponseNext, "b.WAV"}, Case{"c.wav", tag::ResponsePrevious, "b.WAV"},
                         // A file gone from its folder counts as the first entry.
                         Case{"gone.wav", tag::ResponseNext, "b.WAV"}, Case{"gone.wav", tag::ResponsePrevious, "a.wav"}}) {
        EditorFixture f;
        f.plugin.response = dir.path(c.from);
        f.build();
        if (std::string(c.from) == "gone.wav") {
            EXPECT_EQ(f.gui->menu(tag::ResponseMenu)->currentIndex(), 0);
        }
        const gui::Point p = f.centreOf(c.arrow);
        f.click(p.x, p.y);
        EXPECT_EQ(f.plugin.response, dir.path(c.to));
    }
    // Nothing loaded: the arrows do nothing.
    EditorFixture f;
    f.build();
    const gui::Point p = f.centreOf(tag::ResponseNext);
    f.click(p.x, p.y);
    EXPECT_EQ(f.plugin.response, "empty");
}

TEST(Commands, ResponseThatFailedToLoadIsShownAsSuch)
{
    ResponseFolder dir;
    EditorFixture f;
    f.build();
    f.plugin.responseLoadFails = true;
    f.services->answer = dir.path("a.wav");
    const gui::Point load = f.centreOf(tag::ResponseLoad);
    f.click(load.x, load.y);
    EXPECT_EQ(f.gui->responseText(), "a (not loaded)");
}

// What the bottom bar shows of the response, read back from the picture:
// the name starts right of the load and unload buttons with its first
// letter whole, a long one is shortened in the middle, and the placeholder
// stands out from the display's recess.
TEST(Commands, ResponseNameIsReadableRightOfItsButtons)
{
    struct Case {
        std::string path;
        std::string shown;
    };
    const std::string longName = "Marshall-style 4x12 greenbacks, SM57 cap edge 2 inch, take 14 final";
    const Case cases[] = {
        {"empty", "(Load Impulse Response...)"},
        {"/irs/room_b.wav", "room_b"},
        {"/irs/" + longName + ".wav", ""}, // shortened: checked below
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EditorFixture f;
        f.plugin.response = c.path;
        f.build();
        f.gui->frame()->redrawAll();
        const std::string text = f.gui->responseText();
        if (!c.shown.empty()) {
            EXPECT_EQ(text, c.shown);
        } else {
            EXPECT_NE(text.find("..."), std::string::npos);
            EXPECT_EQ(text.substr(0, 8), longName.substr(0, 8));
            EXPECT_EQ(text.substr(text.size() - 5), longName.substr(longName.size() - 5));
        }
        // The label's place in the window: the bottom bar starts at y = 470.
        const gui::Rect label = f.gui->control(tag::ResponseName)->size().offset(0, 470);
        const gui::Control* unload = f.gui->control(tag::ResponseUnload);
        EXPECT_GE(label.left, unload->size().right);
        EXPECT_LE(label.right, f.gui->control(tag::ResponsePrevious)->size().left);
        const text_contrast::Reading r = text_contrast::read(f.gui->frame()->image(), label);
        EXPECT_GE(r.contrast, 7.0);
        // The first letter lies whole inside the label, next to its start.
        EXPECT_GE(r.firstInkColumn, label.left + 1);
        EXPECT_LE(r.firstInkColumn, label.left + 8);
    }
}

TEST(Commands, ResponsePathTooLongIsToldNotCut)
{
    EditorFixture f;
    f.build();
    f.services->answer = "/" + std::string(300, 'a') + ".wav";
    const gui::Point load = f.centreOf(tag::ResponseLoad);
    f.click(load.x, load.y);
    EXPECT_EQ(f.plugin.response, "empty");
    ASSERT_EQ(f.services->messages.size(), 1u);
}

} // namespace
} // namespace editor::test
