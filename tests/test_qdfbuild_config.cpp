// The loader configuration "qorda.cfg": the maker's loader reads it byte for byte.
#include "qdf_test_support.h"
#include "qdfbuild/loader_config_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

using bv3::qdfbuild::formatLoaderConfig;

TEST(LoaderConfigWriter, WritesTheTwentyThreeLinesExactly) {
    const std::string expected =
        "[header\r\n"
        "\tID\t\t\t=\t$12345000\r\n"
        "\tE_ID\t\t=\t$12345FFF\r\n"
        "\tver\t\t\t=\t3\r\n"
        "]\r\n"
        "[Data\r\n"
        "\tFILE\t\t=\t\"Config.raw\"\r\n"
        "\tTYPE\t\t=\tflash\r\n"
        "\tCOMPRESSION\t=\tyes\r\n"
        "\tADDRESS\t\t=   0\r\n"
        "]\r\n"
        "[Data\r\n"
        "\tFILE\t\t=\t\"Config.raw\"\r\n"
        "\tTYPE\t\t=\tflash\r\n"
        "\tCOMPRESSION\t=\tyes\r\n"
        "\tADDRESS\t\t=\t$2000\r\n"
        "]\r\n"
        "[Data\r\n"
        "\tFILE\t\t=\t\"Service.raw\"\r\n"
        "\tTYPE\t\t=\tflash\r\n"
        "\tCOMPRESSION\t=\tyes\r\n"
        "\tADDRESS\t=\t$b0000\r\n"
        "]\r\n";
    EXPECT_EQ(formatLoaderConfig(0x12345678u, 0, "Config.raw", "Service.raw"), expected);
}

struct IdentifierCase {
    std::uint32_t headerId;
    const char* idLine;
    const char* endIdLine;
};

void PrintTo(const IdentifierCase& c, std::ostream* os) {
    *os << c.headerId;
}

class LoaderConfigIdentifiers : public testing::TestWithParam<IdentifierCase> {};

// The header declares the block of 4096 identifiers that holds headerId, in upper-case hex.
TEST_P(LoaderConfigIdentifiers, DeclareTheBlockOfFourThousandIdentifiers) {
    const auto lines = bv3::test::splitCrLfLines(formatLoaderConfig(GetParam().headerId, 0, "C", "S"));
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[1], GetParam().idLine);
    EXPECT_EQ(lines[2], GetParam().endIdLine);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, LoaderConfigIdentifiers,
    testing::Values(IdentifierCase{0x12345678u, "\tID\t\t\t=\t$12345000", "\tE_ID\t\t=\t$12345FFF"},
                    IdentifierCase{0u, "\tID\t\t\t=\t$00000000", "\tE_ID\t\t=\t$00000FFF"},
                    IdentifierCase{0xFFFFFFFFu, "\tID\t\t\t=\t$FFFFF000", "\tE_ID\t\t=\t$FFFFFFFF"},
                    IdentifierCase{0x00000FFFu, "\tID\t\t\t=\t$00000000", "\tE_ID\t\t=\t$00000FFF"},
                    IdentifierCase{0xABCDE001u, "\tID\t\t\t=\t$ABCDE000", "\tE_ID\t\t=\t$ABCDEFFF"}));

// Models 0, 2, 3 and 5 keep their service area at $b0000, every other byte value gets $a0000;
// the two lines are spaced differently and both spacings are kept.
TEST(LoaderConfigWriter, ServiceAddressFollowsTheModelForEveryByteValue) {
    for (int model = 0; model <= 255; ++model) {
        const auto lines = bv3::test::splitCrLfLines(formatLoaderConfig(0, static_cast<std::uint8_t>(model), "C", "S"));
        ASSERT_EQ(lines.size(), 23u);
        const bool highArea = model == 0 || model == 2 || model == 3 || model == 5;
        EXPECT_EQ(lines[21], highArea ? "\tADDRESS\t=\t$b0000" : "\tADDRESS\t\t=   $a0000") << "model " << model;
    }
}

TEST(LoaderConfigWriter, NamesTheConfigurationImageTwiceAndTheServiceImageOnce) {
    const auto lines = bv3::test::splitCrLfLines(formatLoaderConfig(0, 1, "A.raw", "B.raw"));
    ASSERT_EQ(lines.size(), 23u);
    EXPECT_EQ(lines[6], "\tFILE\t\t=\t\"A.raw\"");
    EXPECT_EQ(lines[12], "\tFILE\t\t=\t\"A.raw\"");
    EXPECT_EQ(lines[18], "\tFILE\t\t=\t\"B.raw\"");
    const std::string text = formatLoaderConfig(0, 1, "A.raw", "B.raw");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 23);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 23);
}
