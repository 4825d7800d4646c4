// Applying a received download image to the simulated receiver: where each block lands, what
// is refused (with the memory left as it was), and how the receiver learns the image's size.
#include "qdf_writer.h"
#include "stb-sim/image_applier.h"
#include "transfer_fakes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace bv3::stbsim {
namespace {

using Bytes = std::vector<std::uint8_t>;
using qdf::BlockEncoding;
using qdf::BlockInput;
using qdf::BlockType;

Bytes pattern(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 3 + (i >> 9));
    }
    return bytes;
}

Bytes image(std::vector<BlockInput> blocks) {
    return qdf::writeQdfImage({0xABCDE000, 0xABCDEFFF, 3}, blocks);
}

// The image a build for models 0, 2, 3, 5 makes: the settings twice, the services at $B0000.
struct BuiltImage {
    Bytes config = pattern(0x2000, 0x10);
    Bytes services = pattern(0x50000, 0x20);
    Bytes bytes = image({{0x0, BlockType::flash, BlockEncoding::lzh, config},
                         {0x2000, BlockType::flash, BlockEncoding::lzh, config},
                         {0xB0000, BlockType::flash, BlockEncoding::stored, services}});
};

Bytes flashAt(const ReceiverMemory& memory, std::uint32_t address, std::size_t size) {
    const auto flash = memory.flash();
    const auto begin = flash.begin() + (address - ReceiverMemory::flashBase);
    return {begin, begin + static_cast<std::ptrdiff_t>(size)};
}

TEST(ApplyDownloadImage, SettingsGoToTheEepromAndServicesToTheirFlashAddress) {
    const BuiltImage built;
    ReceiverMemory memory = ReceiverMemory::samplePattern();
    const auto applied = applyDownloadImage(memory, built.bytes);
    ASSERT_EQ(applied.size(), 3u);
    EXPECT_EQ(applied[0].target, "EEPROM");
    EXPECT_EQ(applied[1].target, "EEPROM");
    EXPECT_EQ(applied[2].target, "flash");
    EXPECT_TRUE(std::ranges::equal(memory.eeprom(), built.config));
    EXPECT_EQ(flashAt(memory, 0xB0000, built.services.size()), built.services);
    // The flash below the service area keeps what it held.
    EXPECT_EQ(flashAt(memory, 0xA0000, 0x10000), flashAt(ReceiverMemory::samplePattern(), 0xA0000, 0x10000));
    // An upload now returns the new contents, complemented as always.
    const Bytes uploaded = memory.uploadedImage();
    EXPECT_EQ(static_cast<std::uint8_t>(~uploaded[5]), built.config[5]);
    EXPECT_EQ(static_cast<std::uint8_t>(~uploaded[0x2000 + 0x10000 + 7]), built.services[7]);
}

TEST(ApplyDownloadImage, BlocksAreWrittenInTheImagesOrderSoALaterOneWins) {
    const Bytes first = pattern(0x2000, 1);
    const Bytes second = pattern(0x2000, 2);
    const Bytes eepromPart = pattern(0x100, 3);
    ReceiverMemory memory;
    applyDownloadImage(memory, image({{0x0, BlockType::flash, BlockEncoding::stored, first},
                                      {0x2000, BlockType::flash, BlockEncoding::lzh, second},
                                      {0x1F00, BlockType::eeprom, BlockEncoding::stored, eepromPart}}));
    Bytes expected = second;
    std::ranges::copy(eepromPart, expected.begin() + 0x1F00);
    EXPECT_TRUE(std::ranges::equal(memory.eeprom(), expected));
}

TEST(ApplyDownloadImage, RefusesWithoutTouchingTheMemory) {
    const BuiltImage built;
    Bytes damagedBlock = built.bytes;
    damagedBlock[qdf::headerSize + qdf::blockDescriptorSize + 40] ^= 0x01;
    Bytes truncated(built.bytes.begin(), built.bytes.end() - 1);
    const Bytes small = pattern(0x200, 9);
    struct Case {
        const char* name;
        Bytes image;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"a damaged block", damagedBlock, "damaged download image"},
        {"a truncated image", truncated, "length"},
        {"not an image at all", pattern(100, 0), "BQDF"},
        {"nothing", Bytes{}, ""},
        {"between the settings and the flash, after a good block",
         image({{0x0, BlockType::flash, BlockEncoding::stored, built.config},
                {0x4000, BlockType::flash, BlockEncoding::stored, small}}),
         "block 1 (512 bytes at $004000) lies outside the receiver's memory"},
        {"straddling the start of the flash", image({{0x9FF00, BlockType::flash, BlockEncoding::stored, small}}),
         "lies outside"},
        {"past the end of the flash", image({{0xFFF00, BlockType::flash, BlockEncoding::stored, small}}),
         "lies outside"},
        {"settings running past both copies", image({{0x3F00, BlockType::flash, BlockEncoding::stored, small}}),
         "lies outside"},
        {"an EEPROM block past the EEPROM", image({{0x1F00, BlockType::eeprom, BlockEncoding::stored, small}}),
         "lies outside"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReceiverMemory memory = ReceiverMemory::samplePattern();
        try {
            applyDownloadImage(memory, c.image);
            ADD_FAILURE() << "accepted";
        } catch (const ImageRefused& refusal) {
            EXPECT_NE(std::string(refusal.what()).find(c.reason), std::string::npos) << refusal.what();
        }
        EXPECT_TRUE(memory.uploadedImage() == ReceiverMemory::samplePattern().uploadedImage());
    }
}

}  // namespace
}  // namespace bv3::stbsim

namespace bv3::transfer::testing {
namespace {

// A download the receiver sizes itself: it fetches the image header, then as much as the
// header's length field says, whatever the file on the PC's side holds.
Bytes downloadSizedByHeader(const Bytes& file) {
    FakeDownloadHost host{file};
    DownloadProtocol pc{host};
    pc.reset(static_cast<std::int64_t>(file.size()));
    stbsim::ReceiverMemory memory;
    stbsim::SimulatorOptions options;
    options.sizeFromImageHeader = true;
    options.requestSize = 1000;
    Wire<DownloadProtocol> wire(pc, memory, options);
    wire.run(host);
    EXPECT_TRUE(wire.receiver().done());
    EXPECT_TRUE(pc.finished());
    return wire.receiver().downloaded();
}

TEST(ReceiverSizesADownloadFromTheImageHeader, FetchesExactlyTheImage) {
    const Bytes image = qdf::writeQdfImage(
        {1, 2, 3},
        std::vector<qdf::BlockInput>{{0xA0000, qdf::BlockType::flash, qdf::BlockEncoding::lzh, Bytes(5000, 0x5A)}});
    EXPECT_EQ(downloadSizedByHeader(image), image);
    Bytes withTrailingBytes = image;
    withTrailingBytes.resize(image.size() + 300, 0xEE);
    EXPECT_EQ(downloadSizedByHeader(withTrailingBytes), image);
}

TEST(ReceiverSizesADownloadFromTheImageHeader, StopsAfterTheHeaderWhenItsLengthIsImpossible) {
    for (const std::uint32_t length : {0u, 24u, 0x1000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(length);
        Bytes file(64, 0x11);
        file[20] = static_cast<std::uint8_t>(length >> 24);
        file[21] = static_cast<std::uint8_t>(length >> 16);
        file[22] = static_cast<std::uint8_t>(length >> 8);
        file[23] = static_cast<std::uint8_t>(length);
        EXPECT_EQ(downloadSizedByHeader(file), Bytes(file.begin(), file.begin() + 24));
    }
}

}  // namespace
}  // namespace bv3::transfer::testing
