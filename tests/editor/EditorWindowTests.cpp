// The editor of the real plug-in binary in a real X11 window on a private
// Xvfb: opened by the host's opcodes, clicked and dragged with xdotool,
// changed from the host side, closed and opened again. Screenshots of each
// step are kept beside the test program (editor-window-*.ppm).
#include "tests/support/XvfbServer.h"

#include <dlfcn.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "vst/VstInterface.h"

// After gtest: Xlib's macros collide with gtest's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

guitest::XvfbServer* server = nullptr;

class XvfbEnvironment : public ::testing::Environment {
public:
    void SetUp() override { server = new guitest::XvfbServer; }
    void TearDown() override
    {
        delete server;
        server = nullptr;
    }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

// What the plug-in told the host.
std::mutex noticesLock;
std::vector<std::string> notices;

vst::VstIntPtr hostCallback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr, void*, float opt)
{
    std::lock_guard<std::mutex> lock(noticesLock);
    switch (opcode) {
    case vst::audioMasterVersion: return 2400;
    case vst::audioMasterAutomate: notices.push_back("automate " + std::to_string(index) + " " + std::to_string(opt)); return 1;
    case vst::audioMasterBeginEdit: notices.push_back("begin " + std::to_string(index)); return 1;
    case vst::audioMasterEndEdit: notices.push_back("end " + std::to_string(index)); return 1;
    default: return 0;
    }
}

std::vector<std::string> takeNotices()
{
    std::lock_guard<std::mutex> lock(noticesLock);
    return std::exchange(notices, {});
}

bool has(const std::vector<std::string>& list, const std::string& prefix)
{
    for (const auto& s : list)
        if (s.rfind(prefix, 0) == 0)
            return true;
    return false;
}

struct HostWindow {
    Display* display = nullptr;
    ::Window window = 0;
    HostWindow()
    {
        display = XOpenDisplay(nullptr);
        if (!display)
            return;
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 650, 500, 0, 0, 0);
        XSelectInput(display, window, StructureNotifyMask);
        XMapWindow(display, window);
        XEvent e;
        do
            XNextEvent(display, &e);
        while (e.type != MapNotify);
    }
    ~HostWindow()
    {
        if (display) {
            destroyWindow();
            XCloseDisplay(display);
        }
    }
    // The host tears its editor window down; the server has done it on return.
    void destroyWindow()
    {
        if (window)
            XDestroyWindow(display, window);
        window = 0;
        XSync(display, False);
    }
    void* handle() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }
    std::vector<::Window> children()
    {
        ::Window root, parent, *list = nullptr;
        unsigned count = 0;
        XQueryTree(display, window, &root, &parent, &list, &count);
        std::vector<::Window> out(list, list + count);
        if (list)
            XFree(list);
        return out;
    }
    // The host window's picture, kept as a PPM file; answers the pixels.
    std::vector<std::uint32_t> screenshot(const std::string& name)
    {
        XSync(display, False);
        XImage* image = XGetImage(display, window, 0, 0, 650, 500, AllPlanes, ZPixmap);
        std::vector<std::uint32_t> pixels;
        if (!image)
            return pixels;
        std::ofstream out("editor-window-" + name + ".ppm", std::ios::binary);
        out << "P6\n650 500\n255\n";
        for (int y = 0; y < 500; ++y)
            for (int x = 0; x < 650; ++x) {
                const auto p = std::uint32_t(XGetPixel(image, x, y)) & 0xFFFFFFu;
                pixels.push_back(p);
                const char rgb[3] = {char(p >> 16), char(p >> 8), char(p)};
                out.write(rgb, 3);
            }
        XDestroyImage(image);
        return pixels;
    }
};

struct Plugin {
    void* library = nullptr;
    vst::AEffect* effect = nullptr;
    Plugin()
    {
        library = dlopen(SELVARINE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return;
        auto entry = reinterpret_cast<vst::AEffect* (*)(vst::HostCallback)>(dlsym(library, "VSTPluginMain"));
        effect = entry ? entry(hostCallback) : nullptr;
        if (effect)
            dispatch(vst::effOpen);
    }
    ~Plugin()
    {
        if (effect)
            dispatch(vst::effClose);
        if (library)
            dlclose(library);
    }
    vst::VstIntPtr dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                            void* ptr = nullptr, float opt = 0.0f)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    // Host idle calls for a while (about 30 per second).
    void idleFor(int calls)
    {
        for (int i = 0; i < calls; ++i) {
            dispatch(vst::effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(33));
        }
    }
    bool idleUntil(const std::function<bool()>& done)
    {
        for (int i = 0; i < 150; ++i) {
            dispatch(vst::effEditIdle);
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
};

// Counts the protocol errors that reach Xlib's process-wide handler while it
// lives (the host's own handler); puts the previous one back afterwards.
class HostErrorHandler {
public:
    HostErrorHandler() : previous_(XSetErrorHandler(count)) { errors = 0; }
    ~HostErrorHandler() { XSetErrorHandler(previous_); }
    static inline int errors = 0;

private:
    static int count(Display*, XErrorEvent*)
    {
        ++errors;
        return 0;
    }
    XErrorHandler previous_;
};

bool xdotool(std::vector<std::string> args)
{
    args.insert(args.begin(), "xdotool");
    return guitest::XvfbServer::run(args);
}

std::uint32_t pixelAt(const std::vector<std::uint32_t>& pixels, int x, int y) { return pixels[std::size_t(y * 650 + x)]; }

} // namespace

TEST(EditorWindow, RealPluginEditorInAnXWindow)
{
    if (!server->running())
        GTEST_SKIP() << "no X server for the window tests: " << server->why();
    if (guitest::XvfbServer::findProgram("xdotool").empty())
        GTEST_SKIP() << "xdotool is not installed (Debian package xdotool)";

    HostWindow host;
    ASSERT_NE(host.display, nullptr);
    Plugin plugin;
    ASSERT_NE(plugin.effect, nullptr) << dlerror();
    ASSERT_NE(plugin.effect->flags & vst::effFlagsHasEditor, 0);
    vst::ERect* rect = nullptr;
    ASSERT_EQ(plugin.dispatch(vst::effEditGetRect, 0, 0, &rect), 1);
    ASSERT_EQ(rect->right - rect->left, 650);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(plugin.dispatch(vst::effEditOpen, 0, 0, host.handle()), 1);
        ASSERT_EQ(host.children().size(), 1u);
        const std::string editor = std::to_string(host.children()[0]);
        plugin.idleFor(3);
        const auto opened = host.screenshot("open-" + std::to_string(round));
        ASSERT_FALSE(opened.empty());
        takeNotices();

        // Drag "Amp Gain" up by 40 pixels: begin, automation, end.
        ASSERT_TRUE(xdotool({"mousemove", "--window", editor, "112", "120", "mousedown", "1", "mousemove",
                             "--window", editor, "112", "100", "mousemove", "--window", editor, "112", "80",
                             "mouseup", "1"}));
        std::vector<std::string> seen;
        ASSERT_TRUE(plugin.idleUntil([&] {
            for (auto& n : takeNotices())
                seen.push_back(n);
            return has(seen, "end 11");
        }));
        EXPECT_EQ(seen.front(), "begin 11");
        EXPECT_TRUE(has(seen, "automate 11"));
        EXPECT_GT(plugin.effect->getParameter(plugin.effect, 11), 0.0f);

        // Bypass switch.
        const float bypass = plugin.effect->getParameter(plugin.effect, 0);
        ASSERT_TRUE(xdotool({"mousemove", "--window", editor, "623", "14", "click", "1"}));
        ASSERT_TRUE(plugin.idleUntil([&] { return plugin.effect->getParameter(plugin.effect, 0) != bypass; }));
        plugin.effect->setParameter(plugin.effect, 0, bypass);

        // The microphone pad: grab the left handle and move it right.
        const float pos = plugin.effect->getParameter(plugin.effect, 27);
        const int handleX = 45 + int(192.0f * pos);
        const int handleY = 271 + 75 + int(99.0f * plugin.effect->getParameter(plugin.effect, 28));
        ASSERT_TRUE(xdotool({"mousemove", "--window", editor, std::to_string(handleX), std::to_string(handleY),
                             "mousedown", "1", "mousemove", "--window", editor, std::to_string(handleX + 30),
                             std::to_string(handleY), "mouseup", "1"}));
        ASSERT_TRUE(plugin.idleUntil([&] { return plugin.effect->getParameter(plugin.effect, 27) != pos; }));
        host.screenshot("pad-" + std::to_string(round));

        // A host-side change moves the control on screen.
        const auto before = host.screenshot("before-host-change-" + std::to_string(round));
        plugin.effect->setParameter(plugin.effect, 16, plugin.effect->getParameter(plugin.effect, 16) > 0.5f ? 0.0f : 1.0f);
        plugin.idleFor(3);
        const auto after = host.screenshot("after-host-change-" + std::to_string(round));
        int changed = 0;
        for (int y = 89; y < 136; ++y)
            for (int x = 340; x < 387; ++x)
                changed += pixelAt(before, x, y) != pixelAt(after, x, y);
        EXPECT_GT(changed, 20);

        // The about box opens on its trigger and closes on a click.
        ASSERT_TRUE(xdotool({"mousemove", "--window", editor, "50", "485", "click", "1"}));
        plugin.idleFor(4);
        const auto about = host.screenshot("about-" + std::to_string(round));
        EXPECT_NE(pixelAt(about, 300, 250), pixelAt(after, 300, 250));
        ASSERT_TRUE(xdotool({"mousemove", "--window", editor, "300", "250", "click", "1"}));
        plugin.idleFor(4);
        const auto closedAbout = host.screenshot("about-closed-" + std::to_string(round));
        EXPECT_EQ(pixelAt(closedAbout, 300, 250), pixelAt(after, 300, 250));

        // The program arrow.
        const vst::VstIntPtr program = plugin.dispatch(vst::effGetProgram);
        ASSERT_TRUE(xdotool({"mousemove", "--window", editor, "342", "15", "click", "1"}));
        ASSERT_TRUE(plugin.idleUntil([&] { return plugin.dispatch(vst::effGetProgram) != program; }));
        EXPECT_EQ(plugin.dispatch(vst::effGetProgram), (program + 1) % 24);

        plugin.dispatch(vst::effEditClose);
        XSync(host.display, False);
        EXPECT_TRUE(host.children().empty());
    }
}

// Hosts destroy their editor window before effEditClose, or before effClose
// without any effEditClose. The host lives on, its connection still works and
// nothing reaches its error handler.
TEST(EditorWindow, HostWindowDestroyedBeforeTheEditorCloses)
{
    if (!server->running())
        GTEST_SKIP() << "no X server for the window tests: " << server->why();
    struct Case {
        bool idleAfterDestroy; // the editor sees the destruction before it is closed
        bool editClose;        // effEditClose then effClose, or effClose alone
    };
    for (const Case c : {Case{false, true}, Case{true, true}, Case{false, false}, Case{true, false}}) {
        SCOPED_TRACE(testing::Message() << "idle after destroy " << c.idleAfterDestroy << ", effEditClose "
                                        << c.editClose);
        HostWindow host;
        ASSERT_NE(host.display, nullptr);
        HostErrorHandler hostHandler;
        auto plugin = std::make_unique<Plugin>();
        ASSERT_NE(plugin->effect, nullptr) << dlerror();
        ASSERT_EQ(plugin->dispatch(vst::effEditOpen, 0, 0, host.handle()), 1);
        plugin->idleFor(2);

        host.destroyWindow();
        if (c.idleAfterDestroy)
            plugin->idleFor(3);
        if (c.editClose)
            plugin->dispatch(vst::effEditClose);
        plugin.reset();

        const ::Window next = XCreateSimpleWindow(host.display, DefaultRootWindow(host.display), 0, 0, 10, 10, 0, 0, 0);
        XWindowAttributes attributes;
        EXPECT_NE(XGetWindowAttributes(host.display, next, &attributes), 0);
        XDestroyWindow(host.display, next);
        XSync(host.display, False);
        EXPECT_EQ(HostErrorHandler::errors, 0);
    }
}
