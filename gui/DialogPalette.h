#pragma once

#include "gui/Color.h"
#include "gui/Painter.h"

#include <string_view>

namespace gui {

// Colours of the boxes drawn inside the editor (messages, the file chooser):
// cream text on a dark panel with a brass outline, like the amp's face.
namespace dialogPalette {
constexpr Color shade{0, 0, 0, 150};          // laid over the editor behind a box
constexpr Color panel{30, 26, 22, 255};       // the box
constexpr Color border{168, 136, 84, 255};    // the box's outline, button outlines
constexpr Color text{236, 226, 200, 255};     // ordinary text
constexpr Color dimText{160, 150, 130, 255};  // labels, notes
constexpr Color well{14, 12, 10, 255};        // list and text field background
constexpr Color highlight{120, 88, 40, 255};  // selected row, focused button
constexpr Color folder{222, 184, 110, 255};   // folder names
constexpr Color button{52, 45, 38, 255};      // button face
constexpr Color pressed{90, 70, 40, 255};     // button face while pressed
constexpr Color warning{240, 130, 100, 255};  // a note that something went wrong

// A push button of a box: outlined face, centred text, brighter when it has
// the keyboard (Enter presses it) and darker while held down.
inline void drawButton(Painter& painter, const Rect& r, std::string_view label, bool focused, bool held)
{
    painter.fillRect(r, held ? pressed : focused ? highlight : button);
    painter.frameRect(r, border);
    painter.drawText(Font::normal(), label, r, Alignment::center, text);
}
} // namespace dialogPalette

} // namespace gui
