#pragma once

#include <cstdint>

// The plug-in's file commands as a host reaches them: VST 2.4 vendor-specific
// dispatcher calls (effVendorSpecific). The editor calls the same operations
// directly; a host has only the dispatcher, so an offline renderer or a test
// host asks through these calls.
//
//   dispatcher(effVendorSpecific, kFileCommandTag, command, ptr, 0)
//
// index  kFileCommandTag, so that the call cannot be mistaken for another
//        vendor's;
// value  one of FileCommand;
// ptr    the command's argument: a zero-terminated file path, or for
//        LastMessage a buffer of kFileMessageSize bytes.
// The answer is a FileReply. A command that is Rejected leaves the programs
// exactly as they were; its message, the same text the editor shows in a
// message box, is then available through LastMessage until the next command.
// Host user-interface thread, never the audio thread.
namespace filecmd {

// 'OSfc' as a four-character code.
constexpr std::int32_t kFileCommandTag = ('O' << 24) | ('S' << 16) | ('f' << 8) | 'c';
constexpr int kFileMessageSize = 512; // bytes LastMessage writes at most, terminator included

enum FileCommand : std::int32_t {
    LoadPreset = 1,      // ptr: .sxp path; applied to the current program, its response path kept
    LoadBank = 2,        // ptr: .sxb path; names, values and flags of all programs, paths kept
    SavePreset = 3,      // ptr: .sxp path; the current program, renamed after the file
    SaveBank = 4,        // ptr: .sxb path; all programs
    SetResponsePath = 5, // ptr: WAV path for the current program's user response ("empty" or "" for none)
    LastMessage = 6,     // ptr: buffer of kFileMessageSize bytes; Done when a message was copied
    WaitForSettings = 7, // ptr unused; Done once every change made before the call is heard (parameter
                         // values, programs, chunks and the response loads they cause): for hosts that
                         // render offline with changes between blocks and want the same output every time
};

enum FileReply : std::int32_t {
    Unsupported = 0, // not a file command (what a plug-in without them answers)
    Done = 1,        // written or applied
    NotOpened = 2,   // the file could not be opened or written: nothing changed, no message
    Rejected = 3,    // the file was refused: nothing changed, LastMessage says why
};

} // namespace filecmd
