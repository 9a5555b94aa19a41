#include "gui/MessageBoxView.h"

#include "gui/DialogPalette.h"
#include "gui/Font.h"

#include <algorithm>

namespace gui {

namespace {
constexpr int kMaxBoxWidth = 380;  // wider messages wrap
constexpr int kAreaMargin = 20;    // kept free between the box and the area's edge
} // namespace

std::vector<std::string> MessageBoxView::wrap(std::string_view text, int width)
{
    const Font font = Font::normal();
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view paragraph = text.substr(start, end - start);
        std::string line;
        std::size_t i = 0;
        while (i < paragraph.size()) {
            // The next word and the spaces before it.
            std::size_t wordStart = paragraph.find_first_not_of(' ', i);
            if (wordStart == std::string_view::npos)
                break;
            std::size_t wordEnd = std::min(paragraph.find(' ', wordStart), paragraph.size());
            std::string word(paragraph.substr(wordStart, wordEnd - wordStart));
            const std::string joined = line.empty() ? word : line + " " + word;
            if (font.textWidth(joined) <= width) {
                line = joined;
            } else {
                if (!line.empty())
                    lines.push_back(std::move(line));
                line.clear();
                // A word wider than the line is cut where it must be.
                while (font.textWidth(word) > width && word.size() > 1) {
                    std::size_t fit = 1;
                    while (fit < word.size() && font.textWidth(std::string_view(word).substr(0, fit + 1)) <= width)
                        ++fit;
                    lines.push_back(word.substr(0, fit));
                    word.erase(0, fit);
                }
                line = word;
            }
            i = wordEnd;
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

MessageBoxView::MessageBoxView(const Rect& area, std::string text, std::vector<std::string> buttons,
                               Answered answered)
    : View(area), text_(std::move(text)), buttons_(std::move(buttons)), answered_(std::move(answered))
{
    if (buttons_.empty())
        buttons_.push_back("OK");
    const Font font = Font::normal();
    int buttonsWidth = 0;
    for (const std::string& label : buttons_) {
        buttonWidths_.push_back(std::max(kMinButtonWidth, font.textWidth(label) + 24));
        buttonsWidth += buttonWidths_.back() + (buttonsWidth ? kButtonGap : 0);
    }
    const int boxWidth = std::clamp(std::max(kMaxBoxWidth, buttonsWidth + 2 * kPadding), 0,
                                    std::max(area.width() - 2 * kAreaMargin, 0));
    lines_ = wrap(text_, boxWidth - 2 * kPadding);
    // Lines that cannot fit the area are left out rather than drawn over the buttons.
    const int maxLines = std::max(1, (area.height() - 2 * kAreaMargin - 3 * kPadding - kButtonHeight) /
                                         font.lineHeight());
    if (int(lines_.size()) > maxLines) {
        lines_.resize(std::size_t(maxLines));
        lines_.back() += "...";
    }
    const int boxHeight = 3 * kPadding + int(lines_.size()) * font.lineHeight() + kButtonHeight;
    box_ = Rect::fromSize(area.left + (area.width() - boxWidth) / 2, area.top + (area.height() - boxHeight) / 2,
                          boxWidth, boxHeight);
}

Rect MessageBoxView::buttonRect(int index) const
{
    if (index < 0 || index >= buttonCount())
        return {};
    // Right-aligned row at the bottom of the box.
    int right = box_.right - kPadding;
    for (int i = buttonCount() - 1; i > index; --i)
        right -= buttonWidths_[std::size_t(i)] + kButtonGap;
    const int width = buttonWidths_[std::size_t(index)];
    return {right - width, box_.bottom - kPadding - kButtonHeight, right, box_.bottom - kPadding};
}

int MessageBoxView::buttonAt(Point p) const
{
    for (int i = 0; i < buttonCount(); ++i)
        if (buttonRect(i).contains(p))
            return i;
    return -1;
}

void MessageBoxView::draw(Painter& painter)
{
    namespace palette = dialogPalette;
    painter.fillRect(size(), palette::shade);
    painter.fillRect(box_, palette::panel);
    painter.frameRect(box_, palette::border);
    const Font font = Font::normal();
    int y = box_.top + kPadding;
    for (const std::string& line : lines_) {
        painter.drawText(font, line, {box_.left + kPadding, y, box_.right - kPadding, y + font.lineHeight()},
                         Alignment::left, palette::text);
        y += font.lineHeight();
    }
    for (int i = 0; i < buttonCount(); ++i)
        palette::drawButton(painter, buttonRect(i), buttons_[std::size_t(i)], i == focused_, i == held_);
}

MouseResult MessageBoxView::onMouseDown(const MouseEvent& e)
{
    // Every press inside the area is the box's: nothing below may take it.
    if (!e.leftButton())
        return MouseResult::handledNoCapture;
    held_ = buttonAt(e.where);
    if (held_ < 0)
        return MouseResult::handledNoCapture;
    focused_ = held_;
    invalid();
    return MouseResult::handled;
}

void MessageBoxView::onMouseUp(const MouseEvent& e)
{
    const int held = held_;
    held_ = -1;
    invalid();
    if (held >= 0 && buttonAt(e.where) == held)
        answer(held);
}

void MessageBoxView::onMouseCancelled()
{
    held_ = -1;
    invalid();
}

bool MessageBoxView::onKeyDown(const KeyEvent& e)
{
    switch (e.key) {
    case Key::enter: answer(focused_); return true;
    case Key::escape: answer(buttonCount() - 1); return true;
    case Key::left:
    case Key::right:
        focused_ = std::clamp(focused_ + (e.key == Key::left ? -1 : 1), 0, buttonCount() - 1);
        invalid();
        return true;
    case Key::character:
        if (e.character == ' ') {
            answer(focused_);
            return true;
        }
        if (e.character == '\t') {
            focused_ = (focused_ + 1) % buttonCount();
            invalid();
            return true;
        }
        return true; // the box keeps the keyboard while it is up
    default: return true;
    }
}

void MessageBoxView::answer(int button)
{
    Answered answered = std::move(answered_);
    answered_ = nullptr;
    if (answered)
        answered(button); // may destroy this box
}

} // namespace gui
