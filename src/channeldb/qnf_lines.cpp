#include "channeldb/qnf_lines.h"

#include "channeldb/qnf_scanner.h"

#include <charconv>

namespace bv3::channeldb {

namespace {

// The favourite group or list in a column, in the plain decimal form the writer produces.
std::optional<std::size_t> smallNumber(std::string_view column) {
    while (!column.empty() && column.front() == ' ') {
        column.remove_prefix(1);
    }
    std::size_t value = 0;
    const auto [end, failure] = std::from_chars(column.data(), column.data() + column.size(), value);
    if (failure != std::errc() || end != column.data() + column.size()) {
        return std::nullopt;
    }
    return value;
}

void mapFavourite(std::string_view line, std::size_t lineNumber, QnfLineMap& map) {
    const std::size_t firstTab = line.find('\t');
    if (firstTab == std::string_view::npos) {
        return;
    }
    const std::string_view rest = line.substr(firstTab + 1);
    const auto group = smallNumber(line.substr(0, firstTab));
    const auto list = smallNumber(rest.substr(0, rest.find('\t')));
    if (group && list && *group < favouriteGroupCount && *list < favouriteListsPerGroup) {
        map.favourites[*group][*list].push_back(lineNumber);
    }
}

}  // namespace

QnfLineMap mapQnfLines(std::string_view text) {
    QnfLineMap map;
    QnfScanner scanner(text);
    scanner.header();
    while (const auto line = scanner.next()) {
        switch (line->section) {
            case QnfSection::Ts:
                map.transportStreams.push_back(line->number);
                break;
            case QnfSection::Network:
                map.networks.push_back(line->number);
                break;
            case QnfSection::Provider:
                map.providers.push_back(line->number);
                break;
            case QnfSection::Service:
                map.services.push_back(line->number);
                break;
            case QnfSection::Favourite:
                mapFavourite(line->text, line->number, map);
                break;
            default:
                break;
        }
    }
    return map;
}

std::optional<std::size_t> lineOf(const QnfLineMap& lines, const ListPlace& place) {
    const auto in = [](const std::vector<std::size_t>& table, std::size_t row) -> std::optional<std::size_t> {
        return row < table.size() ? std::optional(table[row]) : std::nullopt;
    };
    if (!place.table) {
        return std::nullopt;
    }
    switch (*place.table) {
        case ListTable::Services:
            return in(lines.services, place.row);
        case ListTable::TransportStreams:
            return in(lines.transportStreams, place.row);
        case ListTable::Networks:
            return in(lines.networks, place.row);
        case ListTable::Providers:
            return in(lines.providers, place.row);
        case ListTable::Favourites:
            if (place.group < favouriteGroupCount && place.list < favouriteListsPerGroup) {
                return in(lines.favourites[place.group][place.list], place.row);
            }
            return std::nullopt;
        case ListTable::Antennas:
        case ListTable::Menu:
            break;
    }
    return std::nullopt;
}

}  // namespace bv3::channeldb
