#pragma once

#include "gui/DirtyRegion.h"
#include "gui/Image.h"
#include "gui/ModalOwner.h"
#include "gui/PlatformWindow.h"
#include "gui/ViewContainer.h"

#include <memory>
#include <vector>

namespace gui {

// The root of a view tree and the window's picture. The frame keeps the
// picture (an Image of its size), remembers which parts need drawing,
// redraws them on request, and routes mouse and key events: the view that
// takes a press gets the moves and the release (capture), the view under the
// pointer is told when the pointer enters and leaves it, and while a modal
// overlay is up it gets every event.
//
// Headless use (tests): build views, feed events through mouseDown() and
// friends, call redrawDirty() and look at image(). Real use: open() puts the
// frame into the host's window and idle() pumps it.
//
// Threads: user-interface thread only.
class Frame : public ViewContainer {
public:
    Frame(int width, int height);
    ~Frame() override;

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CFrame" || ViewContainer::isTypeOf(name);
    }

    // --- The system window ---------------------------------------------------
    // Opens a child window of the host's window at the frame's size. False
    // when it cannot be made.
    bool open(void* parentWindow, const WindowOptions& options = {});
    void close();
    bool isOpen() const { return window_ != nullptr; }
    // The system handle of the open window (owner for dialogs), else null.
    void* systemWindow() const;
    PlatformWindow* platformWindow() const { return window_.get(); }
    // Pumps system events and draws what changed (call from the host's idle).
    void idle();

    // --- Drawing -------------------------------------------------------------
    const Image& image() const { return image_; }
    void invalidate(const Rect& r); // frame coordinates
    const DirtyRegion& dirtyRegion() const { return dirty_; }
    // Draws every dirty part into image() and returns the rectangles drawn.
    std::vector<Rect> redrawDirty();
    // Draws everything now.
    void redrawAll();

    // --- Events (frame coordinates) ----------------------------------------
    void mouseDown(const MouseEvent& e);
    void mouseMoved(const MouseEvent& e);
    void mouseUp(const MouseEvent& e);
    void mouseWheel(const MouseEvent& e);
    void mouseLeftWindow();
    bool keyDown(const KeyEvent& e);
    // Ends a press in progress without a release (see View::onMouseCancelled).
    void cancelPress();

    View* mouseCapture() const { return capture_; }
    View* hoveredView() const { return hovered_; }

    // --- Modal overlay -------------------------------------------------------
    // Shows `view` (rectangle in frame coordinates, not owned) over everything
    // and gives it every event until it is taken down. Replaces any other.
    void setModalView(View* view, ModalOwner* owner);
    void clearModalView();
    View* modalView() const { return modal_; }

    // Called by containers: a view is leaving the tree.
    void forgetView(View* view);
    // Called by containers: `view` took a press and wants its moves.
    void offerCapture(View* view);

private:
    void updateHover(const MouseEvent& e);
    MouseEvent forView(const MouseEvent& e, const View* v) const;
    void drawArea(const Rect& r);

    Image image_;                            // the picture, frame size
    DirtyRegion dirty_;                      // parts of image_ out of date
    std::unique_ptr<PlatformWindow> window_; // system window while open
    View* capture_ = nullptr;                // view taking moves until the release
    bool pressActive_ = false;               // a press is in progress (captured or not)
    View* hovered_ = nullptr;                // deepest view under the pointer
    View* focus_ = nullptr;                  // last view that took a press (gets keys)
    View* modal_ = nullptr;                  // modal overlay, not owned
    ModalOwner* modalOwner_ = nullptr;       // told about clicks past the overlay
};

} // namespace gui
