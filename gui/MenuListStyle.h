#pragma once

#include "gui/Color.h"
#include "gui/DialogPalette.h"
#include "gui/FontData.h"

namespace gui {

// How an option menu's open list looks. It is a style of its own, not the
// closed menu's: a closed menu may be transparent, or show no text at all
// when it lies over a meter or a label, but its list is always an opaque
// panel that reads well over any artwork. The defaults are the editor's
// box colours (DialogPalette.h): cream on a dark panel, the highlighted
// entry dark on amber, brass outline and separators. Every text colour keeps
// a contrast of at least 4.5:1 with the fill behind it.
struct MenuListStyle {
    const FontData* font = &normalFontData();     // entries' font
    Color background = dialogPalette::panel;      // the list's fill
    Color text = dialogPalette::text;             // an entry's text (and the current entry's mark)
    Color highlight = dialogPalette::folder;      // fill of the highlighted entry
    Color highlightText = dialogPalette::panel;   // text on the highlight
    Color border = dialogPalette::border;         // outline
    Color separator = dialogPalette::border;      // separator lines, arrows with nothing more that way
};

} // namespace gui
