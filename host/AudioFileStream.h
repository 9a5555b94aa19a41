#pragma once

// Audio files read and written a block at a time, so that a file of any
// length passes through a fixed amount of memory. Samples travel interleaved
// in double precision (frame after frame, channel after channel). The
// containers and encodings are those of readAudioFile() and writeAudioFile().

#include "host/AudioFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace host {

class AudioFileReader {
public:
    AudioFileReader();
    ~AudioFileReader();
    AudioFileReader(const AudioFileReader&) = delete;
    AudioFileReader& operator=(const AudioFileReader&) = delete;

    // Opens the file; `error` as readAudioFile() words it.
    bool open(const std::string& path, std::string& error);
    // Lets the file go (also done on destruction).
    void close();
    const std::string& path() const { return openedPath; }

    int channels() const;
    double sampleRate() const;
    std::uint64_t frames() const; // as the file announces them; a damaged file may end sooner

    // Reads the next `count` frames (fewer at the end) into `interleaved`.
    // Answers the frames read; `failed` tells a read error from the end.
    std::size_t read(double* interleaved, std::size_t count, bool& failed);

private:
    struct State;
    std::unique_ptr<State> state;
    std::string openedPath;
};

class AudioFileWriter {
public:
    AudioFileWriter();
    ~AudioFileWriter(); // removes a file that was opened and not closed
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    // Creates the file; the container follows the extension as in
    // writeAudioFile(), `note` receives its remark on a changed encoding.
    bool open(const std::string& path, int channels, double sampleRate, SampleEncoding encoding, std::string& error,
              std::string* note = nullptr);
    // Appends `count` frames; integer encodings clip at full scale.
    bool write(const double* interleaved, std::size_t count, std::string& error);
    // Finishes the file. A writer that fails at any step removes the file.
    bool close(std::string& error);

private:
    void abandon();

    struct State;
    std::unique_ptr<State> state;
};

} // namespace host
