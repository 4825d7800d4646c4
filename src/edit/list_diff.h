#pragma once
// What differs between two channel lists, in the terms a user edits them: services are matched
// by what they are (kind, service words and the transport stream they lie on; the name breaks
// ties), not by row, so a sorted list shows moves, and a renamed service shows as a rename.
//
// Matching, in three passes over the services of each kind (video, audio):
//   1. same service words and the same TS, preferring the same name, pairing duplicates in
//      list order;
//   2. of those left, the same service words and the same name (the service moved to another
//      TS);
//   3. of those left, nothing: a service only in the first list is removed, only in the second
//      added.
// TS rows are matched first by their numbers (the network row aside) and then, for a TS whose
// numbers were edited, by row, so that an edited TS does not turn its services into removals
// and additions. Providers and networks are matched by name, and a name changed in place
// (same row, neither name found elsewhere) is a rename.
//
// Only what the list's text carries takes part, so a list and the image the receiver holds of
// it compare the same.

#include "channeldb/channel_database.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace bv3::edit {

// One field that differs, as the editor shows it.
struct FieldChange {
    std::string field;  // "provider", "TS", "flag 3", "value", "channel number", ...
    std::string before;
    std::string after;
};

// A service and its place: group 0 video, 1 audio; position in its list counted from 1.
struct ServicePlace {
    std::string name;
    std::uint8_t group = 0;
    std::size_t position = 0;
};

struct ServiceRename {
    ServicePlace from;  // the first list's name and place
    ServicePlace to;    // the second list's
};

struct ServiceMove {
    std::string name;
    std::uint8_t group = 0;
    std::size_t from = 0;  // positions from 1
    std::size_t to = 0;
};

struct ServiceChange {
    ServicePlace service;  // as the second list has it
    std::vector<FieldChange> fields;
};

// How one list of services was reordered, for a short summary when many moved.
struct GroupOrder {
    std::size_t moved = 0;    // services that left their place among the others
    std::size_t matched = 0;  // services both lists have
    // What the second list is now ordered by, when it is plainly sorted: "name", "name,
    // descending", "channel number"; empty otherwise.
    std::string sortedBy;
};

struct ServiceDiff {
    std::vector<ServicePlace> added;    // places in the second list
    std::vector<ServicePlace> removed;  // places in the first list
    std::vector<ServiceRename> renamed;
    std::vector<ServiceMove> moved;
    std::vector<ServiceChange> changed;
    GroupOrder order[2];
};

enum class ChangeKind : std::uint8_t { Added, Removed, Renamed, Moved, Changed };

// A change of a provider, network, TS or antenna row. Rows count from 0 as the list's references
// and the editor's TS column give them; for Removed the first list's row, otherwise the second's.
struct RecordChange {
    ChangeKind kind = ChangeKind::Changed;
    std::size_t row = 0;
    std::string name;     // the record's name (TS: its numbers), as the first list has it
    std::string newName;  // Renamed: the new name
    std::vector<FieldChange> fields;  // Changed
};

// A change of a favourite list. Group 0 video, 1 audio; list 0 .. 3; positions from 1.
struct FavouriteChange {
    ChangeKind kind = ChangeKind::Changed;
    std::uint8_t group = 0;
    std::uint8_t list = 0;
    std::uint16_t entry = 0;     // the stored entry (second list's; Removed: first list's)
    std::uint16_t oldEntry = 0;  // Changed: the first list's entry for the same service
    std::size_t from = 0;        // Removed, Moved, Changed: position in the first list
    std::size_t to = 0;          // Added, Moved, Changed: position in the second list
    std::string service{};       // the service the entry names ("" for none)
    std::string newService{};    // Changed: the service the same entry names now
};

struct MenuChange {
    std::size_t number = 0;  // 1 .. 44
    std::string before;
    std::string after;  // value 5 as a time of day, [-]H:MM
};

struct ListDiff {
    ServiceDiff services;
    std::vector<FavouriteChange> favourites;
    std::vector<RecordChange> providers;
    std::vector<RecordChange> networks;
    std::vector<RecordChange> ts;
    std::vector<RecordChange> antennas;
    std::vector<MenuChange> menu;

    bool same() const;
};

// What changed from first to second.
ListDiff diffLists(const channeldb::ChannelDatabase& first, const channeldb::ChannelDatabase& second);

// Menu value 5 (hours x 100 + minutes) as [-]H:MM.
std::string menuTimeText(std::int32_t value);

}  // namespace bv3::edit
