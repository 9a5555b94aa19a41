// Every control's drawing and mouse behaviour, headless: the frame's picture
// shows which film-strip frame or half a control draws, and a recording
// listener shows what the editor would hear.
#include "TestBitmaps.h"

#include "gui/AnimKnob.h"
#include "gui/Frame.h"
#include "gui/HorizontalSlider.h"
#include "gui/KickButton.h"
#include "gui/MovieBitmap.h"
#include "gui/OnOffButton.h"
#include "gui/ParamDisplay.h"
#include "gui/SplashScreen.h"
#include "gui/TextLabel.h"
#include "gui/VerticalSwitch.h"
#include "gui/VuMeter.h"

#include <gtest/gtest.h>

using namespace gui;
using guitest::frameShownAt;
using Log = std::vector<std::string>;

namespace {

// A frame of 650 × 500 with one control.
template <class T> struct Fixture {
    Frame frame{650, 500};
    guitest::RecordingListener listener;
    T* control = nullptr;

    template <class... Args> explicit Fixture(Args&&... args)
    {
        control = frame.add(std::make_unique<T>(std::forward<Args>(args)...));
        frame.redrawDirty();
    }
    // The film-strip frame shown at a point of the control.
    int shown(int dx = 1, int dy = 1)
    {
        frame.redrawDirty();
        return frameShownAt(frame.image(), control->size().left + dx, control->size().top + dy);
    }
};

} // namespace

// --- Film-strip knob --------------------------------------------------------------

TEST(AnimKnob, ShowsTheFrameNearestTheValue)
{
    struct Case {
        int frames;
        float value;
        int frame;
    };
    const Case cases[] = {
        {101, 0.0f, 0}, {101, 1.0f, 100}, {101, 0.5f, 50}, {101, 0.004f, 0}, {101, 0.006f, 1},
        {101, 0.996f, 100}, {51, 0.5f, 25}, {51, 0.03f, 2}, {51, 1.0f, 50}, {2, 0.49f, 0}, {2, 0.5f, 1},
    };
    for (const Case& c : cases) {
        Fixture<AnimKnob> f(Rect{100, 100, 147, 153}, nullptr, 11, c.frames, guitest::filmStrip(c.frames, 47, 53));
        f.control->setValue(c.value);
        EXPECT_EQ(f.control->currentFrame(), c.frame) << c.frames << " frames, value " << c.value;
        EXPECT_EQ(f.shown(0, 0), c.frame) << c.frames << " frames, value " << c.value;
        EXPECT_EQ(f.shown(46, 52), c.frame) << "the whole picture";
    }
}

TEST(AnimKnob, LinearVerticalDragMeasuredFromWhereItStarted)
{
    struct Case {
        const char* what;
        std::vector<int> moves; // pointer rows after the press at row 120
        unsigned mods;
        float expected;
    };
    const Case cases[] = {
        {"up 50 pixels", {70}, 0, 0.75f},
        {"down 50 pixels", {170}, 0, 0.25f},
        {"in steps", {110, 100, 90, 80, 70}, 0, 0.75f},
        {"up and back", {20, 220, 120}, 0, 0.5f},
        {"past the top", {-200}, 0, 1.0f},
        {"past the bottom", {500}, 0, 0.0f},
        {"finer with Shift", {20}, modifiers::shift, 0.55f},
    };
    for (const Case& c : cases) {
        Fixture<AnimKnob> f(Rect{100, 100, 147, 153}, &f.listener, 11, 101, guitest::filmStrip(101, 47, 53));
        f.control->setValue(0.5f);
        guitest::press(f.frame, 120, 120, c.mods);
        for (int y : c.moves)
            guitest::move(f.frame, 120, y, c.mods);
        guitest::release(f.frame, 120, c.moves.back(), c.mods);
        EXPECT_NEAR(f.control->value(), c.expected, 1e-6) << c.what;
        ASSERT_GE(f.listener.log.size(), 2u) << c.what;
        EXPECT_EQ(f.listener.log.front(), "begin 11") << c.what;
        EXPECT_EQ(f.listener.log.back(), "end 11") << c.what;
        EXPECT_EQ(std::count(f.listener.log.begin(), f.listener.log.end(), "begin 11"), 1) << c.what;
        EXPECT_FALSE(f.control->isEditing());
    }
}

TEST(AnimKnob, ShiftPressedMidDragContinuesFromThePointReached)
{
    Fixture<AnimKnob> f(Rect{100, 100, 147, 153}, &f.listener, 11, 101, guitest::filmStrip(101, 47, 53));
    f.control->setValue(0.5f);
    guitest::press(f.frame, 120, 120);
    guitest::move(f.frame, 120, 100);                   // +0.1
    guitest::move(f.frame, 120, 100, modifiers::shift); // no jump
    EXPECT_NEAR(f.control->value(), 0.6f, 1e-6);
    guitest::move(f.frame, 120, 0, modifiers::shift); // 100 pixels, ten times finer: +0.05
    EXPECT_NEAR(f.control->value(), 0.65f, 1e-6);
    guitest::move(f.frame, 120, 0);    // Shift released: again no jump
    guitest::move(f.frame, 120, -20);  // +0.1
    guitest::release(f.frame, 120, -20);
    EXPECT_NEAR(f.control->value(), 0.75f, 1e-6);
}

TEST(AnimKnob, DoubleClickAndCtrlClickRestoreTheDefault)
{
    for (const bool doubleClick : {true, false}) {
        Fixture<AnimKnob> f(Rect{100, 100, 147, 153}, &f.listener, 12, 101, guitest::filmStrip(101, 47, 53));
        f.control->setValue(0.9f);
        guitest::press(f.frame, 120, 120, doubleClick ? 0 : Control::kDefaultValueModifier, doubleClick);
        EXPECT_EQ(f.frame.mouseCapture(), nullptr) << "the gesture is complete at the press";
        guitest::move(f.frame, 120, 0);
        guitest::release(f.frame, 120, 0);
        EXPECT_EQ(f.control->value(), 0.5f);
        EXPECT_EQ(f.listener.log, (Log{"begin 12", "change 12 0.5", "end 12"}));
        EXPECT_EQ(f.shown(), 50);
    }
}

TEST(AnimKnob, WheelStepsTheValueAsOneEdit)
{
    Fixture<AnimKnob> f(Rect{100, 100, 147, 153}, &f.listener, 13, 101, guitest::filmStrip(101, 47, 53));
    f.control->setValue(0.5f);
    guitest::wheel(f.frame, 120, 120, 1.0f);
    EXPECT_NEAR(f.control->value(), 0.5f + Knob::kWheelStep, 1e-6);
    guitest::wheel(f.frame, 120, 120, -2.0f, modifiers::shift);
    EXPECT_NEAR(f.control->value(), 0.5f + Knob::kWheelStep - 2 * Knob::kWheelStep / Knob::kFineFactor, 1e-6);
    EXPECT_EQ(f.listener.log.size(), 6u);
    guitest::wheel(f.frame, 5, 5, 1.0f); // beside the knob
    EXPECT_EQ(f.listener.log.size(), 6u);
}

TEST(Controls, SetValueIsNeverReportedButRedraws)
{
    Fixture<AnimKnob> f(Rect{100, 100, 147, 153}, &f.listener, 14, 101, guitest::filmStrip(101, 47, 53));
    f.control->setValue(0.25f);
    EXPECT_EQ(f.frame.dirtyRegion().bounds(), f.control->size());
    EXPECT_EQ(f.shown(), 25);
    f.control->setValue(7.0f);
    EXPECT_EQ(f.control->value(), 1.0f) << "clamped";
    f.control->setValue(-1.0f);
    EXPECT_EQ(f.control->value(), 0.0f);
    f.control->setValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(f.control->value(), 0.0f);
    EXPECT_TRUE(f.listener.log.empty());
}

// --- Buttons and switches -------------------------------------------------------------

TEST(OnOffButton, ShowsTheUpperHalfForZeroAndTheLowerHalfOtherwise)
{
    const std::pair<float, int> cases[] = {{0.0f, 0}, {1.0f, 1}, {0.3f, 1}, {0.0001f, 1}};
    for (const auto& [value, half] : cases) {
        Fixture<OnOffButton> f(Rect{100, 100, 152, 144}, nullptr, 8, guitest::filmStrip(2, 52, 44));
        f.control->setValue(value);
        EXPECT_EQ(f.shown(0, 0), half) << value;
        EXPECT_EQ(f.shown(51, 43), half) << value;
    }
}

TEST(OnOffButton, ClickToggles)
{
    Fixture<OnOffButton> f(Rect{100, 100, 152, 144}, &f.listener, 8, guitest::filmStrip(2, 52, 44));
    guitest::click(f.frame, 110, 110);
    EXPECT_EQ(f.shown(), 1);
    guitest::click(f.frame, 110, 110);
    EXPECT_EQ(f.shown(), 0);
    f.control->setValue(0.4f);
    guitest::click(f.frame, 110, 110);
    EXPECT_EQ(f.control->value(), 0.0f);
    EXPECT_EQ(f.listener.log, (Log{"begin 8", "change 8 1", "end 8", "begin 8", "change 8 0", "end 8",
                                   "begin 8", "change 8 0", "end 8"}));
    gui::MouseEvent right;
    right.where = {110, 110};
    right.buttons = buttons::right;
    f.frame.mouseDown(right);
    f.frame.mouseUp(right);
    EXPECT_EQ(f.listener.log.size(), 9u) << "the right button does nothing";
}

TEST(VerticalSwitch, PressPicksTheBandAndDragFollows)
{
    // Three positions in a 36-pixel rectangle: bands of 12 pixels.
    struct Case {
        int y;
        float value;
    };
    const Case cases[] = {{100, 0.0f}, {111, 0.0f}, {112, 0.5f}, {123, 0.5f}, {124, 1.0f}, {135, 1.0f}};
    for (const Case& c : cases) {
        Fixture<VerticalSwitch> f(Rect{100, 100, 134, 136}, &f.listener, 9, 3, guitest::filmStrip(3, 34, 36));
        f.control->setValue(0.5f);
        guitest::click(f.frame, 110, c.y);
        EXPECT_EQ(f.control->value(), c.value) << "row " << c.y;
        EXPECT_EQ(f.shown(), int(c.value * 2)) << "row " << c.y;
        EXPECT_EQ(f.listener.log.front(), "begin 9");
        EXPECT_EQ(f.listener.log.back(), "end 9");
    }
    Fixture<VerticalSwitch> f(Rect{100, 100, 134, 124}, &f.listener, 10, 2, guitest::filmStrip(2, 34, 24));
    guitest::press(f.frame, 110, 101);
    guitest::move(f.frame, 110, 150); // below: clamps to the last position
    EXPECT_EQ(f.control->value(), 1.0f);
    guitest::move(f.frame, 110, 0);
    guitest::release(f.frame, 110, 0);
    EXPECT_EQ(f.control->value(), 0.0f);
    EXPECT_EQ(f.listener.log, (Log{"begin 10", "change 10 1", "change 10 0", "end 10"}));
}

TEST(KickButton, ReportsPressAndReleaseAndCancelsWhenReleasedOutside)
{
    Fixture<KickButton> f(Rect{100, 100, 114, 116}, &f.listener, 48, guitest::filmStrip(2, 14, 16));
    guitest::press(f.frame, 105, 105);
    EXPECT_EQ(f.shown(), 1) << "pressed picture";
    EXPECT_EQ(f.listener.log, (Log{"begin 48", "change 48 1"}));
    guitest::release(f.frame, 105, 105);
    EXPECT_EQ(f.shown(), 0);
    EXPECT_EQ(f.listener.log, (Log{"begin 48", "change 48 1", "change 48 0", "end 48"}));

    f.listener.log.clear();
    guitest::press(f.frame, 105, 105);
    guitest::move(f.frame, 200, 200);
    EXPECT_EQ(f.shown(), 0) << "shows released while the pointer is off the button";
    guitest::move(f.frame, 106, 106);
    EXPECT_EQ(f.shown(), 1);
    guitest::move(f.frame, 200, 200);
    guitest::release(f.frame, 200, 200);
    EXPECT_EQ(f.control->value(), 0.0f);
    EXPECT_EQ(f.listener.log, (Log{"begin 48", "change 48 1", "end 48"})) << "no release report";
}

TEST(MovieBitmap, ShowsTheFrameOfTheValueAndIgnoresTheMouse)
{
    Fixture<MovieBitmap> f(Rect{100, 100, 112, 112}, &f.listener, 67, 2, guitest::filmStrip(2, 12, 12));
    EXPECT_EQ(f.shown(), 0);
    f.control->setValue(1.0f);
    EXPECT_EQ(f.shown(), 1);
    guitest::click(f.frame, 105, 105);
    EXPECT_TRUE(f.listener.log.empty());
}

// --- Slider and meter -------------------------------------------------------------------

namespace {
const Color kHandle{250, 250, 0, 255};
int handleLeftEdge(const Frame& frame, int row)
{
    for (int x = 0; x < frame.size().width(); ++x)
        if (frame.image().pixel(x, row) == Image::premultiply(kHandle))
            return x;
    return -1;
}
} // namespace

TEST(HorizontalSlider, HandleTravelsBetweenItsEnds)
{
    // The mono mixer's slider: rectangle 127..371, handle 10 wide, travel 127..361.
    const std::pair<float, int> cases[] = {{0.0f, 127}, {1.0f, 361}, {0.5f, 244}, {0.25f, 186}};
    for (const auto& [value, left] : cases) {
        Fixture<HorizontalSlider> f(Rect{127, 3, 371, 11}, nullptr, 41, 127, 361, guitest::solid(10, 8, kHandle));
        f.control->setValue(value);
        f.frame.redrawDirty();
        EXPECT_EQ(handleLeftEdge(f.frame, 5), left) << value;
        EXPECT_EQ(f.control->handleRect(), Rect::fromSize(left, 3, 10, 8));
    }
}

TEST(HorizontalSlider, GrabbedHandleKeepsItsOffsetAndAPressBesideItJumps)
{
    Fixture<HorizontalSlider> f(Rect{127, 3, 371, 11}, &f.listener, 41, 127, 361, guitest::solid(10, 8, kHandle));
    f.control->setValue(0.0f);
    guitest::press(f.frame, 135, 6); // 8 pixels into the handle
    EXPECT_EQ(f.control->value(), 0.0f) << "grabbing does not move it";
    guitest::move(f.frame, 135 + 117, 40); // rows do not matter
    guitest::release(f.frame, 135 + 117, 40);
    EXPECT_NEAR(f.control->value(), 0.5f, 1e-6);
    f.frame.redrawDirty();
    EXPECT_EQ(handleLeftEdge(f.frame, 5), 244);

    f.listener.log.clear();
    guitest::press(f.frame, 300, 6); // beside: its centre jumps to x = 300
    EXPECT_NEAR(f.control->value(), (300 - 5 - 127) / 234.0f, 1e-6);
    guitest::move(f.frame, 1000, 6);
    guitest::release(f.frame, 1000, 6);
    EXPECT_EQ(f.control->value(), 1.0f);
    EXPECT_EQ(f.listener.log.front(), "begin 41");
    EXPECT_EQ(f.listener.log.back(), "end 41");

    guitest::press(f.frame, 200, 6, Control::kDefaultValueModifier);
    EXPECT_EQ(f.control->value(), 0.5f);
    EXPECT_EQ(f.frame.mouseCapture(), nullptr);
}

TEST(VuMeter, FallsByAtMostATenthPerUpdateAndRisesAtOnce)
{
    VuMeter meter({0, 0, 42, 8}, {}, {}, 14);
    meter.setValue(1.0f);
    EXPECT_EQ(meter.value(), 1.0f);
    const float falls[] = {0.9f, 0.8f, 0.7f, 0.6f};
    for (float expected : falls) {
        meter.setValue(0.0f);
        EXPECT_NEAR(meter.value(), expected, 1e-6);
    }
    meter.setValue(0.55f); // a smaller drop is taken whole
    EXPECT_NEAR(meter.value(), 0.55f, 1e-6);
    meter.setValue(0.95f);
    EXPECT_NEAR(meter.value(), 0.95f, 1e-6);
    for (int i = 0; i < 20; ++i)
        meter.setValue(0.0f);
    EXPECT_EQ(meter.value(), 0.0f);
}

TEST(VuMeter, LightsWholeSegmentsOfTheLitBitmap)
{
    const Color lit{0, 250, 0, 255};
    const Color unlit{0, 40, 0, 255};
    struct Case {
        float value;
        int litPixels; // of 42, 14 segments of 3
    };
    const Case cases[] = {{0.0f, 0}, {0.5f, 21}, {1.0f, 42}, {0.03f, 0}, {0.04f, 3}, {0.97f, 42}};
    for (const Case& c : cases) {
        Frame frame(100, 20);
        auto* meter = frame.add(std::make_unique<VuMeter>(Rect{10, 5, 52, 13}, guitest::solid(42, 8, lit),
                                                          guitest::solid(42, 8, unlit), 14));
        meter->setFallStep(1.0f);
        meter->setValue(c.value);
        frame.redrawDirty();
        int count = 0;
        for (int x = 10; x < 52; ++x) {
            const bool isLit = frame.image().pixel(x, 8) == Image::premultiply(lit);
            EXPECT_TRUE(isLit || frame.image().pixel(x, 8) == Image::premultiply(unlit));
            count += isLit;
        }
        EXPECT_EQ(count, c.litPixels) << c.value;
        EXPECT_EQ(frame.image().pixel(10 + c.litPixels - (c.litPixels > 0), 8) == Image::premultiply(lit),
                  c.litPixels > 0)
            << "lit from the left";
    }
}

// --- Text ----------------------------------------------------------------------------------

namespace {
// Pixels inside r that differ from the display's background colour.
int inkIn(const Frame& frame, const Rect& r, Color background)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += frame.image().pixel(x, y) != Image::premultiply(background);
    return n;
}
} // namespace

TEST(ParamDisplay, ShowsTheFormattedValueAndRedrawsWhenItChanges)
{
    Fixture<ParamDisplay> f(Rect{100, 100, 140, 110});
    TextStyle style;
    style.font = &smallFontData();
    f.control->setStyle(style);
    f.control->setFormatter([](float v) { return v < 0.5f ? std::string("1/4") : std::string("1/16T"); });
    f.control->setValue(0.2f);
    EXPECT_EQ(f.control->text(), "1/4");
    f.frame.redrawDirty();
    const int shortInk = inkIn(f.frame, f.control->size(), style.background);
    f.control->setValue(0.9f);
    EXPECT_EQ(f.control->text(), "1/16T");
    EXPECT_FALSE(f.frame.dirtyRegion().empty());
    f.frame.redrawDirty();
    EXPECT_GT(inkIn(f.frame, f.control->size(), style.background), shortInk);
    EXPECT_EQ(inkIn(f.frame, {0, 0, 300, 100}, colors::black), 0) << "nothing outside";

    f.control->setFormatter({});
    EXPECT_EQ(f.control->text(), "0.90") << "two decimals by default";
}

TEST(TextLabel, DrawsItsTextAndATransparentLabelKeepsWhatIsBelow)
{
    Frame frame(200, 40);
    frame.setBackground(guitest::solid(200, 40, {100, 100, 100, 255}));
    auto* opaque = frame.add(std::make_unique<TextLabel>(Rect{0, 0, 100, 20}, "Ver.1.0.0"));
    auto* clear = frame.add(std::make_unique<TextLabel>(Rect{100, 0, 200, 20}, "Ver.1.0.0"));
    clear->setTransparent(true);
    frame.redrawDirty();
    EXPECT_EQ(frame.image().pixel(1, 1), Image::premultiply(opaque->style().background));
    EXPECT_EQ(frame.image().pixel(101, 1), 0x646464FFu);
    EXPECT_GT(inkIn(frame, {0, 0, 100, 20}, opaque->style().background), 20);
    opaque->setText("");
    frame.redrawDirty();
    EXPECT_EQ(inkIn(frame, {0, 0, 100, 20}, opaque->style().background), 0);
}

// --- Splash screen ----------------------------------------------------------------------------

namespace {
// An about box that closes itself on a click, after its children had it.
class SelfClosingBox : public ViewContainer {
public:
    using ViewContainer::ViewContainer;
    SplashScreen* trigger = nullptr;
    MouseResult onMouseDown(const MouseEvent& e) override
    {
        ViewContainer::onMouseDown(e);
        trigger->unSplash();
        return MouseResult::handledNoCapture;
    }
};
} // namespace

TEST(SplashScreen, ClickShowsTheSplashOverEverythingAndAClickHidesIt)
{
    Frame frame(300, 300);
    guitest::RecordingListener listener;
    auto splashView = std::make_unique<View>(Rect{25, 48, 225, 248});
    splashView->setBackground(guitest::solid(200, 200, {9, 9, 9, 255}));
    auto* splash = frame.add(std::make_unique<SplashScreen>(Rect{10, 280, 90, 290}, &listener, 59, std::move(splashView)));
    auto* below = frame.add(std::make_unique<OnOffButton>(Rect{50, 50, 60, 60}, &listener, 1, guitest::filmStrip(2, 10, 10)));
    frame.redrawDirty();

    guitest::click(frame, 20, 285);
    EXPECT_TRUE(splash->isSplashing());
    frame.redrawDirty();
    EXPECT_EQ(frame.image().pixel(55, 55), 0x090909FFu) << "over the button";
    guitest::click(frame, 55, 55); // on the splash: hides it, the button gets nothing
    EXPECT_FALSE(splash->isSplashing());
    EXPECT_EQ(below->value(), 0.0f);
    frame.redrawDirty();
    EXPECT_EQ(frameShownAt(frame.image(), 55, 55), 0);
    EXPECT_EQ(listener.log, (Log{"begin 59", "change 59 1", "end 59", "begin 59", "change 59 0", "end 59"}));
}

TEST(SplashScreen, ASplashContainerCanCloseItselfAfterItsChildrenHadTheClick)
{
    Frame frame(300, 300);
    guitest::RecordingListener listener;
    auto box = std::make_unique<SelfClosingBox>(Rect{25, 48, 225, 248});
    SelfClosingBox* boxRaw = box.get();
    auto* inside = box->add(std::make_unique<OnOffButton>(Rect{10, 10, 20, 20}, &listener, 2, guitest::filmStrip(2, 10, 10)));
    auto* splash = frame.add(std::make_unique<SplashScreen>(Rect{10, 280, 90, 290}, &listener, 59, std::move(box)));
    boxRaw->trigger = splash;
    splash->splash();
    guitest::click(frame, 40, 63); // on the button inside the box
    EXPECT_EQ(inside->value(), 1.0f);
    EXPECT_FALSE(splash->isSplashing());
    EXPECT_EQ(frame.modalView(), nullptr);
    // Removing the trigger while the splash shows takes the splash down too.
    splash->splash();
    std::unique_ptr<View> gone = frame.removeView(splash);
    EXPECT_EQ(frame.modalView(), nullptr);
}
