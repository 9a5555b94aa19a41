#pragma once

#include <memory>
#include <string>

// A plain top-level window of fixed size for a plug-in editor to open in:
// an X11 window on Linux, a Win32 window on Windows.
class EditorHostWindow {
public:
    EditorHostWindow();
    ~EditorHostWindow();
    EditorHostWindow(const EditorHostWindow&) = delete;
    EditorHostWindow& operator=(const EditorHostWindow&) = delete;

    // Creates and shows the window with a client area of width x height;
    // false with error() when the platform cannot (no X display).
    bool open(const std::string& title, int width, int height);
    // The parent the editor opcode takes: the X11 window id or the HWND.
    void* parentHandle() const;
    // Handles every pending event of the window (and on Windows of the
    // thread, so the editor's child window is served too); false once the
    // user has asked to close the window.
    bool handleEvents();
    void close();
    const std::string& error() const { return error_; }

private:
    struct Platform;
    std::unique_ptr<Platform> platform_;
    std::string error_;
};
