#pragma once

#include <memory>

#include "editor/PlatformServices.h"

namespace editor {

// The platform's own dialogs, message boxes and shell for the running system
// (Win32 on Windows; on Linux the desktop portal, zenity or kdialog, their
// answers taken up on idle, else boxes drawn in the editor, and xdg-open for
// documents and addresses; see LinuxDesktopServices.h).
std::unique_ptr<PlatformServices> makeDesktopServices();

} // namespace editor
