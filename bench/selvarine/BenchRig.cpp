#include "bench/selvarine/BenchRig.h"

#include "plugin/FileCommandProtocol.h"
#include "tools/DemoGuitar.h"

#include <cstdio>
#include <ctime>

namespace bench {

std::string BenchCase::label() const
{
    char text[64];
    std::snprintf(text, sizeof text, "p%d %.0f hr%d cab%d", program, rate, highRes ? 1 : 0, cabMode);
    return text;
}

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

const std::vector<float>& guitarAt(double rate)
{
    static std::map<double, std::vector<float>> cache;
    auto found = cache.find(rate);
    if (found == cache.end()) {
        const std::vector<double> guitar =
            demo::renderGuitar(demo::demoPerformance(), demo::kDemoSeconds, rate, demo::kDemoPeak);
        found = cache.emplace(rate, std::vector<float>(guitar.begin(), guitar.end())).first;
    }
    return found->second;
}

std::unique_ptr<BenchRig> BenchRig::create(const host::PluginLibrary& library, std::string& error)
{
    std::unique_ptr<BenchRig> rig(new BenchRig());
    rig->instance = host::PluginInstance::create(library, host::HostSettings{}, error);
    if (!rig->instance)
        return nullptr;
    if (rig->instance->numInputs() < 2 || rig->instance->numOutputs() < 2 || !rig->instance->canDouble()) {
        error = "the plug-in does not offer two inputs, two outputs and 64-bit processing";
        return nullptr;
    }
    rig->highResParam = rig->instance->findParameter("High Res.");
    rig->cabTypeParam = rig->instance->findParameter("CAB type");
    rig->mic1PosParam = rig->instance->findParameter("Mic 1 Pos");
    if (rig->highResParam < 0 || rig->cabTypeParam < 0 || rig->mic1PosParam < 0) {
        error = "the plug-in lacks one of the parameters \"High Res.\", \"CAB type\", \"Mic 1 Pos\"";
        return nullptr;
    }
    rig->silence.assign(kMaxBlock, 0.0f);
    rig->silenceDouble.assign(kMaxBlock, 0.0);
    for (int c = 0; c < 2; ++c) {
        rig->outFloat[c].assign(kMaxBlock, 0.0f);
        rig->outDouble[c].assign(kMaxBlock, 0.0);
    }
    return rig;
}

void BenchRig::configure(const BenchCase& benchCase)
{
    host::PluginInstance& plug = *instance;
    plug.setMains(false);
    plug.setSampleRate(benchCase.rate);
    plug.setBlockSize(512);
    plug.setProgram(benchCase.program);
    // Switches are engaged at exactly 0.
    plug.setParameter(highResParam, benchCase.highRes ? 0.0f : 1.0f);
    plug.setParameter(cabTypeParam, float(benchCase.cabMode));
    plug.setMains(true);

    input = &guitarAt(benchCase.rate);
    inputDouble.assign(input->begin(), input->end());
    position = 0;
}

void BenchRig::applySwitches(const BenchCase& benchCase)
{
    instance->setParameter(highResParam, benchCase.highRes ? 0.0f : 1.0f);
    instance->setParameter(cabTypeParam, float(benchCase.cabMode));
    waitForSettings();
}

void BenchRig::waitForSettings()
{
    instance->dispatch(vst::effVendorSpecific, filecmd::kFileCommandTag, filecmd::WaitForSettings, nullptr);
}

std::size_t BenchRig::nextInput(int frames)
{
    if (position + std::size_t(frames) > input->size())
        position = 0;
    const std::size_t start = position;
    position += std::size_t(frames);
    return start;
}

void BenchRig::process(int frames, bool silent)
{
    // The recording is mono: it feeds both inputs (the host may do that).
    // The plug-in only reads its inputs.
    float* in = silent ? silence.data() : const_cast<float*>(input->data()) + nextInput(frames);
    float* inputs[2] = {in, in};
    float* outputs[2] = {outFloat[0].data(), outFloat[1].data()};
    instance->process(inputs, outputs, frames);
}

void BenchRig::processDouble(int frames, bool silent)
{
    double* in = silent ? silenceDouble.data() : inputDouble.data() + nextInput(frames);
    double* inputs[2] = {in, in};
    double* outputs[2] = {outDouble[0].data(), outDouble[1].data()};
    instance->processDouble(inputs, outputs, frames);
}

} // namespace bench
