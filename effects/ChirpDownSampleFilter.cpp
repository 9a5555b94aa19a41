#include "effects/ChirpDownSampleFilter.h"

void ChirpDownSampleFilter::setSampleRate(float rate)
{
    sampleRate = rate;
    install(springLowpassSet(rate < 68000.0f ? LowpassDesignRate::Hz44100 : LowpassDesignRate::Hz88200));
}
