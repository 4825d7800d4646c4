#include "bv3/terminal_progress.h"

#include <unistd.h>
#include <cstdio>

namespace bv3::cli {

std::string formatDuration(std::chrono::seconds duration) {
    const auto total = duration.count() < 0 ? 0 : duration.count();
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(total / 60),
                  static_cast<long long>(total % 60));
    return text;
}

std::string formatRate(double bytesPerSecond) {
    char text[32];
    if (bytesPerSecond >= 1024.0) {
        std::snprintf(text, sizeof text, "%.1f KB/s", bytesPerSecond / 1024.0);
    } else {
        std::snprintf(text, sizeof text, "%.0f B/s", bytesPerSecond);
    }
    return text;
}

TerminalProgress::TerminalProgress(ProgressMode mode)
    : terminal_(mode == ProgressMode::Always || (mode == ProgressMode::Auto && ::isatty(STDERR_FILENO) == 1)),
      quiet_(mode == ProgressMode::Quiet),
      started_(std::chrono::steady_clock::now()) {}

void TerminalProgress::status(const std::string& text) {
    if (quiet_) {
        return;
    }
    if (drawn_) {
        std::fputc('\n', stderr);
        drawn_ = false;
    }
    std::fprintf(stderr, "%s\n", text.c_str());
}

void TerminalProgress::counter(const std::string& text) {
    counter_ = text;
    redraw(false);
}

void TerminalProgress::percent(int value) {
    percent_ = value;
    redraw(false);
}

void TerminalProgress::transferred(std::int64_t done, std::int64_t total) {
    done_ = done;
    total_ = total;
    redraw(false);
}

std::string TerminalProgress::line() const {
    constexpr int width = 30;
    const int clamped = percent_ < 0 ? 0 : (percent_ > 100 ? 100 : percent_);
    const int filled = clamped * width / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(width - filled), '.');
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const double rate = seconds > 0.0 ? static_cast<double>(done_) / seconds : 0.0;
    std::string left = "--:--";
    if (rate > 0.0 && total_ >= done_) {
        left = formatDuration(std::chrono::seconds(static_cast<long long>(static_cast<double>(total_ - done_) / rate)));
    }
    char text[160];
    std::snprintf(text, sizeof text, "%-14s [%s] %3d%%  %s  %s left", counter_.c_str(), bar.c_str(), clamped,
                  formatRate(rate).c_str(), left.c_str());
    return text;
}

void TerminalProgress::redraw(bool force) {
    if (!terminal_ || quiet_) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!force && drawn_ && now - lastDraw_ < std::chrono::milliseconds(100)) {
        return;
    }
    lastDraw_ = now;
    std::fprintf(stderr, "\r%s", line().c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void TerminalProgress::finish() {
    // The download's gauge shows the start of the last chunk; a finished transfer is all done.
    if (total_ > 0 && done_ == total_) {
        percent_ = 100;
    }
    if (quiet_) {
        return;
    }
    if (terminal_) {
        redraw(true);
        std::fputc('\n', stderr);
        drawn_ = false;
    } else {
        std::fprintf(stderr, "%s\n", line().c_str());
    }
}

}  // namespace bv3::cli
