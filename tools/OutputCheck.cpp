#include "tools/OutputCheck.h"

#include <filesystem>
#include <set>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace host {

namespace {

namespace fs = std::filesystem;

bool folderIsWritable(const fs::path& folder)
{
#ifdef _WIN32
    return _access(folder.string().c_str(), 2) == 0;
#else
    return access(folder.c_str(), W_OK) == 0;
#endif
}

// The folder exists, is a folder, and may be written; `what` names it in the error.
bool checkFolder(const fs::path& folder, const std::string& what, std::string& error)
{
    std::error_code ec;
    if (!fs::exists(folder, ec)) {
        error = what + " '" + folder.string() + "' does not exist";
        return false;
    }
    if (!fs::is_directory(folder, ec)) {
        error = what + " '" + folder.string() + "' is not a folder";
        return false;
    }
    if (!folderIsWritable(folder)) {
        error = what + " '" + folder.string() + "' cannot be written";
        return false;
    }
    return true;
}

} // namespace

std::string batchOutputPath(const std::string& input, const std::string& outDir)
{
    return (fs::path(outDir) / fs::path(input).filename()).string();
}

bool checkOutputFile(const std::string& path, int channels, double sampleRate, SampleEncoding encoding,
                     std::string& error)
{
    if (!canWriteAudioFormat(path, channels, sampleRate, encoding, error))
        return false;
    const fs::path file(path);
    std::error_code ec;
    if (fs::is_directory(file, ec)) {
        error = "cannot write '" + path + "': it is a folder";
        return false;
    }
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!checkFolder(folder, "cannot write '" + path + "': the folder", error))
        return false;
    if (fs::exists(file, ec) && !fs::is_regular_file(file, ec)) {
        error = "cannot write '" + path + "': it is not a regular file";
        return false;
    }
    return true;
}

bool checkBatchOutputs(const std::vector<std::string>& inputs, const std::string& outDir, int channels,
                       double sampleRate, SampleEncoding encoding, std::string& error)
{
    if (!checkFolder(fs::path(outDir), "output folder", error))
        return false;
    std::set<std::string> names;
    for (const std::string& input : inputs) {
        const std::string output = batchOutputPath(input, outDir);
        if (fs::path(input).filename().empty()) {
            error = "'" + input + "' names no file";
            return false;
        }
        if (!names.insert(fs::path(output).filename().string()).second) {
            error = "two inputs would both be written to '" + output + "'";
            return false;
        }
        if (!checkOutputFile(output, channels, sampleRate, encoding, error))
            return false;
        for (const std::string& other : inputs) {
            std::error_code ec;
            if (fs::equivalent(fs::path(output), fs::path(other), ec)) {
                error = "'" + output + "' would overwrite the input '" + other + "'";
                return false;
            }
        }
    }
    return true;
}

} // namespace host
