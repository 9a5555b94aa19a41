// selvarine-compare: compares two audio files sample by sample and fails when
// they differ by more than a tolerance. Used to check that the Windows build
// of the plug-in renders what the Linux build renders.
//
//   selvarine-compare [--tolerance X | --exact] REFERENCE TEST
//
// Prints one line with the largest absolute difference (and where it is).
// Exit status: 0 within tolerance, 1 above it or when the files differ in
// channels, length or rate or cannot be read, 2 for a malformed command line.

#include "host/AudioCompare.h"
#include "host/AudioFile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr double kDefaultTolerance = 1e-5; // -100 dBFS: last-bit differences of two maths libraries

int usage(const char* message)
{
    std::fprintf(stderr,
                 "selvarine-compare: %s\n"
                 "usage: selvarine-compare [--tolerance X | --exact] REFERENCE TEST\n"
                 "  --tolerance X   largest allowed absolute difference per sample (default 1e-5)\n"
                 "  --exact         every sample must be equal\n",
                 message);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    double tolerance = kDefaultTolerance;
    const char* files[2] = {nullptr, nullptr};
    int fileCount = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--exact") {
            tolerance = 0.0;
        } else if (argument == "--tolerance") {
            if (++i >= argc)
                return usage("--tolerance needs a value");
            char* end = nullptr;
            errno = 0;
            tolerance = std::strtod(argv[i], &end);
            if (errno != 0 || end == argv[i] || *end != '\0' || !(tolerance >= 0.0) || !std::isfinite(tolerance))
                return usage("--tolerance needs a finite number of at least 0");
        } else if (argument.size() > 1 && argument[0] == '-') {
            return usage(("unknown option " + argument).c_str());
        } else {
            if (fileCount == 2)
                return usage("more than two files given");
            files[fileCount++] = argv[i];
        }
    }
    if (fileCount != 2)
        return usage("two files are needed");

    host::AudioBuffer reference, test;
    std::string error;
    if (!host::readAudioFile(files[0], reference, error) || !host::readAudioFile(files[1], test, error)) {
        std::fprintf(stderr, "selvarine-compare: %s\n", error.c_str());
        return 1;
    }

    const host::AudioComparison result = host::compareAudio(reference, test);
    if (!result.sameShape) {
        std::printf("%s: DIFFERENT SHAPE: %s\n", files[1], result.shapeMismatch.c_str());
        return 1;
    }
    const bool pass = result.maxDifference <= tolerance;
    if (result.maxDifference == 0.0)
        std::printf("%s: identical, %zu frames: ok\n", files[1], test.numFrames());
    else
        std::printf("%s: max difference %.3g (%.1f dBFS) at channel %d, frame %zu, %zu frames: %s\n", files[1],
                    result.maxDifference, 20.0 * std::log10(result.maxDifference), result.channel, result.frame,
                    test.numFrames(), pass ? "ok" : "ABOVE TOLERANCE");
    return pass ? 0 : 1;
}
