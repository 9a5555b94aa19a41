#include "editor/TremSpeedKnob.h"

#include "gui/Frame.h"

namespace editor {

NoteDisplay::~NoteDisplay()
{
    if (knob_)
        knob_->displayDestroyed();
}

TremSpeedKnob::TremSpeedKnob(const gui::Rect& size, gui::ControlListener* listener, int tag, int frames,
                             const gui::Bitmap& strip, std::unique_ptr<NoteDisplay> noteDisplay)
    : AnimKnob(size, listener, tag, frames, strip), noteDisplay_(noteDisplay.get()), detached_(std::move(noteDisplay))
{
    if (noteDisplay_)
        noteDisplay_->setKnob(this);
}

TremSpeedKnob::~TremSpeedKnob()
{
    // A display still in the frame outlives the knob: it must not call back.
    if (noteDisplay_)
        noteDisplay_->setKnob(nullptr);
}

void TremSpeedKnob::displayDestroyed()
{
    noteDisplay_ = nullptr;
    displayShown_ = false;
}

void TremSpeedKnob::setSync(float syncValue)
{
    synced_ = syncValue == 0.0f;
    if (!synced_)
        hideDisplay();
}

void TremSpeedKnob::setValue(float value)
{
    AnimKnob::setValue(value);
    if (noteDisplay_)
        noteDisplay_->setValue(this->value());
}

void TremSpeedKnob::showDisplay()
{
    if (displayShown_ || !detached_ || !noteDisplay_ || !frame())
        return;
    noteDisplay_->setValue(value());
    gui::Frame* f = frame();
    f->addView(std::move(detached_));
    f->invalid();
    displayShown_ = true;
}

void TremSpeedKnob::hideDisplay()
{
    if (!displayShown_ || !noteDisplay_)
        return;
    gui::Frame* f = noteDisplay_->frame();
    if (f) {
        std::unique_ptr<gui::View> back = f->removeView(noteDisplay_);
        detached_.reset(static_cast<NoteDisplay*>(back.release()));
        f->invalid();
    }
    displayShown_ = false;
}

gui::MouseResult TremSpeedKnob::onMouseDown(const gui::MouseEvent& e)
{
    if (synced_)
        showDisplay();
    return AnimKnob::onMouseDown(e);
}

void TremSpeedKnob::onMouseUp(const gui::MouseEvent& e)
{
    if (synced_)
        hideDisplay();
    AnimKnob::onMouseUp(e);
}

void TremSpeedKnob::onMouseEntered(const gui::MouseEvent& e)
{
    if (synced_)
        showDisplay();
    AnimKnob::onMouseEntered(e);
}

void TremSpeedKnob::onMouseExited(const gui::MouseEvent& e)
{
    if (synced_)
        hideDisplay();
    AnimKnob::onMouseExited(e);
}

void TremSpeedKnob::removing()
{
    // Leaving the frame: the display goes back to the knob so it never
    // outlives it in a frame that is being torn down.
    hideDisplay();
    AnimKnob::removing();
}

} // namespace editor
