#include "edit/edit_action.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace bv3::edit {

namespace {

using channeldb::ChannelDatabase;
using channeldb::ServiceRecord;

bool inGroup(const ServiceRecord& s, std::uint8_t group) {
    return (s.serviceKind == 0) == (group == 0);
}

// The rows of one group's services, in table order.
std::vector<std::uint16_t> rowsOf(const ChannelDatabase& db, std::uint8_t group) {
    std::vector<std::uint16_t> rows;
    const std::size_t count = db.serviceCount();
    rows.reserve(count);
    for (std::size_t row = 0; row < count; ++row) {
        if (inGroup(db.services[row], group)) {
            rows.push_back(static_cast<std::uint16_t>(row));
        }
    }
    return rows;
}

// A service row's content: its record and its identity travel together.
struct ServiceSlot {
    ServiceRecord record;
    ServiceId id = 0;
};

std::vector<ServiceSlot> takeRows(ListState& state, const std::vector<std::uint16_t>& rows) {
    std::vector<ServiceSlot> slots;
    slots.reserve(rows.size());
    for (const std::uint16_t row : rows) {
        slots.push_back({std::move(state.db->services[row]), state.serviceIds[row]});
    }
    return slots;
}

void putRows(ListState& state, const std::vector<std::uint16_t>& rows, std::vector<ServiceSlot>& slots) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        state.db->services[rows[i]] = std::move(slots[i].record);
        state.serviceIds[rows[i]] = slots[i].id;
    }
}

// Group positions `from` (ascending) taken out and put back together at position `to`.
void moveForward(ListState& state, const action::MoveServices& move) {
    const auto rows = rowsOf(*state.db, move.group);
    auto slots = takeRows(state, rows);
    std::vector<ServiceSlot> moved;
    std::vector<ServiceSlot> others;
    moved.reserve(move.from.size());
    others.reserve(slots.size() - move.from.size());
    std::size_t next = 0;
    for (std::size_t p = 0; p < slots.size(); ++p) {
        if (next < move.from.size() && move.from[next] == p) {
            moved.push_back(std::move(slots[p]));
            ++next;
        } else {
            others.push_back(std::move(slots[p]));
        }
    }
    std::vector<ServiceSlot> result;
    result.reserve(slots.size());
    std::move(others.begin(), others.begin() + move.to, std::back_inserter(result));
    std::move(moved.begin(), moved.end(), std::back_inserter(result));
    std::move(others.begin() + move.to, others.end(), std::back_inserter(result));
    putRows(state, rows, result);
}

void moveBack(ListState& state, const action::MoveServices& move) {
    const auto rows = rowsOf(*state.db, move.group);
    auto slots = takeRows(state, rows);
    const std::size_t k = move.from.size();
    std::vector<ServiceSlot> result(slots.size());
    // The moved services stand at to .. to+k-1; the others keep their order around them.
    std::size_t nextMoved = move.to;
    std::size_t nextOther = 0;
    std::size_t nextFrom = 0;
    for (std::size_t p = 0; p < slots.size(); ++p) {
        if (nextFrom < k && move.from[nextFrom] == p) {
            result[p] = std::move(slots[nextMoved++]);
            ++nextFrom;
        } else {
            if (nextOther == move.to) {
                nextOther += k;
            }
            result[p] = std::move(slots[nextOther++]);
        }
    }
    putRows(state, rows, result);
}

void permute(ListState& state, const action::PermuteServices& permutation, bool forward) {
    const auto all = rowsOf(*state.db, permutation.group);
    const std::vector<std::uint16_t> rows(all.begin() + permutation.first,
                                          all.begin() + permutation.first + permutation.order.size());
    auto slots = takeRows(state, rows);
    std::vector<ServiceSlot> result(slots.size());
    for (std::size_t i = 0; i < permutation.order.size(); ++i) {
        if (forward) {
            result[i] = std::move(slots[permutation.order[i]]);
        } else {
            result[permutation.order[i]] = std::move(slots[i]);
        }
    }
    putRows(state, rows, result);
}

void eraseServices(ListState& state, const action::EraseServices& erase) {
    ChannelDatabase& db = *state.db;
    const std::size_t total = db.serviceCount();
    std::size_t write = 0;
    std::size_t next = 0;
    for (std::size_t row = 0; row < total; ++row) {
        if (next < erase.rows.size() && erase.rows[next] == row) {
            ++next;
            continue;
        }
        if (write != row) {
            db.services[write] = std::move(db.services[row]);
            state.serviceIds[write] = state.serviceIds[row];
        }
        ++write;
    }
    for (std::size_t row = write; row < total; ++row) {
        db.services[row] = ServiceRecord{};
    }
    state.serviceIds.resize(write);
    db.videoCount = erase.videoAfter;
    db.audioCount = erase.audioAfter;
}

void restoreServices(ListState& state, const action::EraseServices& erase) {
    ChannelDatabase& db = *state.db;
    const std::size_t kept = db.serviceCount();
    const std::size_t total = kept + erase.rows.size();
    state.serviceIds.resize(total);
    // From the end backwards, so every kept row moves at most once and never over an unread one.
    std::size_t source = kept;
    std::size_t next = erase.rows.size();
    for (std::size_t row = total; row-- > 0;) {
        if (next > 0 && erase.rows[next - 1] == row) {
            --next;
            db.services[row] = erase.records[next];
            state.serviceIds[row] = erase.ids[next];
        } else {
            --source;
            if (source != row) {
                db.services[row] = std::move(db.services[source]);
                state.serviceIds[row] = state.serviceIds[source];
            }
        }
    }
    db.videoCount = erase.videoBefore;
    db.audioCount = erase.audioBefore;
}

template <class Record>
void eraseRow(std::vector<Record>& table, std::uint16_t& count, std::uint16_t row) {
    std::move(table.begin() + row + 1, table.begin() + count, table.begin() + row);
    --count;
    table[count] = Record{};
}

template <class Record>
void insertRow(std::vector<Record>& table, std::uint16_t& count, std::uint16_t row, const Record& record) {
    std::move_backward(table.begin() + row, table.begin() + count, table.begin() + count + 1);
    table[row] = record;
    ++count;
}

// References to the rows after an erased row follow them down; on the way back, up again.
// Only references to rows of the table move: one that names no row stays as it was.
template <class Field>
void shiftRowReferences(Field&& field, std::size_t items, std::uint32_t row, std::uint32_t countBefore, bool erase) {
    for (std::size_t i = 0; i < items; ++i) {
        std::uint32_t& ref = field(i);
        if (erase && ref > row && ref < countBefore) {
            --ref;
        } else if (!erase && ref >= row && ref + 1 < countBefore) {
            ++ref;
        }
    }
}

// Where each table of one-row changes stands in the database, and which references follow
// its rows when one is erased.
template <class Record>
struct TableOf;

template <>
struct TableOf<channeldb::ProviderRecord> {
    static constexpr ListTable table = ListTable::Providers;
    static constexpr ListTable referredFrom = ListTable::Services;
    static auto& rows(ChannelDatabase& db) { return db.providers; }
    static std::uint16_t& count(ChannelDatabase& db) { return db.providerCount; }
    static void shiftReferences(ChannelDatabase& db, std::uint32_t row, std::uint32_t countBefore, bool erase) {
        shiftRowReferences([&](std::size_t i) -> std::uint32_t& { return db.services[i].providerIndex; },
                              db.serviceCount(), row, countBefore, erase);
    }
};

template <>
struct TableOf<channeldb::NetworkRecord> {
    static constexpr ListTable table = ListTable::Networks;
    static constexpr ListTable referredFrom = ListTable::TransportStreams;
    static auto& rows(ChannelDatabase& db) { return db.networks; }
    static std::uint16_t& count(ChannelDatabase& db) { return db.networkCount; }
    static void shiftReferences(ChannelDatabase& db, std::uint32_t row, std::uint32_t countBefore, bool erase) {
        shiftRowReferences([&](std::size_t i) -> std::uint32_t& { return db.transportStreams[i].networkIndex; },
                              db.tsCount, row, countBefore, erase);
    }
};

template <>
struct TableOf<channeldb::AntennaRecord> {
    static constexpr ListTable table = ListTable::Antennas;
    static auto& rows(ChannelDatabase& db) { return db.antennas; }
};

template <class Record>
void applyAppendRow(ListState& state, const action::AppendRow<Record>& append, bool forward) {
    using Table = TableOf<Record>;
    ChannelDatabase& db = *state.db;
    if (forward) {
        Table::rows(db)[Table::count(db)++] = append.record;
    } else {
        Table::rows(db)[--Table::count(db)] = Record{};
    }
}

template <class Record>
void applyEraseRow(ListState& state, const action::EraseRow<Record>& erase, bool forward) {
    using Table = TableOf<Record>;
    ChannelDatabase& db = *state.db;
    std::uint16_t& count = Table::count(db);
    const std::uint32_t countBefore = forward ? count : count + 1u;
    if (forward) {
        eraseRow(Table::rows(db), count, erase.row);
    } else {
        insertRow(Table::rows(db), count, erase.row, erase.record);
    }
    Table::shiftReferences(db, erase.row, countBefore, forward);
}

void setFavouriteList(ListState& state, std::uint8_t group, std::uint8_t list,
                      const action::FavouriteListContent& content) {
    ChannelDatabase& db = *state.db;
    auto& entries = db.favEntry[group][list];
    std::fill(entries.begin(), entries.end(), std::uint16_t{0});
    std::copy(content.entries.begin(), content.entries.end(), entries.begin());
    db.favCount[group][list] = static_cast<std::uint16_t>(content.entries.size());
    state.favouriteTargets[group][list] = content.targets;
}

template <class Record>
void replaceRows(std::vector<Record>& table, const std::vector<std::uint16_t>& rows,
                 const std::vector<Record>& values) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        table[rows[i]] = values[i];
    }
}

struct Apply {
    ListState& state;
    bool forward;

    void operator()(const action::ReplaceServices& a) const {
        replaceRows(state.db->services, a.rows, forward ? a.after : a.before);
    }
    void operator()(const action::MoveServices& a) const { forward ? moveForward(state, a) : moveBack(state, a); }
    void operator()(const action::PermuteServices& a) const { permute(state, a, forward); }
    void operator()(const action::EraseServices& a) const {
        forward ? eraseServices(state, a) : restoreServices(state, a);
    }
    template <class Record>
    void operator()(const action::AppendRow<Record>& a) const {
        applyAppendRow(state, a, forward);
    }
    template <class Record>
    void operator()(const action::EraseRow<Record>& a) const {
        applyEraseRow(state, a, forward);
    }
    template <class Record>
    void operator()(const action::ReplaceRow<Record>& a) const {
        TableOf<Record>::rows(*state.db)[a.row] = forward ? a.after : a.before;
    }
    void operator()(const action::ReplaceTsRows& a) const {
        replaceRows(state.db->transportStreams, a.rows, forward ? a.after : a.before);
    }
    void operator()(const action::ReplaceMenu& a) const { state.db->menu = forward ? a.after : a.before; }
    void operator()(const action::ReplaceFavouriteList& a) const {
        setFavouriteList(state, a.group, a.list, forward ? a.after : a.before);
    }
};

std::size_t bytesOf(const ServiceRecord& s) {
    return sizeof s + (s.svcName.capacity() > 15 ? s.svcName.capacity() + 1 : 0);
}

template <class Record>
std::size_t bytesOf(const std::vector<Record>& records) {
    std::size_t bytes = records.capacity() * sizeof(Record);
    if constexpr (std::is_same_v<Record, ServiceRecord>) {
        for (const auto& s : records) {
            bytes += bytesOf(s) - sizeof s;
        }
    }
    return bytes;
}

template <class T>
std::size_t vectorBytes(const std::vector<T>& v) {
    return v.capacity() * sizeof(T);
}

struct Memory {
    std::size_t operator()(const action::ReplaceServices& a) const {
        return vectorBytes(a.rows) + bytesOf(a.before) + bytesOf(a.after);
    }
    std::size_t operator()(const action::MoveServices& a) const { return vectorBytes(a.from); }
    std::size_t operator()(const action::PermuteServices& a) const { return vectorBytes(a.order); }
    std::size_t operator()(const action::EraseServices& a) const {
        return vectorBytes(a.rows) + bytesOf(a.records) + vectorBytes(a.ids);
    }
    std::size_t operator()(const action::ReplaceTsRows& a) const {
        return vectorBytes(a.rows) + vectorBytes(a.before) + vectorBytes(a.after);
    }
    std::size_t operator()(const action::ReplaceFavouriteList& a) const {
        return vectorBytes(a.before.entries) + vectorBytes(a.before.targets) + vectorBytes(a.after.entries) +
               vectorBytes(a.after.targets);
    }
    template <class Other>
    std::size_t operator()(const Other&) const {
        return 0;  // fixed-size records: counted in the action's own size
    }
};

struct Tables {
    TableSet operator()(const action::ReplaceServices&) const { return ListTable::Services; }
    TableSet operator()(const action::MoveServices&) const { return ListTable::Services; }
    TableSet operator()(const action::PermuteServices&) const { return ListTable::Services; }
    TableSet operator()(const action::EraseServices&) const { return ListTable::Services; }
    template <class Record>
    TableSet operator()(const action::AppendRow<Record>&) const {
        return TableOf<Record>::table;
    }
    template <class Record>
    TableSet operator()(const action::EraseRow<Record>&) const {
        return TableSet(TableOf<Record>::table) | TableOf<Record>::referredFrom;
    }
    template <class Record>
    TableSet operator()(const action::ReplaceRow<Record>&) const {
        return TableOf<Record>::table;
    }
    TableSet operator()(const action::ReplaceTsRows&) const { return ListTable::TransportStreams; }
    TableSet operator()(const action::ReplaceMenu&) const { return ListTable::Menu; }
    TableSet operator()(const action::ReplaceFavouriteList&) const { return ListTable::Favourites; }
};

}  // namespace

void applyAction(const EditAction& action, ListState& state) {
    std::visit(Apply{state, true}, action);
}

void revertAction(const EditAction& action, ListState& state) {
    std::visit(Apply{state, false}, action);
}

TableSet tablesOf(const EditAction& action) {
    return std::visit(Tables{}, action);
}

std::size_t memoryOf(const EditAction& action) {
    return sizeof action + std::visit(Memory{}, action);
}

}  // namespace bv3::edit
