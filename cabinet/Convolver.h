#pragma once

#include "cabinet/PartitionedStage.h"
#include "dsp/Mailbox.h"

#include <vector>

// Zero-latency, non-uniformly partitioned convolution with a response of
// 64·B samples, one sample at a time:
//   taps 0..B-1       direct (time domain) on every sample,
//   taps B..8·B-1     stage 1: seven partitions of B, transforms of 2·B,
//   taps 8·B..64·B-1  stage 2: seven partitions of 8·B, transforms of 16·B.
// The sum is the exact linear convolution and the host's block size plays no
// part. B is 64 (4096 taps, host rates up to 68 kHz) or 128 (8192 taps).
//
// Response hand-over: loadResponse() prepares the head taps and both stages'
// partition spectra in a set the audio thread is not reading and publishes
// it through a triple buffer; processSample() takes the newest published set
// up before it computes its sample. The audio thread never waits, never
// reads a half-written set, and a newer load replaces one that was not taken
// up yet. Products and output already computed with the old response keep
// playing out, so a change blends in over at most six blocks of each stage.
//
// Threads: loadResponse() on a loading thread (one at a time); processSample()
// on the audio thread; clear() only while processing is stopped.
class Convolver {
public:
    static constexpr int kSmallHead = 64;  // head length for host rates up to 68 kHz
    static constexpr int kLargeHead = 128; // head length above 68 kHz

    // headLength: B, 64 or 128. Allocates everything; the initial response
    // is silence.
    explicit Convolver(int headLength);
    Convolver(const Convolver&) = delete;
    Convolver& operator=(const Convolver&) = delete;

    int headLength() const noexcept { return headLength_; }
    int responseLength() const noexcept { return 64 * headLength_; }

    // Loading thread: response holds at least responseLength() doubles; it is
    // copied and not referenced afterwards. Allocates nothing.
    void loadResponse(const double* response) noexcept;

    // Audio thread: convolves one sample, unscaled.
    double processSample(double x) noexcept
    {
        // The stages may still owe work with the partitions of the set in
        // use: it is done before fetch() hands that set back to the loader.
        if (sets_.pending()) {
            stage1_.finishPending();
            stage2_.finishPending();
            if (sets_.fetch())
                install(sets_.current());
        }
        return head(x) + stage1_.process(x) + stage2_.process(x);
    }

    // Silences everything: histories, stage buffers and the response itself
    // (the owner loads one again before it is needed), with every position
    // back at its start. Only while processing is stopped.
    void clear() noexcept;
    // Empties the histories and stage buffers, with every position back at
    // its start, and keeps the response: the next sample is convolved as by
    // a new convolver given the same response. Only while processing is
    // stopped.
    void clearHistory() noexcept;

private:
    // One prepared response: what the audio thread reads while it is current.
    struct ResponseSet {
        std::vector<double> headTaps; // B head taps in reverse order (tap B-1 first)
        std::vector<double> stage1;   // 7 packed partition spectra of stage 1
        std::vector<double> stage2;   // 7 packed partition spectra of stage 2
    };

    void install(const ResponseSet& set) noexcept;

    // The direct part: taps 0..B-1 against the last B inputs.
    double head(double x) noexcept
    {
        const int b = headLength_;
        double* history = headHistory_.data();
        // Every input is stored twice, B apart, so that the last B inputs
        // are always one contiguous run history[headIndex+1 .. headIndex+B],
        // oldest first, matching the reversed taps.
        history[headIndex_] = x;
        history[headIndex_ + b] = x;
        const double* recent = history + headIndex_ + 1;
        const double* taps = headTaps_;
        double sum0 = 0.0, sum1 = 0.0, sum2 = 0.0, sum3 = 0.0;
        for (int k = 0; k < b; k += 4) {
            sum0 += taps[k] * recent[k];
            sum1 += taps[k + 1] * recent[k + 1];
            sum2 += taps[k + 2] * recent[k + 2];
            sum3 += taps[k + 3] * recent[k + 3];
        }
        headIndex_ = (headIndex_ + 1) & (b - 1);
        return (sum0 + sum1) + (sum2 + sum3);
    }

    int headLength_;                  // B, taps in the direct part
    PartitionedStage stage1_;         // taps B..8·B-1, block B
    PartitionedStage stage2_;         // taps 8·B..64·B-1, block 8·B
    Mailbox<ResponseSet> sets_;       // prepared responses, loading thread to audio thread
    const double* headTaps_;          // audio: reversed head taps of the installed set
    std::vector<double> headHistory_; // audio: 2·B, the last B inputs stored twice
    int headIndex_;                   // audio: where the next input goes, 0..B-1
};
