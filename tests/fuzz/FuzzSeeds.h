#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Seed inputs are made by the targets themselves rather than kept as binary
// files: run a target with SELVARINE_FUZZ_SEEDS=DIR in the environment and
// it writes its seeds to DIR (which must exist) and exits.
using FuzzSeeds = std::vector<std::vector<std::uint8_t>>;

inline void writeSeedsIfAsked(FuzzSeeds (*make)())
{
    const char* folder = std::getenv("SELVARINE_FUZZ_SEEDS");
    if (folder == nullptr)
        return;
    const FuzzSeeds seeds = make();
    int failed = 0;
    for (std::size_t i = 0; i < seeds.size(); ++i) {
        const std::string path = std::string(folder) + "/seed-" + std::to_string(i);
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr || std::fwrite(seeds[i].data(), 1, seeds[i].size(), file) != seeds[i].size())
            failed = 1;
        if (file != nullptr)
            std::fclose(file);
    }
    std::printf("%zu seeds written to %s\n", seeds.size(), folder);
    std::exit(failed);
}

// `prefix` bytes followed by the bytes of `object`.
template <typename T>
std::vector<std::uint8_t> seedOf(std::vector<std::uint8_t> prefix, const T& object)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&object);
    prefix.insert(prefix.end(), bytes, bytes + sizeof object);
    return prefix;
}
