#include "vst/ModulePath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace vst {

#ifdef _WIN32

namespace {
HINSTANCE moduleHandle = nullptr; // this library's instance handle, stored when it is attached
} // namespace

std::string moduleFileName()
{
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(moduleHandle, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::string(path, length);
}

} // namespace vst

// The library's attach routine: remembers which module we are, so that the
// data folder is found next to the library and not next to the host.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        vst::moduleHandle = instance;
    return TRUE;
}

#else

std::string moduleFileName()
{
    // Any address inside this module identifies it; this function's own will do.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&moduleFileName), &info) == 0 || info.dli_fname == nullptr)
        return {};
    return std::string(info.dli_fname);
}

} // namespace vst

#endif
