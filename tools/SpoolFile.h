#pragma once
// A temporary file of interleaved double frames: where a render that must see
// its whole output before writing it (normalising, cutting the silent end)
// keeps that output instead of in memory. The file is removed with the object.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace host {

class SpoolFile {
public:
    explicit SpoolFile(int channels);
    ~SpoolFile();
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;

    // Creates the file in the system's temporary folder.
    bool open(std::string& error);

    bool append(const double* interleaved, std::size_t frames);
    // Reads `frames` frames from frame `start` (which must be stored).
    bool read(std::uint64_t start, double* interleaved, std::size_t frames);

    std::uint64_t frames() const { return stored; }

private:
    int channels;
    std::string path;
    std::fstream file;
    std::uint64_t stored = 0;
    bool writing = true; // the stream's last operation was a write
};

} // namespace host
