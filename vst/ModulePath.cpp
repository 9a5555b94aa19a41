#include "vst/ModulePath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <vector>

namespace vst {

#ifdef _WIN32

namespace {
// This library's instance handle, stored by DllMain at process attach (the
// loader's thread, before any entry point can run) and only read afterwards.
HINSTANCE attachedModule = nullptr;
} // namespace

std::string moduleFileName()
{
    // A buffer of MAX_PATH suffices for ordinary paths; a longer name (a
    // system with long paths enabled) is retried with a wider buffer up to
    // the longest path Windows has. A full buffer means the name was cut.
    constexpr DWORD kLongestPath = 32768;
    for (DWORD size = MAX_PATH + 1; size <= kLongestPath; size *= 2) {
        std::vector<char> path(size, '\0');
        const DWORD length = GetModuleFileNameA(attachedModule, path.data(), size);
        if (length == 0)
            return {};
        if (length < size)
            return std::string(path.data(), length);
    }
    return {};
}

void* moduleHandle()
{
    return attachedModule;
}

} // namespace vst

// The library's attach routine: remembers which module we are, so that the
// data folder is found next to the library and not next to the host, and so
// that the editor can register its window class for this module.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    // Thread notifications are left on: turning them off is discouraged for
    // a library that carries its runtime statically, as this one does.
    if (reason == DLL_PROCESS_ATTACH)
        vst::attachedModule = instance;
    return TRUE;
}

#else

namespace {
// Any address inside this module identifies it; this function's own will do.
bool describeThisModule(Dl_info& info)
{
    return dladdr(reinterpret_cast<void*>(&describeThisModule), &info) != 0;
}
} // namespace

std::string moduleFileName()
{
    Dl_info info{};
    if (!describeThisModule(info) || info.dli_fname == nullptr)
        return {};
    return std::string(info.dli_fname);
}

void* moduleHandle()
{
    Dl_info info{};
    return describeThisModule(info) ? info.dli_fbase : nullptr;
}

} // namespace vst

#endif
