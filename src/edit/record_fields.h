#pragma once
// One field table per record of the list: the service, TS, antenna, provider and network
// records. Each field names its column (the title a person sees and what the format tells of
// it), the range a value must keep, and how it is set: every settable field is set through
// the editing core, as one step of the history, refused as a whole when out of range. The
// editor's tables, its per-cell edits and `bv3 edit --ts/--antenna` all read this table, so a
// column and the field it stands for are named in one place.
//
// Fields the QNF text carries come first, in the order of the record's QNF line; the fields
// only raw images carry follow.

#include "channeldb/channel_database.h"
#include "edit/channel_list.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace bv3::edit {

enum class RecordType : std::uint8_t { Service, TransportStream, Antenna, Provider, Network };

enum class FieldForm : std::uint8_t {
    Number,  // an unsigned number 0 .. max
    Flag,    // 0 or 1, shown as a check box
    Text,    // a name of at most max characters
    Row,     // a row of another table (rowOf), 0 .. its count - 1
};

struct RecordField {
    std::string_view id;       // the record's field: "tsWordC"
    std::string_view title;    // the column's title: "Word C"
    std::string_view meaning;  // what the format tells of the field, for a tooltip
    FieldForm form = FieldForm::Number;
    std::uint64_t max = 0;      // Number: the largest value; Text: the most characters
    bool inText = true;         // carried by the QNF text
    bool settable = false;      // a person may set it (through the core)
    // The value that means "none" or "not set": shown as an empty cell, and what an emptied
    // cell sets (a channel number of 0, an antenna number of all ones).
    std::optional<std::uint64_t> blank;
    std::optional<RecordType> rowOf;  // Row: the table it names a row of
};

// The fields of a record, in the order above.
std::span<const RecordField> recordFields(RecordType type);
// The index of a field by its id; throws std::out_of_range for an id the record lacks (a
// programming error, not an input).
std::size_t fieldIndex(RecordType type, std::string_view id);
const RecordField& recordField(RecordType type, std::string_view id);

// "0 to 65535", "0 or 1", "at most 40 characters", "a provider row (0 to 11)": the range as a
// person is told it.
std::string rangeText(const channeldb::ChannelDatabase& db, const RecordField& field);

// The rows of a table in use (16 antennas always).
std::size_t recordRows(const channeldb::ChannelDatabase& db, RecordType type);

// A field's value: numbers, flags and rows as numbers, names as their receiver text.
std::uint64_t numberOf(const channeldb::ChannelDatabase& db, RecordType type, std::size_t row, std::size_t field);
std::string textOf(const channeldb::ChannelDatabase& db, RecordType type, std::size_t row, std::size_t field);

// Sets a field of one or more rows, as one step of the history. Refused as a whole (EditError
// naming the field and its range, the list unchanged) when the value is out of range or the
// field is not settable. Setting a value a row already holds changes nothing and adds no step.
// Several rows are taken only where the core sets a selection (the service's provider, TS,
// flags and value).
void setNumber(ChannelList& list, RecordType type, const std::vector<std::size_t>& rows, std::size_t field,
               std::uint64_t value);
void setText(ChannelList& list, RecordType type, std::size_t row, std::size_t field, const std::string& text);

// A number typed by a person (decimal or 0x-hex, surrounding blanks ignored), checked against
// the field's range; an empty text is the field's blank value. EditError when it is no number
// or out of range.
std::uint64_t parseFieldNumber(const channeldb::ChannelDatabase& db, const RecordField& field, std::string_view text);

// A record built from the numbers of its QNF line, as `bv3 edit` takes them ("N,NET,N,..."):
// each checked against its field's range, in the table's order. The fields not given keep the
// values of base. EditError naming the field when one is out of range or no number.
channeldb::TsRecord tsRecordFromNumbers(const channeldb::ChannelDatabase& db, const std::vector<std::string>& numbers,
                                        const channeldb::TsRecord& base);
channeldb::AntennaRecord antennaRecordFromNumbers(const channeldb::ChannelDatabase& db,
                                                  const std::vector<std::string>& numbers, const std::string& name);

}  // namespace bv3::edit
