// The X11 window in a real (virtual) X server: opened inside a small test
// host window, clicked and dragged with xdotool, closed and reopened, and its
// picture on the server compared with the frame's own picture.
#include "TestBitmaps.h"
#include "tests/support/XvfbServer.h"

#include "gui/AnimKnob.h"
#include "gui/FileChooserView.h"
#include "gui/Frame.h"
#include "gui/OnOffButton.h"
#include "gui/OptionMenu.h"
#include "gui/OptionMenuPopup.h"
#include "gui/TextLabel.h"

#include <gtest/gtest.h>

// After gtest: Xlib defines macros (None, Bool) that gtest's names collide with.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "gui/X11Window.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <functional>
#include <thread>

using namespace gui;
using Log = std::vector<std::string>;

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

// A top-level window standing in for the host's editor window.
class HostWindow {
public:
    HostWindow(int width, int height)
    {
        display = XOpenDisplay(nullptr);
        if (!display)
            return; // the test checks ok()
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, unsigned(width),
                                     unsigned(height), 0, 0, 0x202020);
        XSelectInput(display, window, StructureNotifyMask);
        XMapWindow(display, window);
        XEvent e;
        do
            XNextEvent(display, &e);
        while (e.type != MapNotify);
    }
    ~HostWindow()
    {
        if (!display)
            return;
        destroyWindow();
        XCloseDisplay(display);
    }
    // What a host does when it tears its editor window down: the window goes
    // and the server has done it when this returns.
    void destroyWindow()
    {
        if (window)
            XDestroyWindow(display, window);
        window = 0;
        XSync(display, False);
    }
    bool ok() const { return display != nullptr; }
    void* handle() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }
    int childCount()
    {
        ::Window root, parent, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display, window, &root, &parent, &children, &count);
        if (children)
            XFree(children);
        return int(count);
    }
    // The picture of a window on the server as 0xRRGGBB values.
    std::vector<std::uint32_t> grab(::Window w, int width, int height)
    {
        XSync(display, False);
        XImage* image = XGetImage(display, w, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
        std::vector<std::uint32_t> pixels;
        if (!image)
            return pixels;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels.push_back(std::uint32_t(XGetPixel(image, x, y)) & 0xFFFFFFu);
        XDestroyImage(image);
        return pixels;
    }

    Display* display = nullptr;
    ::Window window = 0;
};

// Counts the protocol errors that reach Xlib's process-wide handler while it
// lives (a host's own handler); puts the previous one back afterwards.
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

// Open descriptors and attached System V shared memory segments of this
// process: what an editor window holds while open (its connection, its image).
struct ProcessResources {
    int descriptors = 0;
    int sharedSegments = 0;
    bool operator==(const ProcessResources&) const = default;
};

ProcessResources processResources()
{
    ProcessResources r;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++r.descriptors;
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);)
        r.sharedSegments += line.find("SYSV") != std::string::npos;
    return r;
}

std::vector<std::uint32_t> framePicture(const Frame& frame)
{
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < frame.size().height(); ++y)
        for (int x = 0; x < frame.size().width(); ++x)
            pixels.push_back(frame.image().pixel(x, y) >> 8);
    return pixels;
}

// Pumps the frame the way a host's idle calls would, until `done` or a timeout.
bool pumpUntil(Frame& frame, const std::function<bool()>& done)
{
    for (int i = 0; i < 200; ++i) {
        frame.idle();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

bool xdotool(const std::vector<std::string>& args)
{
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return guitest::XvfbServer::run(argv);
}

std::string id(const Frame& frame)
{
    return std::to_string(reinterpret_cast<std::uintptr_t>(frame.systemWindow()));
}

// An editor-like frame: background, a button, a knob, a label.
struct Editor {
    Frame frame{240, 120};
    guitest::RecordingListener listener;
    OnOffButton* button;
    AnimKnob* knob;

    Editor()
    {
        frame.setBackground(guitest::solid(240, 120, {60, 70, 80, 255}));
        button = frame.add(std::make_unique<OnOffButton>(Rect{10, 10, 40, 40}, &listener, 8, guitest::filmStrip(2, 30, 30)));
        knob = frame.add(std::make_unique<AnimKnob>(Rect{60, 10, 107, 63}, &listener, 11, 101, guitest::filmStrip(101, 47, 53)));
        knob->setValue(0.5f);
        frame.add(std::make_unique<TextLabel>(Rect{120, 80, 230, 100}, "Orvandel 1.0"));
    }
};

#define REQUIRE_SERVER()                                                                    \
    do {                                                                                    \
        if (!server->running())                                                             \
            GTEST_SKIP() << "no X server for the window tests: " << server->why();          \
        if (guitest::XvfbServer::findProgram("xdotool").empty())                            \
            GTEST_SKIP() << "xdotool is not installed (Debian package xdotool)";            \
    } while (0)

} // namespace

TEST(X11Window, ShowsExactlyTheHeadlessPictureWithEitherCopyMethod)
{
    REQUIRE_SERVER();
    for (const bool shared : {true, false}) {
        HostWindow host(300, 200);
        ASSERT_TRUE(host.ok()) << "no connection to " << server->display();
        Editor editor;
        ASSERT_TRUE(editor.frame.open(host.handle(), WindowOptions{shared}));
        EXPECT_STREQ(editor.frame.platformWindow()->drawingMethod(), shared ? "MIT-SHM" : "XPutImage");
        EXPECT_EQ(host.childCount(), 1);
        editor.frame.idle();
        const auto onScreen = host.grab(::Window(reinterpret_cast<std::uintptr_t>(editor.frame.systemWindow())), 240, 120);
        EXPECT_EQ(onScreen, framePicture(editor.frame)) << (shared ? "MIT-SHM" : "XPutImage");

        // A change is drawn on the next idle call.
        editor.knob->setValue(1.0f);
        editor.frame.idle();
        const auto changed = host.grab(::Window(reinterpret_cast<std::uintptr_t>(editor.frame.systemWindow())), 240, 120);
        EXPECT_EQ(changed, framePicture(editor.frame));
        EXPECT_NE(changed, onScreen);

        // The XEmbed info is set.
        Atom type;
        int format;
        unsigned long items, after;
        unsigned char* data = nullptr;
        const Atom info = XInternAtom(host.display, "_XEMBED_INFO", False);
        XGetWindowProperty(host.display, ::Window(reinterpret_cast<std::uintptr_t>(editor.frame.systemWindow())), info, 0, 2,
                           False, info, &type, &format, &items, &after, &data);
        EXPECT_EQ(items, 2u);
        if (data)
            XFree(data);
    }
}

TEST(X11Window, ClicksAndDragsReachTheControls)
{
    REQUIRE_SERVER();
    HostWindow host(300, 200);
    ASSERT_TRUE(host.ok()) << "no connection to " << server->display();
    Editor editor;
    ASSERT_TRUE(editor.frame.open(host.handle()));
    editor.frame.idle();

    ASSERT_TRUE(xdotool({"mousemove", "--window", id(editor.frame), "20", "20", "click", "1"}));
    EXPECT_TRUE(pumpUntil(editor.frame, [&] { return editor.button->value() == 1.0f; }));
    EXPECT_EQ(editor.listener.log, (Log{"begin 8", "change 8 1", "end 8"}));

    // A drag delivered in one burst: only the latest motion counts, measured
    // from the press, so the knob lands exactly 50 pixels up (+0.25).
    editor.listener.log.clear();
    ASSERT_TRUE(xdotool({"mousemove", "--window", id(editor.frame), "80", "60", "mousedown", "1",
                         "mousemove", "--window", id(editor.frame), "80", "50", "mousemove", "--window",
                         id(editor.frame), "81", "30", "mousemove", "--window", id(editor.frame), "82", "10",
                         "mouseup", "1"}));
    EXPECT_TRUE(pumpUntil(editor.frame, [&] { return !editor.listener.log.empty() && editor.listener.log.back() == "end 11"; }));
    EXPECT_NEAR(editor.knob->value(), 0.75f, 1e-6);
    EXPECT_EQ(editor.listener.log.front(), "begin 11");

    // A double click restores the knob's default.
    ASSERT_TRUE(xdotool({"mousemove", "--window", id(editor.frame), "80", "30", "click", "--repeat", "2",
                         "--delay", "60", "1"}));
    EXPECT_TRUE(pumpUntil(editor.frame, [&] { return editor.knob->value() == 0.5f; }));

    // What the server shows is still the frame's picture.
    editor.frame.idle();
    EXPECT_EQ(host.grab(::Window(reinterpret_cast<std::uintptr_t>(editor.frame.systemWindow())), 240, 120),
              framePicture(editor.frame));
}

TEST(X11Window, ClosesCleanlyAndOpensAgain)
{
    REQUIRE_SERVER();
    HostWindow host(300, 200);
    ASSERT_TRUE(host.ok()) << "no connection to " << server->display();
    Editor editor;
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(editor.frame.open(host.handle())) << "round " << round;
        EXPECT_EQ(host.childCount(), 1);
        editor.frame.idle();
        EXPECT_EQ(host.grab(::Window(reinterpret_cast<std::uintptr_t>(editor.frame.systemWindow())), 240, 120),
                  framePicture(editor.frame));
        ASSERT_TRUE(xdotool({"mousemove", "--window", id(editor.frame), "20", "20", "click", "1"}));
        const float expected = round % 2 == 0 ? 1.0f : 0.0f;
        EXPECT_TRUE(pumpUntil(editor.frame, [&] { return editor.button->value() == expected; })) << "round " << round;
        editor.frame.close();
        EXPECT_FALSE(editor.frame.isOpen());
        EXPECT_EQ(host.childCount(), 0) << "the child window is gone";
    }
}

TEST(X11Window, TwoEditorsOpenAtOnceEachGetTheirOwnEvents)
{
    REQUIRE_SERVER();
    HostWindow hostA(300, 200);
    ASSERT_TRUE(hostA.ok()) << "no connection to " << server->display();
    HostWindow hostB(300, 200);
    ASSERT_TRUE(hostB.ok()) << "no connection to " << server->display();
    XMoveWindow(hostB.display, hostB.window, 400, 300);
    XSync(hostB.display, False);
    Editor a;
    Editor b;
    ASSERT_TRUE(a.frame.open(hostA.handle()));
    ASSERT_TRUE(b.frame.open(hostB.handle()));
    a.frame.idle();
    b.frame.idle();
    ASSERT_TRUE(xdotool({"mousemove", "--window", id(b.frame), "20", "20", "click", "1"}));
    EXPECT_TRUE(pumpUntil(b.frame, [&] { return b.button->value() == 1.0f; }));
    a.frame.idle();
    EXPECT_EQ(a.button->value(), 0.0f);
    EXPECT_TRUE(a.listener.log.empty());
    a.frame.close();
    ASSERT_TRUE(xdotool({"mousemove", "--window", id(b.frame), "20", "20", "click", "1"}));
    EXPECT_TRUE(pumpUntil(b.frame, [&] { return b.button->value() == 0.0f; })) << "the other editor still works";
}

TEST(X11Window, ABadParentWindowIsRefusedWithoutEndingTheProcess)
{
    REQUIRE_SERVER();
    Editor editor;
    EXPECT_FALSE(editor.frame.open(nullptr));
    EXPECT_FALSE(editor.frame.open(reinterpret_cast<void*>(std::uintptr_t(0x7ffffff))));
    EXPECT_FALSE(editor.frame.isOpen());
}

TEST(X11Window, MenuListOpensInsideTheWindow)
{
    REQUIRE_SERVER();
    HostWindow host(300, 200);
    ASSERT_TRUE(host.ok()) << "no connection to " << server->display();
    Frame frame(240, 120);
    guitest::RecordingListener listener;
    auto* menu = frame.add(std::make_unique<OptionMenu>(Rect{10, 10, 110, 28}, &listener, 1));
    for (const char* e : {"IN L", "IN R", "IN LR"})
        menu->addEntry(e);
    ASSERT_TRUE(frame.open(host.handle()));
    frame.idle();
    ASSERT_TRUE(xdotool({"mousemove", "--window", id(frame), "20", "20", "click", "1"}));
    ASSERT_TRUE(pumpUntil(frame, [&] { return menu->isOpen(); }));
    frame.idle();
    EXPECT_EQ(host.grab(::Window(reinterpret_cast<std::uintptr_t>(frame.systemWindow())), 240, 120), framePicture(frame));
    // A click on the third entry's row chooses it.
    auto* popup = dynamic_cast<OptionMenuPopup*>(frame.modalView());
    ASSERT_NE(popup, nullptr);
    const Rect row = popup->entryRect(2);
    ASSERT_TRUE(xdotool({"mousemove", "--window", id(frame), std::to_string(row.left + 5),
                         std::to_string(row.top + row.height() / 2), "click", "1"}));
    EXPECT_TRUE(pumpUntil(frame, [&] { return !menu->isOpen(); }));
    EXPECT_EQ(menu->currentIndex(), 2);
    EXPECT_EQ(listener.log, (Log{"begin 1", "change 1 1", "end 1"}));
    frame.close();
}

TEST(X11Window, ABoxWithANameFieldTakesTheKeyboardWhenClicked)
{
    REQUIRE_SERVER();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("selvarine-x11chooser-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    HostWindow host(700, 540);
    ASSERT_TRUE(host.ok()) << "no connection to " << server->display();
    Frame frame(650, 500);
    std::optional<std::optional<std::string>> answer;
    FileChooserView chooser(frame.size(), {"Save Preset", "Preset (*.sxp)", "*.sxp", "sxp", true, folder},
                            [&](std::optional<std::string> p) { answer = p; });
    frame.setModalView(&chooser, nullptr);
    // The host has the keyboard, as hosts do.
    XSetInputFocus(host.display, host.window, RevertToParent, CurrentTime);
    XSync(host.display, False);
    ASSERT_TRUE(frame.open(host.handle()));
    frame.idle();
    const Rect field = chooser.nameFieldRect();
    ASSERT_TRUE(xdotool({"mousemove", "--window", id(frame), std::to_string(field.left + 10),
                         std::to_string(field.top + 5), "click", "1"}));
    const ::Window ours = ::Window(reinterpret_cast<std::uintptr_t>(frame.systemWindow()));
    ::Window focus = 0;
    int revert = 0;
    EXPECT_TRUE(pumpUntil(frame, [&] {
        XGetInputFocus(host.display, &focus, &revert);
        return focus == ours;
    })) << "the click takes the keyboard";
    ASSERT_TRUE(xdotool({"type", "--delay", "20", "tonex"}));
    ASSERT_TRUE(xdotool({"key", "--delay", "20", "BackSpace", "Return"}));
    EXPECT_TRUE(pumpUntil(frame, [&] { return answer.has_value(); }));
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, (std::filesystem::canonical(folder) / "tone.sxp").string());
    // With the box gone, the keyboard goes back to the host.
    frame.clearModalView();
    frame.idle();
    XGetInputFocus(host.display, &focus, &revert);
    EXPECT_EQ(focus, host.window);
    frame.close();
    std::filesystem::remove_all(folder);
}

// An open menu list takes the keyboard from the host, so the keys typed
// reach it, and gives it back however it closes: a choice by key, Escape, a
// click outside, or the editor closing with the list still open.
TEST(X11Window, AnOpenMenuListTakesTheKeyboardAndGivesItBack)
{
    REQUIRE_SERVER();
    enum class Closing { enter, escape, clickOutside, editorCloses };
    struct Case {
        const char* what;
        Closing closing;
        int chosen; // entry current afterwards
    };
    for (const Case c : {Case{"Down, Return", Closing::enter, 1}, Case{"Escape", Closing::escape, 0},
                         Case{"click outside", Closing::clickOutside, 0},
                         Case{"editor closes", Closing::editorCloses, 0}}) {
        SCOPED_TRACE(c.what);
        HostWindow host(240, 120);
        ASSERT_TRUE(host.ok()) << "no connection to " << server->display();
        Frame frame(240, 120);
        guitest::RecordingListener listener;
        auto* menu = frame.add(std::make_unique<OptionMenu>(Rect{10, 10, 110, 28}, &listener, 1));
        for (const char* e : {"IN L", "IN R", "IN LR"})
            menu->addEntry(e);
        XSetInputFocus(host.display, host.window, RevertToParent, CurrentTime);
        XSync(host.display, False);
        ASSERT_TRUE(frame.open(host.handle()));
        frame.idle();
        const ::Window ours = ::Window(reinterpret_cast<std::uintptr_t>(frame.systemWindow()));
        auto focus = [&] {
            ::Window f = 0;
            int revert = 0;
            XGetInputFocus(host.display, &f, &revert);
            return f;
        };

        ASSERT_TRUE(xdotool({"mousemove", "--window", id(frame), "20", "20", "click", "1"}));
        ASSERT_TRUE(pumpUntil(frame, [&] { return menu->isOpen() && focus() == ours; }))
            << "the list is open and has the keyboard";
        switch (c.closing) {
        case Closing::enter: ASSERT_TRUE(xdotool({"key", "--delay", "20", "Down", "Return"})); break;
        case Closing::escape: ASSERT_TRUE(xdotool({"key", "Escape"})); break;
        case Closing::clickOutside:
            ASSERT_TRUE(xdotool({"mousemove", "--window", id(frame), "200", "20", "click", "1"}));
            break;
        case Closing::editorCloses: frame.close(); break;
        }
        if (c.closing != Closing::editorCloses) {
            EXPECT_TRUE(pumpUntil(frame, [&] { return !menu->isOpen() && focus() == host.window; }));
            frame.close();
        }
        EXPECT_EQ(focus(), host.window) << "the host has the keyboard again";
        EXPECT_EQ(menu->currentIndex(), c.chosen);
    }
}

// Hosts destroy their editor window before they close the editor or the
// plug-in. The process goes on, the host's connection still works, nothing
// reaches the host's error handler, and the window's connection and image go.
TEST(X11Window, SurvivesTheHostDestroyingItsWindowFirst)
{
    REQUIRE_SERVER();
    struct Case {
        bool shared;          // MIT-SHM or XPutImage
        bool idleAfterDestroy; // the DestroyNotify handled before the close, or still pending
        bool deleteFrame;     // closed by Frame::close() or by the frame's destruction
    };
    for (const Case c : {Case{true, false, false}, Case{true, true, false}, Case{true, false, true},
                         Case{true, true, true}, Case{false, false, false}, Case{false, true, false},
                         Case{false, false, true}, Case{false, true, true}}) {
        SCOPED_TRACE(testing::Message() << "shared " << c.shared << ", idle after destroy "
                                        << c.idleAfterDestroy << ", frame deleted " << c.deleteFrame);
        HostWindow host(300, 200);
        ASSERT_TRUE(host.ok()) << "no connection to " << server->display();
        HostErrorHandler hostHandler;
        const ProcessResources before = processResources();
        auto editor = std::make_unique<Editor>();
        ASSERT_TRUE(editor->frame.open(host.handle(), WindowOptions{c.shared}));
        editor->frame.idle();
        ASSERT_NE(processResources(), before) << "the open window holds a connection";

        host.destroyWindow();
        if (c.idleAfterDestroy) {
            auto* window = dynamic_cast<X11Window*>(editor->frame.platformWindow());
            ASSERT_NE(window, nullptr);
            EXPECT_TRUE(pumpUntil(editor->frame, [&] { return window->windowGone(); }));
            // Redraws keep coming; none of them may reach the dead window.
            for (int i = 0; i < 3; ++i) {
                editor->knob->setValue(i % 2 ? 0.0f : 1.0f);
                editor->frame.idle();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            EXPECT_EQ(window->unexpectedErrors(), 0u);
        }
        if (c.deleteFrame)
            editor.reset();
        else
            editor->frame.close();

        EXPECT_EQ(HostErrorHandler::errors, 0);
        EXPECT_EQ(processResources(), before) << "connection and shared image released";
        // The host's connection still serves requests.
        const ::Window next = XCreateSimpleWindow(host.display, DefaultRootWindow(host.display), 0, 0, 10, 10, 0, 0, 0);
        XWindowAttributes attributes;
        EXPECT_NE(XGetWindowAttributes(host.display, next, &attributes), 0);
        XDestroyWindow(host.display, next);
        XSync(host.display, False);
        EXPECT_EQ(HostErrorHandler::errors, 0);
        if (editor) {
            // Closed, the frame opens again in a new host window.
            HostWindow again(300, 200);
            ASSERT_TRUE(editor->frame.open(again.handle(), WindowOptions{c.shared}));
            editor->frame.idle();
            EXPECT_EQ(again.grab(::Window(reinterpret_cast<std::uintptr_t>(editor->frame.systemWindow())), 240, 120),
                      framePicture(editor->frame));
            editor->frame.close();
        }
    }
}

// Hosts do not wait for the server between destroying their window and
// closing the editor: the window's own destruction may reach the server
// before or after the host's, and its DestroyNotify may not have arrived yet.
TEST(X11Window, ClosesRightAfterAnUnfinishedDestructionOfTheHostWindow)
{
    REQUIRE_SERVER();
    HostErrorHandler hostHandler;
    for (int round = 0; round < 20; ++round) {
        HostWindow host(300, 200);
        ASSERT_TRUE(host.ok()) << "no connection to " << server->display();
        Editor editor;
        ASSERT_TRUE(editor.frame.open(host.handle(), WindowOptions{round % 2 == 0}));
        editor.frame.idle();
        XDestroyWindow(host.display, host.window);
        host.window = 0;
        XFlush(host.display);
        editor.frame.close();
        XSync(host.display, False);
    }
    EXPECT_EQ(HostErrorHandler::errors, 0);
}
