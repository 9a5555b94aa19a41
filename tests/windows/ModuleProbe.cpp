// A DLL around the plug-in's platform layer (vst/ModulePath), so that a
// Windows program can check what the layer finds out about the module it is
// linked into: the file name and instance handle recorded at attach.

#include "vst/ModulePath.h"

#include <cstring>
#include <string>

// Copies the module's file name to `out` (`size` bytes with the terminating
// zero) and returns its length, or -1 when it is unknown or does not fit.
extern "C" __declspec(dllexport) int probeModuleFileName(char* out, int size)
{
    const std::string name = vst::moduleFileName();
    if (name.empty() || size <= 0 || name.size() >= static_cast<std::size_t>(size))
        return -1;
    std::memcpy(out, name.c_str(), name.size() + 1);
    return static_cast<int>(name.size());
}

// The instance handle recorded by the attach routine.
extern "C" __declspec(dllexport) void* probeModuleHandle()
{
    return vst::moduleHandle();
}
