#pragma once

#include "gui/MessageBoxView.h"
#include "gui/View.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gui {

// A file chooser inside the window, for desktops without a dialog of their
// own. A box in the middle of `area` (frame coordinates; the rest shaded)
// shows the title, the current folder with an "Up" button, the list of its
// sub-folders and of the files matching the pattern (folders first, names
// sorted, hidden entries left out), the filter's name, a name field, and "OK"
// and "Cancel". Shown as the frame's modal overlay.
//
// Mouse: a click selects a row (a file's name goes into the name field), a
// double click opens a folder or takes a file, the wheel and the scroll bar
// scroll. Keys: typing edits the name (Backspace deletes), up and down, page
// up and down, home and end move through the list, left goes up a folder and
// right opens the selected one while the list has the keys, Enter opens the
// selected folder or takes the name, Escape cancels.
//
// The name may be a path (absolute, "~/...", or relative to the folder); a
// folder's name opens it. An open chooser takes only an existing file. A
// save chooser adds the default extension to a name without one, and when
// that file exists asks whether to replace it before answering.
//
// The answer (a path, or nothing when cancelled) goes to `chosen` once; the
// chooser may be destroyed from inside that call.
class FileChooserView : public View {
public:
    using Chosen = std::function<void(std::optional<std::string>)>;

    struct Options {
        std::string title;            // e.g. "Save Preset"
        std::string filterName;       // e.g. "Preset (*.sxp)"
        std::string pattern;          // e.g. "*.sxp"; empty shows every file
        std::string defaultExtension; // added to a saved name without one, e.g. "sxp"
        bool save = false;            // save (name of a new file allowed) or open
        std::filesystem::path folder; // where to start; the home folder if empty or missing
    };

    struct Entry {
        std::string name; // file or folder name
        bool folder;      // a folder (opens) rather than a file (is taken)
    };

    static constexpr int kRowPadding = 3;   // above and below a row's text
    static constexpr int kPadding = 12;     // inside the box
    static constexpr int kScrollBarWidth = 10;

    FileChooserView(const Rect& area, Options options, Chosen chosen);
    ~FileChooserView() override;

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CFileChooser" || View::isTypeOf(name);
    }

    // --- What it shows (for tests and the owner) --------------------------------
    const std::filesystem::path& folder() const { return folder_; }
    const std::vector<Entry>& entries() const { return entries_; }
    int selected() const { return selected_; }
    const std::string& name() const { return name_; }
    const std::string& status() const { return status_; }
    int firstVisible() const { return first_; }
    int visibleRows() const { return visibleRows_; }
    bool scrolls() const { return int(entries_.size()) > visibleRows_; }
    // The replace question while it is up, else null.
    MessageBoxView* question() const { return question_.get(); }

    // --- Where things are (frame coordinates) -----------------------------------
    const Rect& box() const { return box_; }
    Rect rowRect(int index) const; // empty when the row is out of view
    Rect listRect() const { return list_; }
    Rect upButtonRect() const { return up_; }
    Rect nameFieldRect() const { return nameField_; }
    Rect okButtonRect() const { return ok_; }
    Rect cancelButtonRect() const { return cancel_; }

    // The question asked before a file at `path` is replaced.
    static std::string replaceQuestion(const std::string& path);

    // Glob match of a file name against a pattern of '*' and '?', ignoring case.
    static bool matches(std::string_view name, std::string_view pattern);

    void draw(Painter& painter) override;
    MouseResult onMouseDown(const MouseEvent& e) override;
    void onMouseUp(const MouseEvent& e) override;
    void onMouseCancelled() override;
    bool onWheel(const MouseEvent& e) override;
    bool onKeyDown(const KeyEvent& e) override;
    bool wantsKeyboard() const override { return true; }

private:
    enum class Held { none, up, ok, cancel };

    void openFolder(const std::filesystem::path& folder, const std::string& selectName = {});
    void select(int index);
    void scrollBy(int rows);
    void activate();                   // Enter or OK
    void take(const std::string& typed);
    void askReplace(const std::filesystem::path& path);
    void takeQuestionAnswer();
    void finish(std::optional<std::string> path); // last call of any handler
    int rowAt(Point p) const;
    Rect scrollTrack() const; // the scroll bar, when the list scrolls
    Rect scrollThumb() const; // its handle

    Options options_;                  // what was asked for
    Chosen chosen_;                    // told once, then empty
    std::filesystem::path folder_;     // shown folder, absolute
    std::vector<Entry> entries_;       // its folders, then matching files
    int selected_ = -1;                // selected row, or -1
    int first_ = 0;                    // first row in view
    bool listHasKeys_ = false;         // arrows and Enter act on the list rather than the name
    std::string name_;                 // the name field
    std::string status_;               // a note under the list (a name not found...)
    Held held_ = Held::none;           // button held by the mouse
    std::unique_ptr<MessageBoxView> question_; // "replace?" while asked
    int questionAnswer_ = -1;          // its answer, taken up after the event
    std::filesystem::path replacing_;  // the file the question is about

    // Layout, frame coordinates.
    Rect box_, title_, up_, path_, list_, filter_, nameLabel_, nameField_, ok_, cancel_, statusLine_;
    int rowHeight_ = 0;
    int visibleRows_ = 0;
};

} // namespace gui
