// The synchronous, cancellable call onto the UI thread.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>

#include "platform/inline_ui_thread.h"
#include "platform/manual_ui_thread.h"
#include "platform/ui_thread.h"
#include "serial/comm_objs.h"

namespace bv3::platform {
namespace {

// A UI thread that tells when a task has been queued, so a test knows the worker has reached
// its wait without sleeping on it.
class WatchedUiThread final : public ManualUiThread {
public:
    void post(std::function<void()> task) override {
        ManualUiThread::post(std::move(task));
        ++posted;
    }
    // Waits (generously bounded) until `count` tasks have been queued.
    bool postedAtLeast(int count) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (posted.load() < count) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::yield();
        }
        return true;
    }
    std::atomic<int> posted{0};
};

TEST(UiThreadCall, OnTheUiThreadItRunsDirectly) {
    ManualUiThread ui;
    bool ran = false;
    EXPECT_TRUE(runOnUiThread(ui, [&] { ran = true; }));
    EXPECT_TRUE(ran);
}

TEST(UiThreadCall, FromAWorkerItRunsOnTheUiThreadAndWaits) {
    WatchedUiThread ui;
    std::thread::id ranOn;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        EXPECT_TRUE(runOnUiThread(ui, [&] { ranOn = std::this_thread::get_id(); }));
        returned = true;
    });
    ASSERT_TRUE(ui.postedAtLeast(1));
    EXPECT_FALSE(returned);  // waits until the UI thread has served it
    while (!returned) {
        ui.pump(std::chrono::milliseconds(5));
    }
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(UiThreadCall, CancelledBeforeItStartsItNeverRuns) {
    WatchedUiThread ui;
    std::stop_source stop;
    bool ran = false;
    auto result = std::async(std::launch::async, [&] {
        return runOnUiThread(
            ui, [&] { ran = true; }, stop.get_token());
    });
    ASSERT_TRUE(ui.postedAtLeast(1));
    stop.request_stop();
    EXPECT_FALSE(result.get());
    ui.pump();  // the queued task finds itself withdrawn
    EXPECT_FALSE(ran);
}

// The step after the call is how a worker let go inside its own call is joined: it runs on the
// UI thread only once the worker has been released, so joining the worker there cannot hang.
TEST(UiThreadCall, TheStepAfterwardsRunsOnceTheWorkerIsReleased) {
    WatchedUiThread ui;
    std::thread worker;
    bool joined = false;
    worker = std::thread([&] {
        EXPECT_TRUE(runOnUiThread(
            ui, [] {}, {},
            [&] {
                worker.join();
                joined = true;
            }));
    });
    ASSERT_TRUE(ui.postedAtLeast(1));
    ui.pump();
    EXPECT_TRUE(joined);
    EXPECT_FALSE(worker.joinable());
}

TEST(UiThreadCall, OnceStartedItIsWaitedForEvenWhenCancelled) {
    ManualUiThread ui;
    std::stop_source stop;
    std::atomic<bool> finished{false};
    auto result = std::async(std::launch::async, [&] {
        return runOnUiThread(
            ui,
            [&] {
                stop.request_stop();  // e.g. Close from inside a handler
                finished = true;
            },
            stop.get_token());
    });
    while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        ui.pump(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(result.get());
    EXPECT_TRUE(finished);
}

TEST(UiThreadCall, AnExceptionReachesTheCaller) {
    ManualUiThread ui;
    auto result =
        std::async(std::launch::async, [&] { return runOnUiThread(ui, [] { throw std::runtime_error("boom"); }); });
    while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        ui.pump(std::chrono::milliseconds(5));
    }
    EXPECT_THROW(result.get(), std::runtime_error);
}

// The command line's UI thread: a worker takes the role for its call instead of handing it on.
TEST(InlineUiThreadCall, AWorkerRunsItsCallItselfOneAtATimeWithTheOwner) {
    InlineUiThread ui;
    std::promise<void> ownerHoldsRole;
    std::atomic<bool> ownerTurnOver{false};
    std::atomic<bool> overlapped{false};
    std::thread::id ranOn;
    bool currentInside = false;
    std::thread worker([&] {
        ownerHoldsRole.get_future().wait();
        EXPECT_FALSE(ui.isCurrent());
        EXPECT_TRUE(runOnUiThread(ui, [&] {
            overlapped = !ownerTurnOver.load();
            ranOn = std::this_thread::get_id();
            currentInside = ui.isCurrent();
        }));
        EXPECT_FALSE(ui.isCurrent());
    });
    ui.turn(std::chrono::milliseconds(0), [&] {
        ownerHoldsRole.set_value();
        // Whenever the worker gets to its call, it must not start before this turn is over.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ownerTurnOver = true;
    });
    const std::thread::id workerId = worker.get_id();
    worker.join();
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(ranOn, workerId);
    EXPECT_TRUE(currentInside);
}

// Finish from the owner while the worker waits for the role: the worker gives up its call.
TEST(InlineUiThreadCall, CancelledWhileWaitingForTheRoleItNeverRuns) {
    InlineUiThread ui;
    std::stop_source stop;
    bool ran = false;
    std::future<bool> result;
    ui.turn(std::chrono::milliseconds(0), [&] {
        result = std::async(std::launch::async, [&] { return runOnUiThread(ui, [&] { ran = true; }, stop.get_token()); });
        // Give the worker a moment to reach its wait; it cannot get further while we hold the role.
        EXPECT_EQ(result.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
        stop.request_stop();
        EXPECT_FALSE(result.get());
    });
    EXPECT_FALSE(ran);
}

// A worker that lets itself go inside its own call cannot join itself: the step afterwards
// hands the join to the owner, whose next turn (or the UI thread's end) does it.
TEST(InlineUiThreadCall, TheOwnersTurnRunsWhatTheWorkerPosted) {
    InlineUiThread ui;
    std::thread worker;
    std::atomic<bool> joined{false};
    std::promise<void> started;
    worker = std::thread([&] {
        started.get_future().wait();
        EXPECT_TRUE(runOnUiThread(ui, [] {}, {}, [&] {
            ui.post([&] {
                worker.join();
                joined = true;
            });
        }));
    });
    started.set_value();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!joined && std::chrono::steady_clock::now() < deadline) {
        ui.turn(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(joined);
    EXPECT_FALSE(worker.joinable());
}

TEST(UiThreadCall, WithoutAnInstalledUiThreadItSaysSo) {
    UiThread* previous = setUiThread(nullptr);
    EXPECT_THROW(uiThread(), std::logic_error);
    setUiThread(previous);
}

}  // namespace
}  // namespace bv3::platform

namespace bv3::serial {
namespace {

TEST(CommObjs, EventsSignalAndReset) {
    TSimpleEvent manual;  // manual reset, starts non-signalled
    EXPECT_EQ(manual.WaitFor(0), TWaitResult::wrTimeout);
    manual.SetEvent();
    EXPECT_EQ(manual.WaitFor(0), TWaitResult::wrSignaled);
    EXPECT_EQ(manual.WaitFor(10), TWaitResult::wrSignaled);  // stays set until reset
    manual.ResetEvent();
    EXPECT_EQ(manual.WaitFor(0), TWaitResult::wrTimeout);
    manual.ResetEvent();  // resetting a clear event is harmless
    EXPECT_EQ(manual.WaitFor(0), TWaitResult::wrTimeout);

    TEvent automatic(false, true);  // auto reset, starts signalled
    EXPECT_EQ(automatic.WaitFor(0), TWaitResult::wrSignaled);
    EXPECT_EQ(automatic.WaitFor(0), TWaitResult::wrTimeout);  // consumed by the first wait
}

TEST(CommObjs, AWaitEndsWhenAnotherThreadSets) {
    TSimpleEvent event;
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        event.SetEvent();
    });
    EXPECT_EQ(event.WaitFor(-1), TWaitResult::wrSignaled);
    setter.join();
}

}  // namespace
}  // namespace bv3::serial
