// The STB-to-PC upload protocol, byte by byte against a recording host, and whole transfers
// against the simulated receiver.
#include "transfer_fakes.h"

#include <gtest/gtest.h>

namespace bv3::transfer::testing {
namespace {

class UploadTest : public ::testing::Test {
protected:
    void SetUp() override { pc.reset(); }

    // Feeds bytes as one notification and returns what the PC sent in answer.
    Bytes feed(const Bytes& bytes) {
        pc.receive(bytes);
        return host.takeSent();
    }
    Bytes feedOneByOne(const Bytes& bytes) {
        Bytes answers;
        for (const std::uint8_t b : bytes) {
            const Bytes a = feed({b});
            answers.insert(answers.end(), a.begin(), a.end());
        }
        return answers;
    }
    // Announcement and mode frame, leaving the PC about to request the EEPROM block.
    void connectAndSendMode() {
        ASSERT_EQ(feedOneByOne({STX, 'Q', ETX}), (Bytes{ACK, ACK, ACK, STX}));
        ASSERT_EQ(feedOneByOne({ACK, ACK, ACK, ACK, ACK, ACK}), (Bytes{0x44, 0x00, 0x06, 0x20, 0x00, ETX}));
    }
    // Answers the 9 bytes of a read request; returns them.
    Bytes takeRequest() { return feedOneByOne(Bytes(9, ACK)); }

    FakeUploadHost host;
    UploadProtocol pc{host};
};

TEST_F(UploadTest, AnnouncementIgnoresBytesBeforeStxAndAcknowledgesEveryByteFromIt) {
    EXPECT_EQ(feedOneByOne({0x55, ETX, 0xAA}), Bytes{});
    EXPECT_FALSE(host.phase);
    EXPECT_EQ(feedOneByOne({STX, 'x', STX}), (Bytes{ACK, ACK, ACK}));
    EXPECT_EQ(host.phase, TransferPhase::Connected);
    EXPECT_EQ(pc.state(), UploadState::Connect);
    EXPECT_EQ(feed({ETX}), (Bytes{ACK, STX}));
    EXPECT_EQ(pc.state(), UploadState::SendMode);
}

TEST_F(UploadTest, ModeFrameCarriesTheImageSizeAndSetsTheLabels) {
    connectAndSendMode();
    EXPECT_EQ(host.phase, TransferPhase::ReceivingEeprom);
    EXPECT_EQ(host.counter, (BlockCounter{0, 98}));
    EXPECT_EQ(pc.state(), UploadState::RequestEeprom);
}

TEST_F(UploadTest, EepromBlockIsRequestedStoredComplementedAndFollowedByTheFirstFlashRequest) {
    connectAndSendMode();
    EXPECT_EQ(takeRequest(), (Bytes{STX, 0x42, ETX, 0x20, 0x00, 0x00, 0x00, 0x00, ETX}));
    EXPECT_EQ(pc.state(), UploadState::ReceiveEeprom);
    EXPECT_EQ(pc.phase(), UploadPhase::Eeprom);

    // Bytes before the block's STX get no answer.
    EXPECT_EQ(feed({ACK, 0x77}), Bytes{});
    EXPECT_EQ(feed({STX}), Bytes{ACK});
    // An early ETX is data like any other byte.
    Bytes block(0x2000);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(i * 3);
    }
    block[5] = ETX;
    EXPECT_EQ(feed(block), Bytes(0x2000, ACK));
    EXPECT_EQ(host.percent, 8192 * 100 / 401408);
    EXPECT_EQ(feed({ETX}), (Bytes{ACK, STX}));
    EXPECT_EQ(host.phase, TransferPhase::ReceivingFlash);
    EXPECT_EQ(pc.remaining(), 401408 - 8192);
    for (std::size_t i = 0; i < block.size(); ++i) {
        ASSERT_EQ(pc.image()[i], static_cast<std::uint8_t>(~block[i])) << i;
    }
    EXPECT_EQ(feedOneByOne(Bytes(8, ACK)), (Bytes{0x42, ETX, 0x10, 0x00, 0x0A, 0x00, 0x00, ETX}));
    EXPECT_EQ(pc.phase(), UploadPhase::Flash);
    EXPECT_EQ(host.counter, (BlockCounter{0, 98}));
}

// Bytes the line inserted into a block push its last bytes past the count: the block is
// answered as always, then read again with the very same request.
TEST_F(UploadTest, ABlockWithBytesInExcessIsReadAgainWithTheSameRequest) {
    connectAndSendMode();
    const Bytes eepromRequest{STX, 0x42, ETX, 0x20, 0x00, 0x00, 0x00, 0x00, ETX};
    ASSERT_EQ(takeRequest(), eepromRequest);
    const Bytes block(0x2000, 0x5A);
    for (int reread = 1; reread <= maxBlockRereads; ++reread) {
        SCOPED_TRACE(reread);
        ASSERT_EQ(feed({STX}), Bytes{ACK});
        ASSERT_EQ(feed(block), Bytes(0x2000, ACK));
        // Waiting for the ETX: everything else is answered with ACK, as the receiver expects.
        EXPECT_EQ(feed({0x11, STX}), (Bytes{ACK, ACK}));
        EXPECT_EQ(feed({ETX}), (Bytes{ACK, STX}));
        EXPECT_EQ(pc.remaining(), 401408);
        EXPECT_EQ(pc.phase(), UploadPhase::Eeprom);
        EXPECT_EQ(host.retry, (RetryNotice{reread, 0}));
        // The rest of the same request, byte for byte.
        EXPECT_EQ(feedOneByOne(Bytes(8, ACK)), Bytes(eepromRequest.begin() + 1, eepromRequest.end()));
        ASSERT_EQ(pc.state(), UploadState::ReceiveEeprom);
    }
    // One more wrong block and the transfer is given up: nothing is stored.
    ASSERT_EQ(feed({STX}), Bytes{ACK});
    ASSERT_EQ(feed(block), Bytes(0x2000, ACK));
    feed({0x11});
    EXPECT_THROW(pc.receive(Bytes{ETX}), UploadFailure);
    EXPECT_EQ(host.completions, 0);
}

TEST_F(UploadTest, WholeTransferAgainstTheReceiverGivesTheComplementOfItsMemory) {
    struct Case {
        const char* name;
        std::size_t noise;
        bool stxTwice;
    };
    for (const Case& c : {Case{"plain", 0, false}, Case{"noise", 5, false}, Case{"stx twice", 0, true}}) {
        SCOPED_TRACE(c.name);
        FakeUploadHost h;
        UploadProtocol p(h);
        p.reset();
        auto memory = stbsim::ReceiverMemory::samplePattern();
        stbsim::SimulatorOptions options;
        options.bytesBeforeStx = c.noise;
        options.stxTwice = c.stxTwice;
        Wire<UploadProtocol> wire(p, memory, options);
        wire.run(h);
        ASSERT_EQ(h.completions, 1);
        EXPECT_TRUE(p.finished());
        EXPECT_TRUE(wire.receiver().done());
        EXPECT_EQ(wire.receiver().requestsServed(), 97u);
        EXPECT_EQ(h.stored, memory.uploadedImage());
        EXPECT_EQ(h.percent, 100);
        EXPECT_EQ(h.counter, (BlockCounter{95, 98}));
        EXPECT_FALSE(h.retry);
        EXPECT_FALSE(h.watchdogEnabled);
        // The gauge only grows.
        EXPECT_TRUE(std::is_sorted(h.progressHistory.begin(), h.progressHistory.end()));
    }
}

TEST_F(UploadTest, SilenceInsideABlockRestartsThatBlockAndTheImageIsStillExact) {
    // The receiver's byte count: announcement 7, answers to the mode frame 7, then per block
    // 9 answers to the request (the last is the block's STX), the data and the ETX.
    struct Case {
        const char* name;
        std::uint64_t silenceAfter;
        std::int32_t retryOffset;
    };
    const Case cases[] = {
        {"eeprom", 7 + 7 + 9 + 100, 0},
        {"flash 3", 7 + 7 + (9 + 8192 + 1) + 3 * (9 + 4096 + 1) + 9 + 2000, 20480},
        {"last flash", 7 + 7 + (9 + 8192 + 1) + 95 * (9 + 4096 + 1) + 9 + 4095, 397312},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeUploadHost h;
        UploadProtocol p(h);
        p.reset();
        auto memory = stbsim::ReceiverMemory::samplePattern();
        stbsim::SimulatorOptions options;
        options.silenceAfterByte = c.silenceAfter;
        Wire<UploadProtocol> wire(p, memory, options);
        wire.run(h);
        ASSERT_EQ(h.completions, 1);
        EXPECT_EQ(p.retryCount(), 1);
        EXPECT_EQ(h.retry, (RetryNotice{1, c.retryOffset}));
        EXPECT_EQ(wire.receiver().requestsServed(), 98u);
        EXPECT_EQ(h.stored, memory.uploadedImage());
    }
}

TEST_F(UploadTest, GarbageInsideABlockIsReadAgainAndTheImageIsStillExact) {
    struct Case {
        const char* name;
        std::uint64_t garbageAfter;
        std::size_t count;
        std::int32_t retryOffset;
    };
    const Case cases[] = {
        {"eeprom", 7 + 7 + 9 + 100, 3, 0},
        {"flash, 50 bytes", 20000, 50, 16384},
        {"last byte of a flash block", 7 + 7 + (9 + 8192 + 1) + 9 + 4095, 1, 8192},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeUploadHost h;
        UploadProtocol p(h);
        p.reset();
        auto memory = stbsim::ReceiverMemory::samplePattern();
        stbsim::SimulatorOptions options;
        options.garbageAfterByte = c.garbageAfter;
        options.garbageCount = c.count;
        Wire<UploadProtocol> wire(p, memory, options);
        wire.run(h);
        ASSERT_EQ(h.completions, 1);
        EXPECT_EQ(p.retryCount(), 1);
        EXPECT_EQ(h.retry, (RetryNotice{1, c.retryOffset}));
        EXPECT_EQ(wire.receiver().requestsServed(), 98u);
        EXPECT_EQ(h.stored, memory.uploadedImage());
    }
}

TEST_F(UploadTest, WatchdogBeforeAnyRequestOnlyReports) {
    feedOneByOne({STX, ETX});
    host.takeSent();
    pc.watchdogFired();
    EXPECT_EQ(host.takeSent(), Bytes{});
    EXPECT_EQ(host.retry, (RetryNotice{1, 0}));
    EXPECT_FALSE(host.watchdogEnabled);
    pc.watchdogFired();
    EXPECT_EQ(host.retry, (RetryNotice{2, 0}));
}

TEST_F(UploadTest, WatchdogDuringARequestStartsTheRequestAgain) {
    connectAndSendMode();
    EXPECT_EQ(feedOneByOne(Bytes(4, ACK)), (Bytes{STX, 0x42, ETX, 0x20}));
    pc.watchdogFired();
    EXPECT_EQ(host.takeSent(), Bytes{STX});
    // The ninth answer is not the block's STX, so it gets no reply.
    EXPECT_EQ(takeRequest(), (Bytes{0x42, ETX, 0x20, 0x00, 0x00, 0x00, 0x00, ETX}));
}

TEST_F(UploadTest, WatchdogAfterTheLastBlockGoesOnToTheEndFrame) {
    FakeUploadHost h;
    UploadProtocol p(h);
    p.reset();
    auto memory = stbsim::ReceiverMemory::samplePattern();
    stbsim::SimulatorOptions options;
    // Silent right after the last block's ETX: the PC has already sent the end frame's STX.
    options.silenceAfterByte = 7 + 7 + (9 + 8192 + 1) + 96 * (9 + 4096 + 1);
    Wire<UploadProtocol> wire(p, memory, options);
    wire.run(h);
    // The watchdog's STX starts another end frame; the receiver takes the two STX as one.
    EXPECT_EQ(h.retry, (RetryNotice{1, 401408}));
    EXPECT_EQ(h.completions, 1);
    EXPECT_EQ(h.stored, memory.uploadedImage());
    EXPECT_TRUE(wire.receiver().done());
}

TEST_F(UploadTest, AfterTheEndNeitherWatchdogNorLateBytesDoAnything) {
    FakeUploadHost h;
    UploadProtocol p(h);
    p.reset();
    auto memory = stbsim::ReceiverMemory::samplePattern();
    Wire<UploadProtocol> wire(p, memory, {});
    wire.run(h);
    ASSERT_EQ(h.completions, 1);
    h.takeSent();
    const int starts = h.watchdogStarts;
    p.watchdogFired();
    p.receive(Bytes{STX, ETX, ACK});
    EXPECT_EQ(h.takeSent(), Bytes{});
    EXPECT_EQ(h.completions, 1);
    EXPECT_EQ(h.watchdogStarts, starts);
    EXPECT_FALSE(h.retry);
}

TEST_F(UploadTest, EveryNotificationRestartsTheWatchdogEvenBeforeTheAnnouncement) {
    feed({0x55});
    EXPECT_TRUE(host.watchdogEnabled);
    EXPECT_EQ(host.watchdogStarts, 1);
    feed({0x55, STX});
    EXPECT_EQ(host.watchdogStarts, 3);  // the STX itself starts it once more
}

TEST_F(UploadTest, ShowingTheDialogAgainStartsFromScratch) {
    connectAndSendMode();
    pc.watchdogFired();
    pc.reset();
    EXPECT_EQ(pc.state(), UploadState::Connect);
    EXPECT_EQ(pc.phase(), UploadPhase::Idle);
    EXPECT_EQ(pc.retryCount(), 0);
    EXPECT_EQ(feed({ACK}), Bytes{});
}

}  // namespace
}  // namespace bv3::transfer::testing
