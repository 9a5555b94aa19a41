#include "gui/Frame.h"

namespace gui {

Frame::Frame(int width, int height) : ViewContainer({0, 0, width, height}), image_(width, height)
{
    View::setAttachment(nullptr, this);
    invalidate(size());
}

Frame::~Frame()
{
    close();
    clearModalView();
    removeAll();
}

// --- The system window -----------------------------------------------------------

bool Frame::open(void* parentWindow, const WindowOptions& options)
{
    if (window_)
        return true;
    window_ = PlatformWindow::create(*this, parentWindow, options);
    invalidate(size());
    return window_ != nullptr;
}

void Frame::close()
{
    // A drag cut short by closing still ends its edit.
    cancelPress();
    window_.reset();
    hovered_ = nullptr;
}

void Frame::cancelPress()
{
    View* target = capture_;
    capture_ = nullptr;
    pressActive_ = false;
    if (target)
        target->onMouseCancelled();
}

void* Frame::systemWindow() const
{
    return window_ ? window_->nativeHandle() : nullptr;
}

void Frame::idle()
{
    if (window_)
        window_->idle();
}

// --- Drawing -------------------------------------------------------------------------

void Frame::invalidate(const Rect& r)
{
    dirty_.add(r.intersection(size()));
}

std::vector<Rect> Frame::redrawDirty()
{
    std::vector<Rect> drawn = dirty_.rects();
    dirty_.clear();
    for (const Rect& r : drawn)
        drawArea(r);
    return drawn;
}

void Frame::redrawAll()
{
    dirty_.clear();
    drawArea(size());
}

void Frame::drawArea(const Rect& r)
{
    Painter painter = Painter(image_).clipped(r);
    // Start from black so that nothing of an earlier picture shows through.
    painter.fillRect(r, colors::black);
    draw(painter);
    if (modal_ && modal_->isVisible() && modal_->size().intersects(r)) {
        Painter overlay = painter.clipped(modal_->size());
        modal_->draw(overlay);
    }
}

// --- Events ----------------------------------------------------------------------------

MouseEvent Frame::forView(const MouseEvent& e, const View* v) const
{
    MouseEvent local = e;
    local.where = v->fromFrame(e.where);
    return local;
}

void Frame::mouseDown(const MouseEvent& e)
{
    // A second button pressed during a drag does not start another press.
    if (pressActive_)
        return;
    updateHover(e);
    capture_ = nullptr;
    pressActive_ = true;
    MouseResult result = MouseResult::ignored;
    if (modal_) {
        View* modal = modal_;
        if (modal->size().contains(e.where)) {
            result = modal->onMouseDown(e);
            if (result == MouseResult::handled && !capture_ && modal_ == modal)
                capture_ = modal;
        }
        if (result == MouseResult::ignored && modal_ == modal && modalOwner_)
            modalOwner_->modalClickOutside();
    } else {
        result = ViewContainer::onMouseDown(e);
    }
    if (result != MouseResult::handled)
        pressActive_ = false;
    if (capture_)
        focus_ = capture_;
}

void Frame::offerCapture(View* view)
{
    if (!capture_)
        capture_ = view;
}

void Frame::mouseMoved(const MouseEvent& e)
{
    if (capture_) {
        capture_->onMouseMoved(forView(e, capture_));
        return;
    }
    if (pressActive_)
        return;
    updateHover(e);
    // An overlay follows the pointer (a menu highlights the entry under it).
    if (modal_)
        modal_->onMouseMoved(e);
}

void Frame::mouseUp(const MouseEvent& e)
{
    View* target = capture_;
    capture_ = nullptr;
    pressActive_ = false;
    if (target)
        target->onMouseUp(forView(e, target));
    updateHover(e);
}

void Frame::mouseWheel(const MouseEvent& e)
{
    if (modal_) {
        if (modal_->size().contains(e.where))
            modal_->onWheel(e);
        return;
    }
    ViewContainer::onWheel(e);
}

void Frame::mouseLeftWindow()
{
    if (hovered_ && !capture_) {
        View* left = hovered_;
        hovered_ = nullptr;
        left->onMouseExited({});
    }
}

bool Frame::keyDown(const KeyEvent& e)
{
    if (modal_)
        return modal_->onKeyDown(e);
    return focus_ && focus_->onKeyDown(e);
}

void Frame::updateHover(const MouseEvent& e)
{
    View* now = nullptr;
    if (modal_)
        now = modal_->viewAt(e.where);
    else if (View* hit = viewAt(e.where); hit != this)
        now = hit;
    if (now == hovered_)
        return;
    View* before = hovered_;
    hovered_ = now;
    if (before)
        before->onMouseExited(forView(e, before));
    // The exit handler may have changed the tree (a view removed itself).
    if (hovered_ == now && now)
        now->onMouseEntered(forView(e, now));
}

// --- Modal overlay ----------------------------------------------------------------------

void Frame::setModalView(View* view, ModalOwner* owner)
{
    clearModalView();
    if (!view)
        return;
    modal_ = view;
    modalOwner_ = owner;
    view->setAttachment(nullptr, this);
    hovered_ = nullptr;
    view->invalid();
}

void Frame::clearModalView()
{
    if (!modal_)
        return;
    View* old = modal_;
    old->invalid();
    forgetView(old);
    modal_ = nullptr;
    modalOwner_ = nullptr;
    old->setAttachment(nullptr, nullptr);
}

void Frame::forgetView(View* view)
{
    if (capture_ && capture_->isDescendantOf(view))
        capture_ = nullptr;
    if (hovered_ && hovered_->isDescendantOf(view))
        hovered_ = nullptr;
    if (focus_ && focus_->isDescendantOf(view))
        focus_ = nullptr;
    if (modal_ && modal_ != view && modal_->isDescendantOf(view))
        clearModalView();
}

} // namespace gui
