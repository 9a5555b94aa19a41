#include "plugin/PresetFileFormat.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Check = PresetFileFormat::Check;
using Bytes = std::vector<unsigned char>;

ProgramRecord sampleRecord(const char* name, float value)
{
    ProgramRecord r{};
    std::memcpy(r.magic, kProgramMagic, sizeof r.magic);
    r.version = kFormatVersion;
    std::strncpy(r.name, name, sizeof r.name);
    for (float& v : r.params)
        v = value;
    r.panelFlag = 1;
    r.meterFlag = 0;
    std::strcpy(r.irPath, kNoResponsePath);
    return r;
}

template <typename T>
Bytes bytesOf(const T& object, std::size_t size = sizeof(T))
{
    Bytes b(size, 0xEE);
    std::memcpy(b.data(), &object, std::min(size, sizeof(T)));
    return b;
}

} // namespace

// Every way a preset file is judged, in the order the checks run.
TEST(PresetFileFormat, PresetChecksMagicThenVersionThenLength)
{
    const ProgramRecord good = sampleRecord("Lead", 0.25f);
    ProgramRecord swapped = good;
    swapped.version = PresetFileFormat::kSwappedVersion;
    ProgramRecord newer = good;
    newer.version = 2;
    ProgramRecord wrongMagic = good;
    wrongMagic.magic[0] = 'B';
    BankImage bank{};
    std::memcpy(bank.magic, kBankMagic, sizeof bank.magic);
    bank.version = kFormatVersion;

    struct Case {
        const char* what;
        Bytes bytes;
        Check expected;
    };
    const Case cases[] = {
        {"whole record", bytesOf(good), Check::Valid},
        {"record and trailing bytes", bytesOf(good, sizeof good + 40), Check::Valid},
        {"version 1 from a big-endian writer", bytesOf(swapped), Check::Valid},
        {"empty file", Bytes{}, Check::Broken},
        {"header cut short", bytesOf(good, 7), Check::Broken},
        {"wrong magic", bytesOf(wrongMagic), Check::Broken},
        {"a bank offered as a preset", bytesOf(bank, 476), Check::Broken},
        {"newer version", bytesOf(newer), Check::Newer},
        {"newer version, cut short", bytesOf(newer, 8), Check::Newer},
        {"valid header, record cut short", bytesOf(good, sizeof good - 1), Check::Broken},
    };
    for (const Case& c : cases) {
        ProgramRecord record = sampleRecord("Untouched", 0.5f);
        const ProgramRecord before = record;
        EXPECT_EQ(PresetFileFormat::readPreset(c.bytes.data(), c.bytes.size(), record), c.expected) << c.what;
        const ProgramRecord& expected = c.expected == Check::Valid ? *reinterpret_cast<const ProgramRecord*>(c.bytes.data()) : before;
        EXPECT_EQ(std::memcmp(&record, &expected, sizeof record), 0) << c.what;
    }
    ProgramRecord record{};
    EXPECT_EQ(PresetFileFormat::readPreset(nullptr, 476, record), Check::Broken);
}

TEST(PresetFileFormat, BankNeedsItsWholeImage)
{
    auto image = std::make_unique<BankImage>();
    std::memcpy(image->magic, kBankMagic, sizeof image->magic);
    image->version = kFormatVersion;
    for (ProgramRecord& r : image->programs)
        r = sampleRecord("Bank", 0.75f);
    const Bytes whole = bytesOf(*image);
    auto target = std::make_unique<BankImage>();
    const auto untouched = bytesOf(*target);

    EXPECT_EQ(PresetFileFormat::readBank(whole.data(), whole.size() - 1, *target), Check::Broken);
    EXPECT_EQ(bytesOf(*target), untouched);
    const Bytes preset = bytesOf(sampleRecord("Preset", 0.1f));
    EXPECT_EQ(PresetFileFormat::readBank(preset.data(), preset.size(), *target), Check::Broken);
    EXPECT_EQ(bytesOf(*target), untouched);
    EXPECT_EQ(PresetFileFormat::readBank(whole.data(), whole.size(), *target), Check::Valid);
    EXPECT_EQ(bytesOf(*target), whole);
}

// Names keep 24 characters, values are made safe against the program they
// replace, flags come from the file, and every program keeps its own path.
TEST(PresetFileFormat, MergedBankKeepsPathsAndMakesValuesSafe)
{
    auto bank = std::make_unique<BankImage>();
    auto image = std::make_unique<BankImage>();
    for (int k = 0; k < BankImage::kPrograms; ++k) {
        bank->programs[k] = sampleRecord("Old", 0.5f);
        std::snprintf(bank->programs[k].irPath, ProgramRecord::kPathSize, "/irs/%d.wav", k);
        image->programs[k] = sampleRecord("New", 0.125f);
        std::memset(image->programs[k].irPath, 'z', ProgramRecord::kPathSize);
        image->programs[k].panelFlag = std::int16_t(k);
    }
    std::memset(image->programs[2].name, 'x', ProgramRecord::kNameSize);
    image->programs[3].params[5] = std::numeric_limits<float>::quiet_NaN();
    image->programs[3].params[6] = -2.0f;
    image->programs[3].params[7] = std::numeric_limits<float>::infinity();
    image->programs[3].params[8] = 7.0f;

    PresetFileFormat::mergeBank(*image, *bank);
    for (int k = 0; k < BankImage::kPrograms; ++k) {
        const ProgramRecord& r = bank->programs[k];
        char path[32];
        std::snprintf(path, sizeof path, "/irs/%d.wav", k);
        EXPECT_STREQ(r.irPath, path) << k;
        EXPECT_EQ(r.panelFlag, k);
    }
    EXPECT_EQ(std::string(bank->programs[2].name), std::string(24, 'x'));
    EXPECT_EQ(bank->programs[3].params[5], 0.5f); // not a number: the old value stays
    EXPECT_EQ(bank->programs[3].params[6], 0.0f);
    EXPECT_EQ(bank->programs[3].params[7], 0.5f);
    EXPECT_EQ(bank->programs[3].params[8], 1.0f);
    EXPECT_EQ(bank->programs[3].params[9], 0.125f);
}
