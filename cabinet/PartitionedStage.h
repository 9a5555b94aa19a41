#pragma once

#include "cabinet/FFTReal.h"

#include <vector>

// One frequency-domain stage of the zero-latency convolver: seven uniform
// partitions of b response samples each, convolved block by block with
// transforms of length N = 2·b.
//
// The stage collects b input samples; on the sample at which its block is
// full it transforms the block, multiplies the spectrum with each partition
// spectrum into a ring of 32 product slots (partition p lands p blocks
// ahead), sums the seven products that are due now, transforms back and
// overlap-adds the result into the output ring, which is read one sample per
// call. Partition p thereby reaches the output exactly p·b samples after
// partition 0, and partition 0 b samples after its input block began: the
// stage covers response samples b..8·b-1 of its own input with no latency
// beyond that offset.
//
// Only partition 0's product is needed on the sample the block fills up.
// The other six products are due one or more blocks later, and of the sum
// ((d0 + d1) + (d2 + d3)) + ((d4 + d5) + d6) of the products due at the next
// block the parts (d2 + d3) and ((d4 + d5) + d6) are known already. That
// work, eight steps, is spread evenly over the samples of the following
// block, so the sample that completes a block carries one product, one
// transform each way and a three-term sum instead of everything; the
// arithmetic and its order are the same.
//
// Threads: prepare() runs on the loading thread (one at a time) and only
// touches the loading side's scratch and the spectra it is given; the other
// operations run on the audio thread. The partition spectra the audio side
// reads are installed with install() from a set the loader has finished.
class PartitionedStage {
public:
    static constexpr int kPartitions = 7; // uniform partitions per stage
    static constexpr int kRingSlots = 32; // product ring size (a power of two)

    // blockLength: b, a power of two. Allocates everything.
    explicit PartitionedStage(int blockLength);
    PartitionedStage(const PartitionedStage&) = delete;
    PartitionedStage& operator=(const PartitionedStage&) = delete;

    int blockLength() const noexcept { return blockLength_; }
    int transformLength() const noexcept { return transformLength_; }
    // Doubles in one prepared set of partition spectra: 7·N.
    int spectraSize() const noexcept { return kPartitions * transformLength_; }

    // Loading side: transforms response[0 .. 7·b-1] into seven packed
    // partition spectra written to `spectra` (spectraSize() doubles).
    void prepare(const double* response, double* spectra) noexcept;

    // Audio side: the partition spectra used from the next block transform on
    // (spectraSize() doubles that stay unchanged while installed). Work still
    // owed with the set installed before is done first, so that set is not
    // read after this returns.
    void install(const double* spectra) noexcept
    {
        finishPending();
        partitionSpectra_ = spectra;
    }

    // Audio side: does at once whatever spread-out work of the last block is
    // still owed (it reads the partition spectra installed at that block,
    // which stay installed until the work is done).
    void finishPending() noexcept
    {
        while (pendingStep_ < kPendingSteps)
            runPendingStep();
    }

    // Audio side: feeds one sample and returns the stage's output sample.
    double process(double x) noexcept
    {
        if (readPos_ >= transformLength_)
            readPos_ = 0;
        if (fillCount_ >= blockLength_)
            transformBlock();
        inputBlock_[std::size_t(fillCount_)] = x;
        ++fillCount_;
        if (pendingStep_ < kPendingSteps && fillCount_ >= (pendingStep_ + 1) * stepSpacing_)
            runPendingStep();
        return outputRing_[std::size_t(readPos_++)];
    }

    // Zeroes every buffer (input block, spectrum, output ring, accumulator,
    // product ring, partial sums, loading scratch), drops owed work and puts
    // the counters back where construction left them, so that the stage then
    // runs exactly as a new one. Only while neither side is running.
    void clear() noexcept;

private:
    // Owed work after a block transform: steps 0..5 multiply the block's
    // spectrum with partitions 1..6, step 6 forms (d2 + d3) and step 7
    // ((d4 + d5) + d6) of the next block.
    static constexpr int kPendingSteps = 8;

    // The work done on the sample at which the input block is full.
    void transformBlock() noexcept;
    // The next owed step.
    void runPendingStep() noexcept;

    int blockLength_;                   // b, samples per input block and per partition
    int transformLength_;               // N = 2·b
    std::vector<double> inputBlock_;    // audio: N, the block being filled (first b) and zeros; also the inverse result
    std::vector<double> spectrum_;      // audio: N, packed transform of the last full block
    std::vector<double> outputRing_;    // audio: N, output samples read one per call
    std::vector<double> accumulator_;   // audio: N, the products due in this block, summed
    std::vector<double> productRing_;   // audio: 32 slots × N, products waiting for their block
    std::vector<double> pairSum_;       // audio: N, (d2 + d3) of the next block's due products
    std::vector<double> tailSum_;       // audio: N, ((d4 + d5) + d6) of the next block's due products
    const double* partitionSpectra_;    // audio: installed set of 7 × N packed partition spectra (also that of owed work)
    std::vector<double> partition_;     // loading: N, one zero-padded partition before its transform
    FFTReal audioTransform_;            // audio: forward and inverse of the per-sample path
    FFTReal prepTransform_;             // loading: partition transforms, so loading never touches audio scratch
    int fillCount_;                     // audio: samples in inputBlock_, 0..b
    int readPos_;                       // audio: read position in outputRing_, 0..N
    int blockIndex_;                    // audio: blocks processed; its low five bits pick the ring slot
    bool blocksSinceClear_ = false;     // audio: a block was transformed since construction or clear()
    int pendingBlock_;                  // audio: ring position (0..31) of the block whose work is owed
    int pendingStep_;                   // audio: next owed step, kPendingSteps when none
    int stepSpacing_;                   // samples between owed steps: b / 8, at least 1
};
