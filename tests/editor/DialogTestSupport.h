#pragma once

// Stand-in dialog programs on PATH and waiting for a dialog's answer on idle.

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "editor/PlatformServices.h"

namespace editor {

// A folder with a stand-in program `name` (a shell script of `body`) first
// on PATH for the test's lifetime.
struct FakeProgram {
    std::filesystem::path dir;
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";

    FakeProgram(const std::string& name, const std::string& body)
        : dir(std::filesystem::temp_directory_path() / ("selvarine-" + name + "-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(dir);
        const auto script = dir / name;
        std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        setenv("PATH", (dir.string() + ":" + oldPath).c_str(), 1);
    }
    ~FakeProgram()
    {
        setenv("PATH", oldPath.c_str(), 1);
        std::filesystem::remove_all(dir);
    }
    FakeProgram(const FakeProgram&) = delete;
    FakeProgram& operator=(const FakeProgram&) = delete;
    std::string argsFile() const { return (dir / "args").string(); }
};

// A fake "zenity" first on PATH.
struct FakeZenity : FakeProgram {
    explicit FakeZenity(const std::string& body) : FakeProgram("zenity", body) {}
};

inline std::optional<std::optional<std::string>> chooseAndWait(PlatformServices& s, const FileDialog& d, void* owner = nullptr)
{
    std::optional<std::optional<std::string>> answer;
    s.chooseFile(d, owner, [&](std::optional<std::string> path) { answer = path; });
    for (int i = 0; i < 300 && !answer; ++i) {
        s.idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return answer;
}

// PATH pointing at an empty folder for the object's lifetime: no zenity, no kdialog.
struct NoDialogPrograms {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("selvarine-nopath-" + std::to_string(getpid()));
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";

    NoDialogPrograms()
    {
        std::filesystem::create_directories(dir);
        setenv("PATH", dir.c_str(), 1);
    }
    ~NoDialogPrograms()
    {
        setenv("PATH", oldPath.c_str(), 1);
        std::filesystem::remove_all(dir);
    }
};

} // namespace editor
