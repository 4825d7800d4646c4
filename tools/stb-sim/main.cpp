// stb-sim: plays the receiver's side of the serial protocol on a pseudo-terminal (whose other
// end it prints on the first line of stdout) or on a given device, for tests, benchmarks and
// demonstrations without a receiver.

#include "stb-sim/receiver_memory.h"
#include "stb-sim/receiver_simulator.h"
#include "stb-sim/sim_port.h"

#include <CLI/CLI.hpp>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using bv3::stbsim::ReceiverMemory;
using bv3::stbsim::ReceiverSimulator;
using bv3::stbsim::SessionMode;
using bv3::stbsim::SimPort;

class PortLink final : public bv3::stbsim::ReceiverLink {
public:
    explicit PortLink(SimPort& port) : port_(port) {}
    void send(std::span<const std::uint8_t> bytes) override { port_.write(bytes); }
    void pause(std::chrono::milliseconds duration) override {
        std::cerr << "stb-sim: falling silent for " << duration.count() << " ms\n";
        std::this_thread::sleep_for(duration);
    }
    void hangUp() override {
        std::cerr << "stb-sim: hanging up\n";
        port_.close();
    }

private:
    SimPort& port_;
};

void saveFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            throw std::runtime_error(path + ": cannot write the received file");
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        throw std::runtime_error(path + ": cannot write the received file");
    }
}

int run(const std::string& device, unsigned baud, const std::string& memoryFile, const std::string& saveTo,
        bv3::stbsim::SimulatorOptions options, unsigned waitSeconds) {
    SimPort port = device.empty() ? SimPort::openPseudoTerminal() : SimPort::openDevice(device, baud);
    std::cout << port.otherName() << std::endl;

    ReceiverMemory memory =
        memoryFile.empty() ? ReceiverMemory::samplePattern() : ReceiverMemory::fromUploadedImageFile(memoryFile);

    // The receiver speaks only once somebody listens: wait for the PC to open its end, then
    // give it a moment to set the line up (opening may discard pending input).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(waitSeconds);
    while (port.otherEndClosed()) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::cerr << "stb-sim: nobody opened " << port.otherName() << " within " << waitSeconds << " s\n";
            return 1;
        }
        std::this_thread::sleep_for(10ms);
    }
    std::this_thread::sleep_for(200ms);

    PortLink link(port);
    ReceiverSimulator simulator(memory, options, link);
    simulator.start();

    std::array<std::uint8_t, 4096> buffer{};
    bool heardAnything = false;
    auto lastAnnouncement = std::chrono::steady_clock::now();
    while (!simulator.done()) {
        const auto got = port.read(buffer, 100ms);
        if (!got) {
            std::cerr << "stb-sim: the PC closed the line before the end of the exchange\n";
            return 1;
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
        for (std::size_t i = 0; i < *got && !simulator.done(); ++i) {
            simulator.handleByte(buffer[i]);
        }
    }
    if (simulator.hungUp()) {
        return 0;
    }
    if (simulator.mode() == SessionMode::Download) {
        std::cerr << "stb-sim: download finished: " << simulator.downloaded().size() << " bytes received\n";
        if (!saveTo.empty()) {
            saveFile(saveTo, simulator.downloaded());
        }
    } else {
        std::cerr << "stb-sim: upload finished: " << simulator.requestsServed() << " read requests served\n";
    }
    // Let the PC read our last byte before the line goes away.
    const auto drainDeadline = std::chrono::steady_clock::now() + 5s;
    while (!port.otherEndClosed() && std::chrono::steady_clock::now() < drainDeadline) {
        std::this_thread::sleep_for(10ms);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"stb-sim - plays the Brevora V3 receiver on a pseudo-terminal or a serial device"};
    std::string device;
    unsigned baud = 115200;
    std::string memoryFile;
    std::string saveTo;
    unsigned waitSeconds = 60;
    std::uint64_t silenceMs = 3500;
    bv3::stbsim::SimulatorOptions options;
    app.add_option("--device", device, "use this device instead of a new pseudo-terminal");
    app.add_option("--baud", baud, "line rate for --device (9600, 19200, 38400, 57600, 115200)");
    app.add_option("--memory", memoryFile, "load memory from a 401,408-byte image in the uploaded (complemented) form")
        ->check(CLI::ExistingFile);
    app.add_option("--noise", options.bytesBeforeStx, "send this many noise bytes before the announcement's STX");
    app.add_flag("--stx-twice", options.stxTwice, "send the announcement's STX twice");
    app.add_option("--download-size", options.downloadSize, "download: bytes of the file to fetch")
        ->check(CLI::Range(0u, 0x1000000u));
    app.add_option("--request-size", options.requestSize, "download: bytes per request (1..65535)")
        ->check(CLI::Range(1u, 0xFFFFu));
    app.add_option("--save", saveTo, "download: write the received file here");
    app.add_option("--silence-after", options.silenceAfterByte, "fall silent after sending byte K (from 1)");
    app.add_option("--silence-ms", silenceMs, "how long to stay silent (more than 3000 restarts an upload block)");
    app.add_option("--hang-up-after", options.hangUpAfterByte, "close the line after sending byte K");
    app.add_option("--garbage-after", options.garbageAfterByte, "send garbage after sending byte K");
    app.add_option("--garbage-count", options.garbageCount, "how many garbage bytes");
    app.add_option("--wait", waitSeconds, "seconds to wait for the PC to open the line");
    CLI11_PARSE(app, argc, argv);
    options.silence = std::chrono::milliseconds(silenceMs);
    try {
        return run(device, baud, memoryFile, saveTo, options, waitSeconds);
    } catch (const std::exception& failure) {
        std::cerr << "stb-sim: " << failure.what() << '\n';
        return 1;
    }
}
