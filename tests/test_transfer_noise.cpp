// Whatever the line delivers, the protocols stay inside their buffers and never send bytes
// that are not the file's: long runs of random bytes, with the watchdog firing in between.
#include "transfer_fakes.h"

#include <gtest/gtest.h>

#include <random>

namespace bv3::transfer::testing {
namespace {

// Random bytes with many control bytes, so that every state is reached.
Bytes noise(std::mt19937& random, std::size_t size) {
    static constexpr std::uint8_t favourites[] = {STX, ETX, ACK, endCommand, 0x00, 0xFF};
    Bytes bytes(size);
    for (auto& b : bytes) {
        const auto pick = random() % 4;
        b = pick == 0 ? favourites[random() % std::size(favourites)] : static_cast<std::uint8_t>(random());
    }
    return bytes;
}

TEST(ProtocolNoise, UploadStaysInsideItsImage) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        FakeUploadHost host;
        UploadProtocol pc(host);
        pc.reset();
        for (int round = 0; round < 2000 && !pc.finished(); ++round) {
            pc.receive(noise(random, 1 + random() % 300));
            if (random() % 8 == 0) {
                pc.watchdogFired();
            }
            ASSERT_LE(static_cast<int>(pc.state()), 6);
            ASSERT_GE(pc.remaining(), 0);
        }
        EXPECT_EQ(pc.image().size(), 401408u);
        EXPECT_LE(host.completions, 1);
    }
}

TEST(ProtocolNoise, DownloadSendsOnlyTheFilesBytes) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        Bytes file(5000);
        for (auto& b : file) {
            b = static_cast<std::uint8_t>(random());
        }
        FakeDownloadHost host(file);
        DownloadProtocol pc(host);
        pc.reset(static_cast<std::int64_t>(file.size()));
        // Plain requests inside the file, buried in noise, until one goes wrong or ends it.
        for (int round = 0; round < 2000 && !pc.finished(); ++round) {
            Bytes bytes = noise(random, 1 + random() % 40);
            if (random() % 3 == 0) {
                const std::uint32_t length = random() % 600;
                const std::uint32_t offset = random() % 4400;
                const Bytes request{STX,
                                    readRequest,
                                    static_cast<std::uint8_t>(length >> 8),
                                    static_cast<std::uint8_t>(length),
                                    0,
                                    static_cast<std::uint8_t>(offset >> 8),
                                    static_cast<std::uint8_t>(offset),
                                    ETX};
                bytes.insert(bytes.end(), request.begin(), request.end());
            }
            pc.receive(bytes);
        }
        // The fake throws on a read outside the file; the protocol must have refused first.
        EXPECT_EQ(std::count(host.refusals.begin(), host.refusals.end(), TransferFailure::Kind::SourceUnreadable), 0);
        EXPECT_LE(host.finishes, 1);
    }
}

}  // namespace
}  // namespace bv3::transfer::testing
