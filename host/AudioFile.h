#pragma once

// Reading and writing whole audio files. Audio is held deinterleaved, one
// vector per channel, in double precision. Builds with libsndfile (Linux) read
// and write every container it knows; builds without it (Windows) read and
// write WAV files through host/WavFile.h.

#include <string>
#include <vector>

namespace host {

struct AudioBuffer {
    std::vector<std::vector<double>> channels; // channels[c][frame], nominally -1..1
    double sampleRate = 44100.0;               // Hz

    int numChannels() const { return static_cast<int>(channels.size()); }
    std::size_t numFrames() const { return channels.empty() ? 0 : channels[0].size(); }
};

// Sample encoding of a written file.
enum class SampleEncoding {
    Float32, // 32-bit IEEE float (falls back to 24-bit PCM where the container has no float)
    Pcm16,
    Pcm24,
};

// Reads every frame of the file at `path`. Returns false and fills `error`
// ("cannot read audio file ...") when the file is missing, unreadable or not
// an audio format this build knows.
bool readAudioFile(const std::string& path, AudioBuffer& buffer, std::string& error);

// Writes `buffer` to `path`; the container follows the file's extension (wav,
// aif/aiff, flac, ogg, caf, au, w64, rf64; wav only without libsndfile).
// Samples beyond full scale are clipped in integer encodings. `note` receives
// a remark when the encoding had to change for the container. Returns false and fills `error` on failure.
bool writeAudioFile(const std::string& path, const AudioBuffer& buffer, SampleEncoding encoding, std::string& error,
                    std::string* note = nullptr);

// Whether writeAudioFile() knows the container that `path`'s extension names
// and can hold `channels` channels at `sampleRate` in `encoding` (or its
// fallback), without touching the file system. Fills `error` as the writer
// would when not.
bool canWriteAudioFormat(const std::string& path, int channels, double sampleRate, SampleEncoding encoding,
                         std::string& error);

} // namespace host
