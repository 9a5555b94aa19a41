// selvarine-editor: a small host for looking at and trying the plug-in's
// editor. It loads the plug-in binary through its entry point, opens the
// editor in a top-level window, calls the editor's idle at a steady rate,
// plays silence or a looped input file through the plug-in on an audio
// thread so the meter moves, and prints what the plug-in tells the host
// (automation, begin and end of edits) and, at the end, the program it is on.
//
// --snapshot FILE.png renders the editor without any display instead: the
// plug-in is built into the tool for that, set up with --program and --set,
// and the editor's picture is written as a PNG.
#ifdef _WIN32
#include <windows.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "editor/doxaroGUI.h"
#include "editor/EditorLayout.h"
#include "gui/OptionMenu.h"
#include "gui/PngWriter.h"
#include "gui/SplashScreen.h"
#include "host/AudioFile.h"
#include "host/PluginInstance.h"
#include "host/PluginLibrary.h"
#include "plugin/Doxaro.h"
#include "tools/EditorHostWindow.h"

#ifndef SELVARINE_DEFAULT_PLUGIN
#define SELVARINE_DEFAULT_PLUGIN ""
#endif

namespace {

struct Options {
    std::string plugin;
    std::string input;
    std::string snapshot;
    bool about = false; // snapshot with the about box up
    double idleHz = 30.0;
    double runFor = 0.0; // seconds until the window closes by itself; 0: until the user closes it
    int program = -1;
    // Snapshot states.
    std::string response;   // the current program's response file
    std::string openMenu;   // the menu whose list is open
    int hostProgram = -1;   // program the host picks once the editor is up
    std::vector<std::pair<std::string, float>> settings; // name or index, value
};

void usage(FILE* to)
{
    std::fprintf(to,
                 "usage: selvarine-editor [--plugin FILE] [--idle-hz N] [--input FILE.wav]\n"
                 "                        [--program N] [--set NAME=VALUE]... [--run-for SECONDS]\n"
                 "                        [--snapshot FILE.png [--about] [--response FILE.wav]\n"
                 "                         [--open-menu MENU] [--host-program N]]\n"
                 "Opens the plug-in's editor in a window, calls its idle N times a second (30),\n"
                 "plays silence or the looped input through it and prints automation and edit notices,\n"
                 "and the current program when the editor closes.\n"
                 "--program N (1..24) and --set \"Parameter Name\"=0..1 (or index=value) set the plug-in up first.\n"
                 "--run-for closes the editor and quits after the given time (for scripts).\n"
                 "--snapshot renders the editor into a PNG file without a display and exits. With it:\n"
                 "  --about          the about box up\n"
                 "  --response FILE  FILE as the current program's impulse response\n"
                 "  --open-menu MENU the list of a menu open: program, file, input, meter, cab1, mic1,\n"
                 "                   cab2, mic2, response\n"
                 "  --host-program N the host picks program N (1..24) after the editor opened\n");
}

std::filesystem::path executablePath()
{
#ifdef _WIN32
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::string(path, length < MAX_PATH ? length : 0));
#else
    return std::filesystem::canonical("/proc/self/exe");
#endif
}

std::string defaultPlugin()
{
#ifdef _WIN32
    constexpr const char* kPluginFile = "OrvandelSelvarine.dll";
#else
    constexpr const char* kPluginFile = "OrvandelSelvarine.so";
#endif
    const std::filesystem::path self = executablePath();
    const std::filesystem::path beside = self.parent_path() / kPluginFile;
    std::error_code ignored;
    if (std::filesystem::exists(beside, ignored) || SELVARINE_DEFAULT_PLUGIN[0] == '\0')
        return beside.string();
    return (self.parent_path() / SELVARINE_DEFAULT_PLUGIN).lexically_normal().string();
}

bool parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc)
                return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            usage(stdout);
            std::exit(0);
        } else if (a == "--plugin") {
            if (!value(o.plugin)) return false;
        } else if (a == "--input") {
            if (!value(o.input)) return false;
        } else if (a == "--snapshot") {
            if (!value(o.snapshot)) return false;
        } else if (a == "--about") {
            o.about = true;
        } else if (a == "--idle-hz") {
            if (!value(v)) return false;
            o.idleHz = std::atof(v.c_str());
            if (!(o.idleHz >= 1.0 && o.idleHz <= 200.0)) return false;
        } else if (a == "--run-for") {
            if (!value(v)) return false;
            o.runFor = std::atof(v.c_str());
            if (!(o.runFor > 0.0)) return false;
        } else if (a == "--program") {
            if (!value(v)) return false;
            o.program = std::atoi(v.c_str()) - 1;
            if (o.program < 0 || o.program > 23) return false;
        } else if (a == "--response") {
            if (!value(o.response)) return false;
        } else if (a == "--open-menu") {
            if (!value(o.openMenu)) return false;
        } else if (a == "--host-program") {
            if (!value(v)) return false;
            o.hostProgram = std::atoi(v.c_str()) - 1;
            if (o.hostProgram < 0 || o.hostProgram > 23) return false;
        } else if (a == "--set") {
            if (!value(v)) return false;
            const std::size_t eq = v.rfind('=');
            if (eq == std::string::npos) return false;
            char* end = nullptr;
            const float f = std::strtof(v.c_str() + eq + 1, &end);
            if (*end != '\0' || !(f >= 0.0f && f <= 1.0f)) return false;
            o.settings.push_back({v.substr(0, eq), f});
        } else {
            return false;
        }
    }
    return true;
}

// Index of a parameter by its name or number, or -1.
int parameterIndex(const std::string& key)
{
    for (int i = 0; i < param::Count; ++i)
        if (key == param::kNames[i])
            return i;
    char* end = nullptr;
    const long n = std::strtol(key.c_str(), &end, 10);
    return (!key.empty() && *end == '\0' && n >= 0 && n < param::Count) ? int(n) : -1;
}

// Tag of a menu by the name --open-menu takes, or -1.
int menuTag(const std::string& name)
{
    namespace tag = editor::layout::tag;
    const std::pair<const char*, int> menus[] = {
        {"program", tag::ProgramMenu}, {"file", tag::FileMenu},     {"input", param::InputChannel},
        {"meter", tag::InputMeterMenu}, {"cab1", param::Cab1Type},  {"mic1", param::Mic1Type},
        {"cab2", param::Cab2Type},      {"mic2", param::Mic2Type},  {"response", tag::ResponseMenu},
    };
    for (const auto& [menuName, t] : menus)
        if (name == menuName)
            return t;
    return -1;
}

int snapshot(const Options& o)
{
    const int openTag = o.openMenu.empty() ? -1 : menuTag(o.openMenu);
    if (!o.openMenu.empty() && openTag < 0) {
        std::fprintf(stderr, "selvarine-editor: no menu \"%s\"\n", o.openMenu.c_str());
        return 1;
    }
    Doxaro plugin(nullptr);
    if (o.program >= 0)
        plugin.setProgram(o.program);
    if (!o.response.empty() && !plugin.setResponsePath(o.response.c_str())) {
        std::fprintf(stderr, "selvarine-editor: the path %s is too long\n", o.response.c_str());
        return 1;
    }
    for (const auto& [key, value] : o.settings) {
        const int index = parameterIndex(key);
        if (index < 0) {
            std::fprintf(stderr, "selvarine-editor: no parameter \"%s\"\n", key.c_str());
            return 1;
        }
        plugin.setParameter(index, value);
    }
    plugin.waitForSettings();
    auto* gui = static_cast<editor::doxaroGUI*>(plugin.getEditor());
    gui->build();
    gui->idle();
    if (o.hostProgram >= 0) {
        // As a host's preset list does while the editor is open.
        plugin.setProgram(o.hostProgram);
        plugin.waitForSettings();
        gui->idle();
    }
    if (o.about)
        static_cast<gui::SplashScreen*>(gui->control(editor::layout::tag::AboutTrigger))->splash();
    if (openTag >= 0) {
        gui::OptionMenu* menu = gui->menu(openTag);
        // The cabinet panel holds four of the menus.
        if (menu->frame() == nullptr) {
            std::fprintf(stderr, "selvarine-editor: the menu \"%s\" is not shown (cabinet panel hidden?)\n",
                         o.openMenu.c_str());
            return 1;
        }
        menu->openPopup();
        if (!menu->isOpen()) {
            std::fprintf(stderr, "selvarine-editor: the menu \"%s\" has no entries\n", o.openMenu.c_str());
            return 1;
        }
    }
    gui->idle();
    gui->frame()->redrawAll();
    if (!gui::PngWriter::write(o.snapshot, gui->frame()->image())) {
        std::fprintf(stderr, "selvarine-editor: cannot write %s\n", o.snapshot.c_str());
        return 1;
    }
    gui->close();
    return 0;
}

int run(const Options& o)
{
    host::PluginLibrary library;
    if (!library.load(o.plugin.empty() ? defaultPlugin() : o.plugin)) {
        std::fprintf(stderr, "selvarine-editor: %s\n", library.error().c_str());
        return 1;
    }
    std::string error;
    auto plugin = host::PluginInstance::create(library, {}, error);
    if (!plugin) {
        std::fprintf(stderr, "selvarine-editor: %s\n", error.c_str());
        return 1;
    }
    plugin->dispatch(vst::effOpen);
    if ((plugin->effect().flags & vst::effFlagsHasEditor) == 0) {
        std::fprintf(stderr, "selvarine-editor: the plug-in has no editor\n");
        return 1;
    }
    if (o.program >= 0)
        plugin->setProgram(o.program);
    for (const auto& [key, value] : o.settings) {
        const int index = plugin->findParameter(key) >= 0 ? plugin->findParameter(key) : parameterIndex(key);
        if (index < 0) {
            std::fprintf(stderr, "selvarine-editor: no parameter \"%s\"\n", key.c_str());
            return 1;
        }
        plugin->setParameter(index, value);
    }

    host::AudioBuffer input;
    if (!o.input.empty() && !host::readAudioFile(o.input, input, error)) {
        std::fprintf(stderr, "selvarine-editor: %s\n", error.c_str());
        return 1;
    }
    constexpr int kBlock = 512;
    plugin->setSampleRate(44100.0);
    plugin->setBlockSize(kBlock);
    plugin->setMains(true);

    vst::ERect* rect = nullptr;
    plugin->dispatch(vst::effEditGetRect, 0, 0, &rect);
    const int width = rect ? rect->right - rect->left : 650;
    const int height = rect ? rect->bottom - rect->top : 500;

    EditorHostWindow window;
    if (!window.open(plugin->effectName(), width, height)) {
        std::fprintf(stderr, "selvarine-editor: %s\n", window.error().c_str());
        return 1;
    }
    if (plugin->dispatch(vst::effEditOpen, 0, 0, window.parentHandle()) == 0) {
        std::fprintf(stderr, "selvarine-editor: the editor did not open\n");
        return 1;
    }
    std::printf("editor open (%d x %d); close the window to quit\n", width, height);
    std::fflush(stdout);

    // Audio thread: blocks at the real-time pace, silence or the looped input.
    std::atomic<bool> running{true};
    std::thread audio([&] {
        std::vector<float> in[2] = {std::vector<float>(kBlock), std::vector<float>(kBlock)};
        std::vector<float> out[2] = {std::vector<float>(kBlock), std::vector<float>(kBlock)};
        float* ins[2] = {in[0].data(), in[1].data()};
        float* outs[2] = {out[0].data(), out[1].data()};
        std::size_t position = 0;
        auto next = std::chrono::steady_clock::now();
        while (running.load(std::memory_order_relaxed)) {
            if (input.numFrames() > 0)
                for (int i = 0; i < kBlock; ++i, position = (position + 1) % input.numFrames())
                    for (int c = 0; c < 2; ++c)
                        in[c][std::size_t(i)] = float(input.channels[std::size_t(std::min(c, input.numChannels() - 1))][position]);
            plugin->process(ins, outs, kBlock);
            next += std::chrono::microseconds(kBlock * 1000000LL / 44100);
            std::this_thread::sleep_until(next);
        }
    });

    std::size_t automationSeen = 0;
    std::size_t editsSeen = 0;
    const auto period = std::chrono::microseconds(static_cast<long long>(1e6 / o.idleHz));
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::microseconds(static_cast<long long>(o.runFor * 1e6));
    auto next = start;
    while (window.handleEvents() && (o.runFor <= 0.0 || std::chrono::steady_clock::now() < end)) {
        plugin->dispatch(vst::effEditIdle);
        // Both lists in the order they arrived.
        const auto edits = plugin->editNotices();
        const auto notices = plugin->automationNotices();
        auto printAutomationUpTo = [&](std::size_t count) {
            for (; automationSeen < count && automationSeen < notices.size(); ++automationSeen)
                std::printf("automate %d \"%s\" = %.4f\n", notices[automationSeen].index,
                            plugin->parameterName(notices[automationSeen].index).c_str(),
                            double(notices[automationSeen].value));
        };
        for (; editsSeen < edits.size(); ++editsSeen) {
            printAutomationUpTo(edits[editsSeen].automationBefore);
            std::printf("%s edit %d \"%s\"\n", edits[editsSeen].begin ? "begin" : "end", edits[editsSeen].index,
                        plugin->parameterName(edits[editsSeen].index).c_str());
        }
        printAutomationUpTo(notices.size());
        std::fflush(stdout);
        next += period;
        std::this_thread::sleep_until(next);
    }
    plugin->dispatch(vst::effEditClose);
    std::printf("program %d \"%s\"\n", plugin->currentProgram() + 1, plugin->currentProgramName().c_str());
    std::fflush(stdout);
    running = false;
    audio.join();
    plugin->setMains(false);
    window.close();
    std::printf("editor closed\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!parse(argc, argv, o)) {
        usage(stderr);
        return 2;
    }
    return o.snapshot.empty() ? run(o) : snapshot(o);
}
