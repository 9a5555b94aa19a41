#include "cabinet/UserResponseEngine.h"

#include <atomic>
#include <cmath>
#include <memory>
#include <numbers>
#include <thread>
#include <vector>

#include "tests/support/WavFixture.h"

using namespace fixture;

namespace {

// The taper as a Hamming window written around its centre: 1 at the peak P,
// 0.08 at the last used sample L-1, mirrored before the peak.
double window(int i, int peak, int length)
{
    if (peak == length - 1)
        return 1.0;
    return 0.54 + 0.46 * std::cos(std::numbers::pi * double(i - peak) / double(length - 1 - peak));
}

std::unique_ptr<UserResponseEngine> engineAt(float rate, bool stereo)
{
    auto engine = std::make_unique<UserResponseEngine>();
    engine->setSampleRate(rate);
    engine->setStereo(stereo);
    return engine;
}

// A deterministic ramp of 16-bit values with one marked peak.
std::vector<std::int16_t> ramp(int count, int peak, std::int16_t peakValue = 30000)
{
    std::vector<std::int16_t> s(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        s[std::size_t(i)] = std::int16_t(((i * 37) % 2001) - 1000);
    s[std::size_t(peak)] = peakValue;
    return s;
}

void expectTail(const double* response, int from, const char* what)
{
    for (int i = from; i < UserResponseEngine::kLargeLength; ++i)
        ASSERT_EQ(response[i], 0.0) << what << " at " << i;
}

} // namespace

TEST(UserResponseEngine, MonoFileIsTaperedFromItsPeak)
{
    struct Case {
        const char* what;
        int count;
        int peak;
    };
    const Case cases[] = {
        {"peak inside", 100, 30},
        {"peak first", 100, 0},
        {"peak last", 100, 99},
        {"single sample", 1, 0},
    };
    for (const Case& c : cases) {
        const auto samples = ramp(c.count, c.peak);
        TempFile file("mono.wav", wav16(samples));
        auto engine = engineAt(44100.0f, false);
        engine->loadUserResponse(file.c_str());
        const double* left = engine->response(0);
        for (int i = 0; i < c.count; ++i)
            ASSERT_NEAR(left[i], level16(samples[std::size_t(i)]) * window(i, c.peak, c.count), 1e-12) << c.what << " " << i;
        EXPECT_EQ(left[c.peak], level16(samples[std::size_t(c.peak)])) << c.what;
        expectTail(left, c.count, c.what);
    }
}

TEST(UserResponseEngine, TaperEndsAtEightPercentAndMirrorsAroundThePeak)
{
    // Constant level after the peak shows the window itself.
    std::vector<std::int16_t> samples(100, 10000);
    samples[40] = 20000;
    TempFile file("flat.wav", wav16(samples));
    auto engine = engineAt(44100.0f, false);
    engine->loadUserResponse(file.c_str());
    const double* left = engine->response(0);
    const double level = level16(10000);
    EXPECT_NEAR(left[99], 0.08 * level, 1e-12);
    for (int d = 1; d <= 40; ++d)
        EXPECT_NEAR(left[40 - d], left[40 + d], 1e-12) << d;
    EXPECT_EQ(left[100], 0.0);
}

TEST(UserResponseEngine, ChannelsFollowTheCabinetMode)
{
    // A stereo file whose louder channel is the right one, at frame 10.
    const int frames = 50;
    std::vector<std::int16_t> interleaved;
    for (int i = 0; i < frames; ++i) {
        interleaved.push_back(std::int16_t(1000 + 10 * i));
        interleaved.push_back(std::int16_t(i == 10 ? -32768 : 500 - 20 * i));
    }
    TempFile stereoFile("stereo.wav", wav16(interleaved, 2));
    const auto mono = ramp(frames, 5);
    TempFile monoFile("mono.wav", wav16(mono));

    {
        SCOPED_TRACE("stereo file, stereo mode: one taper from the louder channel");
        auto engine = engineAt(44100.0f, true);
        engine->loadUserResponse(stereoFile.c_str());
        for (int i = 0; i < frames; ++i) {
            const double w = window(i, 10, frames);
            ASSERT_NEAR(engine->response(0)[i], level16(interleaved[2 * i]) * w, 1e-12) << i;
            ASSERT_NEAR(engine->response(1)[i], level16(interleaved[2 * i + 1]) * w, 1e-12) << i;
        }
        expectTail(engine->response(0), frames, "left");
        expectTail(engine->response(1), frames, "right");
    }
    {
        SCOPED_TRACE("stereo file, mono mode: the average, tapered from its own peak");
        auto engine = engineAt(44100.0f, false);
        engine->loadUserResponse(stereoFile.c_str());
        std::vector<double> average(frames);
        int peak = 0;
        for (int i = 0; i < frames; ++i) {
            average[std::size_t(i)] = (level16(interleaved[2 * i]) + level16(interleaved[2 * i + 1])) * 0.5;
            if (std::fabs(average[std::size_t(i)]) > std::fabs(average[std::size_t(peak)]))
                peak = i;
        }
        for (int i = 0; i < frames; ++i)
            ASSERT_NEAR(engine->response(0)[i], average[std::size_t(i)] * window(i, peak, frames), 1e-12) << i;
    }
    {
        SCOPED_TRACE("mono file, stereo mode: the same response on both channels");
        auto engine = engineAt(44100.0f, true);
        engine->loadUserResponse(monoFile.c_str());
        for (int i = 0; i < frames; ++i) {
            ASSERT_NEAR(engine->response(0)[i], level16(mono[std::size_t(i)]) * window(i, 5, frames), 1e-12) << i;
            ASSERT_EQ(engine->response(1)[i], engine->response(0)[i]) << i;
        }
    }
}

TEST(UserResponseEngine, LengthIsCutAtTheConvolverSizeForTheRate)
{
    struct Case {
        float rate;
        int expected;
        bool lowRate;
    };
    const auto samples = ramp(10000, 0, 32767);
    TempFile file("long.wav", wav16(samples));
    for (const Case& c : {Case{44100.0f, 4096, true}, Case{68000.0f, 4096, true}, Case{96000.0f, 8192, false}}) {
        auto engine = engineAt(c.rate, false);
        EXPECT_EQ(engine->maximumLength(), c.expected);
        EXPECT_EQ(engine->isLowRate(), c.lowRate);
        engine->loadUserResponse(file.c_str());
        const double* left = engine->response(0);
        EXPECT_EQ(left[0], 1.0) << c.rate;
        EXPECT_NEAR(left[c.expected - 1], level16(samples[std::size_t(c.expected - 1)]) * 0.08, 1e-12) << c.rate;
        expectTail(left, c.expected, "cut");
    }
}

TEST(UserResponseEngine, UnusableFilesLeaveSilence)
{
    WavLayout eightBit;
    eightBit.bits = 8;
    WavLayout double64;
    double64.formatTag = 3;
    double64.bits = 64;
    WavLayout extensible;
    extensible.formatTag = 0xFFFE;
    const Bytes data(64, 0x40);
    TempFile good("good.wav", wav16(ramp(200, 3)));
    struct Case {
        const char* what;
        Bytes bytes;
    };
    const Case cases[] = {
        {"8-bit", [&] { Bytes b = header(eightBit, data.size()); b.insert(b.end(), data.begin(), data.end()); return b; }()},
        {"64-bit float", [&] { Bytes b = header(double64, data.size()); b.insert(b.end(), data.begin(), data.end()); return b; }()},
        {"extensible", [&] { Bytes b = header(extensible, data.size()); b.insert(b.end(), data.begin(), data.end()); return b; }()},
    };
    for (const Case& c : cases) {
        TempFile bad("bad.wav", c.bytes);
        auto engine = engineAt(44100.0f, true);
        engine->loadUserResponse(good.c_str());
        ASSERT_NE(engine->response(0)[3], 0.0);
        engine->loadUserResponse(bad.c_str());
        expectTail(engine->response(0), 0, c.what);
        expectTail(engine->response(1), 0, c.what);
        // The convolvers run the silent response too.
        double l = 1.0, r = 1.0;
        for (int n = 0; n < 20000; ++n) {
            engine->processStereo(l, r);
            ASSERT_EQ(l, 0.0) << c.what << " " << n;
            ASSERT_EQ(r, 0.0) << c.what << " " << n;
            l = r = (n % 7 == 0) ? 1.0 : 0.0;
        }
    }
    auto engine = engineAt(44100.0f, false);
    engine->loadUserResponse(good.c_str());
    engine->loadUserResponse(UserResponseEngine::kNoResponse);
    expectTail(engine->response(0), 0, "empty");
    engine->loadUserResponse((testing::TempDir() + "missing.wav").c_str());
    expectTail(engine->response(0), 0, "missing");
}

TEST(UserResponseEngine, ImpulseReproducesTheScaledResponse)
{
    struct Case {
        float rate;
        bool stereo;
        int length;
    };
    for (const Case& c : {Case{44100.0f, false, 4096}, Case{48000.0f, true, 4096}, Case{96000.0f, true, 8192}}) {
        std::vector<std::int16_t> interleaved;
        for (int i = 0; i < 10000; ++i) {
            interleaved.push_back(std::int16_t((i * 131) % 20001 - 10000));
            interleaved.push_back(std::int16_t((i * 71) % 16001 - 8000));
        }
        TempFile file("impulse.wav", wav16(interleaved, 2));
        auto engine = engineAt(c.rate, c.stereo);
        engine->reset();
        engine->loadUserResponse(file.c_str());
        const std::vector<double> left(engine->response(0), engine->response(0) + c.length);
        const std::vector<double> right(engine->response(1), engine->response(1) + c.length);
        for (int n = 0; n < c.length + 600; ++n) {
            double l = n == 0 ? 1.0 : 0.0;
            double r = l;
            if (c.stereo)
                engine->processStereo(l, r);
            else
                engine->process(l);
            const double wantL = n < c.length ? 0.25 * left[std::size_t(n)] : 0.0;
            ASSERT_NEAR(l, wantL, 1e-9) << c.rate << " sample " << n;
            if (c.stereo) {
                const double wantR = n < c.length ? 0.25 * right[std::size_t(n)] : 0.0;
                ASSERT_NEAR(r, wantR, 1e-9) << c.rate << " sample " << n;
            }
        }
    }
}

TEST(UserResponseEngine, ClearSilencesTheOutput)
{
    TempFile file("clear.wav", wav16(ramp(3000, 2)));
    auto engine = engineAt(44100.0f, false);
    engine->loadUserResponse(file.c_str());
    double x = 1.0;
    for (int n = 0; n < 1000; ++n, x = 0.5)
        engine->process(x);
    engine->reset();
    expectTail(engine->response(0), 0, "after clear");
    for (int n = 0; n < 5000; ++n) {
        double y = 0.0;
        engine->process(y);
        ASSERT_EQ(y, 0.0) << n;
    }
}

// Loading while the audio thread runs: the audio thread never sees a torn
// response (ThreadSanitizer checks the hand-over) and the output stays finite
// and bounded by the largest possible response.
TEST(UserResponseEngine, LoadsWhileAudioRuns)
{
    TempFile a("a.wav", wav16(ramp(4096, 100), 1));
    TempFile b("b.wav", wav16(std::vector<std::int16_t>(6000, -20000), 2));
    auto engine = engineAt(44100.0f, true);
    engine->loadUserResponse(a.c_str());
    std::atomic<bool> done{false};
    std::thread loader([&] {
        for (int k = 0; k < 40; ++k)
            engine->loadUserResponse(k % 3 == 0 ? b.c_str() : k % 3 == 1 ? a.c_str() : UserResponseEngine::kNoResponse);
        done = true;
    });
    double worst = 0.0;
    for (long n = 0; !done || n < 20000; ++n) {
        double l = (n % 64 == 0) ? 1.0 : 0.0;
        double r = -l;
        engine->processStereo(l, r);
        ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << n;
        worst = std::max({worst, std::fabs(l), std::fabs(r)});
    }
    loader.join();
    // An impulse every 64 samples over at most 4096 taps of magnitude <= 1, scaled by 0.25.
    EXPECT_LE(worst, 0.25 * 64.0 + 1e-9);
}
