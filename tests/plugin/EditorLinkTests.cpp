// The plug-in as its editor sees it: file operations and their messages,
// program flags, the response state, and the editor following the plug-in.
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include <gtest/gtest.h>

#include "FakeHost.h"
#include "editor/EditorLayout.h"
#include "editor/PlatformServices.h"
#include "editor/doxaroGUI.h"
#include "gui/OptionMenu.h"
#include "gui/Control.h"
#include "gui/MouseEvent.h"
#include "plugin/DoxaroEditorLink.h"
#include "plugin/PresetFiles.h"
#include "vst/ModulePath.h"

namespace {

std::filesystem::path scratch(const char* name)
{
    const auto dir = std::filesystem::temp_directory_path() / ("selvarine-editor-link-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return dir / name;
}

TEST(EditorLink, FileOperationsReportFailuresAndNothingOnSuccess)
{
    auto plugin = makePlugin();
    DoxaroEditorLink link(*plugin);
    // A preset or bank that cannot be written must say so.
    const std::string unwritable = "/nonexistent-folder/x.sxp";
    EXPECT_EQ(link.savePreset(unwritable), "The file at \"" + unwritable + "\" could not be written!");
    EXPECT_EQ(link.saveBank("/nonexistent-folder/x.sxb"),
              "The file at \"/nonexistent-folder/x.sxb\" could not be written!");

    const auto preset = scratch("good.sxp");
    EXPECT_EQ(link.savePreset(preset.string()), "");
    EXPECT_TRUE(std::filesystem::exists(preset));
    EXPECT_EQ(link.loadPreset(preset.string()), "");

    const auto broken = scratch("broken.sxp");
    std::ofstream(broken, std::ios::binary) << "not a preset at all";
    EXPECT_EQ(link.loadPreset(broken.string()), PresetFiles::kPresetBroken);
    EXPECT_EQ(link.loadBank(broken.string()), PresetFiles::kBankBroken);
    std::filesystem::remove_all(preset.parent_path());
}

TEST(EditorLink, ProgramFlagsChangeOneAtATime)
{
    auto plugin = makePlugin();
    DoxaroEditorLink link(*plugin);
    const bool meter = link.meterFlag();
    link.setPanelFlag(false);
    EXPECT_FALSE(link.panelFlag());
    EXPECT_EQ(link.meterFlag(), meter);
    link.setMeterFlag(!meter);
    EXPECT_EQ(link.meterFlag(), !meter);
    EXPECT_FALSE(link.panelFlag());
    link.setPanelFlag(true);
    EXPECT_TRUE(link.panelFlag());
}

TEST(EditorLink, ResponseThatCannotBeReadIsNotLoaded)
{
    auto plugin = makePlugin();
    DoxaroEditorLink link(*plugin);
    EXPECT_EQ(link.responsePath(), "empty");
    EXPECT_FALSE(link.responseLoaded());
    const auto bad = scratch("bad.wav");
    std::ofstream(bad, std::ios::binary) << "RIFF but nothing else";
    ASSERT_TRUE(link.setResponsePath(bad.string()));
    EXPECT_EQ(link.responsePath(), bad.string());
    EXPECT_FALSE(link.responseLoaded());
    EXPECT_FALSE(link.setResponsePath("/" + std::string(300, 'a') + ".wav"));
    EXPECT_EQ(link.responsePath(), bad.string());
    std::filesystem::remove_all(bad.parent_path());
}

TEST(EditorLink, EditorFollowsThePluginAndAutomatesTheHost)
{
    auto plugin = makePlugin();
    auto* gui = static_cast<editor::doxaroGUI*>(plugin->getEditor());
    ASSERT_NE(gui, nullptr);
    gui->build();
    plugin->setParameter(param::AmpGain, 0.7f);
    gui->idle();
    EXPECT_FLOAT_EQ(gui->control(param::AmpGain)->value(), 0.7f);

    FakeHost::instance().automations = 0;
    gui::MouseEvent e;
    e.where = {623, 14}; // "Bypass"
    e.buttons = gui::buttons::left;
    const float before = plugin->getParameter(param::Bypass);
    gui->frame()->mouseDown(e);
    gui->frame()->mouseUp(e);
    EXPECT_NE(plugin->getParameter(param::Bypass), before);
    EXPECT_EQ(FakeHost::instance().automations.load(), 1);
    gui->close();
}

// Records what the editor asks of the desktop.
class RecordingServices : public editor::PlatformServices {
public:
    void chooseFile(const editor::FileDialog&, void*, FileChosen done) override { done(std::nullopt); }
    void showMessage(const std::string& text, void*) override { messages.push_back(text); }
    void openDocument(const std::string& path) override { documents.push_back(path); }
    void openUrl(const std::string&) override {}

    std::vector<std::string> messages;
    std::vector<std::string> documents;
};

// The editor's "User Manual" entry opens the manual in the data folder beside
// the file that holds the plug-in's code (here the test program, which links
// it in), the place where the installation puts it.
TEST(EditorLink, UserManualIsOpenedFromTheDataFolderBesideTheModule)
{
    namespace layout = editor::layout;
    const std::filesystem::path module = vst::moduleFileName();
    ASSERT_FALSE(module.empty());
    const std::filesystem::path folder = module.parent_path() / "OrvandelSelvarine Files";
    const std::filesystem::path manual = folder / "OrvandelSelvarine Manual.pdf";
    std::filesystem::remove_all(folder); // left over by an interrupted earlier run

    auto plugin = makePlugin();
    DoxaroEditorLink link(*plugin);
    auto services = std::make_unique<RecordingServices>();
    RecordingServices* seen = services.get();
    editor::doxaroGUI gui(link, std::move(services));
    gui.build();

    // Not installed yet: the message names the full path it looked for.
    gui.menu(layout::tag::FileMenu)->choose(layout::file::Manual);
    ASSERT_EQ(seen->messages.size(), 1u);
    EXPECT_EQ(seen->messages[0], "The file at \"" + manual.string() + "\" doesn't exist!");
    EXPECT_TRUE(seen->documents.empty());

    std::filesystem::create_directories(folder);
    std::ofstream(manual) << "%PDF-1.7\n";
    gui.menu(layout::tag::FileMenu)->choose(layout::file::Manual);
    std::filesystem::remove_all(folder);
    ASSERT_EQ(seen->documents.size(), 1u);
    EXPECT_EQ(seen->documents[0], manual.string());
    EXPECT_EQ(seen->messages.size(), 1u);
    gui.close();
}

} // namespace
