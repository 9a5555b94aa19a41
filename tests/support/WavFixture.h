#pragma once

// Builds small RIFF/WAVE files byte by byte for the tests, with every header
// field under the test's control so that broken files can be made as easily
// as good ones.

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <unistd.h>

namespace fixture {

using Bytes = std::vector<unsigned char>;

inline void put16(Bytes& b, std::uint32_t v)
{
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
inline void put24(Bytes& b, std::int32_t v)
{
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
    b.push_back(std::uint8_t(v >> 16));
}
inline void put32(Bytes& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
inline void putTag(Bytes& b, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(std::uint8_t(tag[i]));
}

// The header fields of one file. Defaults describe 16-bit mono PCM; the
// overrides (0 = derive) let a test declare sizes that the data does not match.
struct WavLayout {
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 1;
    std::uint16_t bits = 16;
    std::uint32_t rate = 44100;
    int blockAlign = -1;        // -1: channels * bits / 8
    std::int64_t dataSize = -1; // -1: the size of the data actually written
};

// Header bytes: RIFF, fmt chunk and data header, ready for the sample bytes.
inline Bytes header(const WavLayout& s, std::size_t dataBytes)
{
    const std::uint32_t align = s.blockAlign >= 0 ? std::uint32_t(s.blockAlign) : std::uint32_t(s.channels * s.bits / 8);
    const std::uint32_t declared = s.dataSize >= 0 ? std::uint32_t(s.dataSize) : std::uint32_t(dataBytes);
    Bytes b;
    putTag(b, "RIFF");
    put32(b, std::uint32_t(36 + dataBytes));
    putTag(b, "WAVE");
    putTag(b, "fmt ");
    put32(b, 16);
    put16(b, s.formatTag);
    put16(b, s.channels);
    put32(b, s.rate);
    put32(b, s.rate * align);
    put16(b, align);
    put16(b, s.bits);
    putTag(b, "data");
    put32(b, declared);
    return b;
}

// The value the reader gives a 16-bit sample.
inline double level16(std::int16_t s) { return s <= 0 ? s / 32768.0 : s / 32767.0; }

// A 16-bit PCM file holding `samples` (interleaved when channels > 1).
inline Bytes wav16(const std::vector<std::int16_t>& samples, std::uint16_t channels = 1)
{
    WavLayout s;
    s.channels = channels;
    Bytes data;
    for (std::int16_t x : samples)
        put16(data, std::uint16_t(x));
    Bytes b = header(s, data.size());
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// A scratch folder of this test process. ctest runs the tests of one binary
// as parallel processes, so fixtures with the same name must not meet.
// The folder goes with the process.
inline const std::string& processTempDir()
{
    struct Folder {
        std::string path = testing::TempDir() + "selvarine-state-" + std::to_string(getpid()) + "/";
        Folder() { std::filesystem::create_directories(path); }
        ~Folder()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder;
    return folder.path;
}

// A file in the test process's temporary folder, removed when the object goes.
class TempFile {
public:
    explicit TempFile(const std::string& name) : path_(processTempDir() + name) {}
    TempFile(const std::string& name, const Bytes& bytes) : TempFile(name) { write(bytes); }
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void write(const Bytes& bytes) const
    {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    Bytes read() const
    {
        std::ifstream in(path_, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    const std::string& path() const { return path_; }
    const char* c_str() const { return path_.c_str(); }

private:
    std::string path_; // absolute path in the test's temporary folder
};

} // namespace fixture
