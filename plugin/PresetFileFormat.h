#pragma once

#include <cstddef>
#include <cstdint>

#include "plugin/ProgramRecord.h"

// The bytes of preset files (.sxp: one program record, 476 bytes) and bank
// files (.sxb: the bank image, 11432 bytes), read into plain records with no
// plug-in involved. PresetFiles does the file handling and applies the result.
//
// A file is checked in the order the loader always has: at least the 8-byte
// header with the right magic (else Broken), a version of 1 or 256 (else
// Newer), then the whole record or image (else Broken). Bytes beyond the
// record or image are ignored; the records' own headers inside a bank are not
// examined.
class PresetFileFormat {
public:
    enum class Check {
        Valid,  // the record or image was filled
        Broken, // wrong magic, or the file ends before its record or image
        Newer,  // a version this plug-in does not know
    };

    static constexpr int kHeaderSize = 8;                // magic and version, checked before the rest is read
    static constexpr std::int16_t kSwappedVersion = 256; // version 1 as a big-endian writer stores it

    // Fills `record` from a preset file's bytes when the answer is Valid;
    // otherwise leaves it as it was.
    static Check readPreset(const unsigned char* bytes, std::size_t size, ProgramRecord& record);
    // Fills `image` from a bank file's bytes when the answer is Valid;
    // otherwise leaves it as it was.
    static Check readBank(const unsigned char* bytes, std::size_t size, BankImage& image);

    // The name a preset record gives its program: its first 24 characters, terminated.
    static void presetName(const ProgramRecord& record, char (&name)[ProgramRecord::kMaxNameLength + 1]);

    // A bank file's programs merged into `bank`: every program takes the name
    // (first 24 characters), the values and the flags of its record in
    // `image` and keeps its own response path; values are made safe as for
    // state chunks. `bank`'s header is left alone.
    static void mergeBank(const BankImage& image, BankImage& bank);
};
