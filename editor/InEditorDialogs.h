#pragma once

#include "editor/PlatformServices.h"
#include "gui/View.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gui {
class Frame;
}

namespace editor {

// Messages, questions and the file chooser drawn inside the editor's frame as
// its modal overlay. One is shown at a time; later ones wait their turn.
// Without a frame (the editor is closed) a message goes to standard error, a
// question answers its last button and a chooser answers nothing. A frame
// that goes away takes its boxes with it: those waiting are treated the same
// way, and so are the question or chooser on show (a message on show has
// been seen).
//
// Threads: user-interface thread only.
class InEditorDialogs {
public:
    using Answered = std::function<void(int button)>;

    InEditorDialogs();
    ~InEditorDialogs();

    // The frame to draw into, or null while the editor is closed.
    void setFrame(gui::Frame* frame);
    gui::Frame* frame() const { return frame_; }

    void showMessage(const std::string& text);
    // A question with buttons; `answered` gets the index of the one chosen.
    void ask(const std::string& text, std::vector<std::string> buttons, Answered answered);
    void chooseFile(const FileDialog& dialog, PlatformServices::FileChosen done);

    // The box up now, if any.
    gui::View* current() const { return current_.get(); }
    bool isShowing() const { return current_ != nullptr; }
    // Frees the boxes that have answered (they may not be freed from inside
    // their own handlers). Call from idle.
    void idle() { done_.clear(); }
    std::size_t waiting() const { return waiting_.size(); }

private:
    struct Pending {
        std::function<std::unique_ptr<gui::View>(const gui::Rect& area)> make; // builds the box
        std::function<void()> dropped; // told when it can never be shown, or goes unanswered
        bool answerNeeded = true;      // false: once shown, it has done its work (a message)
    };

    void enqueue(Pending pending);
    void showNext();
    void finished(); // the current box answered
    void dropAll();

    gui::Frame* frame_ = nullptr;                  // where boxes are drawn, or null
    std::unique_ptr<gui::View> current_;           // the box up now
    std::function<void()> currentDropped_;         // its `dropped`
    std::vector<std::unique_ptr<gui::View>> done_; // answered boxes, freed on idle
    std::deque<Pending> waiting_;                  // boxes after the current one
    std::filesystem::path lastFolder_;             // where the chooser opens next
};

} // namespace editor
