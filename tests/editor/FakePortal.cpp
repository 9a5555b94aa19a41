#include "FakePortal.h"

#include <dbus/dbus.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace editor::test {

PrivateBus::PrivateBus()
{
    configFile_ =
        (std::filesystem::temp_directory_path() / ("selvarine-bus-" + std::to_string(getpid()) + ".conf")).string();
    std::ofstream(configFile_) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                                  " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                  "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                                  "<auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\"/>"
                                  "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        problem_ = "pipe";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    // Its notes (it cannot raise its file limit without privileges) are not the test's.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string config = "--config-file=" + configFile_;
    const char* argv[] = {"dbus-daemon", config.c_str(), "--print-address", "--nofork", nullptr};
    const int rc = posix_spawnp(&pid_, "dbus-daemon", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        pid_ = -1;
        close(fds[0]);
        problem_ = "dbus-daemon cannot be started (package dbus-daemon)";
        return;
    }
    std::string line;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        line += c;
    close(fds[0]);
    if (line.empty())
        problem_ = "dbus-daemon printed no address";
    address_ = line;
}

PrivateBus::~PrivateBus()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::filesystem::remove(configFile_);
}

namespace {

std::string readString(DBusMessageIter* it)
{
    const char* s = nullptr;
    if (dbus_message_iter_get_arg_type(it) == DBUS_TYPE_STRING)
        dbus_message_iter_get_basic(it, &s);
    return s ? s : "";
}

// options a{sv} → the fields of `call`.
void readOptions(DBusMessageIter* array, PortalCall& call)
{
    DBusMessageIter dict;
    dbus_message_iter_recurse(array, &dict);
    for (; dbus_message_iter_get_arg_type(&dict) == DBUS_TYPE_DICT_ENTRY; dbus_message_iter_next(&dict)) {
        DBusMessageIter entry, value;
        dbus_message_iter_recurse(&dict, &entry);
        const std::string key = readString(&entry);
        dbus_message_iter_next(&entry);
        dbus_message_iter_recurse(&entry, &value);
        if (key == "handle_token")
            call.token = readString(&value);
        else if (key == "current_name")
            call.currentName = readString(&value);
        else if (key == "modal" && dbus_message_iter_get_arg_type(&value) == DBUS_TYPE_BOOLEAN) {
            dbus_bool_t b = false;
            dbus_message_iter_get_basic(&value, &b);
            call.modal = b;
        } else if (key == "filters" && dbus_message_iter_get_arg_type(&value) == DBUS_TYPE_ARRAY) {
            DBusMessageIter filters, filter, patterns, pattern;
            dbus_message_iter_recurse(&value, &filters);
            if (dbus_message_iter_get_arg_type(&filters) != DBUS_TYPE_STRUCT)
                continue;
            dbus_message_iter_recurse(&filters, &filter);
            call.filterName = readString(&filter);
            dbus_message_iter_next(&filter);
            dbus_message_iter_recurse(&filter, &patterns);
            if (dbus_message_iter_get_arg_type(&patterns) != DBUS_TYPE_STRUCT)
                continue;
            dbus_message_iter_recurse(&patterns, &pattern);
            dbus_message_iter_get_basic(&pattern, &call.patternKind);
            dbus_message_iter_next(&pattern);
            call.pattern = readString(&pattern);
        }
    }
}

} // namespace

FakePortal::FakePortal(const std::string& busAddress, std::function<PortalAnswer(const PortalCall&)> answer)
    : answer_(std::move(answer))
{
    DBusError error;
    dbus_error_init(&error);
    connection_ = dbus_connection_open_private(busAddress.c_str(), &error);
    if (!connection_ || !dbus_bus_register(connection_, &error) ||
        dbus_bus_request_name(connection_, "org.freedesktop.portal.Desktop", DBUS_NAME_FLAG_DO_NOT_QUEUE, &error) !=
            DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
        std::fprintf(stderr, "fake portal: %s\n", error.message ? error.message : "cannot own the name");
        dbus_error_free(&error);
        if (connection_) {
            dbus_connection_close(connection_);
            dbus_connection_unref(connection_);
        }
        connection_ = nullptr;
        return;
    }
    dbus_connection_set_exit_on_disconnect(connection_, false);
    thread_ = std::thread([this] { serve(); });
}

FakePortal::~FakePortal()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (connection_) {
        dbus_connection_close(connection_);
        dbus_connection_unref(connection_);
    }
}

std::vector<PortalCall> FakePortal::calls() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

void FakePortal::serve()
{
    while (!stop_ && dbus_connection_read_write(connection_, 20)) {
        while (DBusMessage* m = dbus_connection_pop_message(connection_)) {
            if (dbus_message_is_method_call(m, "org.freedesktop.portal.Request", "Close")) {
                ++closes_;
            } else if (dbus_message_is_method_call(m, "org.freedesktop.portal.FileChooser", "OpenFile") ||
                       dbus_message_is_method_call(m, "org.freedesktop.portal.FileChooser", "SaveFile")) {
                PortalCall call;
                call.method = dbus_message_get_member(m);
                DBusMessageIter args;
                dbus_message_iter_init(m, &args);
                call.parentWindow = readString(&args);
                dbus_message_iter_next(&args);
                call.title = readString(&args);
                dbus_message_iter_next(&args);
                readOptions(&args, call);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    calls_.push_back(call);
                }
                const PortalAnswer answer = answer_(call);
                if (answer.refuse) {
                    DBusMessage* e = dbus_message_new_error(m, "org.freedesktop.DBus.Error.UnknownMethod", "no chooser");
                    dbus_connection_send(connection_, e, nullptr);
                    dbus_message_unref(e);
                } else {
                    std::string sender = dbus_message_get_sender(m) + 1;
                    for (char& c : sender)
                        if (c == '.')
                            c = '_';
                    const std::string handle = "/org/freedesktop/portal/desktop/request/" + sender + "/" + call.token;
                    DBusMessage* reply = dbus_message_new_method_return(m);
                    const char* path = handle.c_str();
                    dbus_message_append_args(reply, DBUS_TYPE_OBJECT_PATH, &path, DBUS_TYPE_INVALID);
                    dbus_connection_send(connection_, reply, nullptr);
                    dbus_message_unref(reply);
                    if (!answer.never) {
                        DBusMessage* s = dbus_message_new_signal(handle.c_str(), "org.freedesktop.portal.Request", "Response");
                        dbus_message_set_destination(s, dbus_message_get_sender(m));
                        DBusMessageIter it, dict, entry, variant, uris;
                        dbus_message_iter_init_append(s, &it);
                        dbus_message_iter_append_basic(&it, DBUS_TYPE_UINT32, &answer.code);
                        dbus_message_iter_open_container(&it, DBUS_TYPE_ARRAY, "{sv}", &dict);
                        if (!answer.uri.empty()) {
                            const char* key = "uris";
                            const char* uri = answer.uri.c_str();
                            dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
                            dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
                            dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "as", &variant);
                            dbus_message_iter_open_container(&variant, DBUS_TYPE_ARRAY, "s", &uris);
                            dbus_message_iter_append_basic(&uris, DBUS_TYPE_STRING, &uri);
                            dbus_message_iter_close_container(&variant, &uris);
                            dbus_message_iter_close_container(&entry, &variant);
                            dbus_message_iter_close_container(&dict, &entry);
                        }
                        dbus_message_iter_close_container(&it, &dict);
                        dbus_connection_send(connection_, s, nullptr);
                        dbus_message_unref(s);
                    }
                }
                dbus_connection_flush(connection_);
            }
            dbus_message_unref(m);
        }
    }
}

} // namespace editor::test
