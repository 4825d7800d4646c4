#pragma once
// What a change to a channel list touched, so that a view refreshes only what it shows.

#include "channeldb/check_findings.h"

#include <cstdint>
#include <string>

namespace bv3::edit {

// The parts of a channel list, as bits of a TableSet: the tables the checks place findings in.
using ListTable = channeldb::ListTable;

class TableSet {
public:
    constexpr TableSet() = default;
    constexpr TableSet(ListTable table) : bits_(static_cast<std::uint8_t>(table)) {}  // NOLINT: a set of one
    static constexpr TableSet all() { return TableSet(0x7F); }

    constexpr bool contains(ListTable table) const { return (bits_ & static_cast<std::uint8_t>(table)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr TableSet& operator|=(TableSet other) {
        bits_ |= other.bits_;
        return *this;
    }
    friend constexpr TableSet operator|(TableSet a, TableSet b) { return a |= b; }
    constexpr bool operator==(const TableSet&) const = default;

private:
    constexpr explicit TableSet(std::uint8_t bits) : bits_(bits) {}
    std::uint8_t bits_ = 0;
};

enum class ChangeCause : std::uint8_t {
    Edit,   // an operation was applied
    Undo,   // a step was undone
    Redo,   // a step was redone
    Model,  // the model code changed: same data, other findings
    Saved,  // written out: only the dirty flag and the origin changed
};

struct ListChange {
    ChangeCause cause = ChangeCause::Edit;
    TableSet tables;          // what the data change touched (empty for Model and Saved)
    std::string description;  // the step's text, as an undo menu shows it ("Move 3 services")
};

}  // namespace bv3::edit
