#pragma once
// Operations on the services. Rows are the rows of the service table, counted from 0 as in the
// QNF text; a group is the video (0) or the audio (1) services, told by `serviceKind`, and a
// position is a place within one group's list, counted from 0. Every operation is one step of
// the history and is refused as a whole (EditError, the list unchanged) when any row, position
// or value is out of range. Where the list's favourites follow their services (the
// default), an entry these operations would turn to another service is rewritten in the same
// step and an entry of a deleted service goes (favourite_following.h); otherwise the entry stays
// and shows up in the findings.

#include "edit/channel_list.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bv3::edit {

enum class ServiceGroup : std::uint8_t { Video = 0, Audio = 1 };

// The rows of a group's services, in list order.
std::vector<std::size_t> groupRows(const ChannelList& list, ServiceGroup group);
ServiceGroup groupOf(const ChannelList& list, std::size_t row);

// Moves the services at rows (any order, not necessarily together, all of one group) so that
// they stand together in their table order, the first at group position `position` (counted in
// the list as it is after they are taken out: 0 .. group size - selection size).
void moveServices(ChannelList& list, const std::vector<std::size_t>& rows, std::size_t position);
// Each selected service one place up or down within its group, past the next unselected one;
// selected services already at the end of their group stay. Selections may span both groups.
void moveServicesUp(ChannelList& list, const std::vector<std::size_t>& rows);
void moveServicesDown(ChannelList& list, const std::vector<std::size_t>& rows);
// The selection together at the top or the bottom of its group (one group only).
void moveServicesToTop(ChannelList& list, const std::vector<std::size_t>& rows);
void moveServicesToBottom(ChannelList& list, const std::vector<std::size_t>& rows);

enum class ServiceSortKey : std::uint8_t {
    Name,           // by name, letters compared without case
    Provider,       // by the provider's name, letters compared without case
    Ts,             // by TS row
    ChannelNumber,  // by channel number; services without a number (0) last
};
// Sorts count services of a group from group position first on; stable: equal keys keep their
// order.
void sortServices(ChannelList& list, ServiceGroup group, std::size_t first, std::size_t count, ServiceSortKey key,
                  bool descending = false);

// A name holds at most 40 characters and no TAB, CR, LF or section tag ("[TS]" and the
// like), which would break the QNF line it is written on.
void renameService(ChannelList& list, std::size_t row, const std::string& name);

// Deletes the services (any order, duplicates ignored).
void deleteServices(ChannelList& list, const std::vector<std::size_t>& rows);

// The fields an editor sets on a selection; only the ones given change.
struct ServiceChanges {
    std::optional<std::uint32_t> providerIndex;  // a row of the provider table
    std::optional<std::uint32_t> tsIndex;        // a row of the TS table
    std::optional<bool> flag3;                   // `svcFlag3`
    std::optional<bool> flag1;                   // `svcFlag1`
    std::optional<bool> flag0;                   // `svcFlag0`
    std::optional<std::uint8_t> nibble;          // `svcNibble`, 0 .. 15
    bool empty() const { return !providerIndex && !tsIndex && !flag3 && !flag1 && !flag0 && !nibble; }
};
void changeServices(ChannelList& list, const std::vector<std::size_t>& rows, const ServiceChanges& changes);

// Sets one service's channel number (0 = none). For the models that place numbered services
// in list slots (3, 4, 5) a number another service of the same group has is refused.
void setChannelNumber(ChannelList& list, std::size_t row, std::uint16_t number);
// Numbers a group's services first, first + 1, ... in list order.
void renumberServices(ChannelList& list, ServiceGroup group, std::uint16_t first = 1);

}  // namespace bv3::edit
