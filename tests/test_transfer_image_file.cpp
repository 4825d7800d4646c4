// The received image reaches its file completely or not at all.
#include "transfer/image_file.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace bv3::transfer {
namespace {

namespace fs = std::filesystem;

class ImageFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory_ = fs::temp_directory_path() / ("bv3-image-file-" + std::to_string(::getpid()));
        fs::create_directories(directory_);
    }
    void TearDown() override { fs::remove_all(directory_); }
    fs::path directory_;
};

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(ImageFileTest, ReplacesAnEarlierFileCompletely) {
    const fs::path target = directory_ / "upload.raw";
    std::ofstream(target) << std::string(1000, 'x');
    const std::vector<std::uint8_t> image{1, 2, 3};
    writeFileCompletely(target.string(), image);
    EXPECT_EQ(contents(target), std::string("\x01\x02\x03"));
    EXPECT_EQ(std::distance(fs::directory_iterator(directory_), fs::directory_iterator()), 1);
}

TEST_F(ImageFileTest, AFailureNamesTheFileAndLeavesNothingBehind) {
    struct Case {
        const char* name;
        fs::path target;
    };
    fs::create_directories(directory_ / "a-directory");
    const Case cases[] = {
        {"missing folder", directory_ / "no-such-folder" / "upload.raw"},
        {"target is a folder", directory_ / "a-directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            writeFileCompletely(c.target.string(), std::vector<std::uint8_t>(10, 7));
            ADD_FAILURE() << "no failure reported";
        } catch (const std::runtime_error& failure) {
            EXPECT_EQ(std::string(failure.what()).rfind("Cannot write " + c.target.string() + ": ", 0), 0u)
                << failure.what();
        }
        EXPECT_FALSE(fs::exists(c.target.string() + ".partial"));
    }
    EXPECT_TRUE(fs::is_directory(directory_ / "a-directory"));
}

}  // namespace
}  // namespace bv3::transfer
