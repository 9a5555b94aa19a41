// The plug-in end to end, as a host drives it: a state chunk (or the same
// bytes as a preset or bank file) restored into one reused Doxaro, a program
// switch, both process paths, a rate change, suspend and resume, and audio
// after each step. Every input starts from the state of a new instance (the
// factory bank, program 0, 44100 Hz, host tempo 120, every block's audio
// memory empty), so a finding replays alone (see Harness).
//
// Input: an 8-byte header, then the chunk or file.
//   [0] bit 0 single program (else bank), bit 1 load the bytes as a preset or
//       bank file instead, bit 2 save the program or bank to a file after,
//       bit 3 change the rate after the restore, bit 4 suspend and resume
//       after it, bit 5 switch program after it, bit 6 automate a parameter
//   [1] program to switch to, [2] rate for the change, [3] block length,
//   [4] tempo the host reports, [5] parameter, [6] its value,
//   [7] which harness WAV file a path "@" names
// A path field that starts with '@' names one of the small WAV files the
// harness writes to its own folder; any other path is made relative and
// unlikely ('#' in front), so that a run never opens a device or a pipe.
// The custom mutator changes whole fields of well-formed chunks: names,
// values, flags, paths and headers.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "plugin/Doxaro.h"
#include "plugin/PresetFiles.h"
#include "plugin/UserMessages.h"
#include "tests/fuzz/FuzzBank.h"
#include "tests/fuzz/FuzzFile.h"
#include "tests/fuzz/FuzzSeeds.h"
#include "tests/fuzz/FuzzWav.h"
#include "vst/VstInterface.h"

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

constexpr std::size_t kHeader = 8;
constexpr float kRates[] = {22050.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f, 176400.0f, 192000.0f, 384000.0f};
constexpr double kTempos[] = {120.0, 0.0, -5.0, 1e-9, 999.0, NAN, INFINITY, 60.0};
constexpr float kBaseRate = 44100.0f;

vst::VstTimeInfo timeInfo{};

vst::VstIntPtr host(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr, void*, float)
{
    switch (opcode) {
    case vst::audioMasterVersion:
        return vst::kVstVersion;
    case vst::audioMasterGetTime:
        return reinterpret_cast<vst::VstIntPtr>(&timeInfo);
    default:
        return 0;
    }
}

struct IgnoredMessages : UserMessages {
    void show(const char*) override {}
};

struct Folder;
Folder& folder();

// The harness's own folder: the WAV files paths may name, and the files it loads and saves.
struct Folder {
    std::string path;
    std::vector<std::string> wavs;

    Folder()
    {
        std::string name = std::string(fuzzScratchFolder()) + "/selvarine-fuzz-XXXXXX";
        if (::mkdtemp(name.data()) == nullptr)
            std::abort();
        path = name;
        // Gone when the process ends normally; a crash leaves it for the reproducer.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(folder().path, ignored);
        });
        const std::vector<std::uint8_t> files[] = {
            makeWav(1, 16, 1, 44100, 96),       makeWav(1, 24, 2, 48000, 200),
            makeWav(3, 32, 2, 96000, 64),       makeWav(1, 32, 1, 192000, 300),
            makeWav(0xFFFE, 24, 2, 44100, 40),  makeWav(3, 16, 1, 44100, 50),
            makeWav(1, 16, 2, 44100, 9000),     std::vector<std::uint8_t>{'R', 'I', 'F', 'F'},
        };
        for (const auto& bytes : files) {
            wavs.push_back(path + "/ir" + std::to_string(wavs.size()) + ".wav");
            write(wavs.back(), bytes.data(), bytes.size());
        }
    }

    static void write(const std::string& file, const void* data, std::size_t size)
    {
        if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
            if (size > 0)
                std::fwrite(data, 1, size, f);
            std::fclose(f);
        }
    }
};

Folder& folder()
{
    static Folder* f = new Folder();
    return *f;
}

// Points a chunk's path field at a harness file or somewhere harmless.
void fixPath(char* path, std::uint8_t choice)
{
    if (path[0] == '@') {
        const std::string& wav = folder().wavs[choice % folder().wavs.size()];
        std::memset(path, 0, ProgramRecord::kPathSize);
        std::memcpy(path, wav.data(), wav.size());
    } else if (namesResponseFile(path)) {
        path[0] = '#';
    }
}

// The plug-in's state after an input and the audio it played, hashed
// (FNV-1a), for the replay check and the digests.
std::uint64_t stateHash = 0;
// Output samples of the current input that were not finite numbers.
int nonFiniteOutputs = 0;

void hashBytes(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i)
        stateHash = (stateHash ^ bytes[i]) * 0x100000001B3ull;
}

template <typename Sample>
void processBlock(Doxaro& plugin, int frames)
{
    static std::array<Sample, 256> in, outL, outR;
    for (int n = 0; n < frames; ++n)
        in[std::size_t(n)] = Sample(n % 7 == 0 ? 0.8 : -0.3);
    Sample* inputs[2] = {in.data(), in.data()};
    Sample* outputs[2] = {outL.data(), outR.data()};
    if constexpr (sizeof(Sample) == sizeof(float))
        plugin.processReplacing(inputs, outputs, frames);
    else
        plugin.processDoubleReplacing(inputs, outputs, frames);
    for (int n = 0; n < frames; ++n)
        if (!std::isfinite(outL[std::size_t(n)]) || !std::isfinite(outR[std::size_t(n)]))
            ++nonFiniteOutputs;
    hashBytes(outL.data(), sizeof(Sample) * std::size_t(frames));
    hashBytes(outR.data(), sizeof(Sample) * std::size_t(frames));
}

// One instance for the whole run, and the chunk of a new one to return to.
struct Harness {
    Doxaro plugin{&host};
    IgnoredMessages messages;
    std::vector<std::uint8_t> freshBank;
    std::vector<std::uint8_t> chunk;

    Harness()
    {
        timeInfo.tempo = 120.0;
        timeInfo.sampleRate = kBaseRate;
        void* data = nullptr;
        const vst::VstInt32 size = plugin.getChunk(&data, false);
        freshBank.assign(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
        // The first input starts from exactly where every later one does.
        reset();
    }

    // Back to the state of a new instance: factory bank, program 0,
    // 44100 Hz, the host's tempo 120 (read again at the restart), and a stop
    // and start as a host does it, which empties every block's audio memory
    // (filter histories, envelopes, the tremolo phase, the reverb lines, the
    // convolvers, the limiter). The program is switched only when the input
    // switched it; applying the unchanged bank rebuilds nothing.
    void reset()
    {
        timeInfo.tempo = 120.0;
        if (plugin.getProgram() != 0)
            plugin.setProgram(0);
        plugin.setChunk(freshBank.data(), vst::VstInt32(freshBank.size()), false);
        plugin.setSampleRate(kBaseRate);
        plugin.suspend();
        plugin.resume();
    }
};

} // namespace

namespace {

// One input, from the state of a new instance back to it.
void runInput(Harness* h, const std::uint8_t* data, std::size_t size)
{
    Doxaro& plugin = h->plugin;
    const std::uint8_t flags = data[0];
    const bool single = flags & 1;
    const std::size_t chunkSize = single ? sizeof(ProgramRecord) : sizeof(BankImage);
    const int frames = 1 + data[3] % 128;
    timeInfo.tempo = kTempos[data[4] % std::size(kTempos)];

    std::vector<std::uint8_t>& chunk = h->chunk;
    chunk.assign(data + kHeader, data + size);
    chunk.resize(chunkSize, 0);
    if (single) {
        fixPath(reinterpret_cast<char*>(chunk.data()) + offsetof(ProgramRecord, irPath), data[7]);
    } else {
        for (int k = 0; k < BankImage::kPrograms; ++k)
            fixPath(reinterpret_cast<char*>(chunk.data()) + offsetof(BankImage, programs) + std::size_t(k) * sizeof(ProgramRecord) +
                        offsetof(ProgramRecord, irPath),
                    std::uint8_t(data[7] + k));
    }

    if (flags & 2) {
        PresetFiles files(plugin, h->messages);
        const std::string file = folder().path + (single ? "/in.sxp" : "/in.sxb");
        Folder::write(file, data + kHeader, size - kHeader);
        const auto result = single ? files.loadPreset(file.c_str()) : files.loadBank(file.c_str());
        if (result == PresetFiles::Result::NotOpened)
            __builtin_trap();
    } else if (plugin.setChunk(chunk.data(), vst::VstInt32(chunk.size()), single) != 1) {
        __builtin_trap();
    }
    // The heavy side of a change runs on the plug-in's worker; waiting for
    // it keeps the output a function of the input alone.
    plugin.waitForSettings();
    processBlock<float>(plugin, frames);

    if (flags & 32)
        plugin.setProgram(data[1] % Doxaro::kNumPrograms);
    if (flags & 64)
        plugin.setParameter(data[5] % param::Count, data[6] / 255.0f);
    plugin.waitForSettings();
    const bool rateChange = flags & 8;
    if (rateChange) {
        plugin.suspend();
        plugin.setSampleRate(kRates[data[2] % std::size(kRates)]);
        plugin.resume();
    }
    if (flags & 16) {
        plugin.suspend();
        plugin.resume();
    }
    processBlock<double>(plugin, frames);
    processBlock<float>(plugin, frames);

    for (int k = 0; k < Doxaro::kNumPrograms; ++k)
        if (!recordIsSafe(plugin.programRecord(k)))
            __builtin_trap();

    if (flags & 4) {
        PresetFiles files(plugin, h->messages);
        const std::string file = folder().path + (single ? "/out.sxp" : "/out.sxb");
        const auto saved = single ? files.savePreset(file.c_str()) : files.saveBank(file.c_str());
        const auto loaded = single ? files.loadPreset(file.c_str()) : files.loadBank(file.c_str());
        if (saved != PresetFiles::Result::Done || loaded != PresetFiles::Result::Done)
            __builtin_trap();
        // A folder that does not exist: nothing is written or read, nothing shown.
        const std::string missing = folder().path + "/missing/file";
        if (files.saveBank(missing.c_str()) != PresetFiles::Result::NotOpened ||
            files.loadPreset(missing.c_str()) != PresetFiles::Result::NotOpened)
            __builtin_trap();
    }

    plugin.waitForSettings();
    // What the input left behind, for the replay check.
    // The harness folder's name differs from run to run: paths into it are
    // hashed without it, so that digests compare across processes.
    void* bankData = nullptr;
    const vst::VstInt32 bankSize = plugin.getChunk(&bankData, false);
    if (bankSize == vst::VstInt32(sizeof(BankImage))) {
        static BankImage bank;
        std::memcpy(&bank, bankData, sizeof bank);
        const std::string& prefix = folder().path;
        for (ProgramRecord& record : bank.programs)
            if (std::strncmp(record.irPath, prefix.c_str(), prefix.size()) == 0) {
                std::memmove(record.irPath, record.irPath + prefix.size(), sizeof record.irPath - prefix.size());
                std::memset(record.irPath + sizeof record.irPath - prefix.size(), 0, prefix.size());
            }
        hashBytes(&bank, sizeof bank);
    } else {
        hashBytes(bankData, std::size_t(bankSize));
    }
    const int program = plugin.getProgram();
    hashBytes(&program, sizeof program);
    for (int i = 0; i < param::Count; ++i) {
        const float value = plugin.getParameter(i);
        hashBytes(&value, sizeof value);
    }
    const Doxaro::Switches switches = plugin.switches();
    const bool userResponse = plugin.userResponseEngine().hasResponse();
    const double tempo = plugin.tremoloTempo();
    for (const auto& [field, bytes] : {std::pair<const void*, std::size_t>{&switches.bypassed, sizeof switches.bypassed},
                                       {&switches.oversampling, sizeof switches.oversampling},
                                       {&switches.modelIndex, sizeof switches.modelIndex},
                                       {&switches.stereoCabinet, sizeof switches.stereoCabinet},
                                       {&switches.cabinetsOn, sizeof switches.cabinetsOn},
                                       {&switches.userResponseOn, sizeof switches.userResponseOn},
                                       {&switches.meterOn, sizeof switches.meterOn},
                                       {&userResponse, sizeof userResponse},
                                       {&tempo, sizeof tempo}})
        hashBytes(field, bytes);

    h->reset();
}

} // namespace

// With SELVARINE_FUZZ_REPLAY_CHECK set, every input runs twice and must leave
// the same state and play the same audio both times (bank, program,
// parameters, switches, response, tempo, every output sample): the reset
// leaves nothing behind for the next input. It also reports inputs whose
// audio held values that are not finite. With SELVARINE_FUZZ_DIGEST set,
// each input's digest of the same is printed, so that a run of several
// inputs and a run of one alone can be compared.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Harness* h = new Harness();
    static const bool replayCheck = std::getenv("SELVARINE_FUZZ_REPLAY_CHECK") != nullptr;
    static const bool printDigest = std::getenv("SELVARINE_FUZZ_DIGEST") != nullptr;
    if (size < kHeader)
        return 0;
    stateHash = 0xCBF29CE484222325ull;
    nonFiniteOutputs = 0;
    runInput(h, data, size);
    if (printDigest)
        std::fprintf(stderr, "digest %016llx\n", static_cast<unsigned long long>(stateHash));
    if (replayCheck) {
        const std::uint64_t first = stateHash;
        if (nonFiniteOutputs > 0)
            std::fprintf(stderr, "replay check: %d output samples not finite\n", nonFiniteOutputs);
        stateHash = 0xCBF29CE484222325ull;
        runInput(h, data, size);
        if (stateHash != first) {
            std::fprintf(stderr, "replay check: the same input left a different state after the reset\n");
            __builtin_trap();
        }
    }
    return 0;
}

namespace {

// A well-formed input: header bytes and the chunk of a new instance.
std::size_t wellFormed(std::uint8_t* data, std::size_t maxSize, std::mt19937& random)
{
    static const BankImage bank = factoryBank();
    const bool single = random() % 4 == 0;
    const std::size_t chunkSize = single ? sizeof(ProgramRecord) : sizeof(BankImage);
    if (maxSize < kHeader + chunkSize)
        return 0;
    for (std::size_t i = 0; i < kHeader; ++i)
        data[i] = std::uint8_t(random());
    data[0] = std::uint8_t((data[0] & ~1u) | (single ? 1 : 0));
    std::memcpy(data + kHeader, single ? static_cast<const void*>(&bank.programs[random() % BankImage::kPrograms]) : &bank,
                chunkSize);
    return kHeader + chunkSize;
}

// Replaces one field of one record with a value chosen to matter.
void mutateField(std::uint8_t* record, std::mt19937& random)
{
    auto* r = reinterpret_cast<ProgramRecord*>(record);
    switch (random() % 6) {
    case 0: { // name: any length, with or without its terminator
        const std::size_t length = random() % (ProgramRecord::kNameSize + 1);
        for (std::size_t i = 0; i < length && i < sizeof r->name; ++i)
            r->name[i] = char(random() % 3 == 0 ? random() : ' ' + random() % 95);
        if (length < sizeof r->name)
            r->name[length] = '\0';
        break;
    }
    case 1:
    case 2: { // a parameter value
        static const float values[] = {0.0f, 1.0f, 0.5f, 0.33f, 0.34f, 0.66f, 0.67f, -1.0f, 2.0f, 1e-40f, -0.0f,
                                       NAN, INFINITY, -INFINITY, 1e30f, 0.25f, 0.75f, 0.3f, 0.6f};
        const int index = int(random() % param::Count);
        r->params[index] = random() % 3 == 0 ? float(random()) / float(std::mt19937::max()) : values[random() % std::size(values)];
        break;
    }
    case 3: { // the flags
        static const std::int16_t flags[] = {0, 1, -1, 2, 256, 32767};
        (random() % 2 ? r->panelFlag : r->meterFlag) = flags[random() % std::size(flags)];
        break;
    }
    case 4: { // the path: a harness WAV file, none, or something odd
        std::memset(r->irPath, 0, sizeof r->irPath);
        switch (random() % 5) {
        case 0:
        case 1:
            r->irPath[0] = '@';
            break;
        case 2:
            std::strcpy(r->irPath, kNoResponsePath);
            break;
        case 3:
            std::memset(r->irPath, 'x', sizeof r->irPath); // no terminator
            break;
        default:
            std::strcpy(r->irPath, "nonexistent/ir.wav");
            break;
        }
        break;
    }
    default: // the record's header
        if (random() % 2)
            r->magic[random() % sizeof r->magic] = char(random());
        else
            r->version = std::int16_t(random());
        break;
    }
}

} // namespace

namespace {

FuzzSeeds makeSeeds()
{
    BankImage bank = factoryBank();
    // A few programs name harness WAV files; one asks for the oversampled amplifier and stereo cabinets.
    for (int k : {0, 3, 7, 12})
        std::strcpy(bank.programs[k].irPath, "@");
    bank.programs[3].params[param::HighRes] = 0.0f;
    bank.programs[3].params[param::CabType] = 1.0f;
    bank.programs[7].params[param::CabType] = 0.5f;
    FuzzSeeds seeds;
    // Header: steps, program, rate, block length, tempo, parameter, value, WAV file.
    const std::uint8_t steps[] = {0, 8, 16, 32, 8 | 16 | 32 | 64, 2, 2 | 4, 4, 32 | 8};
    std::uint8_t n = 0;
    for (std::uint8_t s : steps) {
        ++n;
        seeds.push_back(seedOf({s, std::uint8_t(3 * n), n, std::uint8_t(17 * n), n, std::uint8_t(5 * n), std::uint8_t(29 * n), n}, bank));
        seeds.push_back(seedOf({std::uint8_t(s | 1), n, std::uint8_t(n + 3), std::uint8_t(31 * n), 0, n, 0, n}, bank.programs[n % 2 ? 3 : 7]));
    }
    return seeds;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    writeSeedsIfAsked(makeSeeds);
    return 0;
}

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned int seed)
{
    std::mt19937 random(seed);
    const bool single = size > 0 && (data[0] & 1);
    const std::size_t chunkSize = single ? sizeof(ProgramRecord) : sizeof(BankImage);
    if (size < kHeader + chunkSize || random() % 64 == 0) {
        const std::size_t made = wellFormed(data, maxSize, random);
        if (made > 0)
            return made;
    }
    switch (random() % 8) {
    case 0: // the header bytes: which steps run, and how
        LLVMFuzzerMutate(data, kHeader, kHeader);
        data[0] = std::uint8_t((data[0] & ~1u) | (single ? 1 : 0));
        return size;
    case 1: // anything
        return LLVMFuzzerMutate(data, size, maxSize);
    default: { // whole fields of one or a few records
        const int records = single ? 1 : BankImage::kPrograms;
        std::uint8_t* first = data + kHeader + (single ? 0 : offsetof(BankImage, programs));
        const int count = 1 + int(random() % 3);
        for (int i = 0; i < count; ++i)
            mutateField(first + std::size_t(random() % unsigned(records)) * sizeof(ProgramRecord), random);
        if (random() % 4 == 0)
            data[7] = std::uint8_t(random());
        return size;
    }
    }
}
