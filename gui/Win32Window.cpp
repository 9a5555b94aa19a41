#include "gui/Win32Window.h"

#include "gui/Frame.h"

#include <windowsx.h>

#include <cstdio>

namespace gui {

namespace {

unsigned modifiersNow()
{
    unsigned m = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        m |= modifiers::shift;
    if (GetKeyState(VK_CONTROL) < 0)
        m |= modifiers::control;
    if (GetKeyState(VK_MENU) < 0)
        m |= modifiers::alt;
    return m;
}

unsigned buttonsOf(WPARAM wParam)
{
    unsigned b = 0;
    if (wParam & MK_LBUTTON)
        b |= buttons::left;
    if (wParam & MK_RBUTTON)
        b |= buttons::right;
    if (wParam & MK_MBUTTON)
        b |= buttons::middle;
    return b;
}

// The module this code is linked into (the plug-in DLL, or the program).
HINSTANCE thisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

} // namespace

std::unique_ptr<PlatformWindow> PlatformWindow::create(Frame& frame, void* parent, const WindowOptions&)
{
    if (!parent || !IsWindow(static_cast<HWND>(parent)))
        return nullptr;
    auto window = std::make_unique<Win32Window>(frame, static_cast<HWND>(parent));
    if (!window->valid())
        return nullptr;
    return window;
}

Win32Window::Win32Window(Frame& frame, HWND parent) : frame_(frame), instance_(thisModule())
{
    wchar_t name[64];
    std::swprintf(name, 64, L"SelvarineFrame%p_%p", static_cast<void*>(instance_), static_cast<void*>(this));
    className_ = name;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = className_.c_str();
    if (!RegisterClassExW(&wc))
        return;

    const int w = frame_.size().width();
    const int h = frame_.size().height();
    bgra_.assign(std::size_t(w) * std::size_t(h) * 4, 0);
    hwnd_ = CreateWindowExW(0, className_.c_str(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, w, h,
                            parent, nullptr, instance_, this);
    if (!hwnd_) {
        UnregisterClassW(className_.c_str(), instance_);
        return;
    }
    SetTimer(hwnd_, kTimerId, kTimerMs, nullptr);
    frame_.invalidate(frame_.size());
}

Win32Window::~Win32Window()
{
    if (hwnd_) {
        KillTimer(hwnd_, kTimerId);
        // Closed with a list open: the keyboard goes back before the window.
        if (tookFocus_) {
            tookFocus_ = false;
            if (GetFocus() == hwnd_ && focusBefore_ && IsWindow(focusBefore_))
                SetFocus(focusBefore_);
        }
        if (captured_)
            ReleaseCapture();
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
        UnregisterClassW(className_.c_str(), instance_);
    }
}

void Win32Window::idle()
{
    giveFocusBackWhenDone();
    pushDirty();
    if (hwnd_)
        UpdateWindow(hwnd_);
}

void Win32Window::pushDirty()
{
    if (!hwnd_)
        return;
    for (const Rect& r : frame_.dirtyRegion().rects()) {
        RECT rc{r.left, r.top, r.right, r.bottom};
        InvalidateRect(hwnd_, &rc, FALSE);
    }
}

void Win32Window::keyboardForModalView()
{
    const View* modal = frame_.modalView();
    if (!hwnd_ || !modal || !modal->wantsKeyboard())
        return;
    const HWND before = SetFocus(hwnd_);
    if (!tookFocus_) {
        tookFocus_ = true;
        focusBefore_ = before != hwnd_ ? before : nullptr;
    }
}

void Win32Window::giveFocusBackWhenDone()
{
    if (!tookFocus_ || !hwnd_)
        return;
    const View* modal = frame_.modalView();
    if (modal && modal->wantsKeyboard())
        return;
    tookFocus_ = false;
    // Only if the keyboard is still ours: the user may have gone elsewhere.
    if (GetFocus() == hwnd_ && focusBefore_ && IsWindow(focusBefore_))
        SetFocus(focusBefore_);
    focusBefore_ = nullptr;
}

void Win32Window::paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    // Everything the system asks for, plus whatever the frame changed.
    frame_.invalidate({ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom});
    const std::vector<Rect> drawn = frame_.redrawDirty();
    const Image& picture = frame_.image();
    const int w = picture.width();
    const int h = picture.height();
    for (const Rect& r : drawn)
        for (int y = r.top; y < r.bottom; ++y) {
            const std::uint8_t* in = picture.row(y) + std::size_t(r.left) * 4;
            unsigned char* out = bgra_.data() + (std::size_t(y) * w + r.left) * 4;
            for (int x = r.left; x < r.right; ++x, in += 4, out += 4) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
                out[3] = 255;
            }
        }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // With a top-down DIB, the scan lines are counted from the picture's top.
    SetDIBitsToDevice(dc, 0, 0, DWORD(w), DWORD(h), 0, 0, 0, UINT(h), bgra_.data(), &info, DIB_RGB_COLORS);
    EndPaint(hwnd_, &ps);
}

LRESULT CALLBACK Win32Window::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->hwnd_ == hwnd)
        return self->handle(message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Win32Window::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    MouseEvent e;
    e.where = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    e.modifiers = modifiersNow();
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // every pixel is painted
    case WM_TIMER:
        if (wParam == kTimerId) {
            giveFocusBackWhenDone();
            pushDirty();
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        e.buttons = message == WM_RBUTTONDOWN ? buttons::right
                    : message == WM_MBUTTONDOWN ? buttons::middle
                                                : buttons::left;
        e.doubleClick = message == WM_LBUTTONDBLCLK;
        SetCapture(hwnd_);
        captured_ = true;
        frame_.mouseDown(e);
        // Hosts keep the keyboard; a modal view that takes keys asks for it,
        // whether it was up already or the press opened it (a menu's list).
        keyboardForModalView();
        pushDirty();
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        e.buttons = buttonsOf(wParam);
        if (captured_ && e.buttons == 0) {
            captured_ = false;
            ReleaseCapture();
        }
        frame_.mouseUp(e);
        keyboardForModalView(); // a release may open one too
        giveFocusBackWhenDone();
        pushDirty();
        return 0;
    case WM_MOUSEMOVE:
        if (!tracking_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
            tracking_ = TrackMouseEvent(&track) != FALSE;
        }
        e.buttons = buttonsOf(wParam);
        frame_.mouseMoved(e);
        pushDirty();
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        frame_.mouseLeftWindow();
        pushDirty();
        return 0;
    case WM_MOUSEWHEEL: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; // screen coordinates
        ScreenToClient(hwnd_, &p);
        e.where = {p.x, p.y};
        e.wheel = float(GET_WHEEL_DELTA_WPARAM(wParam)) / float(WHEEL_DELTA);
        frame_.mouseWheel(e);
        pushDirty();
        return 0;
    }
    case WM_CAPTURECHANGED:
        // Capture taken away mid-press (a dialog, the host): the press ends
        // where it is, without a release.
        if (captured_ && reinterpret_cast<HWND>(lParam) != hwnd_) {
            captured_ = false;
            frame_.cancelPress();
            pushDirty();
        }
        return 0;
    case WM_KEYDOWN: {
        KeyEvent k;
        k.modifiers = modifiersNow();
        switch (wParam) {
        case VK_UP: k.key = Key::up; break;
        case VK_DOWN: k.key = Key::down; break;
        case VK_LEFT: k.key = Key::left; break;
        case VK_RIGHT: k.key = Key::right; break;
        case VK_PRIOR: k.key = Key::pageUp; break;
        case VK_NEXT: k.key = Key::pageDown; break;
        case VK_HOME: k.key = Key::home; break;
        case VK_END: k.key = Key::end; break;
        case VK_RETURN: k.key = Key::enter; break;
        case VK_ESCAPE: k.key = Key::escape; break;
        default: return DefWindowProcW(hwnd_, message, wParam, lParam);
        }
        frame_.keyDown(k);
        giveFocusBackWhenDone(); // Enter or Escape closed the list
        pushDirty();
        return 0;
    }
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

} // namespace gui
