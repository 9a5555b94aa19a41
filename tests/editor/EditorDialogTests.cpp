// The Linux editor's own boxes: messages drawn over the controls (which take
// no clicks meanwhile), the file chooser when the desktop has no dialog
// program, messages waiting for the box before them, and standard error while
// the editor is closed. Pictures of both boxes over the editor are written
// next to the test as "dialog-chooser.png", "dialog-replace.png" and
// "dialog-message.png".
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "DialogTestSupport.h"
#include "FakePlugin.h"
#include "editor/EditorLayout.h"
#include "editor/InEditorDialogs.h"
#include "editor/LinuxDesktopServices.h"
#include "gui/FileChooserView.h"
#include "gui/MessageBoxView.h"
#include "gui/PngWriter.h"
#include "gui/OptionMenu.h"

namespace editor::test {
namespace {

namespace fs = std::filesystem;
namespace tag = layout::tag;

// An editor over the fake plug-in with the real Linux services: no portal,
// no dialog programs on PATH, so every box is drawn in the editor.
struct LinuxEditor {
    NoDialogPrograms noPrograms;
    FakePlugin plugin;
    PlatformServices* services = nullptr;
    std::unique_ptr<doxaroGUI> gui;
    fs::path folder = fs::temp_directory_path() / ("Presets-" + std::to_string(getpid()));

    LinuxEditor()
    {
        auto s = makeLinuxDesktopServices({false, {}});
        services = s.get();
        gui = std::make_unique<doxaroGUI>(plugin, std::move(s));
        plugin.editor = gui.get();
        fs::create_directories(folder);
    }
    ~LinuxEditor()
    {
        gui.reset();
        fs::remove_all(folder);
    }
    gui::Frame& frame() { return *gui->frame(); }
    void click(gui::Point p)
    {
        gui::MouseEvent e;
        e.where = p;
        e.buttons = gui::buttons::left;
        frame().mouseMoved(e);
        frame().mouseDown(e);
        frame().mouseUp(e);
    }
    gui::Point centreOf(int t) const
    {
        const gui::Rect r = gui->control(t)->frameRect();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    bool hostKey(unsigned char virt, int character = 0)
    {
        vst::VstKeyCode k{character, virt, 0};
        return gui->onKeyDown(k);
    }
    void typeOnHostKeys(const std::string& text)
    {
        for (char c : text)
            hostKey(0, c);
    }
    template <class T> T* modal() { return dynamic_cast<T*>(frame().modalView()); }
};

constexpr unsigned char kEnter = 19;
constexpr unsigned char kEscape = 6;
constexpr unsigned char kBackspace = 1;

TEST(EditorDialogs, MessageIsDrawnOverTheEditorAndBlocksTheControlsUntilClosed)
{
    for (const char* closing : {"enter", "escape", "click"}) {
        SCOPED_TRACE(closing);
        LinuxEditor e;
        e.gui->build();
        e.gui->menu(tag::FileMenu)->choose(layout::file::Manual); // the manual is missing
        auto* box = e.modal<gui::MessageBoxView>();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "The file at \"" + e.plugin.folder + std::string(layout::kManualName) +
                                   "\" doesn't exist!");
        EXPECT_EQ(box->buttonCount(), 1);
        EXPECT_EQ(box->buttonLabel(0), "OK");
        if (std::string(closing) == "enter") {
            e.frame().redrawDirty();
            gui::PngWriter::write("dialog-message.png", e.frame().image());
        }
        // The program arrow under the shade does nothing.
        e.click(e.centreOf(tag::NextProgram));
        EXPECT_EQ(e.plugin.program, 0);
        if (std::string(closing) == "enter")
            EXPECT_TRUE(e.hostKey(kEnter));
        else if (std::string(closing) == "escape")
            EXPECT_TRUE(e.hostKey(kEscape));
        else {
            const gui::Rect ok = box->buttonRect(0);
            e.click({ok.left + 5, ok.top + 5});
        }
        EXPECT_EQ(e.frame().modalView(), nullptr);
        e.gui->idle();
        e.click(e.centreOf(tag::NextProgram));
        EXPECT_EQ(e.plugin.program, 1) << "the controls work again";
    }
}

TEST(EditorDialogs, SavePresetWithoutDialogProgramsUsesTheChooserInTheEditor)
{
    LinuxEditor e;
    e.gui->build();
    std::ofstream(e.folder / "existing.sxp") << "old";
    std::ofstream(e.folder / "Warm Clean.sxp") << "old";
    std::ofstream(e.folder / "notes.txt") << "not a preset";
    fs::create_directories(e.folder / "Factory");
    e.gui->menu(tag::FileMenu)->choose(layout::file::SavePreset);
    auto* chooser = e.modal<gui::FileChooserView>();
    ASSERT_NE(chooser, nullptr);
    e.typeOnHostKeys(e.folder.string());
    EXPECT_TRUE(e.hostKey(kEnter)); // a folder's name opens it
    ASSERT_EQ(chooser->folder(), fs::canonical(e.folder));
    ASSERT_EQ(chooser->entries().size(), 3u);
    EXPECT_EQ(chooser->entries()[0].name, "Factory");
    EXPECT_EQ(chooser->entries()[2].name, "Warm Clean.sxp");
    e.frame().redrawDirty();
    gui::PngWriter::write("dialog-chooser.png", e.frame().image());

    // "existing" becomes existing.sxp, which is there: asked first.
    e.typeOnHostKeys("existing");
    e.hostKey(kEnter);
    ASSERT_NE(chooser->question(), nullptr);
    e.frame().redrawDirty();
    gui::PngWriter::write("dialog-replace.png", e.frame().image());
    e.hostKey(kEscape); // "No"
    EXPECT_TRUE(e.plugin.fileOps.empty());
    for (int i = 0; i < 8; ++i)
        e.hostKey(kBackspace);
    e.typeOnHostKeys("new tone");
    e.hostKey(kEnter);
    EXPECT_EQ(e.frame().modalView(), nullptr);
    ASSERT_EQ(e.plugin.fileOps.size(), 1u);
    EXPECT_EQ(e.plugin.fileOps[0], "savePreset " + (fs::canonical(e.folder) / "new tone.sxp").string());

    // The next dialog opens where the last one left.
    e.gui->idle();
    e.gui->menu(tag::FileMenu)->choose(layout::file::LoadPreset);
    chooser = e.modal<gui::FileChooserView>();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->folder(), fs::canonical(e.folder));
    e.hostKey(kEscape);
    EXPECT_EQ(e.frame().modalView(), nullptr);
    EXPECT_EQ(e.plugin.fileOps.size(), 1u) << "cancelled: nothing loaded";
}

TEST(EditorDialogs, AFailedSaveIsReportedAfterTheChooserCloses)
{
    LinuxEditor e;
    e.gui->build();
    e.plugin.fileAnswer = "The file could not be written.";
    e.gui->menu(tag::FileMenu)->choose(layout::file::SaveBank);
    ASSERT_NE(e.modal<gui::FileChooserView>(), nullptr);
    e.typeOnHostKeys((e.folder / "bank").string());
    e.hostKey(kEnter);
    ASSERT_EQ(e.plugin.fileOps.size(), 1u);
    EXPECT_EQ(e.plugin.fileOps[0], "saveBank " + (e.folder / "bank.sxb").string());
    auto* box = e.modal<gui::MessageBoxView>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "The file could not be written.");
}

TEST(EditorDialogs, MessagesWaitForTheBoxBeforeThem)
{
    gui::Frame frame(650, 500);
    InEditorDialogs dialogs;
    dialogs.setFrame(&frame);
    dialogs.showMessage("first");
    dialogs.showMessage("second");
    std::vector<int> answers;
    dialogs.ask("third?", {"Yes", "No"}, [&](int b) { answers.push_back(b); });
    EXPECT_EQ(dialogs.waiting(), 2u);
    const char* expected[] = {"first", "second", "third?"};
    for (const char* text : expected) {
        auto* box = dynamic_cast<gui::MessageBoxView*>(frame.modalView());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), text);
        gui::KeyEvent enter;
        enter.key = gui::Key::enter;
        frame.keyDown(enter);
        dialogs.idle();
    }
    EXPECT_EQ(frame.modalView(), nullptr);
    EXPECT_EQ(answers, std::vector<int>{0});
}

TEST(EditorDialogs, WithoutAWindowMessagesGoToStandardErrorAndOpenBoxesAreDropped)
{
    gui::Frame frame(650, 500);
    InEditorDialogs dialogs;
    std::vector<int> answers;
    std::vector<std::optional<std::string>> chosen;

    testing::internal::CaptureStderr();
    dialogs.showMessage("No window here.");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "No window here.\n");
    EXPECT_FALSE(dialogs.isShowing());

    // Closing the editor with a chooser up, a question and a message waiting.
    dialogs.setFrame(&frame);
    dialogs.chooseFile({false, "Load Bank", "Bank (*.sxb)", "*.sxb", "sxb"},
                       [&](std::optional<std::string> p) { chosen.push_back(p); });
    dialogs.ask("Replace?", {"Yes", "No"}, [&](int b) { answers.push_back(b); });
    dialogs.showMessage("Waiting message.");
    ASSERT_NE(dynamic_cast<gui::FileChooserView*>(frame.modalView()), nullptr);
    testing::internal::CaptureStderr();
    dialogs.setFrame(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Waiting message.\n");
    EXPECT_EQ(frame.modalView(), nullptr);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_FALSE(chosen[0].has_value());
    EXPECT_EQ(answers, std::vector<int>{1}) << "a dropped question answers its last button";
    EXPECT_FALSE(dialogs.isShowing());

    // A message on show when the window closes has been seen: not repeated.
    dialogs.setFrame(&frame);
    dialogs.showMessage("Seen.");
    testing::internal::CaptureStderr();
    dialogs.setFrame(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(EditorDialogs, ClosingTheEditorWithTheChooserUpLoadsNothing)
{
    LinuxEditor e;
    e.gui->build();
    e.gui->menu(tag::FileMenu)->choose(layout::file::LoadPreset);
    ASSERT_NE(e.modal<gui::FileChooserView>(), nullptr);
    e.gui->close();
    EXPECT_TRUE(e.plugin.fileOps.empty());
    e.gui->build();
    EXPECT_EQ(e.frame().modalView(), nullptr) << "the new window starts without it";
    e.gui->idle();
}

} // namespace
} // namespace editor::test
