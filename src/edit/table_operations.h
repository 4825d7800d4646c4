#pragma once
// Operations on the providers, networks, TS and antennas. A provider or network that rows
// refer to is deleted only by naming the row that takes them over; every reference is then
// rewritten, and the references after the deleted row move down with their rows, so no
// service or TS ever names a removed or shifted row. All or nothing, one history step each.

#include "channeldb/channel_database.h"
#include "edit/channel_list.h"

#include <cstddef>
#include <optional>
#include <string>

namespace bv3::edit {

// Appends a provider or network; returns its row. Names follow the rule of renameService.
std::size_t addProvider(ChannelList& list, const std::string& name);
void renameProvider(ChannelList& list, std::size_t row, const std::string& name);
// takeOver names the provider whose rows the deleted one's services join (a row as it is before
// the delete); it is required when any service refers to row.
void deleteProvider(ChannelList& list, std::size_t row, std::optional<std::size_t> takeOver = std::nullopt);
// How many services refer to the provider (what a delete has to hand over).
std::size_t providerUsers(const ChannelList& list, std::size_t row);

std::size_t addNetwork(ChannelList& list, const std::string& name);
void renameNetwork(ChannelList& list, std::size_t row, const std::string& name);
void deleteNetwork(ChannelList& list, std::size_t row, std::optional<std::size_t> takeOver = std::nullopt);
std::size_t networkUsers(const ChannelList& list, std::size_t row);

// Sets the numbers of a TS row (every field of the record; networkIndex must name a network,
// or be 0 when there are none).
void setTs(ChannelList& list, std::size_t row, const channeldb::TsRecord& record);
// Sets an antenna record (rows 0 .. 15).
void setAntenna(ChannelList& list, std::size_t row, const channeldb::AntennaRecord& record);

}  // namespace bv3::edit
