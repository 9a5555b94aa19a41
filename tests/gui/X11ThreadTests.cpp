// Editor windows of two plug-in instances opened and closed on two threads at
// once, in a host that called XInitThreads and keeps its own X error handler,
// on a private Xvfb. A program of its own: XInitThreads must come before any
// other Xlib call of the process.
#include "TestBitmaps.h"
#include "tests/support/XvfbServer.h"

#include "gui/Frame.h"

#include <gtest/gtest.h>

// After gtest: Xlib defines macros (None, Bool) that gtest's names collide with.
#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

using namespace gui;

namespace {

guitest::XvfbServer* server = nullptr;

class ThreadedHostEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        XInitThreads();
        server = new guitest::XvfbServer;
    }
    void TearDown() override
    {
        delete server;
        server = nullptr;
    }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new ThreadedHostEnvironment);

// The host's own error handler: counts what reaches it, by connection.
Display* hostDisplay = nullptr;
std::atomic<int> hostErrors{0};
std::atomic<int> otherErrors{0};

int hostHandler(Display* display, XErrorEvent*)
{
    ++(display == hostDisplay ? hostErrors : otherErrors);
    return 0;
}

void* handleOf(::Window w) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(w)); }

::Window mappedWindow(Display* display, int x)
{
    const ::Window w = XCreateSimpleWindow(display, DefaultRootWindow(display), x, 0, 300, 200, 0, 0, 0x202020);
    XMapWindow(display, w);
    return w;
}

// What one instance's thread saw.
struct InstanceRun {
    int opened = 0;          // opens in the host's window that worked
    int refusedOpens = 0;    // opens in the host's window that failed
    int badParentOpened = 0; // opens in a destroyed window that were not refused
};

} // namespace

TEST(X11WindowThreads, TwoInstancesOnTwoThreadsLeaveTheHostsErrorHandlingAlone)
{
    if (!server->running())
        GTEST_SKIP() << "no X server for the window tests: " << server->why();
    constexpr int kRounds = 200;

    hostDisplay = XOpenDisplay(nullptr);
    ASSERT_NE(hostDisplay, nullptr) << "no connection to " << server->display();
    const ::Window parents[2] = {mappedWindow(hostDisplay, 0), mappedWindow(hostDisplay, 400)};
    // A window id that no longer names a window: every request on it fails.
    const ::Window destroyed = XCreateSimpleWindow(hostDisplay, DefaultRootWindow(hostDisplay), 0, 0, 10, 10, 0, 0, 0);
    XDestroyWindow(hostDisplay, destroyed);
    XSync(hostDisplay, False);

    const XErrorHandler previous = XSetErrorHandler(hostHandler);
    std::atomic<int> running{2};
    InstanceRun runs[2];
    auto instance = [&](int which) {
        Frame frame(240, 120);
        frame.setBackground(guitest::solid(240, 120, {60, 70, 80, 255}));
        InstanceRun& run = runs[which];
        for (int round = 0; round < kRounds; ++round) {
            // A failing open sets off errors on the instance's connection.
            if (frame.open(handleOf(destroyed))) {
                ++run.badParentOpened;
                frame.close();
            }
            if (!frame.open(handleOf(parents[which]))) {
                ++run.refusedOpens;
                continue;
            }
            ++run.opened;
            frame.idle();
            frame.close();
        }
        --running;
    };
    std::thread first(instance, 0);
    std::thread second(instance, 1);
    // Meanwhile the host's own requests fail now and then: each failure is
    // the host's to handle, whatever the instances' threads are doing.
    int failedHostRequests = 0;
    while (running > 0) {
        XMapWindow(hostDisplay, destroyed);
        XSync(hostDisplay, False);
        ++failedHostRequests;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    first.join();
    second.join();
    const XErrorHandler installed = XSetErrorHandler(previous);

    EXPECT_EQ(installed, &hostHandler) << "the host's handler is the one installed after the run";
    EXPECT_EQ(hostErrors, failedHostRequests) << "every error of the host's connection reached its handler";
    EXPECT_EQ(otherErrors, 0) << "no error of the editors' connections reached the host's handler";
    for (const InstanceRun& run : runs) {
        EXPECT_EQ(run.opened, kRounds);
        EXPECT_EQ(run.refusedOpens, 0);
        EXPECT_EQ(run.badParentOpened, 0);
    }

    XDestroyWindow(hostDisplay, parents[0]);
    XDestroyWindow(hostDisplay, parents[1]);
    XCloseDisplay(hostDisplay);
    hostDisplay = nullptr;
}
