#include "tools/PluginFileCommands.h"

#include <vector>

namespace host {

namespace {

const char* describe(filecmd::FileCommand command)
{
    switch (command) {
    case filecmd::LoadPreset:
        return "load the preset";
    case filecmd::LoadBank:
        return "load the bank";
    case filecmd::SavePreset:
        return "save the preset";
    case filecmd::SaveBank:
        return "save the bank";
    case filecmd::SetResponsePath:
        return "load the impulse response";
    case filecmd::WaitForSettings:
        return "wait for the settings with";
    case filecmd::LastMessage:
        break;
    }
    return "run a file command with";
}

} // namespace

bool sendFileCommand(const PluginInstance& plugin, filecmd::FileCommand command, const std::string& path,
                     std::string& error)
{
    std::vector<char> argument(path.begin(), path.end());
    argument.push_back('\0');
    const auto reply = plugin.dispatch(vst::effVendorSpecific, filecmd::kFileCommandTag, command, argument.data());
    const std::string what = std::string("cannot ") + describe(command) + " '" + path + "'";
    switch (reply) {
    case filecmd::Done:
        return true;
    case filecmd::NotOpened:
        error = what + ((command == filecmd::SavePreset || command == filecmd::SaveBank)
                            ? ": the file cannot be written"
                            : ": the file cannot be opened");
        return false;
    case filecmd::Rejected: {
        std::vector<char> message(filecmd::kFileMessageSize, '\0');
        plugin.dispatch(vst::effVendorSpecific, filecmd::kFileCommandTag, filecmd::LastMessage, message.data());
        message.back() = '\0';
        error = message[0] != '\0' ? what + ": the plug-in says: " + std::string(message.data())
                                   : what + ": the plug-in refused it";
        return false;
    }
    default:
        error = what + ": the plug-in has no file commands";
        return false;
    }
}

} // namespace host
