// stb-sim: plays the receiver's side of the serial protocol on a pseudo-terminal (whose other
// end it prints on the first line of stdout) or on a given device, for tests, benchmarks and
// demonstrations without a receiver.

#include "safe_write/safe_write.h"
#include "stb-sim/image_applier.h"
#include "stb-sim/line_recording.h"
#include "stb-sim/receiver_memory.h"
#include "stb-sim/receiver_simulator.h"
#include "stb-sim/sim_port.h"

#include "bv3_version.h"

#include <CLI/CLI.hpp>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using bv3::stbsim::LineRecording;
using bv3::stbsim::ReceiverMemory;
using bv3::stbsim::ReceiverSimulator;
using bv3::stbsim::SessionMode;
using bv3::stbsim::SimPort;

class PortLink final : public bv3::stbsim::ReceiverLink {
public:
    PortLink(SimPort& port, LineRecording& recording) : port_(port), recording_(recording) {}
    void send(std::span<const std::uint8_t> bytes) override {
        port_.write(bytes);
        recording_.receiverWrote(bytes);
    }
    void sendNoise(std::span<const std::uint8_t> bytes) override {
        port_.write(bytes);
        recording_.receiverSentNoise(bytes);
    }
    void pause(std::chrono::milliseconds duration) override {
        std::cerr << "stb-sim: falling silent for " << duration.count() << " ms\n";
        std::this_thread::sleep_for(duration);
        recording_.receiverFellSilent();
    }
    void hangUp() override {
        std::cerr << "stb-sim: hanging up\n";
        port_.close();
    }

private:
    SimPort& port_;
    LineRecording& recording_;
};

void saveFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    bv3::safewrite::writeFileSafely(path, bytes);
}

struct RunSettings {
    std::string device;
    unsigned baud = 115200;
    std::string memoryFile;
    std::string saveTo;
    std::string memoryOut;
    bool apply = false;
    unsigned sessions = 1;
    unsigned waitSeconds = 60;
    std::string recordLine;
    std::string recordPc;
};

// The receiver speaks only once somebody listens: wait for the PC to open its end, then give
// it a moment to set the line up (opening may discard pending input).
bool waitForThePc(SimPort& port, unsigned waitSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(waitSeconds);
    while (port.otherEndClosed()) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::cerr << "stb-sim: nobody opened " << port.otherName() << " within " << waitSeconds << " s\n";
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    std::this_thread::sleep_for(200ms);
    return true;
}

// Runs one exchange to its end; false when the PC went away in the middle.
bool serve(SimPort& port, ReceiverSimulator& simulator, LineRecording& recording) {
    simulator.start();
    std::array<std::uint8_t, 4096> buffer{};
    bool heardAnything = false;
    auto lastAnnouncement = std::chrono::steady_clock::now();
    while (!simulator.done()) {
        const auto got = port.read(buffer, 100ms);
        if (!got) {
            std::cerr << "stb-sim: the PC closed the line before the end of the exchange\n";
            return false;
        }
        if (*got == 0) {
            // A PC that opened the port after our announcement never saw it: say it again.
            if (!heardAnything && std::chrono::steady_clock::now() - lastAnnouncement > 1s) {
                simulator.repeatAnnouncementStart();
                lastAnnouncement = std::chrono::steady_clock::now();
            }
            continue;
        }
        heardAnything = true;
        recording.pcSent(std::span(buffer.data(), *got));
        for (std::size_t i = 0; i < *got && !simulator.done(); ++i) {
            simulator.handleByte(buffer[i]);
        }
    }
    return true;
}

// Lets the PC read our last byte and close its end before the line goes away or the next
// session announces itself.
void waitForThePcToLeave(SimPort& port) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!port.otherEndClosed() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
}

// Applies a received image; false (memory unchanged) when it is refused.
bool applyImage(ReceiverMemory& memory, const std::vector<std::uint8_t>& image, const RunSettings& settings) {
    try {
        for (const auto& block : bv3::stbsim::applyDownloadImage(memory, image)) {
            std::cerr << "stb-sim: applied " << block.length << " bytes at $" << std::hex << std::uppercase
                      << block.address << std::dec << " to the " << block.target << '\n';
        }
    } catch (const bv3::stbsim::ImageRefused& refusal) {
        std::cerr << "stb-sim: download image refused, memory unchanged: " << refusal.what() << '\n';
        return false;
    }
    if (!settings.memoryOut.empty()) {
        saveFile(settings.memoryOut, memory.uploadedImage());
        std::cerr << "stb-sim: memory saved to " << settings.memoryOut << '\n';
    }
    return true;
}

// The exchange's recording, as seeds for the line fuzzers (the newest session's, when several).
void saveRecording(const RunSettings& settings, const LineRecording& recording) {
    if (!settings.recordLine.empty()) {
        saveFile(settings.recordLine, recording.lineScript());
    }
    if (!settings.recordPc.empty()) {
        saveFile(settings.recordPc, recording.pcBytes());
    }
}

int run(const RunSettings& settings, const bv3::stbsim::SimulatorOptions& options) {
    SimPort port =
        settings.device.empty() ? SimPort::openPseudoTerminal() : SimPort::openDevice(settings.device, settings.baud);
    std::cout << port.otherName() << std::endl;

    ReceiverMemory memory = settings.memoryFile.empty() ? ReceiverMemory::samplePattern()
                                                        : ReceiverMemory::fromUploadedImageFile(settings.memoryFile);
    int status = 0;
    for (unsigned session = 1; session <= settings.sessions; ++session) {
        if (!waitForThePc(port, settings.waitSeconds)) {
            return 1;
        }
        LineRecording recording;
        PortLink link(port, recording);
        ReceiverSimulator simulator(memory, options, link);
        const bool served = serve(port, simulator, recording);
        saveRecording(settings, recording);
        if (!served) {
            // The PC gave the exchange up (a cancelled transfer): it is lost, and the sessions
            // left are still served, as a receiver starts over when the PC calls again.
            status = 1;
            continue;
        }
        if (simulator.hungUp()) {
            return status;
        }
        if (simulator.mode() == SessionMode::Download) {
            std::cerr << "stb-sim: download finished: " << simulator.downloaded().size() << " bytes received\n";
            if (!settings.saveTo.empty()) {
                saveFile(settings.saveTo, simulator.downloaded());
            }
            if (settings.apply && !applyImage(memory, simulator.downloaded(), settings)) {
                status = 1;
            }
        } else {
            std::cerr << "stb-sim: upload finished: " << simulator.requestsServed() << " read requests served\n";
        }
        waitForThePcToLeave(port);
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"stb-sim - plays the Brevora V3 receiver on a pseudo-terminal or a serial device", "stb-sim"};
    app.set_version_flag("--version", "stb-sim " BV3_VERSION);
    RunSettings settings;
    std::uint64_t silenceMs = 3500;
    bv3::stbsim::SimulatorOptions options;
    app.add_option("--device", settings.device, "use this device instead of a new pseudo-terminal");
    app.add_option("--baud", settings.baud, "line rate for --device (9600, 19200, 38400, 57600, 115200)");
    app.add_option("--memory", settings.memoryFile,
                   "load memory from a 401,408-byte image in the uploaded (complemented) form")
        ->check(CLI::ExistingFile);
    app.add_option("--noise", options.bytesBeforeStx, "send this many noise bytes before the announcement's STX");
    app.add_flag("--stx-twice", options.stxTwice, "send the announcement's STX twice");
    app.add_option("--download-size", options.downloadSize,
                   "download: bytes of the file to fetch (with --apply, default: the image's own length)")
        ->check(CLI::Range(0u, 0x1000000u));
    app.add_option("--request-size", options.requestSize, "download: bytes per request (1..65535)")
        ->check(CLI::Range(1u, 0xFFFFu));
    app.add_option("--save", settings.saveTo, "download: write the received file here");
    app.add_flag("--apply", settings.apply, "download: decode the received image and write it into memory");
    app.add_option("--memory-out", settings.memoryOut,
                   "after applying an image, save the memory here in the uploaded (complemented) form");
    app.add_option("--sessions", settings.sessions, "serve this many exchanges (uploads or downloads) in turn")
        ->check(CLI::Range(1u, 1000u));
    app.add_option("--silence-after", options.silenceAfterByte, "fall silent after sending byte K (from 1)");
    app.add_option("--silence-ms", silenceMs, "how long to stay silent (more than 3000 restarts an upload block)");
    app.add_option("--hang-up-after", options.hangUpAfterByte, "close the line after sending byte K");
    app.add_option("--garbage-after", options.garbageAfterByte, "send garbage after sending byte K");
    app.add_option("--garbage-count", options.garbageCount, "how many garbage bytes");
    app.add_option("--record-line", settings.recordLine,
                   "write what this side sent as a line script for the PC protocols' fuzzers");
    app.add_option("--record-pc", settings.recordPc, "write the bytes the PC sent, for the receiver's fuzzer");
    app.add_option("--wait", settings.waitSeconds, "seconds to wait for the PC to open the line");
    CLI11_PARSE(app, argc, argv);
    options.silence = std::chrono::milliseconds(silenceMs);
    options.sizeFromImageHeader = settings.apply && options.downloadSize == 0;
    try {
        return run(settings, options);
    } catch (const std::exception& failure) {
        std::cerr << "stb-sim: " << failure.what() << '\n';
        return 1;
    }
}
