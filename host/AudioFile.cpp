#include "host/AudioFile.h"

#include "host/WavFile.h"

#if SELVARINE_HAVE_SNDFILE
#include <sndfile.h>
#endif

#include <algorithm>
#include <cctype>
#include <limits>

namespace host {

namespace {

// The lower-case extension of the file name in `path`, empty if it has none.
std::string lowerExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// What every container needs: at least one channel and a sample rate a file header can hold.
bool checkShape(const std::string& path, int channels, double sampleRate, std::string& error)
{
    if (channels <= 0) {
        error = "nothing to write to '" + path + "'";
        return false;
    }
    if (!(sampleRate >= 1.0 && sampleRate <= std::numeric_limits<int>::max())) {
        error = "invalid sample rate for '" + path + "'";
        return false;
    }
    return true;
}

} // namespace

#if SELVARINE_HAVE_SNDFILE

namespace {

// Container chosen by the (lower-case) extension of the output path, 0 if unknown.
int containerForPath(const std::string& path)
{
    const std::string extension = lowerExtension(path);

    struct Entry {
        const char* extension;
        int format;
    };
    static constexpr Entry kContainers[] = {
        {"wav", SF_FORMAT_WAV},   {"wave", SF_FORMAT_WAV}, {"aif", SF_FORMAT_AIFF}, {"aiff", SF_FORMAT_AIFF},
        {"aifc", SF_FORMAT_AIFF}, {"flac", SF_FORMAT_FLAC}, {"ogg", SF_FORMAT_OGG}, {"caf", SF_FORMAT_CAF},
        {"au", SF_FORMAT_AU},     {"snd", SF_FORMAT_AU},   {"w64", SF_FORMAT_W64}, {"rf64", SF_FORMAT_RF64},
    };
    for (const Entry& entry : kContainers)
        if (extension == entry.extension)
            return entry.format;
    return 0;
}

int subtypeFor(SampleEncoding encoding)
{
    switch (encoding) {
    case SampleEncoding::Pcm16:
        return SF_FORMAT_PCM_16;
    case SampleEncoding::Pcm24:
        return SF_FORMAT_PCM_24;
    case SampleEncoding::Float32:
        break;
    }
    return SF_FORMAT_FLOAT;
}

} // namespace

bool readAudioFile(const std::string& path, AudioBuffer& buffer, std::string& error)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        error = "cannot read audio file '" + path + "': " + sf_strerror(nullptr);
        return false;
    }
    if (info.channels <= 0 || info.samplerate <= 0 || info.frames < 0) {
        sf_close(file);
        error = "audio file '" + path + "' has no usable channels or sample rate";
        return false;
    }

    const auto frames = static_cast<std::size_t>(info.frames);
    const auto channels = static_cast<std::size_t>(info.channels);
    std::vector<double> interleaved(frames * channels);
    const sf_count_t read = frames > 0 ? sf_readf_double(file, interleaved.data(), info.frames) : 0;
    sf_close(file);
    if (read < 0) {
        error = "error while reading audio file '" + path + "'";
        return false;
    }

    const auto framesRead = static_cast<std::size_t>(read);
    buffer.sampleRate = info.samplerate;
    buffer.channels.assign(channels, std::vector<double>(framesRead));
    for (std::size_t f = 0; f < framesRead; ++f)
        for (std::size_t c = 0; c < channels; ++c)
            buffer.channels[c][f] = interleaved[f * channels + c];
    return true;
}

namespace {

// The libsndfile description of a file to write, or false with `error`.
bool formatFor(const std::string& path, int channels, double sampleRate, SampleEncoding encoding, SF_INFO& info,
               std::string& error, std::string* note)
{
    const int container = containerForPath(path);
    if (container == 0) {
        error = "cannot tell the audio format of '" + path +
                "' from its extension (use .wav, .aif, .aiff, .flac, .ogg, .caf, .au, .w64 or .rf64)";
        return false;
    }
    if (!checkShape(path, channels, sampleRate, error))
        return false;

    info = SF_INFO{};
    info.channels = channels;
    info.samplerate = static_cast<int>(sampleRate + 0.5);
    if (container == SF_FORMAT_OGG)
        info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS; // a lossy container has a single encoding
    else
        info.format = container | subtypeFor(encoding);

    if (!sf_format_check(&info) && encoding == SampleEncoding::Float32) {
        info.format = container | SF_FORMAT_PCM_24;
        if (note)
            *note = "this container cannot hold 32-bit float samples; writing 24-bit PCM";
    }
    if (!sf_format_check(&info)) {
        error = "libsndfile cannot write this sample rate, channel count or encoding to '" + path + "'";
        return false;
    }
    return true;
}

} // namespace

bool canWriteAudioFormat(const std::string& path, int channels, double sampleRate, SampleEncoding encoding,
                         std::string& error)
{
    SF_INFO info{};
    return formatFor(path, channels, sampleRate, encoding, info, error, nullptr);
}

bool writeAudioFile(const std::string& path, const AudioBuffer& buffer, SampleEncoding encoding, std::string& error,
                    std::string* note)
{
    SF_INFO info{};
    if (!formatFor(path, buffer.numChannels(), buffer.sampleRate, encoding, info, error, note))
        return false;

    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        error = "cannot write audio file '" + path + "': " + sf_strerror(nullptr);
        return false;
    }
    // Integer encodings clip at full scale instead of wrapping around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);

    const std::size_t frames = buffer.numFrames();
    const auto channels = static_cast<std::size_t>(buffer.numChannels());
    std::vector<double> interleaved(frames * channels);
    for (std::size_t f = 0; f < frames; ++f)
        for (std::size_t c = 0; c < channels; ++c)
            interleaved[f * channels + c] = buffer.channels[c][f];

    const sf_count_t written =
        frames > 0 ? sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(frames)) : 0;
    const int closeStatus = sf_close(file);
    if (written != static_cast<sf_count_t>(frames) || closeStatus != 0) {
        error = "error while writing audio file '" + path + "'";
        return false;
    }
    return true;
}

#else // no libsndfile: WAV files through our own reader and writer

bool readAudioFile(const std::string& path, AudioBuffer& buffer, std::string& error)
{
    return readWavFile(path, buffer, error);
}

bool canWriteAudioFormat(const std::string& path, int channels, double sampleRate, SampleEncoding /*every encoding fits*/,
                         std::string& error)
{
    const std::string extension = lowerExtension(path);
    if (extension != "wav" && extension != "wave") {
        constexpr const char* kOtherContainers[] = {"aif", "aiff", "aifc", "flac", "ogg", "caf", "au", "snd", "w64", "rf64"};
        if (std::find(std::begin(kOtherContainers), std::end(kOtherContainers), extension) != std::end(kOtherContainers))
            error = "cannot write '" + path + "': this build writes WAV files only (use .wav)";
        else
            error = "cannot tell the audio format of '" + path + "' from its extension (use .wav)";
        return false;
    }
    if (!checkShape(path, channels, sampleRate, error))
        return false;
    return true;
}

bool writeAudioFile(const std::string& path, const AudioBuffer& buffer, SampleEncoding encoding, std::string& error,
                    std::string* /*note: every encoding fits a WAV file*/)
{
    if (!canWriteAudioFormat(path, std::max(buffer.numChannels(), 1), std::max(buffer.sampleRate, 1.0), encoding, error))
        return false;
    return writeWavFile(path, buffer, encoding, error);
}

#endif

} // namespace host
