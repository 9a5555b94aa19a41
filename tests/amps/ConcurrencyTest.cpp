#include "amps/BKVGAmpClean.h"
#include "amps/BKVGAmpLead.h"
#include "amps/JCAmpClean.h"
#include "amps/JCAmpLead.h"
#include "amps/MVAmpClean.h"
#include "amps/MVAmpLead.h"
#include "dsp/ChebyFilter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

namespace {

// The audio thread runs the oversampling filters and every channel while a
// parameter thread turns knobs, switches models, toggles the channels and
// changes the rate, as "High Res." does. Run under ThreadSanitizer this
// shows that every hand-over is free of data races; in any build it checks
// that the audio thread only ever sees consistent sets (finite output).
TEST(AmpConcurrency, ParameterThreadChangesWhileAudioRuns)
{
    MVAmpClean mvClean;
    MVAmpLead mvLead;
    BKVGAmpClean bkvgClean;
    BKVGAmpLead bkvgLead;
    JCAmpClean jcClean;
    JCAmpLead jcLead;
    AmpChannel* channels[] = {&mvClean, &mvLead, &bkvgClean, &bkvgLead, &jcClean, &jcLead};
    ChebyFilter filters[4];

    // Set-up while stopped, as the shell's resume does.
    for (ChebyFilter& filter : filters) {
        filter.setSampleRate(44100.0f);
        filter.selectCoefficients();
    }
    for (AmpChannel* channel : channels) {
        channel->setSampleRate(44100.0f);
        channel->setEnabled(true);
    }

    std::atomic<bool> stop{false};
    std::atomic<bool> allFinite{true};
    std::atomic<long> samples{0};

    std::thread audio([&] {
        long n = 0;
        while (!stop.load(std::memory_order_relaxed)) {
            for (int i = 0; i < 64; ++i, ++n) {
                SampleFrame frame{0.8 * std::sin(0.031 * double(n))};
                filters[0].process(&frame);
                filters[1].process(&frame);
                const double in = frame.value;
                double sum = 0.0;
                for (AmpChannel* channel : channels) {
                    frame.value = in;
                    channel->process(&frame);
                    sum += frame.value;
                }
                frame.value = sum;
                filters[2].process(&frame);
                filters[3].process(&frame);
                if (!std::isfinite(frame.value))
                    allFinite = false;
            }
            samples.store(n, std::memory_order_relaxed);
        }
    });

    const AmpKnob knobs[] = {AmpKnob::Gain, AmpKnob::Low, AmpKnob::Mid, AmpKnob::High, AmpKnob::Presence,
                             AmpKnob::Master};
    for (int round = 0; round < 400; ++round) {
        const float position = float((round * 37) % 101) / 100.0f;
        const AmpKnob knob = knobs[round % 6];
        AmpChannel* active = channels[(round / 6) % 6];
        for (AmpChannel* channel : channels)
            channel->setKnob(knob, position, channel == active);
        if (round % 6 == 5)
            active->activate();
        if (round % 25 == 0) {
            const float rate = (round / 25) % 2 == 0 ? 88200.0f : 44100.0f;
            for (ChebyFilter& filter : filters) {
                filter.setSampleRate(rate);
                filter.selectCoefficients();
            }
            for (AmpChannel* channel : channels)
                channel->setSampleRate(rate);
        }
        if (round % 40 == 20)
            for (AmpChannel* channel : channels)
                channel->setEnabled(!channel->isEnabled());
        std::this_thread::yield();
    }
    // Let the audio thread run on a little after the last change.
    const long seen = samples.load();
    while (samples.load() < seen + 1024)
        std::this_thread::yield();
    stop = true;
    audio.join();

    EXPECT_TRUE(allFinite.load());
    EXPECT_GT(samples.load(), 1024);
}

} // namespace
