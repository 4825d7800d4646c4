#pragma once
// What the desktop editor holds besides its widgets, without a toolkit: the open list (which
// carries its own receiver model and variant), the services selected and the services cut,
// both by identity so that they stay the same services wherever an edit moves them, and the
// rules a window would otherwise keep: where a drop lands, how a cell's text becomes a field's
// value, which favourite entries an addition writes, and what stops or questions a send.
// The window shows rows and passes on what a person did; every change goes through here to the
// editing core.

#include "edit/channel_list.h"
#include "edit/record_fields.h"
#include "edit/service_operations.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bv3::edit {

class EditorController {
public:
    bool hasDocument() const { return doc_.has_value(); }
    // The open list; only valid while hasDocument().
    ChannelList& document() { return *doc_; }
    const ChannelList& document() const { return *doc_; }
    // Takes a newly opened or received list: nothing stays selected or cut from the last one.
    ChannelList& adopt(ChannelList list);

    // The services selected, by identity. select() takes rows as they are now; selectedRows()
    // gives the rows those services are at now (ascending; the deleted ones left out).
    void select(const std::vector<std::size_t>& rows);
    std::vector<std::size_t> selectedRows() const;

    // Cut marks services to move; paste moves the ones still there together before the group
    // position `position` as the list shows it (the count of the group for its end). Returns
    // the rows they are at afterwards; the cut is then empty.
    std::size_t cut(const std::vector<std::size_t>& rows);
    bool hasCut() const { return !cut_.empty(); }
    std::vector<std::size_t> paste(ServiceGroup group, std::size_t position);

    // A drop of rows (absolute, any order, all of group) before the group position `position`
    // of the list as shown, the dropped rows still in it. The core counts the position without
    // the moved rows: this is that position.
    static std::size_t dropPosition(const channeldb::ChannelDatabase& db, ServiceGroup group,
                                    const std::vector<std::size_t>& rows, std::size_t position);
    // Moves them there as one step; returns the rows they are at afterwards.
    std::vector<std::size_t> drop(ServiceGroup group, const std::vector<std::size_t>& rows, std::size_t position);

    // A cell's text typed by a person, into a field of one or more rows (record_fields.h): a
    // number for the number, flag and row fields (empty: the field's blank), else a name.
    void setCell(RecordType type, const std::vector<std::size_t>& rows, std::size_t field, const std::string& text);

    // Adds the services at rows (ascending) to a favourite list, from entry position on, as one
    // step; returns the positions of the new entries. A service without an entry (no channel
    // number on the models that need one) refuses the whole addition by name.
    std::vector<std::size_t> addFavourites(std::uint8_t group, std::uint8_t list, const std::vector<std::size_t>& rows,
                                           std::size_t position);

    // Before anything goes to the receiver: the first error (the send is refused and the error
    // shown), else the warnings to ask about once.
    struct SendCheck {
        std::optional<ListFinding> error;
        std::vector<ListFinding> warnings;
    };
    SendCheck checkBeforeSend() const;

private:
    static std::vector<std::size_t> rowsOf(const ChannelList& list, const std::vector<ServiceId>& ids);
    std::vector<ServiceId> idsOf(const std::vector<std::size_t>& rows) const;

    std::optional<ChannelList> doc_;
    std::vector<ServiceId> selected_;
    std::vector<ServiceId> cut_;
};

}  // namespace bv3::edit
