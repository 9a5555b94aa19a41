#pragma once

#include <memory>

#include "plugin/ProgramRecord.h"

// The plug-in state as the host stores it in its projects: the current
// program's record (476 bytes) or the whole bank image (11432 bytes), in
// exactly the layout of ProgramRecord and BankImage.
//
// Outgoing, the host gets a snapshot copy owned by this object, so a host
// that saves while automation keeps writing the bank still stores one
// consistent state. Incoming bytes come from outside and are not trusted:
// strings are terminated inside their fields, parameter values that are not
// numbers keep the program's previous value and the others are clamped to
// 0..1, and the format header is rewritten to the current format.
//
// Threads: both directions run under the shell's state lock (on the host's
// user-interface thread); the audio thread never touches this object.
class StateChunk {
public:
    static constexpr int kProgramSize = int(sizeof(ProgramRecord)); // bytes of a single-program chunk
    static constexpr int kBankSize = int(sizeof(BankImage));        // bytes of a bank chunk

    StateChunk();
    StateChunk(const StateChunk&) = delete;
    StateChunk& operator=(const StateChunk&) = delete;

    // Copies program `current` (single) or the whole bank into the snapshot,
    // points *data at it and answers its size. The snapshot stays valid and
    // unchanged until the next capture.
    int capture(const BankImage& bank, int current, bool single, void** data);

    // Replaces `program` with a single-program chunk. Answers false and
    // changes nothing when the size is not kProgramSize or data is null.
    static bool restoreProgram(const void* data, int size, ProgramRecord& program);

    // Replaces the whole bank (header, names, values, flags and paths) with a
    // bank chunk. Answers false and changes nothing when the size is not
    // kBankSize or data is null.
    static bool restoreBank(const void* data, int size, BankImage& bank);

    // Makes an imported record safe to use, given the record it replaces.
    static void sanitize(ProgramRecord& incoming, const ProgramRecord& previous);

private:
    std::unique_ptr<BankImage> snapshot_; // the bytes last handed to the host, allocated once
};
