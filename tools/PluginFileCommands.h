#pragma once
// The host side of the plug-in's file commands (plugin/FileCommandProtocol.h):
// preset, bank and impulse-response files handed to the plug-in through
// vendor-specific dispatcher calls, with the plug-in's own message fetched
// when it refuses a file.

#include "plugin/FileCommandProtocol.h"
#include "host/PluginInstance.h"

#include <string>

namespace host {

// Sends one file command with `path`. Returns true when the plug-in did it.
// Otherwise `error` holds the plug-in's message (a refused file), a note that
// the file could not be opened or written, or that the plug-in has no file
// commands; the plug-in's programs are then as they were.
bool sendFileCommand(const PluginInstance& plugin, filecmd::FileCommand command, const std::string& path,
                     std::string& error);

} // namespace host
