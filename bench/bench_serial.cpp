// One-byte lock-step exchange over a pseudo-terminal, the pattern of the receiver transfers
// (about 500,000 round trips for one upload). A peer thread on the pty master sends a byte
// and waits for the answer, over and over; the benchmark thread answers on the slave side:
//   PlainBlocking:  blocking read, write the answer;
//   PlainThreadHop: a reader thread reads and hands the byte to the benchmark thread, waiting
//                   until that has written the answer (one hop each way, like the event thread);
//   TComm:          the serial component: event thread, hand-off to the Qt event loop,
//                   OnRxChar reads and writes the answer.
// Each iteration is a batch of round trips; "per_roundtrip" is the time of one.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <time.h>
#include <QCoreApplication>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/qt/qt_ui_thread.h"
#include "serial/comm.h"

namespace {

constexpr int batch = 200;

class Pty {
public:
    Pty() {
        char name[256] = {};
        termios raw{};
        ::cfmakeraw(&raw);
        if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0) {
            throw std::runtime_error("openpty");
        }
        path_ = name;
    }
    ~Pty() {
        ::close(master_);
        ::close(slave_);
    }
    int master() const { return master_; }
    int slave() const { return slave_; }
    const std::string& path() const { return path_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// The receiver's side: sends a byte, waits for the answer, again, until stopped.
class Peer {
public:
    explicit Peer(int fd) : fd_(fd), thread_([this] { run(); }) {}
    ~Peer() {
        stop_ = true;
        thread_.join();
    }

private:
    bool waitReadable() {
        for (;;) {
            if (stop_) {
                return false;
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) {
                return true;
            }
        }
    }
    void run() {
        std::uint8_t byte = 0;
        while (!stop_) {
            if (::write(fd_, &byte, 1) != 1 || !waitReadable() || ::read(fd_, &byte, 1) != 1) {
                return;
            }
            ++byte;
        }
    }

    int fd_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// CPU time of the whole process (every thread, the peer included), which a busy machine
// disturbs far less than the elapsed time.
double processCpuUs() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

void report(benchmark::State& state, double cpuStartUs) {
    const double roundTrips = static_cast<double>(state.iterations()) * batch;
    state.SetItemsProcessed(state.iterations() * batch);
    state.counters["per_roundtrip"] =
        benchmark::Counter(batch, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["cpu_us_per_roundtrip"] = (processCpuUs() - cpuStartUs) / roundTrips;
}

void PlainBlocking(benchmark::State& state) {
    Pty pty;
    Peer peer(pty.master());
    const double cpuStart = processCpuUs();
    for (auto _ : state) {
        for (int i = 0; i < batch; ++i) {
            std::uint8_t byte;
            if (::read(pty.slave(), &byte, 1) != 1 || ::write(pty.slave(), &byte, 1) != 1) {
                state.SkipWithError("pty failed");
                return;
            }
        }
    }
    report(state, cpuStart);
}

void PlainThreadHop(benchmark::State& state) {
    Pty pty;
    std::mutex mutex;
    std::condition_variable changed;
    bool received = false;
    bool answered = false;
    std::uint8_t byte = 0;
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop) {
            pollfd p{pty.slave(), POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) {
                continue;
            }
            std::unique_lock lock(mutex);
            if (::read(pty.slave(), &byte, 1) != 1) {
                return;
            }
            received = true;
            answered = false;
            changed.notify_all();
            changed.wait(lock, [&] { return answered || stop; });
        }
    });
    const double cpuStart = processCpuUs();
    {
        Peer peer(pty.master());
        for (auto _ : state) {
            for (int i = 0; i < batch; ++i) {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return received; });
                received = false;
                (void)!::write(pty.slave(), &byte, 1);
                answered = true;
                changed.notify_all();
            }
        }
        stop = true;
        std::lock_guard lock(mutex);
        answered = true;
        changed.notify_all();
    }
    reader.join();
    report(state, cpuStart);
}

void TCommPingPong(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "bench_serial";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);  // the hand-off needs an event loop, not widgets
    bv3::platform::useQtUiThread();

    Pty pty;
    bv3::serial::TComm comm;
    comm.SetDeviceName(pty.path());
    long answered = 0;
    comm.OnRxChar = [&](bv3::serial::TComm& sender, int) {
        std::uint8_t buffer[16];
        const int n = sender.Read(buffer);
        if (n > 0) {
            sender.Write({buffer, static_cast<std::size_t>(n)});
            answered += n;
        }
    };
    comm.Open();
    const double cpuStart = processCpuUs();
    {
        Peer peer(pty.master());
        for (auto _ : state) {
            const long target = answered + batch;
            while (answered < target) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            }
        }
        comm.Close();
    }
    report(state, cpuStart);
}

}  // namespace

BENCHMARK(PlainBlocking)->UseRealTime()->MinTime(1.0);
BENCHMARK(PlainThreadHop)->UseRealTime()->MinTime(1.0);
BENCHMARK(TCommPingPong)->UseRealTime()->MinTime(1.0);
