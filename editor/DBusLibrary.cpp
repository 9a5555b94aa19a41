#include "editor/DBusLibrary.h"

#include <dlfcn.h>

#include <mutex>

namespace editor {

const DBusLibrary* DBusLibrary::get()
{
    static DBusLibrary library;
    static bool loaded = false;
    static std::once_flag once;
    std::call_once(once, [] {
        // Never unloaded: connections of other threads may still use it.
        void* handle = dlopen("libdbus-1.so.3", RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return;
        bool complete = true;
#define SELVARINE_DBUS_LOOKUP(name)                                                                       \
    library.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name));                             \
    complete = complete && library.name != nullptr;
        SELVARINE_DBUS_FUNCTIONS(SELVARINE_DBUS_LOOKUP)
#undef SELVARINE_DBUS_LOOKUP
        loaded = complete;
    });
    return loaded ? &library : nullptr;
}

} // namespace editor
