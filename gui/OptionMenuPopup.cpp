#include "gui/OptionMenuPopup.h"

#include "gui/Font.h"
#include "gui/OptionMenu.h"

#include <algorithm>

namespace gui {

OptionMenuPopup::OptionMenuPopup(OptionMenu& menu, const Rect& frameBounds)
    : View({}), menu_(menu), style_(menu.listStyle())
{
    const Font font(*style_.font);
    rowHeight_ = font.lineHeight() + 2 * kRowPadding;

    int width = menu.size().width();
    for (int i = 0; i < menu.entryCount(); ++i)
        width = std::max(width, font.textWidth(menu.entry(i)) + 2 * kTextPadding + 2 * kBorder);
    width = std::min(width, frameBounds.width());

    // All rows if they fit in the frame; otherwise as many as fit between two arrow rows.
    const int count = entryCount();
    const int fitRows = (frameBounds.height() - 2 * kBorder) / rowHeight_;
    scrolls_ = count > fitRows;
    visibleRows_ = scrolls_ ? std::max(fitRows - 2, 1) : count;
    const int height = (visibleRows_ + (scrolls_ ? 2 : 0)) * rowHeight_ + 2 * kBorder;

    // Below the menu if there is room, else above, else as low as fits.
    const Rect anchor = menu.frameRect();
    int top = anchor.bottom;
    if (top + height > frameBounds.bottom)
        top = anchor.top - height >= frameBounds.top ? anchor.top - height : frameBounds.bottom - height;
    top = std::max(top, frameBounds.top);
    const int left = std::clamp(anchor.left, frameBounds.left, frameBounds.right - width);
    setSize(Rect::fromSize(left, top, width, height));

    highlight(menu.currentIndex() >= 0 ? menu.currentIndex() : step(-1, +1));
}

int OptionMenuPopup::entryCount() const
{
    return menu_.entryCount();
}

bool OptionMenuPopup::selectable(int index) const
{
    return index >= 0 && index < entryCount() && !OptionMenu::isSeparator(menu_.entry(index));
}

int OptionMenuPopup::step(int from, int direction) const
{
    for (int i = from + direction; i >= 0 && i < entryCount(); i += direction)
        if (selectable(i))
            return i;
    return from;
}

Rect OptionMenuPopup::listArea() const
{
    const int arrows = scrolls_ ? rowHeight_ : 0;
    return {size().left + kBorder, size().top + kBorder + arrows, size().right - kBorder,
            size().top + kBorder + arrows + visibleRows_ * rowHeight_};
}

Rect OptionMenuPopup::entryRect(int index) const
{
    if (index < first_ || index >= first_ + visibleRows_ || index >= entryCount())
        return {};
    const Rect list = listArea();
    const int top = list.top + (index - first_) * rowHeight_;
    return {list.left, top, list.right, top + rowHeight_};
}

int OptionMenuPopup::entryAt(Point p) const
{
    const Rect list = listArea();
    if (!list.contains(p))
        return -1;
    const int index = first_ + (p.y - list.top) / rowHeight_;
    return index < entryCount() ? index : -1;
}

void OptionMenuPopup::scrollBy(int rows)
{
    const int first = std::clamp(first_ + rows, 0, std::max(entryCount() - visibleRows_, 0));
    if (first != first_) {
        first_ = first;
        invalid();
    }
}

void OptionMenuPopup::highlight(int index)
{
    if (index != highlighted_) {
        highlighted_ = index;
        invalid();
    }
    if (index < 0)
        return;
    if (index < first_)
        scrollBy(index - first_);
    else if (index >= first_ + visibleRows_)
        scrollBy(index - (first_ + visibleRows_ - 1));
}

void OptionMenuPopup::draw(Painter& painter)
{
    const Font font(*style_.font);
    painter.fillRect(size(), style_.background);
    painter.frameRect(size(), style_.border);

    for (int i = first_; i < std::min(first_ + visibleRows_, entryCount()); ++i) {
        const Rect row = entryRect(i);
        const std::string& text = menu_.entry(i);
        if (OptionMenu::isSeparator(text)) {
            const int y = row.top + row.height() / 2;
            painter.fillRect({row.left + kTextPadding, y, row.right - kTextPadding, y + 1}, style_.separator);
            continue;
        }
        const bool lit = i == highlighted_;
        const Color ink = lit ? style_.highlightText : style_.text;
        if (lit)
            painter.fillRect(row, style_.highlight);
        if (i == menu_.currentIndex()) // a bar beside the current entry
            painter.fillRect({row.left + 1, row.top + 3, row.left + 3, row.bottom - 3}, ink);
        painter.drawText(font, text, {row.left + kTextPadding, row.top, row.right - kTextPadding, row.bottom},
                         Alignment::left, ink);
    }

    if (!scrolls_)
        return;
    // Arrow rows: a small triangle, dimmed when there is nothing more that way.
    const Rect list = listArea();
    const auto triangle = [&](int rowTop, bool up, bool active) {
        const Color c = active ? style_.text : style_.separator;
        const int cx = size().left + size().width() / 2;
        const int cy = rowTop + rowHeight_ / 2;
        for (int k = 0; k < 4; ++k) {
            const int y = up ? cy - 2 + k : cy + 1 - k;
            painter.fillRect({cx - k, y, cx + k + 1, y + 1}, c);
        }
    };
    triangle(list.top - rowHeight_, true, first_ > 0);
    triangle(list.bottom, false, first_ + visibleRows_ < entryCount());
}

MouseResult OptionMenuPopup::onMouseDown(const MouseEvent& e)
{
    if (!e.leftButton())
        return MouseResult::handledNoCapture;
    const Rect list = listArea();
    if (scrolls_ && e.where.y < list.top) {
        scrollBy(-1);
        return MouseResult::handledNoCapture;
    }
    if (scrolls_ && e.where.y >= list.bottom) {
        scrollBy(+1);
        return MouseResult::handledNoCapture;
    }
    pressedEntry_ = entryAt(e.where);
    if (selectable(pressedEntry_))
        highlight(pressedEntry_);
    return MouseResult::handled;
}

void OptionMenuPopup::onMouseMoved(const MouseEvent& e)
{
    const int index = entryAt(e.where);
    if (selectable(index))
        highlight(index);
}

void OptionMenuPopup::onMouseUp(const MouseEvent& e)
{
    const int index = entryAt(e.where);
    const int pressed = pressedEntry_;
    pressedEntry_ = -1;
    if (index == pressed && selectable(index))
        menu_.choose(index); // closes and destroys this popup: nothing may follow
}

bool OptionMenuPopup::onWheel(const MouseEvent& e)
{
    scrollBy(e.wheel > 0 ? -1 : e.wheel < 0 ? 1 : 0);
    return true;
}

bool OptionMenuPopup::onKeyDown(const KeyEvent& e)
{
    switch (e.key) {
    case Key::up: highlight(step(highlighted_, -1)); return true;
    case Key::down: highlight(step(highlighted_, +1)); return true;
    case Key::pageUp: {
        int target = highlighted_;
        for (int k = 0; k < visibleRows_; ++k)
            target = step(target, -1);
        highlight(target);
        return true;
    }
    case Key::pageDown: {
        int target = highlighted_;
        for (int k = 0; k < visibleRows_; ++k)
            target = step(target, +1);
        highlight(target);
        return true;
    }
    case Key::home: highlight(step(-1, +1)); return true;
    case Key::end: highlight(step(entryCount(), -1)); return true;
    case Key::enter:
        if (selectable(highlighted_))
            menu_.choose(highlighted_); // destroys this popup
        else
            menu_.closePopup();
        return true;
    case Key::escape: menu_.closePopup(); return true;
    default: return true; // the list is modal: no key goes past it
    }
}

} // namespace gui
