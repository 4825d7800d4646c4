#pragma once
// Runs stb-sim (or bv3) as a child process for the end-to-end tests: the simulator's first
// line of output is the pseudo-terminal the PC side opens.

#include "test_files.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace bv3::testing {

inline std::string binary(const std::string& name) {
    return std::string(BV3_BINARY_DIR) + "/bin/" + name;
}

using testfiles::readBytes;
using testfiles::writeBytes;

// Whether this process still has the device open: a port let go leaves no descriptor on it.
inline bool holdsDeviceOpen(const std::string& device) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        std::error_code linkError;
        if (std::filesystem::read_symlink(entry.path(), linkError) == device) {
            return true;
        }
    }
    return false;
}

// A child process with its stdout and stderr going to files.
class ChildProcess {
public:
    // workingDirectory: where the child runs (empty: ours).
    ChildProcess(std::vector<std::string> args, const std::string& outputStem, const std::string& workingDirectory = {})
        : stdoutPath_(outputStem + ".out"), stderrPath_(outputStem + ".err") {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!workingDirectory.empty()) {
            posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
        }
        posix_spawn_file_actions_addopen(&actions, 1, stdoutPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) {
            throw std::runtime_error("cannot start " + args[0]);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // The first line of stdout, waiting for it up to timeout.
    std::string firstLine(std::chrono::seconds timeout = std::chrono::seconds(10)) const {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            std::ifstream in(stdoutPath_);
            std::string line;
            if (std::getline(in, line) && !in.eof()) {
                return line;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        throw std::runtime_error("no output from the child process");
    }

    // Waits for the end; the exit status, or -1 after the timeout (the child is then killed).
    // The default bound leaves room for a whole upload (400,000 round trips) on a loaded
    // two-core machine, where one has taken nearly three minutes.
    int wait(std::chrono::seconds timeout = std::chrono::seconds(240)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

    std::string standardOutput() const {
        std::ifstream in(stdoutPath_);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string standardError() const {
        std::ifstream in(stderrPath_);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    pid_t pid_ = -1;
    std::string stdoutPath_;
    std::string stderrPath_;
};

// A simulator on a fresh pseudo-terminal.
class Simulator {
public:
    Simulator(const std::string& stem, std::vector<std::string> options)
        : process_(withProgram(std::move(options)), stem), device_(process_.firstLine()) {}
    const std::string& device() const { return device_; }
    int wait(std::chrono::seconds timeout = std::chrono::seconds(30)) { return process_.wait(timeout); }
    std::string log() const { return process_.standardError(); }

private:
    static std::vector<std::string> withProgram(std::vector<std::string> options) {
        options.insert(options.begin(), binary("stb-sim"));
        return options;
    }
    ChildProcess process_;
    std::string device_;
};

}  // namespace bv3::testing
