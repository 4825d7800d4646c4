#include "bv3/transfer_runner.h"

#include "bv3/command_registry.h"
#include "bv3/gui_loader.h"
#include "bv3/terminal_progress.h"
#include "platform/inline_ui_thread.h"
#include "serial/open_failure_hint.h"
#include "transfer/download_session.h"
#include "transfer/port_setup.h"
#include "transfer/transfer_texts.h"
#include "transfer/upload_session.h"

#include <atomic>
#include <csignal>
#include <optional>

namespace bv3::cli {

namespace {

using namespace std::chrono_literals;

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted = true;
}

// Ctrl-C cancels the transfer like the dialog's Cancel button, for the life of the object.
class InterruptGuard {
public:
    InterruptGuard() {
        interrupted = false;
        previous_ = std::signal(SIGINT, onInterrupt);
    }
    ~InterruptGuard() { std::signal(SIGINT, previous_); }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    void (*previous_)(int);
};

// The dialog's lines on one terminal line: the status and retry lines as the status, the
// block counter beside the bar. A reported failure is kept for the command to raise.
class TerminalView final : public transfer::TransferView, public transfer::Watchdog {
public:
    explicit TerminalView(ProgressMode mode) : progress_(mode) {}
    void showPhase(transfer::TransferPhase phase) override { status(transfer::phaseText(phase)); }
    void showCounter(transfer::BlockCounter counter) override { progress_.counter(transfer::counterText(counter)); }
    void showRetry(transfer::RetryNotice retry) override { status(transfer::retryText(retry)); }
    void showFailure(const transfer::TransferFailure& failure) override {
        status(transfer::failureStatusText(failure));
    }
    void showProgress(int percent) override { progress_.percent(percent); }
    void showTransferred(std::int64_t done, std::int64_t total) override { progress_.transferred(done, total); }
    void reportFailure(const transfer::TransferFailure& failure) override { reported_ = failure; }
    void close() override { closed_ = true; }
    void setWatchdogRunning(bool running) override {
        deadline_ = running ? std::optional(std::chrono::steady_clock::now() + 3000ms) : std::nullopt;
    }

    bool closed() const { return closed_; }
    bool watchdogDue() const { return deadline_ && std::chrono::steady_clock::now() >= *deadline_; }
    const std::optional<transfer::TransferFailure>& reported() const { return reported_; }
    TerminalProgress& progress() { return progress_; }

private:
    // A repeated status (the same phase shown again) is not printed twice.
    void status(const std::string& text) {
        if (text != lastStatus_) {
            lastStatus_ = text;
            progress_.status(text);
        }
    }

    TerminalProgress progress_;
    std::string lastStatus_;
    std::optional<transfer::TransferFailure> reported_;
    bool closed_ = false;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
};

serial::TBaudrate rateOf(std::uint32_t baud) {
    if (const auto rate = transfer::baudRateForBits(baud)) {
        return *rate;
    }
    throw CLI::ValidationError("--baud", std::to_string(baud) + " is not one of 9600, 19200, 38400, 57600, 115200");
}

// Runs the transfer until the view closes; the session has bound itself to its port. The
// port's event thread runs the handlers itself, in the UI thread's role; this thread takes the
// role every 20 ms for the limits on the receiver's silence and for Ctrl-C.
template <class Session>
void runOnTerminal(Session& session, serial::TComm& comm, TerminalView& view, platform::InlineUiThread& ui,
                   const TransferCommandOptions& options) {
    // The protocol's own watchdog only restarts a block, and only once until the next byte;
    // this is the limit on waiting for a receiver that said nothing at all.
    auto lastByte = std::chrono::steady_clock::now();
    std::uint64_t bytesSeen = 0;
    const std::chrono::seconds silenceLimit(options.timeoutSeconds);
    session.setFilePath(options.file);
    if constexpr (requires { session.prepareTarget(); }) {
        session.prepareTarget();
    }
    const auto started = [&] {
        try {
            session.start();
        } catch (const serial::ECommError& failure) {
            std::string message = "cannot open the port " + options.port + ": " + failure.what();
            if (const std::string hint = serial::OpenFailureHint(failure, options.port); !hint.empty()) {
                message += "\n" + hint;
            }
            throw CommandFailure(message);
        }
        if (view.reported()) {
            // The dialog would show this and wait for Cancel; on the command line there is no
            // point in waiting for a receiver whose requests must all be refused.
            comm.Close();
            throw CommandFailure(transfer::failureReportText(*view.reported()));
        }
        view.progress().status(transfer::phaseText(transfer::TransferPhase::Waiting));
    };
    // The port's notifications may start as soon as it is open.
    ui.turn(0ms, started);
    InterruptGuard guard;
    bool running = true;
    while (running) {
        ui.turn(20ms, [&] {
            if (view.closed() || session.failed()) {
                running = false;
                return;
            }
            if (session.bytesReceived() != bytesSeen) {
                bytesSeen = session.bytesReceived();
                lastByte = std::chrono::steady_clock::now();
            }
            if constexpr (requires { session.onWatchdog(); }) {
                if (view.watchdogDue()) {
                    session.onWatchdog();
                }
            }
            if (silenceLimit.count() > 0 && !view.closed() && !session.failed() &&
                std::chrono::steady_clock::now() - lastByte >= silenceLimit) {
                session.abandon("the receiver stopped answering (nothing received for " +
                                std::to_string(options.timeoutSeconds) + " s)");
                running = false;
                return;
            }
            if (interrupted) {
                session.cancel();
                comm.Close();
                throw CommandFailure("cancelled");
            }
        });
    }
    ui.turn(0ms, [&] {
        comm.Close();
        view.progress().finish();
    });
    if (const auto& failure = session.failure()) {
        throw CommandFailure(transfer::failureText(*failure));
    }
}

void runWithoutDialog(TransferDirection direction, const TransferCommandOptions& options) {
    platform::InlineUiThread ui;
    platform::UiThread* previous = platform::setUiThread(&ui);
    struct Restore {
        platform::UiThread* previous;
        ~Restore() { platform::setUiThread(previous); }
    } restore{previous};

    serial::TComm comm;
    transfer::configureTransferPort(comm);
    comm.SetDeviceName(options.port);
    comm.SetBaudRate(rateOf(options.baud));
    TerminalView view(options.progress);
    if (direction == TransferDirection::Upload) {
        transfer::UploadSession session(comm, view, view);
        runOnTerminal(session, comm, view, ui, options);
        if (!view.progress().quiet()) {
            std::fprintf(stderr, "bv3: received %d bytes into %s (%d retries)\n", transfer::uploadImageSize,
                         options.file.c_str(), session.protocol().retryCount());
        }
    } else {
        transfer::DownloadSession session(comm, view);
        runOnTerminal(session, comm, view, ui, options);
        if (!session.completed()) {
            throw CommandFailure("the transfer ended before the receiver's end request");
        }
        if (!view.progress().quiet()) {
            std::fprintf(stderr, "bv3: sent %s to the receiver\n", options.file.c_str());
        }
    }
}

// The dialog comes from the windowed part, loaded only now.
void runInDialog(TransferDirection direction, const TransferCommandOptions& options) {
    const Bv3GuiTransfer request{.upload = direction == TransferDirection::Upload ? 1 : 0,
                                 .file = options.file.c_str(),
                                 .port = options.port.c_str(),
                                 .baudRate = static_cast<int>(rateOf(options.baud)),
                                 .screenshot = options.screenshot.c_str(),
                                 .screenshotPercent = static_cast<int>(options.screenshotPercent)};
    runGuiTransfer(request);
}

}  // namespace

void addTransferOptions(CLI::App& command, TransferCommandOptions& options) {
    command.add_option("FILE", options.file, "the image file")->required();
    command.add_option("--port", options.port, "serial device: Com1..Com4 or a device path")->required();
    addNumberOption(command, "--baud", options.baud, "line rate: 9600, 19200, 38400, 57600 or 115200 (default 115200)");
    command.add_flag("--gui", options.gui, "run the transfer in its dialog");
    command.add_option("--screenshot", options.screenshot, "with --gui: save a picture of the dialog (PNG)");
    addNumberOption(command, "--screenshot-at", options.screenshotPercent,
                    "with --screenshot: take it when the gauge reaches this percent (default 50)", 100);
    addNumberOption(command, "--timeout", options.timeoutSeconds,
                    "without --gui: give up when the receiver sends nothing for SECONDS (default 30, 0 = never)");
    addProgressOptions(command, options.progress);
}

void runTransfer(TransferDirection direction, const TransferCommandOptions& options) {
    if (options.gui) {
        runInDialog(direction, options);
    } else {
        runWithoutDialog(direction, options);
    }
}

}  // namespace bv3::cli
