#pragma once

#include "gui/PlatformWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <cstdint>
#include <vector>

namespace gui {

// The frame's window on X11: a child of the host's window on a display
// connection of its own (so two editors, or an editor and the host, never
// share Xlib state), with the XEmbed info set. Nothing happens between idle
// calls: idle() reads every pending event, coalescing pointer motion into
// the latest position (hosts may call idle as seldom as 15 times a second),
// hands them to the frame and copies what the frame redrew to the window,
// through MIT shared memory where the server has it, else XPutImage.
//
// Hosts may destroy their window (and ours with it) before they close the
// editor. The window notes the DestroyNotify and names itself in no request
// after it; closing then only frees what is ours and closes the connection.
// No protocol error of our connection reaches Xlib's process-wide handler
// (the host's, which is never swapped): see ErrorTrap in the source.
class X11Window final : public PlatformWindow {
public:
    static constexpr unsigned long kDoubleClickMs = 400; // longest gap of a double click
    static constexpr int kDoubleClickDistance = 4;       // pixels the pointer may move

    X11Window(Frame& frame, Display* display, ::Window window, const WindowOptions& options);
    ~X11Window() override;

    void idle() override;
    void* nativeHandle() const override;
    const char* drawingMethod() const override { return shm_.shmaddr ? "MIT-SHM" : "XPutImage"; }

    // True once the window is known to be destroyed (by the host, with its
    // parent) or could not be set up; it is then neither drawn nor destroyed.
    bool windowGone() const { return windowGone_; }
    // Errors the server reported during idle() for requests not expected to
    // fail, such as drawing into a window destroyed behind our back. They end
    // nothing; this count is for diagnostics and tests.
    unsigned long unexpectedErrors() const { return unexpectedErrors_; }

private:
    bool createSharedImage(int width, int height);
    void createPlainImage(int width, int height);
    void dispatch(XEvent& event);
    void present();
    void copyToImage(int left, int top, int right, int bottom);
    // Takes the keyboard focus while a modal view that wants keys is up (an
    // open menu list, a box with a name field); idle() gives it back after.
    void keyboardForModalView(unsigned long time);
    void takeFocus(unsigned long time);
    void giveFocusBack();

    Frame& frame_;                       // the frame shown
    Display* display_;                   // our own connection
    ::Window window_;                    // the child window
    Visual* visual_ = nullptr;           // the window's visual
    int depth_ = 0;                      // the window's depth
    GC gc_ = nullptr;                    // for the image copies
    XImage* image_ = nullptr;            // frame-sized image in the server's pixel format
    XShmSegmentInfo shm_{};              // shared segment, shmaddr null when unused
    std::vector<char> plainPixels_;      // image_'s pixels when not shared
    unsigned long lastPressTime_ = 0;    // server time of the last left press
    int lastPressX_ = -1000;             // where it was
    int lastPressY_ = -1000;
    bool tookFocus_ = false;             // focus taken for a modal view that wants keys
    ::Window focusBefore_ = 0;           // who had it then, given it back after
    bool windowGone_ = false;            // destroyed or never usable: no request names it
    unsigned long unexpectedErrors_ = 0; // see unexpectedErrors()
};

} // namespace gui
