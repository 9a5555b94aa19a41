// The file commands as a host sends them: vendor-specific dispatcher calls.

#include "plugin/FileCommandProtocol.h"

#include <cstring>
#include <string>
#include <vector>

#include "plugin/PresetFiles.h"
#include "tests/plugin/StateHost.h"
#include "tests/support/WavFixture.h"

using fixture::Bytes;
using fixture::TempFile;

namespace {

vst::VstIntPtr command(Doxaro& plugin, filecmd::FileCommand which, const char* path)
{
    return plugin.dispatcher(vst::effVendorSpecific, filecmd::kFileCommandTag, which,
                             const_cast<char*>(path), 0.0f);
}

std::string lastMessage(Doxaro& plugin)
{
    char text[filecmd::kFileMessageSize];
    std::memset(text, 'X', sizeof text);
    if (plugin.dispatcher(vst::effVendorSpecific, filecmd::kFileCommandTag, filecmd::LastMessage, text, 0.0f) !=
        filecmd::Done)
        return "";
    return text;
}

Bytes bankBytes(Doxaro& plugin)
{
    void* data = nullptr;
    const vst::VstInt32 size = plugin.getChunk(&data, false);
    return Bytes(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
}

// A file with the given header and `size` bytes in all.
Bytes headed(const char* magic, std::uint16_t version, std::size_t size)
{
    Bytes b(size, 0);
    std::memcpy(b.data(), magic, 5);
    b[6] = std::uint8_t(version);
    b[7] = std::uint8_t(version >> 8);
    return b;
}

} // namespace

// Files the loaders refuse: the reply says so, the message is the one the
// editor would show, and every program stays as it was.
TEST(FileCommands, RefusedFilesReportTheirMessageAndChangeNothing)
{
    const struct {
        const char* what;
        filecmd::FileCommand command;
        Bytes content;
        const char* message;
    } cases[] = {
        {"preset with the bank magic", filecmd::LoadPreset, headed("BDXV1", 1, 476), PresetFiles::kPresetBroken},
        {"preset of a newer version", filecmd::LoadPreset, headed("PDXV1", 2, 476), PresetFiles::kPresetNewer},
        {"preset cut short", filecmd::LoadPreset, headed("PDXV1", 1, 300), PresetFiles::kPresetBroken},
        {"bank with the preset magic", filecmd::LoadBank, headed("PDXV1", 1, 11432), PresetFiles::kBankBroken},
        {"bank of a newer version", filecmd::LoadBank, headed("BDXV1", 3, 11432), PresetFiles::kBankNewer},
        {"impulse response that is no WAV file", filecmd::SetResponsePath, Bytes(64, 'x'), nullptr},
    };
    for (const auto& c : cases) {
        auto plugin = StateHost::makePlugin();
        plugin->setProgram(5);
        const Bytes before = bankBytes(*plugin);
        TempFile file("refused.bin", c.content);
        EXPECT_EQ(command(*plugin, c.command, file.c_str()), filecmd::Rejected) << c.what;
        const std::string message = lastMessage(*plugin);
        if (c.message != nullptr)
            EXPECT_EQ(message, c.message) << c.what;
        else
            EXPECT_FALSE(message.empty()) << c.what;
        EXPECT_EQ(bankBytes(*plugin), before) << c.what;
        EXPECT_EQ(plugin->getProgram(), 5) << c.what;
    }
}

TEST(FileCommands, MissingFilesAreNotOpenedWithoutMessage)
{
    auto plugin = StateHost::makePlugin();
    const Bytes before = bankBytes(*plugin);
    for (const auto which : {filecmd::LoadPreset, filecmd::LoadBank}) {
        EXPECT_EQ(command(*plugin, which, "/nonexistent/file.sxp"), filecmd::NotOpened);
        EXPECT_EQ(lastMessage(*plugin), "");
    }
    for (const auto which : {filecmd::SavePreset, filecmd::SaveBank})
        EXPECT_EQ(command(*plugin, which, "/nonexistent/folder/file.sxb"), filecmd::NotOpened);
    EXPECT_EQ(bankBytes(*plugin), before);
}

// Saved through one instance, loaded through another: the program and the
// bank arrive whole; the receiving program keeps its response path.
TEST(FileCommands, SaveAndLoadRoundTrip)
{
    auto source = StateHost::makePlugin();
    source->setProgram(3);
    source->setParameter(param::Reverb, 0.625f);
    TempFile preset("Round.Trip.sxp");
    TempFile bank("all.sxb");
    ASSERT_EQ(command(*source, filecmd::SavePreset, preset.c_str()), filecmd::Done);
    ASSERT_EQ(command(*source, filecmd::SaveBank, bank.c_str()), filecmd::Done);
    EXPECT_STREQ(source->programRecord(3).name, "Round.Trip");

    auto target = StateHost::makePlugin();
    target->setProgram(7);
    ASSERT_EQ(command(*target, filecmd::LoadPreset, preset.c_str()), filecmd::Done);
    EXPECT_STREQ(target->programRecord(7).name, "Round.Trip");
    EXPECT_EQ(target->getParameter(param::Reverb), 0.625f);
    EXPECT_STREQ(target->programRecord(7).irPath, "empty");

    auto other = StateHost::makePlugin();
    ASSERT_EQ(command(*other, filecmd::LoadBank, bank.c_str()), filecmd::Done);
    for (int p = 0; p < 24; ++p)
        EXPECT_STREQ(other->programRecord(p).name, source->programRecord(p).name) << p;
    EXPECT_EQ(other->programRecord(3).params[param::Reverb], 0.625f);
}

TEST(FileCommands, ResponsePathIsSetAndCleared)
{
    auto plugin = StateHost::makePlugin();
    TempFile response("response.wav", fixture::wav16({0, 16000, -8000, 4000, 0}));
    ASSERT_EQ(command(*plugin, filecmd::SetResponsePath, response.c_str()), filecmd::Done);
    EXPECT_EQ(std::string(plugin->programRecord(0).irPath), response.path());
    EXPECT_TRUE(plugin->switches().userResponseOn);
    EXPECT_NE(plugin->userResponseEngine().response(0)[1], 0.0);

    // Refused: the path it had stays.
    EXPECT_EQ(command(*plugin, filecmd::SetResponsePath, "/nonexistent/response.wav"), filecmd::Rejected);
    EXPECT_EQ(std::string(plugin->programRecord(0).irPath), response.path());
    const std::string tooLong(300, 'a');
    EXPECT_EQ(command(*plugin, filecmd::SetResponsePath, tooLong.c_str()), filecmd::Rejected);
    EXPECT_EQ(std::string(plugin->programRecord(0).irPath), response.path());

    for (const char* none : {"", "empty"}) {
        ASSERT_TRUE(plugin->setResponsePath(response.c_str()));
        EXPECT_EQ(command(*plugin, filecmd::SetResponsePath, none), filecmd::Done) << none;
        EXPECT_STREQ(plugin->programRecord(0).irPath, "empty") << none;
        EXPECT_FALSE(plugin->switches().userResponseOn) << none;
    }
}

// Other vendors' calls and unknown commands are not ours: answered 0.
TEST(FileCommands, ForeignCallsAreNotAnswered)
{
    auto plugin = StateHost::makePlugin();
    char path[] = "/tmp/whatever.sxp";
    EXPECT_EQ(plugin->dispatcher(vst::effVendorSpecific, 0x12345678, filecmd::LoadPreset, path, 0.0f), 0);
    EXPECT_EQ(plugin->dispatcher(vst::effVendorSpecific, filecmd::kFileCommandTag, 99, path, 0.0f), 0);
    EXPECT_EQ(plugin->dispatcher(vst::effVendorSpecific, filecmd::kFileCommandTag, filecmd::LastMessage, nullptr, 0.0f),
              filecmd::NotOpened);
}
