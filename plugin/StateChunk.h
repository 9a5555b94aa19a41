#pragma once

#include "plugin/ProgramRecord.h"

// Incoming state chunks: the current program's record (476 bytes) or the
// whole bank image (11432 bytes) that a host stored in its project, in
// exactly the layout of ProgramRecord and BankImage.
//
// The bytes come from outside and are not trusted. Each string is made to
// end inside its field, parameter values that are not numbers keep the
// program's previous value and the others are clamped to 0..1, and the
// format headers are rewritten to the current format. A chunk this plug-in
// handed out passes through unchanged, byte for byte.
//
// Threads: while holding the shell's writers' turn (host user-interface thread); the
// audio thread never reads the bank through this path.
class StateChunk {
public:
    static constexpr int kProgramSize = int(sizeof(ProgramRecord)); // bytes of a single-program chunk
    static constexpr int kBankSize = int(sizeof(BankImage));        // bytes of a bank chunk

    // Replaces `program` with a single-program chunk. Answers false and
    // changes nothing when the size is not kProgramSize or data is null.
    static bool restoreProgram(const void* data, int size, ProgramRecord& program);

    // Replaces the whole bank (header, names, values, flags and paths) with a
    // bank chunk. Answers false and changes nothing when the size is not
    // kBankSize or data is null. `data` may point into `bank` itself.
    static bool restoreBank(const void* data, int size, BankImage& bank);

    // Makes an imported record safe to use, given the record it replaces.
    static void sanitize(ProgramRecord& incoming, const ProgramRecord& previous);
};
