#pragma once

#include "cabinet/ConvolverKernels.h"
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
// Blocks: processBlock() gives the same output bit for bit as processSample()
// on each of its samples. The head runs as a block FIR (several outputs side
// by side, each summed in the per-sample order) and the stages copy whole
// runs of input in and output out between their block transforms. A newly
// published response is taken up at the start of a block, which is where
// processSample() would take it up when the load happened between calls.
//
// Threads: loadResponse() on a loading thread (one at a time); processSample()
// and processBlock() on the audio thread; clear() only while processing is
// stopped.
class Convolver {
public:
    static constexpr int kSmallHead = 64;  // head length for host rates up to 68 kHz
    static constexpr int kLargeHead = 128; // head length above 68 kHz

    // headLength: B, 64 or 128. Allocates everything; the initial response
    // is silence.
    // kernels: the copy of the inner loops to use; null picks the widest one
    // the processor runs (tests pass a copy explicitly to check each one).
    explicit Convolver(int headLength, const ConvolverKernels* kernels = nullptr);
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
        takeUpNewResponse();
        return head(x) + stage1_.process(x) + stage2_.process(x);
    }

    // Audio thread: convolves n samples in place, unscaled.
    void processBlock(double* samples, int n) noexcept;

    // The copy of the inner loops in use (for labels in tests and benchmarks).
    const ConvolverKernels& kernels() const noexcept { return *kernels_; }

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
        std::vector<double> stage1;   // 7 grouped partition spectra of stage 1
        std::vector<double> stage2;   // 7 grouped partition spectra of stage 2
    };

    // Samples per piece of a block: the head's line holds B - 1 older
    // inputs and one piece.
    static constexpr int kPiece = 256;
    // Below this many samples a block runs sample by sample.
    static constexpr int kMinBlock = 4;

    void install(const ResponseSet& set) noexcept;

    // Takes up a newly published response, if any.
    void takeUpNewResponse() noexcept
    {
        // The stages may still need the partitions of the set in use (owed
        // steps, products due later): that work is done before fetch()
        // hands the set back to the loader.
        if (sets_.pending()) {
            stage1_.retire();
            stage2_.retire();
            if (sets_.fetch())
                install(sets_.current());
        }
    }

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
        const double y = kernels_->headSample(headTaps_, history + headIndex_ + 1, b);
        headIndex_ = (headIndex_ + 1) & (b - 1);
        return y;
    }

    // One piece of a block, n <= kPiece samples, in place.
    void processPiece(double* samples, int n) noexcept;

    int headLength_;                  // B, taps in the direct part
    PartitionedStage stage1_;         // taps B..8·B-1, block B
    PartitionedStage stage2_;         // taps 8·B..64·B-1, block 8·B
    Mailbox<ResponseSet> sets_;       // prepared responses, loading thread to audio thread
    const double* headTaps_;          // audio: reversed head taps of the installed set
    std::vector<double> headHistory_; // audio: 2·B, the last B inputs stored twice
    int headIndex_;                   // audio: where the next input goes, 0..B-1
    std::vector<double> headLine_;    // audio: B - 1 + kPiece, older inputs and one piece in time order
    const ConvolverKernels* kernels_; // the inner loops in use
};
