#pragma once

#include <memory>

#include "gui/AnimKnob.h"
#include "gui/ParamDisplay.h"

namespace editor {

class TremSpeedKnob;

// The note-value display under the speed knob. The frame owns it while it is
// shown; it tells its knob when it is destroyed there (the frame going away).
class NoteDisplay final : public gui::ParamDisplay {
public:
    NoteDisplay(const gui::Rect& size, int tag) : ParamDisplay(size, nullptr, tag) {}
    ~NoteDisplay() override;
    void setKnob(TremSpeedKnob* knob) { knob_ = knob; }

private:
    TremSpeedKnob* knob_ = nullptr; // told of the display's end, may be null
};

// The tremolo speed knob. While the tremolo follows the host tempo, pointing
// at the knob or pressing it shows the note value the speed selects in a
// small display under it; leaving or releasing takes the display away.
class TremSpeedKnob final : public gui::AnimKnob {
public:
    TremSpeedKnob(const gui::Rect& size, gui::ControlListener* listener, int tag, int frames,
                  const gui::Bitmap& strip, std::unique_ptr<NoteDisplay> noteDisplay);
    ~TremSpeedKnob() override;

    bool isTypeOf(std::string_view name) const override
    {
        return name == "TremSpeedKnob" || AnimKnob::isTypeOf(name);
    }

    // "Tremolo Sync" value: synced when exactly 0. Leaving sync takes the
    // display away.
    void setSync(float syncValue);
    bool isSynced() const { return synced_; }
    bool isDisplayShown() const { return displayShown_; }
    gui::ParamDisplay* noteDisplay() const { return noteDisplay_; }
    // The display was destroyed by the frame that held it.
    void displayDestroyed();

    void setValue(float value) override;
    gui::MouseResult onMouseDown(const gui::MouseEvent& e) override;
    void onMouseUp(const gui::MouseEvent& e) override;
    void onMouseEntered(const gui::MouseEvent& e) override;
    void onMouseExited(const gui::MouseEvent& e) override;

protected:
    void removing() override;

private:
    void showDisplay();
    void hideDisplay();

    NoteDisplay* noteDisplay_;                      // the display, wherever it is; null once destroyed
    std::unique_ptr<NoteDisplay> detached_;         // held here while not in the frame
    bool displayShown_ = false;                     // the frame holds the display
    bool synced_ = false;                           // "Tremolo Sync" is 0
};

} // namespace editor
