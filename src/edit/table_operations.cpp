#include "edit/table_operations.h"

#include "edit/edit_error.h"

namespace bv3::edit {

std::size_t addProvider(ChannelList&, const std::string&) { throw EditError("not yet"); }
void renameProvider(ChannelList&, std::size_t, const std::string&) { throw EditError("not yet"); }
void deleteProvider(ChannelList&, std::size_t, std::optional<std::size_t>) { throw EditError("not yet"); }
std::size_t providerUsers(const ChannelList&, std::size_t) { return 0; }
std::size_t addNetwork(ChannelList&, const std::string&) { throw EditError("not yet"); }
void renameNetwork(ChannelList&, std::size_t, const std::string&) { throw EditError("not yet"); }
void deleteNetwork(ChannelList&, std::size_t, std::optional<std::size_t>) { throw EditError("not yet"); }
std::size_t networkUsers(const ChannelList&, std::size_t) { return 0; }
void setTs(ChannelList&, std::size_t, const channeldb::TsRecord&) { throw EditError("not yet"); }
void setAntenna(ChannelList&, std::size_t, const channeldb::AntennaRecord&) { throw EditError("not yet"); }

}  // namespace bv3::edit
