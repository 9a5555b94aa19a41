#include "cabinet/Convolver.h"

#include <algorithm>
#include <cassert>

Convolver::Convolver(int headLength, const ConvolverKernels* kernels)
    : headLength_(headLength)
    , stage1_(headLength, kernels)
    , stage2_(8 * headLength, kernels)
    , headTaps_(nullptr)
    , headHistory_(std::size_t(2 * headLength), 0.0)
    , headIndex_(0)
    , headLine_(std::size_t(headLength - 1 + kPiece), 0.0)
    , kernels_(kernels != nullptr ? kernels : &ConvolverKernels::best())
{
    assert(headLength >= 4 && (headLength & (headLength - 1)) == 0);

    // Size the three slots of the triple buffer: each round sizes the slot
    // being drafted and rotates it to the reader, so three rounds reach all
    // three. The set left current is all zeros (silence).
    for (int round = 0; round < 3; ++round) {
        ResponseSet& set = sets_.draft();
        set.headTaps.assign(std::size_t(headLength), 0.0);
        set.stage1.assign(std::size_t(stage1_.spectraSize()), 0.0);
        set.stage2.assign(std::size_t(stage2_.spectraSize()), 0.0);
        sets_.publish();
        sets_.fetch();
    }
    install(sets_.current());
}

void Convolver::install(const ResponseSet& set) noexcept
{
    headTaps_ = set.headTaps.data();
    stage1_.install(set.stage1.data());
    stage2_.install(set.stage2.data());
}

void Convolver::loadResponse(const double* response) noexcept
{
    const int b = headLength_;
    ResponseSet& set = sets_.draft();
    for (int k = 0; k < b; ++k)
        set.headTaps[std::size_t(k)] = response[b - 1 - k];
    stage1_.prepare(response + b, set.stage1.data());
    stage2_.prepare(response + 8 * b, set.stage2.data());
    sets_.publish();
}

void Convolver::processBlock(double* samples, int n) noexcept
{
    if (n < kMinBlock) {
        for (int i = 0; i < n; ++i)
            samples[i] = processSample(samples[i]);
        return;
    }
    takeUpNewResponse();
    for (int start = 0; start < n; start += kPiece)
        processPiece(samples + start, std::min(kPiece, n - start));
}

void Convolver::processPiece(double* samples, int n) noexcept
{
    const int b = headLength_;
    double* history = headHistory_.data();
    double* line = headLine_.data();
    // The line: the B - 1 inputs before the piece (the newest B - 1 of the
    // history, which runs oldest first from headIndex_), then the piece.
    std::copy_n(history + headIndex_ + 1, b - 1, line);
    double* input = line + (b - 1);
    std::copy_n(samples, n, input);

    // The history takes the piece's last B inputs (or all of them), stored
    // twice as the per-sample path stores them.
    const int skip = n > b ? n - b : 0;
    int index = (headIndex_ + skip) & (b - 1);
    for (int i = skip; i < n; ++i) {
        history[index] = input[i];
        history[index + b] = input[i];
        index = (index + 1) & (b - 1);
    }
    headIndex_ = index;

    // head + stage 1 + stage 2, summed in that order as processSample() does.
    kernels_->headBlock(headTaps_, line, samples, b, n);
    stage1_.addBlock(input, samples, n);
    stage2_.addBlock(input, samples, n);
}

void Convolver::clear() noexcept
{
    // Take up a set that may still be waiting, then publish and install an
    // all-zero one so that nothing of the old response is left active.
    sets_.discard();
    ResponseSet& set = sets_.draft();
    std::fill(set.headTaps.begin(), set.headTaps.end(), 0.0);
    std::fill(set.stage1.begin(), set.stage1.end(), 0.0);
    std::fill(set.stage2.begin(), set.stage2.end(), 0.0);
    sets_.publish();
    sets_.fetch();
    install(sets_.current());

    clearHistory();
}

void Convolver::clearHistory() noexcept
{
    std::fill(headHistory_.begin(), headHistory_.end(), 0.0);
    headIndex_ = 0;
    stage1_.clear();
    stage2_.clear();
}
