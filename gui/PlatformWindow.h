#pragma once

#include <memory>

namespace gui {

class Frame;

// Choices a frame passes to its system window.
struct WindowOptions {
    // X11: copy the picture through MIT shared memory when the server offers
    // it (otherwise, or when false, through plain XPutImage).
    bool sharedMemory = true;
};

// The system window that shows a frame: a child of the host's window that
// copies the frame's picture to the screen and feeds mouse and key events
// into the frame. One implementation per platform (X11Window, Win32Window);
// everything else in the toolkit is platform-free.
//
// Threads: created, pumped and destroyed on the host's user-interface thread.
class PlatformWindow {
public:
    PlatformWindow() = default;
    PlatformWindow(const PlatformWindow&) = delete;
    PlatformWindow& operator=(const PlatformWindow&) = delete;
    virtual ~PlatformWindow() = default;

    // A child window of `parent` (X11: the Window id; Windows: the HWND) of
    // the frame's size, or null when it cannot be made.
    static std::unique_ptr<PlatformWindow> create(Frame& frame, void* parent,
                                                  const WindowOptions& options);

    // Handles the pending system events and shows what the frame redrew.
    virtual void idle() = 0;
    // The window's system handle (X11 Window id or HWND).
    virtual void* nativeHandle() const = 0;
    // How the picture reaches the screen, for diagnostics and tests
    // ("MIT-SHM", "XPutImage", "SetDIBitsToDevice").
    virtual const char* drawingMethod() const = 0;
};

} // namespace gui
