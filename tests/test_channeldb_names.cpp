// Names a QNF line cannot carry, as a receiver's image can hold them: the list written from
// such an image reads back with as many services as the image has, every channel number in
// its place, and the name shown with a visible substitute; the image check and the conversion
// name each such record.
#include "channeldb/image_check.h"
#include "channeldb/qnf_names.h"
#include "channeldb/qnf_reader.h"
#include "channeldb/qnf_writer.h"
#include "channeldb/raw_reader.h"
#include "channeldb/raw_writer.h"
#include "channeldb/uploaded_image.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

using namespace bv3::channeldb;

namespace {

struct NameCase {
    const char* name;
    const char* written;
    const char* fault;
};

// Each fault as it broke the list before: Ctrl-Z ended the file, a tag switched sections, a
// TAB moved the channel number, a CR (or LF) started a line of its own.
constexpr NameCase nameCases[] = {
    {"Ctrl\x1AZ", "Ctrl?Z", "a Ctrl-Z"},
    {"News [TS] One", "News (TS) One", "the section tag [TS]"},
    {"[SERVICE][MENU]", "(SERVICE)(MENU)", "the section tag [SERVICE]"},
    {"Tab\tbed", "Tab?bed", "a TAB"},
    {"Car\rriage", "Car?riage", "a CR"},
    {"Line\nfeed", "Line?feed", "an LF"},
    {"Plain [ name ]", "Plain [ name ]", ""},
};

std::unique_ptr<ChannelDatabase> databaseWithNames(std::uint8_t model) {
    auto db = std::make_unique<ChannelDatabase>();
    db->tsCount = 1;
    db->networkCount = 1;
    db->networks[0].netName = "Net[MENU]";
    db->providerCount = 1;
    db->providers[0].provName = "Prov\x1A";
    for (const NameCase& c : nameCases) {
        ServiceRecord& s = db->services[db->videoCount++];
        s.serviceKind = 0;
        s.svcName = c.name;
        s.channelNumber = model >= 4 ? static_cast<std::uint16_t>(db->videoCount) : 0;
    }
    return db;
}

TEST(QnfNames, EachFaultHasAVisibleSubstituteAndANamedReason) {
    for (const NameCase& c : nameCases) {
        SCOPED_TRACE(c.written);
        EXPECT_EQ(qnfSafeName(c.name), c.written);
        EXPECT_EQ(qnfUnsafePart(c.name), c.fault);
    }
}

TEST(QnfNames, AnImageWithSuchNamesBecomesAListThatReadsBackWhole) {
    constexpr std::uint8_t model = 4;
    constexpr std::uint8_t variant = 3;
    const auto original = databaseWithNames(model);
    const auto upload = composeUploadedImage(buildConfigImage(*original, variant, model),
                                             buildServiceImage(*original, model), model);
    auto fromImage = std::make_unique<ChannelDatabase>();
    readRawImage(upload, variant, model, *fromImage);

    const std::string text = formatQnf(*fromImage);
    auto back = std::make_unique<ChannelDatabase>();
    std::istringstream in(text);
    readQnf(in, *back, "names.qnf");
    ASSERT_EQ(back->videoCount, std::size(nameCases));
    EXPECT_EQ(back->audioCount, 0u);
    EXPECT_EQ(back->networkCount, 1u);
    EXPECT_EQ(back->networks[0].netName, "Net(MENU)");
    EXPECT_EQ(back->providers[0].provName, "Prov?");
    for (std::size_t i = 0; i < std::size(nameCases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back->services[i].svcName, nameCases[i].written);
        EXPECT_EQ(back->services[i].channelNumber, i + 1);
    }
    // Written again, the list is the same: the substitutes are ordinary characters.
    const std::string again = formatQnf(*back);
    EXPECT_EQ(again.substr(again.find("[TS]")), text.substr(text.find("[TS]")));

    // The conversion's warnings and the image check name every record changed.
    const auto repairs = qnfNameRepairs(*fromImage);
    const auto report = checkUploadedImage(upload, variant, model);
    for (const auto* findings : {&repairs, &report.findings}) {
        std::string all;
        for (const Finding& f : *findings) {
            all += formatFinding(f) + "\n";
        }
        EXPECT_NE(all.find("network 0: warning: the name \"Net[MENU]\" holds the section tag [MENU]"), std::string::npos)
            << all;
        EXPECT_NE(all.find("provider 0: warning: the name \"Prov\\x1A\" holds a Ctrl-Z, which a channel list cannot "
                           "carry; written as \"Prov?\""),
                  std::string::npos)
            << all;
        EXPECT_NE(all.find("service 3: warning: the name \"Tab\\tbed\" holds a TAB"), std::string::npos) << all;
        EXPECT_EQ(all.find("Plain"), std::string::npos) << all;
    }
    EXPECT_EQ(repairs.size(), 8u);
    // Each names its row, so an editor can go to it; the image check's copy has no file offset,
    // since the image itself is sound.
    for (const Finding& f : report.findings) {
        if (f.where == "service 3") {
            EXPECT_EQ(f.place.table, ListTable::Services);
            EXPECT_EQ(f.place.row, 3u);
            EXPECT_FALSE(f.offset.has_value());
        }
    }
}

}  // namespace
