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
    const WriterScope scope(*this);
    applyProgram(program);
}

void Doxaro::applyProgram(int program)
{
    curProgram = program;
    ProgramRecord& record = bank.programs[program];
    // The cabinet responses are rebuilt once for the whole program, not once
    // for every cabinet setting that differs.
    chain.cabinet().deferRebuilds();
    for (int i = 0; i < param::Count; ++i) {
        const float value = record.params[i];
        if (!std::isfinite(value)) {
            // Such a value changes nothing; the program keeps what the engine runs.
            record.params[i] = values[i];
            continue;
        }
        applyParameter(i, std::clamp(value, 0.0f, 1.0f));
    }
    chain.cabinet().finishDeferred();
    refreshProgramFlags();
    // The response file is read again even when the path did not change.
    reloadUserResponse();
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
}

void Doxaro::setProgramName(const char* name)
{
    {
        const WriterScope scope(*this);
        copyString(currentRecord().name, name, ProgramRecord::kMaxNameLength);
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
    const WriterScope scope(*this);
    copyString(currentRecord().irPath, path, ProgramRecord::kPathSize - 1);
    refreshProgramFlags();
    reloadUserResponse();
    return true;
}

void Doxaro::setProgramFlags(std::int16_t panelFlag, std::int16_t meterFlag)
{
    const WriterScope scope(*this);
    currentRecord().panelFlag = panelFlag;
    currentRecord().meterFlag = meterFlag;
    refreshProgramFlags();
}

ProgramRecord Doxaro::programRecord(vst::VstInt32 index) const
{
    const WriterScope scope(*this);
    return bank.programs[index >= 0 && index < kNumPrograms ? index : 0];
}

vst::VstInt32 Doxaro::getChunk(void** data, bool isPreset)
{
    if (data == nullptr)
        return 0;
    const WriterScope scope(*this);
    // A copy, so that the host reads a consistent image while writers go on.
    if (isPreset) {
        chunkImage.programs[0] = currentRecord();
        *data = &chunkImage.programs[0];
        return sizeof(ProgramRecord);
    }
    chunkImage = bank;
    *data = &chunkImage;
    return sizeof(BankImage);
}

vst::VstInt32 Doxaro::setChunk(void* data, vst::VstInt32 byteSize, bool isPreset)
{
    const WriterScope scope(*this);
    // The chunk is checked and made safe as it is copied in (StateChunk).
    const bool restored = isPreset ? StateChunk::restoreProgram(data, byteSize, currentRecord())
                                   : StateChunk::restoreBank(data, byteSize, bank);
    if (!restored)
        return 0;
    applyProgram(curProgram);
    return 1;
}
