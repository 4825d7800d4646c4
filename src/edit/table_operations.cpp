#include "edit/table_operations.h"

#include "edit/edit_error.h"
#include "edit/operation_support.h"
#include "edit/transaction.h"

#include <algorithm>

namespace bv3::edit {

namespace {

using channeldb::ChannelDatabase;
using support::plural;
using support::quoted;

void checkRow(std::size_t row, std::size_t count, const char* table, const char* tables) {
    if (row >= count) {
        throw EditError(std::string(table) + " row " + std::to_string(row) + " does not exist: the list has " +
                        plural(count, table, tables));
    }
}

// The rows of `items` whose reference is `row`.
template <class Field>
std::vector<std::size_t> usersOf(std::size_t items, std::size_t row, Field&& field) {
    std::vector<std::size_t> users;
    for (std::size_t i = 0; i < items; ++i) {
        if (field(i) == row) {
            users.push_back(i);
        }
    }
    return users;
}

std::vector<std::size_t> serviceUsers(const ChannelDatabase& db, std::size_t row) {
    return usersOf(db.serviceCount(), row, [&](std::size_t i) { return db.services[i].providerIndex; });
}

std::vector<std::size_t> tsUsers(const ChannelDatabase& db, std::size_t row) {
    return usersOf(db.tsCount, row, [&](std::size_t i) { return db.transportStreams[i].networkIndex; });
}

// A deleted row's users go to takeOver; the last row of a table may go without one, as the
// default reference 0 of an empty table names nothing.
void checkTakeOver(std::size_t row, std::optional<std::size_t> takeOver, std::size_t users, std::size_t count,
                   const char* table, const char* tables, const char* userNames) {
    if (takeOver) {
        checkRow(*takeOver, count, table, tables);
        if (*takeOver == row) {
            throw EditError(std::string("the ") + table + " that takes over the " + userNames + " of " + table + " " +
                            std::to_string(row) + " cannot be itself");
        }
    } else if (users > 0 && count > 1) {
        throw EditError(std::string(table) + " " + std::to_string(row) + " has " + std::to_string(users) + " " +
                        userNames + "; name the " + table + " that takes them over");
    }
}

}  // namespace

std::size_t providerUsers(const ChannelList& list, std::size_t row) {
    return serviceUsers(list.database(), row).size();
}

std::size_t networkUsers(const ChannelList& list, std::size_t row) {
    return tsUsers(list.database(), row).size();
}

std::size_t addProvider(ChannelList& list, const std::string& name) {
    const ChannelDatabase& db = list.database();
    support::checkName(name, "provider name");
    if (db.providerCount >= channeldb::providerCapacity) {
        throw EditError("the list holds " + std::to_string(channeldb::providerCapacity) +
                        " providers already, as many as it can");
    }
    const std::size_t row = db.providerCount;
    Transaction tx(list, "Add provider " + quoted(name));
    tx.apply(action::AppendProvider{{name}});
    tx.commit();
    return row;
}

void renameProvider(ChannelList& list, std::size_t row, const std::string& name) {
    const ChannelDatabase& db = list.database();
    checkRow(row, db.providerCount, "provider", "providers");
    support::checkName(name, "provider name");
    if (db.providers[row].provName == name) {
        return;
    }
    Transaction tx(list, "Rename provider " + quoted(db.providers[row].provName) + " to " + quoted(name));
    tx.apply(action::ReplaceProvider{static_cast<std::uint16_t>(row), db.providers[row], {name}});
    tx.commit();
}

void deleteProvider(ChannelList& list, std::size_t row, std::optional<std::size_t> takeOver) {
    const ChannelDatabase& db = list.database();
    checkRow(row, db.providerCount, "provider", "providers");
    const auto users = serviceUsers(db, row);
    checkTakeOver(row, takeOver, users.size(), db.providerCount, "provider", "providers", "services");
    Transaction tx(list, "Delete provider " + quoted(db.providers[row].provName));
    if (takeOver && !users.empty()) {
        action::ReplaceServices rewrite;
        for (const std::size_t user : users) {
            rewrite.rows.push_back(static_cast<std::uint16_t>(user));
            rewrite.before.push_back(db.services[user]);
            rewrite.after.push_back(db.services[user]);
            rewrite.after.back().providerIndex = static_cast<std::uint32_t>(*takeOver);
        }
        tx.apply(std::move(rewrite));
    }
    tx.apply(action::EraseProvider{static_cast<std::uint16_t>(row), db.providers[row]});
    tx.commit();
}

std::size_t addNetwork(ChannelList& list, const std::string& name) {
    const ChannelDatabase& db = list.database();
    support::checkName(name, "network name");
    if (db.networkCount >= channeldb::networkCapacity) {
        throw EditError("the list holds " + std::to_string(channeldb::networkCapacity) +
                        " networks already, as many as it can");
    }
    const std::size_t row = db.networkCount;
    Transaction tx(list, "Add network " + quoted(name));
    tx.apply(action::AppendNetwork{{0, 0, name}});
    tx.commit();
    return row;
}

void renameNetwork(ChannelList& list, std::size_t row, const std::string& name) {
    const ChannelDatabase& db = list.database();
    checkRow(row, db.networkCount, "network", "networks");
    support::checkName(name, "network name");
    if (db.networks[row].netName == name) {
        return;
    }
    channeldb::NetworkRecord after = db.networks[row];
    after.netName = name;
    Transaction tx(list, "Rename network " + quoted(db.networks[row].netName) + " to " + quoted(name));
    tx.apply(action::ReplaceNetwork{static_cast<std::uint16_t>(row), db.networks[row], after});
    tx.commit();
}

void deleteNetwork(ChannelList& list, std::size_t row, std::optional<std::size_t> takeOver) {
    const ChannelDatabase& db = list.database();
    checkRow(row, db.networkCount, "network", "networks");
    const auto users = tsUsers(db, row);
    checkTakeOver(row, takeOver, users.size(), db.networkCount, "network", "networks", "TS");
    Transaction tx(list, "Delete network " + quoted(db.networks[row].netName));
    if (takeOver && !users.empty()) {
        action::ReplaceTsRows rewrite;
        for (const std::size_t user : users) {
            rewrite.rows.push_back(static_cast<std::uint16_t>(user));
            rewrite.before.push_back(db.transportStreams[user]);
            rewrite.after.push_back(db.transportStreams[user]);
            rewrite.after.back().networkIndex = static_cast<std::uint32_t>(*takeOver);
        }
        tx.apply(std::move(rewrite));
    }
    tx.apply(action::EraseNetwork{static_cast<std::uint16_t>(row), db.networks[row]});
    tx.commit();
}

void setTs(ChannelList& list, std::size_t row, const channeldb::TsRecord& record) {
    const ChannelDatabase& db = list.database();
    checkRow(row, db.tsCount, "TS", "TS");
    if (db.networkCount == 0 ? record.networkIndex != 0 : record.networkIndex >= db.networkCount) {
        throw EditError("network " + std::to_string(record.networkIndex) + " does not exist: the list has " +
                        plural(db.networkCount, "network", "networks"));
    }
    if (record.tsWordE > 0xFFFF) {
        throw EditError("the TS value " + std::to_string(record.tsWordE) + " does not fit 16 bits");
    }
    if (db.transportStreams[row] == record) {
        return;
    }
    Transaction tx(list, "Change TS " + std::to_string(row));
    tx.apply(action::ReplaceTsRows{{static_cast<std::uint16_t>(row)}, {db.transportStreams[row]}, {record}});
    tx.commit();
}

void setAntenna(ChannelList& list, std::size_t row, const channeldb::AntennaRecord& record) {
    const ChannelDatabase& db = list.database();
    if (row >= channeldb::antennaCount) {
        throw EditError("antenna " + std::to_string(row) + " does not exist: antennas are 0 to 15");
    }
    // The text carries the name up to its first NUL, as the rest of its line.
    const std::string name(record.antName.data(),
                           std::find(record.antName.begin(), record.antName.end(), '\0') - record.antName.begin());
    support::checkName(name, "antenna name");
    if (db.antennas[row] == record) {
        return;
    }
    Transaction tx(list, "Change antenna " + std::to_string(row));
    tx.apply(action::ReplaceAntenna{static_cast<std::uint16_t>(row), db.antennas[row], record});
    tx.commit();
}

}  // namespace bv3::edit
