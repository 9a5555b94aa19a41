#pragma once

#include "editor/PlatformServices.h"

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace editor {

// One file dialog of the desktop portal (org.freedesktop.portal.FileChooser
// on the session bus). The request runs on a worker thread with a D-Bus
// connection of its own, so the host's thread never waits for the bus or
// the user and any number of plug-in instances can ask at once. The owner
// polls finished() from idle and then reads result().
//
// The worker answers `unavailable` when there is no bus, no libdbus, no
// portal or the portal refuses the call; the caller then uses another dialog.
class PortalFileChooser {
public:
    enum class Outcome { unavailable, cancelled, chosen };
    struct Result {
        Outcome outcome = Outcome::unavailable;
        std::string path;    // the chosen file (Outcome::chosen)
        std::string problem; // why the portal was unavailable, for diagnostics
    };

    // `parentWindow` is "x11:<hex id>" or empty; `busAddress` empty means the
    // session bus of the environment.
    PortalFileChooser(const FileDialog& dialog, std::string parentWindow, std::string busAddress = {});
    ~PortalFileChooser(); // closes the portal's dialog if still up, waits for the worker
    PortalFileChooser(const PortalFileChooser&) = delete;
    PortalFileChooser& operator=(const PortalFileChooser&) = delete;

    bool finished() const { return finished_.load(std::memory_order_acquire); }
    // Valid once finished() returned true.
    const Result& result() const { return result_; }

    // The local path of a file:// URI, percent-decoded; nothing for other URIs.
    static std::optional<std::string> pathFromUri(std::string_view uri);

private:
    void run(); // the worker

    const FileDialog dialog_;
    const std::string parentWindow_;
    const std::string busAddress_;
    // Written by the worker before it sets finished_ (release), read by the
    // owner after seeing it (acquire).
    Result result_;
    std::atomic<bool> finished_{false};
    std::atomic<bool> stop_{false}; // set by the owner: give up and close the dialog
    std::thread worker_;            // started last, joined in the destructor
};

} // namespace editor
