#pragma once

#include "gui/SplashScreen.h"
#include "gui/ViewContainer.h"

namespace editor {

// The about box: shown by the splash trigger, gone again at the first click
// anywhere on it.
class CAboutContainer final : public gui::ViewContainer {
public:
    explicit CAboutContainer(const gui::Rect& size) : ViewContainer(size) {}

    bool isTypeOf(std::string_view name) const override
    {
        return name == "CAboutContainer" || ViewContainer::isTypeOf(name);
    }

    void setSplashTrigger(gui::SplashScreen* trigger) { splashTrigger_ = trigger; }

    gui::MouseResult onMouseDown(const gui::MouseEvent& e) override
    {
        ViewContainer::onMouseDown(e);
        if (splashTrigger_)
            splashTrigger_->unSplash();
        return gui::MouseResult::handledNoCapture;
    }

private:
    gui::SplashScreen* splashTrigger_ = nullptr; // shows and hides this box, not owned
};

} // namespace editor
