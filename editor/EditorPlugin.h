#pragma once

#include <string>

namespace editor {

// What the editor needs of the plug-in. The plug-in implements it; tests use a
// fake. Every call comes from the user-interface thread, except where noted.
class EditorPlugin {
public:
    virtual ~EditorPlugin() = default;

    // ---- Parameters ----
    // Current value of a parameter (lock-free).
    virtual float parameter(int index) const = 0;
    // Sets a parameter and tells the host, as a user edit would.
    virtual void setParameterAutomated(int index, float value) = 0;
    // Frame a user gesture on a parameter for the host's automation recording.
    virtual void beginEdit(int index) = 0;
    virtual void endEdit(int index) = 0;

    // ---- Programs ----
    virtual int currentProgram() const = 0;
    virtual void selectProgram(int program) = 0;
    virtual std::string programName(int program) const = 0;
    // The current program's editor flags.
    virtual bool panelFlag() const = 0;
    virtual bool meterFlag() const = 0;
    virtual void setPanelFlag(bool shown) = 0;
    virtual void setMeterFlag(bool on) = 0;

    // ---- Meters (written by the audio thread, read lock-free) ----
    virtual float inputLevel() const = 0;
    virtual float clipLevel() const = 0;

    // ---- Files ----
    // Each file operation answers an empty string on success, else the
    // message to show the user.
    virtual std::string savePreset(const std::string& path) = 0;
    virtual std::string loadPreset(const std::string& path) = 0;
    virtual std::string saveBank(const std::string& path) = 0;
    virtual std::string loadBank(const std::string& path) = 0;
    // The current program's impulse-response path ("empty" for none).
    virtual std::string responsePath() const = 0;
    // Makes `path` ("empty" to unload) the current program's response and
    // loads it. False when the path cannot be stored.
    virtual bool setResponsePath(const std::string& path) = 0;
    // True when the current program's response is loaded and playing.
    virtual bool responseLoaded() const = 0;
    // Folder beside the library that holds the manual, with a trailing separator.
    virtual std::string dataFolder() const = 0;
};

} // namespace editor
