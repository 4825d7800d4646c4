#include "edit/service_operations.h"

#include "edit/edit_error.h"

namespace bv3::edit {

std::vector<std::size_t> groupRows(const ChannelList&, ServiceGroup) { return {}; }
ServiceGroup groupOf(const ChannelList&, std::size_t) { return ServiceGroup::Video; }
void moveServices(ChannelList&, const std::vector<std::size_t>&, std::size_t) { throw EditError("not yet"); }
void moveServicesUp(ChannelList&, const std::vector<std::size_t>&) { throw EditError("not yet"); }
void moveServicesDown(ChannelList&, const std::vector<std::size_t>&) { throw EditError("not yet"); }
void moveServicesToTop(ChannelList&, const std::vector<std::size_t>&) { throw EditError("not yet"); }
void moveServicesToBottom(ChannelList&, const std::vector<std::size_t>&) { throw EditError("not yet"); }
void sortServices(ChannelList&, ServiceGroup, std::size_t, std::size_t, ServiceSortKey, bool) { throw EditError("not yet"); }
void renameService(ChannelList&, std::size_t, const std::string&) { throw EditError("not yet"); }
void deleteServices(ChannelList&, const std::vector<std::size_t>&) { throw EditError("not yet"); }
void changeServices(ChannelList&, const std::vector<std::size_t>&, const ServiceChanges&) { throw EditError("not yet"); }
void setChannelNumber(ChannelList&, std::size_t, std::uint16_t) { throw EditError("not yet"); }
void renumberServices(ChannelList&, ServiceGroup, std::uint16_t) { throw EditError("not yet"); }

}  // namespace bv3::edit
