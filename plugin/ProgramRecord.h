#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "plugin/Parameters.h"

// One program as the plug-in stores it, and as it travels in host chunks and
// preset files: 476 bytes, little-endian, no padding. The struct is the byte
// image itself, so it is only used on little-endian machines (see below).
struct ProgramRecord {
    static constexpr int kNameSize = 28;       // bytes of the name field
    static constexpr int kMaxNameLength = 24;  // characters kept in a name
    static constexpr int kPathSize = 260;      // bytes of the response path field

    char magic[6];                   // "PDXV1" and a zero byte
    std::int16_t version;            // format version, 1
    char name[kNameSize];            // program name, at most 24 characters and a terminator
    float params[param::Count];      // normalised parameter values, index order
    std::int16_t panelFlag;          // 1 = the editor's cabinet panel is shown, 0 = hidden
    std::int16_t meterFlag;          // 1 = input meter on, 0 = off
    char irPath[kPathSize];          // user impulse-response file, or "empty" for none
};

// The whole bank of programs: the host's bank chunk and the bank file.
struct BankImage {
    static constexpr int kPrograms = 24;

    char magic[6];                        // "BDXV1" and a zero byte
    std::int16_t version;                 // format version, 1
    ProgramRecord programs[kPrograms];    // program 0 first
};

// Format constants.
constexpr char kProgramMagic[6] = {'P', 'D', 'X', 'V', '1', 0};
constexpr char kBankMagic[6] = {'B', 'D', 'X', 'V', '1', 0};
constexpr std::int16_t kFormatVersion = 1;
constexpr char kNoResponsePath[] = "empty"; // irPath value meaning "no user impulse response"

// True when an irPath names a response file: neither "empty" nor the empty
// string (a record whose path area is all zeros, as some tools write it).
inline bool namesResponseFile(const char* irPath)
{
    return irPath != nullptr && irPath[0] != '\0' && std::strcmp(irPath, kNoResponsePath) != 0;
}

// The byte layout is the format: any change here breaks saved projects and files.
static_assert(std::endian::native == std::endian::little, "the record layout is little-endian");
static_assert(offsetof(ProgramRecord, magic) == 0);
static_assert(offsetof(ProgramRecord, version) == 6);
static_assert(offsetof(ProgramRecord, name) == 8);
static_assert(offsetof(ProgramRecord, params) == 36);
static_assert(offsetof(ProgramRecord, panelFlag) == 212);
static_assert(offsetof(ProgramRecord, meterFlag) == 214);
static_assert(offsetof(ProgramRecord, irPath) == 216);
static_assert(sizeof(ProgramRecord) == 476);
static_assert(offsetof(BankImage, version) == 6);
static_assert(offsetof(BankImage, programs) == 8);
static_assert(sizeof(BankImage) == 11432);
static_assert(sizeof(float) == 4);
