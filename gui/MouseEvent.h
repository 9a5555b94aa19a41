#pragma once

#include "gui/Point.h"

namespace gui {

// Mouse buttons held, as bits of MouseEvent::buttons.
namespace buttons {
constexpr unsigned left = 1u;
constexpr unsigned right = 2u;
constexpr unsigned middle = 4u;
} // namespace buttons

// Modifier keys held, as bits of MouseEvent::modifiers and KeyEvent::modifiers.
namespace modifiers {
constexpr unsigned shift = 1u;
constexpr unsigned control = 2u;
constexpr unsigned alt = 4u;
} // namespace modifiers

// A mouse event as views see it. `where` is in the coordinates of the
// container that holds the view, the same system as the view's rectangle.
struct MouseEvent {
    Point where;              // pointer position
    unsigned buttons = 0;     // buttons held (for a press: the pressed one)
    unsigned modifiers = 0;   // modifier keys held
    bool doubleClick = false; // a press that completes a double click
    float wheel = 0.0f;       // wheel events: notches, positive away from the user

    bool leftButton() const { return (buttons & buttons::left) != 0; }
    bool shift() const { return (modifiers & modifiers::shift) != 0; }
    bool control() const { return (modifiers & modifiers::control) != 0; }
};

// What a view did with a mouse press.
enum class MouseResult {
    ignored,          // not for this view: the press goes to whatever lies below
    handled,          // taken: moves and the release come to this view until the release
    handledNoCapture, // taken and finished: no moves or release follow
};

} // namespace gui
