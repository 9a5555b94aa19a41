#include "tests/support/XvfbServer.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace guitest {

std::string XvfbServer::findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

bool XvfbServer::run(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

XvfbServer::XvfbServer()
{
    const std::string xvfb = findProgram("Xvfb");
    if (xvfb.empty()) {
        why_ = "Xvfb is not installed (Debian package xvfb)";
        return;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        why_ = "no pipe";
        return;
    }
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const std::string fd = std::to_string(fds[1]);
    // -noreset: the server would otherwise restart whenever its last client
    // leaves, and a test connecting during that restart would be refused.
    std::vector<std::string> argv = {xvfb, "-displayfd", fd, "-screen", "0", "800x600x24", "-nolisten", "tcp", "-noreset"};
    std::vector<char*> args;
    for (auto& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        // The server goes when the test process goes, even when it crashes;
        // its chatter stays out of the test log.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        dup2(devNull, 2);
        execv(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
        close(fds[0]);
        why_ = "Xvfb did not start";
        return;
    }
    // The server writes its display number and a newline once it accepts clients.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 20000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        why_ = "Xvfb did not report a display";
        return;
    }
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
}

XvfbServer::~XvfbServer()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status;
        waitpid(pid_, &status, 0);
    }
}

} // namespace guitest
