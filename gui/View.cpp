#include "gui/View.h"

#include "gui/Frame.h"
#include "gui/ViewContainer.h"

namespace gui {

View::View(const Rect& size) : size_(size) {}

View::~View() = default;

void View::setSize(const Rect& size)
{
    if (size == size_)
        return;
    invalid();
    size_ = size;
    invalid();
}

void View::setVisible(bool visible)
{
    if (visible == visible_)
        return;
    visible_ = visible;
    // Redraw the place whether the view appears or disappears.
    if (frame_ && parent_)
        frame_->invalidate(frameRect());
}

void View::setTransparent(bool transparent)
{
    transparent_ = transparent;
    invalid();
}

void View::setBackground(const Bitmap& bitmap)
{
    background_ = bitmap;
    invalid();
}

Rect View::frameRect() const
{
    Rect r = size_;
    for (const ViewContainer* c = parent_; c; c = c->parent())
        r = r.offset(c->size().left, c->size().top);
    return r;
}

Point View::fromFrame(Point p) const
{
    for (const ViewContainer* c = parent_; c; c = c->parent())
        p = p.offset(-c->size().left, -c->size().top);
    return p;
}

void View::invalidRect(const Rect& r)
{
    if (!frame_ || !visible_)
        return;
    Rect inFrame = r;
    for (const ViewContainer* c = parent_; c; c = c->parent())
        inFrame = inFrame.offset(c->size().left, c->size().top);
    frame_->invalidate(inFrame);
}

void View::draw(Painter& painter)
{
    if (!background_.isNull())
        painter.drawImage(background_.image(), background_.image().bounds(), size_.topLeft());
}

View* View::viewAt(Point p)
{
    // Views that take no mouse input (displays, meters) never hold the hover,
    // so one laid over a control does not take its enter and leave away.
    return visible_ && mouseEnabled_ && size_.contains(p) ? this : nullptr;
}

bool View::isDescendantOf(const View* ancestor) const
{
    for (const View* v = this; v; v = v->parent_)
        if (v == ancestor)
            return true;
    return false;
}

void View::setAttachment(ViewContainer* parent, Frame* frame)
{
    if (!frame && frame_)
        removing();
    parent_ = parent;
    const bool joining = frame && !frame_;
    frame_ = frame;
    if (joining)
        attached();
}

} // namespace gui
