#include "edit/menu_operations.h"

#include "edit/edit_error.h"
#include "edit/transaction.h"

#include <cstdlib>
#include <limits>
#include <type_traits>

namespace bv3::edit {

namespace {

template <class Field>
MenuValueRange rangeOf(const Field&) {
    return {std::numeric_limits<Field>::min(), std::numeric_limits<Field>::max()};
}

// Calls visit(field) on menuValue<number>; false when there is no such value.
template <class Menu, class Visit>
bool withValue(Menu& menu, int number, Visit&& visit) {
    int index = 0;
    bool found = false;
    channeldb::forEachMenuValue(menu, [&](auto& field) {
        if (++index == number) {
            visit(field);
            found = true;
        }
    });
    return found;
}

void checkNumber(int number) {
    if (number < 1 || number > static_cast<int>(channeldb::menuValueCount)) {
        throw EditError("menu value " + std::to_string(number) + " does not exist: the values are 1 to 44");
    }
}

}  // namespace

std::int64_t menuValue(const channeldb::MenuRecord& menu, int number) {
    checkNumber(number);
    std::int64_t value = 0;
    withValue(menu, number, [&](const auto& field) { value = field; });
    return value;
}

MenuValueRange menuValueRange(int number) {
    checkNumber(number);
    const channeldb::MenuRecord menu;
    MenuValueRange range;
    withValue(menu, number, [&](const auto& field) { range = rangeOf(field); });
    return range;
}

void setMenuValue(ChannelList& list, int number, std::int64_t value) {
    const MenuValueRange range = menuValueRange(number);
    if (value < range.min || value > range.max) {
        throw EditError("menu value " + std::to_string(number) + " takes " + std::to_string(range.min) + " to " +
                        std::to_string(range.max) + ", not " + std::to_string(value));
    }
    channeldb::MenuRecord after = list.database().menu;
    withValue(after, number, [&](auto& field) { field = static_cast<std::remove_reference_t<decltype(field)>>(value); });
    if (after == list.database().menu) {
        return;
    }
    Transaction tx(list, "Set menu value " + std::to_string(number) + " to " + std::to_string(value));
    tx.apply(action::ReplaceMenu{list.database().menu, after});
    tx.commit();
}

MenuTime menuTime(const channeldb::MenuRecord& menu) {
    const std::int64_t v = menu.menuValue5;
    const std::int64_t magnitude = v < 0 ? -v : v;
    return {v < 0, static_cast<int>(magnitude / 100), static_cast<int>(magnitude % 100)};
}

void setMenuTime(ChannelList& list, MenuTime time) {
    if (time.hours < 0 || time.hours > 23 || time.minutes < 0 || time.minutes > 59) {
        throw EditError("the time " + std::to_string(time.hours) + ":" + std::to_string(time.minutes) +
                        " is not a time of day (0:00 to 23:59)");
    }
    const int value = (time.hours * 100 + time.minutes) * (time.negative ? -1 : 1);
    setMenuValue(list, 5, value);
}

}  // namespace bv3::edit
