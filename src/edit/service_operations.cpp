#include "edit/service_operations.h"

#include "channeldb/layout.h"
#include "edit/edit_error.h"
#include "edit/operation_support.h"
#include "edit/transaction.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <numeric>

namespace bv3::edit {

namespace {

using channeldb::ChannelDatabase;
using channeldb::ServiceRecord;
using support::groupIndex;
using support::plural;
using support::quoted;

// The group positions of the selected rows (ascending), all of one group.
struct GroupSelection {
    std::uint8_t group = 0;
    std::vector<std::size_t> rows;      // the group's rows in list order
    std::vector<std::uint16_t> picked;  // positions within rows, ascending
};

GroupSelection selectInOneGroup(const ChannelDatabase& db, const std::vector<std::size_t>& selection) {
    const auto rows = support::checkedSelection(db, selection);
    GroupSelection result;
    result.group = groupIndex(db.services[rows.front()]);
    for (const std::size_t row : rows) {
        if (groupIndex(db.services[row]) != result.group) {
            throw EditError("the selection holds video and audio services (rows " + std::to_string(rows.front()) +
                            " and " + std::to_string(row) + "); a move stays within one list");
        }
    }
    result.rows = support::rowsOfGroup(db, result.group);
    std::size_t next = 0;
    for (std::size_t p = 0; p < result.rows.size() && next < rows.size(); ++p) {
        if (result.rows[p] == rows[next]) {
            result.picked.push_back(static_cast<std::uint16_t>(p));
            ++next;
        }
    }
    return result;
}

void moveTo(ChannelList& list, const GroupSelection& selection, std::size_t position) {
    const std::size_t k = selection.picked.size();
    const std::size_t n = selection.rows.size();
    if (position > n - k) {
        throw EditError("position " + std::to_string(position) + " is beyond the " +
                        support::groupName(selection.group) + " list: " + plural(k, "service", "services") + " of " +
                        std::to_string(n) + " can start at positions 0 to " + std::to_string(n - k));
    }
    // Already together at that place: nothing to do, and no empty step in the history.
    if (selection.picked.front() == position && selection.picked.back() == position + k - 1) {
        return;
    }
    Transaction tx(list, "Move " + plural(k, "service", "services"));
    tx.apply(action::MoveServices{selection.group, selection.picked, static_cast<std::uint16_t>(position)});
    tx.commit();
}

// Moves every selected service of one group one place towards the start (up) or the end,
// past the next unselected service; a selected service that cannot move holds those behind it.
void stepGroup(Transaction& tx, const ChannelDatabase& db, std::uint8_t group, const std::vector<bool>& selectedRow,
               bool up) {
    const auto rows = support::rowsOfGroup(db, group);
    const std::size_t n = rows.size();
    std::vector<std::uint16_t> order(n);
    std::iota(order.begin(), order.end(), std::uint16_t{0});
    std::vector<char> selected(n);
    for (std::size_t p = 0; p < n; ++p) {
        selected[p] = selectedRow[rows[p]];
    }
    if (up) {
        for (std::size_t p = 1; p < n; ++p) {
            if (selected[p] && !selected[p - 1]) {
                std::swap(order[p], order[p - 1]);
                std::swap(selected[p], selected[p - 1]);
            }
        }
    } else {
        for (std::size_t p = n; p-- > 1;) {
            if (selected[p - 1] && !selected[p]) {
                std::swap(order[p], order[p - 1]);
                std::swap(selected[p], selected[p - 1]);
            }
        }
    }
    std::size_t first = 0;
    while (first < n && order[first] == first) {
        ++first;
    }
    if (first == n) {
        return;
    }
    std::size_t last = n;
    while (order[last - 1] == last - 1) {
        --last;
    }
    action::PermuteServices permutation{group, static_cast<std::uint16_t>(first), {}};
    for (std::size_t p = first; p < last; ++p) {
        permutation.order.push_back(static_cast<std::uint16_t>(order[p] - first));
    }
    tx.apply(std::move(permutation));
}

void stepSelection(ChannelList& list, const std::vector<std::size_t>& selection, bool up) {
    const ChannelDatabase& db = list.database();
    const auto rows = support::checkedSelection(db, selection);
    std::vector<bool> selected(db.serviceCount());
    for (const std::size_t row : rows) {
        selected[row] = true;
    }
    Transaction tx(list, std::string(up ? "Move up " : "Move down ") + plural(rows.size(), "service", "services"));
    stepGroup(tx, db, 0, selected, up);
    stepGroup(tx, db, 1, selected, up);
    tx.commit();
}

// Natural order of two lowered names: runs of digits compare by their value, so "Channel 2"
// comes before "Channel 10", as a person reads them.
bool naturalLess(const std::string& a, const std::string& b) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei])) {
                ++ei;
            }
            while (ej < b.size() && digit(b[ej])) {
                ++ej;
            }
            std::size_t si = i, sj = j;  // leading zeros do not count
            while (si + 1 < ei && a[si] == '0') {
                ++si;
            }
            while (sj + 1 < ej && b[sj] == '0') {
                ++sj;
            }
            if (ei - si != ej - sj) {
                return ei - si < ej - sj;
            }
            const int order = a.compare(si, ei - si, b, sj, ej - sj);
            if (order != 0) {
                return order < 0;
            }
            i = ei, j = ej;
            continue;
        }
        if (a[i] != b[j]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        }
        ++i, ++j;
    }
    return a.size() - i < b.size() - j;
}

std::string lowered(const std::string& text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

void checkIndex(std::uint32_t index, std::size_t count, const char* table, const char* tables) {
    // An empty table has no row; its services keep the default reference 0.
    if (count == 0 ? index != 0 : index >= count) {
        throw EditError(std::string(table) + " " + std::to_string(index) + " does not exist: the list has " +
                        plural(count, table, tables));
    }
}

void replaceServices(Transaction& tx, const ChannelDatabase& db, const std::vector<std::size_t>& rows,
                     const std::vector<ServiceRecord>& after) {
    action::ReplaceServices replace;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (db.services[rows[i]] == after[i]) {
            continue;
        }
        replace.rows.push_back(static_cast<std::uint16_t>(rows[i]));
        replace.before.push_back(db.services[rows[i]]);
        replace.after.push_back(after[i]);
    }
    if (!replace.rows.empty()) {
        tx.apply(std::move(replace));
    }
}

bool modelPlacesNumbers(std::uint8_t modelCode) {
    // Where services without a number have slots of their own, the number places a service.
    return channeldb::modelRulesFor(modelCode).firstUnnumberedSlot != 0;
}

}  // namespace

std::vector<std::size_t> groupRows(const ChannelList& list, ServiceGroup group) {
    return support::rowsOfGroup(list.database(), static_cast<std::uint8_t>(group));
}

ServiceGroup groupOf(const ChannelList& list, std::size_t row) {
    support::checkServiceRow(list.database(), row);
    return static_cast<ServiceGroup>(groupIndex(list.database().services[row]));
}

void moveServices(ChannelList& list, const std::vector<std::size_t>& rows, std::size_t position) {
    moveTo(list, selectInOneGroup(list.database(), rows), position);
}

void moveServicesUp(ChannelList& list, const std::vector<std::size_t>& rows) {
    stepSelection(list, rows, true);
}

void moveServicesDown(ChannelList& list, const std::vector<std::size_t>& rows) {
    stepSelection(list, rows, false);
}

void moveServicesToTop(ChannelList& list, const std::vector<std::size_t>& rows) {
    moveTo(list, selectInOneGroup(list.database(), rows), 0);
}

void moveServicesToBottom(ChannelList& list, const std::vector<std::size_t>& rows) {
    const auto selection = selectInOneGroup(list.database(), rows);
    moveTo(list, selection, selection.rows.size() - selection.picked.size());
}

void sortServices(ChannelList& list, ServiceGroup group, std::size_t first, std::size_t count, ServiceSortKey key,
                  bool descending) {
    const ChannelDatabase& db = list.database();
    const auto g = static_cast<std::uint8_t>(group);
    const auto rows = support::rowsOfGroup(db, g);
    if (first > rows.size() || count > rows.size() - first) {
        throw EditError("positions " + std::to_string(first) + " to " + std::to_string(first + count) +
                        " are beyond the " + support::groupName(g) + " list of " + std::to_string(rows.size()) +
                        " services");
    }
    std::vector<std::uint16_t> order(count);
    std::iota(order.begin(), order.end(), std::uint16_t{0});
    auto serviceAt = [&](std::uint16_t i) -> const ServiceRecord& { return db.services[rows[first + i]]; };
    // Keys are taken once; comparing them is then cheap enough for a full list.
    std::vector<std::string> texts;
    std::vector<std::uint32_t> numbers;
    if (key == ServiceSortKey::Name || key == ServiceSortKey::Provider) {
        texts.reserve(count);
        for (std::uint16_t i = 0; i < count; ++i) {
            const ServiceRecord& s = serviceAt(i);
            texts.push_back(key == ServiceSortKey::Name          ? lowered(s.svcName)
                            : s.providerIndex < db.providerCount ? lowered(db.providers[s.providerIndex].provName)
                                                                 : std::string());
        }
        std::stable_sort(order.begin(), order.end(), [&](std::uint16_t a, std::uint16_t b) {
            return descending ? naturalLess(texts[b], texts[a]) : naturalLess(texts[a], texts[b]);
        });
    } else {
        numbers.reserve(count);
        for (std::uint16_t i = 0; i < count; ++i) {
            const ServiceRecord& s = serviceAt(i);
            if (key == ServiceSortKey::Ts) {
                numbers.push_back(s.tsIndex);
            } else {
                numbers.push_back(s.channelNumber == 0 ? 0x10000u : s.channelNumber);
            }
        }
        std::stable_sort(order.begin(), order.end(), [&](std::uint16_t a, std::uint16_t b) {
            if (key == ServiceSortKey::ChannelNumber && (numbers[a] == 0x10000u || numbers[b] == 0x10000u)) {
                return numbers[a] < numbers[b];  // without a number: last either way
            }
            return descending ? numbers[b] < numbers[a] : numbers[a] < numbers[b];
        });
    }
    if (std::is_sorted(order.begin(), order.end())) {
        return;  // already in that order
    }
    static constexpr const char* keyNames[] = {"name", "provider", "TS", "channel number"};
    Transaction tx(list, "Sort " + plural(count, "service", "services") + " by " + keyNames[static_cast<int>(key)]);
    tx.apply(action::PermuteServices{g, static_cast<std::uint16_t>(first), std::move(order)});
    tx.commit();
}

void renameService(ChannelList& list, std::size_t row, const std::string& name) {
    const ChannelDatabase& db = list.database();
    support::checkServiceRow(db, row);
    support::checkName(name, "service name");
    ServiceRecord after = db.services[row];
    after.svcName = name;
    Transaction tx(list, "Rename " + quoted(db.services[row].svcName) + " to " + quoted(name));
    replaceServices(tx, db, {row}, {after});
    tx.commit();
}

void deleteServices(ChannelList& list, const std::vector<std::size_t>& selection) {
    const ChannelDatabase& db = list.database();
    const auto rows = support::checkedSelection(db, selection);
    action::EraseServices erase;
    erase.videoBefore = erase.videoAfter = db.videoCount;
    erase.audioBefore = erase.audioAfter = db.audioCount;
    erase.rows.reserve(rows.size());
    erase.records.reserve(rows.size());
    erase.ids.reserve(rows.size());
    for (const std::size_t row : rows) {
        erase.rows.push_back(static_cast<std::uint16_t>(row));
        erase.records.push_back(db.services[row]);
        erase.ids.push_back(list.serviceId(row));
        // The counters follow the kind, as the reader counts; a list whose counters disagree
        // with its kinds (a damaged image) never goes below zero.
        std::uint16_t& own = groupIndex(db.services[row]) == 0 ? erase.videoAfter : erase.audioAfter;
        std::uint16_t& other = &own == &erase.videoAfter ? erase.audioAfter : erase.videoAfter;
        (own > 0 ? own : other)--;
    }
    Transaction tx(list, "Delete " + plural(rows.size(), "service", "services"));
    tx.apply(std::move(erase));
    tx.commit();
}

void changeServices(ChannelList& list, const std::vector<std::size_t>& selection, const ServiceChanges& changes) {
    const ChannelDatabase& db = list.database();
    const auto rows = support::checkedSelection(db, selection);
    if (changes.providerIndex) {
        checkIndex(*changes.providerIndex, db.providerCount, "provider", "providers");
    }
    if (changes.tsIndex) {
        checkIndex(*changes.tsIndex, db.tsCount, "TS", "TS");
    }
    if (changes.nibble && *changes.nibble > 15) {
        throw EditError("the service value " + std::to_string(*changes.nibble) + " is out of range (0 to 15)");
    }
    std::vector<ServiceRecord> after;
    after.reserve(rows.size());
    for (const std::size_t row : rows) {
        ServiceRecord s = db.services[row];
        s.providerIndex = changes.providerIndex.value_or(s.providerIndex);
        s.tsIndex = changes.tsIndex.value_or(s.tsIndex);
        if (changes.flag3) {
            s.svcFlag3 = *changes.flag3 ? 1 : 0;
        }
        if (changes.flag1) {
            s.svcFlag1 = *changes.flag1 ? 1 : 0;
        }
        if (changes.flag0) {
            s.svcFlag0 = *changes.flag0 ? 1 : 0;
        }
        s.svcNibble = changes.nibble.value_or(s.svcNibble);
        after.push_back(std::move(s));
    }
    Transaction tx(list, "Change " + plural(rows.size(), "service", "services"));
    replaceServices(tx, db, rows, after);
    tx.commit();
}

void setChannelNumber(ChannelList& list, std::size_t row, std::uint16_t number) {
    const ChannelDatabase& db = list.database();
    support::checkServiceRow(db, row);
    const std::uint8_t group = groupIndex(db.services[row]);
    if (number != 0 && modelPlacesNumbers(list.modelCode())) {
        for (const std::size_t other : support::rowsOfGroup(db, group)) {
            if (other != row && db.services[other].channelNumber == number) {
                throw EditError("channel number " + std::to_string(number) + " is taken: " +
                                quoted(db.services[other].svcName) + " (service row " + std::to_string(other) +
                                ") of the " + support::groupName(group) + " list has it, and model " +
                                std::to_string(list.modelCode()) + " places services by their numbers");
            }
        }
    }
    ServiceRecord after = db.services[row];
    after.channelNumber = number;
    Transaction tx(list, "Number " + quoted(after.svcName) + " " + std::to_string(number));
    replaceServices(tx, db, {row}, {after});
    tx.commit();
}

void renumberServices(ChannelList& list, ServiceGroup group, std::uint16_t first) {
    const ChannelDatabase& db = list.database();
    const auto g = static_cast<std::uint8_t>(group);
    const auto rows = support::rowsOfGroup(db, g);
    if (first == 0 || first + rows.size() - 1 > std::numeric_limits<std::uint16_t>::max()) {
        throw EditError("numbers from " + std::to_string(first) + " for " + plural(rows.size(), "service", "services") +
                        " do not fit 1 to 65535");
    }
    std::vector<ServiceRecord> after;
    after.reserve(rows.size());
    for (std::size_t p = 0; p < rows.size(); ++p) {
        ServiceRecord s = db.services[rows[p]];
        s.channelNumber = static_cast<std::uint16_t>(first + p);
        after.push_back(std::move(s));
    }
    Transaction tx(list, std::string("Renumber the ") + support::groupName(g) + " list");
    replaceServices(tx, db, rows, after);
    tx.commit();
}

}  // namespace bv3::edit
