// The platform loader seam: how a library name is spelled on this platform, and what a
// missing library or symbol looks like.
#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

#include <utility>

using bv3::platform::DynamicLibrary;
using bv3::platform::DynamicLibraryError;

struct SpellingCase {
    const char* name;
    const char* fileName;
};

void PrintTo(const SpellingCase& c, std::ostream* os) {
    *os << c.name;
}

class LibrarySpelling : public testing::TestWithParam<SpellingCase> {};

TEST_P(LibrarySpelling, MapsDllNamesAndLeavesOthersAlone) {
    EXPECT_EQ(DynamicLibrary::platformFileName(GetParam().name), GetParam().fileName);
}

INSTANTIATE_TEST_SUITE_P(
    Names, LibrarySpelling,
    testing::Values(SpellingCase{"tqrdll12.dll", "libtqrdll12.so"}, SpellingCase{"TQRDLL12.DLL", "libTQRDLL12.so"},
                    SpellingCase{"libm.so.6", "libm.so.6"}, SpellingCase{"./tqrdll12.dll", "./tqrdll12.dll"},
                    SpellingCase{"/opt/enc/tqrdll12.dll", "/opt/enc/tqrdll12.dll"}, SpellingCase{".dll", ".dll"}));

TEST(DynamicLibrary, FindsTheEncoderByItsBareNameAndItsEntry) {
    // The test program's RUNPATH holds the spy's directory, as libBV3Dll.so's holds build/lib.
    DynamicLibrary library("tqrdll12.dll");
    EXPECT_EQ(library.fileName(), "libtqrdll12.so");
    EXPECT_NE(library.symbol("EncodeQDF"), nullptr);
    EXPECT_EQ(library.symbol("NoSuchEntry"), nullptr);

    DynamicLibrary moved(std::move(library));
    EXPECT_TRUE(moved.isOpen());
    EXPECT_NE(moved.symbol("EncodeQDF"), nullptr);
    moved.close();
    EXPECT_FALSE(moved.isOpen());
    EXPECT_EQ(moved.symbol("EncodeQDF"), nullptr);
}

TEST(DynamicLibrary, AMissingLibraryIsNamedBothWays) {
    try {
        DynamicLibrary library("qdf-no-such-encoder.dll");
        FAIL() << "a missing library opened";
    } catch (const DynamicLibraryError& failure) {
        const std::string message = failure.what();
        EXPECT_NE(message.find("\"qdf-no-such-encoder.dll\""), std::string::npos) << message;
        EXPECT_NE(message.find("\"libqdf-no-such-encoder.so\""), std::string::npos) << message;
    }
}
