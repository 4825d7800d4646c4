#pragma once
// The compressor's status text on the terminal: progress on stderr while a large file is
// worked on, and the closing line (the ratio or the advice) on stdout.

#include "compress/lzrw1.h"

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

namespace bv3::cli {

class CompressProgress {
public:
    // Progress shows only for inputs of at least this size; smaller ones finish at once.
    static constexpr std::uintmax_t largeInput = 1024 * 1024;

    CompressProgress(compress::Tlzrw1& component, const std::string& inputPath) : component_(component) {
        std::error_code error;
        const auto size = std::filesystem::file_size(inputPath, error);
        const bool large = !error && size >= largeInput;
        component.SetVisible(true);
        if (large) {
            component.OnProgress = [this](const compress::TCompressProgress& progress) {
                std::cerr << '\r' << compress::ProgressText(progress) << std::flush;
                shown_ = true;
            };
        }
    }

    // Ends the progress line and prints the component's closing status text (the ratio).
    void Finish() {
        EndLine();
        if (!component_.StatusText().empty()) {
            std::cout << component_.StatusText() << '\n';
        }
    }

    ~CompressProgress() { EndLine(); }
    CompressProgress(const CompressProgress&) = delete;
    CompressProgress& operator=(const CompressProgress&) = delete;

private:
    void EndLine() {
        if (shown_) {
            std::cerr << '\n';
            shown_ = false;
        }
    }

    const compress::Tlzrw1& component_;
    bool shown_ = false;
};

}  // namespace bv3::cli
