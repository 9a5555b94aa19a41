#include "host/PluginLibrary.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <climits>
#include <vector>

namespace host {

namespace {

#ifdef _WIN32

// The system's text for an error code, without the trailing line break.
std::string systemMessage(DWORD code)
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = length > 0 && text ? std::string(text, length) : std::string();
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    if (message.empty())
        message = "unknown error";
    return message + " (error " + std::to_string(code) + ")";
}

void* openLibrary(const std::string& path, std::string& why)
{
    // No "cannot find the file" dialog for a missing disk or library.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    // For a full path, the libraries the plug-in depends on are looked for in
    // its own folder first, as most hosts do; a relative path keeps the
    // ordinary search (the flag is undefined for it).
    const bool fullPath = (path.size() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
                          (path.size() > 1 && (path[0] == '\\' || path[0] == '/') && path[1] == path[0]);
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, fullPath ? LOAD_WITH_ALTERED_SEARCH_PATH : 0);
    const DWORD code = GetLastError();
    SetErrorMode(previousMode);
    if (!module)
        why = systemMessage(code);
    return reinterpret_cast<void*>(module);
}

void* findSymbol(void* handle, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void closeLibrary(void* handle)
{
    FreeLibrary(static_cast<HMODULE>(handle));
}

#else

void* openLibrary(const std::string& path, std::string& why)
{
    // RTLD_LOCAL keeps two plug-ins (or two copies of one) from resolving into
    // each other's symbols; RTLD_NOW reports a missing dependency here rather
    // than in the middle of processing.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* text = dlerror();
        why = text ? text : "unknown error";
    }
    return handle;
}

void* findSymbol(void* handle, const char* name)
{
    dlerror();
    return dlsym(handle, name);
}

void closeLibrary(void* handle)
{
    dlclose(handle);
}

#endif

} // namespace

PluginLibrary::~PluginLibrary()
{
    unload();
}

bool PluginLibrary::load(const std::string& path)
{
    unload();
    lastError.clear();

    std::string why;
    handle = openLibrary(path, why);
    if (!handle) {
        lastError = "cannot load plug-in '" + path + "': " + why;
        return false;
    }

    for (const char* symbol : {"VSTPluginMain", "main"}) {
        if (void* address = findSymbol(handle, symbol)) {
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
        closeLibrary(handle);
    handle = nullptr;
    entryPoint = nullptr;
    entrySymbol.clear();
}

std::string executablePath()
{
#ifdef _WIN32
    // Retried with a wider buffer while the name does not fit (long paths).
    for (DWORD size = MAX_PATH + 1; size <= 32768; size *= 2) {
        std::vector<char> buffer(size, '\0');
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0)
            return {};
        if (length < size)
            return std::string(buffer.data(), length);
    }
    return {};
#else
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return {};
    return std::string(buffer, static_cast<std::size_t>(length));
#endif
}

} // namespace host
