#include "tools/SpoolFile.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>

namespace host {

SpoolFile::SpoolFile(int channels) : channels(channels) {}

SpoolFile::~SpoolFile()
{
    if (file.is_open())
        file.close();
    if (!path.empty()) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
}

bool SpoolFile::open(std::string& error)
{
    std::error_code failure;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(failure);
    if (failure) {
        error = "no temporary folder for the render's output: " + failure.message();
        return false;
    }
    // Renders of a batch spool side by side: the name is unique per process and object.
    static std::atomic<unsigned> counter{0};
    std::random_device seed;
    const auto tag = std::to_string(seed()) + "-" + std::to_string(counter.fetch_add(1, std::memory_order_relaxed)) +
                     "-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    path = (folder / ("selvarine-render-" + tag + ".spool")).string();
    file.open(path, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
    if (!file) {
        error = "cannot create the temporary file '" + path + "'";
        path.clear();
        return false;
    }
    return true;
}

bool SpoolFile::append(const double* interleaved, std::size_t frames)
{
    if (!writing) {
        file.seekp(0, std::ios::end);
        writing = true;
    }
    file.write(reinterpret_cast<const char*>(interleaved),
               static_cast<std::streamsize>(frames * static_cast<std::size_t>(channels) * sizeof(double)));
    if (!file)
        return false;
    stored += frames;
    return true;
}

bool SpoolFile::read(std::uint64_t start, double* interleaved, std::size_t frames)
{
    if (start > stored || frames > stored - start)
        return false;
    const auto frameBytes = static_cast<std::uint64_t>(channels) * sizeof(double);
    if (writing)
        file.flush();
    writing = false;
    file.seekg(static_cast<std::streamoff>(start * frameBytes));
    file.read(reinterpret_cast<char*>(interleaved), static_cast<std::streamsize>(frames * frameBytes));
    return static_cast<bool>(file);
}

} // namespace host
