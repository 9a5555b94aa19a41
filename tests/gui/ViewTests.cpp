// Views, containers and the frame: drawing, attaching and detaching at run
// time, dirty regions, capture, enter and leave, the modal overlay and the
// type query.
#include "TestBitmaps.h"

#include "gui/AnimKnob.h"
#include "gui/Frame.h"
#include "gui/HorizontalSlider.h"
#include "gui/KickButton.h"
#include "gui/MovieBitmap.h"
#include "gui/OnOffButton.h"
#include "gui/OptionMenu.h"
#include "gui/SplashScreen.h"
#include "gui/TextLabel.h"
#include "gui/VerticalSwitch.h"
#include "gui/VuMeter.h"

#include <gtest/gtest.h>

using namespace gui;
using guitest::frameShownAt;

namespace {

// A view that writes down the crossing and mouse events it gets.
class TracingView : public View {
public:
    TracingView(const Rect& r, std::vector<std::string>& log, std::string name)
        : View(r), log_(log), name_(std::move(name))
    {
    }
    MouseResult onMouseDown(const MouseEvent& e) override
    {
        log_.push_back(name_ + " down " + std::to_string(e.where.x) + "," + std::to_string(e.where.y));
        return MouseResult::handled;
    }
    void onMouseMoved(const MouseEvent& e) override
    {
        log_.push_back(name_ + " moved " + std::to_string(e.where.x) + "," + std::to_string(e.where.y));
    }
    void onMouseUp(const MouseEvent&) override { log_.push_back(name_ + " up"); }
    void onMouseEntered(const MouseEvent&) override { log_.push_back(name_ + " entered"); }
    void onMouseExited(const MouseEvent&) override { log_.push_back(name_ + " exited"); }

private:
    std::vector<std::string>& log_;
    std::string name_;
};

// A frame with a grey background bitmap: a pixel of that grey means "nothing drawn here".
constexpr Color kGrey{100, 100, 100, 255};
std::unique_ptr<Frame> greyFrame(int w = 200, int h = 100)
{
    auto frame = std::make_unique<Frame>(w, h);
    frame->setBackground(guitest::solid(w, h, kGrey, "background"));
    return frame;
}
bool isGrey(const Frame& f, int x, int y)
{
    return f.image().pixel(x, y) == Image::premultiply(kGrey);
}

} // namespace

TEST(Frame, DrawsBackgroundAndChildrenAtTheirPlaces)
{
    auto frame = greyFrame();
    auto panel = std::make_unique<ViewContainer>(Rect{50, 20, 150, 80});
    panel->add(std::make_unique<MovieBitmap>(Rect{10, 10, 20, 20}, nullptr, 1, 3, guitest::filmStrip(3, 10, 10)))->setValue(1.0f);
    frame->addView(std::move(panel));
    const auto drawn = frame->redrawDirty();
    ASSERT_FALSE(drawn.empty());
    EXPECT_TRUE(frame->dirtyRegion().empty());
    EXPECT_TRUE(isGrey(*frame, 0, 0));
    EXPECT_TRUE(isGrey(*frame, 59, 30)) << "just left of the movie bitmap";
    EXPECT_EQ(frameShownAt(frame->image(), 60, 30), 2) << "container offset added";
    EXPECT_EQ(frameShownAt(frame->image(), 69, 39), 2);
    EXPECT_TRUE(isGrey(*frame, 70, 40));
}

TEST(Frame, ContainersAttachAndDetachAtRunTime)
{
    auto frame = greyFrame();
    frame->redrawDirty();

    auto strip = std::make_unique<ViewContainer>(Rect{20, 50, 120, 75});
    strip->setBackground(guitest::solid(100, 25, {10, 200, 10, 255}, "strip"));
    auto* slider = strip->add(std::make_unique<HorizontalSlider>(Rect{10, 3, 90, 11}, nullptr, 41, 10, 80,
                                                                 guitest::solid(10, 8, {250, 250, 0, 255})));
    EXPECT_EQ(slider->frame(), nullptr) << "not attached while its container is not";
    slider->invalid(); // harmless while detached
    EXPECT_TRUE(frame->dirtyRegion().empty());

    ViewContainer* raw = strip.get();
    frame->addView(std::move(strip));
    EXPECT_EQ(slider->frame(), frame.get());
    EXPECT_EQ(frame->dirtyRegion().bounds(), (Rect{20, 50, 120, 75}));
    frame->redrawDirty();
    EXPECT_EQ(frame->image().pixel(25, 52), 0x0AC80AFFu);

    // Detaching hands the container back and redraws what was below it.
    std::unique_ptr<View> back = frame->removeView(raw);
    ASSERT_EQ(back.get(), raw);
    EXPECT_EQ(slider->frame(), nullptr);
    EXPECT_EQ(frame->dirtyRegion().bounds(), (Rect{20, 50, 120, 75}));
    frame->redrawDirty();
    EXPECT_TRUE(isGrey(*frame, 25, 52));
    EXPECT_EQ(frame->removeView(raw), nullptr) << "no longer a child";

    // A detached control keeps its value; attached again, it shows it.
    slider->setValue(1.0f);
    frame->addView(std::move(back));
    frame->redrawDirty();
    EXPECT_EQ(frame->image().pixel(20 + 80, 50 + 3), 0xFAFA00FFu) << "handle at the end of its travel";
}

TEST(Frame, OnlyChangedPartsAreRedrawn)
{
    auto frame = greyFrame();
    auto* a = frame->add(std::make_unique<MovieBitmap>(Rect{0, 0, 10, 10}, nullptr, 1, 2, guitest::filmStrip(2, 10, 10)));
    auto* b = frame->add(std::make_unique<MovieBitmap>(Rect{100, 50, 110, 60}, nullptr, 2, 2, guitest::filmStrip(2, 10, 10)));
    frame->redrawDirty();
    EXPECT_TRUE(frame->redrawDirty().empty()) << "nothing changed";

    a->setValue(0.0f); // no change: no redraw
    EXPECT_TRUE(frame->dirtyRegion().empty());
    b->setValue(1.0f);
    a->setValue(1.0f);
    const auto drawn = frame->redrawDirty();
    ASSERT_EQ(drawn.size(), 2u) << "two distant areas stay separate";
    EXPECT_EQ(frameShownAt(frame->image(), 5, 5), 1);
    EXPECT_EQ(frameShownAt(frame->image(), 105, 55), 1);
}

TEST(Frame, HiddenViewsAreNotDrawnAndDoNotTakeClicks)
{
    auto frame = greyFrame();
    guitest::RecordingListener listener;
    auto* button = frame->add(std::make_unique<OnOffButton>(Rect{0, 0, 10, 10}, &listener, 5, guitest::filmStrip(2, 10, 10)));
    button->setVisible(false);
    frame->redrawDirty();
    EXPECT_TRUE(isGrey(*frame, 5, 5));
    guitest::click(*frame, 5, 5);
    EXPECT_TRUE(listener.log.empty());
    button->setVisible(true);
    EXPECT_FALSE(frame->dirtyRegion().empty());
    frame->redrawDirty();
    EXPECT_EQ(frameShownAt(frame->image(), 5, 5), 0);
}

TEST(Frame, TheViewThatTakesAPressGetsMovesAndReleaseInItsOwnCoordinates)
{
    auto frame = greyFrame();
    std::vector<std::string> log;
    auto panel = std::make_unique<ViewContainer>(Rect{50, 20, 150, 80});
    panel->add(std::make_unique<TracingView>(Rect{10, 10, 20, 20}, log, "a"));
    frame->addView(std::move(panel));
    frame->add(std::make_unique<TracingView>(Rect{0, 0, 40, 40}, log, "b"));

    guitest::move(*frame, 65, 35);
    guitest::press(*frame, 65, 35);
    guitest::move(*frame, 5, 5);     // over "b": still "a"'s drag
    guitest::move(*frame, 300, -20); // outside the frame
    guitest::release(*frame, 300, -20);
    const std::vector<std::string> expected = {
        "a entered", "a down 15,15", "a moved -45,-15", "a moved 250,-40", "a up", "a exited",
    };
    EXPECT_EQ(log, expected);
    EXPECT_EQ(frame->mouseCapture(), nullptr);
}

TEST(Frame, EnterAndLeaveFollowThePointer)
{
    auto frame = greyFrame();
    std::vector<std::string> log;
    frame->add(std::make_unique<TracingView>(Rect{0, 0, 10, 10}, log, "a"));
    frame->add(std::make_unique<TracingView>(Rect{10, 0, 20, 10}, log, "b"));
    guitest::move(*frame, 5, 5);
    guitest::move(*frame, 6, 5);
    guitest::move(*frame, 15, 5);
    guitest::move(*frame, 50, 50);
    guitest::move(*frame, 15, 5);
    frame->mouseLeftWindow();
    const std::vector<std::string> expected = {"a entered", "a exited", "b entered", "b exited", "b entered", "b exited"};
    EXPECT_EQ(log, expected);

    // A display laid over a view does not take the hover from it.
    log.clear();
    frame->add(std::make_unique<TextLabel>(Rect{0, 5, 20, 15}, "note"));
    guitest::move(*frame, 5, 3);
    guitest::move(*frame, 6, 8); // over the label and the view
    EXPECT_EQ(log, (std::vector<std::string>{"a entered"}));
}

TEST(Frame, RemovingTheCapturedViewMidDragIsSafe)
{
    auto frame = greyFrame();
    guitest::RecordingListener listener;
    auto* knob = frame->add(std::make_unique<AnimKnob>(Rect{0, 0, 10, 10}, &listener, 7, 11, guitest::filmStrip(11, 10, 10)));
    guitest::press(*frame, 5, 5);
    guitest::move(*frame, 5, 0);
    std::unique_ptr<View> removed = frame->removeView(knob);
    EXPECT_EQ(frame->mouseCapture(), nullptr);
    guitest::move(*frame, 5, -50);
    guitest::release(*frame, 5, -50);
    ASSERT_FALSE(listener.log.empty());
    EXPECT_EQ(listener.log.back(), "end 7") << "the edit ends when the control leaves";
    EXPECT_EQ(std::count(listener.log.begin(), listener.log.end(), "end 7"), 1);
}

TEST(Frame, APressCutShortEndsItsGestureWhereItIs)
{
    // Knob, slider and switch end their edit at the value reached; a kick
    // button reports no release, so nothing is done.
    auto frame = greyFrame(400, 100);
    guitest::RecordingListener listener;
    auto* knob = frame->add(std::make_unique<AnimKnob>(Rect{0, 0, 10, 10}, &listener, 1, 11, guitest::filmStrip(11, 10, 10)));
    frame->add(std::make_unique<HorizontalSlider>(Rect{100, 0, 200, 8}, &listener, 2, 100, 190, guitest::solid(10, 8, kGrey)));
    frame->add(std::make_unique<VerticalSwitch>(Rect{300, 0, 310, 30}, &listener, 3, 3, guitest::filmStrip(3, 10, 10)));
    auto* kick = frame->add(std::make_unique<KickButton>(Rect{350, 0, 360, 10}, &listener, 4, guitest::filmStrip(2, 10, 10)));
    const struct {
        int x, y, toX, toY, tag;
    } presses[] = {{5, 5, 5, -15, 1}, {105, 4, 150, 4, 2}, {305, 2, 305, 25, 3}, {355, 5, 355, 5, 4}};
    for (const auto& p : presses) {
        listener.log.clear();
        guitest::press(*frame, p.x, p.y);
        guitest::move(*frame, p.toX, p.toY);
        frame->cancelPress();
        EXPECT_EQ(frame->mouseCapture(), nullptr);
        ASSERT_FALSE(listener.log.empty());
        EXPECT_EQ(listener.log.back(), "end " + std::to_string(p.tag));
        EXPECT_EQ(std::count(listener.log.begin(), listener.log.end(), "end " + std::to_string(p.tag)), 1);
        guitest::release(*frame, p.toX, p.toY); // a late release changes nothing
        EXPECT_EQ(listener.log.back(), "end " + std::to_string(p.tag));
    }
    EXPECT_NEAR(knob->value(), 0.1f, 1e-6) << "kept where the drag had taken it";
    EXPECT_EQ(kick->value(), 0.0f);
    EXPECT_EQ(std::count(listener.log.begin(), listener.log.end(), "change 4 0"), 0);

    // Closing the frame's window mid-drag cuts the press short as well.
    listener.log.clear();
    guitest::press(*frame, 5, 5);
    frame->close();
    EXPECT_EQ(listener.log, (std::vector<std::string>{"begin 1", "end 1"}));
}

namespace {
class CountingOwner : public ModalOwner {
public:
    void modalClickOutside() override { ++clicks; }
    int clicks = 0;
};
} // namespace

TEST(Frame, AModalOverlayTakesEveryEventAndIsDrawnOnTop)
{
    auto frame = greyFrame();
    guitest::RecordingListener listener;
    frame->add(std::make_unique<OnOffButton>(Rect{0, 0, 40, 40}, &listener, 3, guitest::filmStrip(2, 40, 40)));
    std::vector<std::string> log;
    TracingView overlay({20, 20, 60, 60}, log, "modal");
    overlay.setBackground(guitest::solid(40, 40, {1, 2, 3, 255}));
    CountingOwner owner;
    frame->setModalView(&overlay, &owner);
    frame->redrawDirty();
    EXPECT_EQ(frame->image().pixel(30, 30), 0x010203FFu) << "over the button";
    EXPECT_EQ(frameShownAt(frame->image(), 10, 10), 0);

    guitest::click(*frame, 10, 10); // on the button, outside the overlay
    EXPECT_TRUE(listener.log.empty()) << "the button below gets nothing";
    EXPECT_EQ(owner.clicks, 1);
    guitest::click(*frame, 30, 30);
    EXPECT_EQ(log.back(), "modal up");
    EXPECT_EQ(owner.clicks, 1);

    frame->clearModalView();
    EXPECT_EQ(overlay.frame(), nullptr);
    frame->redrawDirty();
    EXPECT_EQ(frameShownAt(frame->image(), 30, 30), 0);
    guitest::click(*frame, 10, 10);
    EXPECT_EQ(listener.log, (std::vector<std::string>{"begin 3", "change 3 1", "end 3"}));
}

TEST(TypeQuery, EachClassAnswersForItselfAndItsAncestors)
{
    const Bitmap strip = guitest::filmStrip(2, 4, 4);
    struct Case {
        std::unique_ptr<View> view;
        std::vector<const char*> is;
        std::vector<const char*> isNot;
    };
    std::vector<Case> cases;
    cases.push_back({std::make_unique<View>(Rect{}), {"CView"}, {"CControl", "CViewContainer"}});
    cases.push_back({std::make_unique<ViewContainer>(Rect{}), {"CViewContainer", "CView"}, {"CControl", "CFrame"}});
    cases.push_back({std::make_unique<Frame>(4, 4), {"CFrame", "CViewContainer", "CView"}, {"CControl"}});
    cases.push_back({std::make_unique<AnimKnob>(Rect{}, nullptr, 0, 2, strip), {"CAnimKnob", "CKnob", "CControl", "CView"}, {"CViewContainer", "COnOffButton"}});
    cases.push_back({std::make_unique<Knob>(Rect{}, nullptr, 0), {"CKnob", "CControl", "CView"}, {"CAnimKnob"}});
    cases.push_back({std::make_unique<OnOffButton>(Rect{}, nullptr, 0, strip), {"COnOffButton", "CControl", "CView"}, {"CKickButton"}});
    cases.push_back({std::make_unique<KickButton>(Rect{}, nullptr, 0, strip), {"CKickButton", "CControl"}, {"COnOffButton"}});
    cases.push_back({std::make_unique<VerticalSwitch>(Rect{}, nullptr, 0, 3, strip), {"CVerticalSwitch", "CControl"}, {"CKnob"}});
    cases.push_back({std::make_unique<MovieBitmap>(Rect{}, nullptr, 0, 2, strip), {"CMovieBitmap", "CControl"}, {"CAnimKnob"}});
    cases.push_back({std::make_unique<HorizontalSlider>(Rect{}, nullptr, 0, 0, 1, strip), {"CHorizontalSlider", "CSlider", "CControl"}, {"CKnob"}});
    cases.push_back({std::make_unique<VuMeter>(Rect{}, strip, strip, 4), {"CVuMeter", "CControl"}, {"CParamDisplay"}});
    cases.push_back({std::make_unique<ParamDisplay>(Rect{}), {"CParamDisplay", "CControl", "CView"}, {"CTextLabel"}});
    cases.push_back({std::make_unique<TextLabel>(Rect{}, "x"), {"CTextLabel", "CParamDisplay", "CControl"}, {"COptionMenu"}});
    cases.push_back({std::make_unique<OptionMenu>(Rect{}, nullptr, 0), {"COptionMenu", "CParamDisplay", "CControl", "CView"}, {"CTextLabel"}});
    cases.push_back({std::make_unique<SplashScreen>(Rect{}, nullptr, 0, nullptr), {"CSplashScreen", "CControl"}, {"CViewContainer"}});
    for (const Case& c : cases) {
        for (const char* name : c.is)
            EXPECT_TRUE(c.view->isTypeOf(name)) << c.is.front() << " is " << name;
        for (const char* name : c.isNot)
            EXPECT_FALSE(c.view->isTypeOf(name)) << c.is.front() << " is not " << name;
        EXPECT_FALSE(c.view->isTypeOf("")) << c.is.front();
    }
}
