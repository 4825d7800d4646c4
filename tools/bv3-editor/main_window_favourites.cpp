// The favourites in the window: the Fav column of the service lists, and the favourite list's
// own order changed by keys and drags. The rules (which service an entry names, where moved
// entries land) are the editing core's.
#include "favourites_view.h"
#include "main_window.h"

#include "edit/favourite_membership.h"
#include "edit/favourite_order.h"

namespace bv3::editor {

namespace {

std::vector<std::size_t> indicesOf(const QList<int>& positions) {
    std::vector<std::size_t> indices;
    for (const int p : positions) {
        if (p >= 0) {
            indices.push_back(static_cast<std::size_t>(p));
        }
    }
    return indices;
}

QList<int> positionsOf(const std::vector<std::size_t>& indices) {
    QList<int> positions;
    for (const std::size_t i : indices) {
        positions.append(static_cast<int>(i));
    }
    return positions;
}

}  // namespace

void MainWindow::updateFavouriteMarks() {
    std::vector<std::uint8_t> lists;
    if (controller_.hasDocument()) {
        lists = edit::favouriteListsOfServices(controller_.document().database());
    }
    video_->setFavouriteLists(lists);
    audio_->setFavouriteLists(std::move(lists));
}

void MainWindow::moveFavourites(int group, int list, const QList<int>& positions, int step) {
    if (!controller_.hasDocument() || positions.isEmpty()) {
        return;
    }
    std::vector<std::size_t> placed;
    const bool done = apply(
        [&](edit::ChannelList& doc) {
            placed = edit::shiftFavourites(doc, static_cast<std::uint8_t>(group), static_cast<std::uint8_t>(list),
                                           indicesOf(positions), step);
        },
        false);
    if (done) {
        favourites_->selectPositions(positionsOf(placed));
    }
}

void MainWindow::dropFavourites(int group, int list, const QList<int>& positions, int position) {
    if (!controller_.hasDocument() || positions.isEmpty() || position < 0) {
        return;
    }
    std::vector<std::size_t> placed;
    const bool done = apply(
        [&](edit::ChannelList& doc) {
            placed = edit::moveFavouritesTo(doc, static_cast<std::uint8_t>(group), static_cast<std::uint8_t>(list),
                                            indicesOf(positions), static_cast<std::size_t>(position));
        },
        false);
    if (done) {
        favourites_->selectPositions(positionsOf(placed));
    }
}

}  // namespace bv3::editor
