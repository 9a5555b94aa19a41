#include "gui/SplashScreen.h"

#include "gui/Frame.h"

namespace gui {

SplashScreen::SplashScreen(const Rect& size, ControlListener* listener, int tag,
                           std::unique_ptr<View> splash)
    : Control(size, listener, tag), splash_(std::move(splash))
{
    setDefaultValue(0.0f);
}

SplashScreen::~SplashScreen()
{
    if (showing_ && frame())
        frame()->clearModalView();
}

void SplashScreen::splash()
{
    if (showing_ || !splash_ || !frame())
        return;
    showing_ = true;
    frame()->setModalView(splash_.get(), this);
    beginEdit();
    changeValue(1.0f);
    endEdit();
}

void SplashScreen::unSplash()
{
    if (!showing_)
        return;
    showing_ = false;
    if (frame() && frame()->modalView() == splash_.get())
        frame()->clearModalView();
    beginEdit();
    changeValue(0.0f);
    endEdit();
}

MouseResult SplashScreen::onMouseDown(const MouseEvent& e)
{
    if (!e.leftButton())
        return MouseResult::ignored;
    splash();
    return MouseResult::handledNoCapture;
}

void SplashScreen::removing()
{
    if (showing_) {
        showing_ = false;
        if (frame() && frame()->modalView() == splash_.get())
            frame()->clearModalView();
        setValue(0.0f);
    }
    Control::removing();
}

} // namespace gui
