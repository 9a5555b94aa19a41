#pragma once

#include "gui/View.h"

#include <functional>
#include <string>
#include <vector>

namespace gui {

// A message inside the window: the text wrapped into a box in the middle of
// `area` (frame coordinates), a row of buttons under it, and the rest of the
// area shaded. Shown as the frame's modal overlay it covers `area`, so
// nothing below takes clicks while it is up.
//
// A click on a button, Enter (the focused button, the first at the start) or
// Escape (the last button: "OK" alone, "No" of "Yes"/"No") answers with the
// button's index. The answer goes to `answered` once; the box may be
// destroyed from inside that call, so nothing of the box runs after it.
class MessageBoxView : public View {
public:
    using Answered = std::function<void(int button)>;

    static constexpr int kPadding = 14;       // inside the box, around the text and buttons
    static constexpr int kButtonHeight = 24;  // button size
    static constexpr int kMinButtonWidth = 72;
    static constexpr int kButtonGap = 10;     // between buttons

    MessageBoxView(const Rect& area, std::string text, std::vector<std::string> buttons, Answered answered);

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CMessageBox" || View::isTypeOf(name);
    }

    const std::string& text() const { return text_; }
    const std::vector<std::string>& lines() const { return lines_; } // after wrapping
    const Rect& box() const { return box_; }
    int buttonCount() const { return int(buttons_.size()); }
    const std::string& buttonLabel(int index) const { return buttons_[std::size_t(index)]; }
    Rect buttonRect(int index) const; // frame coordinates
    int focusedButton() const { return focused_; }

    void draw(Painter& painter) override;
    MouseResult onMouseDown(const MouseEvent& e) override;
    void onMouseUp(const MouseEvent& e) override;
    void onMouseCancelled() override;
    bool onKeyDown(const KeyEvent& e) override;
    bool wantsKeyboard() const override { return true; }

    // Breaks text into lines no wider than `width` pixels: at line breaks,
    // between words, and inside a word too long for a line.
    static std::vector<std::string> wrap(std::string_view text, int width);

private:
    int buttonAt(Point p) const;
    void answer(int button); // last call of any handler

    std::string text_;                 // the message as given
    std::vector<std::string> lines_;   // the message wrapped to the box
    std::vector<std::string> buttons_; // labels, left to right
    std::vector<int> buttonWidths_;    // pixels, per button
    Answered answered_;                // told once, then empty
    Rect box_;                         // the drawn box, frame coordinates
    int focused_ = 0;                  // button Enter presses
    int held_ = -1;                    // button pressed by the mouse, until release
};

} // namespace gui
