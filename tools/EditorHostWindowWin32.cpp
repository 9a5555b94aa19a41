#include "tools/EditorHostWindow.h"

#include <windows.h>

namespace {

constexpr const char* kClassName = "SelvarineEditorHost";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The window's close request is kept in its user data, so the window
// procedure needs no global state.
LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_CLOSE) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 1);
        return 0;
    }
    return DefWindowProcA(window, message, w, l);
}

} // namespace

struct EditorHostWindow::Platform {
    HWND window = nullptr;
};

EditorHostWindow::EditorHostWindow() = default;

EditorHostWindow::~EditorHostWindow()
{
    close();
}

bool EditorHostWindow::open(const std::string& title, int width, int height)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (!GetClassInfoA(instance, kClassName, &wc)) {
        wc.lpfnWndProc = hostProcedure;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        if (!RegisterClassA(&wc)) {
            error_ = "cannot register the window class";
            return false;
        }
    }
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, kStyle, FALSE);
    HWND window = CreateWindowA(kClassName, title.c_str(), kStyle | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window) {
        error_ = "cannot create the window";
        return false;
    }
    platform_ = std::make_unique<Platform>();
    platform_->window = window;
    UpdateWindow(window);
    return true;
}

void* EditorHostWindow::parentHandle() const
{
    return platform_ ? platform_->window : nullptr;
}

bool EditorHostWindow::handleEvents()
{
    if (!platform_)
        return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return GetWindowLongPtrA(platform_->window, GWLP_USERDATA) == 0;
}

void EditorHostWindow::close()
{
    if (!platform_)
        return;
    DestroyWindow(platform_->window);
    platform_.reset();
}
