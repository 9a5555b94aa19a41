#pragma once

#include "gui/Alignment.h"
#include "gui/Color.h"
#include "gui/FontData.h"

namespace gui {

// How a text view writes: font, colours and placement.
struct TextStyle {
    const FontData* font = &normalFontData();  // built-in font
    Color color{230, 230, 230, 255};           // text colour
    Color background{24, 24, 24, 255};         // fill behind the text unless transparent
    Alignment alignment = Alignment::center;   // horizontal placement
    int padding = 2;                           // pixels kept free left and right
};

} // namespace gui
