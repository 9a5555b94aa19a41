// The Linux desktop services with stand-in dialog programs and openers on
// PATH: the dialog runs as a child process, the host's thread is not held,
// and the answer arrives on idle; an opener is started detached and outlives
// the services.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// The process's state letter from /proc (R, S, Z, ...) and its parent, or
// nothing once it is gone.
struct ProcessInfo {
    char state;
    pid_t parent;
};
std::optional<ProcessInfo> processInfo(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return std::nullopt;
    // "pid (comm) state ppid ...": the command name may hold spaces and parentheses.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos || close + 4 > line.size())
        return std::nullopt;
    ProcessInfo info{line[close + 2], 0};
    info.parent = pid_t(std::stol(line.substr(close + 4)));
    return info;
}

// This process's children that have ended and wait to be reaped.
int zombieChildren()
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const auto info = processInfo(pid_t(std::stol(name)));
        count += info && info->parent == getpid() && info->state == 'Z';
    }
    return count;
}

// The number in `file` once it has been written, or -1 after 10 s.
pid_t waitForPidFile(const std::filesystem::path& file)
{
    for (int i = 0; i < 1000; ++i) {
        pid_t pid = -1;
        if (std::ifstream(file) >> pid)
            return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

// The host's SIGCHLD handling for the time of a test: default, ignored, or a
// handler that reaps every ended child itself.
void reapEveryChild(int)
{
    const int saved = errno;
    while (waitpid(-1, nullptr, WNOHANG) > 0) {
    }
    errno = saved;
}
struct HostChildSignal {
    struct sigaction old {};
    explicit HostChildSignal(void (*handler)(int))
    {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGCHLD, &action, &old);
    }
    ~HostChildSignal() { sigaction(SIGCHLD, &old, nullptr); }
};

// A viewer that stays in the opener's foreground (xdg-open's generic path)
// must not hold the host when the editor closes: the services are destroyed
// while the opener still runs, and it is not left as this process's child.
TEST(DesktopServices, ClosingDoesNotWaitForTheOpenerWhateverTheHostDoesWithSigchld)
{
    const struct {
        const char* name;
        void (*handler)(int);
    } hosts[] = {{"default", SIG_DFL}, {"ignored", SIG_IGN}, {"reaping handler", reapEveryChild}};
    for (const auto& host : hosts) {
        SCOPED_TRACE(host.name);
        FakeProgram opener("xdg-open", "d=$(dirname \"$0\")\n"
                                       "printf '%s\\n' \"$@\" > \"$d/args\"\n"
                                       "echo $$ > \"$d/pid.part\" && mv \"$d/pid.part\" \"$d/pid\"\n"
                                       "exec sleep 30");
        const HostChildSignal signal(host.handler);
        auto services = makeLinuxDesktopServices({false, {}});
        testing::internal::CaptureStderr();
        services->openDocument("/tmp/User Manual.pdf");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), ""); // no failure reported
        const pid_t pid = waitForPidFile(opener.dir / "pid");
        ASSERT_GT(pid, 0) << "the opener never started";

        services.reset();
        const auto info = processInfo(pid);
        const bool running = info && info->state != 'Z';
        const pid_t parent = info ? info->parent : -1;
        const int zombies = zombieChildren();
        if (running)
            kill(pid, SIGKILL);

        EXPECT_TRUE(running) << "destruction waited for the opener";
        EXPECT_NE(parent, getpid()) << "the opener is still this process's child";
        EXPECT_EQ(zombies, 0);
        std::ifstream args(opener.argsFile());
        std::string arg;
        std::getline(args, arg);
        EXPECT_EQ(arg, "/tmp/User Manual.pdf");
    }
}

TEST(DesktopServices, WithoutAnOpenerTheFailureIsReported)
{
    NoDialogPrograms noPrograms;
    auto services = makeLinuxDesktopServices({false, {}});
    testing::internal::CaptureStderr();
    services->openUrl("https://example.org/");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Could not open \"https://example.org/\".\n");
}

} // namespace
} // namespace editor
