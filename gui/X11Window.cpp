#include "gui/X11Window.h"

#include "gui/Frame.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

// Last: the per-connection error hooks. It defines min and max as macros.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace gui {

namespace {

// Protocol errors on the window's own connection.
//
// Xlib hands an error to one process-wide handler (XSetErrorHandler) whose
// default ends the process. That handler is the host's: a plug-in that swaps
// it races with the host and with its own other instances on other threads,
// and a handler of ours left installed sees every other connection's errors.
// So the window never touches it. Each error code of our own connection is
// routed instead to catchError (XESetWireToError: a per-connection hook that
// Xlib consults before the process-wide handler), which takes the error off
// the path to that handler. No error of our connection can end the host, and
// no error of another connection ever reaches code of ours.
//
// An ErrorTrap counts the errors that arrive while it lives, for requests that
// may fail (a parent window that does not exist, a segment the server cannot
// reach, a window destroyed behind our back). A connection is only used on
// the thread that drives its window, and Xlib reports an error on the thread
// that reads the connection, so the live traps are kept per thread; the
// innermost trap of the connection gets the error. Errors that arrive with no
// trap of their connection alive are dropped.
class ErrorTrap;
thread_local ErrorTrap* innermostTrap = nullptr;

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display_(display), outer_(innermostTrap) { innermostTrap = this; }
    ~ErrorTrap() { innermostTrap = outer_; }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits for the server's answer to everything sent so far; true when
    // anything failed since the trap was set.
    bool failed()
    {
        XSync(display_, False);
        return errors_ != 0;
    }
    // Errors read so far, without waiting for the server.
    unsigned long errors() const { return errors_; }

    // The hook of every error code of our connections.
    static Bool catchError(Display* display, XErrorEvent*, xError*)
    {
        for (ErrorTrap* trap = innermostTrap; trap; trap = trap->outer_)
            if (trap->display_ == display) {
                ++trap->errors_;
                break;
            }
        return False; // handled: not passed on to the process-wide handler
    }

private:
    Display* display_;
    ErrorTrap* outer_;
    unsigned long errors_ = 0;
};

// Routes every error code of a connection of ours to ErrorTrap::catchError.
// The table goes with the connection (XCloseDisplay frees it).
void catchErrorsOf(Display* display)
{
    for (int code = 1; code < 256; ++code) // 0 is no error code
        XESetWireToError(display, code, ErrorTrap::catchError);
}

// libXext keeps the connections that use an extension (MIT-SHM, and the
// generic-event bookkeeping it sets up beside it) in process-wide lists that
// it creates on first use and caches without a lock. Editors of instances
// on different threads opening, drawing and closing at once corrupt them,
// host having called XInitThreads or not. So every call of ours into libXext,
// and every XCloseDisplay (whose close hooks take the connection off those
// lists), holds this lock. It is the library's, shared by all its instances;
// users of libXext outside the library do not take it.
std::mutex extensionLock;

void closeConnection(Display* display)
{
    std::lock_guard<std::mutex> lock(extensionLock);
    XCloseDisplay(display);
}

unsigned modifiersOf(unsigned state)
{
    unsigned m = 0;
    if (state & ShiftMask)
        m |= modifiers::shift;
    if (state & ControlMask)
        m |= modifiers::control;
    if (state & Mod1Mask)
        m |= modifiers::alt;
    return m;
}

unsigned buttonsOf(unsigned state)
{
    unsigned b = 0;
    if (state & Button1Mask)
        b |= buttons::left;
    if (state & Button2Mask)
        b |= buttons::middle;
    if (state & Button3Mask)
        b |= buttons::right;
    return b;
}

unsigned buttonBit(unsigned button)
{
    switch (button) {
    case Button1: return buttons::left;
    case Button2: return buttons::middle;
    case Button3: return buttons::right;
    default: return 0;
    }
}

// Position of the lowest set bit of a colour mask and the number of bits.
void maskShape(unsigned long mask, int& shift, int& bits)
{
    shift = 0;
    bits = 0;
    if (mask == 0)
        return;
    while (!(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++bits;
    }
}

} // namespace

std::unique_ptr<PlatformWindow> PlatformWindow::create(Frame& frame, void* parent,
                                                       const WindowOptions& options)
{
    const auto parentId = static_cast<::Window>(reinterpret_cast<std::uintptr_t>(parent));
    if (parentId == 0)
        return nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    catchErrorsOf(display);

    ::Window window = 0;
    {
        ErrorTrap trap(display);
        XWindowAttributes parentAttributes;
        if (!XGetWindowAttributes(display, parentId, &parentAttributes) || trap.failed()) {
            closeConnection(display);
            return nullptr;
        }
        XSetWindowAttributes attributes{};
        attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                EnterWindowMask | LeaveWindowMask | KeyPressMask | StructureNotifyMask;
        attributes.background_pixmap = None; // we paint every pixel ourselves
        window = XCreateWindow(display, parentId, 0, 0, unsigned(frame.size().width()),
                               unsigned(frame.size().height()), 0, CopyFromParent, InputOutput,
                               CopyFromParent, CWEventMask | CWBackPixmap, &attributes);
        // XEmbed: protocol version 0, mapped.
        const Atom xembedInfo = XInternAtom(display, "_XEMBED_INFO", False);
        const long info[2] = {0, 1};
        XChangeProperty(display, window, xembedInfo, xembedInfo, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(info), 2);
        if (trap.failed()) {
            closeConnection(display);
            return nullptr;
        }
    }
    auto created = std::make_unique<X11Window>(frame, display, window, options);
    // The host may have destroyed its window meanwhile.
    if (created->windowGone())
        return nullptr;
    return created;
}

X11Window::X11Window(Frame& frame, Display* display, ::Window window, const WindowOptions& options)
    : frame_(frame), display_(display), window_(window)
{
    ErrorTrap trap(display_);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window_, &attributes)) {
        windowGone_ = true;
        return;
    }
    visual_ = attributes.visual;
    depth_ = attributes.depth;
    gc_ = XCreateGC(display_, window_, 0, nullptr);

    const int width = frame_.size().width();
    const int height = frame_.size().height();
    if (!(options.sharedMemory && createSharedImage(width, height)))
        createPlainImage(width, height);

    XMapWindow(display_, window_);
    frame_.invalidate(frame_.size());
    if (trap.failed())
        windowGone_ = true;
}

X11Window::~X11Window()
{
    // Errors of what follows are expected when the host destroyed its window
    // first: this trap takes them, XCloseDisplay's own wait included.
    ErrorTrap trap(display_);
    // A destruction the host made before closing the editor may still be
    // waiting among the events.
    XEvent event;
    if (!windowGone_ && XCheckTypedWindowEvent(display_, window_, DestroyNotify, &event))
        windowGone_ = true;
    if (tookFocus_ && !windowGone_)
        giveFocusBack();
    if (shm_.shmaddr) {
        {
            std::lock_guard<std::mutex> lock(extensionLock);
            XShmDetach(display_, &shm_);
        }
        XSync(display_, False);
    }
    if (image_) {
        image_->data = nullptr; // ours (vector or shared segment), not Xlib's
        XDestroyImage(image_);
    }
    if (shm_.shmaddr)
        shmdt(shm_.shmaddr);
    if (gc_)
        XFreeGC(display_, gc_);
    if (!windowGone_)
        XDestroyWindow(display_, window_);
    closeConnection(display_);
}

bool X11Window::createSharedImage(int width, int height)
{
    XImage* image = nullptr;
    {
        std::lock_guard<std::mutex> lock(extensionLock);
        int major = 0, minor = 0;
        Bool pixmaps = False;
        if (!XShmQueryVersion(display_, &major, &minor, &pixmaps))
            return false;
        image = XShmCreateImage(display_, visual_, unsigned(depth_), ZPixmap, nullptr, &shm_,
                                unsigned(width), unsigned(height));
    }
    if (!image)
        return false;
    shm_.shmid = shmget(IPC_PRIVATE, std::size_t(image->bytes_per_line) * std::size_t(height),
                        IPC_CREAT | 0600);
    if (shm_.shmid < 0) {
        XDestroyImage(image);
        shm_ = {};
        return false;
    }
    void* address = shmat(shm_.shmid, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(shm_.shmid, IPC_RMID, nullptr);
        XDestroyImage(image);
        shm_ = {};
        return false;
    }
    shm_.shmaddr = image->data = static_cast<char*>(address);
    shm_.readOnly = False;
    bool attached = false;
    {
        // A remote server accepts the request but cannot reach the segment.
        ErrorTrap trap(display_);
        bool sent = false;
        {
            std::lock_guard<std::mutex> lock(extensionLock);
            sent = XShmAttach(display_, &shm_);
        }
        attached = sent && !trap.failed();
    }
    // The segment goes away once both sides have detached.
    shmctl(shm_.shmid, IPC_RMID, nullptr);
    if (!attached) {
        image->data = nullptr;
        XDestroyImage(image);
        shmdt(address);
        shm_ = {};
        return false;
    }
    image_ = image;
    return true;
}

void X11Window::createPlainImage(int width, int height)
{
    image_ = XCreateImage(display_, visual_, unsigned(depth_), ZPixmap, 0, nullptr, unsigned(width),
                          unsigned(height), 32, 0);
    if (!image_)
        return;
    plainPixels_.assign(std::size_t(image_->bytes_per_line) * std::size_t(height), 0);
    image_->data = plainPixels_.data();
}

void* X11Window::nativeHandle() const
{
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window_));
}

void X11Window::idle()
{
    // Errors here are not expected; they are counted (unexpectedErrors()).
    ErrorTrap trap(display_);
    // Motion is coalesced: only the latest position of a run of motion events
    // counts, delivered before the next event of another kind so that presses
    // and releases still see the pointer where it was.
    XEvent pendingMotion;
    bool haveMotion = false;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.xany.window != window_ || windowGone_)
            continue;
        if (event.type == DestroyNotify && event.xdestroywindow.window == window_) {
            // The host destroyed its window, and ours with it. No request
            // names the window from now on; what it showed is lost anyway.
            windowGone_ = true;
            tookFocus_ = false;
            haveMotion = false;
            continue;
        }
        if (event.type == MotionNotify) {
            pendingMotion = event;
            haveMotion = true;
            continue;
        }
        if (haveMotion) {
            dispatch(pendingMotion);
            haveMotion = false;
        }
        dispatch(event);
    }
    if (haveMotion)
        dispatch(pendingMotion);
    if (!windowGone_) {
        if (tookFocus_ && !(frame_.modalView() && frame_.modalView()->wantsKeyboard()))
            giveFocusBack();
        present();
    }
    unexpectedErrors_ += trap.errors();
}

void X11Window::takeFocus(unsigned long time)
{
    ErrorTrap trap(display_);
    if (!tookFocus_) {
        int revert = 0;
        XGetInputFocus(display_, &focusBefore_, &revert);
    }
    XSetInputFocus(display_, window_, RevertToParent, time);
    tookFocus_ = !trap.failed();
}

void X11Window::keyboardForModalView(unsigned long time)
{
    if (View* modal = frame_.modalView(); modal && modal->wantsKeyboard())
        takeFocus(time);
}

void X11Window::giveFocusBack()
{
    tookFocus_ = false;
    ::Window now = 0;
    int revert = 0;
    XGetInputFocus(display_, &now, &revert);
    // Only if the keyboard is still ours: the user may have gone elsewhere.
    if (now != window_ || focusBefore_ == None || focusBefore_ == PointerRoot)
        return;
    ErrorTrap trap(display_);
    XSetInputFocus(display_, focusBefore_, RevertToParent, CurrentTime);
    trap.failed();
}

void X11Window::dispatch(XEvent& event)
{
    switch (event.type) {
    case Expose:
        frame_.invalidate(Rect::fromSize(event.xexpose.x, event.xexpose.y, event.xexpose.width,
                                         event.xexpose.height));
        break;
    case ButtonPress: {
        const XButtonEvent& b = event.xbutton;
        MouseEvent e;
        e.where = {b.x, b.y};
        e.modifiers = modifiersOf(b.state);
        if (b.button == Button4 || b.button == Button5) {
            e.wheel = b.button == Button4 ? 1.0f : -1.0f;
            frame_.mouseWheel(e);
            break;
        }
        e.buttons = buttonBit(b.button);
        if (!e.buttons)
            break;
        if (b.button == Button1) {
            const bool near = std::abs(b.x - lastPressX_) <= kDoubleClickDistance &&
                              std::abs(b.y - lastPressY_) <= kDoubleClickDistance;
            e.doubleClick = near && b.time - lastPressTime_ <= kDoubleClickMs;
            // A double click's second press does not start another one.
            lastPressTime_ = e.doubleClick ? 0 : b.time;
            lastPressX_ = e.doubleClick ? -1000 : b.x;
            lastPressY_ = e.doubleClick ? -1000 : b.y;
        }
        frame_.mouseDown(e);
        // Hosts keep the keyboard; a modal view that takes keys asks for it,
        // whether it was up already or the press opened it (a menu's list).
        keyboardForModalView(b.time);
        break;
    }
    case ButtonRelease: {
        const XButtonEvent& b = event.xbutton;
        if (!buttonBit(b.button))
            break;
        MouseEvent e;
        e.where = {b.x, b.y};
        e.modifiers = modifiersOf(b.state);
        e.buttons = buttonsOf(b.state) & ~buttonBit(b.button);
        frame_.mouseUp(e);
        // A release may open one too (a menu entry that opens a box).
        keyboardForModalView(b.time);
        break;
    }
    case MotionNotify:
    case EnterNotify: {
        MouseEvent e;
        if (event.type == MotionNotify) {
            e.where = {event.xmotion.x, event.xmotion.y};
            e.buttons = buttonsOf(event.xmotion.state);
            e.modifiers = modifiersOf(event.xmotion.state);
        } else {
            e.where = {event.xcrossing.x, event.xcrossing.y};
            e.buttons = buttonsOf(event.xcrossing.state);
            e.modifiers = modifiersOf(event.xcrossing.state);
        }
        frame_.mouseMoved(e);
        break;
    }
    case LeaveNotify:
        if (event.xcrossing.mode == NotifyNormal)
            frame_.mouseLeftWindow();
        break;
    case KeyPress: {
        char text[8] = {};
        KeySym sym = NoSymbol;
        XLookupString(&event.xkey, text, sizeof text - 1, &sym, nullptr);
        KeyEvent k;
        k.modifiers = modifiersOf(event.xkey.state);
        switch (sym) {
        case XK_Up: k.key = Key::up; break;
        case XK_Down: k.key = Key::down; break;
        case XK_Left: k.key = Key::left; break;
        case XK_Right: k.key = Key::right; break;
        case XK_Page_Up: k.key = Key::pageUp; break;
        case XK_Page_Down: k.key = Key::pageDown; break;
        case XK_Home: k.key = Key::home; break;
        case XK_End: k.key = Key::end; break;
        case XK_Return:
        case XK_KP_Enter: k.key = Key::enter; break;
        case XK_Escape: k.key = Key::escape; break;
        default: k.character = static_cast<unsigned char>(text[0]); break;
        }
        if (k.key != Key::character || k.character != 0)
            frame_.keyDown(k);
        break;
    }
    default:
        break;
    }
}

void X11Window::copyToImage(int left, int top, int right, int bottom)
{
    const Image& picture = frame_.image();
    int rShift, rBits, gShift, gBits, bShift, bBits;
    maskShape(image_->red_mask, rShift, rBits);
    maskShape(image_->green_mask, gShift, gBits);
    maskShape(image_->blue_mask, bShift, bBits);
    const bool fast = image_->bits_per_pixel == 32 && rBits == 8 && gBits == 8 && bBits == 8;
    for (int y = top; y < bottom; ++y) {
        const std::uint8_t* p = picture.row(y) + std::size_t(left) * 4;
        if (fast) {
            auto* out = reinterpret_cast<std::uint32_t*>(image_->data + std::size_t(y) * image_->bytes_per_line) + left;
            for (int x = left; x < right; ++x, p += 4)
                *out++ = (std::uint32_t(p[0]) << rShift) | (std::uint32_t(p[1]) << gShift) |
                         (std::uint32_t(p[2]) << bShift);
            continue;
        }
        for (int x = left; x < right; ++x, p += 4) {
            const unsigned long pixel = ((unsigned long)(p[0] >> (8 - rBits)) << rShift) |
                                        ((unsigned long)(p[1] >> (8 - gBits)) << gShift) |
                                        ((unsigned long)(p[2] >> (8 - bBits)) << bShift);
            XPutPixel(image_, x, y, pixel);
        }
    }
}

void X11Window::present()
{
    const std::vector<Rect> drawn = frame_.redrawDirty();
    if (drawn.empty() || !image_)
        return;
    for (const Rect& r : drawn)
        copyToImage(r.left, r.top, r.right, r.bottom);
    if (shm_.shmaddr) {
        std::lock_guard<std::mutex> lock(extensionLock);
        for (const Rect& r : drawn)
            XShmPutImage(display_, window_, gc_, image_, r.left, r.top, r.left, r.top,
                         unsigned(r.width()), unsigned(r.height()), False);
    } else {
        for (const Rect& r : drawn)
            XPutImage(display_, window_, gc_, image_, r.left, r.top, r.left, r.top, unsigned(r.width()),
                      unsigned(r.height()));
    }
    // The server reads the shared image asynchronously: wait until it has, so
    // the next redraw cannot change pixels it is still copying.
    if (shm_.shmaddr)
        XSync(display_, False);
    else
        XFlush(display_);
}

} // namespace gui
