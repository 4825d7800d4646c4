#pragma once
// The receiver settings of the [MENU] line: menuValue1 .. menuValue44, each within the range of
// its field, and menuValue5 as a time of day (hours x 100 + minutes).

#include "edit/channel_list.h"

#include <cstdint>

namespace bv3::edit {

// The value of menuValue<number> (1 .. 44) as a number, and its allowed range.
std::int64_t menuValue(const channeldb::MenuRecord& menu, int number);
struct MenuValueRange {
    std::int64_t min = 0;
    std::int64_t max = 0;
};
MenuValueRange menuValueRange(int number);

// Refuses a number outside 1 .. 44 or a value outside its field's range.
void setMenuValue(ChannelList& list, int number, std::int64_t value);

// menuValue5 = sign x (hours x 100 + minutes); -130 is "minus 1:30".
struct MenuTime {
    bool negative = false;
    int hours = 0;    // 0 .. 23
    int minutes = 0;  // 0 .. 59
};
MenuTime menuTime(const channeldb::MenuRecord& menu);
void setMenuTime(ChannelList& list, MenuTime time);

}  // namespace bv3::edit
