#pragma once

#include "gui/Control.h"
#include "gui/ModalOwner.h"

#include <memory>

namespace gui {

// An area that, when clicked, shows another view (the splash, an about box)
// over the whole frame as its modal overlay. The splash's rectangle is in
// frame coordinates. A click the splash does not take, or one outside it,
// hides it again; the splash may also hide itself through unSplash(). The
// value is 1 while the splash shows and 0 otherwise; both changes are reported.
class SplashScreen : public Control, private ModalOwner {
public:
    SplashScreen(const Rect& size, ControlListener* listener, int tag, std::unique_ptr<View> splash);
    ~SplashScreen() override;

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CSplashScreen" || Control::isTypeOf(name);
    }

    View* splashView() const { return splash_.get(); }
    bool isSplashing() const { return showing_; }
    void splash();
    void unSplash();

    MouseResult onMouseDown(const MouseEvent& e) override;

protected:
    void removing() override;

private:
    void modalClickOutside() override { unSplash(); }

    std::unique_ptr<View> splash_; // the view shown, owned
    bool showing_ = false;         // up as the frame's overlay
};

} // namespace gui
