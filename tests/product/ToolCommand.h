#pragma once

// Shared by the product tests that run selvarine-render: a private work
// folder per test process and shell quoting for command lines.

#include <unistd.h>

#include <filesystem>
#include <string>

namespace product {

// A file in this process's own folder (ctest runs each test as its own
// process: their files are kept apart).
inline std::string workFile(const std::string& name)
{
    const std::string folder = std::string(RENDER_WORK_DIR) + "/p" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    return folder + "/" + name;
}

// `arg` as one word for /bin/sh.
inline std::string quote(const std::string& arg)
{
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace product
