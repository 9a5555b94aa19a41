#pragma once

namespace gui {

// Keys the toolkit knows by name; everything else is `character`.
enum class Key { character, up, down, left, right, pageUp, pageDown, home, end, enter, escape };

struct KeyEvent {
    Key key = Key::character; // which key
    char32_t character = 0;   // the character typed, for Key::character
    unsigned modifiers = 0;   // gui::modifiers bits
};

} // namespace gui
