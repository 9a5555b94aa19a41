#pragma once

#include <dbus/dbus.h>

namespace editor {

// The few functions of libdbus-1 the portal client calls, looked up in the
// system's library at run time. The plug-in does not link it: on a system
// without it the plug-in still loads and its dialogs use the other ways.
struct DBusLibrary {
    // The library, loaded on first use (thread-safe), or null when the
    // system has none.
    static const DBusLibrary* get();

#define SELVARINE_DBUS_FUNCTIONS(X)                                                                       \
    X(dbus_error_init) X(dbus_error_free) X(dbus_error_is_set)                                            \
    X(dbus_connection_open_private) X(dbus_connection_close) X(dbus_connection_unref)                    \
    X(dbus_connection_set_exit_on_disconnect) X(dbus_connection_send) X(dbus_connection_flush)            \
    X(dbus_connection_read_write) X(dbus_connection_pop_message)                                         \
    X(dbus_connection_send_with_reply_and_block) X(dbus_bus_register) X(dbus_bus_get_unique_name)        \
    X(dbus_bus_add_match) X(dbus_message_new_method_call) X(dbus_message_unref) X(dbus_message_get_type) \
    X(dbus_message_get_reply_serial) X(dbus_message_is_signal) X(dbus_message_get_path)                  \
    X(dbus_message_get_error_name)                                                                       \
    X(dbus_message_iter_init) X(dbus_message_iter_init_append) X(dbus_message_iter_append_basic)         \
    X(dbus_message_iter_open_container) X(dbus_message_iter_close_container)                             \
    X(dbus_message_iter_get_arg_type) X(dbus_message_iter_get_basic) X(dbus_message_iter_next)           \
    X(dbus_message_iter_recurse)

#define SELVARINE_DBUS_POINTER(name) decltype(&::name) name = nullptr;
    SELVARINE_DBUS_FUNCTIONS(SELVARINE_DBUS_POINTER)
#undef SELVARINE_DBUS_POINTER
};

} // namespace editor
