#include "gui/OptionMenu.h"

#include "gui/Frame.h"
#include "gui/OptionMenuPopup.h"

#include <algorithm>
#include <cmath>

namespace gui {

OptionMenu::OptionMenu(const Rect& size, ControlListener* listener, int tag, const Bitmap& background)
    : ParamDisplay(size, listener, tag, background)
{
    setMouseEnabled(true);
    setDefaultValue(0.0f);
    TextStyle s = style();
    s.alignment = Alignment::left;
    setStyle(s);
}

OptionMenu::~OptionMenu()
{
    closePopup();
}

void OptionMenu::addEntry(std::string text)
{
    entries_.push_back(std::move(text));
    if (current_ < 0 && !isSeparator(entries_.back()))
        current_ = entryCount() - 1;
    setCurrent(current_);
}

void OptionMenu::removeAllEntries()
{
    closePopup();
    entries_.clear();
    current_ = -1;
    Control::setValue(0.0f);
    invalid();
}

void OptionMenu::setCurrent(int index)
{
    if (index < 0 || index >= entryCount())
        index = -1;
    if (index != current_)
        invalid();
    current_ = index;
    const int last = entryCount() - 1;
    Control::setValue(index <= 0 || last <= 0 ? 0.0f : float(index) / float(last));
}

void OptionMenu::setValue(float value)
{
    const int last = entryCount() - 1;
    if (last < 0 || std::isnan(value))
        return;
    setCurrent(int(std::lround(std::clamp(value, 0.0f, 1.0f) * float(last))));
}

void OptionMenu::setButtonBitmaps(const Bitmap& normal, const Bitmap& pressed)
{
    normal_ = normal;
    pressed_ = pressed;
    invalid();
}

std::string OptionMenu::text() const
{
    return current_ >= 0 ? entries_[std::size_t(current_)] : std::string();
}

void OptionMenu::draw(Painter& painter)
{
    if (!normal_.isNull()) {
        const Bitmap& b = isOpen() && !pressed_.isNull() ? pressed_ : normal_;
        painter.drawImage(b.image(), b.image().bounds(), size().topLeft());
        return;
    }
    drawText(painter, text());
}

MouseResult OptionMenu::onMouseDown(const MouseEvent& e)
{
    if (!e.leftButton() || entries_.empty())
        return MouseResult::ignored;
    openPopup();
    return MouseResult::handledNoCapture;
}

void OptionMenu::openPopup()
{
    Frame* f = frame();
    if (!f || popup_ || entries_.empty())
        return;
    popup_ = std::make_unique<OptionMenuPopup>(*this, f->size());
    f->setModalView(popup_.get(), this);
    invalid();
}

void OptionMenu::closePopup()
{
    if (!popup_)
        return;
    // Keep the popup alive until the frame has let go of it.
    std::unique_ptr<OptionMenuPopup> closing = std::move(popup_);
    if (Frame* f = closing->frame())
        f->clearModalView();
    invalid();
}

void OptionMenu::choose(int index)
{
    closePopup();
    if (index < 0 || index >= entryCount() || isSeparator(entries_[std::size_t(index)]))
        return;
    beginEdit();
    setCurrent(index);
    valueChanged();
    endEdit();
}

void OptionMenu::removing()
{
    closePopup();
    ParamDisplay::removing();
}

} // namespace gui
