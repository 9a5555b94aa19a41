// The Linux desktop services with stand-in dialog programs on PATH: the
// dialog runs as a child process, the host's thread is not held, and the
// answer arrives on idle.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "editor/DesktopServices.h"

namespace editor {
namespace {

// A folder with a fake "zenity" first on PATH for the test's lifetime.
struct FakeZenity {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("selvarine-zenity-" + std::to_string(getpid()));
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";

    explicit FakeZenity(const std::string& body)
    {
        std::filesystem::create_directories(dir);
        const auto script = dir / "zenity";
        std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        setenv("PATH", (dir.string() + ":" + oldPath).c_str(), 1);
    }
    ~FakeZenity()
    {
        setenv("PATH", oldPath.c_str(), 1);
        std::filesystem::remove_all(dir);
    }
    std::string argsFile() const { return (dir / "args").string(); }
};

std::optional<std::optional<std::string>> chooseAndWait(PlatformServices& s, const FileDialog& d)
{
    std::optional<std::optional<std::string>> answer;
    s.chooseFile(d, nullptr, [&](std::optional<std::string> path) { answer = path; });
    for (int i = 0; i < 300 && !answer; ++i) {
        s.idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return answer;
}

TEST(DesktopServices, SaveDialogAnswerArrivesOnIdleWithTheDefaultExtension)
{
    FakeZenity zenity("printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"; sleep 0.2; echo /tmp/my preset");
    auto services = makeDesktopServices();
    const FileDialog d{true, "Save Preset", "D-OrvandelSelvarine Preset (*.sxp)", "*.sxp", "sxp"};
    bool called = false;
    services->chooseFile(d, nullptr, [&](std::optional<std::string>) { called = true; });
    EXPECT_FALSE(called); // the dialog runs while the host goes on
    const auto answer = chooseAndWait(*services, d);
    ASSERT_TRUE(answer.has_value());
    ASSERT_TRUE(answer->has_value());
    EXPECT_EQ(**answer, "/tmp/my preset.sxp");
    std::ifstream args(zenity.argsFile());
    const std::string text((std::istreambuf_iterator<char>(args)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("--title=Save Preset"), std::string::npos);
    EXPECT_NE(text.find("--file-filter=D-OrvandelSelvarine Preset (*.sxp) | *.sxp"), std::string::npos);
    EXPECT_NE(text.find("--confirm-overwrite"), std::string::npos);
}

TEST(DesktopServices, CancelledDialogGivesNothing)
{
    FakeZenity zenity("exit 1");
    auto services = makeDesktopServices();
    const auto answer = chooseAndWait(*services, {false, "Load Preset", "x (*.sxp)", "*.sxp", "sxp"});
    ASSERT_TRUE(answer.has_value());
    EXPECT_FALSE(answer->has_value());
}

TEST(DesktopServices, OpenDialogKeepsThePathAsChosen)
{
    FakeZenity zenity("echo /tmp/response");
    auto services = makeDesktopServices();
    const auto answer = chooseAndWait(*services, {false, "Load Impulse Response", "Wave File (*.wav)", "*.wav", "wav"});
    ASSERT_TRUE(answer.has_value() && answer->has_value());
    EXPECT_EQ(**answer, "/tmp/response");
}

} // namespace
} // namespace editor
