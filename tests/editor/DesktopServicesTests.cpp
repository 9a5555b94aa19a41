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
#include "editor/LinuxDesktopServices.h"
#include "DialogTestSupport.h"

namespace editor {
namespace {

TEST(DesktopServices, SaveDialogAnswerArrivesOnIdleWithTheDefaultExtension)
{
    FakeZenity zenity("printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"; sleep 0.2; echo /tmp/my preset");
    auto services = makeLinuxDesktopServices({false, {}});
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
    auto services = makeLinuxDesktopServices({false, {}});
    const auto answer = chooseAndWait(*services, {false, "Load Preset", "x (*.sxp)", "*.sxp", "sxp"});
    ASSERT_TRUE(answer.has_value());
    EXPECT_FALSE(answer->has_value());
}

TEST(DesktopServices, OpenDialogKeepsThePathAsChosen)
{
    FakeZenity zenity("echo /tmp/response");
    auto services = makeLinuxDesktopServices({false, {}});
    const auto answer = chooseAndWait(*services, {false, "Load Impulse Response", "Wave File (*.wav)", "*.wav", "wav"});
    ASSERT_TRUE(answer.has_value() && answer->has_value());
    EXPECT_EQ(**answer, "/tmp/response");
}

} // namespace
} // namespace editor
