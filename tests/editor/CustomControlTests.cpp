// The microphone pads, the tremolo speed knob with its note display and the
// about box.
#include <cmath>

#include <gtest/gtest.h>

#include "FakePlugin.h"
#include "editor/CAboutContainer.h"
#include "editor/EditorLayout.h"
#include "editor/NoteValues.h"
#include "editor/TremSpeedKnob.h"
#include "editor/XySlider.h"
#include "gui/Frame.h"
#include "gui/MouseEvent.h"
#include "gui/SplashScreen.h"
#include "gui/TextLabel.h"

namespace editor::test {
namespace {

TEST(Pads, HandleCentreAtTheCorners)
{
    struct Case {
        int tag;
        float x, y;
        int handleX, handleY;
    };
    const Case cases[] = {
        {param::Mic1Pos, 0, 0, 45, 271 + 75},       {param::Mic1Pos, 1, 1, 282 - 45, 520 - 75},
        {param::Mic2Pos, 0, 0, 368 + 45, 271 + 75}, {param::Mic2Pos, 1, 1, 650 - 45, 520 - 75},
        {param::Mic1Pos, 0.5f, 0.5f, 45 + 96, 271 + 75 + 49},
    };
    for (const Case& c : cases) {
        EditorFixture f;
        f.build();
        XySlider* p = f.gui->pad(c.tag);
        p->setValueX(c.x);
        p->setValueY(c.y);
        EXPECT_EQ(p->handleX(), c.handleX);
        EXPECT_EQ(p->handleY(), c.handleY);
    }
}

TEST(Pads, PictureFrameFollowsTheDistanceAndStopsAtTheLast)
{
    EditorFixture f;
    f.build();
    XySlider* p = f.gui->pad(param::Mic1Pos);
    p->setValueY(0.0f);
    EXPECT_EQ(p->pictureFrame(), 0);
    p->setValueY(1.0f);
    EXPECT_EQ(p->pictureFrame(), 100);
    p->setValueY(0.5f);
    EXPECT_EQ(p->pictureFrame(), 49); // handle 49 pixels down: 49 / (99/101) = 49.99
}

TEST(Pads, TypeNames)
{
    EditorFixture f;
    f.build();
    EXPECT_TRUE(f.gui->pad(param::Mic1Pos)->isTypeOf("xySliderL"));
    EXPECT_FALSE(f.gui->pad(param::Mic1Pos)->isTypeOf("xySliderR"));
    EXPECT_TRUE(f.gui->pad(param::Mic2Pos)->isTypeOf("xySliderR"));
    EXPECT_TRUE(f.gui->pad(param::Mic2Pos)->isTypeOf("CControl"));
    EXPECT_TRUE(f.gui->pad(param::Mic2Pos)->isTypeOf("CView"));
    EXPECT_TRUE(f.gui->speedKnob()->isTypeOf("TremSpeedKnob"));
    for (const char* name : {"CAnimKnob", "CKnob", "CControl", "CView"})
        EXPECT_TRUE(f.gui->speedKnob()->isTypeOf(name)) << name;
    CAboutContainer about({0, 0, 10, 10});
    for (const char* name : {"CAboutContainer", "CViewContainer", "CView"})
        EXPECT_TRUE(about.isTypeOf(name)) << name;
}

TEST(Pads, DraggingTheHandleSendsPositionAndDistance)
{
    EditorFixture f;
    f.build();
    // Grab the handle off its centre and drag it 96 right and 33 down.
    const int x0 = 45 + 10, y0 = 346 - 20;
    f.drag(x0, y0, x0 + 96, y0 + 33);
    EXPECT_FLOAT_EQ(*f.plugin.lastSent(param::Mic1Pos), 96.0f / 192.0f);
    EXPECT_FLOAT_EQ(*f.plugin.lastSent(param::Mic1Distance), 33.0f / 99.0f);
    EXPECT_EQ(f.plugin.calls.front(), (FakePlugin::Call{"begin", param::Mic1Pos, 0}));
    EXPECT_EQ(f.plugin.calls[1], (FakePlugin::Call{"begin", param::Mic1Distance, 0}));
    EXPECT_EQ(f.plugin.calls.back(), (FakePlugin::Call{"end", param::Mic1Pos, 0}));
    // Far past the edges: clamped.
    f.drag(x0 + 96, y0 + 33, 2000, 2000);
    EXPECT_EQ(*f.plugin.lastSent(param::Mic1Pos), 1.0f);
    EXPECT_EQ(*f.plugin.lastSent(param::Mic1Distance), 1.0f);
}

TEST(Pads, PressBesideTheHandleDoesNothing)
{
    EditorFixture f;
    f.build();
    f.click(250, 480);
    f.drag(250, 480, 100, 300);
    EXPECT_TRUE(f.plugin.calls.empty());
    EXPECT_EQ(f.gui->pad(param::Mic1Pos)->valueX(), 0.0f);
}

TEST(Pads, DefaultGestureCentresAndRaises)
{
    EditorFixture f;
    f.plugin.values[param::Mic1Pos] = 1.0f;
    f.plugin.values[param::Mic1Distance] = 1.0f;
    f.build();
    const XySlider* p = f.gui->pad(param::Mic1Pos);
    f.press(p->handleX(), p->handleY(), gui::modifiers::control);
    f.move(10, 10); // no moves follow the gesture
    f.release(10, 10);
    EXPECT_EQ(*f.plugin.lastSent(param::Mic1Pos), 0.5f);
    EXPECT_EQ(*f.plugin.lastSent(param::Mic1Distance), 0.0f);
    EXPECT_EQ(p->valueX(), 0.5f);
    EXPECT_EQ(f.plugin.calls.back().what, "end");
    int ends = 0;
    for (const auto& c : f.plugin.calls)
        ends += c.what == "end";
    EXPECT_EQ(ends, 2);
}

TEST(NoteValues, SeventeenBands)
{
    EXPECT_EQ(noteValueText(0.0f), "2/1");
    EXPECT_EQ(noteValueText(1.0f / 17.0f), "1/1");
    EXPECT_EQ(noteValueText(std::nextafter(1.0f / 17.0f, 0.0f)), "2/1");
    EXPECT_EQ(noteValueText(6.0f / 17.0f), "1/4");
    EXPECT_EQ(noteValueText(0.5f), "1/8D");
    EXPECT_EQ(noteValueText(16.0f / 17.0f), "1/32T");
    EXPECT_EQ(noteValueText(1.0f), "1/32T");
}

struct SpeedKnobFixture : EditorFixture {
    gui::Point knob;
    SpeedKnobFixture(float sync)
    {
        plugin.values[param::TremoloSync] = sync;
        plugin.values[param::TremoloSpeed] = 0.5f;
        build();
        knob = centreOf(param::TremoloSpeed);
    }
    void hover(gui::Point p)
    {
        gui::MouseEvent e;
        e.where = p;
        gui->frame()->mouseMoved(e);
    }
};

TEST(SpeedKnob, NoDisplayWhileSyncIsOff)
{
    SpeedKnobFixture f(1.0f);
    f.hover(f.knob);
    EXPECT_FALSE(f.gui->speedKnob()->isDisplayShown());
    f.press(f.knob.x, f.knob.y);
    EXPECT_FALSE(f.gui->speedKnob()->isDisplayShown());
    f.release(f.knob.x, f.knob.y);
}

TEST(SpeedKnob, HoverShowsTheNoteValueWhileSynced)
{
    SpeedKnobFixture f(0.0f);
    f.hover(f.knob);
    TremSpeedKnob* k = f.gui->speedKnob();
    ASSERT_TRUE(k->isDisplayShown());
    EXPECT_TRUE(k->noteDisplay()->isAttached());
    EXPECT_EQ(k->noteDisplay()->text(), "1/8D");
    // A change from the plug-in shows in the display too.
    f.plugin.hostSets(param::TremoloSpeed, 0.0f);
    f.gui->idle();
    EXPECT_EQ(k->noteDisplay()->text(), "2/1");
    f.hover({10, 60});
    EXPECT_FALSE(k->isDisplayShown());
    EXPECT_FALSE(k->noteDisplay()->isAttached());
}

TEST(SpeedKnob, PressShowsAndReleaseHides)
{
    SpeedKnobFixture f(0.0f);
    f.press(f.knob.x, f.knob.y);
    EXPECT_TRUE(f.gui->speedKnob()->isDisplayShown());
    f.move(f.knob.x, f.knob.y - 20);
    f.release(f.knob.x, f.knob.y - 20);
    EXPECT_FALSE(f.gui->speedKnob()->isDisplayShown());
    EXPECT_EQ(f.plugin.calls.back(), (FakePlugin::Call{"end", param::TremoloSpeed, 0}));
}

TEST(SpeedKnob, LeavingSyncTakesTheDisplayAway)
{
    SpeedKnobFixture f(0.0f);
    f.hover(f.knob);
    ASSERT_TRUE(f.gui->speedKnob()->isDisplayShown());
    f.plugin.hostSets(param::TremoloSync, 1.0f);
    f.gui->idle();
    EXPECT_FALSE(f.gui->speedKnob()->isDisplayShown());
    EXPECT_FALSE(f.gui->speedKnob()->isSynced());
    // Closing with the display up does not leave it behind.
    f.plugin.hostSets(param::TremoloSync, 0.0f);
    f.gui->idle();
    f.hover({10, 60});
    f.hover(f.knob);
    EXPECT_TRUE(f.gui->speedKnob()->isDisplayShown());
    f.gui->close();
    f.build();
    EXPECT_FALSE(f.gui->speedKnob()->isDisplayShown());
}

TEST(AboutBox, TriggerShowsItAndAClickOnItClosesIt)
{
    EditorFixture f;
    f.build();
    auto* trigger = static_cast<gui::SplashScreen*>(f.gui->control(layout::tag::AboutTrigger));
    f.click(50, 485);
    ASSERT_TRUE(trigger->isSplashing());
    EXPECT_TRUE(trigger->splashView()->isTypeOf("CAboutContainer"));
    auto* box = static_cast<gui::ViewContainer*>(trigger->splashView());
    ASSERT_EQ(box->childCount(), 1);
    EXPECT_EQ(static_cast<gui::TextLabel*>(box->child(0))->text(), "Ver.1.0.0");
    EXPECT_EQ(box->frameRect().left, 25);
    EXPECT_EQ(box->frameRect().bottom, 462);
    EXPECT_EQ(f.gui->frame()->modalView(), trigger->splashView());
    f.click(300, 250);
    EXPECT_FALSE(trigger->isSplashing());
    EXPECT_EQ(f.gui->frame()->modalView(), nullptr);
    EXPECT_TRUE(f.plugin.calls.empty()); // nothing reached a parameter
}

} // namespace
} // namespace editor::test
