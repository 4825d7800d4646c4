#include "edit/favourite_order.h"

#include "edit/edit_error.h"
#include "edit/favourite_operations.h"
#include "edit/operation_support.h"
#include "edit/transaction.h"

#include <algorithm>
#include <string>
#include <utility>

namespace bv3::edit {

namespace {

std::string listName(std::uint8_t group, std::uint8_t list) {
    return "favourite list " + std::to_string(group) + "/" + std::to_string(list);
}

// The indices sorted, without repeats, every one an entry of the list.
std::vector<std::size_t> checkedIndices(const std::vector<std::size_t>& indices, std::size_t count,
                                        std::uint8_t group, std::uint8_t list) {
    std::vector<std::size_t> sorted(indices);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    if (sorted.empty()) {
        throw EditError("no favourite entries selected");
    }
    if (sorted.back() >= count) {
        throw EditError(listName(group, list) + " has no entry " + std::to_string(sorted.back()) + ": it has " +
                        support::plural(count, "entry", "entries"));
    }
    return sorted;
}

// The entries in the order `order` gives (old indices), as one step.
void reorder(ChannelList& list, std::uint8_t group, std::uint8_t list_, const action::FavouriteListContent& before,
             const std::vector<std::size_t>& order, std::size_t moved) {
    action::FavouriteListContent after;
    after.entries.reserve(order.size());
    after.targets.reserve(order.size());
    for (const std::size_t from : order) {
        after.entries.push_back(before.entries[from]);
        after.targets.push_back(before.targets[from]);
    }
    if (after == before) {
        return;
    }
    Transaction tx(list, "Move " + support::plural(moved, "favourite", "favourites") + " of " + listName(group, list_));
    tx.apply(action::ReplaceFavouriteList{group, list_, before, std::move(after)});
    tx.commit();
}

}  // namespace

std::vector<std::size_t> moveFavouritesTo(ChannelList& list, std::uint8_t group, std::uint8_t list_,
                                          const std::vector<std::size_t>& indices, std::size_t position) {
    checkFavouriteList(group, list_);
    const auto before = favouriteListContent(list, group, list_);
    const std::size_t count = before.entries.size();
    const auto moving = checkedIndices(indices, count, group, list_);
    if (position > count) {
        throw EditError(listName(group, list_) + " has " + support::plural(count, "entry", "entries") +
                        "; entries can go before 0 to " + std::to_string(count));
    }
    std::vector<bool> selected(count, false);
    for (const std::size_t i : moving) {
        selected[i] = true;
    }
    std::vector<std::size_t> order;
    order.reserve(count);
    for (std::size_t i = 0; i < position; ++i) {
        if (!selected[i]) {
            order.push_back(i);
        }
    }
    const std::size_t first = order.size();
    order.insert(order.end(), moving.begin(), moving.end());
    for (std::size_t i = position; i < count; ++i) {
        if (!selected[i]) {
            order.push_back(i);
        }
    }
    reorder(list, group, list_, before, order, moving.size());
    std::vector<std::size_t> placed(moving.size());
    for (std::size_t k = 0; k < placed.size(); ++k) {
        placed[k] = first + k;
    }
    return placed;
}

std::vector<std::size_t> shiftFavourites(ChannelList& list, std::uint8_t group, std::uint8_t list_,
                                         const std::vector<std::size_t>& indices, int step) {
    checkFavouriteList(group, list_);
    if (step != -1 && step != 1) {
        throw EditError("favourite entries move by one place up or down");
    }
    const auto before = favouriteListContent(list, group, list_);
    const std::size_t count = before.entries.size();
    const auto moving = checkedIndices(indices, count, group, list_);
    std::vector<std::size_t> order(count);
    std::vector<bool> selected(count, false);
    for (std::size_t i = 0; i < count; ++i) {
        order[i] = i;
    }
    for (const std::size_t i : moving) {
        selected[i] = true;
    }
    // Walking from the end they move towards, a selected entry swaps with an unselected
    // neighbour; a block of selected entries thus moves as one, and one at the end stays.
    const auto swapAt = [&](std::size_t a, std::size_t b) {
        if (selected[b] && !selected[a]) {
            std::swap(order[a], order[b]);
            selected[a] = true;
            selected[b] = false;
        }
    };
    if (step < 0) {
        for (std::size_t i = 1; i < count; ++i) {
            swapAt(i - 1, i);
        }
    } else {
        for (std::size_t i = count - 1; i > 0; --i) {
            swapAt(i, i - 1);
        }
    }
    reorder(list, group, list_, before, order, moving.size());
    std::vector<std::size_t> placed;
    for (std::size_t i = 0; i < count; ++i) {
        if (selected[i]) {
            placed.push_back(i);
        }
    }
    return placed;
}

}  // namespace bv3::edit
