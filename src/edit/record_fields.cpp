#include "edit/record_fields.h"

#include "edit/edit_error.h"
#include "edit/service_operations.h"
#include "edit/table_operations.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <stdexcept>

namespace bv3::edit {

namespace {

using channeldb::AntennaRecord;
using channeldb::ChannelDatabase;
using channeldb::NetworkRecord;
using channeldb::ProviderRecord;
using channeldb::ServiceRecord;
using channeldb::TsRecord;

template <class>
struct MemberOf;
template <class R, class F>
struct MemberOf<F R::*> {
    using Record = R;
    using Field = F;
};

// How a number field of a record is read and written; names have none (they are strings).
template <class R>
struct Access {
    std::uint64_t (*get)(const R&) = nullptr;
    void (*set)(R&, std::uint64_t) = nullptr;
};

template <auto Member>
using RecordOf = typename MemberOf<decltype(Member)>::Record;

template <auto Member>
Access<RecordOf<Member>> access() {
    using Field = typename MemberOf<decltype(Member)>::Field;
    return {[](const RecordOf<Member>& r) { return static_cast<std::uint64_t>(r.*Member); },
            [](RecordOf<Member>& r, std::uint64_t v) { r.*Member = static_cast<Field>(v); }};
}

template <auto Member>
constexpr std::uint64_t widthOf = std::numeric_limits<typename MemberOf<decltype(Member)>::Field>::max();

template <class R>
struct Entry {
    RecordField field;
    Access<R> access;
};

constexpr std::uint64_t nameLength = channeldb::nameCapacity;

template <auto Member>
Entry<RecordOf<Member>> number(std::string_view id, std::string_view title, std::string_view meaning, bool settable,
                               bool inText = true, std::uint64_t max = widthOf<Member>) {
    return {{id, title, meaning, FieldForm::Number, max, inText, settable, std::nullopt, std::nullopt}, access<Member>()};
}

template <auto Member>
Entry<RecordOf<Member>> flag(std::string_view id, std::string_view title, std::string_view meaning, bool settable,
                             bool inText = true) {
    return {{id, title, meaning, FieldForm::Flag, 1, inText, settable, std::nullopt, std::nullopt}, access<Member>()};
}

template <auto Member>
Entry<RecordOf<Member>> rowOf(std::string_view id, std::string_view title, std::string_view meaning, RecordType table) {
    return {{id, title, meaning, FieldForm::Row, widthOf<Member>, true, true, std::nullopt, table}, access<Member>()};
}

template <class R>
Entry<R> name(std::string_view id, std::string_view meaning, std::uint64_t length) {
    return {{id, "Name", meaning, FieldForm::Text, length, true, true, std::nullopt, std::nullopt}, {}};
}

const std::vector<Entry<ServiceRecord>>& serviceEntries() {
    using S = ServiceRecord;
    static const std::vector<Entry<S>> entries = [] {
        std::vector<Entry<S>> e{
            number<&S::svcWordA>("svcWordA", "Word A", "Service word A: a receiver value, carried through unchanged", false),
            number<&S::svcWordB>("svcWordB", "Word B", "Service word B: a receiver value, carried through unchanged", false),
            number<&S::svcWordC>("svcWordC", "Word C", "Service word C: a receiver value, carried through unchanged", false),
            number<&S::svcWordD>("svcWordD", "Word D", "Service word D: a receiver value, carried through unchanged", false),
            number<&S::svcWordG>("svcWordG", "Word G", "Service word G: a receiver value, carried through unchanged", false),
            number<&S::svcNibble>("svcNibble", "Value", "The service's 0..15 value: the high four bits of its flag byte",
                                  true, true, 15),
            flag<&S::svcFlag3>("svcFlag3", "Flag 3", "Bit 3 of the service's flag byte", true),
            flag<&S::svcFlag1>("svcFlag1", "Flag 1", "Bit 1 of the service's flag byte", true),
            flag<&S::svcFlag0>("svcFlag0", "Flag 0", "Bit 0 of the service's flag byte", true),
            rowOf<&S::tsIndex>("tsIndex", "TS", "The transport stream the service belongs to", RecordType::TransportStream),
            rowOf<&S::providerIndex>("providerIndex", "Provider", "The service's provider", RecordType::Provider),
            name<S>("svcName", "The service's name; the receiver keeps 19 characters (29 on model 2)", nameLength),
            number<&S::channelNumber>("channelNumber", "Ch.",
                                      "The service's number in its list (blank: none); models 3, 4 and 5 place the "
                                      "service in its list by it",
                                      true),
            number<&S::svcWordE>("svcWordE", "Word E", "Service word E: read from receiver images only, written as 0x2000",
                                 false, false),
            number<&S::svcWordF>("svcWordF", "Word F", "Service word F: read from receiver images only, written as 0x2000",
                                 false, false),
            flag<&S::svcFlag2>("svcFlag2", "Flag 2", "Bit 2 of the flag byte: read from receiver images, always set when written",
                               false, false),
            number<&S::svcByteA>("svcByteA", "Byte A", "Service byte A: read from receiver images only, written as 0xFF",
                                 false, false),
            number<&S::svcByteB>("svcByteB", "Byte B", "Service byte B: read from receiver images only, written as 0xFF",
                                 false, false),
        };
        e[12].field.blank = 0;
        return e;
    }();
    return entries;
}

const std::vector<Entry<TsRecord>>& tsEntries() {
    using T = TsRecord;
    static const std::vector<Entry<T>> entries{
        number<&T::tsWordC>("tsWordC", "Word C", "TS word C: a receiver value (first column of the TS line)", true),
        rowOf<&T::networkIndex>("networkIndex", "Network", "The network the transport stream belongs to",
                                RecordType::Network),
        number<&T::tsLongA>("tsLongA", "Long A", "TS number A: a receiver value", true),
        number<&T::tsLongB>("tsLongB", "Long B", "TS number B: a receiver value", true),
        number<&T::tsByteA>("tsByteA", "Byte A", "TS byte A: a receiver value", true),
        number<&T::tsByteB>("tsByteB", "Byte B", "TS byte B: a receiver value", true),
        number<&T::tsWordA>("tsWordA", "Word A", "TS word A: a receiver value", true),
        number<&T::tsWordB>("tsWordB", "Word B", "TS word B: a receiver value", true),
        number<&T::tsWordD>("tsWordD", "Word D", "TS word D: read from and written to receiver images; not in the text",
                            false, false),
        number<&T::tsWordE>("tsWordE", "Word E", "TS word E: read from and written to receiver images; not in the text",
                            false, false, 0xFFFF),
    };
    return entries;
}

const std::vector<Entry<AntennaRecord>>& antennaEntries() {
    using A = AntennaRecord;
    static const std::vector<Entry<A>> entries = [] {
        std::vector<Entry<A>> e{
            number<&A::antLong>("antLong", "Long", "Antenna number: a receiver value (blank: never set, all ones)", true),
            number<&A::antWordA>("antWordA", "Word A", "Antenna word A: a receiver value", true),
            number<&A::antWordB>("antWordB", "Word B", "Antenna word B: a receiver value", true),
            number<&A::antByteA>("antByteA", "Byte A", "Antenna byte A: a receiver value", true),
            number<&A::antByteB>("antByteB", "Byte B", "Antenna byte B: a receiver value", true),
            number<&A::antByteC>("antByteC", "Byte C", "Antenna byte C: a receiver value", true),
            number<&A::antByteD>("antByteD", "Byte D", "Antenna byte D: a receiver value", true),
            name<A>("antName", "The antenna's name", channeldb::antennaNameLength),
        };
        e[0].field.blank = 0xFFFFFFFFu;
        return e;
    }();
    return entries;
}

const std::vector<Entry<ProviderRecord>>& providerEntries() {
    static const std::vector<Entry<ProviderRecord>> entries{
        name<ProviderRecord>("provName", "The provider's name; the receiver keeps 19 characters", nameLength)};
    return entries;
}

const std::vector<Entry<NetworkRecord>>& networkEntries() {
    using N = NetworkRecord;
    static const std::vector<Entry<N>> entries{
        name<N>("netName", "The network's name; the receiver keeps 19 characters", nameLength),
        number<&N::netWordA>("netWordA", "Word A", "Network word A: travels between receiver images only", false, false),
        number<&N::netWordB>("netWordB", "Word B", "Network word B: travels between receiver images only", false, false),
    };
    return entries;
}

template <class R>
std::vector<RecordField> fieldsFrom(const std::vector<Entry<R>>& entries) {
    std::vector<RecordField> fields;
    for (const auto& e : entries) {
        fields.push_back(e.field);
    }
    return fields;
}

template <class R>
const Access<R>& accessOf(const std::vector<Entry<R>>& entries, std::size_t field) {
    const auto& a = entries.at(field).access;
    if (a.get == nullptr) {
        throw std::out_of_range("not a number field");
    }
    return a;
}

std::string antennaNameOf(const AntennaRecord& a) {
    return {a.antName.data(), static_cast<std::size_t>(std::find(a.antName.begin(), a.antName.end(), '\0') -
                                                       a.antName.begin())};
}

std::size_t countOf(const ChannelDatabase& db, RecordType type) {
    return recordRows(db, type);
}

const char* tableName(RecordType type) {
    switch (type) {
    case RecordType::Service:
        return "service";
    case RecordType::TransportStream:
        return "TS";
    case RecordType::Antenna:
        return "antenna";
    case RecordType::Provider:
        return "provider";
    case RecordType::Network:
        return "network";
    }
    return "";
}

void checkValue(const ChannelDatabase& db, const RecordField& field, std::uint64_t value) {
    // A row reference is checked by the core against its table (a TS of a list without
    // networks names row 0); here only against the field's width.
    if (value > field.max && field.blank != value) {
        throw EditError(std::string(field.title) + ": " + std::to_string(value) + " is out of range (" +
                        rangeText(db, field) + ")");
    }
}

void checkRows(const ChannelDatabase& db, RecordType type, const std::vector<std::size_t>& rows) {
    if (rows.empty()) {
        throw EditError("no row to set");
    }
    for (const std::size_t row : rows) {
        if (row >= recordRows(db, type)) {
            throw EditError(std::string(tableName(type)) + " row " + std::to_string(row) + " does not exist");
        }
    }
}

void setServiceNumber(ChannelList& list, const std::vector<std::size_t>& rows, std::string_view id,
                      std::uint64_t value) {
    ServiceChanges changes;
    if (id == "channelNumber") {
        if (rows.size() != 1) {
            throw EditError("a channel number is set on one service at a time");
        }
        if (list.database().services[rows.front()].channelNumber != value) {
            setChannelNumber(list, rows.front(), static_cast<std::uint16_t>(value));
        }
        return;
    }
    if (id == "providerIndex") {
        changes.providerIndex = static_cast<std::uint32_t>(value);
    } else if (id == "tsIndex") {
        changes.tsIndex = static_cast<std::uint32_t>(value);
    } else if (id == "svcFlag3") {
        changes.flag3 = value != 0;
    } else if (id == "svcFlag1") {
        changes.flag1 = value != 0;
    } else if (id == "svcFlag0") {
        changes.flag0 = value != 0;
    } else if (id == "svcNibble") {
        changes.nibble = static_cast<std::uint8_t>(value);
    }
    // Rows that hold the value already are left out, so that no empty step is recorded.
    const auto& entries = serviceEntries();
    const auto& get = accessOf(entries, fieldIndex(RecordType::Service, id)).get;
    std::vector<std::size_t> changing;
    for (const std::size_t row : rows) {
        if (get(list.database().services[row]) != value) {
            changing.push_back(row);
        }
    }
    if (!changing.empty()) {
        changeServices(list, changing, changes);
    }
}

}  // namespace

std::span<const RecordField> recordFields(RecordType type) {
    static const std::vector<RecordField> service = fieldsFrom(serviceEntries());
    static const std::vector<RecordField> ts = fieldsFrom(tsEntries());
    static const std::vector<RecordField> antenna = fieldsFrom(antennaEntries());
    static const std::vector<RecordField> provider = fieldsFrom(providerEntries());
    static const std::vector<RecordField> network = fieldsFrom(networkEntries());
    switch (type) {
    case RecordType::Service:
        return service;
    case RecordType::TransportStream:
        return ts;
    case RecordType::Antenna:
        return antenna;
    case RecordType::Provider:
        return provider;
    case RecordType::Network:
        return network;
    }
    return {};
}

std::size_t fieldIndex(RecordType type, std::string_view id) {
    const auto fields = recordFields(type);
    const auto found = std::find_if(fields.begin(), fields.end(), [&](const RecordField& f) { return f.id == id; });
    if (found == fields.end()) {
        throw std::out_of_range("no field " + std::string(id));
    }
    return static_cast<std::size_t>(found - fields.begin());
}

const RecordField& recordField(RecordType type, std::string_view id) {
    return recordFields(type)[fieldIndex(type, id)];
}

std::string rangeText(const ChannelDatabase& db, const RecordField& field) {
    switch (field.form) {
    case FieldForm::Flag:
        return "0 or 1";
    case FieldForm::Text:
        return "at most " + std::to_string(field.max) + " characters";
    case FieldForm::Row: {
        const std::size_t count = countOf(db, *field.rowOf);
        return count == 0 ? std::string("the list has no ") + tableName(*field.rowOf) + " rows"
                          : std::string("a ") + tableName(*field.rowOf) + " row, 0 to " + std::to_string(count - 1);
    }
    case FieldForm::Number:
        break;
    }
    std::string text = "0 to " + std::to_string(field.max);
    if (field.blank) {
        text += "; empty: " + std::string(*field.blank == 0 ? "none" : "not set");
    }
    return text;
}

std::size_t recordRows(const ChannelDatabase& db, RecordType type) {
    switch (type) {
    case RecordType::Service:
        return db.serviceCount();
    case RecordType::TransportStream:
        return db.tsCount;
    case RecordType::Antenna:
        return channeldb::antennaCount;
    case RecordType::Provider:
        return db.providerCount;
    case RecordType::Network:
        return db.networkCount;
    }
    return 0;
}

std::uint64_t numberOf(const ChannelDatabase& db, RecordType type, std::size_t row, std::size_t field) {
    switch (type) {
    case RecordType::Service:
        return accessOf(serviceEntries(), field).get(db.services.at(row));
    case RecordType::TransportStream:
        return accessOf(tsEntries(), field).get(db.transportStreams.at(row));
    case RecordType::Antenna:
        return accessOf(antennaEntries(), field).get(db.antennas.at(row));
    case RecordType::Network:
        return accessOf(networkEntries(), field).get(db.networks.at(row));
    case RecordType::Provider:
        break;
    }
    throw std::out_of_range("not a number field");
}

std::string textOf(const ChannelDatabase& db, RecordType type, std::size_t row, std::size_t field) {
    if (recordFields(type)[field].form != FieldForm::Text) {
        throw std::out_of_range("not a text field");
    }
    switch (type) {
    case RecordType::Service:
        return db.services.at(row).svcName;
    case RecordType::Antenna:
        return antennaNameOf(db.antennas.at(row));
    case RecordType::Provider:
        return db.providers.at(row).provName;
    case RecordType::Network:
        return db.networks.at(row).netName;
    case RecordType::TransportStream:
        break;
    }
    throw std::out_of_range("not a text field");
}

void setNumber(ChannelList& list, RecordType type, const std::vector<std::size_t>& rows, std::size_t field,
               std::uint64_t value) {
    const ChannelDatabase& db = list.database();
    const RecordField& f = recordFields(type)[field];
    if (!f.settable || f.form == FieldForm::Text) {
        throw EditError(std::string(f.title) + " is not set by hand");
    }
    checkRows(db, type, rows);
    checkValue(db, f, value);
    if (type == RecordType::Service) {
        setServiceNumber(list, rows, f.id, value);
        return;
    }
    if (rows.size() != 1) {
        throw EditError("a " + std::string(tableName(type)) + " is set one row at a time");
    }
    const std::size_t row = rows.front();
    if (type == RecordType::TransportStream) {
        TsRecord ts = db.transportStreams[row];
        accessOf(tsEntries(), field).set(ts, value);
        setTs(list, row, ts);  // no step when nothing changed
    } else if (type == RecordType::Antenna) {
        AntennaRecord a = db.antennas[row];
        accessOf(antennaEntries(), field).set(a, value);
        setAntenna(list, row, a);
    }
}

void setText(ChannelList& list, RecordType type, std::size_t row, std::size_t field, const std::string& text) {
    const ChannelDatabase& db = list.database();
    const RecordField& f = recordFields(type)[field];
    if (f.form != FieldForm::Text || !f.settable) {
        throw EditError(std::string(f.title) + " is not a name");
    }
    checkRows(db, type, {row});
    if (textOf(db, type, row, field) == text) {
        return;
    }
    switch (type) {
    case RecordType::Service:
        renameService(list, row, text);
        return;
    case RecordType::Provider:
        renameProvider(list, row, text);
        return;
    case RecordType::Network:
        renameNetwork(list, row, text);
        return;
    case RecordType::Antenna: {
        if (text.size() > f.max) {
            throw EditError("an antenna name holds at most " + std::to_string(f.max) + " characters; \"" + text +
                            "\" has " + std::to_string(text.size()));
        }
        AntennaRecord a = db.antennas[row];
        a.antName.fill('\0');
        std::copy(text.begin(), text.end(), a.antName.begin());
        setAntenna(list, row, a);
        return;
    }
    case RecordType::TransportStream:
        break;
    }
}

std::uint64_t parseFieldNumber(const ChannelDatabase& db, const RecordField& field, std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    if (text.empty() && field.blank) {
        return *field.blank;
    }
    if (field.form == FieldForm::Flag) {
        if (text == "TRUE" || text == "true") {
            return 1;
        }
        if (text == "FALSE" || text == "false") {
            return 0;
        }
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error == std::errc::invalid_argument || end != text.data() + text.size()) {
        throw EditError(std::string(field.title) + ": \"" + std::string(text) + "\" is not a number (" +
                        rangeText(db, field) + ")");
    }
    if (error == std::errc::result_out_of_range) {
        throw EditError(std::string(field.title) + ": " + std::string(text) + " is out of range (" +
                        rangeText(db, field) + ")");
    }
    checkValue(db, field, value);
    return value;
}

channeldb::TsRecord tsRecordFromNumbers(const ChannelDatabase& db, const std::vector<std::string>& numbers,
                                        const TsRecord& base) {
    const auto& entries = tsEntries();
    std::size_t carried = 0;
    for (const auto& e : entries) {
        carried += e.field.inText ? 1 : 0;
    }
    if (numbers.size() != carried) {
        throw EditError("a TS takes the " + std::to_string(carried) + " numbers of its QNF line, separated by commas");
    }
    TsRecord ts = base;
    for (std::size_t i = 0; i < carried; ++i) {
        entries[i].access.set(ts, parseFieldNumber(db, entries[i].field, numbers[i]));
    }
    return ts;
}

channeldb::AntennaRecord antennaRecordFromNumbers(const ChannelDatabase& db, const std::vector<std::string>& numbers,
                                                  const std::string& name) {
    const auto& entries = antennaEntries();
    const std::size_t count = entries.size() - 1;  // the name comes apart
    if (numbers.size() != count) {
        throw EditError("an antenna takes " + std::to_string(count) + " numbers and a name, separated by commas");
    }
    AntennaRecord a;
    for (std::size_t i = 0; i < count; ++i) {
        entries[i].access.set(a, parseFieldNumber(db, entries[i].field, numbers[i]));
    }
    if (name.size() > a.antName.size()) {
        throw EditError("an antenna name holds at most " + std::to_string(a.antName.size()) + " characters");
    }
    std::copy(name.begin(), name.end(), a.antName.begin());
    return a;
}

}  // namespace bv3::edit
