#pragma once

#include <memory>
#include <string>

#include "editor/PlatformServices.h"

namespace editor {

// How the Linux services find their dialogs (tests point them elsewhere).
struct LinuxDialogOptions {
    bool portal = true;     // ask the desktop portal first
    std::string busAddress; // the portal's bus; empty: the session bus of the environment
};

// File dialogs: the desktop portal when the session bus offers one, else
// zenity, else kdialog (child processes), else a chooser drawn in the editor;
// answers are taken up on idle. Messages and questions are drawn in the
// editor (standard error while it is closed); documents and addresses open
// with xdg-open, started detached so that nothing here waits for the viewer.
std::unique_ptr<PlatformServices> makeLinuxDesktopServices(const LinuxDialogOptions& options);

} // namespace editor
