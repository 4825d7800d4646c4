// The simulated receiver's memory: its address map and the uploaded (complemented) form.
#include "sim_process.h"
#include "stb-sim/receiver_memory.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bv3::stbsim {
namespace {

TEST(ReceiverMemory, AddressMapCoversEepromAndFlashOnly) {
    ReceiverMemory memory;
    memory.write(0x0000, 0x11);
    memory.write(0x1FFF, 0x22);
    memory.write(0x0A0000, 0x33);
    memory.write(0x0FFFFF, 0x44);
    memory.write(0x2000, 0x55);    // between the areas: nothing there
    memory.write(0x100000, 0x66);  // past the flash
    EXPECT_EQ(memory.read(0x0000), 0x11);
    EXPECT_EQ(memory.read(0x1FFF), 0x22);
    EXPECT_EQ(memory.read(0x0A0000), 0x33);
    EXPECT_EQ(memory.read(0x0FFFFF), 0x44);
    EXPECT_EQ(memory.read(0x2000), 0xFF);
    EXPECT_EQ(memory.read(0x09FFFF), 0xFF);
    EXPECT_EQ(memory.read(0x100000), 0xFF);
    // The uploaded form: EEPROM first, then flash, every byte complemented.
    const auto image = memory.uploadedImage();
    ASSERT_EQ(image.size(), 401408u);
    EXPECT_EQ(image[0], 0xEE);
    EXPECT_EQ(image[0x1FFF], 0xDD);
    EXPECT_EQ(image[0x2000], 0xCC);
    EXPECT_EQ(image[401407], 0xBB);
}

TEST(ReceiverMemory, LoadsAnUploadedImageFileAndRefusesOtherSizes) {
    const auto sample = ReceiverMemory::samplePattern();
    const std::string file =
        (std::filesystem::temp_directory_path() / ("bv3-stbsim-" + std::to_string(::getpid()) + ".raw")).string();
    testing::writeBytes(file, sample.uploadedImage());
    EXPECT_EQ(ReceiverMemory::fromUploadedImageFile(file).uploadedImage(), sample.uploadedImage());
    testing::writeBytes(file, std::vector<std::uint8_t>(1000));
    try {
        ReceiverMemory::fromUploadedImageFile(file);
        ADD_FAILURE() << "a short image was accepted";
    } catch (const std::runtime_error& failure) {
        EXPECT_EQ(std::string(failure.what()), file + ": an uploaded image has 401408 bytes, not 1000");
    }
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace bv3::stbsim
