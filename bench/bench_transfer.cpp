// Timing of whole transfers against stb-sim over a pseudo-terminal, and the limits the
// lock-step protocol sets for the same number of round trips: a plain ping-pong between two
// threads on a pseudo-terminal, and the same with one hand-off to a second thread on the PC
// side (the serial component's event thread handing each notification to the UI thread).
#include "platform/inline_ui_thread.h"
#include "platform/manual_ui_thread.h"
#include "sim_process.h"
#include "transfer/download_session.h"
#include "transfer/port_setup.h"
#include "transfer/transfer_texts.h"
#include "transfer/qt/upload_dialog.h"
#include "transfer/upload_session.h"
#include "ui/qt/application.h"

#include <benchmark/benchmark.h>

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>

namespace {

using namespace std::chrono_literals;

// Bytes the receiver sends in a whole upload, each answered by one byte of the PC: the
// announcement, the answers to the mode frame, 97 blocks with their request answers and ETX,
// and the answers to the end frame.
constexpr std::int64_t uploadRoundTrips = 7 + 7 + (9 + 8192 + 1) + 96 * (9 + 4096 + 1) + 3;
constexpr std::int64_t downloadSize = 256 * 1024;
// Round trips of a download in 4 KB requests: 8 request bytes, the STX, one per 128-byte
// chunk and one for the ETX per request, plus the announcement, mode frame and end request.
constexpr std::int64_t downloadRoundTrips = 7 + 3 + (downloadSize / 4096) * (8 + 1 + 32 + 1) + 3;

// 10 bits a byte (start, 8 data, stop) at 115200 bit/s.
constexpr double secondsPerByte = 10.0 / 115200.0;

struct PtyPair {
    PtyPair() {
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&master, &slave, nullptr, &raw, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
    }
    ~PtyPair() {
        ::close(master);
        ::close(slave);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;
    int master = -1;
    int slave = -1;
};

void readOne(int fd) {
    std::uint8_t b = 0;
    while (::read(fd, &b, 1) != 1) {
    }
}
void writeOne(int fd) {
    const std::uint8_t b = 0x06;
    while (::write(fd, &b, 1) != 1) {
    }
}

void setCounters(benchmark::State& state, std::int64_t roundTrips, double lineBoundSeconds) {
    state.counters["round_trips"] = static_cast<double>(roundTrips);
    state.counters["us_per_round_trip"] =
        benchmark::Counter(static_cast<double>(roundTrips) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["line_bound_115200_s"] = lineBoundSeconds;
}

void BM_PtyPingPong(benchmark::State& state) {
    const std::int64_t trips = state.range(0);
    for (auto _ : state) {
        PtyPair pty;
        std::thread receiver([&] {
            for (std::int64_t i = 0; i < trips; ++i) {
                writeOne(pty.master);
                readOne(pty.master);
            }
        });
        for (std::int64_t i = 0; i < trips; ++i) {
            readOne(pty.slave);
            writeOne(pty.slave);
        }
        receiver.join();
    }
    setCounters(state, trips, static_cast<double>(trips) * 2 * secondsPerByte);
}

void BM_PtyPingPongOneHop(benchmark::State& state) {
    const std::int64_t trips = state.range(0);
    for (auto _ : state) {
        PtyPair pty;
        std::thread receiver([&] {
            for (std::int64_t i = 0; i < trips; ++i) {
                writeOne(pty.master);
                readOne(pty.master);
            }
        });
        // The PC side: an event thread waits for input and hands each notification to the
        // "UI thread" (here the benchmark's thread), waiting until it has been handled.
        std::mutex mutex;
        std::condition_variable changed;
        bool pending = false;
        bool stop = false;
        std::thread events([&] {
            for (;;) {
                pollfd p{pty.slave, POLLIN, 0};
                ::poll(&p, 1, 100);
                std::unique_lock lock(mutex);
                if (stop) {
                    return;
                }
                if ((p.revents & POLLIN) == 0) {
                    continue;
                }
                pending = true;
                changed.notify_all();
                changed.wait(lock, [&] { return !pending || stop; });
            }
        });
        for (std::int64_t i = 0; i < trips; ++i) {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return pending; });
            readOne(pty.slave);
            writeOne(pty.slave);
            pending = false;
            changed.notify_all();
        }
        {
            std::lock_guard lock(mutex);
            stop = true;
            changed.notify_all();
        }
        events.join();
        receiver.join();
    }
    setCounters(state, trips, static_cast<double>(trips) * 2 * secondsPerByte);
}

// Notes when the receiver's announcement began (its STX: the exchange proper starts) and when
// the transfer closed, so that a run is timed without the simulator's start and its pause
// before it announces itself.
class QuietView final : public bv3::transfer::TransferView, public bv3::transfer::Watchdog {
public:
    void showPhase(bv3::transfer::TransferPhase phase) override {
        if (phase == bv3::transfer::TransferPhase::Connected && !connectedAt) {
            connectedAt = std::chrono::steady_clock::now();
        }
    }
    void showCounter(bv3::transfer::BlockCounter) override {}
    void showProgress(int) override {}
    void showFailure(const bv3::transfer::TransferFailure&) override {}
    void reportFailure(const bv3::transfer::TransferFailure&) override {}
    void close() override {
        closed = true;
        closedAt = std::chrono::steady_clock::now();
    }
    void setWatchdogRunning(bool) override {}
    bool closed = false;
    std::optional<std::chrono::steady_clock::time_point> connectedAt;
    std::chrono::steady_clock::time_point closedAt;
};

std::string scratch(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("bv3-bench-" + std::to_string(::getpid()) + "-" + name)).string();
}

// This thread's look at the transfer every 20 ms: with the handlers run by the port's event
// thread in the UI thread's role (the command-line path of bv3), or handed to this thread.
void lookIn(bv3::platform::InlineUiThread& ui, const std::function<void()>& step) {
    ui.turn(20ms, step);
}
void lookIn(bv3::platform::ManualUiThread& ui, const std::function<void()>& step) {
    ui.pump(20ms);
    step();
}

// Runs one transfer; returns the seconds from the receiver's first framing byte to the close.
template <class Session, class Ui>
double runSession(const std::string& device, const std::string& file) {
    Ui ui;
    bv3::platform::UiThread* previous = bv3::platform::setUiThread(&ui);
    bv3::serial::TComm comm;
    bv3::transfer::configureTransferPort(comm);
    comm.SetDeviceName(device);
    comm.SetBaudRate(bv3::serial::TBaudrate::br115200);
    QuietView view;
    std::optional<Session> holder;
    if constexpr (std::is_same_v<Session, bv3::transfer::UploadSession>) {
        holder.emplace(comm, view, view);
    } else {
        holder.emplace(comm, view);
    }
    Session& session = *holder;
    session.setFilePath(file);
    bool started = false;
    bool running = true;
    while (running) {
        lookIn(ui, [&] {
            if (!started) {
                session.start();
                started = true;
            }
            running = !view.closed && !session.failed();
            if (!running) {
                comm.Close();
            }
        });
    }
    bv3::platform::setUiThread(previous);
    if (const auto& failure = session.failure()) {
        throw std::runtime_error(bv3::transfer::failureText(*failure));
    }
    if (!view.connectedAt) {
        throw std::runtime_error("the transfer closed without an announcement");
    }
    return std::chrono::duration<double>(view.closedAt - *view.connectedAt).count();
}

template <class Ui>
void BM_UploadOverPty(benchmark::State& state) {
    const std::string target = scratch("upload.raw");
    for (auto _ : state) {
        bv3::testing::Simulator sim(scratch("sim"), {});
        state.SetIterationTime(runSession<bv3::transfer::UploadSession, Ui>(sim.device(), target));
        sim.wait();
    }
    std::filesystem::remove(target);
    setCounters(state, uploadRoundTrips, static_cast<double>(uploadRoundTrips) * 2 * secondsPerByte);
    state.counters["bytes_per_s"] =
        benchmark::Counter(401408.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_UploadDialogOverPty(benchmark::State& state) {
    bv3::ui::application();
    const std::string target = scratch("dialog.raw");
    for (auto _ : state) {
        bv3::testing::Simulator sim(scratch("sim"), {});
        bv3::transfer::TfrmUpLoad dialog;
        dialog.SetupDevice(sim.device(), bv3::serial::TBaudrate::br115200, target);
        dialog.exec();
        sim.wait();
    }
    std::filesystem::remove(target);
    setCounters(state, uploadRoundTrips, static_cast<double>(uploadRoundTrips) * 2 * secondsPerByte);
    state.counters["bytes_per_s"] =
        benchmark::Counter(401408.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

template <class Ui>
void BM_Download256KOverPty(benchmark::State& state) {
    const std::string source = scratch("image.bin");
    bv3::testing::writeBytes(source, std::vector<std::uint8_t>(downloadSize, 0x5A));
    for (auto _ : state) {
        bv3::testing::Simulator sim(scratch("sim"), {"--download-size", std::to_string(downloadSize)});
        state.SetIterationTime(runSession<bv3::transfer::DownloadSession, Ui>(sim.device(), source));
        sim.wait();
    }
    std::filesystem::remove(source);
    // On the line, the PC sends the file and one byte per round trip besides; the receiver one
    // byte per round trip.
    setCounters(state, downloadRoundTrips,
                (static_cast<double>(downloadSize) + 2.0 * static_cast<double>(downloadRoundTrips)) * secondsPerByte);
    state.counters["bytes_per_s"] =
        benchmark::Counter(static_cast<double>(downloadSize * state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_PtyPingPong)
    ->Arg(uploadRoundTrips)
    ->Arg(downloadRoundTrips)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PtyPingPongOneHop)
    ->Arg(uploadRoundTrips)
    ->Arg(downloadRoundTrips)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
// The command-line path (handlers on the port's event thread), then the same with every
// notification handed to a pumped UI thread, as before.
// Timed from the receiver's first framing byte to the close (UseManualTime).
BENCHMARK_TEMPLATE(BM_UploadOverPty, bv3::platform::InlineUiThread)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_UploadOverPty, bv3::platform::ManualUiThread)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UploadDialogOverPty)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Download256KOverPty, bv3::platform::InlineUiThread)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Download256KOverPty, bv3::platform::ManualUiThread)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
