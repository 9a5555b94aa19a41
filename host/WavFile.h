#pragma once

// RIFF/WAVE files without any library: the audio file code of builds that have
// no libsndfile (the Windows build), and a format small enough to check by
// hand. Files are read as untrusted input: every size in them is checked
// against the file's real length before it is used, and nothing is allocated
// for samples the file does not contain.
//
// Read: integer PCM of 16, 24 or 32 bits and 32-bit IEEE float, any channel
// count up to kMaxWavChannels, in the plain format chunk or in the extensible
// one (WAVE_FORMAT_EXTENSIBLE with the PCM or float subformat). Chunks other
// than "fmt " and "data" are skipped. A data chunk that claims more bytes than
// the file holds yields the whole frames that are present, as libsndfile does.
//
// Written: 16- and 24-bit PCM and 32-bit float with the plain format chunk
// (tags 1 and 3, a "fact" chunk for float), at most 4 GiB.

#include "host/AudioFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace host {

// The sample encoding found in a file that was read.
enum class WavEncoding {
    Pcm16,
    Pcm24,
    Pcm32,
    Float32,
};

// What a read found besides the samples.
struct WavFormatInfo {
    WavEncoding encoding = WavEncoding::Pcm16; // sample encoding of the data chunk
    bool extensible = false;                   // the format chunk was WAVE_FORMAT_EXTENSIBLE
    std::uint64_t declaredFrames = 0;          // frames the data chunk's size announces
};

constexpr int kMaxWavChannels = 256; // more channels than any file this host meets

// A WAV file read a block at a time, for files longer than memory should hold.
class WavReader {
public:
    WavReader();
    ~WavReader();
    WavReader(const WavReader&) = delete;
    WavReader& operator=(const WavReader&) = delete;

    // Opens the file and checks its header; on failure `error` reads as
    // readWavFile's would.
    bool open(const std::string& path, std::string& error);

    int channels() const;
    double sampleRate() const;
    std::uint64_t frames() const; // whole frames the file holds
    WavFormatInfo format() const;

    // Decodes the next `count` frames (fewer at the end) into `interleaved`
    // (count x channels values, scaled as readWavFile scales). Answers the
    // frames read; `failed` tells a read error from the end of the data.
    std::size_t read(double* interleaved, std::size_t count, bool& failed);

private:
    struct State;
    std::unique_ptr<State> state;
};

// A WAV file written a block at a time; the sizes in its header are filled in
// by close(). A writer destroyed or failing before close() removes the file.
class WavWriter {
public:
    WavWriter();
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool open(const std::string& path, int channels, double sampleRate, SampleEncoding encoding, std::string& error);
    // Appends `count` frames of `interleaved` samples, encoded as writeWavFile does.
    bool write(const double* interleaved, std::size_t count, std::string& error);
    bool close(std::string& error);

private:
    void abandon();

    struct State;
    std::unique_ptr<State> state;
};

// Reads the whole file into `buffer` (integer samples scaled to -1..1 by
// 2^(bits-1), float samples as stored). Returns false and sets `error` to
// "cannot read audio file '<path>': <reason>" when the file cannot be opened
// or is not a WAV file of a supported encoding. `info` may be null.
bool readWavFile(const std::string& path, AudioBuffer& buffer, std::string& error, WavFormatInfo* info = nullptr);

// Writes `buffer` to `path`. Integer encodings scale by 2^(bits-1), round to
// nearest and clip at full scale; a NaN becomes 0. The sample rate is rounded
// to whole hertz. On failure nothing is left at `path`, and `error` reads
// "cannot write audio file '<path>': <reason>" (or names the bad argument).
bool writeWavFile(const std::string& path, const AudioBuffer& buffer, SampleEncoding encoding, std::string& error);

} // namespace host
