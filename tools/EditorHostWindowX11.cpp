#include "tools/EditorHostWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>

struct EditorHostWindow::Platform {
    Display* display = nullptr;
    ::Window window = 0;
    ::Window focusProxy = 0; // holds the keyboard focus, as hosts' toolkits do
    Atom deleteWindow = None;
};

EditorHostWindow::EditorHostWindow() = default;

EditorHostWindow::~EditorHostWindow()
{
    close();
}

bool EditorHostWindow::open(const std::string& title, int width, int height)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        error_ = "no X display (use --snapshot without one)";
        return false;
    }
    platform_ = std::make_unique<Platform>();
    Platform& p = *platform_;
    p.display = display;
    p.window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, unsigned(width), unsigned(height), 0, 0,
                                   0);
    XStoreName(display, p.window, title.c_str());
    p.deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, p.window, &p.deleteWindow, 1);
    XSizeHints hints{};
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = width;
    hints.min_height = hints.max_height = height;
    XSetWMNormalHints(display, p.window, &hints);
    // Like the toolkits of real hosts (GTK's focus window, for one), the
    // keyboard focus rests on a window of the host's own beside the editor,
    // so keys reach the editor only when it takes the focus itself.
    p.focusProxy = XCreateWindow(display, p.window, 0, 0, 1, 1, 0, 0, InputOnly, CopyFromParent, 0, nullptr);
    XMapWindow(display, p.focusProxy);
    XSelectInput(display, p.window, StructureNotifyMask);
    XMapWindow(display, p.window);
    XEvent e;
    do
        XWindowEvent(display, p.window, StructureNotifyMask, &e);
    while (e.type != MapNotify);
    XSetInputFocus(display, p.focusProxy, RevertToParent, CurrentTime);
    XSync(display, False);
    return true;
}

void* EditorHostWindow::parentHandle() const
{
    return platform_ ? reinterpret_cast<void*>(static_cast<std::uintptr_t>(platform_->window)) : nullptr;
}

bool EditorHostWindow::handleEvents()
{
    if (!platform_)
        return false;
    bool open = true;
    while (XPending(platform_->display)) {
        XEvent e;
        XNextEvent(platform_->display, &e);
        if (e.type == ClientMessage && Atom(e.xclient.data.l[0]) == platform_->deleteWindow)
            open = false;
    }
    return open;
}

void EditorHostWindow::close()
{
    if (!platform_)
        return;
    XDestroyWindow(platform_->display, platform_->window);
    XCloseDisplay(platform_->display);
    platform_.reset();
}
