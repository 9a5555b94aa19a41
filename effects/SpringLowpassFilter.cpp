#include "effects/SpringLowpassFilter.h"

#include "dsp/RateBand.h"

void SpringLowpassFilter::setSampleRate(float rate)
{
    sampleRate = rate;
    LowpassDesignRate design = LowpassDesignRate::Hz96000;
    if (RateBand::below(rate, RateBand::kLimit44k1))
        design = LowpassDesignRate::Hz44100;
    else if (RateBand::below(rate, RateBand::kLimit48k))
        design = LowpassDesignRate::Hz48000;
    else if (RateBand::below(rate, RateBand::kLimit88k2))
        design = LowpassDesignRate::Hz88200;
    install(springLowpassSet(design));
}
