#pragma once
// The renderer's progress display: one status line on a terminal, redrawn in
// place, showing each file being processed with its percentage and its speed
// as a multiple of real time, and a line for each finished file. When it is
// switched off (standard error is not a terminal, or --quiet) it shows
// nothing; messages still go out as plain lines.
//
// Threads: every member may be called from any thread (one render job per
// thread); one mutex keeps the lines whole.

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace host {

class ProgressDisplay {
public:
    // `out` receives everything; `enabled` switches the display on;
    // `totalFiles` is shown as the count to reach.
    ProgressDisplay(std::FILE* out, bool enabled, int totalFiles);
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    // Whether standard error is a terminal.
    static bool standardErrorIsTerminal();

    bool enabled() const { return enabled_; }

    // A file starts: `name` as shown, `audioSeconds` of audio to process.
    // Answers the slot to report on.
    int begin(const std::string& name, double audioSeconds);
    // The slot's file is `fraction` (0..1) done. Redraws at most ten times a second.
    void update(int slot, double fraction);
    // The slot's file is finished (ok) or given up.
    void finish(int slot, bool ok);
    // A line of its own (an error or a note), kept clear of the status line.
    void message(const std::string& text);
    // The run is over: the status line goes.
    void close();

private:
    struct Slot {
        std::string name;        // file name as shown
        double audioSeconds = 0; // audio to process
        double fraction = 0;     // done so far, 0..1
        std::chrono::steady_clock::time_point start; // when the file started
        bool active = false;     // false once finished (the slot may be reused)
    };

    double speed(const Slot& slot) const; // audio seconds per wall second
    void clearLine();                     // caller holds lock
    void drawLine();                      // caller holds lock

    std::FILE* out_;                      // standard error, normally
    const bool enabled_;                  // draw the status line and the finished lines
    const int totalFiles_;                // files in the run
    int finishedFiles_ = 0;               // files finished or given up
    std::mutex lock_;                     // guards everything below and the output
    std::vector<Slot> slots_;             // files in progress (inactive ones reused)
    std::size_t drawnWidth_ = 0;          // characters of the status line on screen
    std::chrono::steady_clock::time_point lastDraw_{}; // for the redraw limit
};

} // namespace host
