// Event delivery: from the event thread to the handlers on the UI thread.
#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <atomic>
#include <ctime>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/inline_ui_thread.h"
#include "platform/manual_ui_thread.h"
#include "serial/comm.h"
#include "serial/comm_event_thread.h"
#include "serial/comm_line_translation.h"
#include "serial_fake_device.h"
#include "serial_test_support.h"

namespace bv3::serial {
namespace {

using namespace commevent;
using testing::FakeComm;
using testing::FakeScript;
using testing::PtyPair;

// CPU time the whole process spends while the calling thread sleeps for `span`: an event
// thread that spins shows up as a large share of it.
double cpuMsWhileSleeping(std::chrono::milliseconds span) {
    timespec start{}, end{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &start);
    std::this_thread::sleep_for(span);
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &end);
    return static_cast<double>(end.tv_sec - start.tv_sec) * 1e3 +
           static_cast<double>(end.tv_nsec - start.tv_nsec) / 1e6;
}

class SerialEvents : public ::testing::Test {
protected:
    void SetUp() override { previous_ = platform::setUiThread(&ui_); }
    void TearDown() override { platform::setUiThread(previous_); }

    void pump() { ui_.pump(std::chrono::milliseconds(5)); }
    bool pumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
        return testing::pumpUntil([this] { pump(); }, done, timeout);
    }
    // Pumps for a while and reports nothing: for "nothing more arrives" checks.
    void pumpFor(std::chrono::milliseconds span) {
        const auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end) {
            pump();
        }
    }

    platform::ManualUiThread ui_;
    platform::UiThread* previous_ = nullptr;
};

TEST_F(SerialEvents, ReceivedBytesReachOnRxCharOnTheUiThread) {
    PtyPair pty;
    TComm comm;
    comm.SetDeviceName(pty.path());
    std::vector<std::uint8_t> got;
    std::vector<int> counts;
    bool onUiThread = true;
    const auto uiThread = std::this_thread::get_id();
    comm.OnRxChar = [&](TComm& sender, int count) {
        onUiThread = onUiThread && std::this_thread::get_id() == uiThread;
        EXPECT_EQ(&sender, &comm);
        counts.push_back(count);
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(count));
        const int n = sender.Read(buffer);
        got.insert(got.end(), buffer.begin(), buffer.begin() + n);
    };
    comm.Open();
    pty.send({'a', 'b', 'c'});
    ASSERT_TRUE(pumpUntil([&] { return got.size() == 3; }));
    EXPECT_EQ(got, (std::vector<std::uint8_t>{'a', 'b', 'c'}));
    EXPECT_TRUE(onUiThread);
    for (int count : counts) {
        EXPECT_GT(count, 0);
    }
}

TEST_F(SerialEvents, HandlersRunInTheFixedOrderWithErrorWordAndCount) {
    auto script = std::make_shared<FakeScript>();
    script->status = {{platform::LineError::overrun, platform::LineError::framing}, 3};
    script->push(0x01FF);
    FakeComm comm(script);
    std::vector<std::string> calls;
    comm.OnBreak = [&](TComm&) { calls.push_back("Break"); };
    comm.OnCts = [&](TComm&) { calls.push_back("Cts"); };
    comm.OnDsr = [&](TComm&) { calls.push_back("Dsr"); };
    comm.OnError = [&](TComm&, int errors) { calls.push_back("Error " + std::to_string(errors)); };
    comm.OnRing = [&](TComm&) { calls.push_back("Ring"); };
    comm.OnRlsd = [&](TComm&) { calls.push_back("Rlsd"); };
    comm.OnRxChar = [&](TComm&, int count) { calls.push_back("RxChar " + std::to_string(count)); };
    comm.OnRxFlag = [&](TComm&) { calls.push_back("RxFlag"); };
    comm.OnTxEmpty = [&](TComm&) { calls.push_back("TxEmpty"); };
    comm.Open();
    ASSERT_TRUE(pumpUntil([&] { return calls.size() == 9; }));
    EXPECT_EQ(calls, (std::vector<std::string>{"Break", "Cts", "Dsr", "Error 10", "Ring", "Rlsd", "RxChar 3", "RxFlag",
                                               "TxEmpty"}));
    EXPECT_EQ(commEventMaskOf(script->watched), 0x01FFu);

    // With nothing waiting at dispatch OnRxChar stays silent; only the bits present count. The
    // next report (Ring) comes after every handler of the one before has run.
    calls.clear();
    script->status = {};
    script->push(EV_RXCHAR | EV_TXEMPTY);
    script->push(EV_RING);
    ASSERT_TRUE(pumpUntil([&] { return !calls.empty() && calls.back() == "Ring"; }));
    EXPECT_EQ(calls, (std::vector<std::string>{"TxEmpty", "Ring"}));
}

TEST_F(SerialEvents, MonitorEventsSelectTheDriverMask) {
    auto script = std::make_shared<FakeScript>();
    FakeComm comm(script);
    comm.SetMonitorEvents({TCommEventType::evRxChar, TCommEventType::evError});
    comm.Open();
    EXPECT_EQ(script->watched, (platform::PortEvents{platform::PortEvent::inputAvailable, platform::PortEvent::lineError,
                                                     platform::PortEvent::hangUp}));
}

// Drained output is watched only while OnTxEmpty has a handler: without one, every write of a
// lock-step transfer would cost a look at the output queue and a notification no one hears.
TEST_F(SerialEvents, DrainedOutputIsWatchedOnlyWhileOnTxEmptyListens) {
    using platform::PortEvent;
    auto script = std::make_shared<FakeScript>();
    script->writeResult = {platform::IoResult::Status::completed, 1, 0};
    FakeComm comm(script);
    const auto watchesDrained = [&] {
        std::lock_guard lock(script->mutex);
        return script->watched.has(PortEvent::outputDrained);
    };
    const std::uint8_t byte = 0x06;
    comm.Open();
    EXPECT_FALSE(watchesDrained());
    {
        std::lock_guard lock(script->mutex);
        EXPECT_TRUE(script->watched.has(PortEvent::inputAvailable));
        EXPECT_TRUE(script->watched.has(PortEvent::lineError));
    }
    // A handler assigned while open is heard from the next write on, and let go again.
    const struct {
        bool listen;
        bool watched;
    } steps[] = {{true, true}, {true, true}, {false, false}, {true, true}};
    for (const auto& step : steps) {
        comm.OnTxEmpty = step.listen ? TNotifyEvent([](TComm&) {}) : TNotifyEvent();
        comm.Write({&byte, 1});
        EXPECT_EQ(watchesDrained(), step.watched) << "listening " << step.listen;
    }
    comm.Close();
    comm.OnTxEmpty = [](TComm&) {};
    comm.Open();
    EXPECT_TRUE(watchesDrained());
}

TEST_F(SerialEvents, AHandlerMayCloseThePort) {
    PtyPair pty;
    TComm comm;
    const int before = testing::openFdCount();
    const int threadsBefore = testing::threadCount();
    comm.SetDeviceName(pty.path());
    int calls = 0;
    comm.OnRxChar = [&](TComm& sender, int) {
        ++calls;
        sender.Close();
    };
    comm.OnTxEmpty = [&](TComm&) { ADD_FAILURE() << "a handler after Close ran"; };
    comm.Open();
    pty.send({1});
    ASSERT_TRUE(pumpUntil([&] { return calls == 1; }));
    EXPECT_FALSE(comm.IsOpen());
    // The event thread could not be joined inside its own notification; it was joined as soon
    // as the notification returned, before the UI thread went back to its loop.
    EXPECT_EQ(testing::threadCount(), threadsBefore);
    pty.send({2, 3});
    pumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(testing::openFdCount(), before);

    comm.Open();  // and the port opens again with a fresh thread
    pty.send({4});
    ASSERT_TRUE(pumpUntil([&] { return calls == 2; }));
}

// On the command line the event thread runs the handlers itself: a handler that closes the
// port ends its own thread, which the UI thread's owner joins on its next turn.
TEST(SerialEventsInline, AHandlerOnTheEventThreadMayCloseThePort) {
    platform::InlineUiThread ui;
    platform::UiThread* previous = platform::setUiThread(&ui);
    {
        PtyPair pty;
        TComm comm;
        const int threadsBefore = testing::threadCount();
        comm.SetDeviceName(pty.path());
        std::atomic<int> calls{0};
        std::thread::id handlerThread;
        comm.OnRxChar = [&](TComm& sender, int) {
            handlerThread = std::this_thread::get_id();
            ++calls;
            sender.Close();
        };
        ui.turn(std::chrono::milliseconds(0), [&] { comm.Open(); });
        pty.send({1});
        const auto turnUntil = [&](const std::function<bool()>& done) {
            return testing::pumpUntil([&] { ui.turn(std::chrono::milliseconds(5)); }, done,
                                      std::chrono::milliseconds(5000));
        };
        ASSERT_TRUE(turnUntil([&] { return calls == 1; }));
        EXPECT_NE(handlerThread, std::this_thread::get_id());
        EXPECT_TRUE(turnUntil([&] { return testing::threadCount() == threadsBefore; }));
        ui.turn(std::chrono::milliseconds(0), [&] { EXPECT_FALSE(comm.IsOpen()); });

        ui.turn(std::chrono::milliseconds(0), [&] { comm.Open(); });  // a fresh thread, as before
        pty.send({2});
        ASSERT_TRUE(turnUntil([&] { return calls == 2; }));
    }
    platform::setUiThread(previous);
}

TEST_F(SerialEvents, NoNotificationArrivesAfterClose) {
    auto script = std::make_shared<FakeScript>();
    script->repeatEvents = {platform::PortEvent::breakDetected};  // the device reports without pause
    FakeComm comm(script);
    int calls = 0;
    comm.OnBreak = [&](TComm&) { ++calls; };
    comm.Open();
    ASSERT_TRUE(pumpUntil([&] { return calls >= 3; }));
    comm.Close();  // a notification is already queued for the UI thread by now
    const int atClose = calls;
    pumpFor(std::chrono::milliseconds(30));
    EXPECT_EQ(calls, atClose);
    // The output had left, so only the input queues were purged.
    EXPECT_EQ(script->purges, 1);
    EXPECT_EQ(script->purged, platform::PortQueues::input);
}

TEST_F(SerialEvents, AHandlerMayDestroyTheComponent) {
    auto script = std::make_shared<FakeScript>();
    script->push(EV_BREAK | EV_TXEMPTY);
    auto comm = std::make_unique<FakeComm>(script);
    bool destroyed = false;
    comm->OnBreak = [&](TComm&) {
        comm.reset();
        destroyed = true;
    };
    comm->Open();
    ASSERT_TRUE(pumpUntil([&] { return destroyed; }));
    pumpFor(std::chrono::milliseconds(20));
}

TEST_F(SerialEvents, AnExceptionFromAHandlerIsHandedOnAndDeliveryGoesOn) {
    auto script = std::make_shared<FakeScript>();
    script->status = {{}, 1};
    script->push(EV_RXCHAR | EV_TXEMPTY);
    FakeComm comm(script);
    std::vector<std::string> seen;
    int txEmpty = 0;
    comm.OnRxChar = [&](TComm&, int) { throw ECommError(commtext::readError, 5); };
    comm.OnTxEmpty = [&](TComm&) { ++txEmpty; };
    comm.OnHandlerException = [&](TComm& sender, std::exception_ptr error) {
        EXPECT_EQ(&sender, &comm);
        try {
            std::rethrow_exception(error);
        } catch (const ECommError& e) {
            seen.push_back(e.what());
        }
    };
    comm.Open();
    ASSERT_TRUE(pumpUntil([&] { return seen.size() == 1; }));
    EXPECT_EQ(seen[0], "Read error (Error: 5) ");
    EXPECT_EQ(txEmpty, 0);  // the rest of that notification is skipped, as after any raise

    script->push(EV_TXEMPTY);
    ASSERT_TRUE(pumpUntil([&] { return txEmpty == 1; }));
}

TEST_F(SerialEvents, TransmitEmptyFollowsAWrite) {
    PtyPair pty;
    TComm comm;
    comm.SetDeviceName(pty.path());
    int txEmpty = 0;
    int received = 0;
    comm.OnTxEmpty = [&](TComm&) { ++txEmpty; };
    comm.OnRxChar = [&](TComm& sender, int) {
        std::uint8_t buffer[8];
        received += sender.Read(buffer);
    };
    comm.Open();
    // A received byte is reported by a later look at the line than any transmit-empty report
    // before it, or together with one: once it is in, a wrong report would have shown.
    pty.send({1});
    ASSERT_TRUE(pumpUntil([&] { return received == 1; }));
    EXPECT_EQ(txEmpty, 0);  // nothing written, nothing to report
    const std::uint8_t byte = 0x33;
    comm.Write({&byte, 1});
    ASSERT_TRUE(pumpUntil([&] { return txEmpty == 1; }));
    pty.send({2});
    ASSERT_TRUE(pumpUntil([&] { return received == 2; }));
    EXPECT_EQ(txEmpty, 1);
}

// Bytes a handler leaves unread are not news again; bytes that arrive later are.
TEST_F(SerialEvents, UnreadInputIsReportedOnceAndNewInputAgain) {
    PtyPair pty;
    TComm comm;
    comm.SetDeviceName(pty.path());
    std::vector<int> counts;
    comm.OnRxChar = [&](TComm&, int count) { counts.push_back(count); };
    comm.Open();
    int txEmpty = 0;
    comm.OnTxEmpty = [&](TComm&) { ++txEmpty; };
    pty.send({1});
    ASSERT_TRUE(pumpUntil([&] { return counts.size() == 1; }));
    // A write's transmit-empty report comes from a later look at the device, which would have
    // reported the unread byte again had it counted as news.
    const std::uint8_t probe = 0x55;
    comm.Write({&probe, 1});
    ASSERT_TRUE(pumpUntil([&] { return txEmpty == 1; }));
    EXPECT_EQ(counts, std::vector<int>{1});
    pty.send({2});
    ASSERT_TRUE(pumpUntil([&] { return counts.size() == 2; }));
    EXPECT_EQ(counts.back(), 2);
}

// The lock-step exchange of the transfers: every answer arrives while the previous handler
// is still on its way out. None may be missed.
TEST_F(SerialEvents, LockStepExchangeMissesNoByte) {
    PtyPair pty;
    TComm comm;
    comm.SetDeviceName(pty.path());
    constexpr int rounds = 300;
    int received = 0;
    comm.OnRxChar = [&](TComm& sender, int) {
        std::uint8_t buffer[16];
        const int n = sender.Read(buffer);
        for (int i = 0; i < n; ++i) {
            ++received;
            const std::uint8_t reply = static_cast<std::uint8_t>(buffer[i] + 1);
            sender.Write({&reply, 1});
        }
    };
    comm.Open();
    std::thread peer([&] {
        std::uint8_t byte = 0;
        for (int i = 0; i < rounds; ++i) {
            if (::write(pty.master(), &byte, 1) != 1) {
                return;
            }
            const auto got = pty.receive(1);
            if (got.size() != 1) {
                return;
            }
            byte = got[0];
        }
    });
    const bool done = pumpUntil([&] { return received == rounds; });
    peer.join();
    EXPECT_TRUE(done) << received << " of " << rounds;
}

TEST_F(SerialEvents, HangUpIsReportedOnceWithoutSpinning) {
    PtyPair pty;
    TComm comm;
    const int before = testing::openFdCount();
    comm.SetDeviceName(pty.path());
    std::vector<int> errors;
    comm.OnError = [&](TComm&, int e) { errors.push_back(e); };
    comm.Open();
    pty.closeMaster();
    ASSERT_TRUE(pumpUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors[0] & commerror::CE_IOE, commerror::CE_IOE);

    // A spinning event thread would burn the whole interval on a core.
    EXPECT_LT(cpuMsWhileSleeping(std::chrono::milliseconds(300)), 60.0);
    pumpFor(std::chrono::milliseconds(10));
    EXPECT_EQ(errors.size(), 1u);

    comm.Close();
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(testing::openFdCount(), before - 1);  // only the master is gone
}

// A character device that is no terminal polls readable for ever and cannot count its input;
// the open port (left open by the control-block error) must not spin on it.
TEST_F(SerialEvents, ADeviceWithoutAnInputCountDoesNotSpin) {
    TComm comm;
    comm.SetDeviceName("/dev/null");
    EXPECT_THROW(comm.Open(), ECommError);
    ASSERT_TRUE(comm.IsOpen());
    EXPECT_LT(cpuMsWhileSleeping(std::chrono::milliseconds(300)), 60.0);
    comm.Close();
}

// A wait that keeps failing (a driver in trouble) is retried now and then, not in a loop, and
// after a bounded run of failures the owner hears of it as a line error of a device gone bad.
TEST_F(SerialEvents, AWaitThatKeepsFailingEndsInALineError) {
    auto script = std::make_shared<FakeScript>();
    script->failWaits = true;
    FakeComm comm(script);
    std::vector<int> errors;
    int waitsAtReport = 0;
    comm.OnError = [&](TComm&, int e) {
        errors.push_back(e);
        waitsAtReport = script->waits.load();
    };
    const auto opened = std::chrono::steady_clock::now();
    comm.Open();
    ASSERT_TRUE(pumpUntil([&] { return !errors.empty(); }, std::chrono::seconds(30)));
    EXPECT_EQ(errors[0] & commerror::CE_IOE, commerror::CE_IOE);
    EXPECT_EQ(waitsAtReport, TCommEventThread::failedWaitLimit);
    // A pause after every failure: a slow machine can only make this take longer.
    EXPECT_GE(std::chrono::steady_clock::now() - opened,
              std::chrono::milliseconds(TCommEventThread::failedWaitPauseMs * (TCommEventThread::failedWaitLimit - 1)));
    comm.Close();  // and Close still ends the thread at once
}

// A handler that closes, reopens and closes again: the second thread never delivered anything,
// so Close must stop it properly while it waits on the device, not leave it waiting on a freed
// one.
TEST_F(SerialEvents, AHandlerMayReopenAndCloseAgain) {
    auto script = std::make_shared<FakeScript>();
    script->status.inputCount = 1;
    FakeComm comm(script);
    const int threadsBefore = testing::threadCount();
    int calls = 0;
    bool reachedItsWait = true;
    comm.OnRxChar = [&](TComm& sender, int) {
        ++calls;
        sender.Close();
        const int waitsBefore = script->waits.load();
        sender.Open();
        // The fresh thread counts its wait on entering it.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (script->waits.load() == waitsBefore && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
        }
        reachedItsWait = reachedItsWait && script->waits.load() > waitsBefore;
        sender.Close();
    };
    for (int round = 1; round <= 20; ++round) {
        comm.Open();
        script->push(EV_RXCHAR);
        ASSERT_TRUE(pumpUntil([&] { return calls == round; }));
        EXPECT_FALSE(comm.IsOpen());
    }
    EXPECT_TRUE(reachedItsWait);
    EXPECT_EQ(testing::threadCount(), threadsBefore);
}

}  // namespace
}  // namespace bv3::serial
