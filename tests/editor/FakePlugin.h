#pragma once

#include <array>
#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "editor/EditorPlugin.h"
#include "editor/PlatformServices.h"
#include "editor/doxaroGUI.h"
#include "gui/Control.h"
#include "plugin/Parameters.h"

namespace editor::test {

// A plug-in that records what the editor asks of it and tells the editor of
// every parameter change, as the real one does.
class FakePlugin : public EditorPlugin {
public:
    struct Call {
        std::string what; // "set", "begin", "end"
        int index;
        float value;
        bool operator==(const Call&) const = default;
    };

    FakePlugin();

    float parameter(int index) const override { return values[std::size_t(index)].load(); }
    void setParameterAutomated(int index, float value) override;
    void beginEdit(int index) override { calls.push_back({"begin", index, 0.0f}); }
    void endEdit(int index) override { calls.push_back({"end", index, 0.0f}); }
    // A change from the host side: stored, then the editor is told.
    void hostSets(int index, float value);

    int currentProgram() const override { return program; }
    void selectProgram(int p) override;
    std::string programName(int p) const override { return "Program " + std::to_string(p + 1); }
    bool panelFlag() const override { return panel; }
    bool meterFlag() const override { return meter; }
    void setPanelFlag(bool shown) override { panel = shown; }
    void setMeterFlag(bool on) override { meter = on; }
    float inputLevel() const override { return level; }
    float clipLevel() const override { return clip; }

    std::string savePreset(const std::string& path) override { return fileOp("savePreset", path); }
    std::string loadPreset(const std::string& path) override { return fileOp("loadPreset", path); }
    std::string saveBank(const std::string& path) override { return fileOp("saveBank", path); }
    std::string loadBank(const std::string& path) override { return fileOp("loadBank", path); }
    std::string responsePath() const override { return response; }
    bool setResponsePath(const std::string& path) override;
    bool responseLoaded() const override { return responseOk; }
    std::string dataFolder() const override { return folder; }

    std::string fileOp(const std::string& what, const std::string& path);
    // The value last sent for a parameter through setParameterAutomated.
    std::optional<float> lastSent(int index) const;

    doxaroGUI* editor = nullptr;
    std::array<std::atomic<float>, 44> values;
    std::vector<Call> calls;
    std::vector<std::string> fileOps;
    std::string fileAnswer;     // message the next file operations answer
    int program = 0;
    bool panel = true;
    bool meter = true;
    float level = 0.0f;
    float clip = 0.0f;
    std::string response = "empty";
    bool responseOk = true;
    bool responseLoadFails = false; // the next responses set fail to load
    std::string folder = "/nonexistent/OrvandelSelvarine Files/";
};

// Dialogs answered from a script; messages and shell requests recorded.
class FakeServices : public PlatformServices {
public:
    void chooseFile(const FileDialog& dialog, void*, FileChosen done) override
    {
        dialogs.push_back(dialog);
        done(answer);
    }
    void showMessage(const std::string& text, void*) override { messages.push_back(text); }
    void openDocument(const std::string& path) override { documents.push_back(path); }
    void openUrl(const std::string& url) override { urls.push_back(url); }

    std::optional<std::string> answer; // the path the next dialog gives, or cancelled
    std::vector<FileDialog> dialogs;
    std::vector<std::string> messages;
    std::vector<std::string> documents;
    std::vector<std::string> urls;
};

// An editor built over a fake plug-in, with helpers to click and drag in
// window coordinates.
struct EditorFixture {
    FakePlugin plugin;
    FakeServices* services = nullptr;
    std::unique_ptr<doxaroGUI> gui;

    EditorFixture();
    void build() { gui->build(); }
    void click(int x, int y, unsigned modifiers = 0);
    void press(int x, int y, unsigned modifiers = 0);
    void move(int x, int y);
    void release(int x, int y);
    void drag(int x0, int y0, int x1, int y1);
    // The centre of a control in window coordinates.
    gui::Point centreOf(int tag) const;
};

} // namespace editor::test
