#pragma once

#include "gui/MenuListStyle.h"
#include "gui/View.h"

namespace gui {

class OptionMenu;

// The open list of an OptionMenu, shown as the frame's modal overlay. It
// opens below the menu, or above when there is no room below, and always
// inside the frame; a list taller than the frame scrolls: arrow rows at its
// top and bottom, the wheel, and the keys, which keep the highlighted entry
// in view. Keys: up and down (skipping separators), page up and down, home,
// end, Enter picks the highlighted entry, Escape closes without a choice. A
// click on an entry picks it; a click outside closes the list. While it is
// up, the system window takes the keyboard focus (hosts usually keep it), so
// the keys reach the list; the window hands the focus back when it closes.
// Its look is the menu's listStyle().
class OptionMenuPopup : public View {
public:
    static constexpr int kRowPadding = 4;  // pixels above and below a row's text
    static constexpr int kTextPadding = 6; // pixels left and right of the text
    static constexpr int kBorder = 1;      // outline width

    OptionMenuPopup(OptionMenu& menu, const Rect& frameBounds);

    bool isTypeOf(std::string_view name) const override
    {
        return name == "COptionMenuPopup" || View::isTypeOf(name);
    }

    int rowHeight() const { return rowHeight_; }
    int visibleRows() const { return visibleRows_; }
    int firstVisible() const { return first_; }
    int highlighted() const { return highlighted_; }
    bool scrolls() const { return scrolls_; }
    // Entry under a frame point, -1 for none (arrow rows, border, outside).
    int entryAt(Point p) const;
    // Rectangle of entry `index` if it is in view (frame coordinates).
    Rect entryRect(int index) const;

    void scrollBy(int rows);

    void draw(Painter& painter) override;
    MouseResult onMouseDown(const MouseEvent& e) override;
    void onMouseMoved(const MouseEvent& e) override;
    void onMouseUp(const MouseEvent& e) override;
    void onMouseCancelled() override { pressedEntry_ = -1; }
    bool onWheel(const MouseEvent& e) override;
    bool onKeyDown(const KeyEvent& e) override;
    bool wantsKeyboard() const override { return true; }

private:
    int entryCount() const;
    bool selectable(int index) const;
    void highlight(int index); // also scrolls it into view
    int step(int from, int direction) const; // next selectable entry, or from
    Rect listArea() const;     // rows of entries, between the arrow rows

    OptionMenu& menu_;        // the menu that opened the list
    MenuListStyle style_;     // font and colours
    int rowHeight_ = 0;       // pixels per entry
    int visibleRows_ = 0;     // entries in view at once
    int first_ = 0;           // first entry in view
    int highlighted_ = -1;    // entry under the pointer or chosen by keys
    bool scrolls_ = false;    // more entries than fit
    int pressedEntry_ = -1;   // entry pressed, picked on release over it
};

} // namespace gui
