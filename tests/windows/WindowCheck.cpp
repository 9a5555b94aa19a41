// selvarine-window-check: the toolkit's Win32 window, run under Wine by
// tools/wine-check.sh. A small host window holds a frame with a button, a
// knob and a label; the check opens it, compares what the screen shows with
// the frame's own picture, clicks the button, drags the knob, double-clicks
// it and turns the wheel over it with real (synthesised) input, opens a
// menu's list (which takes the keyboard from the host until it closes) and
// chooses by keys, closes the window with the list open, opens it again, and
// opens two editors at once. It also decodes an
// embedded PNG through the Windows build of libpng. Prints one line per
// check; exit status 0 when all pass.

#include "gui/AnimKnob.h"
#include "gui/BitmapLibrary.h"
#include "gui/Frame.h"
#include "gui/OnOffButton.h"
#include "gui/OptionMenu.h"
#include "gui/TextLabel.h"

#include <windows.h>

#include "tests/windows/TypeKey.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

std::span<const gui::EmbeddedFile> windowCheckResources();

namespace {

int failures = 0;

void check(bool ok, const std::string& what)
{
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    failures += ok ? 0 : 1;
}

gui::Color frameColor(int k)
{
    return {std::uint8_t(20 + 2 * k), std::uint8_t(200 - k), 90, 255};
}

gui::Bitmap filmStrip(int frames, int w, int h)
{
    auto image = std::make_shared<gui::Image>(w, h * frames);
    for (int k = 0; k < frames; ++k)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image->setPixel(x, k * h + y, frameColor(k));
    return gui::Bitmap("strip", image);
}

gui::Bitmap solid(int w, int h, gui::Color c)
{
    auto image = std::make_shared<gui::Image>(w, h);
    image->fill(c);
    return gui::Bitmap("solid", image);
}

class Listener : public gui::ControlListener {
public:
    void valueChanged(gui::Control&) override { ++changes; }
    void beginEdit(gui::Control&) override { ++begins; }
    void endEdit(gui::Control&) override { ++ends; }
    int changes = 0, begins = 0, ends = 0;
};

struct Editor {
    gui::Frame frame{240, 120};
    Listener listener;
    gui::OnOffButton* button;
    gui::AnimKnob* knob;
    gui::OptionMenu* menu;

    Editor()
    {
        frame.setBackground(solid(240, 120, {60, 70, 80, 255}));
        button = frame.add(std::make_unique<gui::OnOffButton>(gui::Rect{10, 10, 40, 40}, &listener, 8, filmStrip(2, 30, 30)));
        knob = frame.add(std::make_unique<gui::AnimKnob>(gui::Rect{60, 10, 107, 63}, &listener, 11, 101, filmStrip(101, 47, 53)));
        knob->setValue(0.5f);
        frame.add(std::make_unique<gui::TextLabel>(gui::Rect{120, 80, 230, 100}, "Orvandel 1.0"));
        menu = frame.add(std::make_unique<gui::OptionMenu>(gui::Rect{120, 10, 230, 28}, &listener, 1));
        for (const char* e : {"IN L", "IN R", "IN LR"})
            menu->addEntry(e);
    }
    HWND hwnd() const { return static_cast<HWND>(frame.systemWindow()); }
};

LRESULT CALLBACK hostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND makeHost(int x, int y)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = hostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = L"SelvarineCheckHost";
        RegisterClassExW(&wc);
        registered = true;
    }
    RECT r{0, 0, 300, 200};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND host = CreateWindowExW(WS_EX_TOPMOST, L"SelvarineCheckHost", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(host);
    return host;
}

// Runs the message loop and the host's idle calls for a while or until done().
bool pump(std::vector<gui::Frame*> frames, int milliseconds, const std::function<bool()>& done = {})
{
    const DWORD until = GetTickCount() + DWORD(milliseconds);
    while (GetTickCount() < until) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        for (gui::Frame* f : frames)
            f->idle();
        if (done && done())
            return true;
        Sleep(10);
    }
    return !done || done();
}

// What the screen shows of a window, compared with the frame's picture.
bool screenMatches(Editor& e)
{
    const int w = 240, h = 120;
    HDC windowDc = GetDC(e.hwnd());
    HDC memoryDc = CreateCompatibleDC(windowDc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memoryDc, bitmap);
    BitBlt(memoryDc, 0, 0, w, h, windowDc, 0, 0, SRCCOPY);
    GdiFlush();
    int differing = 0;
    const auto* px = static_cast<const unsigned char*>(bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t want = e.frame.image().pixel(x, y) >> 8;
            const unsigned char* p = px + (std::size_t(y) * w + x) * 4;
            const std::uint32_t got = (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
            differing += got != want;
        }
    SelectObject(memoryDc, old);
    DeleteObject(bitmap);
    DeleteDC(memoryDc);
    ReleaseDC(e.hwnd(), windowDc);
    if (differing)
        std::printf("     %d of %d pixels differ\n", differing, w * h);
    return differing == 0;
}

void sendMouse(DWORD flags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

// Moves the pointer to a point of the frame's window (real input).
void pointAt(Editor& e, int x, int y)
{
    POINT p{x, y};
    ClientToScreen(e.hwnd(), &p);
    SetCursorPos(p.x, p.y);
}

void clickAt(Editor& e, int x, int y)
{
    pointAt(e, x, y);
    pump({&e.frame}, 50);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    sendMouse(MOUSEEVENTF_LEFTUP);
}

} // namespace

int main()
{
    // PNG decoding through the Windows libpng.
    gui::BitmapLibrary library(windowCheckResources());
    const gui::Bitmap stripes = library.get("stripes.png");
    check(!stripes.isPlaceholder() && stripes.width() == 4 && stripes.height() == 6 &&
              stripes.image().pixel(0, 2) == 0x00FF00FFu && stripes.image().pixel(3, 5) == 0x00008080u,
          "an embedded PNG decodes through libpng");
    check(library.get("missing.png").isPlaceholder() && library.problems().size() == 1,
          "a missing resource becomes a placeholder and is reported");

    HWND host = makeHost(50, 50);
    Editor editor;
    check(editor.frame.open(host), "the frame opens inside the host window");
    if (!editor.frame.isOpen())
        return 1;
    check(GetParent(editor.hwnd()) == host, "its window is a child of the host's");
    RECT client;
    GetClientRect(editor.hwnd(), &client);
    check(client.right == 240 && client.bottom == 120, "at the size asked before opening");
    pump({&editor.frame}, 300);
    check(screenMatches(editor), "the screen shows the frame's picture");

    clickAt(editor, 20, 20);
    check(pump({&editor.frame}, 3000, [&] { return editor.button->value() == 1.0f; }), "a click switches the button");
    check(editor.listener.begins == 1 && editor.listener.changes == 1 && editor.listener.ends == 1,
          "the click is one edit with one change");
    pump({&editor.frame}, 100);
    check(screenMatches(editor), "the screen shows the switched button");

    // A drag up by 50 pixels: +0.25.
    pointAt(editor, 80, 60);
    pump({&editor.frame}, 50);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    pump({&editor.frame}, 50);
    for (int y = 55; y >= 10; y -= 5) {
        pointAt(editor, 80, y);
        pump({&editor.frame}, 10);
    }
    sendMouse(MOUSEEVENTF_LEFTUP);
    check(pump({&editor.frame}, 3000, [&] { return editor.listener.ends == 2; }) &&
              std::abs(editor.knob->value() - 0.75f) < 1e-6f,
          "a drag turns the knob by its distance (value " + std::to_string(editor.knob->value()) + ")");

    // Two clicks in quick succession: a double click restores the default.
    clickAt(editor, 80, 30);
    sendMouse(MOUSEEVENTF_LEFTDOWN);
    sendMouse(MOUSEEVENTF_LEFTUP);
    check(pump({&editor.frame}, 3000, [&] { return editor.knob->value() == 0.5f; }),
          "a double click restores the knob's default");

    // One wheel notch over the knob: one step up, as one edit.
    pointAt(editor, 80, 30);
    pump({&editor.frame}, 50);
    const int endsBefore = editor.listener.ends;
    INPUT wheel{};
    wheel.type = INPUT_MOUSE;
    wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
    wheel.mi.mouseData = WHEEL_DELTA;
    SendInput(1, &wheel, sizeof wheel);
    check(pump({&editor.frame}, 3000, [&] { return editor.listener.ends == endsBefore + 1; }) &&
              std::abs(editor.knob->value() - (0.5f + gui::Knob::kWheelStep)) < 1e-6f,
          "a wheel notch steps the knob");

    // The host has the keyboard; a click on a control leaves it there, an
    // open menu list takes it until it closes.
    SetFocus(host);
    clickAt(editor, 20, 20);
    pump({&editor.frame}, 200);
    check(GetFocus() == host, "a click on a control leaves the keyboard with the host");
    clickAt(editor, 130, 15);
    check(pump({&editor.frame}, 3000, [&] { return editor.menu->isOpen() && GetFocus() == editor.hwnd(); }),
          "an open menu list takes the keyboard");
    for (WORD vk : {WORD(VK_DOWN), WORD(VK_RETURN)}) {
        typeKey(vk);
        pump({&editor.frame}, 50);
    }
    check(pump({&editor.frame}, 3000, [&] { return !editor.menu->isOpen() && GetFocus() == host; }) &&
              editor.menu->currentIndex() == 1,
          "Down and Return choose in the list; the keyboard goes back to the host");
    clickAt(editor, 130, 15);
    check(pump({&editor.frame}, 3000, [&] { return editor.menu->isOpen() && GetFocus() == editor.hwnd(); }),
          "the list takes the keyboard again");

    HWND first = editor.hwnd();
    editor.frame.close();
    check(!IsWindow(first) && !editor.frame.isOpen(), "closing destroys the window");
    check(GetFocus() == host, "closing with the list open gives the keyboard back to the host");
    check(editor.frame.open(host), "the frame opens again");
    pump({&editor.frame}, 300);
    check(screenMatches(editor), "the reopened window shows the frame's picture");
    clickAt(editor, 20, 20);
    check(pump({&editor.frame}, 3000, [&] { return editor.button->value() == 0.0f; }), "the reopened window takes clicks");

    // A second editor in a second host, both open at once.
    HWND host2 = makeHost(420, 50);
    Editor other;
    check(other.frame.open(host2), "a second editor opens while the first is open");
    pump({&editor.frame, &other.frame}, 300);
    clickAt(other, 20, 20);
    check(pump({&editor.frame, &other.frame}, 3000, [&] { return other.button->value() == 1.0f; }) &&
              editor.button->value() == 0.0f,
          "each of two editors gets its own clicks");
    editor.frame.close();
    other.frame.close();
    DestroyWindow(host2);
    DestroyWindow(host);

    std::printf("%s\n", failures ? "window check FAILED" : "window check passed");
    return failures ? 1 : 0;
}
