#include "plugin/PresetFiles.h"

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/UserMessages.h"
#include "tests/plugin/StateHost.h"
#include "tests/support/WavFixture.h"

using fixture::Bytes;
using fixture::TempFile;

namespace {

struct CapturedMessages : UserMessages {
    std::vector<std::string> texts; // every message shown, in order
    void show(const char* text) override { texts.emplace_back(text); }
};

// The whole observable state: the bank image, the current program and the values the engine runs.
struct Observed {
    Bytes bank;
    int program = 0;
    std::vector<float> values;
    bool operator==(const Observed&) const = default;
};

Observed observe(Doxaro& plugin)
{
    Observed o;
    void* data = nullptr;
    const vst::VstInt32 size = plugin.getChunk(&data, false);
    o.bank.assign(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    o.program = plugin.getProgram();
    for (int i = 0; i < param::Count; ++i)
        o.values.push_back(plugin.getParameter(i));
    return o;
}

// A record laid out by hand from the file format: magic at 0, version at 6,
// name at 8 (28 bytes), 44 little-endian floats at 36, panel flag at 212,
// meter flag at 214, path area at 216 (260 bytes, zeros in our files).
Bytes handRecord(const char* name, const std::vector<float>& values, int panel, int meter, std::uint16_t version = 1,
                 const char* magic = "PDXV1")
{
    Bytes b(476, 0);
    std::memcpy(b.data(), magic, 5);
    b[6] = std::uint8_t(version);
    b[7] = std::uint8_t(version >> 8);
    std::memcpy(b.data() + 8, name, std::min<std::size_t>(std::strlen(name), 28));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(values[i]);
        for (int k = 0; k < 4; ++k)
            b[36 + 4 * i + std::size_t(k)] = std::uint8_t(bits >> (8 * k));
    }
    b[212] = std::uint8_t(panel);
    b[213] = std::uint8_t(panel >> 8);
    b[214] = std::uint8_t(meter);
    b[215] = std::uint8_t(meter >> 8);
    return b;
}

Bytes handBank(const std::vector<Bytes>& records, std::uint16_t version = 1, const char* magic = "BDXV1")
{
    Bytes b(8, 0);
    std::memcpy(b.data(), magic, 5);
    b[6] = std::uint8_t(version);
    b[7] = std::uint8_t(version >> 8);
    for (const Bytes& r : records)
        b.insert(b.end(), r.begin(), r.end());
    return b;
}

std::vector<float> valuesOf(Doxaro& plugin)
{
    std::vector<float> v;
    for (int i = 0; i < param::Count; ++i)
        v.push_back(plugin.getParameter(i));
    return v;
}

std::vector<float> patternValues(int seed)
{
    std::vector<float> v;
    for (int i = 0; i < param::Count; ++i)
        v.push_back(float((i * 7 + seed * 13) % 101) / 100.0f);
    return v;
}

std::string programName(Doxaro& plugin)
{
    char name[64] = {};
    plugin.getProgramName(name);
    return name;
}

} // namespace

TEST(PresetFiles, NameComesFromTheLastPathComponentWithoutExtension)
{
    struct Case {
        const char* path;
        const char* name;
    };
    const Case cases[] = {
        {"/home/user/presets/My.Lead.Sound.sxp", "My.Lead.Sound"},
        {"C:\\Presets\\Crunch.sxp", "Crunch"},
        {"C:\\mixed/dir.v2\\Clean", "Clean"},
        {"Plain", "Plain"},
        {"dir/.sxp", ""},
        {"/x/abcdefghijklmnopqrstuvwxyz0123.sxp", "abcdefghijklmnopqrstuvwx"}, // 30 characters before the dot
        {"/x/abcdefghijklmnopqrstuvwxyz0123", "abcdefghijklmnopqrstuvwx"},
    };
    for (const Case& c : cases) {
        char name[ProgramRecord::kNameSize];
        std::memset(name, 'X', sizeof name);
        PresetFiles::nameFromPath(c.path, name);
        EXPECT_STREQ(name, c.name) << c.path;
    }
}

TEST(PresetFiles, SavePresetWritesTheRecordAndRenamesTheProgram)
{
    auto plugin = StateHost::makePlugin();
    CapturedMessages messages;
    PresetFiles files(*plugin, messages);
    plugin->setProgram(6);
    plugin->setParameter(param::AmpGain, 0.625f);
    plugin->setProgramFlags(0, 1);
    plugin->setResponsePath("/somewhere/cab.wav");

    TempFile file("My.Lead.Sound.sxp");
    ASSERT_EQ(files.savePreset(file.c_str()), PresetFiles::Result::Done);
    EXPECT_EQ(programName(*plugin), "My.Lead.Sound");
    // Byte for byte the layout, with the path area left empty.
    EXPECT_EQ(file.read(), handRecord("My.Lead.Sound", valuesOf(*plugin), 0, 1));
    EXPECT_STREQ(plugin->programRecord(6).irPath, "/somewhere/cab.wav");
    EXPECT_TRUE(messages.texts.empty());

    TempFile longName("abcdefghijklmnopqrstuvwxyz0123.sxp");
    ASSERT_EQ(files.savePreset(longName.c_str()), PresetFiles::Result::Done);
    EXPECT_EQ(programName(*plugin), "abcdefghijklmnopqrstuvwx");
    EXPECT_EQ(longName.read(), handRecord("abcdefghijklmnopqrstuvwx", valuesOf(*plugin), 0, 1));
}

TEST(PresetFiles, SaveToAPathThatCannotBeOpenedChangesNothing)
{
    auto plugin = StateHost::makePlugin();
    CapturedMessages messages;
    PresetFiles files(*plugin, messages);
    const Observed before = observe(*plugin);
    const std::string path = testing::TempDir() + "no-such-folder/preset.sxp";
    EXPECT_EQ(files.savePreset(path.c_str()), PresetFiles::Result::NotOpened);
    EXPECT_EQ(files.saveBank(path.c_str()), PresetFiles::Result::NotOpened);
    EXPECT_EQ(observe(*plugin), before);
    EXPECT_TRUE(messages.texts.empty());
}

TEST(PresetFiles, LoadPresetAppliesNameValuesAndFlagsButKeepsThePath)
{
    const std::vector<float> values = patternValues(3);
    // A name that fills its whole field without a terminator: only 24 characters are taken.
    Bytes record = handRecord("", values, 0, 0, 1);
    std::memset(record.data() + 8, 'N', 28);
    std::memcpy(record.data() + 216, "/ignored/in/presets.wav", 23);
    for (std::uint16_t version : {std::uint16_t(1), std::uint16_t(256)}) {
        record[6] = std::uint8_t(version);
        record[7] = std::uint8_t(version >> 8);
        TempFile file("load.sxp", record);
        auto plugin = StateHost::makePlugin();
        CapturedMessages messages;
        PresetFiles files(*plugin, messages);
        plugin->setProgram(11);
        plugin->setResponsePath("/kept/response.wav");
        StateHost::resetCounts();
        ASSERT_EQ(files.loadPreset(file.c_str()), PresetFiles::Result::Done) << version;
        EXPECT_TRUE(messages.texts.empty());
        EXPECT_EQ(plugin->getProgram(), 11);
        EXPECT_EQ(programName(*plugin), std::string(24, 'N'));
        EXPECT_EQ(valuesOf(*plugin), values);
        const ProgramRecord r = plugin->programRecord(11);
        EXPECT_EQ(std::vector<float>(r.params, r.params + param::Count), values);
        EXPECT_EQ(r.panelFlag, 0);
        EXPECT_EQ(r.meterFlag, 0);
        EXPECT_STREQ(r.irPath, "/kept/response.wav");
        EXPECT_EQ(StateHost::automations, param::Count);
    }
}

TEST(PresetFiles, RejectedFilesShowTheirMessageAndChangeNothing)
{
    const std::vector<float> values = patternValues(5);
    const Bytes preset = handRecord("Good", values, 1, 1);
    const Bytes bank = handBank(std::vector<Bytes>(24, preset));
    struct Case {
        const char* what;
        bool isBank;
        Bytes bytes;
        const char* message; // nullptr: nothing shown
    };
    const Case cases[] = {
        {"preset version 2", false, handRecord("Newer", values, 1, 1, 2), PresetFiles::kPresetNewer},
        {"preset with the bank magic", false, handRecord("Bank", values, 1, 1, 1, "BDXV1"), PresetFiles::kPresetBroken},
        {"preset cut after its header", false, Bytes(preset.begin(), preset.begin() + 300), PresetFiles::kPresetBroken},
        {"preset shorter than a header", false, Bytes(preset.begin(), preset.begin() + 5), PresetFiles::kPresetBroken},
        {"empty preset", false, Bytes{}, PresetFiles::kPresetBroken},
        {"bank version 2", true, handBank(std::vector<Bytes>(24, preset), 2), PresetFiles::kBankNewer},
        {"bank with the preset magic", true, handBank(std::vector<Bytes>(24, preset), 1, "PDXV1"), PresetFiles::kBankBroken},
        {"bank file given as a preset", false, bank, PresetFiles::kPresetBroken},
        {"preset file given as a bank", true, preset, PresetFiles::kBankBroken},
        {"bank cut after its header", true, Bytes(bank.begin(), bank.begin() + 11431), PresetFiles::kBankBroken},
    };
    for (const Case& c : cases) {
        TempFile file("rejected.bin", c.bytes);
        auto plugin = StateHost::makePlugin();
        CapturedMessages messages;
        PresetFiles files(*plugin, messages);
        plugin->setProgram(5);
        const Observed before = observe(*plugin);
        StateHost::resetCounts();
        const auto result = c.isBank ? files.loadBank(file.c_str()) : files.loadPreset(file.c_str());
        EXPECT_EQ(result, PresetFiles::Result::Rejected) << c.what;
        ASSERT_EQ(messages.texts.size(), 1u) << c.what;
        EXPECT_EQ(messages.texts[0], c.message) << c.what;
        EXPECT_EQ(observe(*plugin), before) << c.what;
        EXPECT_EQ(StateHost::automations, 0) << c.what;
    }
}

TEST(PresetFiles, MessagesReadExactly)
{
    EXPECT_STREQ(PresetFiles::kPresetNewer, "This preset is saved using the newer version of Orvandel Selvarine. \n"
                                            "Please visit https://www.doxaro.com to get the updated version of Orvandel Selvarine.");
    EXPECT_STREQ(PresetFiles::kBankNewer, "This preset bank is saved using the newer version of Orvandel Selvarine. \n"
                                          "Please visit https://www.doxaro.com to get the updated version of Orvandel Selvarine.");
    EXPECT_STREQ(PresetFiles::kPresetBroken, "Error! Cannot load the preset, the file is either incompatible or broken.");
    EXPECT_STREQ(PresetFiles::kBankBroken, "Error! Cannot load the preset bank, the file is either incompatible or broken.");
}

TEST(PresetFiles, MissingFileChangesNothingAndShowsNothing)
{
    auto plugin = StateHost::makePlugin();
    CapturedMessages messages;
    PresetFiles files(*plugin, messages);
    const Observed before = observe(*plugin);
    const std::string path = testing::TempDir() + "missing.sxp";
    EXPECT_EQ(files.loadPreset(path.c_str()), PresetFiles::Result::NotOpened);
    EXPECT_EQ(files.loadBank(path.c_str()), PresetFiles::Result::NotOpened);
    EXPECT_EQ(observe(*plugin), before);
    EXPECT_TRUE(messages.texts.empty());
}

TEST(PresetFiles, SaveBankWritesEveryProgramByteForByte)
{
    auto plugin = StateHost::makePlugin();
    CapturedMessages messages;
    PresetFiles files(*plugin, messages);
    std::vector<Bytes> expected;
    for (int k = 0; k < 24; ++k) {
        plugin->setProgram(k);
        if (k == 4)
            plugin->setProgramName("Renamed Four");
        if (k == 8)
            plugin->setResponsePath("/not/in/bank/files.wav");
        plugin->setProgramFlags(std::int16_t(k & 1), std::int16_t((k >> 1) & 1));
        const ProgramRecord r = plugin->programRecord(k);
        expected.push_back(handRecord(r.name, std::vector<float>(r.params, r.params + param::Count), k & 1, (k >> 1) & 1));
    }
    plugin->setProgram(2);
    const Observed before = observe(*plugin);
    TempFile file("all.sxb");
    ASSERT_EQ(files.saveBank(file.c_str()), PresetFiles::Result::Done);
    EXPECT_EQ(file.read(), handBank(expected));
    EXPECT_EQ(observe(*plugin), before);
}

TEST(PresetFiles, LoadBankReplacesProgramsAndReappliesTheCurrentOne)
{
    std::vector<Bytes> records;
    for (int k = 0; k < 24; ++k) {
        Bytes r = handRecord(("Bank " + std::to_string(k)).c_str(), patternValues(k), k % 2, 1 - k % 2);
        // Record headers and path areas in a bank file are not examined.
        r[0] = 'Q';
        r[6] = 9;
        std::memcpy(r.data() + 216, "/from/the/file.wav", 18);
        records.push_back(r);
    }
    // A name without a terminator in its field.
    std::memset(records[7].data() + 8, 'L', 28);
    TempFile file("load.sxb", handBank(records));

    auto plugin = StateHost::makePlugin();
    CapturedMessages messages;
    PresetFiles files(*plugin, messages);
    plugin->setProgram(3);
    plugin->setResponsePath("/mine/three.wav");
    plugin->setProgram(5);
    StateHost::resetCounts();
    ASSERT_EQ(files.loadBank(file.c_str()), PresetFiles::Result::Done);
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(plugin->getProgram(), 5);
    EXPECT_EQ(StateHost::automations, param::Count);
    EXPECT_EQ(valuesOf(*plugin), patternValues(5));
    for (int k = 0; k < 24; ++k) {
        const ProgramRecord r = plugin->programRecord(k);
        EXPECT_EQ(std::memcmp(r.magic, "PDXV1", 6), 0) << k;
        EXPECT_EQ(r.version, 1) << k;
        EXPECT_EQ(std::string(r.name), k == 7 ? std::string(24, 'L') : "Bank " + std::to_string(k)) << k;
        EXPECT_EQ(std::vector<float>(r.params, r.params + param::Count), patternValues(k)) << k;
        EXPECT_EQ(r.panelFlag, k % 2) << k;
        EXPECT_EQ(r.meterFlag, 1 - k % 2) << k;
        EXPECT_STREQ(r.irPath, k == 3 ? "/mine/three.wav" : "empty") << k;
    }
}

TEST(PresetFiles, SavedFilesLoadBackIntoAnotherInstance)
{
    auto source = StateHost::makePlugin();
    CapturedMessages messages;
    PresetFiles sourceFiles(*source, messages);
    source->setProgram(14);
    source->setParameter(param::AmpMid, 0.3125f);
    TempFile preset("Round Trip.sxp");
    TempFile bank("Round Trip.sxb");
    ASSERT_EQ(sourceFiles.savePreset(preset.c_str()), PresetFiles::Result::Done);
    ASSERT_EQ(sourceFiles.saveBank(bank.c_str()), PresetFiles::Result::Done);

    auto target = StateHost::makePlugin();
    PresetFiles targetFiles(*target, messages);
    target->setProgram(0);
    ASSERT_EQ(targetFiles.loadPreset(preset.c_str()), PresetFiles::Result::Done);
    EXPECT_EQ(programName(*target), "Round Trip");
    EXPECT_EQ(valuesOf(*target), valuesOf(*source));
    target->setProgram(14);
    ASSERT_EQ(targetFiles.loadBank(bank.c_str()), PresetFiles::Result::Done);
    EXPECT_EQ(valuesOf(*target), valuesOf(*source));
    for (int k = 0; k < 24; ++k)
        EXPECT_STREQ(target->programRecord(k).name, source->programRecord(k).name) << k;
    EXPECT_TRUE(messages.texts.empty());
}
