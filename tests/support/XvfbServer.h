#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace guitest {

// A private X server (Xvfb) for the tests that open real windows. It picks a
// free display itself (-displayfd) and points DISPLAY at it while it runs.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // False when Xvfb is not installed or did not start; why() says which.
    bool running() const { return pid_ > 0 && !display_.empty(); }
    const std::string& why() const { return why_; }
    const std::string& display() const { return display_; }

    // Where a program lies on PATH, or "" when it is not installed.
    static std::string findProgram(const std::string& name);
    // Runs a program with arguments and waits for it; true when it exits with 0.
    static bool run(const std::vector<std::string>& argv);

private:
    pid_t pid_ = -1;      // the server process
    std::string display_; // ":N"
    std::string why_;     // reason it is not running
};

} // namespace guitest
