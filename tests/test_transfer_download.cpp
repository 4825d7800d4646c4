// The PC-to-STB download protocol, byte by byte against a recording host, and whole
// transfers against the simulated receiver.
#include "transfer_fakes.h"

#include <gtest/gtest.h>

#include <optional>

namespace bv3::transfer::testing {
namespace {

Bytes sampleFile(std::size_t size) {
    Bytes file(size);
    for (std::size_t i = 0; i < size; ++i) {
        file[i] = static_cast<std::uint8_t>(i * 31 + (i >> 7));
    }
    return file;
}

Bytes request(std::uint8_t command, std::uint32_t length, std::uint32_t offset) {
    return {STX,
            command,
            static_cast<std::uint8_t>(length >> 8),
            static_cast<std::uint8_t>(length),
            static_cast<std::uint8_t>(offset >> 16),
            static_cast<std::uint8_t>(offset >> 8),
            static_cast<std::uint8_t>(offset),
            ETX};
}

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override { pc.reset(static_cast<std::int64_t>(host.file.size())); }

    Bytes feed(const Bytes& bytes) {
        Bytes answers;
        for (const std::uint8_t b : bytes) {
            pc.receive(Bytes{b});
            const Bytes a = host.takeSent();
            answers.insert(answers.end(), a.begin(), a.end());
        }
        return answers;
    }
    void connectAndSendMode() {
        ASSERT_EQ(feed({0x55, STX, STX, 'Q', ETX}), (Bytes{ACK, ACK, ACK, ACK, STX}));
        ASSERT_EQ(feed({ACK}), Bytes{0x41});
        EXPECT_EQ(host.phase, TransferPhase::ServingRequests);
        ASSERT_EQ(feed({ACK}), Bytes{ETX});
        ASSERT_EQ(pc.state(), DownloadState::ReceiveRequest);
        host.takeWrites();
    }

    FakeDownloadHost host{sampleFile(1000)};
    DownloadProtocol pc{host};
};

TEST_F(DownloadTest, RequestIsServedInChunksOf128EachAfterOneReceiverByte) {
    connectAndSendMode();
    // Bytes before the request's STX get no answer.
    EXPECT_EQ(feed({ACK, 0x99}), Bytes{});
    EXPECT_EQ(feed(request(0x42, 300, 100)), (Bytes{ACK, ACK, ACK, ACK, ACK, ACK, ACK, ACK, STX}));
    host.takeWrites();
    Bytes data;
    for (int i = 0; i < 3; ++i) {
        const Bytes chunk = feed({ACK});
        data.insert(data.end(), chunk.begin(), chunk.end());
    }
    EXPECT_EQ(host.takeWrites(), (std::vector<std::size_t>{128, 128, 44}));
    EXPECT_EQ(data, Bytes(host.file.begin() + 100, host.file.begin() + 400));
    EXPECT_EQ(host.progressHistory, (std::vector<int>{10, 22, 35}));
    EXPECT_EQ(host.counter, (BlockCounter{356, 1000}));
    EXPECT_EQ(feed({ACK}), Bytes{ETX});
    EXPECT_EQ(feed({ACK}), Bytes{});
    EXPECT_EQ(pc.state(), DownloadState::ReceiveRequest);
    EXPECT_EQ(host.finishes, 0);
}

TEST_F(DownloadTest, EmptyRequestSendsAnEmptyWriteThenEtx) {
    connectAndSendMode();
    feed(request(0x42, 0, 10));
    host.takeWrites();
    EXPECT_EQ(feed({ACK}), Bytes{});
    EXPECT_EQ(host.takeWrites(), std::vector<std::size_t>{0});
    EXPECT_EQ(feed({ACK}), Bytes{ETX});
}

TEST_F(DownloadTest, EndRequestNeedsThreeBytesAndFinishesOnce) {
    connectAndSendMode();
    EXPECT_EQ(feed({STX, 0x43, 0x00}), (Bytes{ACK, ACK, ACK}));
    EXPECT_EQ(host.finishes, 1);
    EXPECT_TRUE(pc.finished());
    EXPECT_EQ(feed({0x00, STX, 0x42}), Bytes{});
    EXPECT_EQ(host.finishes, 1);
}

TEST_F(DownloadTest, RequestsTheFileCannotServeAreRefusedWithoutSendingAnyData) {
    struct Case {
        const char* name;
        std::optional<std::int64_t> size;
        std::uint32_t length;
        std::uint32_t offset;
        TransferFailure::Kind kind;
    };
    using Kind = TransferFailure::Kind;
    const Case cases[] = {
        {"beyond the end", 1000, 200, 900, Kind::RequestBeyondEnd},
        {"offset past the end", 1000, 1, 1000, Kind::RequestBeyondEnd},
        {"file not opened", std::nullopt, 10, 0, Kind::NoSource},
        {"empty file", 0, 0, 0, Kind::EmptySource},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDownloadHost h(sampleFile(1000));
        DownloadProtocol p(h);
        p.reset(c.size);
        p.receive(Bytes{STX, ETX, ACK, ACK});
        h.takeSent();
        p.receive(request(0x42, c.length, c.offset));
        EXPECT_EQ(h.takeSent(), Bytes(8, ACK));
        EXPECT_EQ(h.refusals, std::vector{c.kind});
        ASSERT_TRUE(h.lastRefusal);
        if (c.kind == Kind::RequestBeyondEnd) {
            // What the refusal's words are made of (tested with the texts).
            EXPECT_EQ(h.lastRefusal->length, c.length);
            EXPECT_EQ(h.lastRefusal->address, c.offset);
            EXPECT_EQ(h.lastRefusal->fileSize, *c.size);
        }
        EXPECT_EQ(h.finishes, 1);
        p.receive(Bytes{ACK, ACK});
        EXPECT_EQ(h.takeSent(), Bytes{});
    }
}

TEST_F(DownloadTest, LastBytesOfTheFileCanBeRequested) {
    connectAndSendMode();
    feed(request(0x42, 10, 990));
    EXPECT_EQ(feed({ACK}), Bytes(host.file.begin() + 990, host.file.end()));
}

TEST_F(DownloadTest, AFailingReadIsShownAndEndsTheTransfer) {
    connectAndSendMode();
    feed(request(0x42, 10, 0));
    host.failReads = true;
    EXPECT_EQ(feed({ACK}), Bytes{});
    EXPECT_EQ(host.refusals, std::vector{TransferFailure::Kind::SourceUnreadable});
    ASSERT_TRUE(host.lastRefusal);
    EXPECT_EQ(host.lastRefusal->detail, "short read");
    EXPECT_EQ(host.finishes, 1);
}

TEST_F(DownloadTest, WholeDownloadsAgainstTheReceiverDeliverTheFileUnchanged) {
    struct Case {
        const char* name;
        std::size_t fileSize;
        std::uint32_t requestSize;
    };
    for (const Case& c : {Case{"4 KB ranges", 40000, 0x1000}, Case{"odd ranges", 1001, 300}, Case{"one byte", 1, 1}}) {
        SCOPED_TRACE(c.name);
        FakeDownloadHost h(sampleFile(c.fileSize));
        DownloadProtocol p(h);
        p.reset(static_cast<std::int64_t>(c.fileSize));
        stbsim::ReceiverMemory memory;
        stbsim::SimulatorOptions options;
        options.downloadSize = static_cast<std::uint32_t>(c.fileSize);
        options.requestSize = c.requestSize;
        Wire<DownloadProtocol> wire(p, memory, options);
        wire.run(h);
        EXPECT_EQ(h.finishes, 1);
        EXPECT_TRUE(wire.receiver().done());
        EXPECT_EQ(wire.receiver().mode(), stbsim::SessionMode::Download);
        EXPECT_EQ(wire.receiver().downloaded(), h.file);
    }
}

}  // namespace
}  // namespace bv3::transfer::testing
