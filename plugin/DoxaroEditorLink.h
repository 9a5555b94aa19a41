#pragma once

#include <string>

#include "editor/EditorPlugin.h"
#include "plugin/UserMessages.h"

class Doxaro;

// The plug-in as its editor sees it: parameters with host notices, programs
// and their editor flags, the meters, and the file operations with the
// messages they produce. User-interface thread, except the lock-free reads.
class DoxaroEditorLink final : public editor::EditorPlugin, private UserMessages {
public:
    explicit DoxaroEditorLink(Doxaro& plugin) : plugin_(plugin) {}

    float parameter(int index) const override;
    void setParameterAutomated(int index, float value) override;
    void beginEdit(int index) override;
    void endEdit(int index) override;

    int currentProgram() const override;
    void selectProgram(int program) override;
    std::string programName(int program) const override;
    bool panelFlag() const override;
    bool meterFlag() const override;
    void setPanelFlag(bool shown) override;
    void setMeterFlag(bool on) override;

    float inputLevel() const override;
    float clipLevel() const override;

    std::string savePreset(const std::string& path) override;
    std::string loadPreset(const std::string& path) override;
    std::string saveBank(const std::string& path) override;
    std::string loadBank(const std::string& path) override;
    std::string responsePath() const override;
    bool setResponsePath(const std::string& path) override;
    bool responseLoaded() const override;
    std::string dataFolder() const override;

private:
    void show(const char* text) override { message_ = text; }
    template <class Operation>
    std::string fileOperation(const std::string& path, bool writing, Operation operation);

    Doxaro& plugin_;
    std::string message_; // what the last file operation reported
};
