#pragma once

#include "gui/Bitmap.h"
#include "gui/KeyEvent.h"
#include "gui/MouseEvent.h"
#include "gui/Painter.h"
#include "gui/Rect.h"

#include <string_view>

namespace gui {

class Frame;
class ViewContainer;

// The base of everything on screen: a rectangle in the coordinates of the
// container that holds it, drawing and mouse handling. Views live on the
// user-interface thread only.
//
// Type query: isTypeOf(name) answers true for the view's own class name and
// the names of its ancestors, in the classic toolkit spelling ("CView",
// "CControl", "CAnimKnob"...). A derived class that names itself overrides it
// and falls back to its base.
class View {
public:
    explicit View(const Rect& size);
    View(const View&) = delete;
    View& operator=(const View&) = delete;
    virtual ~View();

    virtual bool isTypeOf(std::string_view name) const { return name == "CView"; }

    const Rect& size() const { return size_; }
    void setSize(const Rect& size); // redraws the old and the new place
    ViewContainer* parent() const { return parent_; }
    Frame* frame() const { return frame_; }
    bool isAttached() const { return frame_ != nullptr; }

    bool isVisible() const { return visible_; }
    void setVisible(bool visible);
    bool mouseEnabled() const { return mouseEnabled_; }
    void setMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }
    // A transparent view leaves its background unfilled (text labels, menus,
    // displays). Bitmaps are always composited through their own alpha.
    bool isTransparent() const { return transparent_; }
    void setTransparent(bool transparent);

    const Bitmap& background() const { return background_; }
    void setBackground(const Bitmap& bitmap);

    // The rectangle in frame coordinates (its own rectangle when detached).
    Rect frameRect() const;
    // Converts a frame point into the coordinates of this view's container.
    Point fromFrame(Point p) const;

    // Asks for the whole view, or a part of it (container coordinates), to be
    // drawn on the next redraw. Does nothing while detached.
    void invalid() { invalidRect(size_); }
    void invalidRect(const Rect& r);

    // Draws the view; the painter's coordinates are those of its container.
    virtual void draw(Painter& painter);

    // Mouse and keys. Points are in container coordinates.
    virtual MouseResult onMouseDown(const MouseEvent&) { return MouseResult::ignored; }
    virtual void onMouseMoved(const MouseEvent&) {}
    virtual void onMouseUp(const MouseEvent&) {}
    // The press this view took ends without a release: the window closed or
    // the system took the mouse away. The view ends its gesture where it is.
    virtual void onMouseCancelled() {}
    virtual void onMouseEntered(const MouseEvent&) {}
    virtual void onMouseExited(const MouseEvent&) {}
    virtual bool onWheel(const MouseEvent&) { return false; }
    virtual bool onKeyDown(const KeyEvent&) { return false; }
    // A modal overlay that wants typed keys (a name field) answers true: the
    // system window then takes the keyboard focus when it is clicked.
    virtual bool wantsKeyboard() const { return false; }

    // The deepest visible view that takes the mouse at a point of container
    // coordinates (a container counts as taking it), or null.
    virtual View* viewAt(Point p);
    // True when `ancestor` is this view or holds it, directly or not.
    bool isDescendantOf(const View* ancestor) const;

protected:
    // Called after the view joined a frame / before it leaves it.
    virtual void attached() {}
    virtual void removing() {}

private:
    friend class ViewContainer;
    friend class Frame;
    // Joins or leaves a frame (recursively in containers).
    virtual void setAttachment(ViewContainer* parent, Frame* frame);

    Rect size_;                       // rectangle in container coordinates
    ViewContainer* parent_ = nullptr; // holding container while attached, else null
    Frame* frame_ = nullptr;          // frame while attached, else null
    Bitmap background_;               // drawn at the top-left corner; may be null
    bool visible_ = true;             // drawn and hit at all
    bool mouseEnabled_ = true;        // takes mouse presses
    bool transparent_ = false;        // no background fill
};

} // namespace gui
