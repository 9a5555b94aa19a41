#include "effects/NoteValues.h"
#include "effects/Tremolo.h"
#include "tests/support/BlockRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using testing_support::run;

namespace {

// A tremolo at 44100 Hz and 120 BPM, switched on with the given depth.
void prepare(Tremolo& t, float depth, bool sync, float speed)
{
    t.setSampleRate(44100.0f);
    t.setSync(sync);
    t.setSpeed(speed);
    t.setEnabled(true);
    t.setDepth(depth);
}

float row(int k) { return float(k) / 17.0f; }

} // namespace

TEST(Tremolo, FreeSpeedPeriods)
{
    struct Case {
        float speed;
        float frequency;
        int period;
    };
    const Case cases[] = {
        {0.0f, 0.0625f, 705600},   // slowest: 16 s at 44100 Hz
        {0.006f, 0.0625f, 705600}, // below 0.00625 still the slowest
        {0.5f, 5.0f, 8820},
        {1.0f, 10.0f, 4410},
    };
    for (const Case& c : cases) {
        Tremolo t;
        prepare(t, 1.0f, false, c.speed);
        EXPECT_EQ(t.timing().frequency, c.frequency) << c.speed;
        EXPECT_EQ(t.timing().period, c.period) << c.speed;
        EXPECT_EQ(t.lastSpeed(), c.speed);
    }
}

TEST(Tremolo, SyncedPeriodsFollowTheTempo)
{
    struct Case {
        double tempo;
        int row;
        int period;
        float frequency;
    };
    const Case cases[] = {
        {120.0, 9, 22050, 2.0f},     // one beat: pulses once per eighth note
        {120.0, 0, 352800, 0.125f},  // 16 beats
        {120.0, 4, 58785, 44100.0f / 58785.0f}, // 2.666 beats, the truncated triplet
        {60.0, 9, 44100, 1.0f},
        {100.0, 16, 4392, 44100.0f / 4392.0f}, // 0.166 beats
    };
    for (const Case& c : cases) {
        Tremolo t;
        t.setTempo(c.tempo);
        prepare(t, 1.0f, true, row(c.row));
        EXPECT_EQ(t.timing().period, c.period) << c.tempo << " row " << c.row;
        EXPECT_EQ(t.timing().frequency, c.frequency) << c.tempo << " row " << c.row;
    }
}

TEST(Tremolo, NoteRowBoundsAreSinglePrecisionSeventeenths)
{
    EXPECT_EQ(noteValueRow(1.0f / 17.0f), 1);
    EXPECT_EQ(noteValueRow(0.0f), 0);
    EXPECT_EQ(noteValueRow(1.0f), 16);
    EXPECT_EQ(noteValueRow(-0.5f), 0);
    EXPECT_EQ(noteValueRow(2.0f), 16);
    EXPECT_EQ(noteValueRow(std::numeric_limits<float>::quiet_NaN()), 0);
    for (int k = 1; k < 17; ++k) {
        EXPECT_EQ(noteValueRow(row(k)), k);
        EXPECT_EQ(noteValueRow(std::nextafter(row(k), 0.0f)), k - 1);
    }
    EXPECT_EQ(std::string(kNoteValues[9].text), "1/8");
    EXPECT_EQ(std::string(kNoteValues[16].text), "1/32T");
    EXPECT_EQ(kNoteValues[4].beats, 2.666);
}

TEST(Tremolo, SyncSwitchReappliesTheLastSpeed)
{
    Tremolo t;
    prepare(t, 1.0f, false, row(9));
    EXPECT_EQ(t.timing().frequency, 10.0f * row(9));
    t.setSync(true);
    EXPECT_EQ(t.timing().period, 22050);
    t.setSync(false);
    EXPECT_EQ(t.timing().frequency, 10.0f * row(9));
}

TEST(Tremolo, InvalidTemposAreIgnored)
{
    Tremolo t;
    prepare(t, 1.0f, true, row(9));
    for (const double bpm : {0.0, -120.0, std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()}) {
        t.setTempo(bpm);
        t.setSpeed(t.lastSpeed());
        EXPECT_EQ(t.tempo(), 120.0) << bpm;
        EXPECT_EQ(t.timing().period, 22050) << bpm;
    }
    t.setTempo(90.0);
    t.setSpeed(t.lastSpeed());
    EXPECT_EQ(t.timing().period, 29400);
}

// Absurd but valid tempos keep the period in range and the output finite.
TEST(Tremolo, ExtremeTemposStayFinite)
{
    for (const double bpm : {1e12, 1e-12, std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min()}) {
        Tremolo t;
        t.setTempo(bpm);
        prepare(t, 1.0f, true, row(16));
        EXPECT_GE(t.timing().period, 1) << bpm;
        EXPECT_TRUE(std::isfinite(t.timing().frequency)) << bpm;
        for (int i = 0; i < 8; ++i)
            EXPECT_TRUE(std::isfinite(run(t, 1.0))) << bpm;
    }
}

TEST(Tremolo, FullDepthReachesExactZeroOncePerCycle)
{
    Tremolo t;
    prepare(t, 1.0f, false, 1.0f); // 10 Hz, period 4410: a cycle of 4411 samples
    double low = 1.0;
    double high = 0.0;
    int zeros = 0;
    for (int n = 0; n < 4411; ++n) {
        const double g = run(t, 1.0);
        low = std::min(low, g);
        high = std::max(high, g);
        zeros += g == 0.0;
    }
    EXPECT_EQ(low, 0.0);
    EXPECT_EQ(zeros, 1); // the wrap to phase 0
    EXPECT_EQ(t.phase(), 0);
    EXPECT_GT(high, 0.9999);
}

TEST(Tremolo, GainSwingsBetweenOneMinusDepthAndOne)
{
    Tremolo t;
    prepare(t, 0.25f, false, 0.5f); // 5 Hz
    double low = 2.0;
    double high = 0.0;
    for (int n = 0; n < 8821; ++n) {
        const double g = run(t, -2.0) / -2.0;
        low = std::min(low, g);
        high = std::max(high, g);
    }
    EXPECT_NEAR(low, 0.75, 1e-6);
    EXPECT_NEAR(high, 1.0, 1e-6);
    EXPECT_GE(low, 0.75);
    EXPECT_LE(high, 1.0);
}

// Depth 0 or "FX" off: the frame passes and the phase stands still.
TEST(Tremolo, InactiveDoesNotAdvance)
{
    Tremolo t;
    prepare(t, 1.0f, false, 0.5f);
    for (int n = 0; n < 100; ++n)
        run(t, 1.0);
    const int phase = t.phase();

    t.setDepth(0.0f);
    EXPECT_FALSE(t.isActive());
    for (int n = 0; n < 50; ++n)
        EXPECT_EQ(run(t, 0.3), 0.3);
    EXPECT_EQ(t.phase(), phase);

    t.setDepth(1.0f);
    t.setEnabled(false);
    EXPECT_FALSE(t.isActive());
    for (int n = 0; n < 50; ++n)
        EXPECT_EQ(run(t, -0.7), -0.7);
    EXPECT_EQ(t.phase(), phase);

    t.setEnabled(true);
    run(t, 1.0);
    EXPECT_EQ(t.phase(), phase + 1);
}

// A new period shorter than the running phase wraps it on the next sample.
TEST(Tremolo, ShorterPeriodWrapsThePhase)
{
    Tremolo t;
    prepare(t, 1.0f, false, 0.0f); // period 705600
    for (int n = 0; n < 6000; ++n)
        run(t, 1.0);
    t.setSpeed(1.0f); // period 4410
    EXPECT_EQ(run(t, 1.0), 0.0);
    EXPECT_EQ(t.phase(), 0);
}
