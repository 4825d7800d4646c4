// The checks of a channel list before a build: each fault is found at its line, with the
// severity that decides whether a build refuses the list.

#include "channeldb/conversion_error.h"
#include "channeldb/qnf_check.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/qnf_writer.h"
#include "channeldb_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace bv3::channeldb {
namespace {

using testing::describe;

// A QNF text built line by line; add() gives the line number of the line it adds.
class QnfText {
public:
    std::size_t add(const std::string& line) {
        lines_.push_back(line);
        return lines_.size();
    }
    std::string text() const {
        std::string text;
        for (const auto& line : lines_) {
            text += line + "\r\n";
        }
        return text;
    }

private:
    std::vector<std::string> lines_{"[BREVORA V3 FILE]"};
};

std::string serviceLine(char kind, std::uint32_t ts, std::uint32_t provider, const std::string& name,
                        std::uint32_t number) {
    return std::string(1, kind) + "\t1\t2\t3\t4\t5\t0\tFALSE\tFALSE\tTRUE\t" + std::to_string(ts) + "\t" +
           std::to_string(provider) + "\t" + name + "\t" + std::to_string(number);
}

std::string menuLine() {
    std::string line = "0";
    for (int i = 1; i < 44; ++i) {
        line += "\t0";
    }
    return line;
}

// Two TS on two networks, two providers, a favourite in the first list of each group and the
// menu; the [SERVICE] section comes last, so a case adds its services at the end.
void smallList(QnfText& q) {
    q.add("[TS]");
    q.add("1000\t0\t11156\t22000\t0\t3\t1\t3000");
    q.add("1001\t1\t11244\t27500\t1\t3\t2\t3007");
    q.add("[NETWORK]");
    q.add("Skyline");
    q.add("Orbital");
    q.add("[PROVIDER]");
    q.add("Tessera");
    q.add("Lumen");
    q.add("[FAVORITE]");
    q.add("0\t0\t1");
    q.add("1\t0\t3");
    q.add("[MENU]");
    q.add(menuLine());
    q.add("[SERVICE]");
}

struct Expect {
    Severity severity;
    std::size_t line;
    std::string text;  // a part of the message
};

struct Case {
    const char* name;
    std::uint8_t model;
    std::function<std::vector<Expect>(QnfText&)> build;
};

constexpr auto E = Severity::Error;
constexpr auto W = Severity::Warning;

std::vector<Expect> none() {
    return {};
}

const Case cases[] = {
    {"clean list, model 0", 0,
     [](QnfText& q) {
         smallList(q);
         q.add(serviceLine('V', 0, 0, "Alpha", 1));
         q.add(serviceLine('V', 1, 1, "Beta", 2));
         q.add(serviceLine('A', 1, 0, "Gamma", 1));
         return none();
     }},
    {"clean list with unnumbered services, model 4", 4,
     [](QnfText& q) {
         smallList(q);
         q.add(serviceLine('V', 0, 0, "Alpha", 1));
         q.add(serviceLine('V', 1, 1, "Beta", 0));
         q.add(serviceLine('A', 1, 0, "Gamma", 0));
         return none();
     }},
    {"header followed by a space", 0,
     [](QnfText&) {
         return std::vector<Expect>{{E, 1, "Corrupt data table.."}};
     }},
    {"TS reference beyond the TS", 0,
     [](QnfText& q) {
         smallList(q);
         q.add(serviceLine('V', 0, 0, "Alpha", 1));
         return std::vector<Expect>{{E, q.add(serviceLine('V', 2, 0, "Beta", 2)), "refers to TS 2"}};
     }},
    {"provider reference beyond the providers", 0,
     [](QnfText& q) {
         smallList(q);
         return std::vector<Expect>{{E, q.add(serviceLine('A', 0, 7, "Beta", 2)), "refers to provider 7"}};
     }},
    {"network reference beyond the networks", 0,
     [](QnfText& q) {
         smallList(q);
         q.add("[TS]");  // a third TS, after the two of the small list
         return std::vector<Expect>{{E, q.add("1002\t2\t11303\t22000\t0\t3\t3\t3014"), "refers to network 2"}};
     }},
    {"references into empty tables", 0,
     [](QnfText& q) {
         q.add("[SERVICE]");
         q.add(serviceLine('V', 0, 0, "Defaults", 1));
         const std::size_t line = q.add(serviceLine('V', 1, 0, "Dangling", 2));
         q.add("[TS]");
         const std::size_t ts = q.add("1000\t1\t11156\t22000\t0\t3\t1\t3000");
         return std::vector<Expect>{{E, line, "refers to TS 1"}, {E, ts, "refers to network 1"}};
     }},
    {"audio before video", 0,
     [](QnfText& q) {
         smallList(q);
         const std::size_t audio = q.add(serviceLine('A', 0, 0, "Radio", 1));
         const std::size_t video = q.add(serviceLine('V', 0, 0, "Vision", 1));
         q.add(serviceLine('V', 0, 0, "Vision 2", 2));
         return std::vector<Expect>{{W, video, "(line " + std::to_string(audio) + "); 2 video service(s)"}};
     }},
    {"more services than the banks of model 2", 2,
     [](QnfText& q) {
         smallList(q);
         std::size_t line = 0;
         for (int i = 0; i < 2185; ++i) {
             line = q.add(serviceLine(i < 1100 ? 'V' : 'A', 0, 0, "S", 1));
         }
         return std::vector<Expect>{{E, line, "hold at most 2184"}};
     }},
    {"more video services than the list's slots", 0,
     [](QnfText& q) {
         smallList(q);
         std::size_t line = 0;
         for (int i = 0; i < 2001; ++i) {
             line = q.add(serviceLine('V', 0, 0, "S", 1));
         }
         return std::vector<Expect>{{E, line, "the video list of model 0 has 2000 slots"}};
     }},
    {"numbered service on the first unnumbered slot, model 4", 4,
     [](QnfText& q) {
         smallList(q);
         const std::size_t unnumbered = q.add(serviceLine('V', 0, 0, "Loose", 0));
         std::size_t line = 0;
         for (int i = 1; i <= 100; ++i) {
             line = q.add(serviceLine('V', 0, 0, "N" + std::to_string(i), static_cast<std::uint32_t>(i)));
         }
         return std::vector<Expect>{{E, line, "slot 100, which \"Loose\" (line " + std::to_string(unnumbered)}};
     }},
    {"numbered service on the first unnumbered slot, model 5 audio", 5,
     [](QnfText& q) {
         smallList(q);
         q.add(serviceLine('A', 0, 0, "Loose", 0));
         std::size_t line = 0;
         for (int i = 1; i <= 100; ++i) {
             line = q.add(serviceLine('A', 0, 0, "N", static_cast<std::uint32_t>(i)));
         }
         return std::vector<Expect>{{E, line, "audio service \"N\" falls on list slot 100"}};
     }},
    {"numbered service on the first unnumbered slot, model 3", 3,
     [](QnfText& q) {
         smallList(q);
         q.add(serviceLine('V', 0, 0, "Loose", 0));
         std::size_t line = 0;
         for (int i = 1; i <= 999; ++i) {
             line = q.add(serviceLine('V', 0, 0, "N", static_cast<std::uint32_t>(i)));
         }
         return std::vector<Expect>{{E, line, "slot 999"}};
     }},
    {"the same list under model 0 has no unnumbered slots", 0,
     [](QnfText& q) {
         smallList(q);
         q.add(serviceLine('V', 0, 0, "Loose", 0));
         for (int i = 1; i <= 100; ++i) {
             q.add(serviceLine('V', 0, 0, "N", static_cast<std::uint32_t>(i)));
         }
         return none();
     }},
    {"names beyond the receiver's fields, model 0", 0,
     [](QnfText& q) {
         q.add("[NETWORK]");
         const std::size_t network = q.add("Network of twenty ch");
         q.add("Network of nineteen");
         q.add("[PROVIDER]");
         const std::size_t provider = q.add("Provider with a long name");
         q.add("[SERVICE]");
         q.add(serviceLine('V', 0, 0, "Nineteen characters", 1));
         const std::size_t service = q.add(serviceLine('V', 0, 0, "Twenty characters!!!", 2));
         return std::vector<Expect>{{W, service, "keeps 19: \"Twenty characters!!\""},
                                    {W, network, "has 20 characters"},
                                    {W, provider, "has 25 characters"}};
     }},
    {"names beyond the receiver's fields, model 2", 2,
     [](QnfText& q) {
         smallList(q);
         q.add(serviceLine('V', 0, 0, std::string(29, 'x'), 1));
         return std::vector<Expect>{{W, q.add(serviceLine('V', 0, 0, std::string(30, 'y'), 2)), "keeps 29"}};
     }},
    {"duplicate channel numbers, model 4", 4,
     [](QnfText& q) {
         smallList(q);
         const std::size_t first = q.add(serviceLine('V', 0, 0, "First", 7));
         const std::size_t second = q.add(serviceLine('V', 0, 0, "Second", 7));
         q.add(serviceLine('A', 0, 0, "Radio", 7));  // the audio list numbers on its own
         q.add(serviceLine('A', 0, 0, "Radio 2", 8));
         const std::size_t radio = q.add(serviceLine('A', 0, 0, "Radio 3", 8));
         return std::vector<Expect>{{W, second, "\"First\" (line " + std::to_string(first)},
                                    {W, radio, "channel number 8"}};
     }},
    {"duplicate channel numbers are not kept by model 0", 0,
     [](QnfText& q) {
         smallList(q);
         q.add(serviceLine('V', 0, 0, "First", 7));
         q.add(serviceLine('V', 0, 0, "Second", 7));
         return none();
     }},
    {"favourite lists model 0 does not have", 0,
     [](QnfText& q) {
         smallList(q);
         q.add("[FAVORITE]");
         const std::size_t list1 = q.add("0\t1\t5");
         q.add("0\t1\t6");
         const std::size_t list3 = q.add("1\t3\t7");
         return std::vector<Expect>{{W, list1, "favourite list 0/1 has 2 entries"},
                                    {W, list3, "favourite list 1/3 has 1 entry"}};
     }},
    {"favourite lists model 1 has", 1,
     [](QnfText& q) {
         smallList(q);
         q.add("[FAVORITE]");
         q.add("0\t3\t5");
         return none();
     }},
};

class ChannelListCase : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ChannelListCase, FindsEachFaultAtItsLine) {
    const Case& c = cases[GetParam()];
    QnfText q;
    const std::vector<Expect> expected = c.build(q);
    std::string text = q.text();
    if (std::string_view(c.name) == "header followed by a space") {
        text.insert(std::string("[BREVORA V3 FILE]").size(), " ");
    }
    if (text.find("[MENU]") == std::string::npos) {
        // A case about other sections still makes a whole list; the menu at the end moves
        // no line of the case.
        text += "[MENU]\r\n" + menuLine() + "\r\n";
    }
    const CheckReport report = checkChannelListText(text, c.model, "list.qnf");
    EXPECT_EQ(report.findings.size(), expected.size()) << describe(report);
    for (const Expect& e : expected) {
        const bool found = std::any_of(report.findings.begin(), report.findings.end(), [&](const Finding& f) {
            return f.severity == e.severity && f.line == e.line && f.where == "line " + std::to_string(e.line) &&
                   f.message.find(e.text) != std::string::npos;
        });
        EXPECT_TRUE(found) << "no " << (e.severity == E ? "error" : "warning") << " at line " << e.line << " with \""
                           << e.text << "\" in:\n"
                           << describe(report);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ChannelListCase, ::testing::Range<std::size_t>(0, std::size(cases)),
                         [](const auto& info) {
                             std::string name = cases[info.param].name;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

TEST(ChannelListCheck, TheSampleListPassesForTheModelsWithFourFavouriteLists) {
    for (const std::uint8_t model : {1, 4}) {
        const CheckReport report = checkChannelListFile(std::string(BV3_SOURCE_DIR) + "/samples/channels.qnf", model);
        EXPECT_TRUE(report.passed()) << describe(report);
        EXPECT_GT(report.counts.videoServices, 0u);
        EXPECT_GT(report.counts.favourites, 0u);
    }
}

// The reader keeps the low-order bits of a number its field cannot hold (stored lists rely on
// it), so the check names each such number, its line and column, and what the receiver gets.
TEST(ChannelListCheck, ANumberItsFieldCannotHoldIsAnErrorSayingWhatTheReceiverGets) {
    QnfText q;
    q.add("[ANTENNA]");
    const std::size_t antenna = q.add("0\t99999999999\t0\t0\t0\t0\t0\t0\tDish");
    q.add("1\t4294967295\t0\t0\t0\t0\t0\t0\tDish");  // the writer's own way of the fallback value
    smallList(q);
    const std::size_t word = q.add("V\t70000\t2\t3\t4\t5\t0\tFALSE\tFALSE\tTRUE\t0\t0\tWide\t0");
    const std::size_t number = q.add("V\t1\t2\t3\t4\t5\t0\tFALSE\tFALSE\tTRUE\t0\t0\tMinus\t-5");
    const std::size_t nibble = q.add("V\t1\t2\t3\t4\t5\t99\tFALSE\tFALSE\tTRUE\t0\t0\tNibble\t0");
    q.add("V\t$FFFF\t2\t3\t4\t5\t15\tFALSE\tFALSE\tTRUE\t0\t0\tHex\t65535");  // all fit
    q.add("[FAVORITE]");
    const std::size_t favourite = q.add("0\t1\t70005");
    const CheckReport report = checkChannelListText(q.text(), 4, "list.qnf");
    const std::vector<std::pair<std::size_t, std::string>> expected = {
        {antenna, "line " + std::to_string(antenna) +
                      ", column 2: error: 99999999999 does not fit this field (0 to 4294967295); the receiver would get "
                      "4294967295"},
        {word, "line " + std::to_string(word) +
                   ", column 2: error: 70000 does not fit this field (0 to 65535); the receiver would get 4464"},
        {number, "line " + std::to_string(number) +
                     ", column 14: error: -5 does not fit this field (0 to 65535); the receiver would get 65531"},
        {favourite, "line " + std::to_string(favourite) +
                        ", column 3: error: 70005 does not fit this field (0 to 65535); the receiver would get 4469"},
        {nibble, "its 0-to-15 value 99 does not fit; the receiver would get 3"},
    };
    std::string all;
    for (const Finding& f : report.findings) {
        all += formatFinding(f) + "\n";
    }
    for (const auto& [line, text] : expected) {
        EXPECT_NE(all.find(text), std::string::npos) << text << "\nin:\n" << all;
    }
    EXPECT_EQ(report.findings.size(), expected.size()) << all;
    EXPECT_TRUE(report.hasErrors());
}

TEST(ChannelListCheck, AValueTheReaderRefusesIsOneErrorWithTheReadersMessage) {
    QnfText q;
    q.add("[SERVICE]");
    q.add("V\tabc");
    const CheckReport report = checkChannelListText(q.text(), 0, "list.qnf");
    ASSERT_EQ(report.findings.size(), 1u);
    EXPECT_EQ(report.findings[0].severity, Severity::Error);
    EXPECT_NE(report.findings[0].message.find("list.qnf: line 3, column 2"), std::string::npos)
        << report.findings[0].message;
    EXPECT_EQ(report.findings[0].line, 3u);
}

TEST(ChannelListCheck, LineNumbersFollowTheReadersLineEndsAndTags) {
    // Lines end in CR alone or CR LF; an LF alone is part of a line; a line holding a tag
    // switches the section; Ctrl-Z ends the text.
    const std::string text = "[BREVORA V3 FILE]\r[SERVICE]\r\n" + serviceLine('V', 0, 0, "One", 1) + "\r" +
                             "x [NETWORK] x\r\n" + "Net\nwork\r" + "[SERVICE]\r" + serviceLine('V', 0, 0, "Two", 2) +
                             "\r\x1A" + serviceLine('V', 0, 0, "Never", 3) + "\r";
    const QnfLineMap map = mapQnfLines(text);
    EXPECT_EQ(map.services, (std::vector<std::size_t>{3, 7}));
    EXPECT_EQ(map.networks, (std::vector<std::size_t>{5}));
    ChannelDatabase db;
    std::istringstream in(text);
    // The text ends at the Ctrl-Z, before any menu: read as the fragment it is.
    readQnf(in, db, "list.qnf", MenuLine::optional);
    EXPECT_EQ(db.serviceCount(), map.services.size());
    EXPECT_EQ(db.networkCount, map.networks.size());
}

// The editor names its findings by the lines of the text it saves as, from the counts alone:
// those lines must be where the writer puts the records, favourite entries included.
TEST(ChannelListCheck, TheWritersLinesAreTheLinesOfTheTextItWrites) {
    auto db = std::make_unique<ChannelDatabase>();
    readQnfFile(std::string(BV3_SOURCE_DIR) + "/samples/channels.qnf", *db);
    db->favCount[1][3] = 2;  // a list after gaps, so the entry order across lists counts
    const QnfLineMap written = qnfLinesOf(*db);
    EXPECT_EQ(written, mapQnfLines(formatQnf(*db)));
    ASSERT_FALSE(written.services.empty());
    EXPECT_EQ(lineOf(written, {ListTable::Services, 0, 0, 0}), written.services[0]);
    EXPECT_EQ(lineOf(written, {ListTable::Favourites, 1, 1, 3}), written.favourites[1][3][1]);
    EXPECT_FALSE(lineOf(written, {ListTable::Favourites, 2, 1, 3}));
}

TEST(ChannelListCheck, WithoutLinesAFindingNamesTheRow) {
    auto db = std::make_unique<ChannelDatabase>();
    db->videoCount = 2;
    db->services[1].tsIndex = 3;
    const auto findings = checkChannelList(*db, 0);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].where, "service 2");
    EXPECT_FALSE(findings[0].line.has_value());
    EXPECT_EQ(findings[0].place.table, ListTable::Services);
    EXPECT_EQ(findings[0].place.row, 1u);
}

TEST(ChannelListCheck, RefusesAnUnknownModel) {
    ChannelDatabase db;
    EXPECT_THROW(checkChannelList(db, 6), ConversionError);
}

}  // namespace
}  // namespace bv3::channeldb
