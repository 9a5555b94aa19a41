#include "host/AudioFile.h"

#include "host/AudioFileStream.h"
#include "host/WavFile.h"

#if SELVARINE_HAVE_SNDFILE
#include <sndfile.h>
#endif

#include <algorithm>
#include <cctype>
#include <filesystem>
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

struct AudioFileReader::State {
    SNDFILE* file = nullptr;
    SF_INFO info{};
    ~State()
    {
        if (file)
            sf_close(file);
    }
};

bool AudioFileReader::open(const std::string& path, std::string& error)
{
    auto opened = std::make_unique<State>();
    opened->file = sf_open(path.c_str(), SFM_READ, &opened->info);
    if (!opened->file) {
        error = "cannot read audio file '" + path + "': " + sf_strerror(nullptr);
        return false;
    }
    if (opened->info.channels <= 0 || opened->info.samplerate <= 0 || opened->info.frames < 0) {
        error = "audio file '" + path + "' has no usable channels or sample rate";
        return false;
    }
    state = std::move(opened);
    openedPath = path;
    return true;
}

int AudioFileReader::channels() const
{
    return state ? state->info.channels : 0;
}

double AudioFileReader::sampleRate() const
{
    return state ? state->info.samplerate : 0.0;
}

std::uint64_t AudioFileReader::frames() const
{
    return state ? static_cast<std::uint64_t>(state->info.frames) : 0;
}

std::size_t AudioFileReader::read(double* interleaved, std::size_t count, bool& failed)
{
    failed = false;
    if (!state || count == 0)
        return 0;
    const sf_count_t read = sf_readf_double(state->file, interleaved, static_cast<sf_count_t>(count));
    if (read < 0) {
        failed = true;
        return 0;
    }
    return static_cast<std::size_t>(read);
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

struct AudioFileWriter::State {
    std::string path;
    SNDFILE* file = nullptr;
    int channels = 0;
};

bool AudioFileWriter::open(const std::string& path, int channels, double sampleRate, SampleEncoding encoding,
                           std::string& error, std::string* note)
{
    abandon();
    SF_INFO info{};
    if (!formatFor(path, channels, sampleRate, encoding, info, error, note))
        return false;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        error = "cannot write audio file '" + path + "': " + sf_strerror(nullptr);
        return false;
    }
    // Integer encodings clip at full scale instead of wrapping around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    state = std::make_unique<State>();
    state->path = path;
    state->file = file;
    state->channels = channels;
    return true;
}

bool AudioFileWriter::write(const double* interleaved, std::size_t count, std::string& error)
{
    if (!state)
        return false;
    if (count > 0 && sf_writef_double(state->file, interleaved, static_cast<sf_count_t>(count)) !=
                         static_cast<sf_count_t>(count)) {
        error = "error while writing audio file '" + state->path + "'";
        abandon();
        return false;
    }
    return true;
}

bool AudioFileWriter::close(std::string& error)
{
    if (!state)
        return false;
    const int status = sf_close(state->file);
    state->file = nullptr;
    if (status != 0) {
        error = "error while writing audio file '" + state->path + "'";
        abandon();
        return false;
    }
    state.reset();
    return true;
}

void AudioFileWriter::abandon()
{
    if (!state)
        return;
    if (state->file)
        sf_close(state->file);
    // A half-written file must not pass for a result.
    std::error_code ignored;
    std::filesystem::remove(state->path, ignored);
    state.reset();
}

#else // no libsndfile: WAV files through our own reader and writer

struct AudioFileReader::State {
    WavReader wav;
};

bool AudioFileReader::open(const std::string& path, std::string& error)
{
    auto opened = std::make_unique<State>();
    if (!opened->wav.open(path, error))
        return false;
    state = std::move(opened);
    openedPath = path;
    return true;
}

int AudioFileReader::channels() const
{
    return state ? state->wav.channels() : 0;
}

double AudioFileReader::sampleRate() const
{
    return state ? state->wav.sampleRate() : 0.0;
}

std::uint64_t AudioFileReader::frames() const
{
    return state ? state->wav.frames() : 0;
}

std::size_t AudioFileReader::read(double* interleaved, std::size_t count, bool& failed)
{
    failed = false;
    return state ? state->wav.read(interleaved, count, failed) : 0;
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

struct AudioFileWriter::State {
    WavWriter wav;
};

bool AudioFileWriter::open(const std::string& path, int channels, double sampleRate, SampleEncoding encoding,
                           std::string& error, std::string* /*note: every encoding fits a WAV file*/)
{
    abandon();
    if (!canWriteAudioFormat(path, std::max(channels, 1), std::max(sampleRate, 1.0), encoding, error))
        return false;
    auto opened = std::make_unique<State>();
    if (!opened->wav.open(path, channels, sampleRate, encoding, error))
        return false;
    state = std::move(opened);
    return true;
}

bool AudioFileWriter::write(const double* interleaved, std::size_t count, std::string& error)
{
    if (!state)
        return false;
    if (!state->wav.write(interleaved, count, error)) {
        state.reset();
        return false;
    }
    return true;
}

bool AudioFileWriter::close(std::string& error)
{
    if (!state)
        return false;
    const bool closed = state->wav.close(error);
    state.reset();
    return closed;
}

void AudioFileWriter::abandon()
{
    state.reset(); // the WAV writer removes an unfinished file
}

#endif

AudioFileReader::AudioFileReader() = default;
AudioFileReader::~AudioFileReader() = default;

void AudioFileReader::close()
{
    state.reset();
}
AudioFileWriter::AudioFileWriter() = default;

AudioFileWriter::~AudioFileWriter()
{
    abandon();
}

namespace {

constexpr std::size_t kFileBlockFrames = 4096; // frames per read or write call of the whole-file functions

} // namespace

bool readAudioFile(const std::string& path, AudioBuffer& buffer, std::string& error)
{
    AudioFileReader reader;
    if (!reader.open(path, error))
        return false;
    const auto channels = static_cast<std::size_t>(reader.channels());
    AudioBuffer read;
    read.sampleRate = reader.sampleRate();
    read.channels.assign(channels, {});
    for (auto& channel : read.channels)
        channel.reserve(static_cast<std::size_t>(reader.frames()));
    std::vector<double> interleaved(kFileBlockFrames * channels);
    for (;;) {
        bool failed = false;
        const std::size_t n = reader.read(interleaved.data(), kFileBlockFrames, failed);
        if (failed) {
            error = "error while reading audio file '" + path + "'";
            return false;
        }
        if (n == 0)
            break;
        for (std::size_t c = 0; c < channels; ++c)
            for (std::size_t f = 0; f < n; ++f)
                read.channels[c].push_back(interleaved[f * channels + c]);
    }
    buffer = std::move(read);
    return true;
}

bool writeAudioFile(const std::string& path, const AudioBuffer& buffer, SampleEncoding encoding, std::string& error,
                    std::string* note)
{
    const std::size_t frames = buffer.numFrames();
    for (const std::vector<double>& channel : buffer.channels)
        if (channel.size() != frames) {
            error = "cannot write audio file '" + path + "': its channels differ in length";
            return false;
        }
    AudioFileWriter writer;
    if (!writer.open(path, buffer.numChannels(), buffer.sampleRate, encoding, error, note))
        return false;
    const auto channels = static_cast<std::size_t>(buffer.numChannels());
    std::vector<double> interleaved(kFileBlockFrames * channels);
    for (std::size_t start = 0; start < frames; start += kFileBlockFrames) {
        const std::size_t n = std::min(kFileBlockFrames, frames - start);
        for (std::size_t f = 0; f < n; ++f)
            for (std::size_t c = 0; c < channels; ++c)
                interleaved[f * channels + c] = buffer.channels[c][start + f];
        if (!writer.write(interleaved.data(), n, error))
            return false;
    }
    return writer.close(error);
}

} // namespace host
