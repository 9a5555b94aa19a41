#pragma once

#include "cabinet/ConvolverKernels.h"
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
// Long runs of input (addBlock() with at least b/4 samples) take the other
// way: the stage keeps the spectra of its last eight blocks, so the seven
// products due in a block can be formed from them when it is due and summed
// in one pass, without the product ring. Each product is the same whether it
// went through the ring or not, with one exception that the stage takes
// care of: a product made through the ring used the partition set installed
// when its input block was transformed. Before a set is replaced, retire()
// therefore writes into the ring the products still due of recent blocks
// that did not go through it, with that set, and marks those blocks as held
// in the ring.
// A block transform forms each due product of a block held in the ring from
// the ring, of any other from the spectra. So the two ways mix freely and
// the output is the same bit for bit.
//
// addBlock() feeds a run of samples at once: between two block transforms
// it copies the input into the block and the output out of the ring in one
// go, and does the owed steps that have come due, so a run gives exactly the
// output of process() on each of its samples.
//
// Threads: prepare() runs on the loading thread (one at a time) and only
// touches the loading side's scratch and the spectra it is given; the other
// operations run on the audio thread. The partition spectra the audio side
// reads are installed with install() from a set the loader has finished.
class PartitionedStage {
public:
    static constexpr int kPartitions = 7; // uniform partitions per stage
    static constexpr int kRingSlots = 32; // product ring size (a power of two)

    // blockLength: b, a power of two. kernels: the copy of the inner loops
    // (null: the widest one the processor runs). Allocates everything.
    explicit PartitionedStage(int blockLength, const ConvolverKernels* kernels = nullptr);
    PartitionedStage(const PartitionedStage&) = delete;
    PartitionedStage& operator=(const PartitionedStage&) = delete;

    int blockLength() const noexcept { return blockLength_; }
    int transformLength() const noexcept { return transformLength_; }
    // Doubles in one prepared set of partition spectra: 7·N.
    int spectraSize() const noexcept { return kPartitions * transformLength_; }

    // Loading side: transforms response[0 .. 7·b-1] into seven partition
    // spectra, grouped for the product loops (see groupSpectrum()), written
    // to `spectra` (spectraSize() doubles).
    void prepare(const double* response, double* spectra) noexcept;

    // Audio side: the partition spectra used from the next block transform on
    // (spectraSize() doubles that stay unchanged while installed). Calls
    // retire() first, so the set installed before is not read after this
    // returns.
    void install(const double* spectra) noexcept;

    // Audio side: does all the work that still needs the installed set:
    // owed steps, and the products still due of recent blocks that would be
    // formed from it when due, which go into the ring. Until the next block
    // transform the set is then no longer read, so it may be handed back to
    // its writer before install() replaces it.
    void retire() noexcept;

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
            transformBlock(true);
        inputBlock_[std::size_t(fillCount_)] = x;
        ++fillCount_;
        if (pendingStep_ < kPendingSteps && fillCount_ >= (pendingStep_ + 1) * stepSpacing_)
            runPendingStep();
        return outputRing_[std::size_t(readPos_++)];
    }

    // Audio side: feeds input[0..n-1] and adds the stage's n output samples
    // to output[0..n-1] (output[i] += stage output i). The two may not overlap.
    void addBlock(const double* input, double* output, int n) noexcept;

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

    // Spectra of past blocks kept (a power of two, more than kPartitions).
    static constexpr int kHistory = 8;

    // The work done on the sample at which the input block is full. spread:
    // the products of this block with partitions 1..6 and the partial sums
    // of the next block go to the owed steps (per-sample path); otherwise
    // they are formed when due.
    void transformBlock(bool spread) noexcept;
    // The next owed step.
    void runPendingStep() noexcept;
    // The spectrum of block `block` (ring position, 0..31).
    double* spectrumOf(int block) noexcept
    {
        return spectra_.data() + std::size_t(block & (kHistory - 1)) * std::size_t(transformLength_);
    }
    // The product of block `block`'s spectrum with partition p: its ring slot
    // when the block is held in the ring, otherwise formed now into `scratch`.
    const double* product(int block, int partition, double* scratch) noexcept;

    int blockLength_;                   // b, samples per input block and per partition
    int transformLength_;               // N = 2·b
    std::vector<double> inputBlock_;    // audio: N, the block being filled (first b), then zeros that stay
    std::vector<double> spectra_;       // audio: 8 × N, grouped transforms of the last eight blocks (by ring position mod 8)
    std::vector<double> scratch_;       // audio: 7 × N, products formed when due, then the inverse result
    std::vector<double> outputRing_;    // audio: N, output samples read one per call
    std::vector<double> accumulator_;   // audio: N, the products due in this block, summed
    std::vector<double> productRing_;   // audio: 32 slots × N, products waiting for their block
    std::vector<double> pairSum_;       // audio: N, (d2 + d3) of the next block's due products
    std::vector<double> tailSum_;       // audio: N, ((d4 + d5) + d6) of the next block's due products
    const double* partitionSpectra_;    // audio: installed set of 7 × N grouped partition spectra (also that of owed work)
    std::vector<double> partition_;     // loading: N, one zero-padded partition before its transform
    std::vector<double> partitionSpectrum_; // loading: N, its packed transform before it is grouped
    FFTReal audioTransform_;            // audio: forward and inverse of the per-sample path
    FFTReal prepTransform_;             // loading: partition transforms, so loading never touches audio scratch
    const ConvolverKernels* kernels_;   // the spectrum product loop in use
    int fillCount_;                     // audio: samples in inputBlock_, 0..b
    int readPos_;                       // audio: read position in outputRing_, 0..N
    int blockIndex_;                    // audio: blocks processed; its low five bits pick the ring slot
    bool blocksSinceClear_ = false;     // audio: a block was transformed since construction or clear()
    int pendingBlock_;                  // audio: ring position (0..31) of the block whose work is owed
    int pendingStep_;                   // audio: next owed step, kPendingSteps when none
    int stepSpacing_;                   // samples between owed steps: b / 8, at least 1
    bool inRing_[kHistory];             // audio: by ring position mod 8, the block's products with partitions 1..6 are in the ring
    bool partialsReady_;                // audio: pairSum_ and tailSum_ hold the partial sums of the next block
};
