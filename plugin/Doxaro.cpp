// Doxaro: construction, identity, sample-rate handling, resume and suspend.

#include "plugin/Doxaro.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "editor/DesktopServices.h"
#include "editor/doxaroGUI.h"
#include "plugin/FactoryPrograms.h"
#include "vst/ModulePath.h"
#include "vst/PluginEntry.h"

namespace vst {

AudioEffect* createEffectInstance(HostCallback audioMaster)
{
    return new Doxaro(audioMaster);
}

} // namespace vst

Doxaro::Doxaro(vst::HostCallback audioMaster) : AudioEffectX(audioMaster, kNumPrograms, kNumParams)
{
    // The descriptor the host sees.
    setUniqueID(kUniqueId);
    setNumInputs(2);
    setNumOutputs(2);
    setVersion(kVersion);
    canProcessReplacing(true);
    canDoubleReplacing(true);
    programsAreChunks(true);
    setInitialDelay(0);

    fillFactoryBank();

    // Program 0 goes into the engine in index order, through the same rules as
    // a host change. Order matters: "High Res." (index 7) installs the
    // amplifier networks while the amplifier knobs (11..16) still hold their
    // initial positions. The cabinet engine has no rate yet, so nothing is
    // rebuilt here: resume() builds the responses once, at the rate that is
    // really used.
    const ProgramRecord& first = bank.programs[0];
    for (int i = 0; i < param::Count; ++i) {
        requested[i].store(first.params[i], std::memory_order_relaxed);
        applyParameter(i, first.params[i]);
    }

    resumeLocked();
    requestProgram(0);
    applyPending();

    // The editor exists as long as the plug-in; its window only between
    // effEditOpen and effEditClose.
    setEditor(std::make_unique<editor::doxaroGUI>(editorLink, editor::makeDesktopServices()));

    buildDataFolder();

    worker.start([this] { return runSettingsPass(); });
}

Doxaro::~Doxaro()
{
    // The worker's passes reach the engine and the editor: it stops first.
    worker.stop();
    // The editor talks to the plug-in through editorLink: it goes next.
    setEditor(nullptr);
}

void Doxaro::fillFactoryBank()
{
    std::copy(std::begin(kBankMagic), std::end(kBankMagic), bank.magic);
    bank.version = kFormatVersion;
    for (int p = 0; p < kNumPrograms; ++p) {
        ProgramRecord& record = bank.programs[p];
        const FactoryProgram& factory = kFactoryPrograms[p];
        std::copy(std::begin(kProgramMagic), std::end(kProgramMagic), record.magic);
        record.version = kFormatVersion;
        record.panelFlag = 1;
        record.meterFlag = 1;
        copyString(record.irPath, kNoResponsePath, ProgramRecord::kPathSize - 1);
        copyString(record.name, factory.name, ProgramRecord::kMaxNameLength);
        for (int i = 0; i < param::Count; ++i)
            record.params[i] = static_cast<float>(factory.values[i]);
    }
}

void Doxaro::buildDataFolder()
{
    // The folder of the library file itself, with its trailing separator; an
    // unknown location leaves a path relative to the host's working folder.
    std::string folder = vst::moduleFileName();
    const std::size_t separator = folder.find_last_of("/\\");
    folder.erase(separator == std::string::npos ? 0 : separator + 1);
    dataFolder = folder + kDataFolderName + vst::kPathSeparator;
}

// ---- Identity ----

bool Doxaro::getEffectName(char* name)
{
    copyString(name, kEffectName, vst::kVstMaxEffectNameLen);
    return true;
}

bool Doxaro::getVendorString(char* text)
{
    copyString(text, kVendorString, vst::kVstMaxVendorStrLen);
    return true;
}

bool Doxaro::getProductString(char* text)
{
    copyString(text, kProductString, vst::kVstMaxProductStrLen);
    return true;
}

vst::VstIntPtr Doxaro::vendorSpecific(vst::VstInt32 index, vst::VstIntPtr value, void* ptr, float)
{
    if (index != filecmd::kFileCommandTag)
        return 0;
    return fileCommands.run(std::int64_t(value), ptr);
}

// ---- Processing state ----

void Doxaro::setSampleRate(float rate)
{
    // A rate that is not a positive number would poison every coefficient.
    if (!std::isfinite(rate) || rate <= 0.0f)
        return;
    const WriterScope scope(*this);
    AudioEffectX::setSampleRate(rate);
}

void Doxaro::setBlockSize(vst::VstInt32 size)
{
    // Nothing depends on it: blocks of any length are processed sample by sample.
    const WriterScope scope(*this);
    AudioEffectX::setBlockSize(size);
}

void Doxaro::resume()
{
    const WriterScope scope(*this);
    resumeLocked();
}

void Doxaro::suspend()
{
    const WriterScope scope(*this);
    // A suspended instance is already prepared for the next start, from
    // silence (resumeLocked() clears every block).
    resumeLocked();
}

void Doxaro::resumeLocked()
{
    // Everything set before the start is in place when audio runs, so that
    // a render whose settings precede processing is the same every time.
    // The response is read below, at the rate that is used.
    pendingJobs.fetch_and(~unsigned(kReloadResponse), std::memory_order_seq_cst);
    applyPending();
    // Processing starts again from silence: nothing a host played before
    // suspending (or before a rate change) is heard after the restart.
    chain.clear();
    lastTimeInfo = getTimeInfo(vst::kVstPpqPosValid | vst::kVstTempoValid);
    if (lastTimeInfo != nullptr && std::isfinite(lastTimeInfo->tempo) && lastTimeInfo->tempo > 0.0)
        lastTempo = lastTimeInfo->tempo;
    chain.prepare(sampleRate, lastTempo);
    reloadUserResponse();
    chain.setCleanStereo(values[param::GateOnOff] != 0.0f && values[param::AmpOnOff] != 0.0f);
}
