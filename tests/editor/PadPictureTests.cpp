// The pictures behind the microphone pads: the cabinet that plays, on or off
// axis, covering the whole pad wherever the handle is, and no more decoded
// pictures kept than the two pads show.
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "FakePlugin.h"
#include "editor/EditorLayout.h"
#include "editor/XySlider.h"
#include "gui/Frame.h"

namespace editor::test {
namespace {

std::string padName(int cabinet, bool onAxis)
{
    return "pad" + std::to_string(cabinet) + (onAxis ? "on" : "off") + ".png";
}

TEST(PadPicture, FollowsTheCabinetTheEnginePicks)
{
    // "Cab N Type" as the engine reads it: ceil(4 v + 1), any value above a
    // step selects the next cabinet; codes outside 1..5 play cabinet 1.
    struct Case {
        float value;
        int cabinet;
    };
    const Case cases[] = {
        {0.0f, 1},  {0.1f, 2},   {0.25f, 2}, {0.26f, 3}, {0.5f, 3},  {0.6f, 4},
        {0.75f, 4}, {0.76f, 5},  {1.0f, 5},  {-0.5f, 1}, {2.0f, 1},  {std::numeric_limits<float>::quiet_NaN(), 1},
    };
    EditorFixture f;
    f.build();
    for (const Case& c : cases) {
        for (bool onAxis : {true, false}) {
            SCOPED_TRACE(testing::Message() << "Cab Type " << c.value << (onAxis ? " on" : " off") << " axis");
            f.plugin.hostSets(param::Cab1Type, c.value);
            f.plugin.hostSets(param::Cab2Type, c.value);
            f.plugin.hostSets(param::Mic1Axis, onAxis ? 0.0f : 1.0f);
            f.plugin.hostSets(param::Mic2Axis, onAxis ? 0.0f : 0.5f);
            f.gui->idle();
            EXPECT_EQ(f.gui->pad(param::Mic1Pos)->background().name(), padName(c.cabinet, onAxis));
            EXPECT_EQ(f.gui->pad(param::Mic2Pos)->background().name(), padName(c.cabinet, onAxis));
        }
    }
    // Only the type changes: the picture follows it alone.
    f.plugin.hostSets(param::Cab2Type, 0.5f);
    f.gui->idle();
    EXPECT_EQ(f.gui->pad(param::Mic2Pos)->background().name(), padName(3, false));
    EXPECT_EQ(f.gui->pad(param::Mic1Pos)->background().name(), padName(1, false));
    EXPECT_TRUE(f.gui->bitmapProblems().empty());
}

TEST(PadPicture, CoversTheWholePadAtTheHandlesExtremes)
{
    // Wherever the handle is, every column of the pad shows the picture:
    // none shows the grille cloth of the window's background behind it.
    struct Case {
        float cabinet;
        float axis;
        float position;
        float distance;
    };
    const Case cases[] = {
        {0.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 1.0f, 1.0f},
        {1.0f, 1.0f, 0.0f, 1.0f}, {0.5f, 0.0f, 1.0f, 1.0f}, {0.25f, 1.0f, 0.5f, 0.5f},
    };
    const int lastVisibleRow = layout::container(layout::Place::bottomBar).rect.top; // the bar covers the rest
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.cabinet << " axis " << c.axis << " position " << c.position
                                        << " distance " << c.distance);
        EditorFixture f;
        for (int cab : {0, 1}) {
            f.plugin.values[cab ? param::Cab2Type : param::Cab1Type] = c.cabinet;
            f.plugin.values[cab ? param::Mic2Axis : param::Mic1Axis] = c.axis;
            f.plugin.values[cab ? param::Mic2Pos : param::Mic1Pos] = c.position;
            f.plugin.values[cab ? param::Mic2Distance : param::Mic1Distance] = c.distance;
        }
        f.build();
        f.gui->frame()->redrawAll();
        const gui::Image& window = f.gui->frame()->image();
        const gui::Image& cloth = f.gui->frame()->background().image();
        for (int tag : {param::Mic1Pos, param::Mic2Pos}) {
            const gui::Rect pad = f.gui->pad(tag)->frameRect();
            const int rows = lastVisibleRow - pad.top;
            for (int x = pad.left; x < pad.right; ++x) {
                int same = 0;
                for (int y = pad.top; y < lastVisibleRow; ++y)
                    same += window.pixel(x, y) == cloth.pixel(x, y);
                ASSERT_LT(same, rows / 4) << "column " << x << " shows the grille cloth";
            }
        }
    }
}

TEST(PadPicture, StepsThroughEveryCabinetHoldingOnlyThePicturesShown)
{
    // Two pads, one picture each: that is all that stays decoded, however many
    // cabinets and axes the user steps through.
    EditorFixture f;
    f.build();
    const std::size_t picture = std::size_t(XySlider::kPictureWidth) * 23129u;
    EXPECT_EQ(f.gui->bitmapLibrary().transientPixels(), 2 * picture);
    for (int step = 0; step <= 4; ++step) {
        for (float axis : {0.0f, 1.0f}) {
            f.plugin.hostSets(param::Cab1Type, float(step) * 0.25f);
            f.plugin.hostSets(param::Cab2Type, float(4 - step) * 0.25f);
            f.plugin.hostSets(param::Mic1Axis, axis);
            f.gui->idle();
            EXPECT_EQ(f.gui->bitmapLibrary().transientPixels(), 2 * picture) << step << ", " << axis;
        }
    }
    // Closed and opened again, the editor shows the same two pictures,
    // kept meanwhile rather than decoded once more.
    f.gui->close();
    EXPECT_EQ(f.gui->bitmapLibrary().transientPixels(), 2 * picture);
    f.build();
    EXPECT_EQ(f.gui->bitmapLibrary().transientPixels(), 2 * picture);
}

} // namespace
} // namespace editor::test
