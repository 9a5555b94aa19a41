// The plug-in DLL's editor under Windows (Wine): opened in a host window by
// the editor opcodes, a click on "Bypass" reaching the plug-in and the host
// as automation, a screenshot of the editor, the program menu's list opened
// (screenshot beside the first, "-menu" added to its name) and driven by
// keys, closed and opened again.
// Prints one line per check and "editor check passed" at the end.
#include <windows.h>

#include "tests/windows/TypeKey.h"

#include <cstdio>
#include <string>
#include <vector>

#include "vst/VstInterface.h"

namespace {

int automations = 0;
int edits = 0;

vst::VstIntPtr hostCallback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float)
{
    switch (opcode) {
    case vst::audioMasterVersion: return 2400;
    case vst::audioMasterAutomate: ++automations; return 1;
    case vst::audioMasterBeginEdit:
    case vst::audioMasterEndEdit: ++edits; return 1;
    default: return 0;
    }
}

void pump(vst::AEffect* e, int rounds)
{
    for (int i = 0; i < rounds; ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        e->dispatcher(e, vst::effEditIdle, 0, 0, nullptr, 0.0f);
        Sleep(20);
    }
}

bool check(bool ok, const char* what)
{
    std::printf("%s: %s\n", what, ok ? "ok" : "FAILED");
    std::fflush(stdout);
    return ok;
}

// The window's picture as a 24-bit BMP file.
bool screenshot(HWND window, const char* path)
{
    RECT r;
    GetClientRect(window, &r);
    const int w = r.right, h = r.bottom;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    const int stride = (w * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(std::size_t(stride) * std::size_t(h));
    GetDIBits(memory, bitmap, 0, UINT(h), pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    FILE* f = std::fopen(path, "wb");
    if (!f)
        return false;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = DWORD(file.bfOffBits + pixels.size());
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
    std::fwrite(pixels.data(), 1, pixels.size(), f);
    std::fclose(f);
    // Not all black: something was drawn.
    for (unsigned char c : pixels)
        if (c > 16)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: selvarine-editor-check PLUGIN.dll SCREENSHOT.bmp\n");
        return 2;
    }
    HMODULE dll = LoadLibraryA(argv[1]);
    if (!check(dll != nullptr, "load the plug-in"))
        return 1;
    auto entry = reinterpret_cast<vst::AEffect* (*)(vst::HostCallback)>(
        reinterpret_cast<void*>(GetProcAddress(dll, "VSTPluginMain")));
    vst::AEffect* e = entry ? entry(hostCallback) : nullptr;
    if (!check(e != nullptr, "entry point"))
        return 1;
    e->dispatcher(e, vst::effOpen, 0, 0, nullptr, 0.0f);
    bool ok = check((e->flags & vst::effFlagsHasEditor) != 0, "has-editor flag");
    vst::ERect* rect = nullptr;
    e->dispatcher(e, vst::effEditGetRect, 0, 0, &rect, 0.0f);
    ok &= check(rect && rect->right - rect->left == 650 && rect->bottom - rect->top == 500, "editor rectangle 650 x 500");

    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SelvarineEditorCheckHost";
    RegisterClassA(&wc);
    RECT frame{0, 0, 650, 500};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND host = CreateWindowA(wc.lpszClassName, "editor check", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, wc.hInstance, nullptr);

    for (int round = 0; round < 2; ++round) {
        ok &= check(e->dispatcher(e, vst::effEditOpen, 0, 0, host, 0.0f) == 1, "effEditOpen");
        HWND child = GetWindow(host, GW_CHILD);
        ok &= check(child != nullptr, "the editor is a child of the host window");
        if (!child)
            break;
        pump(e, 10);
        const float before = e->getParameter(e, 0);
        const int automated = automations;
        PostMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(623, 14));
        PostMessageA(child, WM_LBUTTONUP, 0, MAKELPARAM(623, 14));
        pump(e, 10);
        ok &= check(e->getParameter(e, 0) != before && automations > automated && edits >= 2,
                    "a click on Bypass reaches the plug-in and the host");
        if (round == 0) {
            ok &= check(screenshot(child, argv[2]), "screenshot");
            // The program menu: its list opens over the editor and takes the keyboard.
            const int program = int(e->dispatcher(e, vst::effGetProgram, 0, 0, nullptr, 0.0f));
            PostMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 15));
            PostMessageA(child, WM_LBUTTONUP, 0, MAKELPARAM(200, 15));
            pump(e, 10);
            ok &= check(GetFocus() == child, "the open program list has the keyboard");
            std::string menuShot = argv[2];
            const std::size_t dot = menuShot.rfind('.');
            menuShot.insert(dot == std::string::npos ? menuShot.size() : dot, "-menu");
            ok &= check(screenshot(child, menuShot.c_str()), "screenshot with the program list open");
            for (WORD vk : {WORD(VK_DOWN), WORD(VK_RETURN)}) {
                typeKey(vk);
                pump(e, 5);
            }
            pump(e, 10);
            ok &= check(e->dispatcher(e, vst::effGetProgram, 0, 0, nullptr, 0.0f) == (program + 1) % 24,
                        "Down and Return in the list choose the next program");
            ok &= check(GetFocus() != child, "the list gives the keyboard back when it closes");
        }
        e->dispatcher(e, vst::effEditClose, 0, 0, nullptr, 0.0f);
        pump(e, 2);
        ok &= check(GetWindow(host, GW_CHILD) == nullptr, "effEditClose removes the editor window");
    }
    DestroyWindow(host);
    e->dispatcher(e, vst::effClose, 0, 0, nullptr, 0.0f);
    FreeLibrary(dll);
    if (ok)
        std::printf("editor check passed\n");
    return ok ? 0 : 1;
}
