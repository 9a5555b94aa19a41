#include "tools/PluginLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace host {

PluginLibrary::~PluginLibrary()
{
    unload();
}

bool PluginLibrary::load(const std::string& path)
{
    unload();
    lastError.clear();

    // RTLD_LOCAL keeps two plug-ins (or two copies of one) from resolving into
    // each other's symbols; RTLD_NOW reports a missing dependency here rather
    // than in the middle of processing.
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        lastError = "cannot load plug-in '" + path + "': " + (why ? why : "unknown error");
        return false;
    }

    for (const char* symbol : {"VSTPluginMain", "main"}) {
        dlerror();
        void* address = dlsym(handle, symbol);
        if (address) {
            entryPoint = reinterpret_cast<PluginEntry>(address);
            entrySymbol = symbol;
            return true;
        }
    }

    lastError = "'" + path + "' is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main";
    unload();
    return false;
}

void PluginLibrary::unload()
{
    if (handle)
        dlclose(handle);
    handle = nullptr;
    entryPoint = nullptr;
    entrySymbol.clear();
}

std::string executablePath()
{
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return {};
    return std::string(buffer, static_cast<std::size_t>(length));
}

} // namespace host
