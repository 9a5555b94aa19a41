#include "editor/PortalFileChooser.h"

#include "editor/DBusLibrary.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace editor {

namespace {

constexpr const char* kPortalName = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kFileChooser = "org.freedesktop.portal.FileChooser";
constexpr const char* kRequest = "org.freedesktop.portal.Request";
constexpr int kQuickCallMs = 2000; // calls that only the bus or the portal answer, not the user
constexpr int kPollMs = 100;       // longest wait before the worker looks at the stop flag

// Request tokens unique in the process (each request has its own connection,
// so this only keeps the object paths readable).
std::atomic<unsigned> nextToken{1};

class Connection {
public:
    explicit Connection(const DBusLibrary& d) : d_(d) {}
    ~Connection()
    {
        if (c_) {
            d_.dbus_connection_close(c_);
            d_.dbus_connection_unref(c_);
        }
    }
    bool open(const std::string& address, std::string& problem)
    {
        DBusError error;
        d_.dbus_error_init(&error);
        c_ = d_.dbus_connection_open_private(address.c_str(), &error);
        if (c_) {
            d_.dbus_connection_set_exit_on_disconnect(c_, false);
            if (!d_.dbus_bus_register(c_, &error)) {
                problem = error.message ? error.message : "cannot register on the bus";
                d_.dbus_error_free(&error);
                return false;
            }
            return true;
        }
        problem = error.message ? error.message : "cannot connect to the bus";
        d_.dbus_error_free(&error);
        return false;
    }
    DBusConnection* get() const { return c_; }

private:
    const DBusLibrary& d_;
    DBusConnection* c_ = nullptr;
};

class Message {
public:
    Message(const DBusLibrary& d, DBusMessage* m) : d_(d), m_(m) {}
    ~Message()
    {
        if (m_)
            d_.dbus_message_unref(m_);
    }
    Message(const Message&) = delete;
    Message& operator=(const Message&) = delete;
    DBusMessage* get() const { return m_; }
    explicit operator bool() const { return m_ != nullptr; }

private:
    const DBusLibrary& d_;
    DBusMessage* m_;
};

// Appends the string `s` as a basic value.
void appendString(const DBusLibrary& d, DBusMessageIter* it, const std::string& s)
{
    const char* p = s.c_str();
    d.dbus_message_iter_append_basic(it, DBUS_TYPE_STRING, &p);
}

// One entry "key" → variant of the given signature, filled by `fill`.
template <class F>
void appendOption(const DBusLibrary& d, DBusMessageIter* dict, const char* key, const char* signature, F&& fill)
{
    DBusMessageIter entry, variant;
    d.dbus_message_iter_open_container(dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
    d.dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
    d.dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, signature, &variant);
    fill(&variant);
    d.dbus_message_iter_close_container(&entry, &variant);
    d.dbus_message_iter_close_container(dict, &entry);
}

// The filter (name, [(0, pattern)]) as the portal wants it: (sa(us)).
void appendFilter(const DBusLibrary& d, DBusMessageIter* it, const FileDialog& dialog)
{
    DBusMessageIter filter, patterns, pattern;
    d.dbus_message_iter_open_container(it, DBUS_TYPE_STRUCT, nullptr, &filter);
    appendString(d, &filter, dialog.filterName);
    d.dbus_message_iter_open_container(&filter, DBUS_TYPE_ARRAY, "(us)", &patterns);
    d.dbus_message_iter_open_container(&patterns, DBUS_TYPE_STRUCT, nullptr, &pattern);
    const dbus_uint32_t glob = 0;
    d.dbus_message_iter_append_basic(&pattern, DBUS_TYPE_UINT32, &glob);
    appendString(d, &pattern, dialog.pattern);
    d.dbus_message_iter_close_container(&patterns, &pattern);
    d.dbus_message_iter_close_container(&filter, &patterns);
    d.dbus_message_iter_close_container(it, &filter);
}

bool nameIsThere(const DBusLibrary& d, DBusConnection* c, const char* method, bool list, std::string& problem)
{
    Message call(d, d.dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                   "org.freedesktop.DBus", method));
    if (!call)
        return false;
    if (!list) {
        DBusMessageIter args;
        d.dbus_message_iter_init_append(call.get(), &args);
        appendString(d, &args, kPortalName);
    }
    DBusError error;
    d.dbus_error_init(&error);
    Message reply(d, d.dbus_connection_send_with_reply_and_block(c, call.get(), kQuickCallMs, &error));
    if (!reply) {
        problem = error.message ? error.message : "the bus did not answer";
        d.dbus_error_free(&error);
        return false;
    }
    DBusMessageIter it;
    if (!d.dbus_message_iter_init(reply.get(), &it))
        return false;
    if (!list) {
        dbus_bool_t has = false;
        if (d.dbus_message_iter_get_arg_type(&it) == DBUS_TYPE_BOOLEAN)
            d.dbus_message_iter_get_basic(&it, &has);
        return has;
    }
    if (d.dbus_message_iter_get_arg_type(&it) != DBUS_TYPE_ARRAY)
        return false;
    DBusMessageIter names;
    d.dbus_message_iter_recurse(&it, &names);
    for (; d.dbus_message_iter_get_arg_type(&names) == DBUS_TYPE_STRING; d.dbus_message_iter_next(&names)) {
        const char* name = nullptr;
        d.dbus_message_iter_get_basic(&names, &name);
        if (name && std::string_view(name) == kPortalName)
            return true;
    }
    return false;
}

// The Response signal's arguments: (u code, a{sv} results) → first of "uris".
bool readResponse(const DBusLibrary& d, DBusMessage* m, dbus_uint32_t& code, std::string& uri)
{
    DBusMessageIter it;
    if (!d.dbus_message_iter_init(m, &it) || d.dbus_message_iter_get_arg_type(&it) != DBUS_TYPE_UINT32)
        return false;
    d.dbus_message_iter_get_basic(&it, &code);
    if (!d.dbus_message_iter_next(&it) || d.dbus_message_iter_get_arg_type(&it) != DBUS_TYPE_ARRAY)
        return true;
    DBusMessageIter dict;
    d.dbus_message_iter_recurse(&it, &dict);
    for (; d.dbus_message_iter_get_arg_type(&dict) == DBUS_TYPE_DICT_ENTRY; d.dbus_message_iter_next(&dict)) {
        DBusMessageIter entry, variant, uris;
        d.dbus_message_iter_recurse(&dict, &entry);
        const char* key = nullptr;
        if (d.dbus_message_iter_get_arg_type(&entry) != DBUS_TYPE_STRING)
            continue;
        d.dbus_message_iter_get_basic(&entry, &key);
        if (!key || std::string_view(key) != "uris" || !d.dbus_message_iter_next(&entry) ||
            d.dbus_message_iter_get_arg_type(&entry) != DBUS_TYPE_VARIANT)
            continue;
        d.dbus_message_iter_recurse(&entry, &variant);
        if (d.dbus_message_iter_get_arg_type(&variant) != DBUS_TYPE_ARRAY)
            continue;
        d.dbus_message_iter_recurse(&variant, &uris);
        if (d.dbus_message_iter_get_arg_type(&uris) == DBUS_TYPE_STRING) {
            const char* first = nullptr;
            d.dbus_message_iter_get_basic(&uris, &first);
            uri = first ? first : "";
        }
    }
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::string> PortalFileChooser::pathFromUri(std::string_view uri)
{
    constexpr std::string_view scheme = "file://";
    if (uri.size() < scheme.size())
        return std::nullopt;
    for (std::size_t i = 0; i < scheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(uri[i])) != scheme[i])
            return std::nullopt;
    uri.remove_prefix(scheme.size());
    // An authority other than none or this machine names a file elsewhere.
    const std::size_t slash = uri.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const std::string_view host = uri.substr(0, slash);
    if (!host.empty() && host != "localhost")
        return std::nullopt;
    uri.remove_prefix(slash);
    std::string path;
    for (std::size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] == '%') {
            const int hi = i + 2 < uri.size() ? hexValue(uri[i + 1]) : -1;
            const int lo = i + 2 < uri.size() ? hexValue(uri[i + 2]) : -1;
            if (hi < 0 || lo < 0)
                return std::nullopt;
            const char c = char(hi * 16 + lo);
            if (c == '\0')
                return std::nullopt; // no path holds a NUL
            path += c;
            i += 2;
        } else {
            path += uri[i];
        }
    }
    return path;
}

PortalFileChooser::PortalFileChooser(const FileDialog& dialog, std::string parentWindow, std::string busAddress)
    : dialog_(dialog), parentWindow_(std::move(parentWindow)), busAddress_(std::move(busAddress))
{
    worker_ = std::thread([this] { run(); });
}

PortalFileChooser::~PortalFileChooser()
{
    stop_.store(true, std::memory_order_relaxed);
    worker_.join();
}

void PortalFileChooser::run()
{
    Result result;
    const auto finish = [&] {
        result_ = std::move(result);
        finished_.store(true, std::memory_order_release);
    };

    const DBusLibrary* library = DBusLibrary::get();
    if (!library) {
        result.problem = "libdbus-1 is not installed";
        return finish();
    }
    const DBusLibrary& d = *library;
    std::string address = busAddress_;
    if (address.empty()) {
        const char* env = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        address = env ? env : "";
    }
    if (address.empty()) {
        result.problem = "no session bus";
        return finish();
    }
    Connection connection(d);
    if (!connection.open(address, result.problem))
        return finish();
    DBusConnection* c = connection.get();
    if (!nameIsThere(d, c, "NameHasOwner", false, result.problem) &&
        !nameIsThere(d, c, "ListActivatableNames", true, result.problem)) {
        if (result.problem.empty())
            result.problem = "no desktop portal on the session bus";
        return finish();
    }

    // The request object's path is known before the call: listen for its
    // answer first, so that a quick answer is not missed.
    const char* unique = d.dbus_bus_get_unique_name(c);
    std::string sender = unique ? unique : "";
    if (!sender.empty() && sender[0] == ':')
        sender.erase(0, 1);
    for (char& ch : sender)
        if (ch == '.')
            ch = '_';
    const std::string token = "selvarine" + std::to_string(getpid()) + "_" +
                              std::to_string(nextToken.fetch_add(1, std::memory_order_relaxed));
    std::string handle = std::string(kPortalPath) + "/request/" + sender + "/" + token;
    const auto listen = [&](const std::string& path) {
        const std::string rule = "type='signal',interface='" + std::string(kRequest) +
                                 "',member='Response',path='" + path + "'";
        DBusError error;
        d.dbus_error_init(&error);
        d.dbus_bus_add_match(c, rule.c_str(), &error);
        d.dbus_error_free(&error);
    };
    listen(handle);

    Message call(d, d.dbus_message_new_method_call(kPortalName, kPortalPath, kFileChooser,
                                                   dialog_.save ? "SaveFile" : "OpenFile"));
    if (!call) {
        result.problem = "out of memory";
        return finish();
    }
    DBusMessageIter args, options;
    d.dbus_message_iter_init_append(call.get(), &args);
    appendString(d, &args, parentWindow_);
    appendString(d, &args, dialog_.title);
    d.dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &options);
    appendOption(d, &options, "handle_token", "s", [&](DBusMessageIter* v) { appendString(d, v, token); });
    appendOption(d, &options, "modal", "b", [&](DBusMessageIter* v) {
        const dbus_bool_t yes = true;
        d.dbus_message_iter_append_basic(v, DBUS_TYPE_BOOLEAN, &yes);
    });
    if (!dialog_.pattern.empty()) {
        appendOption(d, &options, "filters", "a(sa(us))", [&](DBusMessageIter* v) {
            DBusMessageIter list;
            d.dbus_message_iter_open_container(v, DBUS_TYPE_ARRAY, "(sa(us))", &list);
            appendFilter(d, &list, dialog_);
            d.dbus_message_iter_close_container(v, &list);
        });
        appendOption(d, &options, "current_filter", "(sa(us))",
                     [&](DBusMessageIter* v) { appendFilter(d, v, dialog_); });
    }
    if (dialog_.save && !dialog_.defaultExtension.empty())
        appendOption(d, &options, "current_name", "s",
                     [&](DBusMessageIter* v) { appendString(d, v, "Untitled." + dialog_.defaultExtension); });
    d.dbus_message_iter_close_container(&args, &options);

    dbus_uint32_t serial = 0;
    if (!d.dbus_connection_send(c, call.get(), &serial)) {
        result.problem = "cannot send to the portal";
        return finish();
    }
    d.dbus_connection_flush(c);

    // Wait for the call's reply (the request object) and the request's answer.
    bool replied = false;
    while (!stop_.load(std::memory_order_relaxed)) {
        if (!d.dbus_connection_read_write(c, kPollMs)) {
            result.problem = "the session bus went away";
            return finish();
        }
        while (DBusMessage* raw = d.dbus_connection_pop_message(c)) {
            Message m(d, raw);
            const int type = d.dbus_message_get_type(raw);
            if (!replied && d.dbus_message_get_reply_serial(raw) == serial) {
                if (type == DBUS_MESSAGE_TYPE_ERROR) {
                    const char* name = d.dbus_message_get_error_name(raw);
                    result.problem = std::string("the portal refused the dialog: ") + (name ? name : "");
                    return finish();
                }
                replied = true;
                DBusMessageIter it;
                const char* path = nullptr;
                if (d.dbus_message_iter_init(raw, &it) &&
                    d.dbus_message_iter_get_arg_type(&it) == DBUS_TYPE_OBJECT_PATH) {
                    d.dbus_message_iter_get_basic(&it, &path);
                    // Portals older than handle_token choose their own path.
                    if (path && handle != path) {
                        handle = path;
                        listen(handle);
                    }
                }
                continue;
            }
            if (type != DBUS_MESSAGE_TYPE_SIGNAL || !d.dbus_message_is_signal(raw, kRequest, "Response"))
                continue;
            const char* path = d.dbus_message_get_path(raw);
            if (!path || handle != path)
                continue;
            dbus_uint32_t code = 2;
            std::string uri;
            readResponse(d, raw, code, uri);
            if (code == 0) {
                if (auto local = pathFromUri(uri)) {
                    result.outcome = Outcome::chosen;
                    result.path = *local;
                } else {
                    result.outcome = Outcome::cancelled;
                    result.problem = "the portal gave no local file: " + uri;
                }
            } else {
                // 1: the user cancelled; 2: the dialog ended some other way.
                result.outcome = Outcome::cancelled;
            }
            return finish();
        }
    }

    // Given up by the owner: take the dialog off the screen.
    Message close(d, d.dbus_message_new_method_call(kPortalName, handle.c_str(), kRequest, "Close"));
    if (close) {
        d.dbus_connection_send(c, close.get(), nullptr);
        d.dbus_connection_flush(c);
    }
    result.outcome = Outcome::cancelled;
    finish();
}

} // namespace editor
