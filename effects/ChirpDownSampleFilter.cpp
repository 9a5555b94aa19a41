#include "effects/ChirpDownSampleFilter.h"

#include "dsp/RateBand.h"

void ChirpDownSampleFilter::setSampleRate(float rate)
{
    sampleRate = rate;
    install(springLowpassSet(RateBand::below(rate, RateBand::kLimit48k) ? LowpassDesignRate::Hz44100 : LowpassDesignRate::Hz88200));
}
