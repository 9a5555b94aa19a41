#pragma once

// A private D-Bus session bus (dbus-daemon started by the test) and a stand-in
// for the desktop portal's file chooser on it, for the portal client's tests.

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct DBusConnection;

namespace editor::test {

// dbus-daemon on a socket of its own, no services to activate; stopped with the object.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    bool running() const { return !address_.empty(); }
    const std::string& address() const { return address_; }
    const std::string& problem() const { return problem_; }

private:
    pid_t pid_ = -1;
    std::string address_;
    std::string problem_;
    std::string configFile_;
};

// What the fake portal was asked.
struct PortalCall {
    std::string method;       // "OpenFile" or "SaveFile"
    std::string parentWindow; // first argument
    std::string title;        // second argument
    std::string token;        // options["handle_token"]
    std::string filterName;   // options["filters"][0] name
    std::string pattern;      // options["filters"][0] first pattern
    std::uint32_t patternKind = 99; // 0 glob, 1 MIME type
    bool modal = false;
    std::string currentName;  // options["current_name"]
};

// How it answers a call.
struct PortalAnswer {
    bool refuse = false;     // an error reply instead of a request object
    bool never = false;      // a request object, but no Response (the user is still choosing)
    std::uint32_t code = 0;  // Response code: 0 chosen, 1 cancelled
    std::string uri;         // the chosen file's URI
};

// Owns org.freedesktop.portal.Desktop on the bus and serves FileChooser calls
// on a thread of its own.
class FakePortal {
public:
    FakePortal(const std::string& busAddress, std::function<PortalAnswer(const PortalCall&)> answer);
    ~FakePortal();
    bool ready() const { return connection_ != nullptr; }

    std::vector<PortalCall> calls() const;
    int closeCalls() const { return closes_.load(); }

private:
    void serve();

    DBusConnection* connection_ = nullptr;
    std::function<PortalAnswer(const PortalCall&)> answer_;
    mutable std::mutex mutex_;       // guards calls_
    std::vector<PortalCall> calls_;  // in arrival order
    std::atomic<int> closes_{0};     // Request.Close calls seen
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace editor::test
