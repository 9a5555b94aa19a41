// Doxaro: programs, program names, the user response path and state chunks.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "plugin/Doxaro.h"
#include "plugin/StateChunk.h"

void Doxaro::setProgram(vst::VstInt32 program)
{
    if (program < 0 || program >= kNumPrograms)
        return;
    {
        const WriterScope scope(*this);
        // The program left behind keeps the values set while it was current,
        // including those still waiting to be applied.
        copyRequestedValues(currentRecord());
        requestProgram(program);
    }
    worker.wake();
}

void Doxaro::requestProgram(int program)
{
    curProgram = program;
    ProgramRecord& record = bank.programs[program];
    std::uint64_t changed = 0;
    for (int i = 0; i < param::Count; ++i) {
        const float value = record.params[i];
        if (!std::isfinite(value)) {
            // Such a value changes nothing; the program keeps what the engine runs.
            record.params[i] = requested[i].load(std::memory_order_relaxed);
            continue;
        }
        requested[i].store(std::clamp(value, 0.0f, 1.0f), std::memory_order_release);
        changed |= std::uint64_t{1} << i;
    }
    // Every value is applied again, even where it did not change (a channel
    // restarts on every write of its type); the response file is read again
    // even when the path did not change.
    pendingMask.fetch_or(changed, std::memory_order_seq_cst);
    pendingJobs.fetch_or(kReloadResponse, std::memory_order_seq_cst);
    refreshProgramFlags();
    programStateChanged();
}

void Doxaro::programStateChanged()
{
    if (editor != nullptr)
        editor->programStateChanged();
}

void Doxaro::refreshProgramFlags()
{
    const ProgramRecord& record = currentRecord();
    chain.setMeterOn(record.meterFlag == 1);
    chain.setUserResponseOn(namesResponseFile(record.irPath));
}

void Doxaro::reloadUserResponse()
{
    chain.userResponse().loadUserResponse(currentRecord().irPath);
    // The editor shows whether the file could be used.
    programStateChanged();
}

void Doxaro::setProgramName(const char* name)
{
    {
        const WriterScope scope(*this);
        copyString(currentRecord().name, name, ProgramRecord::kMaxNameLength);
        programStateChanged();
    }
    if (editor != nullptr && editor->isOpen())
        updateDisplay();
}

void Doxaro::getProgramName(char* name)
{
    const WriterScope scope(*this);
    copyString(name, currentRecord().name, ProgramRecord::kMaxNameLength);
}

bool Doxaro::getProgramNameIndexed(vst::VstInt32, vst::VstInt32 index, char* text)
{
    if (index < 0 || index >= kNumPrograms)
        return false;
    const WriterScope scope(*this);
    copyString(text, bank.programs[index].name, ProgramRecord::kMaxNameLength);
    return true;
}

bool Doxaro::setResponsePath(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        path = kNoResponsePath;
    if (std::strlen(path) > std::size_t(ProgramRecord::kPathSize - 1))
        return false;
    {
        const WriterScope scope(*this);
        copyString(currentRecord().irPath, path, ProgramRecord::kPathSize - 1);
        refreshProgramFlags();
        pendingJobs.fetch_or(kReloadResponse, std::memory_order_seq_cst);
        programStateChanged();
    }
    // The caller (the editor, a host's file command) reads the outcome next.
    worker.waitForPass();
    return true;
}

void Doxaro::setProgramFlags(std::int16_t panelFlag, std::int16_t meterFlag)
{
    const WriterScope scope(*this);
    currentRecord().panelFlag = panelFlag;
    currentRecord().meterFlag = meterFlag;
    refreshProgramFlags();
    programStateChanged();
}

ProgramRecord Doxaro::programRecord(vst::VstInt32 index) const
{
    const WriterScope scope(*this);
    const int program = index >= 0 && index < kNumPrograms ? index : 0;
    ProgramRecord record = bank.programs[program];
    if (program == curProgram)
        copyRequestedValues(record);
    return record;
}

void Doxaro::copyRequestedValues(ProgramRecord& record) const
{
    for (int i = 0; i < param::Count; ++i)
        record.params[i] = requested[i].load(std::memory_order_acquire);
}

vst::VstInt32 Doxaro::getChunk(void** data, bool isPreset)
{
    if (data == nullptr)
        return 0;
    const WriterScope scope(*this);
    // A copy, so that the host reads a consistent image while writers go on.
    // The current program's values are the newest ones, applied or not.
    if (isPreset) {
        chunkImage.programs[0] = currentRecord();
        copyRequestedValues(chunkImage.programs[0]);
        *data = &chunkImage.programs[0];
        return sizeof(ProgramRecord);
    }
    chunkImage = bank;
    copyRequestedValues(chunkImage.programs[curProgram]);
    *data = &chunkImage;
    return sizeof(BankImage);
}

vst::VstInt32 Doxaro::setChunk(void* data, vst::VstInt32 byteSize, bool isPreset)
{
    {
        const WriterScope scope(*this);
        // The chunk is checked and made safe as it is copied in (StateChunk).
        const bool restored = isPreset ? StateChunk::restoreProgram(data, byteSize, currentRecord())
                                       : StateChunk::restoreBank(data, byteSize, bank);
        if (!restored)
            return 0;
        requestProgram(curProgram);
    }
    worker.wake();
    return 1;
}
