// The desktop portal's file chooser over D-Bus, against a stand-in portal on
// a private bus: paths from file URIs, the call's arguments, cancelling, the
// fall back to the next dialog when there is no portal, several editors at
// once, and the replace question for a name the extension was added to.
#include <filesystem>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>

#include "DialogTestSupport.h"
#include "FakePortal.h"
#include "editor/LinuxDesktopServices.h"
#include "editor/PortalFileChooser.h"
#include "gui/Frame.h"
#include "gui/MessageBoxView.h"

namespace editor::test {
namespace {

namespace fs = std::filesystem;

const FileDialog kLoadPreset{false, "Load Preset", "D-OrvandelSelvarine Preset (*.sxp)", "*.sxp", "sxp"};
const FileDialog kSavePreset{true, "Save Preset", "D-OrvandelSelvarine Preset (*.sxp)", "*.sxp", "sxp"};

std::unique_ptr<PlatformServices> portalServices(const std::string& address)
{
    return makeLinuxDesktopServices({true, address});
}

// A fixture folder of the test process, removed afterwards.
struct Folder {
    fs::path path = fs::temp_directory_path() /
                    ("selvarine-portal-" + std::to_string(getpid()) + "-" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Folder() { fs::create_directories(path); }
    ~Folder() { fs::remove_all(path); }
};

#define REQUIRE_BUS(bus)                                                                                      \
    if (!(bus).running())                                                                                     \
    GTEST_SKIP() << "no private bus: " << (bus).problem()

TEST(PortalFileChooser, FileUrisBecomeLocalPaths)
{
    struct Case {
        const char* uri;
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {"file:///home/me/My%20Presets/clean%20tone.sxp", "/home/me/My Presets/clean tone.sxp"},
        {"file:///tmp/plain.sxp", "/tmp/plain.sxp"},
        {"file://localhost/tmp/x.sxb", "/tmp/x.sxb"},
        {"FILE:///tmp/upper", "/tmp/upper"},
        {"file:///tmp/caf%C3%A9%2b%25.wav", "/tmp/caf\xC3\xA9+%.wav"},
        {"file://otherhost/tmp/x", std::nullopt},
        {"https://example.org/x", std::nullopt},
        {"file:///tmp/bad%2", std::nullopt},
        {"file:///tmp/bad%zz", std::nullopt},
        {"file:///tmp/nul%00name", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PortalFileChooser::pathFromUri(c.uri), c.path) << c.uri;
}

TEST(PortalFileChooser, OpenFileGetsTitleFilterParentAndAnswersTheDecodedPath)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    FakePortal portal(bus.address(), [](const PortalCall&) {
        return PortalAnswer{false, false, 0, "file:///tmp/My%20Presets/clean%20tone.sxp"};
    });
    ASSERT_TRUE(portal.ready());
    FakeZenity zenity("touch \"$(dirname \"$0\")/args\"; echo /tmp/zenity");
    auto services = portalServices(bus.address());
    const auto answer = chooseAndWait(*services, kLoadPreset, reinterpret_cast<void*>(std::uintptr_t(0x4a00007)));
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, "/tmp/My Presets/clean tone.sxp");
    EXPECT_FALSE(fs::exists(zenity.argsFile())) << "the portal answered: no other dialog";

    const auto calls = portal.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].method, "OpenFile");
    EXPECT_EQ(calls[0].title, "Load Preset");
    EXPECT_EQ(calls[0].parentWindow, "x11:4a00007");
    EXPECT_EQ(calls[0].filterName, "D-OrvandelSelvarine Preset (*.sxp)");
    EXPECT_EQ(calls[0].pattern, "*.sxp");
    EXPECT_EQ(calls[0].patternKind, 0u);
    EXPECT_TRUE(calls[0].modal);
    EXPECT_FALSE(calls[0].token.empty());
}

TEST(PortalFileChooser, SaveFileAddsTheDefaultExtension)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    Folder folder;
    const std::string uri = "file://" + (folder.path / "my").string();
    FakePortal portal(bus.address(), [&](const PortalCall&) { return PortalAnswer{false, false, 0, uri}; });
    ASSERT_TRUE(portal.ready());
    auto services = portalServices(bus.address());
    const auto answer = chooseAndWait(*services, kSavePreset);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, (folder.path / "my.sxp").string());
    const auto calls = portal.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].method, "SaveFile");
    EXPECT_EQ(calls[0].title, "Save Preset");
    EXPECT_EQ(calls[0].parentWindow, "");
    EXPECT_EQ(calls[0].currentName, "Untitled.sxp");
}

TEST(PortalFileChooser, CancelledGivesNothingAndNoOtherDialog)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    for (std::uint32_t code : {1u, 2u}) {
        FakePortal portal(bus.address(), [&](const PortalCall&) { return PortalAnswer{false, false, code, ""}; });
        ASSERT_TRUE(portal.ready());
        FakeZenity zenity("touch \"$(dirname \"$0\")/args\"; echo /tmp/zenity");
        auto services = portalServices(bus.address());
        const auto answer = chooseAndWait(*services, kLoadPreset);
        ASSERT_TRUE(answer.has_value()) << "code " << code;
        EXPECT_FALSE(answer->has_value()) << "code " << code;
        EXPECT_FALSE(fs::exists(zenity.argsFile()));
    }
}

TEST(PortalFileChooser, WithoutAPortalTheNextDialogIsUsedAndThePortalNotAskedAgain)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    struct Case {
        const char* name;
        bool portalRuns;
        bool refuses;
        std::string address;
    };
    const Case cases[] = {
        {"bus without a portal", false, false, bus.address()},
        {"portal refusing the call", true, true, bus.address()},
        {"bus that cannot be reached", false, false, "unix:path=/nonexistent/selvarine/bus"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<FakePortal> portal;
        if (c.portalRuns) {
            portal = std::make_unique<FakePortal>(bus.address(), [&](const PortalCall&) {
                return PortalAnswer{c.refuses, false, 0, "file:///tmp/portal"};
            });
            ASSERT_TRUE(portal->ready());
        }
        FakeZenity zenity("echo /tmp/from zenity");
        auto services = portalServices(c.address);
        for (int round = 0; round < 2; ++round) {
            const auto answer = chooseAndWait(*services, kLoadPreset);
            ASSERT_TRUE(answer.has_value());
            EXPECT_EQ(*answer, "/tmp/from zenity");
        }
        if (portal) {
            EXPECT_EQ(portal->calls().size(), 1u) << "asked once, then left alone";
        }
    }
}

TEST(PortalFileChooser, SeveralEditorsAskAtOnce)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    FakePortal portal(bus.address(), [](const PortalCall& call) {
        std::string name = call.title;
        for (std::size_t i = 0; (i = name.find(' ', i)) != std::string::npos;)
            name.replace(i, 1, "%20");
        return PortalAnswer{false, false, 0, "file:///answers/" + name};
    });
    ASSERT_TRUE(portal.ready());
    const std::vector<std::string> titles = {"Load Preset", "Load Bank", "Load Impulse Response", "Save Bank"};
    std::vector<std::unique_ptr<PlatformServices>> editors;
    std::vector<std::optional<std::optional<std::string>>> answers(titles.size());
    for (std::size_t i = 0; i < titles.size(); ++i) {
        editors.push_back(portalServices(bus.address()));
        FileDialog d = kLoadPreset;
        d.title = titles[i];
        d.defaultExtension.clear();
        editors.back()->chooseFile(d, nullptr, [&answers, i](std::optional<std::string> p) { answers[i] = p; });
    }
    for (int k = 0; k < 300; ++k) {
        bool all = true;
        for (auto& e : editors)
            e->idle();
        for (auto& a : answers)
            all = all && a.has_value();
        if (all)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (std::size_t i = 0; i < titles.size(); ++i) {
        ASSERT_TRUE(answers[i].has_value()) << titles[i];
        EXPECT_EQ(*answers[i], "/answers/" + titles[i]);
    }
    EXPECT_EQ(portal.calls().size(), titles.size());
}

TEST(PortalFileChooser, ClosingTheEditorTakesThePortalDialogDown)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    FakePortal portal(bus.address(), [](const PortalCall&) { return PortalAnswer{false, true, 0, ""}; });
    ASSERT_TRUE(portal.ready());
    bool answered = false;
    {
        auto services = portalServices(bus.address());
        services->chooseFile(kLoadPreset, nullptr, [&](std::optional<std::string>) { answered = true; });
        for (int k = 0; k < 300 && portal.calls().empty(); ++k) {
            services->idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_EQ(portal.calls().size(), 1u);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (int k = 0; k < 300 && portal.closeCalls() == 0; ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(portal.closeCalls(), 1);
    EXPECT_FALSE(answered);
}

// A saved name the extension is added to, naming a file that exists: the
// desktop's dialog asked about another name, so the editor asks itself.
TEST(PortalFileChooser, ExistingFileAfterTheExtensionIsAskedAboutInTheEditor)
{
    PrivateBus bus;
    REQUIRE_BUS(bus);
    struct Case {
        bool portal;      // the portal answers, else zenity
        std::string typed; // name the dialog gives back
        int button;       // -1: no question expected; 0 "Yes"; 1 "No"
        bool saved;
    };
    const Case cases[] = {
        {true, "clean", 0, true},   {true, "clean", 1, false},   {false, "clean", 0, true},
        {false, "clean", 1, false}, {true, "clean.sxp", -1, true}, {false, "fresh", -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.portal ? "portal " : "zenity ") + c.typed + " button " + std::to_string(c.button));
        Folder folder;
        std::ofstream(folder.path / "clean.sxp") << "old";
        const std::string given = (folder.path / c.typed).string();
        std::unique_ptr<FakePortal> portal;
        if (c.portal) {
            portal = std::make_unique<FakePortal>(
                bus.address(), [&](const PortalCall&) { return PortalAnswer{false, false, 0, "file://" + given}; });
            ASSERT_TRUE(portal->ready());
        }
        FakeZenity zenity("echo '" + given + "'");
        gui::Frame frame(650, 500);
        auto services = portalServices(c.portal ? bus.address() : "unix:path=/nonexistent/selvarine/bus");
        services->setFrame(&frame);
        std::optional<std::optional<std::string>> answer;
        services->chooseFile(kSavePreset, nullptr, [&](std::optional<std::string> p) { answer = p; });
        for (int k = 0; k < 300 && !answer && !frame.modalView(); ++k) {
            services->idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        const std::string expected = fs::path(given).extension().empty() ? given + ".sxp" : given;
        if (c.button >= 0) {
            auto* question = dynamic_cast<gui::MessageBoxView*>(frame.modalView());
            ASSERT_NE(question, nullptr);
            EXPECT_FALSE(answer.has_value());
            EXPECT_EQ(question->text(), "\"clean.sxp\" already exists.\nDo you want to replace it?");
            const gui::Rect r = question->buttonRect(c.button);
            gui::MouseEvent e;
            e.where = {r.left + 3, r.top + 3};
            e.buttons = gui::buttons::left;
            frame.mouseDown(e);
            frame.mouseUp(e);
            EXPECT_EQ(frame.modalView(), nullptr);
        }
        ASSERT_TRUE(answer.has_value());
        if (c.saved)
            EXPECT_EQ(*answer, expected);
        else
            EXPECT_FALSE(answer->has_value());
        services->setFrame(nullptr);
    }
}

} // namespace
} // namespace editor::test
