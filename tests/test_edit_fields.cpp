// The field tables: every settable field is set through the core as one undoable step, a
// value outside a field's range is refused by name and range, and the numbers of a TS or
// antenna line land in the fields of its QNF columns.
#include "edit/edit_error.h"
#include "edit/record_fields.h"
#include "edit_test_support.h"

#include <gtest/gtest.h>

namespace bv3::edit {
namespace {

using testing::sampleList;

struct SetCase {
    RecordType type;
    const char* field;
    std::size_t row;
    std::uint64_t value;
};

// Each settable number field takes a value in range as one step; undo gives the old list back.
TEST(EditFields, EverySettableFieldIsOneUndoableStep) {
    const SetCase cases[] = {
        {RecordType::Service, "svcNibble", 2, 9},        {RecordType::Service, "svcFlag3", 2, 1},
        {RecordType::Service, "svcFlag1", 2, 1},         {RecordType::Service, "svcFlag0", 2, 0},
        {RecordType::Service, "providerIndex", 2, 5},    {RecordType::Service, "tsIndex", 2, 7},
        {RecordType::Service, "channelNumber", 2, 900},  {RecordType::TransportStream, "tsWordC", 1, 65535},
        {RecordType::TransportStream, "networkIndex", 1, 3}, {RecordType::TransportStream, "tsByteB", 1, 255},
        {RecordType::Antenna, "antLong", 3, 12345},      {RecordType::Antenna, "antByteD", 3, 200},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(c.field);
        ChannelList list = sampleList();
        const channeldb::ChannelDatabase before = list.database();
        const std::size_t field = fieldIndex(c.type, c.field);
        setNumber(list, c.type, {c.row}, field, c.value);
        EXPECT_EQ(numberOf(list.database(), c.type, c.row, field), c.value);
        EXPECT_EQ(list.history().size(), 1u);
        ASSERT_TRUE(list.undo());
        EXPECT_TRUE(list.database() == before);
    }
}

TEST(EditFields, OutOfRangeIsRefusedByNameAndRangeWithTheListUnchanged) {
    const SetCase cases[] = {
        {RecordType::Service, "svcNibble", 0, 16},        {RecordType::Service, "svcFlag1", 0, 2},
        {RecordType::Service, "providerIndex", 0, 8},     {RecordType::Service, "tsIndex", 0, 12},
        {RecordType::Service, "channelNumber", 0, 65536}, {RecordType::TransportStream, "tsByteA", 0, 256},
        {RecordType::TransportStream, "networkIndex", 0, 4}, {RecordType::Antenna, "antWordA", 0, 65536},
        {RecordType::Service, "svcWordA", 0, 1},  // shown, but carried through: not set by hand
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(c.field);
        ChannelList list = sampleList();
        const channeldb::ChannelDatabase before = list.database();
        EXPECT_THROW(setNumber(list, c.type, {c.row}, fieldIndex(c.type, c.field), c.value), EditError);
        EXPECT_TRUE(list.database() == before);
        EXPECT_FALSE(list.canUndo());
    }
    ChannelList list = sampleList();
    const RecordField& byteA = recordField(RecordType::TransportStream, "tsByteA");
    try {
        parseFieldNumber(list.database(), byteA, "300");
        FAIL() << "300 fits no byte";
    } catch (const EditError& refused) {
        EXPECT_STREQ(refused.what(), "Byte A: 300 is out of range (0 to 255)");
    }
    EXPECT_THROW(parseFieldNumber(list.database(), byteA, "12x"), EditError);
    EXPECT_THROW(parseFieldNumber(list.database(), byteA, "99999999999999999999999"), EditError);
    EXPECT_EQ(parseFieldNumber(list.database(), byteA, " 0x1f "), 0x1Fu);
}

// An emptied cell is the field's "none": no channel number, an antenna never set.
TEST(EditFields, EmptyTextIsTheBlankValue) {
    ChannelList list = sampleList();
    const auto& db = list.database();
    EXPECT_EQ(parseFieldNumber(db, recordField(RecordType::Service, "channelNumber"), ""), 0u);
    EXPECT_EQ(parseFieldNumber(db, recordField(RecordType::Antenna, "antLong"), " "), 0xFFFFFFFFu);
    EXPECT_THROW(parseFieldNumber(db, recordField(RecordType::TransportStream, "tsWordC"), ""), EditError);
}

// A selection takes one provider in one step; rows that have it already add nothing.
TEST(EditFields, ProviderOfASelectionIsOneStep) {
    ChannelList list = sampleList();
    const std::size_t provider = fieldIndex(RecordType::Service, "providerIndex");
    setNumber(list, RecordType::Service, {0, 3, 40}, provider, 6);
    for (std::size_t row : {0u, 3u, 40u}) {
        EXPECT_EQ(list.database().services[row].providerIndex, 6u);
    }
    EXPECT_EQ(list.history().size(), 1u);
    setNumber(list, RecordType::Service, {0, 3, 40}, provider, 6);
    EXPECT_EQ(list.history().size(), 1u);
}

TEST(EditFields, NamesGoThroughTheCoresRules) {
    ChannelList list = sampleList();
    const std::size_t antennaName = fieldIndex(RecordType::Antenna, "antName");
    setText(list, RecordType::Antenna, 2, antennaName, "Sixteen chars ok");
    EXPECT_EQ(textOf(list.database(), RecordType::Antenna, 2, antennaName), "Sixteen chars ok");
    EXPECT_THROW(setText(list, RecordType::Antenna, 2, antennaName, "Seventeen chars!!"), EditError);
    setText(list, RecordType::Provider, 1, 0, "Renamed");
    EXPECT_EQ(list.database().providers[1].provName, "Renamed");
    EXPECT_THROW(setText(list, RecordType::Network, 0, 0, "a\tb"), EditError);
    EXPECT_EQ(list.history().size(), 2u);
}

// The numbers of a TS line go to the fields of its QNF columns, in that order (not the
// record's own order).
TEST(EditFields, TsNumbersFollowTheQnfColumns) {
    ChannelList list = sampleList();
    const channeldb::TsRecord base = list.database().transportStreams[0];
    const auto ts = tsRecordFromNumbers(list.database(), {"1", "2", "3", "4", "5", "6", "7", "8"}, base);
    EXPECT_EQ(ts.tsWordC, 1);
    EXPECT_EQ(ts.networkIndex, 2u);
    EXPECT_EQ(ts.tsLongA, 3u);
    EXPECT_EQ(ts.tsLongB, 4u);
    EXPECT_EQ(ts.tsByteA, 5);
    EXPECT_EQ(ts.tsByteB, 6);
    EXPECT_EQ(ts.tsWordA, 7);
    EXPECT_EQ(ts.tsWordB, 8);
    EXPECT_EQ(ts.tsWordD, base.tsWordD);  // not in the text: kept
    EXPECT_THROW(tsRecordFromNumbers(list.database(), {"1", "2"}, base), EditError);
    const auto antenna = antennaRecordFromNumbers(list.database(), {"", "1", "2", "3", "4", "5", "6"}, "Astra");
    EXPECT_EQ(antenna.antLong, 0xFFFFFFFFu);
    EXPECT_EQ(antenna.antByteD, 6);
}

}  // namespace
}  // namespace bv3::edit
