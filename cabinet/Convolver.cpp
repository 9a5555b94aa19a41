#include "cabinet/Convolver.h"

#include <algorithm>
#include <cassert>

Convolver::Convolver(int headLength)
    : headLength_(headLength)
    , stage1_(headLength)
    , stage2_(8 * headLength)
    , headTaps_(nullptr)
    , headHistory_(std::size_t(2 * headLength), 0.0)
    , headIndex_(0)
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
