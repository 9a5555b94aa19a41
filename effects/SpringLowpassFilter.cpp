#include "effects/SpringLowpassFilter.h"

void SpringLowpassFilter::setSampleRate(float rate)
{
    sampleRate = rate;
    LowpassDesignRate design = LowpassDesignRate::Hz96000;
    if (rate < 46000.0f)
        design = LowpassDesignRate::Hz44100;
    else if (rate < 68000.0f)
        design = LowpassDesignRate::Hz48000;
    else if (rate < 92000.0f)
        design = LowpassDesignRate::Hz88200;
    install(springLowpassSet(design));
}
