#include "edit/menu_operations.h"

#include "edit/edit_error.h"

namespace bv3::edit {

std::int64_t menuValue(const channeldb::MenuRecord&, int) { return 0; }
MenuValueRange menuValueRange(int) { return {}; }
void setMenuValue(ChannelList&, int, std::int64_t) { throw EditError("not yet"); }
MenuTime menuTime(const channeldb::MenuRecord&) { return {}; }
void setMenuTime(ChannelList&, MenuTime) { throw EditError("not yet"); }

}  // namespace bv3::edit
