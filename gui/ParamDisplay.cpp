#include "gui/ParamDisplay.h"

#include "gui/Font.h"

#include <cstdio>

namespace gui {

ParamDisplay::ParamDisplay(const Rect& size, ControlListener* listener, int tag, const Bitmap& background)
    : Control(size, listener, tag, background)
{
    setMouseEnabled(false);
}

void ParamDisplay::setFormatter(Formatter formatter)
{
    formatter_ = std::move(formatter);
    invalid();
}

void ParamDisplay::setStyle(const TextStyle& style)
{
    style_ = style;
    invalid();
}

std::string ParamDisplay::text() const
{
    if (formatter_)
        return formatter_(value());
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", double(value()));
    return buffer;
}

void ParamDisplay::draw(Painter& painter)
{
    drawText(painter, text());
}

void ParamDisplay::drawText(Painter& painter, const std::string& text)
{
    if (!isTransparent())
        painter.fillRect(size(), style_.background);
    Control::draw(painter);
    const Rect r{size().left + style_.padding, size().top, size().right - style_.padding, size().bottom};
    painter.drawText(Font(*style_.font), text, r, style_.alignment, style_.color);
}

} // namespace gui
