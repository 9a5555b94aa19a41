#include "cabinet/PartitionedStage.h"

#include <algorithm>
#include <cassert>

namespace {

// Slot offsets in the product ring: the product with partition p is written
// at offset p·(p+3)/2 from the current block and read p blocks later, when
// the read offset j·(j+1)/2 of the block then current points at it. Each slot
// is read once before it is written again, so the ring never needs clearing.
constexpr int writeOffset(int partition) { return (partition + 1) * (partition + 2) / 2 - 1; }
constexpr int readOffset(int age) { return age * (age + 1) / 2; }

static_assert(writeOffset(0) == 0 && writeOffset(6) == 27);
static_assert(readOffset(6) == 21);

} // namespace

PartitionedStage::PartitionedStage(int blockLength, const ConvolverKernels* kernels)
    : blockLength_(blockLength)
    , transformLength_(2 * blockLength)
    , inputBlock_(std::size_t(2 * blockLength), 0.0)
    , spectra_(std::size_t(kHistory) * std::size_t(2 * blockLength), 0.0)
    , scratch_(std::size_t(kPartitions) * std::size_t(2 * blockLength), 0.0)
    , outputRing_(std::size_t(2 * blockLength), 0.0)
    , accumulator_(std::size_t(2 * blockLength), 0.0)
    , productRing_(std::size_t(kRingSlots) * std::size_t(2 * blockLength), 0.0)
    , pairSum_(std::size_t(2 * blockLength), 0.0)
    , tailSum_(std::size_t(2 * blockLength), 0.0)
    , partitionSpectra_(nullptr)
    , partition_(std::size_t(2 * blockLength), 0.0)
    , partitionSpectrum_(std::size_t(2 * blockLength), 0.0)
    , audioTransform_(2 * blockLength)
    , prepTransform_(2 * blockLength)
    , kernels_(kernels != nullptr ? kernels : &ConvolverKernels::best())
    , fillCount_(0)
    , readPos_(0)
    , blockIndex_(0)
    , pendingBlock_(0)
    , pendingStep_(kPendingSteps)
    , stepSpacing_(std::max(1, blockLength / kPendingSteps))
    , inRing_{}
    , partialsReady_(true)
{
    assert(blockLength >= 1 && (blockLength & (blockLength - 1)) == 0);
    // The zeroed ring and partial sums are the products and sums of the
    // zeroed spectra.
    std::fill(std::begin(inRing_), std::end(inRing_), true);
}

void PartitionedStage::install(const double* spectra) noexcept
{
    retire();
    partitionSpectra_ = spectra;
}

void PartitionedStage::retire() noexcept
{
    finishPending();
    if (partitionSpectra_ != nullptr) {
        // Products still due of the last six blocks are to be made with the
        // set installed when those blocks were transformed: the blocks that
        // left them to be formed when due get them into the ring now, from
        // the set that is still installed.
        const int n = transformLength_;
        constexpr int mask = kRingSlots - 1;
        const int next = blockIndex_ & mask; // the next block to be transformed
        for (int age = 1; age < kPartitions; ++age) {
            const int block = (next - age) & mask;
            if (inRing_[block & (kHistory - 1)])
                continue;
            for (int p = age; p < kPartitions; ++p) {
                const int slot = (block + writeOffset(p)) & mask;
                kernels_->multiplySpectra(spectrumOf(block), partitionSpectra_ + std::size_t(p) * std::size_t(n),
                                          productRing_.data() + std::size_t(slot) * std::size_t(n), n);
            }
            inRing_[block & (kHistory - 1)] = true;
        }
    }
}

const double* PartitionedStage::product(int block, int partition, double* scratch) noexcept
{
    const int n = transformLength_;
    constexpr int mask = kRingSlots - 1;
    if (inRing_[block & (kHistory - 1)])
        return productRing_.data() + std::size_t((block + writeOffset(partition)) & mask) * std::size_t(n);
    kernels_->multiplySpectra(spectrumOf(block), partitionSpectra_ + std::size_t(partition) * std::size_t(n), scratch, n);
    return scratch;
}

void PartitionedStage::prepare(const double* response, double* spectra) noexcept
{
    const std::size_t b = std::size_t(blockLength_);
    const std::size_t n = std::size_t(transformLength_);
    for (int p = 0; p < kPartitions; ++p) {
        // b response samples followed by b zeros, so that the block product
        // is a linear convolution without wrap-around.
        std::copy_n(response + std::size_t(p) * b, b, partition_.begin());
        std::fill(partition_.begin() + std::ptrdiff_t(b), partition_.end(), 0.0);
        prepTransform_.forward(partition_.data(), partitionSpectrum_.data());
        groupSpectrum(partitionSpectrum_.data(), spectra + std::size_t(p) * n, int(n));
    }
}

void PartitionedStage::addBlock(const double* input, double* output, int n) noexcept
{
    const int b = blockLength_;
    // Runs of a quarter block or more form the products when due; shorter
    // ones keep the per-sample path's spread of the work.
    const bool spread = n < b / 4;
    int i = 0;
    while (i < n) {
        if (readPos_ >= transformLength_)
            readPos_ = 0;
        if (fillCount_ >= b)
            transformBlock(spread);
        // readPos_ runs in step with fillCount_ (equal modulo b), so the run
        // up to the next block transform never passes the end of the ring.
        const int run = std::min(n - i, b - fillCount_);
        std::copy_n(input + i, run, inputBlock_.data() + fillCount_);
        fillCount_ += run;
        // The owed steps that process() would have done on these samples;
        // none of them reads the input block or the output ring.
        while (pendingStep_ < kPendingSteps && fillCount_ >= (pendingStep_ + 1) * stepSpacing_)
            runPendingStep();
        const double* ring = outputRing_.data() + readPos_;
        double* __restrict__ out = output + i;
        for (int j = 0; j < run; ++j)
            out[j] += ring[j];
        readPos_ += run;
        i += run;
    }
}

void PartitionedStage::transformBlock(bool spread) noexcept
{
    blocksSinceClear_ = true;
    // With blocks shorter than the number of steps some may still be owed.
    finishPending();

    const int n = transformLength_;
    const int b = blockLength_;
    constexpr int mask = kRingSlots - 1;
    blockIndex_ &= mask;
    const int block = blockIndex_;

    // The accumulator is free until the products are summed into it.
    double* __restrict__ acc = accumulator_.data();
    double* const spectrum = spectrumOf(block);
    audioTransform_.forward(inputBlock_.data(), acc);
    groupSpectrum(acc, spectrum, n);
    inRing_[block & (kHistory - 1)] = false;

    double* scratch = scratch_.data();
    auto scratchOf = [&](int age) { return scratch + std::size_t(age) * std::size_t(n); };
    if (partialsReady_) {
        // Per-sample path: partition 0's product of this block, the previous
        // block's with partition 1 and the sums of the last five products
        // formed while the previous block filled.
        double* const due0 = scratchOf(0);
        kernels_->multiplySpectra(spectrum, partitionSpectra_, due0, n);
        const double* due1 = product((block - 1) & mask, 1, scratchOf(1));
        const double* pair = pairSum_.data();
        const double* tail = tailSum_.data();
        for (int i = 0; i < n; ++i)
            acc[i] = ((due0[i] + due1[i]) + pair[i]) + tail[i];
    } else {
        bool anyInRing = false;
        const double* due[kPartitions];
        for (int age = 0; age < kPartitions; ++age) {
            const int from = (block - age) & mask;
            anyInRing = anyInRing || inRing_[from & (kHistory - 1)];
            due[age] = spectrumOf(from);
        }
        if (!anyInRing) {
            kernels_->sumProducts(due, partitionSpectra_, acc, n);
        } else {
            for (int age = 0; age < kPartitions; ++age)
                due[age] = product((block - age) & mask, age, scratchOf(age));
            for (int i = 0; i < n; ++i)
                acc[i] = ((due[0][i] + due[1][i]) + (due[2][i] + due[3][i])) + ((due[4][i] + due[5][i]) + due[6][i]);
        }
    }

    // The inverse goes to the scratch, whose products are used up by now, so
    // the input block keeps its zero second half and needs no clearing: the
    // next block overwrites the first.
    double* result = scratch;
    audioTransform_.inverse(acc, result);

    // Overlap-add the new block result (scaled by 1/N) from readPos_, which
    // is 0 or b here, into the half of the output ring that was not read
    // since the last block, and write it over the half that was: 0 + value,
    // exactly what clearing that half and adding to it gave (a negative zero
    // comes out positive, as it did).
    double* __restrict__ out = outputRing_.data();
    const double scale = 1.0 / double(n);
    const int keep = readPos_ == 0 ? 0 : b;  // the half still to be read
    const int freed = b - keep;              // the half read since the last block
    for (int j = 0; j < b; ++j)
        out[keep + j] += result[j] * scale;
    for (int j = 0; j < b; ++j)
        out[freed + j] = 0.0 + result[b + j] * scale;

    if (spread) {
        // The rest of this block's work is owed, with the set installed now
        // (install() finishes it before a new set replaces this one).
        inRing_[block & (kHistory - 1)] = true;
        pendingBlock_ = block;
        pendingStep_ = 0;
    }
    partialsReady_ = spread;
    ++blockIndex_;
    fillCount_ = 0;
}

void PartitionedStage::runPendingStep() noexcept
{
    const int n = transformLength_;
    constexpr int mask = kRingSlots - 1;
    double* ring = productRing_.data();
    const int step = pendingStep_++;
    if (step < kPartitions - 1) {
        // This block's spectrum with partition p, into the slot read p blocks later.
        const int p = step + 1;
        const int slot = (pendingBlock_ + writeOffset(p)) & mask;
        kernels_->multiplySpectra(spectrumOf(pendingBlock_), partitionSpectra_ + std::size_t(p) * std::size_t(n),
                                  ring + std::size_t(slot) * std::size_t(n), n);
        return;
    }
    // Partial sums of the next block's due products of ages 2..6; those
    // products all come from blocks before this one.
    const int next = pendingBlock_ + 1;
    double* scratch = scratch_.data();
    auto due = [&](int age) {
        return product((next - age) & mask, age, scratch + std::size_t(age) * std::size_t(n));
    };
    if (step == kPartitions - 1) {
        const double* d2 = due(2);
        const double* d3 = due(3);
        double* __restrict__ pair = pairSum_.data();
        for (int i = 0; i < n; ++i)
            pair[i] = d2[i] + d3[i];
    } else {
        const double* d4 = due(4);
        const double* d5 = due(5);
        const double* d6 = due(6);
        double* __restrict__ tail = tailSum_.data();
        for (int i = 0; i < n; ++i)
            tail[i] = (d4[i] + d5[i]) + d6[i];
    }
}

void PartitionedStage::clear() noexcept
{
    // Only samples written since the last clear make the audio buffers
    // non-zero: a stage that has not run (the other rate's, an unused
    // response's) skips the work, which is most of a restart's time.
    if (blocksSinceClear_ || fillCount_ != 0) {
        std::fill(inputBlock_.begin(), inputBlock_.end(), 0.0);
        std::fill(spectra_.begin(), spectra_.end(), 0.0);
        std::fill(scratch_.begin(), scratch_.end(), 0.0);
        std::fill(outputRing_.begin(), outputRing_.end(), 0.0);
        std::fill(accumulator_.begin(), accumulator_.end(), 0.0);
        std::fill(productRing_.begin(), productRing_.end(), 0.0);
        std::fill(pairSum_.begin(), pairSum_.end(), 0.0);
        std::fill(tailSum_.begin(), tailSum_.end(), 0.0);
        blocksSinceClear_ = false;
    }
    std::fill(partition_.begin(), partition_.end(), 0.0);
    std::fill(partitionSpectrum_.begin(), partitionSpectrum_.end(), 0.0);
    fillCount_ = 0;
    readPos_ = 0;
    blockIndex_ = 0;
    pendingBlock_ = 0;
    pendingStep_ = kPendingSteps;
    // As after construction: the zeroed ring and sums match the zeroed spectra.
    std::fill(std::begin(inRing_), std::end(inRing_), true);
    partialsReady_ = true;
}
