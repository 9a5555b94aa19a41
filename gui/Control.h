#pragma once

#include "gui/ControlListener.h"
#include "gui/View.h"

namespace gui {

// A view with a value the user can change: a tag that tells the listener
// which control it is, a value in 0..1 and one listener. setValue() is for
// changes from outside (the plug-in) and is never reported back; changes the
// user makes are reported through the listener, framed by beginEdit and
// endEdit notices.
class Control : public View {
public:
    Control(const Rect& size, ControlListener* listener, int tag, const Bitmap& background = {});

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CControl" || View::isTypeOf(name);
    }

    int tag() const { return tag_; }
    float value() const { return value_; }
    // Sets the value (clamped to 0..1) without telling the listener; redraws
    // when it changed.
    virtual void setValue(float value);

    // The value restored by the default-value gesture.
    float defaultValue() const { return defaultValue_; }
    void setDefaultValue(float value);

    ControlListener* listener() const { return listener_; }
    void setListener(ControlListener* listener) { listener_ = listener; }

    bool isEditing() const { return editing_; }

    // The modifier that, held during a press, restores the default value.
    static constexpr unsigned kDefaultValueModifier = modifiers::control;

protected:
    // Edit notices and the report of a change. beginEdit/endEdit nest safely:
    // only the outermost pair reaches the listener.
    void beginEdit();
    void endEdit();
    void valueChanged();
    // Sets the value and reports it when it changed; returns whether it did.
    bool changeValue(float value);
    // A control taken out of the frame mid-gesture ends its edit.
    void removing() override;

private:
    ControlListener* listener_; // told about user changes; may be null
    int tag_;                   // identifies the control to the listener
    float value_ = 0.0f;        // 0..1
    float defaultValue_ = 0.5f; // 0..1
    int editDepth_ = 0;         // open beginEdit calls
    bool editing_ = false;      // between the outermost beginEdit and endEdit
};

} // namespace gui
