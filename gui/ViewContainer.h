#pragma once

#include "gui/Color.h"
#include "gui/View.h"

#include <memory>
#include <vector>

namespace gui {

// A view that holds other views, drawn in the order they were added (the
// last one on top). Children's rectangles are relative to the container's
// top-left corner. The container owns its children; removeView() hands one
// back to the caller, who may add it again later (or elsewhere).
class ViewContainer : public View {
public:
    explicit ViewContainer(const Rect& size);
    ~ViewContainer() override;

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CViewContainer" || View::isTypeOf(name);
    }

    // Adds a view on top and returns it. Redraws its place when attached.
    template <class T> T* add(std::unique_ptr<T> view)
    {
        T* raw = view.get();
        addView(std::move(view));
        return raw;
    }
    void addView(std::unique_ptr<View> view);
    // Takes a child out and gives it back; null if it is not a child.
    std::unique_ptr<View> removeView(View* view);
    bool contains(const View* view) const;
    // Removes and destroys every child.
    void removeAll();
    int childCount() const { return int(children_.size()); }
    View* child(int index) const { return children_[std::size_t(index)].get(); }

    // Fills the container before its background bitmap and children; a
    // transparent colour (the default) leaves what is below.
    void setBackgroundColor(Color c);

    void draw(Painter& painter) override;
    // Passes the press to the topmost child under the point that takes it.
    MouseResult onMouseDown(const MouseEvent& e) override;
    bool onWheel(const MouseEvent& e) override;
    View* viewAt(Point p) override;

protected:
    void drawBackground(Painter& painter);
    void drawChildren(Painter& painter);
    // The event translated to the children's coordinates.
    MouseEvent toChildren(const MouseEvent& e) const;

private:
    void setAttachment(ViewContainer* parent, Frame* frame) override;

    std::vector<std::unique_ptr<View>> children_; // bottom to top
    Color backgroundColor_ = colors::transparent; // filled under the background bitmap
};

} // namespace gui
