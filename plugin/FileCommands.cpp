#include "plugin/FileCommands.h"

#include <algorithm>
#include <cstring>

#include "cabinet/WavReader.h"
#include "plugin/Doxaro.h"
#include "plugin/PresetFiles.h"

namespace {

filecmd::FileReply reply(PresetFiles::Result result)
{
    switch (result) {
    case PresetFiles::Result::Done:
        return filecmd::Done;
    case PresetFiles::Result::NotOpened:
        return filecmd::NotOpened;
    case PresetFiles::Result::Rejected:
        return filecmd::Rejected;
    }
    return filecmd::Rejected;
}

} // namespace

filecmd::FileReply FileCommands::run(std::int64_t command, void* argument)
{
    if (command == filecmd::LastMessage)
        return copyMessage(static_cast<char*>(argument));
    if (command == filecmd::WaitForSettings) {
        plugin_.waitForSettings();
        return filecmd::Done;
    }
    {
        std::lock_guard<std::mutex> lock(messageLock);
        message.clear();
    }
    const char* path = static_cast<const char*>(argument);
    PresetFiles files(plugin_, *this);
    switch (command) {
    case filecmd::LoadPreset:
        return reply(files.loadPreset(path));
    case filecmd::LoadBank:
        return reply(files.loadBank(path));
    case filecmd::SavePreset:
        return reply(files.savePreset(path));
    case filecmd::SaveBank:
        return reply(files.saveBank(path));
    case filecmd::SetResponsePath:
        return setResponsePath(path);
    default:
        return filecmd::Unsupported;
    }
}

void FileCommands::show(const char* text)
{
    std::lock_guard<std::mutex> lock(messageLock);
    message = text != nullptr ? text : "";
}

// The editor's "Load" command with a path the host chose. The file is read
// once here so that a host learns of a response it cannot use; the program
// keeps its path in that case. (The editor's own dialog only offers files
// that exist, and the engine stays silent for one it cannot read.)
filecmd::FileReply FileCommands::setResponsePath(const char* path)
{
    const bool none = path == nullptr || path[0] == '\0' || std::strcmp(path, kNoResponsePath) == 0;
    if (!none) {
        if (std::strlen(path) > std::size_t(ProgramRecord::kPathSize - 1)) {
            show("Error! Cannot use the impulse response, its path is longer than 259 characters.");
            return filecmd::Rejected;
        }
        WavInfo probe;
        if (!readWav(path, probe, 1)) {
            show("Error! Cannot load the impulse response, the file is missing or not a 16-, 24- or 32-bit "
                 "PCM or 32-bit float WAV file.");
            return filecmd::Rejected;
        }
    }
    return plugin_.setResponsePath(none ? kNoResponsePath : path) ? filecmd::Done : filecmd::Rejected;
}

filecmd::FileReply FileCommands::copyMessage(char* buffer)
{
    if (buffer == nullptr)
        return filecmd::NotOpened;
    std::lock_guard<std::mutex> lock(messageLock);
    if (message.empty()) {
        buffer[0] = '\0';
        return filecmd::NotOpened;
    }
    const std::size_t length = std::min(message.size(), std::size_t(filecmd::kFileMessageSize - 1));
    std::memcpy(buffer, message.data(), length);
    buffer[length] = '\0';
    return filecmd::Done;
}
