#pragma once

#include <algorithm>
#include <cstring>
#include <iterator>

#include "plugin/FactoryPrograms.h"
#include "plugin/ProgramRecord.h"

// The factory bank as the plug-in holds it after construction: the record
// every fuzzed chunk or file is restored over.
inline BankImage factoryBank()
{
    BankImage bank{};
    std::memcpy(bank.magic, kBankMagic, sizeof bank.magic);
    bank.version = kFormatVersion;
    for (int p = 0; p < BankImage::kPrograms; ++p) {
        ProgramRecord& record = bank.programs[p];
        std::memcpy(record.magic, kProgramMagic, sizeof record.magic);
        record.version = kFormatVersion;
        record.panelFlag = 1;
        record.meterFlag = 1;
        std::strcpy(record.irPath, kNoResponsePath);
        std::strncpy(record.name, kFactoryPrograms[p].name, ProgramRecord::kMaxNameLength);
        for (int i = 0; i < param::Count; ++i)
            record.params[i] = static_cast<float>(kFactoryPrograms[p].values[i]);
    }
    return bank;
}

// True when every string of the record ends inside its field (the name after
// at most 24 characters) and every value lies in 0..1.
inline bool recordIsSafe(const ProgramRecord& r)
{
    if (strnlen(r.name, sizeof r.name) > std::size_t(ProgramRecord::kMaxNameLength) ||
        strnlen(r.irPath, sizeof r.irPath) == sizeof r.irPath)
        return false;
    return std::all_of(std::begin(r.params), std::end(r.params), [](float v) { return v >= 0.0f && v <= 1.0f; });
}
