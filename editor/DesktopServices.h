#pragma once

#include <memory>

#include "editor/PlatformServices.h"

namespace editor {

// The platform's own dialogs, message boxes and shell for the running system
// (Win32 on Windows; on Linux zenity or kdialog run as child processes, their
// answers taken up on idle, and xdg-open for documents and addresses).
std::unique_ptr<PlatformServices> makeDesktopServices();

} // namespace editor
