#include "editor/LinuxDesktopServices.h"

#include "editor/DesktopServices.h"
#include "editor/InEditorDialogs.h"
#include "editor/PortalFileChooser.h"
#include "gui/FileChooserView.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
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

// Starts `program` with one argument, detached from this process: a shell
// started for the purpose runs it in the background and exits, which hands
// it to init (or the session's subreaper), and that reaps it whenever it
// ends. Only that shell is waited for, here and now, and it lives no longer
// than one fork takes; nothing waits for the program, so a viewer that stays
// in the foreground of its opener holds neither this thread nor the
// services' destruction, and no zombie is left behind. False when the shell
// could not be started or could not fork for the program; what fails after
// that (the program not running at all, or failing to open) shows only on
// standard error.
bool spawnDetached(const std::string& program, const std::string& argument)
{
    Child shell;
    if (!spawn({"/bin/sh", "-c", "\"$0\" \"$1\" &", program, argument}, false, shell))
        return false;
    int status = 0;
    pid_t reaped;
    while ((reaped = waitpid(shell.pid, &status, 0)) < 0 && errno == EINTR) {
    }
    if (reaped < 0) // the host reaped it first (its own SIGCHLD handling): its answer is gone
        return true;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class LinuxDesktopServices final : public PlatformServices {
public:
    explicit LinuxDesktopServices(LinuxDialogOptions options) : options_(std::move(options)) {}

    ~LinuxDesktopServices() override
    {
        portalRequests_.clear(); // closes their dialogs and joins their workers
        for (Child& c : children_) {
            if (c.output >= 0)
                close(c.output);
            if (c.done)
                kill(c.pid, SIGTERM);
            waitpid(c.pid, nullptr, 0);
        }
    }

    void setFrame(gui::Frame* frame) override { dialogs_.setFrame(frame); }

    void chooseFile(const FileDialog& d, void* owner, FileChosen done) override
    {
        if (options_.portal && !portalMissing_) {
            char parent[32] = {};
            if (owner)
                std::snprintf(parent, sizeof parent, "x11:%llx",
                              static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(owner)));
            portalRequests_.push_back(
                {std::make_unique<PortalFileChooser>(d, parent, options_.busAddress), d, std::move(done)});
            return;
        }
        chooseWithoutPortal(d, std::move(done));
    }

    void showMessage(const std::string& text, void*) override { dialogs_.showMessage(text); }

    void openDocument(const std::string& path) override { open(path); }
    void openUrl(const std::string& url) override { open(url); }

    void idle() override
    {
        dialogs_.idle();
        // Answers are delivered after the list is settled: a callback may ask again.
        std::vector<PortalRequest> answered;
        for (std::size_t i = 0; i < portalRequests_.size();) {
            if (portalRequests_[i].chooser->finished()) {
                answered.push_back(std::move(portalRequests_[i]));
                portalRequests_.erase(portalRequests_.begin() + long(i));
            } else {
                ++i;
            }
        }
        for (PortalRequest& r : answered) {
            const PortalFileChooser::Result& result = r.chooser->result();
            switch (result.outcome) {
            case PortalFileChooser::Outcome::unavailable:
                // Not asked again by this editor: the next dialog goes straight on.
                portalMissing_ = true;
                chooseWithoutPortal(r.dialog, std::move(r.done));
                break;
            case PortalFileChooser::Outcome::cancelled: r.done(std::nullopt); break;
            case PortalFileChooser::Outcome::chosen: deliver(r.dialog, result.path, std::move(r.done)); break;
            }
        }
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
    struct PortalRequest {
        std::unique_ptr<PortalFileChooser> chooser; // the request in flight
        FileDialog dialog;                          // what was asked
        FileChosen done;                            // told of the answer
    };

    // zenity, kdialog, or the chooser drawn in the editor.
    void chooseWithoutPortal(const FileDialog& d, FileChosen done)
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
            dialogs_.chooseFile(d, std::move(done));
            return;
        }
        Child child;
        if (!spawn(args, true, child)) {
            dialogs_.chooseFile(d, std::move(done));
            return;
        }
        child.done = [this, done, d](std::optional<std::string> path) {
            if (path)
                deliver(d, *path, done);
            else
                done(std::nullopt);
        };
        children_.push_back(std::move(child));
    }

    // A path chosen in the desktop's dialog: a saved name without extension
    // gets the default one, and if that file exists the user is asked here,
    // since the dialog asked (if at all) about the name without it.
    void deliver(const FileDialog& d, std::string path, FileChosen done)
    {
        if (d.save && !d.defaultExtension.empty() && std::filesystem::path(path).extension().empty()) {
            path += "." + d.defaultExtension;
            std::error_code ec;
            if (std::filesystem::exists(path, ec)) {
                dialogs_.ask(gui::FileChooserView::replaceQuestion(path), {"Yes", "No"}, [path, done](int button) {
                    done(button == 0 ? std::optional<std::string>(path) : std::nullopt);
                });
                return;
            }
        }
        done(std::move(path));
    }

    // xdg-open, detached: the viewer it starts may run in its foreground
    // until the user closes it.
    void open(const std::string& what)
    {
        const std::string opener = findProgram({"xdg-open"});
        if (opener.empty() || !spawnDetached(opener, what))
            showMessage("Could not open \"" + what + "\".", nullptr);
    }

    LinuxDialogOptions options_;                // where the dialogs come from
    bool portalMissing_ = false;                // the portal failed once: not asked again
    std::vector<PortalRequest> portalRequests_; // portal dialogs up
    std::vector<Child> children_;               // running dialog programs, reaped on idle
    InEditorDialogs dialogs_;                   // messages, questions, the fallback chooser
};

} // namespace

std::unique_ptr<PlatformServices> makeLinuxDesktopServices(const LinuxDialogOptions& options)
{
    return std::make_unique<LinuxDesktopServices>(options);
}

std::unique_ptr<PlatformServices> makeDesktopServices() { return makeLinuxDesktopServices({}); }

} // namespace editor
