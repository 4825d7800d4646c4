#pragma once
// What makes two service rows the same service, for duplicates and for reference order: the
// numbers of the TS a service lies on (its TS record's numbers, the network row aside, so two
// lists' TS tables compare by content, not by row), and its service words.

#include "channeldb/channel_database.h"

#include <array>
#include <cstdint>
#include <optional>

namespace bv3::edit {

// tsWordC, tsLongA, tsLongB, tsByteA, tsByteB, tsWordA, tsWordB: the TS line's numbers.
using TsNumbers = std::array<std::uint32_t, 7>;
// svcWordA, svcWordB, svcWordC, svcWordD, svcWordG.
using ServiceWords = std::array<std::uint16_t, 5>;

// None when the service names no TS of its list.
std::optional<TsNumbers> tsNumbersOf(const channeldb::ChannelDatabase& db, const channeldb::ServiceRecord& service);
ServiceWords serviceWordsOf(const channeldb::ServiceRecord& service);

}  // namespace bv3::edit
