#include "dsp/BKVGGain.h"
#include "dsp/BKVGPresence.h"
#include "dsp/BKVGTS.h"
#include "dsp/JCGain.h"
#include "dsp/JCInput.h"
#include "dsp/JCTSPresenceMaster.h"
#include "dsp/MVCleanGainTS.h"
#include "dsp/MVLeadGain.h"
#include "dsp/MVLeadTS.h"
#include "dsp/MVMasterPresence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

void expectRelative(const std::vector<double>& actual, const std::vector<double>& expected, double tolerance,
                    const char* what)
{
    ASSERT_EQ(actual.size(), expected.size()) << what;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (expected[i] == 0.0)
            EXPECT_EQ(actual[i], 0.0) << what << "[" << i << "]";
        else
            EXPECT_NEAR(actual[i], expected[i], std::abs(expected[i]) * tolerance) << what << "[" << i << "]";
    }
}

template <typename Network>
std::pair<std::vector<double>, std::vector<double>> analog(const Network& network)
{
    std::vector<double> den(Network::kOrder + 1), num(Network::kOrder + 1);
    network.analogCoefficients(den.data(), num.data());
    return {den, num};
}

template <typename Network>
void expectAtCentre(const std::vector<double>& den, const std::vector<double>& num, const char* name)
{
    const Network network; // every knob at 0.5
    const auto [d, n] = analog(network);
    expectRelative(d, den, 1e-5, name);
    expectRelative(n, num, 1e-5, name);
}

TEST(CircuitNetworks, CoefficientsWithAllKnobsCentred)
{
    expectAtCentre<MVCleanGainTS>({1.16875e+6, 43576.9, 356.568, 0.337281, 4.79436e-5, 1.89035e-9, 7.63779e-15},
                                  {0, 2586.72, 29.2091, 0.019328, 5.41544e-6, 2.61621e-10, 0}, "MVCleanGainTS");
    expectAtCentre<MVLeadGain>({1.177e+6, 23321, 21.4887, 0.00208488}, {0, 5351.25, 5.34327, 0.000788084},
                               "MVLeadGain");
    expectAtCentre<MVLeadTS>({1, 0.005466, 4.63498e-6, 5.01787e-10}, {0, 0.0033875, 1.79614e-6, 3.32234e-10},
                             "MVLeadTS");
    expectAtCentre<MVMasterPresence>({275000, 3864.38, 0.958359}, {0, 881.25, 0.165234}, "MVMasterPresence");
    expectAtCentre<JCGain>({1, 0.342005, 0.0213216, 1.00204e-7}, {0, 0.082, 0.0598604, 1.00204e-7}, "JCGain");
    expectAtCentre<JCTSPresenceMaster>({1.356e+6, 31568.4, 76.0567, 0.0265643, 8.42557e-7},
                                       {0, 5507.7, 4.51721, 0.00138224, 2.68317e-7}, "JCTSPresenceMaster");
    expectAtCentre<BKVGGain>({161560, 5243.31, 2.34854}, {0, 3554.32, 37.752}, "BKVGGain");
    expectAtCentre<BKVGTS>({65000, 10527.9, 25.0964, 0.00776084, 8.55586e-7, 3.26766e-11, 6.72086e-17},
                           {-1e+6, -18495.9, -25.773, -0.0123218, -1.45053e-6, -2.50778e-11, 0}, "BKVGTS");
}

// The smaller networks written out independently, at knob settings away
// from the centre.
TEST(CircuitNetworks, SmallNetworksFollowTheirFormulasAcrossTheKnobRange)
{
    const float positions[] = {0.0f, 0.1f, 0.37f, 0.8f, 1.0f};
    for (float a : positions)
        for (float b : positions)
            for (float c : positions) {
                const double l = a, m = b, h = c, p = a, v = b, g = c;

                MVLeadTS ts;
                ts.low = a;
                ts.mid = b;
                ts.high = c;
                const double l3 = l * l * l;
                expectRelative(analog(ts).first,
                               {1, 0.0026535 + 0.0005 * m + 0.0205 * l3,
                                1.00554e-6 - 1.5125e-7 * m - 2.5625e-7 * m * m + 2.5028e-5 * l3 + 1.025e-5 * l3 * m,
                                8.4828e-11 - 2.1625e-11 * m - 3.7125e-11 * m * m + 2.75392e-9 * l3 + 1.485e-9 * l3 * m},
                               1e-12, "MVLeadTS den");
                expectRelative(analog(ts).second,
                               {0, 0.0005125 + 0.000125 * h + 0.0005 * m + 0.0205 * l3,
                                1.557e-7 + 2.52e-7 * h + 3.1875e-7 * m - 2.5625e-7 * m * m + 6.228e-6 * l3 +
                                    1.025e-5 * l3 * m,
                                1.0098e-11 + 7.473e-11 * h + 3.7125e-11 * m - 5.875e-11 * h * m - 3.7125e-11 * m * m +
                                    4.0392e-10 * l3 + 2.35e-9 * h * l3 + 1.485e-9 * l3 * m},
                               1e-12, "MVLeadTS num");

                MVMasterPresence mp;
                mp.presence = a;
                mp.master = b;
                const auto [mpDen, mpNum] = analog(mp);
                expectRelative({mpDen[0], mpNum[1], mpNum[2]},
                               {150000 + 250000 * v, 1762.5 * v, 1.321875 * p * v - 1.321875 * p * p * v}, 1e-12,
                               "MVMasterPresence");
                EXPECT_NEAR(mpDen[1], 2467.5 + 112.5 * p + 4300 * v - 187.5 * p * v - 112.5 * p * p - 2937.5 * v * v,
                            1e-9);
                EXPECT_NEAR(mpDen[2],
                            1.850625 * p + 3.084375 * v - 3.084375 * p * v - 1.850625 * p * p - 2.203125 * v * v +
                                2.203125 * p * v * v,
                            1e-12);

                JCGain jc;
                jc.gain = c;
                expectRelative(analog(jc).second, {0, 0.082, 0.0803603854 - 0.041 * g, 1.96554e-7 - 1.927e-7 * g},
                               1e-12, "JCGain num");
                EXPECT_NEAR(analog(jc).first[1], 0.5920047 - 0.5 * g, 1e-15);

                BKVGGain bk;
                bk.gain = c;
                expectRelative(analog(bk).first, {161560, 5183.472 + 229.68 * g - 220 * g * g,
                                                  0.433664 + 7.34976 * g - 7.04 * g * g},
                               1e-12, "BKVGGain den");
                expectRelative(analog(bk).second, {0, 3554.32, 77.924 * g - 4.84 * g * g}, 1e-12, "BKVGGain num");
            }
}

TEST(CircuitNetworks, ZeroGainOrMasterZeroesTheWholeNumerator)
{
    MVCleanGainTS clean;
    clean.gain = 0.0f;
    MVMasterPresence mv;
    mv.master = 0.0f;
    JCTSPresenceMaster jc;
    jc.master = 0.0f;
    for (float other : {0.0f, 0.3f, 1.0f}) {
        clean.low = clean.mid = clean.high = other;
        mv.presence = other;
        jc.low = jc.mid = jc.high = jc.presence = other;
        for (double n : analog(clean).second)
            EXPECT_EQ(n, 0.0);
        for (double n : analog(mv).second)
            EXPECT_EQ(n, 0.0);
        for (double n : analog(jc).second)
            EXPECT_EQ(n, 0.0);
    }
}

TEST(CircuitNetworks, StructuralFactsOfTheCircuits)
{
    // The MV lead gain divider keeps its total resistance: poles fixed.
    MVLeadGain lead;
    lead.gain = 0.0f;
    const auto atZero = analog(lead);
    lead.gain = 1.0f;
    const auto atOne = analog(lead);
    EXPECT_EQ(atZero.first, atOne.first);
    EXPECT_NEAR(atOne.second[1], 2.0 * 5351.25, 1e-9);

    // Cube-law low pots: low 0.5 adds one eighth of the pot to den[0].
    MVCleanGainTS clean;
    clean.low = 0.0f;
    const double d0WithoutLow = analog(clean).first[0];
    clean.low = 0.5f;
    EXPECT_DOUBLE_EQ(analog(clean).first[0] - d0WithoutLow, 250000.0 / 8.0);

    // The BKVG tone stack inverts DC: -1e6/65000 with the knobs centred.
    const BKVGTS bkvg;
    EXPECT_DOUBLE_EQ(analog(bkvg).second[0] / analog(bkvg).first[0], -1e6 / 65000.0);

    // JC gain: equal s^3 terms, so the gain tends to 1 at high frequencies.
    for (float g : {0.0f, 0.25f, 0.9f, 1.0f}) {
        JCGain jc;
        jc.gain = g;
        EXPECT_EQ(analog(jc).first[3], analog(jc).second[3]) << g;
    }
}

// Gain of a digital set at DC and at Nyquist.
template <int N>
double gainAtZ(const SZCoefficients<N>& c, double z)
{
    double num = c.b[0], den = 1.0, power = 1.0;
    for (int k = 1; k <= N; ++k) {
        power /= z;
        num += c.b[k] * power;
        den += c.a[k - 1] * power;
    }
    return num / den;
}

TEST(CircuitNetworks, DigitalGainsAtTheBandEdges)
{
    // JC gain network: unity at Nyquist for any gain position.
    for (float g : {0.0f, 0.5f, 1.0f}) {
        JCGain jc;
        jc.gain = g;
        jc.updateCoefficients();
        SampleFrame frame{0.0};
        jc.process(&frame); // take up the set
        EXPECT_NEAR(gainAtZ<3>(jc.current(), -1.0), 1.0, 1e-9) << g;
    }
    // JC input network: zero at DC and at Nyquist.
    JCInput input;
    input.installFixedCoefficients();
    input.filter(0.0);
    EXPECT_NEAR(gainAtZ<3>(input.active(), 1.0), 0.0, 1e-12);
    EXPECT_NEAR(gainAtZ<3>(input.active(), -1.0), 0.0, 1e-12);
}

TEST(BKVGPresence, PresenceZeroIsAFlatGainOf21)
{
    BKVGPresence presence;
    presence.presence = 0.0f;
    const auto [den, num] = analog(presence);
    EXPECT_EQ(den, (std::vector<double>{5000.0, 0.0}));
    EXPECT_EQ(num, (std::vector<double>{105000.0, 0.0}));
    presence.updateCoefficients();
    for (double x : {1.0, -0.5, 0.25, 0.0, 0.125})
        EXPECT_EQ(presence.filter(x), 21.0 * x);
}

TEST(BKVGPresence, SwitchingToZeroWithSignalInTheHistoryDoesNotRing)
{
    // Run a Nyquist-rich signal at presence 0.5, then switch to 0: the
    // output must be 21 times the input from then on, and silence must give
    // silence (a pole left on the unit circle would ring for ever).
    BKVGPresence presence;
    presence.setSampleRate(44100.0f);
    presence.updateCoefficients();
    for (int n = 0; n < 100; ++n)
        presence.filter((n % 2) ? 1.0 : -1.0);
    presence.presence = 0.0f;
    presence.updateCoefficients();
    EXPECT_EQ(presence.filter(0.5), 10.5);
    for (int n = 0; n < 1000; ++n)
        ASSERT_EQ(presence.filter(0.0), 0.0) << n;
}

TEST(BKVGPresence, UsesNinetyPercentOfTheKnobEveryTime)
{
    BKVGPresence presence;
    presence.presence = 1.0f;
    for (int round = 0; round < 2; ++round) {
        presence.setSampleRate(round == 0 ? 44100.0f : 88200.0f);
        presence.updateCoefficients();
        const auto [den, num] = analog(presence);
        // q, R1 and R2 are formed in single precision.
        const double r1 = double(5000.0f * 0.9f), r2 = double(5000.0f * (1.0f - 0.9f));
        EXPECT_DOUBLE_EQ(den[1], 2.2e-8 * r1 * r2);
        EXPECT_DOUBLE_EQ(num[1], 0.0022 * r1 + 2.2e-8 * r1 * r2);
        EXPECT_EQ(presence.presence.load(), 1.0f);
    }
    // The presence lifts the treble above the flat gain (21 up to the
    // single-precision rounding of the two segments).
    presence.filter(0.0);
    EXPECT_GT(gainAtZ<1>(presence.active(), -1.0), 25.0);
    EXPECT_NEAR(gainAtZ<1>(presence.active(), 1.0), 21.0, 1e-6);
}

TEST(CircuitNetworks, ANetworkIsSilentUntilItsFirstUpdateAndAfterZeroGain)
{
    MVCleanGainTS network;
    network.setSampleRate(44100.0f);
    for (int n = 0; n < 200; ++n)
        ASSERT_LE(std::abs(network.filter(std::sin(0.1 * n))), 1e-20);
    network.updateCoefficients();
    double peak = 0.0;
    for (int n = 0; n < 2000; ++n)
        peak = std::max(peak, std::abs(network.filter(std::sin(0.1 * n))));
    EXPECT_GT(peak, 1e-3);
    // Gain 0: after the fade, silence (apart from the guard's offset).
    network.gain = 0.0f;
    network.updateCoefficients();
    double tail = 0.0;
    for (int n = 0; n < 3000; ++n) {
        const double y = network.filter(std::sin(0.1 * n));
        if (n >= 1024)
            tail = std::max(tail, std::abs(y));
    }
    EXPECT_LE(tail, 1e-20);
}

} // namespace
