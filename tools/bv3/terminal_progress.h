#pragma once
// A one-line progress display on stderr: block counter, bar, percent, rate and time left.
// On a terminal (or with --progress) it redraws in place a few times a second; otherwise it
// prints only the status lines and the closing line, so logs stay readable. Quiet, it prints
// nothing.

#include "bv3/progress_mode.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace bv3::cli {

class TerminalProgress {
public:
    explicit TerminalProgress(ProgressMode mode = ProgressMode::Auto);
    void status(const std::string& text);
    void counter(const std::string& text);
    void percent(int value);
    void transferred(std::int64_t done, std::int64_t total);
    // Draws the final state and ends the line.
    void finish();

    // The line as it would be drawn now (for tests and the non-terminal summary).
    std::string line() const;

    bool quiet() const { return quiet_; }

private:
    void redraw(bool force);

    bool terminal_;
    bool quiet_;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastDraw_{};
    std::string counter_;
    int percent_ = 0;
    std::int64_t done_ = 0;
    std::int64_t total_ = 0;
    bool drawn_ = false;
};

// "1:05" style durations and "12.3 KB/s" style rates.
std::string formatDuration(std::chrono::seconds duration);
std::string formatRate(double bytesPerSecond);

}  // namespace bv3::cli
