#include "gui/ViewContainer.h"

#include "gui/Frame.h"

#include <algorithm>

namespace gui {

ViewContainer::ViewContainer(const Rect& size) : View(size) {}

ViewContainer::~ViewContainer()
{
    removeAll();
}

void ViewContainer::removeAll()
{
    // Children go first, while they can still reach the frame to let go of it.
    while (!children_.empty())
        removeView(children_.back().get());
}

void ViewContainer::addView(std::unique_ptr<View> view)
{
    if (!view)
        return;
    View* raw = view.get();
    children_.push_back(std::move(view));
    raw->setAttachment(this, frame());
    raw->invalid();
}

std::unique_ptr<View> ViewContainer::removeView(View* view)
{
    const auto it = std::find_if(children_.begin(), children_.end(),
                                 [&](const std::unique_ptr<View>& c) { return c.get() == view; });
    if (it == children_.end())
        return nullptr;
    view->invalid();
    if (Frame* f = frame())
        f->forgetView(view);
    std::unique_ptr<View> owned = std::move(*it);
    children_.erase(it);
    owned->setAttachment(nullptr, nullptr);
    return owned;
}

bool ViewContainer::contains(const View* view) const
{
    return std::any_of(children_.begin(), children_.end(),
                       [&](const std::unique_ptr<View>& c) { return c.get() == view; });
}

void ViewContainer::setBackgroundColor(Color c)
{
    backgroundColor_ = c;
    invalid();
}

void ViewContainer::setAttachment(ViewContainer* parent, Frame* frame)
{
    View::setAttachment(parent, frame);
    for (auto& c : children_)
        c->setAttachment(this, frame);
}

void ViewContainer::draw(Painter& painter)
{
    drawBackground(painter);
    drawChildren(painter);
}

void ViewContainer::drawBackground(Painter& painter)
{
    if (backgroundColor_.a != 0)
        painter.fillRect(size(), backgroundColor_);
    View::draw(painter);
}

void ViewContainer::drawChildren(Painter& painter)
{
    Painter inside = painter.translated(size().topLeft(), size());
    const Rect clip = inside.clipRect();
    for (auto& c : children_) {
        if (!c->isVisible() || !c->size().intersects(clip))
            continue;
        Painter childPainter = inside.clipped(c->size());
        c->draw(childPainter);
    }
}

MouseEvent ViewContainer::toChildren(const MouseEvent& e) const
{
    MouseEvent inner = e;
    inner.where = e.where.offset(-size().left, -size().top);
    return inner;
}

MouseResult ViewContainer::onMouseDown(const MouseEvent& e)
{
    const MouseEvent inner = toChildren(e);
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        View* c = it->get();
        if (!c->isVisible() || !c->mouseEnabled() || !c->size().contains(inner.where))
            continue;
        const MouseResult r = c->onMouseDown(inner);
        if (r == MouseResult::ignored)
            continue;
        // The deepest view that takes a press gets the moves and the release.
        if (r == MouseResult::handled)
            if (Frame* f = frame())
                f->offerCapture(c);
        return r;
    }
    return MouseResult::ignored;
}

bool ViewContainer::onWheel(const MouseEvent& e)
{
    const MouseEvent inner = toChildren(e);
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        View* c = it->get();
        if (c->isVisible() && c->mouseEnabled() && c->size().contains(inner.where) && c->onWheel(inner))
            return true;
    }
    return false;
}

View* ViewContainer::viewAt(Point p)
{
    if (!isVisible() || !size().contains(p))
        return nullptr;
    const Point inner = p.offset(-size().left, -size().top);
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        if (View* hit = (*it)->viewAt(inner))
            return hit;
    return this;
}

} // namespace gui
