#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

// The folder for the harnesses' scratch files: shared memory where there is
// some (no disk writes behind millions of short files), else /tmp.
inline const char* fuzzScratchFolder()
{
    return ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
}

// The fuzz input as a file, for the readers that take a path. One file per
// process, rewritten for every input and removed when the process ends
// normally (a crash leaves it behind, next to the reproducer).
inline const char* writeFuzzFile(const std::uint8_t* data, std::size_t size, const char* suffix)
{
    static const std::string path =
        std::string(fuzzScratchFolder()) + "/selvarine-fuzz-" + std::to_string(::getpid()) + suffix;
    static const bool removedAtExit = std::atexit([] { std::remove(path.c_str()); }) == 0;
    (void)removedAtExit;
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        if (size > 0)
            std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    return path.c_str();
}
