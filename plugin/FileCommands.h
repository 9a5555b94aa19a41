#pragma once

#include <mutex>
#include <string>

#include "plugin/FileCommandProtocol.h"
#include "plugin/UserMessages.h"

class Doxaro;

// Runs the file commands that arrive as vendor-specific dispatcher calls
// (plugin/FileCommandProtocol.h): preset and bank files through PresetFiles,
// the user response path through the plug-in. Messages that the editor would
// show in a message box are kept instead, for the host to fetch.
//
// Threads: host user-interface threads, one command at a time per caller; the
// kept message is guarded, so two callers never tear it. Never the audio thread.
class FileCommands final : private UserMessages {
public:
    explicit FileCommands(Doxaro& plugin) : plugin_(plugin) {}
    FileCommands(const FileCommands&) = delete;
    FileCommands& operator=(const FileCommands&) = delete;

    // One dispatcher call: `command` is a filecmd::FileCommand, `argument`
    // its path or message buffer. Answers a filecmd::FileReply.
    filecmd::FileReply run(std::int64_t command, void* argument);

private:
    void show(const char* text) override;
    filecmd::FileReply setResponsePath(const char* path);
    filecmd::FileReply copyMessage(char* buffer);

    Doxaro& plugin_;          // the plug-in whose programs the commands change
    std::mutex messageLock;   // guards message
    std::string message;      // the last command's message; empty when it had none
};
