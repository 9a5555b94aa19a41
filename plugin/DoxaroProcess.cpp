// Doxaro: the host's process calls. Audio thread only: the host is asked for
// the time, and the block goes to the signal chain with the host's tempo.
// Nothing here allocates, locks or waits.

#include <cmath>

#include "plugin/Doxaro.h"

void Doxaro::processReplacing(float** inputs, float** outputs, vst::VstInt32 sampleFrames)
{
    pollTempo();
    chain.process(inputs, outputs, sampleFrames, lastTempo);
}

void Doxaro::processDoubleReplacing(double** inputs, double** outputs, vst::VstInt32 sampleFrames)
{
    pollTempo();
    chain.process(inputs, outputs, sampleFrames, lastTempo);
}

void Doxaro::pollTempo()
{
    lastTimeInfo = getTimeInfo(vst::kVstPpqPosValid | vst::kVstTempoValid);
    if (lastTimeInfo == nullptr)
        return;
    // A host without a running tempo may report 0 or garbage: keep the last good one.
    const double tempo = lastTimeInfo->tempo;
    if (std::isfinite(tempo) && tempo > 0.0)
        lastTempo = tempo;
}
