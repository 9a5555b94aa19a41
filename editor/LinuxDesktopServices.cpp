#include "editor/DesktopServices.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace editor {
namespace {

// The first of `names` found on PATH, or empty.
std::string findProgram(std::initializer_list<const char*> names)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return {};
    for (const char* name : names) {
        std::string dirs = path;
        std::size_t start = 0;
        while (start <= dirs.size()) {
            const std::size_t end = std::min(dirs.find(':', start), dirs.size());
            const std::string candidate = dirs.substr(start, end - start) + "/" + name;
            if (end > start && access(candidate.c_str(), X_OK) == 0)
                return candidate;
            start = end + 1;
        }
    }
    return {};
}

// A child process run without a shell; its standard output is read on idle
// without blocking.
struct Child {
    pid_t pid = -1;
    int output = -1;                // read end of its standard output, or -1
    std::string text;               // read so far
    PlatformServices::FileChosen done; // told of the answer, if any
};

bool spawn(const std::vector<std::string>& args, bool captureOutput, Child& child)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int pipeFds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (captureOutput) {
        if (pipe2(pipeFds, O_CLOEXEC) != 0)
            return false;
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    }
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (captureOutput)
        close(pipeFds[1]);
    if (rc != 0) {
        if (captureOutput)
            close(pipeFds[0]);
        return false;
    }
    child.pid = pid;
    if (captureOutput) {
        child.output = pipeFds[0];
        fcntl(child.output, F_SETFL, fcntl(child.output, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

class LinuxDesktopServices final : public PlatformServices {
public:
    ~LinuxDesktopServices() override
    {
        for (Child& c : children_) {
            if (c.output >= 0)
                close(c.output);
            if (c.done)
                kill(c.pid, SIGTERM);
            waitpid(c.pid, nullptr, 0);
        }
    }

    void chooseFile(const FileDialog& d, void*, FileChosen done) override
    {
        std::vector<std::string> args;
        const std::string zenity = findProgram({"zenity"});
        const std::string kdialog = zenity.empty() ? findProgram({"kdialog"}) : std::string{};
        if (!zenity.empty()) {
            args = {zenity, "--file-selection", "--title=" + d.title,
                    "--file-filter=" + d.filterName + " | " + d.pattern};
            if (d.save)
                args.insert(args.end(), {"--save", "--confirm-overwrite"});
        } else if (!kdialog.empty()) {
            args = {kdialog, "--title", d.title, d.save ? "--getsavefilename" : "--getopenfilename", ".",
                    d.pattern + "|" + d.filterName};
        } else {
            showMessage("No file dialog is available on this desktop (install zenity or kdialog).", nullptr);
            done(std::nullopt);
            return;
        }
        Child child;
        if (!spawn(args, true, child)) {
            done(std::nullopt);
            return;
        }
        child.done = [done, d](std::optional<std::string> path) {
            if (path && d.save && !d.defaultExtension.empty() && std::filesystem::path(*path).extension().empty())
                *path += "." + d.defaultExtension;
            done(path);
        };
        children_.push_back(std::move(child));
    }

    void showMessage(const std::string& text, void*) override
    {
        const std::string zenity = findProgram({"zenity"});
        const std::string kdialog = zenity.empty() ? findProgram({"kdialog"}) : std::string{};
        Child child;
        if (!zenity.empty() && spawn({zenity, "--info", "--title=", "--text=" + text, "--no-markup"}, false, child))
            children_.push_back(std::move(child));
        else if (!kdialog.empty() && spawn({kdialog, "--title", " ", "--msgbox", text}, false, child))
            children_.push_back(std::move(child));
        else
            std::fprintf(stderr, "%s\n", text.c_str());
    }

    void openDocument(const std::string& path) override { open(path); }
    void openUrl(const std::string& url) override { open(url); }

    void idle() override
    {
        for (std::size_t i = 0; i < children_.size();) {
            Child& c = children_[i];
            if (c.output >= 0) {
                char buffer[512];
                ssize_t n;
                while ((n = read(c.output, buffer, sizeof buffer)) > 0)
                    c.text.append(buffer, std::size_t(n));
            }
            int status = 0;
            if (waitpid(c.pid, &status, WNOHANG) != c.pid) {
                ++i;
                continue;
            }
            if (c.output >= 0) {
                char buffer[512];
                ssize_t n;
                while ((n = read(c.output, buffer, sizeof buffer)) > 0)
                    c.text.append(buffer, std::size_t(n));
                close(c.output);
            }
            Child finished = std::move(c);
            children_.erase(children_.begin() + long(i));
            if (finished.done) {
                while (!finished.text.empty() && (finished.text.back() == '\n' || finished.text.back() == '\r'))
                    finished.text.pop_back();
                const bool chosen = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !finished.text.empty();
                finished.done(chosen ? std::optional<std::string>(finished.text) : std::nullopt);
            }
        }
    }

private:
    void open(const std::string& what)
    {
        const std::string opener = findProgram({"xdg-open"});
        Child child;
        if (opener.empty() || !spawn({opener, what}, false, child)) {
            showMessage("Could not open \"" + what + "\".", nullptr);
            return;
        }
        children_.push_back(std::move(child));
    }

    std::vector<Child> children_; // running dialogs and openers, reaped on idle
};

} // namespace

std::unique_ptr<PlatformServices> makeDesktopServices() { return std::make_unique<LinuxDesktopServices>(); }

} // namespace editor
