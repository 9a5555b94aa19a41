// Every control of the layout: where it sits, what a gesture on it sends, and
// how a change from the plug-in shows on it.
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "FakePlugin.h"
#include "editor/EditorLayout.h"
#include "editor/TremSpeedKnob.h"
#include "editor/XySlider.h"
#include "gui/OptionMenu.h"
#include "gui/VuMeter.h"
#include "gui/MovieBitmap.h"

namespace editor::test {
namespace {

using layout::Kind;
using layout::Place;

gui::Rect windowRect(const layout::ControlRow& row)
{
    gui::Rect r = row.rect;
    auto shift = [&](Place p) {
        const gui::Rect c = layout::container(p).rect;
        r = r.offset(c.left, c.top);
    };
    switch (row.place) {
    case Place::window: break;
    case Place::topBar: shift(Place::topBar); break;
    case Place::bottomBar: shift(Place::bottomBar); break;
    case Place::cabinetPanel: shift(Place::cabinetPanel); break;
    case Place::monoStrip:
    case Place::stereoStrip:
        shift(row.place);
        shift(Place::cabinetPanel);
        break;
    }
    return r;
}

bool takesMouse(Kind k) { return k != Kind::label && k != Kind::meter && k != Kind::movie; }

TEST(EditorLayout, EveryControlSitsAtItsRectangleAndTakesThePointThere)
{
    for (float cabType : {0.0f, 1.0f}) {
        EditorFixture f;
        f.plugin.values[param::CabType] = cabType;
        f.build();
        EXPECT_TRUE(f.gui->bitmapProblems().empty());
        for (const auto& row : layout::kControls) {
            if ((row.place == Place::monoStrip && cabType != 0.0f) ||
                (row.place == Place::stereoStrip && cabType == 0.0f))
                continue;
            SCOPED_TRACE(row.tag);
            gui::Control* c = f.gui->control(row.tag);
            ASSERT_NE(c, nullptr);
            const gui::Rect expected = windowRect(row);
            EXPECT_EQ(c->frameRect().left, expected.left);
            EXPECT_EQ(c->frameRect().top, expected.top);
            EXPECT_EQ(c->frameRect().right, expected.right);
            EXPECT_EQ(c->frameRect().bottom, expected.bottom);
            // Pads take presses on their handle only; the about trigger and the
            // response menu (empty here) have tests of their own.
            if (!takesMouse(row.kind) || row.kind == Kind::padLeft || row.kind == Kind::padRight ||
                row.kind == Kind::aboutTrigger || row.tag == layout::tag::ResponseMenu)
                continue;
            const gui::Point middle{(expected.left + expected.right) / 2, (expected.top + expected.bottom) / 2};
            EXPECT_EQ(f.gui->frame()->viewAt(middle), c);
        }
    }
}

TEST(EditorLayout, WindowTakesTheBackgroundSize)
{
    EditorFixture f;
    vst::ERect* r = nullptr;
    ASSERT_TRUE(f.gui->getRect(&r));
    EXPECT_EQ(r->right - r->left, 650);
    EXPECT_EQ(r->bottom - r->top, 500);
}

// A gesture at a control's rectangle reaches its parameter, framed by one
// begin and one end notice.
TEST(EditorBinding, GesturesAtEachRectangleReachTheirParameter)
{
    for (const auto& row : layout::kControls) {
        if (row.tag >= layout::kParameters)
            continue;
        if (row.kind == Kind::menu || row.kind == Kind::padLeft || row.kind == Kind::padRight)
            continue; // menus and pads have their own tests
        SCOPED_TRACE(row.tag);
        EditorFixture f;
        f.plugin.values[param::CabType] = row.place == Place::stereoStrip ? 1.0f : 0.0f;
        f.build();
        f.plugin.calls.clear();
        const gui::Rect r = windowRect(row);
        const int cx = (r.left + r.right) / 2;
        const int cy = (r.top + r.bottom) / 2;
        float expected = 1.0f;
        switch (row.kind) {
        case Kind::onOff: f.click(cx, cy); break;
        case Kind::verticalSwitch: f.click(cx, r.bottom - 2); break;
        case Kind::knob:
        case Kind::speedKnob:
            f.drag(cx, cy, cx, cy - 100);
            expected = 0.5f;
            break;
        case Kind::slider:
            f.drag(row.count + 4 + r.left - row.rect.left, cy, row.extra + 4 + r.left - row.rect.left, cy);
            break;
        default: FAIL();
        }
        ASSERT_FALSE(f.plugin.calls.empty());
        EXPECT_EQ(f.plugin.calls.front(), (FakePlugin::Call{"begin", row.tag, 0.0f}));
        EXPECT_EQ(f.plugin.calls.back(), (FakePlugin::Call{"end", row.tag, 0.0f}));
        ASSERT_TRUE(f.plugin.lastSent(row.tag));
        EXPECT_NEAR(*f.plugin.lastSent(row.tag), expected, 0.011f);
    }
}

TEST(EditorBinding, MenusSendTheirMappedValues)
{
    struct Case {
        int tag;
        int entry;
        float sent;
    };
    const Case cases[] = {
        {param::InputChannel, 0, 0.0f}, {param::InputChannel, 1, 0.5f}, {param::InputChannel, 2, 1.0f},
        {param::Cab1Type, 4, 1.0f},     {param::Cab1Type, 1, 0.25f},    {param::Cab2Type, 2, 0.5f},
        {param::Mic1Type, 3, 1.0f},     {param::Mic1Type, 2, 2.0f / 3.0f}, {param::Mic2Type, 1, 1.0f / 3.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag * 10 + c.entry);
        EditorFixture f;
        f.build();
        f.gui->menu(c.tag)->choose(c.entry);
        ASSERT_TRUE(f.plugin.lastSent(c.tag));
        EXPECT_FLOAT_EQ(*f.plugin.lastSent(c.tag), c.sent);
        EXPECT_EQ(f.plugin.calls.front().what, "begin");
        EXPECT_EQ(f.plugin.calls.back().what, "end");
    }
}

TEST(EditorBinding, MenuEntriesAreTheDesignedTexts)
{
    EditorFixture f;
    f.build();
    auto texts = [&](int tag) {
        std::vector<std::string> out;
        for (int i = 0; i < f.gui->menu(tag)->entryCount(); ++i)
            out.push_back(f.gui->menu(tag)->entry(i));
        return out;
    };
    EXPECT_EQ(texts(param::InputChannel), (std::vector<std::string>{"IN L", "IN R", "IN LR"}));
    EXPECT_EQ(texts(param::Cab2Type).back(), "Cloth Grill (1 x 8)");
    EXPECT_EQ(texts(param::Mic1Type), (std::vector<std::string>{"Dynamic 57", "Dynamic 441", "Condenser 1", "Ribbon 1"}));
    EXPECT_EQ(texts(layout::tag::FileMenu).size(), 9u);
    EXPECT_EQ(texts(layout::tag::FileMenu)[8], "Doxaro Website");
    EXPECT_EQ(texts(layout::tag::ProgramMenu).size(), 24u);
    EXPECT_EQ(texts(layout::tag::InputMeterMenu), (std::vector<std::string>{"Input Meter ON", "Input Meter OFF"}));
}

// A change from the host moves its control on the next idle, not before.
TEST(EditorBinding, HostChangesShowOnTheirControlsAtIdle)
{
    struct Case {
        int index;
        float value;
        float controlValue; // plain controls
        int menuEntry;      // menus, or -1
    };
    const Case cases[] = {
        {param::Bypass, 1.0f, 1.0f, -1},      {param::AmpGain, 0.3f, 0.3f, -1},
        {param::AmpType, 1.0f, 1.0f, -1},     {param::Output, 0.7f, 0.7f, -1},
        {param::GateDecay, 0.2f, 0.2f, -1},   {param::CabBlend, 0.4f, 0.4f, -1},
        {param::LimiterOnOff, 1.0f, 1.0f, -1}, {param::Mic1Phase, 1.0f, 1.0f, -1},
        {param::InputChannel, 0.5f, 0, 1},    {param::InputChannel, 0.2f, 0, 0},
        {param::InputChannel, 1.0f, 0, 2},    {param::Cab1Type, 0.75f, 0, 3},
        {param::Cab2Type, 1.0f, 0, 4},        {param::Mic1Type, 2.0f / 3.0f, 0, 2},
        {param::Mic2Type, 1.0f, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EditorFixture f;
        f.build();
        f.plugin.hostSets(c.index, c.value);
        if (c.menuEntry < 0) {
            EXPECT_EQ(f.gui->control(c.index)->value(), 0.0f);
            f.gui->idle();
            EXPECT_FLOAT_EQ(f.gui->control(c.index)->value(), c.controlValue);
        } else {
            f.gui->idle();
            EXPECT_EQ(f.gui->menu(c.index)->currentIndex(), c.menuEntry);
        }
    }
}

// Every parameter of the plug-in has a place in the editor, and a host
// change to either end of its range shows there on the next idle.
TEST(EditorBinding, EveryParameterShowsHostChangesAtBothEnds)
{
    // Where a parameter shows: its own control, or the pad it moves along the
    // vertical axis (the distances have no control of their own).
    auto shown = [](doxaroGUI& gui, int index) -> float {
        if (index == param::Mic1Distance)
            return gui.pad(param::Mic1Pos)->valueY();
        if (index == param::Mic2Distance)
            return gui.pad(param::Mic2Pos)->valueY();
        const auto row = std::find_if(layout::kControls.begin(), layout::kControls.end(),
                                      [&](const layout::ControlRow& r) { return r.tag == index; });
        if (row == layout::kControls.end()) {
            ADD_FAILURE() << "parameter " << index << " (" << param::kNames[index] << ") has no control";
            return -1.0f;
        }
        switch (row->kind) {
        case Kind::padLeft:
        case Kind::padRight: return gui.pad(index)->valueX();
        case Kind::menu: {
            gui::OptionMenu* menu = gui.menu(index);
            return float(menu->currentIndex()) / float(menu->entryCount() - 1);
        }
        default: return gui.control(index)->value();
        }
    };
    EditorFixture f;
    f.build();
    for (int index = 0; index < param::Count; ++index) {
        SCOPED_TRACE(param::kNames[index]);
        for (const float end : {1.0f, 0.0f}) {
            f.plugin.hostSets(index, end);
            f.gui->idle();
            EXPECT_EQ(shown(*f.gui, index), end);
        }
    }
}

TEST(EditorBinding, PadsFollowTheirFourParameters)
{
    EditorFixture f;
    f.build();
    f.plugin.hostSets(param::Mic1Pos, 1.0f);
    f.plugin.hostSets(param::Mic1Distance, 1.0f);
    f.plugin.hostSets(param::Mic2Pos, 0.5f);
    f.plugin.hostSets(param::Mic2Distance, 0.25f);
    f.gui->idle();
    EXPECT_EQ(f.gui->pad(param::Mic1Pos)->valueX(), 1.0f);
    EXPECT_EQ(f.gui->pad(param::Mic1Pos)->valueY(), 1.0f);
    EXPECT_EQ(f.gui->pad(param::Mic2Pos)->valueX(), 0.5f);
    EXPECT_EQ(f.gui->pad(param::Mic2Pos)->valueY(), 0.25f);
}

TEST(EditorBinding, AxisPicksThePadPicture)
{
    EditorFixture f;
    f.build();
    EXPECT_EQ(f.gui->pad(param::Mic1Pos)->background().name(), "pad1on.png");
    EXPECT_EQ(f.gui->pad(param::Mic2Pos)->background().name(), "pad1on.png");
    f.plugin.hostSets(param::Mic1Axis, 1.0f);
    f.plugin.hostSets(param::Mic2Axis, 1.0f);
    f.gui->idle();
    EXPECT_EQ(f.gui->pad(param::Mic1Pos)->background().name(), "pad1off.png");
    EXPECT_EQ(f.gui->pad(param::Mic2Pos)->background().name(), "pad1off.png");
    EXPECT_EQ(f.gui->control(param::Mic1Axis)->value(), 1.0f);
}

TEST(EditorBinding, CabTypeSwapsTheMixerStrips)
{
    EditorFixture f;
    f.build();
    EXPECT_FALSE(f.gui->isStereoStripAttached());
    EXPECT_TRUE(f.gui->control(param::CabBlend)->isAttached());
    EXPECT_FALSE(f.gui->control(param::Mic1Volume)->isAttached());
    f.plugin.hostSets(param::CabType, 1.0f);
    f.gui->idle();
    EXPECT_TRUE(f.gui->isStereoStripAttached());
    EXPECT_FALSE(f.gui->control(param::CabBlend)->isAttached());
    EXPECT_TRUE(f.gui->control(param::Mic1Volume)->isAttached());
    // Controls of the hidden strip still follow the plug-in.
    f.plugin.hostSets(param::CabBlend, 0.8f);
    f.gui->idle();
    EXPECT_FLOAT_EQ(f.gui->control(param::CabBlend)->value(), 0.8f);
    f.plugin.hostSets(param::CabType, 0.0f);
    f.gui->idle();
    EXPECT_FALSE(f.gui->isStereoStripAttached());
    EXPECT_TRUE(f.gui->control(param::CabBlend)->isAttached());
}

TEST(EditorBinding, OpeningWithStereoCabinetShowsTheStereoStrip)
{
    EditorFixture f;
    f.plugin.values[param::CabType] = 1.0f;
    f.build();
    EXPECT_TRUE(f.gui->isStereoStripAttached());
    EXPECT_TRUE(f.gui->control(param::Mic2Volume)->isAttached());
}

TEST(EditorBinding, ChangesWhileClosedShowOnOpen)
{
    EditorFixture f;
    f.plugin.hostSets(param::AmpMaster, 0.9f); // closed: nothing to update
    f.plugin.hostSets(param::InputChannel, 0.5f);
    f.gui->idle();
    EXPECT_EQ(f.gui->control(param::AmpMaster), nullptr);
    f.build();
    EXPECT_FLOAT_EQ(f.gui->control(param::AmpMaster)->value(), 0.9f);
    EXPECT_EQ(f.gui->menu(param::InputChannel)->currentIndex(), 1);
    // Closed again and reopened: the controls are rebuilt from the plug-in.
    f.gui->close();
    f.plugin.hostSets(param::AmpMaster, 0.1f);
    f.build();
    EXPECT_FLOAT_EQ(f.gui->control(param::AmpMaster)->value(), 0.1f);
}

TEST(EditorBinding, IdleRefreshesMeterAndClipLed)
{
    EditorFixture f;
    f.build();
    f.plugin.level = 1.0f;
    f.plugin.clip = 1.0f;
    f.gui->idle();
    auto* meter = static_cast<gui::VuMeter*>(f.gui->control(layout::tag::InputMeter));
    EXPECT_EQ(meter->litSegments(), 14);
    EXPECT_EQ(static_cast<gui::MovieBitmap*>(f.gui->control(layout::tag::ClipLed))->currentFrame(), 1);
    f.plugin.level = 0.0f;
    f.plugin.clip = 0.0f;
    f.gui->idle();
    EXPECT_NEAR(meter->value(), 0.9f, 1e-6f); // falls by at most 0.1 per update
    EXPECT_EQ(static_cast<gui::MovieBitmap*>(f.gui->control(layout::tag::ClipLed))->currentFrame(), 0);
}

TEST(EditorBinding, OpeningShowsProgramMeterAndPanelState)
{
    EditorFixture f;
    f.plugin.program = 5;
    f.plugin.meter = false;
    f.plugin.panel = false;
    f.build();
    EXPECT_EQ(f.gui->menu(layout::tag::ProgramMenu)->currentIndex(), 5);
    EXPECT_EQ(f.gui->menu(layout::tag::InputMeterMenu)->currentIndex(), 1);
    EXPECT_FALSE(f.gui->isCabinetPanelAttached());
    EXPECT_EQ(f.gui->control(layout::tag::CabinetPanelSwitch)->value(), 1.0f);
    EXPECT_FALSE(f.gui->speedKnob()->isDisplayShown());
}

} // namespace
} // namespace editor::test
