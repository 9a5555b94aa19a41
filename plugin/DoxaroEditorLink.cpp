#include "plugin/DoxaroEditorLink.h"

#include "plugin/Doxaro.h"
#include "plugin/PresetFiles.h"

float DoxaroEditorLink::parameter(int index) const { return plugin_.getParameter(index); }

void DoxaroEditorLink::setParameterAutomated(int index, float value)
{
    plugin_.setParameterAutomated(index, value);
    // The editor's thread may wake the worker: a cabinet or amplifier change
    // made by hand is heard without waiting for the worker's next poll.
    plugin_.wakeSettingsWorker();
}

void DoxaroEditorLink::beginEdit(int index) { plugin_.beginEdit(index); }
void DoxaroEditorLink::endEdit(int index) { plugin_.endEdit(index); }

int DoxaroEditorLink::currentProgram() const { return plugin_.getProgram(); }
void DoxaroEditorLink::selectProgram(int program)
{
    plugin_.setProgram(program);
    // The editor shows the new program's response state next: the worker's
    // load must be done by then (as it was when the program came inline).
    plugin_.waitForSettings();
    // The host's own views follow: hosts that keep their own copy of the
    // values (Ardour) take them from automation notices only.
    plugin_.updateDisplay();
    for (int i = 0; i < Doxaro::kNumParams; ++i)
        plugin_.reportParameter(i, plugin_.getParameter(i));
}

std::string DoxaroEditorLink::programName(int program) const
{
    char name[vst::kVstMaxProgNameLen + 1] = {};
    plugin_.getProgramNameIndexed(0, program, name);
    return name;
}

bool DoxaroEditorLink::panelFlag() const { return plugin_.programRecord(plugin_.getProgram()).panelFlag == 1; }
bool DoxaroEditorLink::meterFlag() const { return plugin_.programRecord(plugin_.getProgram()).meterFlag == 1; }

void DoxaroEditorLink::setPanelFlag(bool shown)
{
    plugin_.setProgramFlags(shown ? 1 : 0, meterFlag() ? 1 : 0);
}

void DoxaroEditorLink::setMeterFlag(bool on)
{
    plugin_.setProgramFlags(panelFlag() ? 1 : 0, on ? 1 : 0);
}

float DoxaroEditorLink::inputLevel() const { return plugin_.getInputPeak(); }
float DoxaroEditorLink::clipLevel() const { return plugin_.getClipLed(); }

template <class Operation>
std::string DoxaroEditorLink::fileOperation(const std::string& path, bool writing, Operation operation)
{
    message_.clear();
    PresetFiles files(plugin_, *this);
    switch (operation(files, path.c_str())) {
    case PresetFiles::Result::Done:
        return {};
    case PresetFiles::Result::Rejected:
        return message_;
    case PresetFiles::Result::NotOpened:
        break;
    }
    // A file that cannot be opened must not pass as saved or loaded.
    return writing ? "The file at \"" + path + "\" could not be written!"
                   : "The file at \"" + path + "\" could not be read!";
}

std::string DoxaroEditorLink::savePreset(const std::string& path)
{
    return fileOperation(path, true, [](PresetFiles& f, const char* p) { return f.savePreset(p); });
}

std::string DoxaroEditorLink::loadPreset(const std::string& path)
{
    return fileOperation(path, false, [](PresetFiles& f, const char* p) { return f.loadPreset(p); });
}

std::string DoxaroEditorLink::saveBank(const std::string& path)
{
    return fileOperation(path, true, [](PresetFiles& f, const char* p) { return f.saveBank(p); });
}

std::string DoxaroEditorLink::loadBank(const std::string& path)
{
    return fileOperation(path, false, [](PresetFiles& f, const char* p) { return f.loadBank(p); });
}

std::string DoxaroEditorLink::responsePath() const
{
    const ProgramRecord record = plugin_.programRecord(plugin_.getProgram());
    return std::string(record.irPath, strnlen(record.irPath, sizeof(record.irPath)));
}

bool DoxaroEditorLink::setResponsePath(const std::string& path) { return plugin_.setResponsePath(path.c_str()); }

bool DoxaroEditorLink::responseLoaded() const { return plugin_.userResponseEngine().hasResponse(); }

std::string DoxaroEditorLink::dataFolder() const { return plugin_.getDataFolder(); }
