// The encoder's reading of the loader configuration: the driver's own text, the leeway a
// hand-written file gets, and the mistakes it refuses with the line that holds them.
#include "loader_config.h"
#include "qdfbuild/loader_config_writer.h"

#include <gtest/gtest.h>

namespace {

using namespace bv3::qdf;

TEST(LoaderConfigParser, ReadsWhatTheBuildDriverWrites) {
    for (const std::uint8_t model : {0, 1}) {
        const std::string text = bv3::qdfbuild::formatLoaderConfig(0x12345678u, model, "Config.raw", "Service.raw");
        const LoaderConfig config = parseLoaderConfig(text, "qorda.cfg");
        EXPECT_EQ(config.header, (ImageHeader{.firstId = 0x12345000u, .lastId = 0x12345FFFu, .loaderVersion = 3}));
        ASSERT_EQ(config.data.size(), 3u);
        const std::uint32_t serviceAddress = model == 0 ? 0xB0000u : 0xA0000u;
        const std::pair<const char*, std::uint32_t> expected[] = {
            {"Config.raw", 0}, {"Config.raw", 0x2000}, {"Service.raw", serviceAddress}};
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(config.data[i].file, expected[i].first);
            EXPECT_EQ(config.data[i].address, expected[i].second);
            EXPECT_EQ(config.data[i].type, BlockType::flash);
            EXPECT_TRUE(config.data[i].compression);
        }
        EXPECT_EQ(config.data[2].line, 18);
    }
}

TEST(LoaderConfigParser, ToleratesSpacingCaseAndLineEnds) {
    const std::string text =
        "\n"
        "  [HEADER]  \n"
        "id=4096\n"
        " E_Id  =  $1fFf\r\n"
        "\tVER\t =\t2\n"
        "]\n"
        "\n"
        "[data\n"
        "file = images/Bank A.raw\n"
        "address=$0\n"
        "type = EEPROM\n"
        "]";
    const LoaderConfig config = parseLoaderConfig(text, "hand.cfg");
    EXPECT_EQ(config.header, (ImageHeader{.firstId = 4096, .lastId = 0x1FFF, .loaderVersion = 2}));
    ASSERT_EQ(config.data.size(), 1u);
    EXPECT_EQ(config.data[0].file, "images/Bank A.raw");
    EXPECT_EQ(config.data[0].type, BlockType::eeprom);
    EXPECT_FALSE(config.data[0].compression);
}

struct RefusedCase {
    const char* name;
    const char* text;
    const char* message;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

class LoaderConfigRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(LoaderConfigRefused, NamesTheFileTheLineAndTheReason) {
    try {
        parseLoaderConfig(GetParam().text, "qorda.cfg");
        FAIL() << "accepted";
    } catch (const LoaderConfigError& failure) {
        EXPECT_NE(std::string(failure.what()).find(GetParam().message), std::string::npos) << failure.what();
    }
}

#define HEADER "[header\nID=$1000\nE_ID=$1FFF\nver=3\n]\n"

INSTANTIATE_TEST_SUITE_P(
    Mistakes, LoaderConfigRefused,
    testing::Values(
        RefusedCase{"Empty", "", "qorda.cfg: there is no [header block"},
        RefusedCase{"NoData", HEADER, "there is no [Data block"},
        RefusedCase{"Unclosed", HEADER "[Data\nFILE=\"a\"\nADDRESS=0\n", "line 6: the block opened here is never"},
        RefusedCase{"Nested", "[header\n[Data\n", "line 2: a block opens before"},
        RefusedCase{"StrayClose", "]\n", "line 1: \"]\" closes no block"},
        RefusedCase{"OutsideBlock", "ID = 5\n", "line 1: \"ID = 5\" stands outside any block"},
        RefusedCase{"UnknownBlock", "[footer\n]\n", "unknown block \"[footer\""},
        RefusedCase{"UnknownKey", HEADER "[Data\nFILE=a\nADDRESS=0\nSPEED=9\n]\n", "line 9: unknown key \"speed\""},
        RefusedCase{"NoEquals", HEADER "[Data\nFILE a\n]\n", "line 7: \"FILE a\" is not of the form"},
        RefusedCase{"Twice", HEADER "[Data\nFILE=a\nfile=b\n]\n", "line 8: the key file is given twice"},
        RefusedCase{"MissingFile", HEADER "[Data\nADDRESS=0\n]\n", "line 6: the block has no file"},
        RefusedCase{"MissingAddress", HEADER "[Data\nFILE=a\n]\n", "the block has no address"},
        RefusedCase{"MissingVersion", "[header\nID=1\nE_ID=2\n]\n", "the block has no ver"},
        RefusedCase{"IdAboveEndId", "[header\nID=$2000\nE_ID=$1FFF\nver=3\n]\n", "ID is above E_ID"},
        RefusedCase{"SecondHeader", HEADER HEADER, "a second [header block"},
        RefusedCase{"NumberTooBig", HEADER "[Data\nFILE=a\nADDRESS=$100000000\n]\n", "is not a 32-bit number"},
        RefusedCase{"NumberWithC", HEADER "[Data\nFILE=a\nADDRESS=0x2000\n]\n", "\"0x2000\" is not a 32-bit"},
        RefusedCase{"EmptyNumber", HEADER "[Data\nFILE=a\nADDRESS=$\n]\n", "\"$\" is not a 32-bit"},
        RefusedCase{"NegativeNumber", HEADER "[Data\nFILE=a\nADDRESS=-1\n]\n", "\"-1\" is not a 32-bit"},
        RefusedCase{"OpenQuote", HEADER "[Data\nFILE=\"a\nADDRESS=0\n]\n", "lacks its closing quote"},
        RefusedCase{"EmptyName", HEADER "[Data\nFILE=\"\"\nADDRESS=0\n]\n", "the file name is empty"},
        RefusedCase{"BadType", HEADER "[Data\nFILE=a\nADDRESS=0\nTYPE=rom\n]\n", "TYPE must be flash or eeprom"},
        RefusedCase{"BadCompression", HEADER "[Data\nFILE=a\nADDRESS=0\nCOMPRESSION=1\n]\n",
                    "COMPRESSION must be yes or no"}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

}  // namespace
