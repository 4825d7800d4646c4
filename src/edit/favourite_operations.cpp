#include "edit/favourite_operations.h"

#include "edit/edit_error.h"

namespace bv3::edit {

std::optional<std::size_t> resolveEntry(const channeldb::ChannelDatabase&, std::uint8_t, std::uint16_t) { return {}; }
std::optional<std::uint16_t> entryFor(const channeldb::ChannelDatabase&, std::size_t) { return {}; }
std::vector<FavouriteEntryView> favouriteEntries(const ChannelList&, std::uint8_t, std::uint8_t) { return {}; }
void addFavourite(ChannelList&, std::uint8_t, std::uint8_t, std::uint16_t, std::optional<std::size_t>) { throw EditError("not yet"); }
void removeFavourites(ChannelList&, std::uint8_t, std::uint8_t, const std::vector<std::size_t>&) { throw EditError("not yet"); }
void moveFavourite(ChannelList&, std::uint8_t, std::uint8_t, std::size_t, std::size_t) { throw EditError("not yet"); }

}  // namespace bv3::edit
