#pragma once

#include "gui/PlatformWindow.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <vector>

namespace gui {

// The frame's window on Windows: a child of the host's HWND. Its window class
// is registered under a name made of the module's instance handle and the
// window's own address, so two plug-in modules, or two editors of one
// module, never share or unregister each other's class. Events arrive through
// the window procedure (the host's message loop); a timer and the host's idle
// call both draw what the frame redrew, with SetDIBitsToDevice. Like the X11
// window it leaves the keyboard to the host except while a modal view that
// takes keys is up.
class Win32Window final : public PlatformWindow {
public:
    static constexpr UINT kTimerMs = 30;     // redraw timer period
    static constexpr UINT_PTR kTimerId = 1;  // the redraw timer's id

    Win32Window(Frame& frame, HWND parent);
    ~Win32Window() override;

    bool valid() const { return hwnd_ != nullptr; }
    void idle() override;
    void* nativeHandle() const override { return hwnd_; }
    const char* drawingMethod() const override { return "SetDIBitsToDevice"; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    void pushDirty(); // hands the frame's dirty parts to the system as invalid areas
    // The keyboard focus is taken while a modal view that wants keys is up
    // (an open menu list, a box with a name field) and given back after, to
    // the window that had it; otherwise the host keeps it.
    void keyboardForModalView();
    void giveFocusBackWhenDone();

    Frame& frame_;                  // the frame shown
    HINSTANCE instance_ = nullptr;  // the module holding this code
    std::wstring className_;        // our own window class
    HWND hwnd_ = nullptr;           // the child window
    std::vector<unsigned char> bgra_; // the frame's picture as a top-down BGRA DIB
    bool tracking_ = false;         // asked for WM_MOUSELEAVE
    bool captured_ = false;         // holding the mouse capture during a press
    bool tookFocus_ = false;        // focus taken for a modal view that wants keys
    HWND focusBefore_ = nullptr;    // who had it then, given it back after
};

} // namespace gui
