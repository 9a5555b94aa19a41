// The plug-in as its editor sees it: file operations and their messages,
// program flags, the response state, and the editor following the plug-in.
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <functional>
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
#include "editor/XySlider.h"
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

// Whoever changes program-level state (the host's program change, a chunk,
// a rename, the editor's file menu), the editor shows it after one idle:
// program field and list, meter menu, cabinet panel and response name.
TEST(EditorLink, ProgramLevelStateFollowsEveryChangeAfterOneIdle)
{
    namespace tag = editor::layout::tag;
    const auto response = scratch("cab_room.wav");
    std::ofstream(response, std::ios::binary) << "not a wave file";
    const auto preset = scratch("My Lead.sxp");

    struct Case {
        const char* what;
        std::function<void(Doxaro&, DoxaroEditorLink&)> change;
    };
    const Case cases[] = {
        {"host program change", [](Doxaro& p, DoxaroEditorLink&) { p.setProgram(17); }},
        {"host rename", [](Doxaro& p, DoxaroEditorLink&) { p.setProgramName("Renamed by host"); }},
        {"chunk restore",
         [&](Doxaro& p, DoxaroEditorLink&) {
             ProgramRecord record = p.programRecord(p.getProgram());
             std::snprintf(record.name, sizeof record.name, "From the session");
             std::snprintf(record.irPath, sizeof record.irPath, "%s", response.c_str());
             record.panelFlag = 0;
             record.meterFlag = 0;
             p.setChunk(&record, sizeof record, true);
         }},
        {"preset save", [&](Doxaro&, DoxaroEditorLink& l) { EXPECT_EQ(l.savePreset(preset.string()), ""); }},
        {"preset load",
         [&](Doxaro& p, DoxaroEditorLink& l) {
             // A preset saved from program 9 ("Springverb"), loaded into program 0.
             p.setProgram(9);
             p.setProgramFlags(0, 0);
             EXPECT_EQ(l.savePreset(preset.string()), "");
             p.setProgram(0);
             p.setProgramName("Clean Reverb");
             p.setProgramFlags(1, 1);
             p.waitForSettings();
             EXPECT_EQ(l.loadPreset(preset.string()), "");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto plugin = makePlugin();
        DoxaroEditorLink link(*plugin);
        auto* gui = static_cast<editor::doxaroGUI*>(plugin->getEditor());
        gui->build();
        gui->idle();
        c.change(*plugin, link);
        plugin->waitForSettings();
        gui->idle();

        const int current = plugin->getProgram();
        char name[32] = {};
        plugin->getProgramName(name);
        gui::OptionMenu* programs = gui->menu(tag::ProgramMenu);
        EXPECT_EQ(programs->currentIndex(), current);
        EXPECT_EQ(programs->text(), name);
        EXPECT_EQ(programs->entry(current), name);
        const ProgramRecord record = plugin->programRecord(current);
        EXPECT_EQ(gui->isCabinetPanelAttached(), record.panelFlag == 1);
        EXPECT_EQ(gui->menu(tag::InputMeterMenu)->currentIndex(), record.meterFlag == 1 ? 0 : 1);
        const bool hasFile = std::string(record.irPath) != "empty";
        EXPECT_EQ(gui->responseText(), hasFile ? "cab_room (not loaded)" : "(Load Impulse Response...)");
        gui->close();
    }
    std::filesystem::remove_all(response.parent_path());
}

// The cabinet, microphone and axis displays name what plays: for every
// factory program, each slot's selection as shown equals the engine's
// selection code (cabinet hundreds, microphone tens, axis units).
TEST(EditorLink, DisplaysShowTheSelectionsTheEnginePlays)
{
    auto plugin = makePlugin();
    auto* gui = static_cast<editor::doxaroGUI*>(plugin->getEditor());
    gui->build();
    struct Slot {
        int cabinet, microphone, axis, pad;
    };
    const Slot slots[] = {{param::Cab1Type, param::Mic1Type, param::Mic1Axis, param::Mic1Pos},
                          {param::Cab2Type, param::Mic2Type, param::Mic2Axis, param::Mic2Pos}};
    int ribbonsShown = 0;
    for (int program = 0; program < Doxaro::kNumPrograms; ++program) {
        plugin->setProgram(program);
        plugin->waitForSettings();
        gui->idle();
        for (int s = 0; s < 2; ++s) {
            SCOPED_TRACE("program " + std::to_string(program) + ", slot " + std::to_string(s + 1));
            const int code = plugin->cabinetEngine().slot(s).code();
            const int cabinet = gui->menu(slots[s].cabinet)->currentIndex() + 1;
            const int microphone = gui->menu(slots[s].microphone)->currentIndex() + 1;
            const int axis = editor::doxaroGUI::displayedEntry(slots[s].axis, gui->control(slots[s].axis)->value()) + 1;
            EXPECT_EQ(100 * cabinet + 10 * microphone + axis, code);
            const bool offAxisPicture = gui->pad(slots[s].pad)->background().name().find("off") != std::string::npos;
            EXPECT_EQ(offAxisPicture, axis == 2);
            ribbonsShown += microphone == 4;
        }
    }
    // The programs storing 0.666667 for a microphone show "Ribbon 1", as they play.
    EXPECT_GE(ribbonsShown, 12);
    gui->close();
}

// A program chosen in the editor reaches the host's own views.
TEST(EditorLink, ProgramChosenInTheEditorIsToldToTheHost)
{
    namespace tag = editor::layout::tag;
    auto plugin = makePlugin();
    auto* gui = static_cast<editor::doxaroGUI*>(plugin->getEditor());
    gui->build();
    FakeHost::instance().displayUpdates = 0;
    FakeHost::instance().automations = 0;
    gui->menu(tag::ProgramMenu)->choose(5);
    EXPECT_EQ(plugin->getProgram(), 5);
    EXPECT_GE(FakeHost::instance().displayUpdates.load(), 1);
    // Every value of the new program, for hosts that keep their own copies.
    EXPECT_EQ(FakeHost::instance().automations.load(), Doxaro::kNumParams);
    EXPECT_EQ(FakeHost::instance().lastAutomatedIndex.load(), Doxaro::kNumParams - 1);
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
