// One thread runs the effect chain sample by sample while another changes
// every setting these blocks take from parameter threads. Under
// ThreadSanitizer this shows that the settings are handed over without data
// races; in every build it checks that the output stays finite and that the
// limiter's ceiling holds throughout.
#include "effects/ClipIndicator.h"
#include "effects/Limiter.h"
#include "effects/NoiseGate.h"
#include "effects/Spring.h"
#include "effects/Tremolo.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>

namespace {

struct Chain {
    NoiseGate gate;
    Tremolo tremolo;
    Spring spring;
    Limiter limiter;  // switched on and off by the parameter thread
    Limiter ceiling;  // always on: its output must never pass 1.0
    ClipIndicator clip;
};

} // namespace

TEST(EffectsConcurrency, ParameterThreadWhileAudioRuns)
{
    auto chain = std::make_unique<Chain>();
    Chain& c = *chain;
    // Resume, with processing stopped.
    c.tremolo.setSampleRate(44100.0f);
    c.tremolo.setSpeed(0.3f);
    c.spring.setSampleRate(44100.0f);
    c.limiter.reset();
    c.limiter.setSampleRate(44100.0f);
    c.ceiling.reset();
    c.ceiling.setSampleRate(44100.0f);
    c.ceiling.setEnabled(true);
    c.clip.setSampleRate(44100.0f);

    std::atomic<bool> running{true};
    std::atomic<int> blocks{0};
    bool finite = true;
    bool underCeiling = true;

    std::thread audio([&] {
        double tempo = 100.0;
        int n = 0;
        while (running.load(std::memory_order_relaxed) || blocks.load(std::memory_order_relaxed) < 20) {
            // Block start: the host's tempo arrives on this thread, now and
            // then one that is not usable.
            tempo = tempo < 180.0 ? tempo + 7.0 : 60.0;
            c.tremolo.setTempo(n % 7 == 0 ? 0.0 : tempo);
            for (int i = 0; i < 64; ++i, ++n) {
                SampleFrame frame{3.0 * std::sin(0.003 * n) * ((n / 500) % 2)};
                c.gate.process(&frame);
                c.tremolo.process(&frame);
                c.spring.process(&frame);
                // Whether the switched limiter ran for this sample is its own
                // read of the switch, which may differ from any read made here;
                // the ceiling is therefore checked on the limiter that stays on.
                SampleFrame limited = frame;
                c.ceiling.process(&limited);
                underCeiling = underCeiling && std::fabs(limited.value) <= 1.0;
                const bool limit = c.limiter.isEnabled();
                c.limiter.process(&frame);
                if (!limit)
                    c.clip.watch(std::fabs(frame.value));
                finite = finite && std::isfinite(frame.value) && std::isfinite(limited.value);
            }
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
    });

    // The parameter thread: every setter, over and over.
    for (int round = 0; round < 3000 || blocks.load(std::memory_order_relaxed) < 20; ++round) {
        const float v = float(round % 11) / 10.0f;
        c.gate.setEnabled(round % 3 == 0);
        c.gate.setThreshold(v);
        c.gate.setAttack(1.0f - v);
        c.gate.setDecay(v);
        c.tremolo.setEnabled(round % 5 != 0);
        c.tremolo.setDepth(v);
        c.tremolo.setSync(round % 2 == 0);
        c.tremolo.setSpeed(1.0f - v);
        c.spring.setEnabled(round % 5 != 0);
        c.spring.setAmount(v);
        c.limiter.setEnabled(round % 4 != 0);
        if (c.limiter.isEnabled())
            c.clip.clear();
        (void)c.clip.level(); // the editor's read
        if (round % 64 == 0)
            std::this_thread::yield();
    }
    running.store(false, std::memory_order_relaxed);
    audio.join();

    EXPECT_TRUE(finite);
    EXPECT_TRUE(underCeiling);
    EXPECT_GE(blocks.load(), 20);
}
