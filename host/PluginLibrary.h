#pragma once

// A plug-in binary loaded into this process and the address of its VST 2.4 entry
// point. This is the only file of the host that touches the platform's dynamic
// loader; a LoadLibrary branch for Windows belongs here and nowhere else.

#include "vst/VstInterface.h"

#include <string>

namespace host {

// The signature shared by `VSTPluginMain` and its older alias `main`.
using PluginEntry = vst::AEffect* (*)(vst::HostCallback hostCallback);

class PluginLibrary {
public:
    PluginLibrary() = default;
    ~PluginLibrary();

    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // Loads the library at `path` and resolves `VSTPluginMain`, falling back to
    // `main`. Returns false and fills error() when the file cannot be loaded or
    // exports neither symbol. A library already held is released first.
    bool load(const std::string& path);

    // Releases the library. Every instance created from it must be closed first.
    void unload();

    bool isLoaded() const { return handle != nullptr; }
    PluginEntry entry() const { return entryPoint; }
    const std::string& entryName() const { return entrySymbol; } // "VSTPluginMain" or "main"
    const std::string& error() const { return lastError; }

private:
    void* handle = nullptr;          // the loader's handle, null when nothing is loaded
    PluginEntry entryPoint = nullptr; // resolved entry point
    std::string entrySymbol;         // name of the symbol the entry was found under
    std::string lastError;           // why the last load() failed
};

// The absolute path of the running executable, empty when it cannot be found.
std::string executablePath();

} // namespace host
