#include "editor/InEditorDialogs.h"

#include "gui/FileChooserView.h"
#include "gui/Frame.h"
#include "gui/MessageBoxView.h"

#include <cstdio>

namespace editor {

InEditorDialogs::InEditorDialogs() = default;

InEditorDialogs::~InEditorDialogs() { setFrame(nullptr); }

void InEditorDialogs::setFrame(gui::Frame* frame)
{
    if (frame == frame_)
        return;
    if (frame_ && current_ && frame_->modalView() == current_.get())
        frame_->clearModalView();
    frame_ = frame;
    if (!frame_) {
        dropAll();
        return;
    }
    showNext();
}

void InEditorDialogs::showMessage(const std::string& text)
{
    enqueue({[this, text](const gui::Rect& area) -> std::unique_ptr<gui::View> {
                 return std::make_unique<gui::MessageBoxView>(area, text, std::vector<std::string>{"OK"},
                                                              [this](int) { finished(); });
             },
             [text] { std::fprintf(stderr, "%s\n", text.c_str()); }, false});
}

void InEditorDialogs::ask(const std::string& text, std::vector<std::string> buttons, Answered answered)
{
    auto shared = std::make_shared<Answered>(std::move(answered));
    const int last = int(buttons.size()) - 1;
    enqueue({[this, text, buttons, shared](const gui::Rect& area) -> std::unique_ptr<gui::View> {
                 return std::make_unique<gui::MessageBoxView>(area, text, buttons, [this, shared](int button) {
                     finished();
                     (*shared)(button);
                 });
             },
             [shared, last] { (*shared)(last); }});
}

void InEditorDialogs::chooseFile(const FileDialog& dialog, PlatformServices::FileChosen done)
{
    auto shared = std::make_shared<PlatformServices::FileChosen>(std::move(done));
    enqueue({[this, dialog, shared](const gui::Rect& area) -> std::unique_ptr<gui::View> {
                 gui::FileChooserView::Options options{dialog.title, dialog.filterName, dialog.pattern,
                                                       dialog.defaultExtension, dialog.save, lastFolder_};
                 return std::make_unique<gui::FileChooserView>(
                     area, std::move(options), [this, shared](std::optional<std::string> path) {
                         if (path)
                             lastFolder_ = std::filesystem::path(*path).parent_path();
                         finished();
                         (*shared)(std::move(path));
                     });
             },
             [shared] { (*shared)(std::nullopt); }});
}

void InEditorDialogs::enqueue(Pending pending)
{
    if (!frame_) {
        pending.dropped();
        return;
    }
    waiting_.push_back(std::move(pending));
    if (!current_)
        showNext();
}

void InEditorDialogs::showNext()
{
    if (current_ || !frame_ || waiting_.empty())
        return;
    Pending next = std::move(waiting_.front());
    waiting_.pop_front();
    // A press in progress (the click that asked for the box) ends first.
    frame_->cancelPress();
    current_ = next.make(frame_->size());
    if (next.answerNeeded)
        currentDropped_ = std::move(next.dropped);
    frame_->setModalView(current_.get(), nullptr);
}

void InEditorDialogs::finished()
{
    // Called from inside the box's own handler: keep it alive until idle.
    if (frame_ && frame_->modalView() == current_.get())
        frame_->clearModalView();
    done_.push_back(std::move(current_));
    currentDropped_ = nullptr;
    showNext();
}

void InEditorDialogs::dropAll()
{
    std::deque<Pending> waiting = std::move(waiting_);
    waiting_.clear();
    std::function<void()> currentDropped = std::move(currentDropped_);
    currentDropped_ = nullptr;
    if (current_)
        done_.push_back(std::move(current_));
    if (currentDropped)
        currentDropped();
    for (Pending& p : waiting)
        p.dropped();
}

} // namespace editor
