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

// P = X·H, bin by bin, on packed half spectra of length n.
void multiplySpectra(const double* __restrict__ x, const double* __restrict__ h, double* __restrict__ p, int n) noexcept
{
    const int m = n / 2;
    for (int k = 0; k < m; ++k) {
        const double xr = x[k], xi = x[m + k];
        const double hr = h[k], hi = h[m + k];
        p[k] = xr * hr - xi * hi;
        p[m + k] = xr * hi + xi * hr;
    }
    // Bins 0 and N/2 are real and share slot pairs 0 and N/2.
    p[0] = x[0] * h[0];
    p[m] = x[m] * h[m];
}

} // namespace

PartitionedStage::PartitionedStage(int blockLength)
    : blockLength_(blockLength)
    , transformLength_(2 * blockLength)
    , inputBlock_(std::size_t(2 * blockLength), 0.0)
    , spectrum_(std::size_t(2 * blockLength), 0.0)
    , outputRing_(std::size_t(2 * blockLength), 0.0)
    , accumulator_(std::size_t(2 * blockLength), 0.0)
    , productRing_(std::size_t(kRingSlots) * std::size_t(2 * blockLength), 0.0)
    , pairSum_(std::size_t(2 * blockLength), 0.0)
    , tailSum_(std::size_t(2 * blockLength), 0.0)
    , partitionSpectra_(nullptr)
    , partition_(std::size_t(2 * blockLength), 0.0)
    , audioTransform_(2 * blockLength)
    , prepTransform_(2 * blockLength)
    , fillCount_(0)
    , readPos_(0)
    , blockIndex_(0)
    , pendingBlock_(0)
    , pendingStep_(kPendingSteps)
    , stepSpacing_(std::max(1, blockLength / kPendingSteps))
{
    assert(blockLength >= 1 && (blockLength & (blockLength - 1)) == 0);
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
        prepTransform_.forward(partition_.data(), spectra + std::size_t(p) * n);
    }
}

void PartitionedStage::transformBlock() noexcept
{
    blocksSinceClear_ = true;
    // With blocks shorter than the number of steps some may still be owed.
    finishPending();

    const int n = transformLength_;
    const int b = blockLength_;
    constexpr int mask = kRingSlots - 1;
    blockIndex_ &= mask;

    audioTransform_.forward(inputBlock_.data(), spectrum_.data());

    // Partition 0's product is due now; it lands in the slot read at age 0.
    double* ring = productRing_.data();
    static_assert(writeOffset(0) == readOffset(0));
    double* const due0 = ring + std::size_t(blockIndex_) * std::size_t(n);
    multiplySpectra(spectrum_.data(), partitionSpectra_, due0, n);

    // The seven products due now: this block's with partition 0, the
    // previous block's with partition 1, and so on; the sums of the last
    // five were formed while the previous block filled.
    const double* due1 = ring + std::size_t((blockIndex_ + readOffset(1)) & mask) * std::size_t(n);
    const double* pair = pairSum_.data();
    const double* tail = tailSum_.data();
    double* __restrict__ acc = accumulator_.data();
    for (int i = 0; i < n; ++i)
        acc[i] = ((due0[i] + due1[i]) + pair[i]) + tail[i];

    double* result = inputBlock_.data();
    audioTransform_.inverse(accumulator_.data(), result);

    // Free the half of the output ring that was read since the last block,
    // then overlap-add the new block result (scaled by 1/N) from readPos_,
    // which is 0 or b here.
    double* out = outputRing_.data();
    const double scale = 1.0 / double(n);
    if (readPos_ == 0) {
        std::fill(out + b, out + n, 0.0);
        for (int j = 0; j < n; ++j)
            out[j] += result[j] * scale;
    } else {
        std::fill(out, out + b, 0.0);
        for (int j = 0; j < b; ++j)
            out[b + j] += result[j] * scale;
        for (int j = b; j < n; ++j)
            out[j - b] += result[j] * scale;
    }

    std::fill(inputBlock_.begin(), inputBlock_.end(), 0.0);
    // The rest of this block's work is owed, with the set installed now
    // (install() finishes it before a new set replaces this one).
    pendingBlock_ = blockIndex_;
    pendingStep_ = 0;
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
        multiplySpectra(spectrum_.data(), partitionSpectra_ + std::size_t(p) * std::size_t(n),
                        ring + std::size_t(slot) * std::size_t(n), n);
        return;
    }
    // Partial sums of the next block's due products of ages 2..6; those
    // products all come from blocks before this one.
    const int next = pendingBlock_ + 1;
    auto due = [&](int age) {
        return static_cast<const double*>(ring + std::size_t((next + readOffset(age)) & mask) * std::size_t(n));
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
        std::fill(spectrum_.begin(), spectrum_.end(), 0.0);
        std::fill(outputRing_.begin(), outputRing_.end(), 0.0);
        std::fill(accumulator_.begin(), accumulator_.end(), 0.0);
        std::fill(productRing_.begin(), productRing_.end(), 0.0);
        std::fill(pairSum_.begin(), pairSum_.end(), 0.0);
        std::fill(tailSum_.begin(), tailSum_.end(), 0.0);
        blocksSinceClear_ = false;
    }
    std::fill(partition_.begin(), partition_.end(), 0.0);
    fillCount_ = 0;
    readPos_ = 0;
    blockIndex_ = 0;
    pendingBlock_ = 0;
    pendingStep_ = kPendingSteps;
}
