#pragma once

#include <functional>
#include <optional>
#include <string>

namespace gui {
class Frame;
}

namespace editor {

// A standard open or save dialog: one filter of one pattern, a title and the
// extension added to a name typed without one.
struct FileDialog {
    bool save = false;            // save dialog (asks before overwriting) or open dialog
    std::string title;            // e.g. "Load Preset"
    std::string filterName;       // e.g. "D-OrvandelSelvarine Preset (*.sxp)"
    std::string pattern;          // e.g. "*.sxp"
    std::string defaultExtension; // e.g. "sxp"
};

// Dialogs, messages and the desktop shell, replaceable so that the editor's
// commands run in tests without a desktop. Every call is made on the
// user-interface thread; `owner` is the editor's system window or null.
class PlatformServices {
public:
    using FileChosen = std::function<void(std::optional<std::string>)>;

    virtual ~PlatformServices() = default;

    // Asks for a file. `done` runs on the user-interface thread, at once or
    // from a later idle(), with the path, or with nothing when cancelled.
    virtual void chooseFile(const FileDialog& dialog, void* owner, FileChosen done) = 0;
    // A message with an empty caption and one OK button.
    virtual void showMessage(const std::string& text, void* owner) = 0;
    // Opens a document in its viewer.
    virtual void openDocument(const std::string& path) = 0;
    // Opens a web address in the browser.
    virtual void openUrl(const std::string& url) = 0;
    // Takes up the results of dialogs running outside the user-interface thread.
    virtual void idle() {}
    // The editor's frame while it is built, null after: services that draw
    // their dialogs and messages inside the editor draw them there.
    virtual void setFrame(gui::Frame*) {}
};

} // namespace editor
