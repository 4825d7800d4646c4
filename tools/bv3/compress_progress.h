#pragma once
// The compressor's status text on the terminal: running progress on stderr while a large file
// is worked on (only when stderr is a terminal, or with --progress), and the closing line
// (the ratio or the advice) on stdout. Quiet, it shows neither.

#include "bv3/progress_mode.h"
#include "compress/lzrw1.h"

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

namespace bv3::cli {

class CompressProgress {
public:
    // Progress shows only for inputs of at least this size (unless forced); smaller ones
    // finish at once.
    static constexpr std::uintmax_t largeInput = 1024 * 1024;
    // A redraw at most this often: the component reports every 32 KB piece.
    static constexpr std::chrono::milliseconds redrawInterval{100};

    CompressProgress(compress::Tlzrw1& component, const std::string& inputPath, ProgressMode mode = ProgressMode::Auto)
        : component_(component), quiet_(mode == ProgressMode::Quiet) {
        std::error_code error;
        const auto size = std::filesystem::file_size(inputPath, error);
        const bool large = !error && size >= largeInput;
        const bool running = mode == ProgressMode::Always || (mode == ProgressMode::Auto && large &&
                                                             ::isatty(STDERR_FILENO) == 1);
        component.SetVisible(true);
        if (running) {
            component.OnProgress = [this](const compress::TCompressProgress& progress) { Draw(progress); };
        }
    }

    // Ends the progress line and prints the component's closing status text (the ratio).
    void Finish() {
        EndLine();
        if (!quiet_ && !component_.StatusText().empty()) {
            std::cout << component_.StatusText() << '\n';
        }
    }

    ~CompressProgress() { EndLine(); }
    CompressProgress(const CompressProgress&) = delete;
    CompressProgress& operator=(const CompressProgress&) = delete;

private:
    void Draw(const compress::TCompressProgress& progress) {
        const auto now = std::chrono::steady_clock::now();
        if (shown_ && now - lastDraw_ < redrawInterval) {
            return;
        }
        lastDraw_ = now;
        std::cerr << '\r' << compress::ProgressText(progress) << std::flush;
        shown_ = true;
    }

    void EndLine() {
        if (shown_) {
            std::cerr << '\n';
            shown_ = false;
        }
    }

    const compress::Tlzrw1& component_;
    bool quiet_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace bv3::cli
