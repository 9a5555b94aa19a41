// The convolver against zita-convolver at equal response length, in host
// blocks of several sizes, measured in the same run.
//
// Variants, one convolver each (one channel):
//   sample    Convolver::processSample() on every frame, baseline loops: the
//             per-sample path as it runs on any x86-64 processor;
//   block/b   Convolver::processBlock() per host block, baseline loops;
//   block     processBlock() with the loops this processor runs best (AVX2
//             where reported);
//   zita      zita-convolver 4 (Debian libzita-convolver-dev, single
//             precision, FFTW), configured with quantum = host block and
//             smallest partition = max(64, host block), run with
//             process(true): every call waits until the levels due in it
//             have finished, so a run faster than real time never drops
//             their work. The later levels run in zita's own threads; their
//             time is counted because every variant is timed with the
//             process CPU clock (CLOCK_PROCESS_CPUTIME_ID), which sums all
//             threads of the process, and nothing else runs meanwhile.
//
// Rounds alternate the variants (sample, block/b, block, zita, sample, ...)
// so that a change of load on a shared machine hits all of them; each cell
// shows the median over the rounds, as CPU nanoseconds per frame and as the
// share of one processor at the rate the length is used for (4096 taps at
// 48 kHz, 8192 at 96 kHz).
//
//   convolver-compare [--quick] [--taps 4096,8192] [--blocks 32,64,256,512]
//                     [--seconds S] [--rounds R]

#include "cabinet/Convolver.h"
#include "cabinet/ConvolverKernels.h"
#include "bench/support/Noise.h"

#if defined(SELVARINE_BENCH_ZITA)
#include <zita-convolver.h>

#include <sched.h>
#include <unistd.h>
#endif

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using bench_support::noise;

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

std::vector<int> parseList(const char* text)
{
    std::vector<int> values;
    for (const char* p = text; *p != '\0';) {
        char* end = nullptr;
        const long v = std::strtol(p, &end, 10);
        if (end == p || v <= 0)
            return {};
        values.push_back(int(v));
        p = *end == ',' ? end + 1 : end;
    }
    return values;
}

struct Options {
    std::vector<int> taps{4096, 8192};
    std::vector<int> blocks{32, 64, 256, 512};
    double seconds = 4.0;
    int rounds = 5;
};

// One variant: processes `frames` frames of the input in host blocks and
// returns a value that depends on the output (so that nothing is optimised
// away).
using Runner = std::function<double(int frames)>;

// Our convolver over the looped input, one host block at a time.
class OurRunner {
public:
    OurRunner(int head, const ConvolverKernels* kernels, bool perSample, int block, const std::vector<double>& response,
              const std::vector<double>& input)
        : conv_(head, kernels), perSample_(perSample), block_(block), input_(input), buffer_(std::size_t(block))
    {
        conv_.clear();
        conv_.loadResponse(response.data());
    }

    double run(int frames)
    {
        double check = 0.0;
        for (int done = 0; done < frames; done += block_) {
            for (int i = 0; i < block_; ++i)
                buffer_[std::size_t(i)] = input_[(position_ + std::size_t(i)) % input_.size()];
            position_ = (position_ + std::size_t(block_)) % input_.size();
            if (perSample_) {
                for (double& v : buffer_)
                    v = conv_.processSample(v);
            } else {
                conv_.processBlock(buffer_.data(), block_);
            }
            check += buffer_[std::size_t(block_ - 1)];
        }
        return check;
    }

private:
    Convolver conv_;
    bool perSample_;
    int block_;
    const std::vector<double>& input_;
    std::vector<double> buffer_;
    std::size_t position_ = 0;
};

#if defined(SELVARINE_BENCH_ZITA)
// zita-convolver with one input and one output, its threads running.
class ZitaRunner {
public:
    ZitaRunner(int taps, int block, const std::vector<double>& response, const std::vector<double>& input)
        : block_(block), input_(input)
    {
        const unsigned minpart = unsigned(std::max(int(Convproc::MINPART), block));
        if (proc_.configure(1, 1, unsigned(taps), unsigned(block), minpart, Convproc::MAXPART, 0.0f) != 0) {
            std::fprintf(stderr, "convolver-compare: zita-convolver refuses block %d\n", block);
            return;
        }
        std::vector<float> h(response.begin(), response.end());
        proc_.impdata_create(0, 0, 1, h.data(), 0, taps);
        if (proc_.start_process(0, SCHED_OTHER) != 0) {
            std::fprintf(stderr, "convolver-compare: zita-convolver did not start\n");
            return;
        }
        running_ = true;
    }
    ~ZitaRunner()
    {
        if (running_) {
            proc_.stop_process();
            while (!proc_.check_stop())
                usleep(1000);
        }
        proc_.cleanup();
    }
    bool running() const { return running_; }

    double run(int frames)
    {
        double check = 0.0;
        for (int done = 0; done < frames; done += block_) {
            float* in = proc_.inpdata(0);
            for (int i = 0; i < block_; ++i)
                in[i] = float(input_[(position_ + std::size_t(i)) % input_.size()]);
            position_ = (position_ + std::size_t(block_)) % input_.size();
            proc_.process(true);
            check += double(proc_.outdata(0)[block_ - 1]);
        }
        return check;
    }

private:
    Convproc proc_;
    int block_;
    const std::vector<double>& input_;
    std::size_t position_ = 0;
    bool running_ = false;
};
#endif

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--quick") {
            options.taps = {4096};
            options.blocks = {64, 512};
            options.seconds = 0.25;
            options.rounds = 1;
        } else if (arg == "--taps" && value != nullptr) {
            options.taps = parseList(value);
            ++i;
        } else if (arg == "--blocks" && value != nullptr) {
            options.blocks = parseList(value);
            ++i;
        } else if (arg == "--seconds" && value != nullptr) {
            options.seconds = std::atof(value);
            ++i;
        } else if (arg == "--rounds" && value != nullptr) {
            options.rounds = std::atoi(value);
            ++i;
        } else {
            std::fprintf(stderr,
                         "usage: convolver-compare [--quick] [--taps 4096,8192] [--blocks 32,64,256,512] "
                         "[--seconds S] [--rounds R]\n");
            return 2;
        }
    }
    for (int taps : options.taps)
        if (taps != 64 * Convolver::kSmallHead && taps != 64 * Convolver::kLargeHead) {
            std::fprintf(stderr, "convolver-compare: the convolver has %d or %d taps\n", 64 * Convolver::kSmallHead,
                         64 * Convolver::kLargeHead);
            return 2;
        }
    if (options.taps.empty() || options.blocks.empty() || options.seconds <= 0.0 || options.rounds < 1) {
        std::fprintf(stderr, "convolver-compare: bad option value\n");
        return 2;
    }

    std::printf("convolver loops: %s; CPU time of the whole process, median of %d alternating rounds of %.2f s of audio\n",
                ConvolverKernels::best().name, options.rounds, options.seconds);
#if defined(SELVARINE_BENCH_ZITA)
    std::printf("zita-convolver %d.%d, process(true)\n", ZITA_CONVOLVER_MAJOR_VERSION, ZITA_CONVOLVER_MINOR_VERSION);
    const char* names[] = {"sample", "block/b", "block", "zita"};
    const int variants = 4;
#else
    std::printf("zita-convolver: not built in (install libzita-convolver-dev and configure again)\n");
    const char* names[] = {"sample", "block/b", "block"};
    const int variants = 3;
#endif
    std::printf("\n| taps | rate | block |");
    for (int v = 0; v < variants; ++v)
        std::printf(" %s ns/frame (%% CPU) |", names[v]);
    if (variants == 4)
        std::printf(" block / zita |");
    std::printf("\n|---|---|---|");
    for (int v = 0; v < variants + (variants == 4 ? 1 : 0); ++v)
        std::printf("---|");
    std::printf("\n");

    double sink = 0.0;
    for (int taps : options.taps) {
        const int head = taps / 64;
        const double rate = head == Convolver::kSmallHead ? 48000.0 : 96000.0;
        const std::vector<double> response = noise(std::size_t(taps), 7, 4.0 / double(taps));
        const std::vector<double> input = noise(1 << 16, 8);
        for (int block : options.blocks) {
            const int frames = std::max(block, int(options.seconds * rate) / block * block);
            OurRunner sample(head, &kBaselineConvolverKernels, true, block, response, input);
            OurRunner baseline(head, &kBaselineConvolverKernels, false, block, response, input);
            OurRunner best(head, nullptr, false, block, response, input);
            std::vector<Runner> runners{[&](int n) { return sample.run(n); }, [&](int n) { return baseline.run(n); },
                                        [&](int n) { return best.run(n); }};
#if defined(SELVARINE_BENCH_ZITA)
            ZitaRunner zita(taps, block, response, input);
            if (zita.running())
                runners.push_back([&](int n) { return zita.run(n); });
#endif
            // Warm-up: a fraction of a round each.
            for (Runner& r : runners)
                sink += r(std::max(block, frames / 8 / block * block));
            std::vector<std::vector<double>> times(runners.size());
            for (int round = 0; round < options.rounds; ++round)
                for (std::size_t v = 0; v < runners.size(); ++v) {
                    const double start = processCpuSeconds();
                    sink += runners[v](frames);
                    times[v].push_back((processCpuSeconds() - start) / double(frames));
                }
            std::printf("| %d | %.0f | %d |", taps, rate, block);
            std::vector<double> perFrame;
            for (std::size_t v = 0; v < runners.size(); ++v) {
                perFrame.push_back(median(times[v]));
                std::printf(" %.1f (%.2f %%) |", 1e9 * perFrame.back(), 100.0 * perFrame.back() * rate);
            }
            for (std::size_t v = runners.size(); v < std::size_t(variants); ++v)
                std::printf(" – |");
            if (variants == 4)
                std::printf(runners.size() == 4 ? " %.2f |" : " – |", runners.size() == 4 ? perFrame[2] / perFrame[3] : 0.0);
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    // Keeps the outputs alive; printed only if they were not finite.
    if (!std::isfinite(sink))
        std::printf("(output check: %g)\n", sink);
    return 0;
}
