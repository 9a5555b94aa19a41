#include "tools/ProgressDisplay.h"

#include <algorithm>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace host {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string format(const char* pattern, double a, double b)
{
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

} // namespace

ProgressDisplay::ProgressDisplay(std::FILE* out, bool enabled, int totalFiles)
    : out_(out), enabled_(enabled), totalFiles_(totalFiles)
{
}

bool ProgressDisplay::standardErrorIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

int ProgressDisplay::begin(const std::string& name, double audioSeconds)
{
    std::lock_guard<std::mutex> guard(lock_);
    Slot slot;
    slot.name = name;
    slot.audioSeconds = audioSeconds;
    slot.start = std::chrono::steady_clock::now();
    slot.active = true;
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (!slots_[i].active) {
            slots_[i] = slot;
            if (enabled_)
                drawLine();
            return static_cast<int>(i);
        }
    slots_.push_back(slot);
    if (enabled_)
        drawLine();
    return static_cast<int>(slots_.size() - 1);
}

void ProgressDisplay::update(int slot, double fraction)
{
    if (!enabled_)
        return;
    std::lock_guard<std::mutex> guard(lock_);
    slots_[static_cast<std::size_t>(slot)].fraction = std::clamp(fraction, 0.0, 1.0);
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDraw_ >= kRedrawInterval)
        drawLine();
}

void ProgressDisplay::finish(int slot, bool ok)
{
    std::lock_guard<std::mutex> guard(lock_);
    Slot& s = slots_[static_cast<std::size_t>(slot)];
    s.active = false;
    ++finishedFiles_;
    if (!enabled_)
        return;
    clearLine();
    if (ok)
        std::fprintf(out_, "done  %s  (%s)\n", s.name.c_str(),
                     format("%.1f s of audio, %.1fx real time", s.audioSeconds, speed(s)).c_str());
    drawLine();
}

void ProgressDisplay::message(const std::string& text)
{
    std::lock_guard<std::mutex> guard(lock_);
    if (enabled_)
        clearLine();
    std::fprintf(out_, "%s\n", text.c_str());
    if (enabled_)
        drawLine();
    std::fflush(out_);
}

void ProgressDisplay::close()
{
    std::lock_guard<std::mutex> guard(lock_);
    if (enabled_) {
        clearLine();
        std::fflush(out_);
    }
}

double ProgressDisplay::speed(const Slot& slot) const
{
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - slot.start).count();
    return wall > 0.0 ? slot.fraction * slot.audioSeconds / wall : 0.0;
}

void ProgressDisplay::clearLine()
{
    if (drawnWidth_ == 0)
        return;
    // Spaces rather than terminal control sequences: every console understands them.
    std::fprintf(out_, "\r%*s\r", static_cast<int>(drawnWidth_), "");
    drawnWidth_ = 0;
}

void ProgressDisplay::drawLine()
{
    char count[48];
    std::snprintf(count, sizeof count, "[%d/%d]", finishedFiles_, totalFiles_);
    std::string line = count;
    bool any = false;
    for (const Slot& s : slots_) {
        if (!s.active)
            continue;
        line += any ? " | " : " ";
        line += s.name;
        line += format(" %.0f%% %.1fx", 100.0 * s.fraction, speed(s));
        any = true;
    }
    const std::size_t previous = drawnWidth_;
    std::fprintf(out_, "\r%s", line.c_str());
    if (line.size() < previous)
        std::fprintf(out_, "%*s\r%s", static_cast<int>(previous - line.size()), "", line.c_str());
    drawnWidth_ = line.size();
    lastDraw_ = std::chrono::steady_clock::now();
    std::fflush(out_);
}

} // namespace host
