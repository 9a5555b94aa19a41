// selvarine-module-probe: loads the probe DLL named on the command line and
// checks that the platform layer linked into it knows the DLL itself (its
// instance handle and full file name, however long) rather than the program
// that loaded it. Prints the name; exit status 0 when everything matches.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using FileNameProbe = int (*)(char*, int);
using HandleProbe = void* (*)();

// The file name the system reports for `module` (null: this program).
std::string systemFileName(HMODULE module)
{
    std::vector<char> buffer(32768, '\0');
    const DWORD length = GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    return length > 0 && length < buffer.size() ? std::string(buffer.data(), length) : std::string();
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "selvarine-module-probe: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: selvarine-module-probe PROBE.dll\n");
        return 2;
    }
    HMODULE module = LoadLibraryA(argv[1]);
    if (!module)
        return fail("cannot load '" + std::string(argv[1]) + "' (error " + std::to_string(GetLastError()) + ")");
    const auto fileName = reinterpret_cast<FileNameProbe>(reinterpret_cast<void*>(GetProcAddress(module, "probeModuleFileName")));
    const auto handle = reinterpret_cast<HandleProbe>(reinterpret_cast<void*>(GetProcAddress(module, "probeModuleHandle")));
    if (!fileName || !handle)
        return fail("the probe functions are missing");

    std::vector<char> reported(32768, '\0');
    const int length = fileName(reported.data(), static_cast<int>(reported.size()));
    const std::string name = length > 0 ? std::string(reported.data(), static_cast<std::size_t>(length)) : "";
    const std::string expected = systemFileName(module);
    std::printf("module file name (%zu characters): %s\n", name.size(), name.c_str());

    int failures = 0;
    if (handle() != static_cast<void*>(module)) {
        std::fprintf(stderr, "the recorded instance handle is not the DLL's\n");
        ++failures;
    }
    if (name.empty() || name != expected) {
        std::fprintf(stderr, "the module file name is '%s', the system says '%s'\n", name.c_str(), expected.c_str());
        ++failures;
    }
    if (name == systemFileName(nullptr)) {
        std::fprintf(stderr, "the module file name is the program's, not the DLL's\n");
        ++failures;
    }
    FreeLibrary(module);
    return failures == 0 ? 0 : 1;
}
