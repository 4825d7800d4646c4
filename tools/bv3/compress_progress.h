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

    CompressProgress(compress::Tlzrw1& component, const std::string& inputPath) {
        std::error_code error;
        const auto size = std::filesystem::file_size(inputPath, error);
        const bool large = !error && size >= largeInput;
        component.SetVisible(true);
        component.OnStatusText = [this, large](const std::string& text) {
            // Progress texts start with the engine's name in brackets.
            if (text.starts_with("(")) {
                if (large) {
                    std::cerr << '\r' << text << std::flush;
                    shown_ = true;
                }
            } else {
                last_ = text;
            }
        };
    }

    // Ends the progress line and prints the component's last status text.
    void Finish() {
        EndLine();
        if (!last_.empty()) {
            std::cout << last_ << '\n';
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

    bool shown_ = false;
    std::string last_;
};

}  // namespace bv3::cli
