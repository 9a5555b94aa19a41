#pragma once

namespace gui {

// Whoever put a view up as the frame's modal overlay (a menu's popup, a
// splash screen) hears through this when the user clicks past it.
class ModalOwner {
public:
    virtual ~ModalOwner() = default;
    // A press outside the modal view, or one the modal view ignored. The
    // owner usually closes the overlay.
    virtual void modalClickOutside() = 0;
};

} // namespace gui
