// The QNF text: the writer's exact bytes, and the reader's lenient and strict rules.
#include "channeldb/conversion_error.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/qnf_writer.h"
#include "channeldb/quoted_text.h"
#include "channeldb_test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

using namespace bv3::channeldb;
using namespace bv3::channeldb::testing;

namespace {

std::string emptyMenuLine() {
    std::string line = "0";
    for (int i = 1; i < 44; ++i) {
        line += "\t0";
    }
    return line;
}

// The text of a file: lines joined with CR LF, the last one ended too.
std::string qnf(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (const std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::unique_ptr<ChannelDatabase> read(const std::string& text) {
    auto db = std::make_unique<ChannelDatabase>();
    std::istringstream in(text);
    // These tests read fragments of lists, one section at a time.
    readQnf(in, *db, "list.qnf", MenuLine::optional);
    return db;
}

std::string readFailure(const std::string& text) {
    try {
        read(text);
    } catch (const CorruptQnfHeader&) {
        return "corrupt header";
    } catch (const ConversionError& failure) {
        return failure.what();
    }
    return "no failure";
}

}  // namespace

TEST(QnfWriter, AnEmptyDatabaseIs25Lines) {
    std::string expected = "[BREVORA V3 FILE]\r\n[ANTENNA]\r\n";
    for (int i = 0; i < 16; ++i) {
        expected += std::to_string(i) + "\t0\t0\t0\t0\t0\t0\t0\t\r\n";
    }
    expected += "[TS]\r\n[NETWORK]\r\n[PROVIDER]\r\n[FAVORITE]\r\n[SERVICE]\r\n[MENU]\r\n" + emptyMenuLine() + "\r\n";
    EXPECT_EQ(formatQnf(ChannelDatabase()), expected);
}

TEST(QnfWriter, LinesOfEveryTable) {
    ChannelDatabase db;
    db.antennas[0].antLong = 0xFFFFFFFF;
    setAntennaName(db.antennas[0], "0123456789ABCDEF");
    db.antennas[1].antName = {'a', 'b', 'c', '\0', 'x', 'y'};
    db.tsCount = 1;
    db.transportStreams[0] = TsRecord{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    db.networkCount = 2;
    db.networks[1].netName = "Net";
    db.providerCount = 1;
    db.providers[0].provName = "Prov";
    db.favCount[1][3] = 1;
    db.favEntry[1][3][0] = 65535;
    db.favCount[0][1] = 2;
    db.favEntry[0][1][0] = 4;
    db.favEntry[0][1][1] = 5;
    db.videoCount = 1;
    db.audioCount = 1;
    db.services[0] = ServiceRecord{1, 2, 3, 4, 99, 99, 7, 0, 5, 1, 1, 0, 1, 8, 9, 12, 4000000000u, 3, "Name"};
    db.services[1].serviceKind = 2;
    db.menu.menuValue5 = -130;
    db.menu.menuValue25 = -1;
    db.menu.menuValue44 = 65535;
    const std::string text = formatQnf(db);
    auto has = [&](const std::string& line) {
        EXPECT_NE(text.find("\r\n" + line + "\r\n"), std::string::npos) << line;
    };
    has("0\t4294967295\t0\t0\t0\t0\t0\t0\t0123456789ABCDEF");
    has("1\t0\t0\t0\t0\t0\t0\t0\tabc");
    has("3\t4\t5\t6\t8\t9\t1\t2");
    has("[NETWORK]\r\n\r\nNet");  // an empty name is a blank line
    has("[PROVIDER]\r\nProv");
    has("[FAVORITE]\r\n0\t1\t4\r\n0\t1\t5\r\n1\t3\t65535");
    has("V\t1\t2\t3\t4\t7\t5\tTRUE\tFALSE\tTRUE\t4000000000\t3\tName\t12");
    has("A\t0\t0\t0\t0\t0\t0\tFALSE\tFALSE\tFALSE\t0\t0\t\t0");
    EXPECT_NE(text.find("\r\n1\t3\t65535\r\n[SERVICE]"), std::string::npos);
    EXPECT_NE(text.find("\r\n0\t0\t0\t0\t-130\t0\t"), std::string::npos);
    EXPECT_TRUE(text.ends_with("\t-1\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t65535\r\n"));
}

TEST(QnfReader, HeaderLine) {
    EXPECT_EQ(readFailure(""), "corrupt header");
    EXPECT_EQ(readFailure("[BREVORA V3 FILE] \r\n"), "corrupt header");
    EXPECT_EQ(readFailure("[brevora v3 file]\r\n"), "corrupt header");
    // A file with LF line ends is one long line, so its first line is not the header.
    EXPECT_EQ(readFailure("[BREVORA V3 FILE]\n[MENU]\n"), "corrupt header");
    EXPECT_EQ(*read("[BREVORA V3 FILE]"), ChannelDatabase());
    EXPECT_EQ(*read("[BREVORA V3 FILE]\r"), ChannelDatabase());
    try {
        read("nonsense\r\n");
        FAIL();
    } catch (const CorruptQnfHeader& corrupt) {
        EXPECT_STREQ(corrupt.what(), "Corrupt data table..");
        EXPECT_EQ(corrupt.fileName(), "list.qnf");
    }
}

TEST(QnfReader, LineEndsAndEndOfFile) {
    // CR alone ends a line, an LF right after a CR belongs to it, an LF elsewhere is text,
    // and Ctrl-Z ends the file.
    const auto db = read("[BREVORA V3 FILE]\r[NETWORK]\rOne\r\n\nTwo\rThree\x1A\rFour\r\n");
    ASSERT_EQ(db->networkCount, 3);
    EXPECT_EQ(db->networks[1].netName, "\nTwo");
    EXPECT_EQ(db->networks[2].netName, "Three");
}

TEST(QnfReader, TagsAreFoundAnywhereInALine) {
    const auto db =
        read(qnf({"[BREVORA V3 FILE]", "[NETWORK]", "Sky [TS] Net", "1\t0\t0\t0\t0\t0\t0\t0", "xx[PROVIDER]", "Prov"}));
    EXPECT_EQ(db->networkCount, 0);
    EXPECT_EQ(db->tsCount, 1);
    EXPECT_EQ(db->providerCount, 1);
    // Data lines before the first tag are ignored.
    EXPECT_EQ(*read(qnf({"[BREVORA V3 FILE]", "1\t2\t3"})), ChannelDatabase());
}

TEST(QnfReader, TsColumns) {
    struct Case {
        const char* line;
        std::uint32_t networkIndex, tsLongA;
        std::uint16_t tsWordB;
    };
    for (const Case& c :
         {Case{"1\t1234567\t5\t0\t0\t0\t0\t9", 0, 5, 9}, Case{"1\t123456\tabcdefg\t0\t0\t0\t0\tx", 123456, 0, 0},
          Case{"1\t$10\t0x20\t0\t0\t0\t0\t70000", 16, 32, 70000 & 0xFFFF}}) {
        const auto db = read(qnf({"[BREVORA V3 FILE]", "[TS]", c.line}));
        ASSERT_EQ(db->tsCount, 1) << c.line;
        EXPECT_EQ(db->transportStreams[0].networkIndex, c.networkIndex) << c.line;
        EXPECT_EQ(db->transportStreams[0].tsLongA, c.tsLongA) << c.line;
        EXPECT_EQ(db->transportStreams[0].tsWordB, c.tsWordB) << c.line;
    }
    EXPECT_EQ(readFailure(qnf({"[BREVORA V3 FILE]", "[TS]", "1\tabc"})),
              "list.qnf: line 3, column 2: 'abc' is not a number");
}

TEST(QnfReader, AntennaLines) {
    struct Case {
        const char* line;
        std::uint32_t antLong;
        const char* name;
    };
    const Case cases[] = {
        {"3\t0\t1\t2\t3\t4\t5\t6\tName", 0xFFFFFFFF, "Name"},
        {"3\tletters\t1\t2\t3\t4\t5\t6\tTab\tinside", 0xFFFFFFFF, "Tab\tinside"},
        {"3\t4294967295\t1\t2\t3\t4\t5\t6\t", 0xFFFFFFFF, ""},
        {"3\t-2\t1\t2\t3\t4\t5\t6\tSeventeen chars!!", 0xFFFFFFFE, "Seventeen chars!"},
        {"3\t12345\t1\t2\t3\t4\t5\t6\tExactly 16 chars", 12345, "Exactly 16 chars"},
    };
    for (const Case& c : cases) {
        const auto db = read(qnf({"[BREVORA V3 FILE]", "[ANTENNA]", c.line}));
        const AntennaRecord& a = db->antennas[3];
        EXPECT_EQ(a.antLong, c.antLong) << c.line;
        EXPECT_EQ(a.antByteD, 6);
        EXPECT_EQ(std::string(a.antName.data(), strnlen(a.antName.data(), 16)), c.name);
    }
    // A short line: the missing columns read as "0" and the name is empty.
    const auto shortLine = read(qnf({"[BREVORA V3 FILE]", "[ANTENNA]", "4\t5"}));
    EXPECT_EQ(shortLine->antennas[4].antLong, 5u);
    EXPECT_EQ(shortLine->antennas[4].antName, AntennaRecord().antName);
    // A blank line resets antenna 0; positions need not come in order; a second line for a
    // position leaves nothing of the first one's name.
    const auto db = read(qnf({"[BREVORA V3 FILE]", "[ANTENNA]", "15\t1\t0\t0\t0\t0\t0\t0\tLast",
                              "0\t7\t1\t1\t1\t1\t1\t1\tLong name here", "0\t7\t1\t1\t1\t1\t1\t1\tAB", ""}));
    EXPECT_EQ(db->antennas[15].antLong, 1u);
    EXPECT_EQ(db->antennas[0].antLong, 0xFFFFFFFFu);
    EXPECT_EQ(db->antennas[0].antName, AntennaRecord().antName);
    const auto twice = read(qnf(
        {"[BREVORA V3 FILE]", "[ANTENNA]", "2\t7\t1\t1\t1\t1\t1\t1\tLong name here", "2\t7\t1\t1\t1\t1\t1\t1\tAB"}));
    AntennaRecord expected;
    setAntennaName(expected, "AB");
    EXPECT_EQ(twice->antennas[2].antName, expected.antName);
}

TEST(QnfReader, ServiceColumnsAreLenient) {
    const auto db = read(
        qnf({"[BREVORA V3 FILE]", "[SERVICE]", "V\t1\t2\t3\t4\t5\t6\tTRUE\tTRUE\tFALSE\t7\t8\tName\t9",
             "v\t1\t2\t3\t4\t5\t6\ttrue\tTRUE\tfalse\t7\t8\tName\tx", "V\t1\t2\t3\t4", "",
             "A\t0\t0\t0\t0\t0\t300\tTRUE\tFALSE\tTRUE\t0\t0\tA name longer than forty characters, cut here\t-1"}));
    ASSERT_EQ(db->videoCount, 2);
    ASSERT_EQ(db->audioCount, 3);
    const ServiceRecord& first = db->services[0];
    EXPECT_EQ(first.serviceKind, 0);
    EXPECT_EQ(first.svcNibble, 6);
    EXPECT_EQ(first.svcFlag3, 1);
    EXPECT_EQ(first.svcFlag1, 1);
    EXPECT_EQ(first.svcFlag0, 0);
    EXPECT_EQ(first.tsIndex, 7u);
    EXPECT_EQ(first.providerIndex, 8u);
    EXPECT_EQ(first.channelNumber, 9);
    const ServiceRecord& lower = db->services[1];
    EXPECT_EQ(lower.serviceKind, 1);
    EXPECT_EQ(lower.svcFlag3, 0);
    EXPECT_EQ(lower.svcFlag0, 1);
    EXPECT_EQ(lower.channelNumber, 0);
    ServiceRecord five;  // five columns: the rest read as "0"
    five.svcWordA = 1, five.svcWordB = 2, five.svcWordC = 3, five.svcWordD = 4, five.svcFlag0 = 1, five.svcName = "0";
    EXPECT_EQ(db->services[2], five);
    ServiceRecord blank;  // a blank line: an audio service named "0"
    blank.serviceKind = 1, blank.svcFlag0 = 1, blank.svcName = "0";
    EXPECT_EQ(db->services[3], blank);
    EXPECT_EQ(db->services[4].svcNibble, 44);  // 300 keeps its low 8 bits
    EXPECT_EQ(db->services[4].svcName, "A name longer than forty characters, cut");
    EXPECT_EQ(db->services[4].svcName.size(), 40u);
    EXPECT_EQ(db->services[4].channelNumber, 0xFFFF);
}

TEST(QnfReader, NamesAndMenuLines) {
    const std::string fifty(50, 'n');
    std::string menu1 = emptyMenuLine();
    std::string menu2 = "1\t2\t3\t4\t-130\t-6";
    for (int i = 7; i <= 44; ++i) {
        menu2 += "\t" + std::to_string(i == 25 ? -1 : i == 44 ? 65535 : i);
    }
    const auto db = read(qnf({"[BREVORA V3 FILE]", "[PROVIDER]", fifty, "[MENU]", menu1, menu2}));
    EXPECT_EQ(db->providers[0].provName, std::string(40, 'n'));
    EXPECT_EQ(db->menu.menuValue5, -130);
    EXPECT_EQ(db->menu.menuValue6, -6);
    EXPECT_EQ(db->menu.menuValue25, -1);
    EXPECT_EQ(db->menu.menuValue43, 43);
    EXPECT_EQ(db->menu.menuValue44, 65535);
    EXPECT_EQ(db->menu.menuHeaderWord, 0);
    EXPECT_EQ(db->menu.menuExtraLongA, 0u);
    // A blank line after the menu line is a menu line whose last column is empty: a failure.
    EXPECT_EQ(readFailure(qnf({"[BREVORA V3 FILE]", "[MENU]", menu2, ""})),
              "list.qnf: line 4, column 44: '' is not a number");
}

TEST(QnfReader, IntegerConversion) {
    struct Case {
        const char* text;
        bool ok;
        std::int32_t value;
    };
    const Case cases[] = {
        {"42", true, 42},
        {"  42", true, 42},
        {"+42", true, 42},
        {"-42", true, -42},
        {"$ff", true, 255},
        {"x1F", true, 31},
        {"X1f", true, 31},
        {"0x10", true, 16},
        {"0XfFfFfFfF", true, -1},
        {"-$10", true, 16},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"$100000000", false, 0},
        {"42 ", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"0x", false, 0},
        {"4a", false, 0},
        {" - 4", false, 0},
        {"1e3", false, 0},
    };
    for (const Case& c : cases) {
        const auto result =
            readFailure(qnf({"[BREVORA V3 FILE]", "[MENU]", std::string(c.text) + emptyMenuLine().substr(1)}));
        if (c.ok) {
            EXPECT_EQ(result, "no failure") << c.text;
            EXPECT_EQ(read(qnf({"[BREVORA V3 FILE]", "[FAVORITE]", std::string("0\t0\t") + c.text}))->favEntry[0][0][0],
                      static_cast<std::uint16_t>(c.value))
                << c.text;
        } else {
            EXPECT_NE(result.find("line 3, column 1"), std::string::npos) << c.text << ": " << result;
        }
    }
}

TEST(QnfReader, RefusesLinesBeyondTheTables) {
    struct Case {
        const char* what;
        std::string text;
        std::string message;
    };
    auto many = [](const char* tag, std::size_t count, const std::string& line) {
        std::string text = qnf({"[BREVORA V3 FILE]", tag});
        for (std::size_t i = 0; i < count; ++i) {
            text += line + "\r\n";
        }
        return text;
    };
    const Case cases[] = {
        {"antenna 16", qnf({"[BREVORA V3 FILE]", "[ANTENNA]", "16\t1"}),
         "list.qnf: line 3, column 1: antenna position 16"},
        {"antenna -1", qnf({"[BREVORA V3 FILE]", "[ANTENNA]", "-1\t1"}), "line 3, column 1: antenna position -1"},
        {"group 2", qnf({"[BREVORA V3 FILE]", "[FAVORITE]", "2\t0\t1"}), "line 3, column 1: favourite group 2"},
        {"list 4", qnf({"[BREVORA V3 FILE]", "[FAVORITE]", "0\t4\t1"}), "line 3, column 2: favourite list 4"},
        {"101 favourites", many("[FAVORITE]", 101, "1\t3\t7"), "line 103: favourite list 1/3 has more than 100"},
        {"1001 TS", many("[TS]", 1001, "1"), "line 1003: more than 1000 TS records"},
        {"501 networks", many("[NETWORK]", 501, "n"), "line 503: more than 500 networks"},
        {"501 providers", many("[PROVIDER]", 501, "p"), "line 503: more than 500 providers"},
        {"4001 services", many("[SERVICE]", 4001, "V"), "line 4003: more than 4000 services"},
    };
    for (const Case& c : cases) {
        const std::string result = readFailure(c.text);
        EXPECT_NE(result.find(c.message), std::string::npos) << c.what << ": " << result;
    }
    // Exactly at the capacities is fine.
    EXPECT_EQ(read(many("[SERVICE]", 4000, "A"))->audioCount, 4000);
    EXPECT_EQ(read(many("[FAVORITE]", 100, "1\t3\t7"))->favCount[1][3], 100);
}

namespace bv3::channeldb {
namespace {

std::string readWholeFailure(const std::string& text) {
    auto db = std::make_unique<ChannelDatabase>();
    std::istringstream in(text);
    try {
        readQnf(in, *db, "list.qnf");
    } catch (const CorruptQnfHeader& corrupt) {
        return std::string(corrupt.what()) + " (" + corrupt.detail() + ")";
    } catch (const ConversionError& failure) {
        return failure.what();
    }
    return "no failure";
}

// Every list the system writes ends with its [MENU] line and the menu values; a list without
// them was cut off, and built into an image it would drop the rest of the channels.
TEST(QnfReader, AListCutOffBeforeItsMenuIsRefused) {
    const std::string whole = qnf({"[BREVORA V3 FILE]", "[SERVICE]", "V\t1\t2\t3\t4\t5\t6\tTRUE\tTRUE\tFALSE\t7\t8\tOne\t9",
                                   "V\t1\t2\t3\t4\t5\t6\tTRUE\tTRUE\tFALSE\t7\t8\tTwo\t10", "[MENU]", emptyMenuLine()});
    struct Case {
        const char* name;
        std::string text;
        const char* failure;
    };
    const Case cases[] = {
        {"complete", whole, "no failure"},
        {"menu before the services", qnf({"[BREVORA V3 FILE]", "[MENU]", emptyMenuLine(), "[SERVICE]"}), "no failure"},
        {"header only", qnf({"[BREVORA V3 FILE]"}), "list.qnf: line 1: the list ends here without its [MENU] line"},
        {"header without line end", "[BREVORA V3 FILE]", "list.qnf: line 1: the list ends here"},
        {"cut inside a service line", whole.substr(0, whole.find("Two") + 2), "list.qnf: line 4: the list ends here"},
        {"cut after the [MENU] tag", whole.substr(0, whole.find("[MENU]") + 8), "list.qnf: line 5: the list ends here"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(readWholeFailure(c.text).starts_with(c.failure)) << readWholeFailure(c.text);
    }
}

TEST(QnfReader, AFileWithLfLineEndsIsToldSo) {
    EXPECT_EQ(readWholeFailure("[BREVORA V3 FILE]\n[MENU]\n0\n"),
              "Corrupt data table.. (the lines end in LF where CR LF is required)");
    EXPECT_EQ(readWholeFailure("[BREVORA V3 FILE] \r\n"), "Corrupt data table.. (the first line is not \"[BREVORA V3 FILE]\")");
}

TEST(QnfReader, AStreamLargerThanAnyListIsRefusedWithoutReadingItAll) {
    // The header and then more than the bound: refused for its size, not for what it holds.
    std::string text = "[BREVORA V3 FILE]\r\n";
    text.resize(maxQnfFileSize + 1, 'x');
    EXPECT_EQ(readWholeFailure(text), "list.qnf: the file is larger than any channel list can be (8388608 bytes)");
}

TEST(QnfReader, ARefusedValueIsQuotedShortWithControlBytesShown) {
    struct Case {
        const char* name;
        std::string value;
        std::string shown;
    };
    const Case cases[] = {
        {"a megabyte", std::string(1 << 20, '7') + "x", std::string(80, '7') + "\u2026"},
        {"a NUL and a Ctrl-Z", std::string("a\0b\x1A", 4), "a\\x00b\\x1A"},
        {"UTF-8 not cut in two", std::string(79, 'x') + "\u00e9z", std::string(79, 'x') + "\u2026"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(quotedText(c.value), c.shown);
    }
    const std::string failure =
        readWholeFailure(qnf({"[BREVORA V3 FILE]", "[TS]", "1\t" + cases[1].value, "[MENU]", emptyMenuLine()}));
    EXPECT_EQ(failure, "list.qnf: line 3, column 2: 'a\\x00b' is not a number");
}

}  // namespace
}  // namespace bv3::channeldb
