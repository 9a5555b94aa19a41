#pragma once

#include "gui/MenuListStyle.h"
#include "gui/ModalOwner.h"
#include "gui/ParamDisplay.h"

#include <memory>
#include <string>
#include <vector>

namespace gui {

class OptionMenuPopup;

// A menu of text entries. Closed, it shows the selected entry's text, or,
// when given button bitmaps, the "normal" picture (and the "pressed" one
// while its list is open). A click opens the list as the frame's modal
// overlay (OptionMenuPopup); picking an entry there makes it current and
// reports it, even when it was current already (menus of commands rely on
// that). An entry "-" is a separator line that cannot be picked. The list
// has a style of its own (MenuListStyle), whatever the closed menu looks like.
//
// The value is index / (entries − 1); currentIndex() gives the index itself.
class OptionMenu : public ParamDisplay, private ModalOwner {
public:
    static constexpr const char* kSeparator = "-";

    OptionMenu(const Rect& size, ControlListener* listener, int tag, const Bitmap& background = {});
    ~OptionMenu() override;

    bool isTypeOf(std::string_view name) const override
    {
        return name == "COptionMenu" || ParamDisplay::isTypeOf(name);
    }

    void addEntry(std::string text);
    void removeAllEntries();
    int entryCount() const { return int(entries_.size()); }
    const std::string& entry(int index) const { return entries_[std::size_t(index)]; }
    static bool isSeparator(const std::string& text) { return text == kSeparator; }

    int currentIndex() const { return current_; }
    // Selects an entry without reporting it (-1: none).
    void setCurrent(int index);
    void setValue(float value) override;

    // Draws the menu as a button: `normal` while closed, `pressed` while open.
    void setButtonBitmaps(const Bitmap& normal, const Bitmap& pressed);

    // The list.
    void setListStyle(const MenuListStyle& style) { listStyle_ = style; }
    const MenuListStyle& listStyle() const { return listStyle_; }
    bool isOpen() const { return popup_ != nullptr; }
    void openPopup();
    void closePopup();
    // Called by the popup when the user picked an entry.
    void choose(int index);

    std::string text() const override;
    void draw(Painter& painter) override;
    MouseResult onMouseDown(const MouseEvent& e) override;

protected:
    void removing() override;

private:
    void modalClickOutside() override { closePopup(); }

    std::vector<std::string> entries_;       // texts, "-" for separators
    int current_ = -1;                       // selected entry, -1 none
    Bitmap normal_;                          // button picture, closed
    Bitmap pressed_;                         // button picture, open
    MenuListStyle listStyle_;                // how the open list looks
    std::unique_ptr<OptionMenuPopup> popup_; // the open list, else null
};

} // namespace gui
