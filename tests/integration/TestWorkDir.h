#pragma once

// A scratch folder private to this test process. ctest runs the tests of one
// executable as parallel processes, so files they write must not be shared;
// the folder is removed when the process ends.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testing_support {

inline void removeProcessWorkDir();

inline const std::string& processWorkDir()
{
    static const std::string folder = [] {
        std::string path = std::string(TEST_WORK_DIR) + "/p" + std::to_string(getpid());
        std::filesystem::create_directories(path);
        return path;
    }();
    // Registered after `folder` exists, so it runs before `folder` is destroyed.
    static const bool cleanupRegistered = std::atexit(removeProcessWorkDir) == 0;
    (void)cleanupRegistered;
    return folder;
}

inline void removeProcessWorkDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(processWorkDir(), ignored);
}

inline std::string workFile(const std::string& name)
{
    return processWorkDir() + "/" + name;
}

} // namespace testing_support
