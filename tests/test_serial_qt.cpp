// Event delivery through Qt: handlers run on the QApplication's thread, inside its event loop.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/qt/qt_ui_thread.h"
#include "serial/comm.h"
#include "serial_test_support.h"

namespace bv3::serial {
namespace {

using testing::PtyPair;

QApplication& app() {
    static int argc = 1;
    static char name[] = "test_serial_qt";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
    return application;
}

// The Qt UI thread, counting what is queued to it: a test can wait until the event thread has
// handed a notification over.
class CountingUiThread : public platform::QtUiThread {
public:
    void post(std::function<void()> task) override {
        platform::QtUiThread::post(std::move(task));
        std::lock_guard lock(mutex_);
        ++posts_;
        posted_.notify_all();
    }
    bool waitForPosts(int count, std::chrono::seconds timeout = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return posted_.wait_for(lock, timeout, [&] { return posts_ >= count; });
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    int posts_ = 0;
};

class SerialQt : public ::testing::Test {
protected:
    void SetUp() override {
        app();
        platform::useQtUiThread();
    }
    void TearDown() override { platform::setUiThread(nullptr); }

    bool processUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > timeoutMs) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }
};

TEST_F(SerialQt, HandlersRunOnTheApplicationThread) {
    PtyPair pty;
    TComm comm;
    comm.SetDeviceName(pty.path());
    bool onAppThread = false;
    int received = 0;
    comm.OnRxChar = [&](TComm& sender, int count) {
        onAppThread = QThread::currentThread() == app().thread();
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(count));
        received += sender.Read(buffer);
    };
    comm.Open();
    pty.send({0x02, 0x10, 0x03});
    ASSERT_TRUE(processUntil([&] { return received == 3; }));
    EXPECT_TRUE(onAppThread);
}

TEST_F(SerialQt, CloseFromAHandlerAndFromOutside) {
    PtyPair pty;
    TComm comm;
    const int before = testing::openFdCount();
    comm.SetDeviceName(pty.path());
    int calls = 0;
    comm.OnRxChar = [&](TComm& sender, int) {
        ++calls;
        sender.Close();
    };
    comm.Open();
    pty.send({1});
    ASSERT_TRUE(processUntil([&] { return calls == 1; }));
    pty.send({2});
    processUntil([] { return false; }, 50);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(testing::openFdCount(), before);

    // Closed from outside while a notification waits in the queue: it is withdrawn.
    CountingUiThread counting;
    platform::setUiThread(&counting);
    comm.OnRxChar = [&](TComm&, int) { ++calls; };
    comm.Open();
    pty.send({3});
    ASSERT_TRUE(counting.waitForPosts(1));  // the event thread has queued its notification
    comm.Close();
    processUntil([] { return false; }, 50);
    EXPECT_EQ(calls, 1);
}

TEST_F(SerialQt, LockStepExchangeThroughTheEventLoop) {
    PtyPair pty;
    TComm comm;
    comm.SetDeviceName(pty.path());
    constexpr int rounds = 200;
    int received = 0;
    comm.OnRxChar = [&](TComm& sender, int) {
        std::uint8_t buffer[16];
        const int n = sender.Read(buffer);
        for (int i = 0; i < n; ++i) {
            ++received;
            sender.Write({&buffer[i], 1});
        }
    };
    comm.Open();
    std::thread peer([&] {
        std::uint8_t byte = 0x55;
        for (int i = 0; i < rounds; ++i) {
            if (::write(pty.master(), &byte, 1) != 1 || pty.receive(1).size() != 1) {
                return;
            }
        }
    });
    const bool done = processUntil([&] { return received == rounds; });
    peer.join();
    EXPECT_TRUE(done) << received;
}

// A handler that runs a nested event loop (a message box, say) is not entered again for the
// same port while it runs: the port's next notification waits for it.
TEST_F(SerialQt, NoHandlerRunsInsideAnotherOfTheSamePort) {
    PtyPair pty;
    TComm comm;
    comm.SetDeviceName(pty.path());
    int depth = 0;
    int deepest = 0;
    int calls = 0;
    comm.OnRxChar = [&](TComm& sender, int count) {
        ++depth;
        ++calls;
        deepest = std::max(deepest, depth);
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(count));
        sender.Read(buffer);
        if (calls == 1) {
            pty.send({2});  // arrives while the nested loop runs
            QEventLoop nested;
            QTimer::singleShot(100, &nested, &QEventLoop::quit);
            nested.exec();
        }
        --depth;
    };
    comm.Open();
    pty.send({1});
    ASSERT_TRUE(processUntil([&] { return calls == 2; }));
    EXPECT_EQ(deepest, 1);
}

}  // namespace
}  // namespace bv3::serial
