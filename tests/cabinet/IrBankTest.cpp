#include "cabinet/IrBank.h"

#include "TestBanks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

namespace {

const std::vector<double>& bank()
{
    static const std::vector<double> data = TestBanks::distinctNoise();
    return data;
}

int indexOf(const double* t) { return int((t - bank().data()) / IrBank::kTableLength); }

const int kValidCodes[] = {111, 112, 121, 122, 131, 132, 141, 142, 211, 212, 221, 222, 231, 232,
                           241, 242, 311, 312, 321, 322, 331, 332, 341, 342, 411, 412, 421, 422,
                           431, 432, 441, 442, 511, 512, 521, 522, 531, 532, 541, 542};

} // namespace

TEST(IrBank, TableIndicesFollowTheBankLayout)
{
    struct Case {
        int code;
        int family;
        int firstIndex; // 96·(cabinet-1) + 48·family + 12·micSlot + 6·(axis-1)
    };
    const Case cases[] = {
        {111, 0, 24},  // microphone 1 is stored in slot 2
        {112, 0, 30},
        {131, 0, 0},   // microphone 3 in slot 0
        {121, 1, 60},  // microphone 2 in slot 1
        {141, 0, 36},  // microphone 4 in slot 3
        {231, 0, 96},
        {322, 1, 258},
        {542, 1, 474},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code * 10 + c.family);
        const IrBank::TableSet t = IrBank::selectTables(bank().data(), c.code, c.family);
        for (int k = 0; k < IrBank::kPlacements; ++k)
            EXPECT_EQ(indexOf(t[std::size_t(k)]), c.firstIndex + k);
    }
}

TEST(IrBank, ValidCodesCoverEveryTableExactlyOnce)
{
    std::multiset<int> seen;
    for (int code : kValidCodes) {
        EXPECT_TRUE(IrBank::isValidCode(code)) << code;
        for (int family : {0, 1}) {
            const IrBank::TableSet t = IrBank::selectTables(bank().data(), code, family);
            for (const double* p : t)
                seen.insert(indexOf(p));
        }
    }
    ASSERT_EQ(seen.size(), std::size_t(IrBank::kTableCount));
    for (int i = 0; i < IrBank::kTableCount; ++i)
        EXPECT_EQ(seen.count(i), 1u) << "table " << i;
}

TEST(IrBank, InvalidCodesSelectCode111OfTheSameFamily)
{
    for (int code : {0, -111, 110, 113, 101, 151, 611, 643, 999, 1111}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(IrBank::isValidCode(code));
        for (int family : {0, 1})
            EXPECT_EQ(IrBank::selectTables(bank().data(), code, family), IrBank::selectTables(bank().data(), 111, family));
    }
}

TEST(IrBank, FamilyFollowsTheRateBands)
{
    struct Case {
        float rate;
        int family;
    };
    const Case cases[] = {{8000.0f, 0},  {44100.0f, 0}, {45999.0f, 0}, {46000.0f, 1}, {48000.0f, 1},
                          {67999.0f, 1}, {68000.0f, 0}, {88200.0f, 0}, {91999.0f, 0}, {92000.0f, 1},
                          {96000.0f, 1}, {192000.0f, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(IrBank::familyForRate(c.rate), c.family) << c.rate;
}

TEST(CabinetSlot, ParameterValuesMapToSelectionsByFloatCeiling)
{
    struct Case {
        const char* name;
        int (*map)(float);
        float value;
        int expected;
    };
    const Case cases[] = {
        {"cabinet 0", CabinetSlot::cabinetHundredsFor, 0.0f, 100},
        {"cabinet 0.1", CabinetSlot::cabinetHundredsFor, 0.1f, 200},
        {"cabinet 0.25", CabinetSlot::cabinetHundredsFor, 0.25f, 200},
        {"cabinet 0.26", CabinetSlot::cabinetHundredsFor, 0.26f, 300},
        {"cabinet 0.5", CabinetSlot::cabinetHundredsFor, 0.5f, 300},
        {"cabinet 0.75", CabinetSlot::cabinetHundredsFor, 0.75f, 400},
        {"cabinet 1", CabinetSlot::cabinetHundredsFor, 1.0f, 500},
        {"microphone 0", CabinetSlot::micTensFor, 0.0f, 10},
        {"microphone 1/3", CabinetSlot::micTensFor, 1.0f / 3.0f, 20},
        {"microphone 2/3 as a float", CabinetSlot::micTensFor, 2.0f / 3.0f, 30},
        {"microphone 0.666667 as stored in programs", CabinetSlot::micTensFor, 0.666667f, 40},
        {"microphone 1", CabinetSlot::micTensFor, 1.0f, 40},
        {"axis 0", CabinetSlot::axisUnitsFor, 0.0f, 1},
        {"axis just above 0", CabinetSlot::axisUnitsFor, 1e-7f, 2},
        {"axis 1", CabinetSlot::axisUnitsFor, 1.0f, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.map(c.value), c.expected) << c.name;

    EXPECT_TRUE(CabinetSlot::invertFor(0.0f));
    EXPECT_FALSE(CabinetSlot::invertFor(1.0f));
    EXPECT_FALSE(CabinetSlot::invertFor(0.5f));
}

// A host may send NaN or values far outside 0..1: the selection must stay a
// defined code (falling back to 111) and the blends must not extrapolate.
TEST(CabinetSlot, HostileValuesGiveDefinedSettings)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float v : {nan, inf, -inf, 1e30f, -1e30f, 7.0f}) {
        SCOPED_TRACE(v);
        CabinetSlot slot;
        slot.cabinetHundreds = CabinetSlot::cabinetHundredsFor(v);
        slot.micTens = CabinetSlot::micTensFor(v);
        slot.axisUnits = CabinetSlot::axisUnitsFor(v);
        if (!IrBank::isValidCode(slot.code())) {
            EXPECT_EQ(IrBank::selectTables(bank().data(), slot.code(), 0), IrBank::selectTables(bank().data(), 111, 0));
        }
        const float unit = CabinetSlot::unitFor(v);
        EXPECT_TRUE(unit >= 0.0f && unit <= 1.0f);
    }
    EXPECT_EQ(CabinetSlot::unitFor(0.3f), 0.3f);
}

TEST(IrBank, InterpolationHitsStoredPointsExactlyAndBlendsBetween)
{
    const int family = 1;
    const IrBank::TableSet t = IrBank::selectTables(bank().data(), 231, family);
    struct Case {
        const char* name;
        float position;
        float distance;
        bool invert;
        double weights[6]; // expected weight of T0..T5
        bool exact;        // exactly one table with weight ±1
    };
    const Case cases[] = {
        {"centre, on the grille", 0.5f, 0.0f, false, {1, 0, 0, 0, 0, 0}, true},
        {"position 0", 0.0f, 0.0f, false, {0, 0, 1, 0, 0, 0}, true},
        {"position 1", 1.0f, 0.0f, false, {0, 0, 1, 0, 0, 0}, true},
        {"position 0.25 takes the outer branch with w = 0", 0.25f, 0.0f, false, {0, 1, 0, 0, 0, 0}, true},
        {"position 0.75", 0.75f, 0.0f, false, {0, 1, 0, 0, 0, 0}, true},
        {"centre, at a distance", 0.5f, 1.0f, false, {0, 0, 0, 1, 0, 0}, true},
        {"edge, at a distance", 1.0f, 1.0f, false, {0, 0, 0, 0, 0, 1}, true},
        {"quarter, at a distance", 0.25f, 1.0f, false, {0, 0, 0, 0, 1, 0}, true},
        {"inverted centre", 0.5f, 0.0f, true, {-1, 0, 0, 0, 0, 0}, true},
        {"inner half, half distance", 0.375f, 0.5f, false, {0.25, 0.25, 0, 0.25, 0.25, 0}, false},
        {"outer half, quarter distance", 0.0625f, 0.25f, false, {0, 0.1875, 0.5625, 0, 0.0625, 0.1875}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CabinetSlot slot;
        slot.cabinetHundreds = 200;
        slot.micTens = 30;
        slot.axisUnits = 1;
        slot.position = c.position;
        slot.distance = c.distance;
        slot.invert = c.invert;
        IrBank::interpolateResponse(bank().data(), slot, family);
        for (int i = 0; i < IrBank::kTableLength; ++i) {
            double expected = 0.0;
            for (int k = 0; k < 6; ++k)
                expected += c.weights[k] * t[std::size_t(k)][i];
            if (c.exact)
                ASSERT_EQ(slot.response[std::size_t(i)], expected) << "sample " << i;
            else
                ASSERT_NEAR(slot.response[std::size_t(i)], expected, 1e-15) << "sample " << i;
        }
    }
}

TEST(IrBank, WithoutABankEveryResponseIsSilence)
{
    CabinetSlot slot;
    slot.response.assign(slot.response.size(), 1.0);
    IrBank::interpolateResponse(nullptr, slot, 0);
    for (double v : slot.response)
        ASSERT_EQ(v, 0.0);
}
