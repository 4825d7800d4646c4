#include "channeldb/qnf_check.h"

#include "channeldb/conversion_error.h"
#include "channeldb/file_output.h"
#include "channeldb/layout.h"
#include "channeldb/qnf_reader.h"

#include <charconv>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

namespace bv3::channeldb {

namespace {

enum class Section { None, Antenna, Ts, Network, Provider, Favourite, Service, Menu };

// The reader looks for the tags anywhere in a line, in this order, on every line.
constexpr std::pair<std::string_view, Section> sectionTags[] = {
    {"[ANTENNA]", Section::Antenna},    {"[TS]", Section::Ts},
    {"[NETWORK]", Section::Network},    {"[PROVIDER]", Section::Provider},
    {"[FAVORITE]", Section::Favourite}, {"[SERVICE]", Section::Service},
    {"[MENU]", Section::Menu},
};

std::optional<Section> tagOf(std::string_view line) {
    for (const auto& [tag, section] : sectionTags) {
        if (line.find(tag) != std::string_view::npos) {
            return section;
        }
    }
    return std::nullopt;
}

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
    if (group && list && *group < favouriteGroupCount && *list < favouriteListsPerGroup &&
        map.favouriteLists[*group][*list] == 0) {
        map.favouriteLists[*group][*list] = lineNumber;
    }
}

// Where a finding about a row is: its line when known, else the table and row.
class Locator {
public:
    explicit Locator(const QnfLineMap* lines) : lines_(lines) {}

    Finding at(const std::vector<std::size_t> QnfLineMap::*table, const char* tableName, std::size_t row,
               Severity severity, std::string message) const {
        if (lines_ != nullptr && row < (lines_->*table).size()) {
            const std::size_t line = (lines_->*table)[row];
            return {severity, "line " + std::to_string(line), std::move(message), {}, line};
        }
        return {severity, std::string(tableName) + " " + std::to_string(row + 1), std::move(message), {}, {}};
    }

    Finding favouriteList(std::size_t group, std::size_t list, Severity severity, std::string message) const {
        if (lines_ != nullptr && lines_->favouriteLists[group][list] != 0) {
            const std::size_t line = lines_->favouriteLists[group][list];
            return {severity, "line " + std::to_string(line), std::move(message), {}, line};
        }
        return {severity,
                "favourite list " + std::to_string(group) + "/" + std::to_string(list),
                std::move(message),
                {},
                {}};
    }

private:
    const QnfLineMap* lines_;
};

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

class ChannelListChecker {
public:
    ChannelListChecker(const ChannelDatabase& db, std::uint8_t modelCode, const QnfLineMap* lines)
        : db_(db), modelCode_(modelCode), layout_(layoutFor(modelCode)), where_(lines) {}

    std::vector<Finding> run() {
        checkReferences();
        checkServiceOrder();
        checkCapacity();
        checkListSlots();
        checkNames();
        checkChannelNumbers();
        checkFavouriteLists();
        checkFourBitValues();
        return std::move(findings_);
    }

private:
    std::size_t serviceRows() const { return std::min(db_.serviceCount(), db_.services.size()); }

    void service(std::size_t row, Severity severity, std::string message) {
        findings_.push_back(where_.at(&QnfLineMap::services, "service", row, severity, std::move(message)));
    }

    // A row reference is sound when it names a row of the table; an empty table has none,
    // and its default reference 0 is what the receiver's own lists hold then.
    static bool inRange(std::uint32_t index, std::size_t count) { return count == 0 ? index == 0 : index < count; }

    void checkReferences() {
        for (std::size_t row = 0; row < serviceRows(); ++row) {
            const ServiceRecord& s = db_.services[row];
            if (!inRange(s.tsIndex, db_.tsCount)) {
                service(row, Severity::Error,
                        "service " + quoted(s.svcName) + " refers to TS " + std::to_string(s.tsIndex) +
                            "; the list has " + std::to_string(db_.tsCount) + " TS (0 to " +
                            std::to_string(db_.tsCount == 0 ? 0 : db_.tsCount - 1) + ")");
            }
            if (!inRange(s.providerIndex, db_.providerCount)) {
                service(row, Severity::Error,
                        "service " + quoted(s.svcName) + " refers to provider " + std::to_string(s.providerIndex) +
                            "; the list has " + std::to_string(db_.providerCount) + " providers");
            }
        }
        for (std::size_t row = 0; row < std::min<std::size_t>(db_.tsCount, db_.transportStreams.size()); ++row) {
            const TsRecord& t = db_.transportStreams[row];
            if (!inRange(t.networkIndex, db_.networkCount)) {
                findings_.push_back(where_.at(&QnfLineMap::transportStreams, "TS", row, Severity::Error,
                                              "TS refers to network " + std::to_string(t.networkIndex) +
                                                  "; the list has " + std::to_string(db_.networkCount) + " networks"));
            }
        }
    }

    // The receiver keeps video and audio services in two lists; a video line after an audio
    // line is laid out ahead of it, so the list does not come back in the order of the file.
    void checkServiceOrder() {
        std::optional<std::size_t> firstAudio;
        std::size_t displaced = 0;
        std::optional<std::size_t> firstDisplaced;
        for (std::size_t row = 0; row < serviceRows(); ++row) {
            if (db_.services[row].serviceKind != 0) {
                firstAudio = firstAudio.value_or(row);
            } else if (firstAudio) {
                ++displaced;
                firstDisplaced = firstDisplaced.value_or(row);
            }
        }
        if (firstDisplaced) {
            const Finding audio = where_.at(&QnfLineMap::services, "service", *firstAudio, Severity::Warning, {});
            service(*firstDisplaced, Severity::Warning,
                    "video service " + quoted(db_.services[*firstDisplaced].svcName) +
                        " comes after the audio service " + quoted(db_.services[*firstAudio].svcName) + " (" +
                        audio.where + "); " + std::to_string(displaced) +
                        " video service(s) follow audio ones; every video service must come first");
        }
    }

    void checkCapacity() {
        const std::size_t capacity = layout_.serviceCapacity();
        if (serviceRows() > capacity) {
            service(capacity, Severity::Error,
                    "the list holds " + std::to_string(serviceRows()) + " services; the " +
                        std::to_string(layout_.serviceBanks) + " service banks of model " + std::to_string(modelCode_) +
                        " hold at most " + std::to_string(capacity));
        }
    }

    // The slot of every service in its list, as the receiver places them: by position, and
    // for models 3, 4 and 5 the services without a number from a fixed slot on.
    void checkListSlots() {
        std::uint32_t firstUnnumbered = 0;
        if (modelCode_ == 4 || modelCode_ == 5) {
            firstUnnumbered = 100;
        } else if (modelCode_ == 3) {
            firstUnnumbered = 999;
        }
        for (std::uint8_t group = 0; group < 2; ++group) {
            const char* list = group == 0 ? "video" : "audio";
            std::vector<std::optional<std::size_t>> holder(layout_.listSlots);
            std::uint32_t nextUnnumbered = firstUnnumbered;
            std::size_t n = 0;
            for (std::size_t row = 0; row < serviceRows(); ++row) {
                const ServiceRecord& s = db_.services[row];
                if ((s.serviceKind == 0) != (group == 0)) {
                    continue;
                }
                const bool numbered = firstUnnumbered == 0 || s.channelNumber != 0;
                const std::size_t slot = numbered ? n : nextUnnumbered++;
                ++n;
                if (slot >= layout_.listSlots) {
                    service(row, Severity::Error,
                            std::string("the ") + list + " list of model " + std::to_string(modelCode_) + " has " +
                                std::to_string(layout_.listSlots) + " slots; " + list + " service " +
                                quoted(s.svcName) + " would need slot " + std::to_string(slot));
                    continue;
                }
                if (holder[slot]) {
                    const Finding other =
                        where_.at(&QnfLineMap::services, "service", *holder[slot], Severity::Error, {});
                    service(row, Severity::Error,
                            std::string(list) + " service " + quoted(s.svcName) + " falls on list slot " +
                                std::to_string(slot) + ", which " + quoted(db_.services[*holder[slot]].svcName) + " (" +
                                other.where + ") already holds: model " + std::to_string(modelCode_) +
                                " puts services without a number from slot " + std::to_string(firstUnnumbered) + " on");
                    continue;
                }
                holder[slot] = row;
            }
        }
    }

    void checkName(const std::string& name, std::size_t field, const std::function<void(std::string)>& report) {
        if (name.size() > field - 1) {
            report("name " + quoted(name) + " has " + std::to_string(name.size()) + " characters; the receiver keeps " +
                   std::to_string(field - 1) + ": " + quoted(name.substr(0, field - 1)));
        }
    }

    void checkNames() {
        for (std::size_t row = 0; row < serviceRows(); ++row) {
            checkName(db_.services[row].svcName, layout_.serviceNameLength,
                      [&](std::string message) { service(row, Severity::Warning, std::move(message)); });
        }
        for (std::size_t row = 0; row < std::min<std::size_t>(db_.networkCount, db_.networks.size()); ++row) {
            checkName(db_.networks[row].netName, shortNameLength, [&](std::string message) {
                findings_.push_back(
                    where_.at(&QnfLineMap::networks, "network", row, Severity::Warning, std::move(message)));
            });
        }
        for (std::size_t row = 0; row < std::min<std::size_t>(db_.providerCount, db_.providers.size()); ++row) {
            checkName(db_.providers[row].provName, shortNameLength, [&](std::string message) {
                findings_.push_back(
                    where_.at(&QnfLineMap::providers, "provider", row, Severity::Warning, std::move(message)));
            });
        }
    }

    // Only models 4 and 5 keep the channel number in the service record; two services of one
    // list under the same number there make the receiver show both under it.
    void checkChannelNumbers() {
        if (modelCode_ != 4 && modelCode_ != 5) {
            return;
        }
        std::map<std::uint16_t, std::size_t> seen[2];
        for (std::size_t row = 0; row < serviceRows(); ++row) {
            const ServiceRecord& s = db_.services[row];
            if (s.channelNumber == 0) {
                continue;
            }
            const auto [first, inserted] = seen[s.serviceKind == 0 ? 0 : 1].emplace(s.channelNumber, row);
            if (!inserted) {
                const Finding other = where_.at(&QnfLineMap::services, "service", first->second, Severity::Warning, {});
                service(row, Severity::Warning,
                        "service " + quoted(s.svcName) + " has channel number " + std::to_string(s.channelNumber) +
                            ", which " + quoted(db_.services[first->second].svcName) + " (" + other.where +
                            ") of the same list already has");
            }
        }
    }

    // The service's 0-to-15 value is a byte in the list but four bits in the receiver, which
    // models 1 and 4 keep and the others do not store at all.
    void checkFourBitValues() {
        const bool stored = modelCode_ == 1 || modelCode_ == 4;
        for (std::size_t row = 0; row < serviceRows(); ++row) {
            const unsigned value = db_.services[row].svcNibble;
            if (value > 15) {
                service(row, Severity::Error,
                        "its 0-to-15 value " + std::to_string(value) + " does not fit; the receiver would get " +
                            std::to_string(stored ? value & 0x0Fu : 0u));
            }
        }
    }

    void checkFavouriteLists() {
        for (std::size_t g = 0; g < favouriteGroupCount; ++g) {
            for (std::size_t l = layout_.favouriteListCount; l < favouriteListsPerGroup; ++l) {
                if (db_.favCount[g][l] != 0) {
                    findings_.push_back(where_.favouriteList(
                        g, l, Severity::Warning,
                        "favourite list " + std::to_string(g) + "/" + std::to_string(l) + " has " +
                            std::to_string(db_.favCount[g][l]) + (db_.favCount[g][l] == 1 ? " entry" : " entries") +
                            "; model " + std::to_string(modelCode_) +
                            " has only list 0 of each group, so they are not built"));
                }
            }
        }
    }

    const ChannelDatabase& db_;
    std::uint8_t modelCode_;
    const LayoutParameters& layout_;
    Locator where_;
    std::vector<Finding> findings_;
};

ChannelCounts countsOf(const ChannelDatabase& db) {
    ChannelCounts counts;
    counts.videoServices = db.videoCount;
    counts.audioServices = db.audioCount;
    counts.transportStreams = db.tsCount;
    counts.networks = db.networkCount;
    counts.providers = db.providerCount;
    for (const auto& group : db.favCount) {
        for (const std::uint16_t count : group) {
            counts.favourites += count;
        }
    }
    return counts;
}

// The line number of a reader message "FILE: line N...", if it has one.
std::optional<std::size_t> lineIn(std::string_view message, std::string_view fileName) {
    const std::string prefix = std::string(fileName) + ": line ";
    if (!message.starts_with(prefix)) {
        return std::nullopt;
    }
    message.remove_prefix(prefix.size());
    std::size_t line = 0;
    const auto [end, failure] = std::from_chars(message.data(), message.data() + message.size(), line);
    if (failure != std::errc() || end == message.data()) {
        return std::nullopt;
    }
    return line;
}

void checkModel(std::uint8_t modelCode) {
    if (!isKnownModel(modelCode)) {
        throw ConversionError("model code " + std::to_string(modelCode) +
                              " is not a receiver model this system knows (0 to 5)");
    }
}

}  // namespace

QnfLineMap mapQnfLines(std::string_view text) {
    QnfLineMap map;
    text = text.substr(0, text.find('\x1A'));
    Section section = Section::None;
    std::size_t position = 0;
    for (std::size_t lineNumber = 1; position < text.size(); ++lineNumber) {
        const std::size_t cr = text.find('\r', position);
        const std::size_t end = cr == std::string_view::npos ? text.size() : cr;
        const std::string_view line = text.substr(position, end - position);
        position = end == text.size() ? end : end + 1;
        if (cr != std::string_view::npos && position < text.size() && text[position] == '\n') {
            ++position;
        }
        if (lineNumber == 1) {
            continue;  // the header
        }
        if (const auto tag = tagOf(line)) {
            section = *tag;
            continue;
        }
        switch (section) {
            case Section::Ts:
                map.transportStreams.push_back(lineNumber);
                break;
            case Section::Network:
                map.networks.push_back(lineNumber);
                break;
            case Section::Provider:
                map.providers.push_back(lineNumber);
                break;
            case Section::Service:
                map.services.push_back(lineNumber);
                break;
            case Section::Favourite:
                mapFavourite(line, lineNumber, map);
                break;
            default:
                break;
        }
    }
    return map;
}

std::vector<Finding> checkChannelList(const ChannelDatabase& db, std::uint8_t modelCode, const QnfLineMap* lines) {
    checkModel(modelCode);
    return ChannelListChecker(db, modelCode, lines).run();
}

CheckReport checkChannelListText(std::string_view text, std::uint8_t modelCode, const std::string& fileName) {
    checkModel(modelCode);
    CheckReport report;
    // The tables are large; keep them off the stack.
    const auto db = std::make_unique<ChannelDatabase>();
    std::vector<NumberOutOfRange> outOfRange;
    try {
        std::istringstream in{std::string(text)};
        readQnf(in, *db, fileName, MenuLine::required, &outOfRange);
    } catch (const CorruptQnfHeader& corrupt) {
        report.findings.push_back({Severity::Error,
                                   "line 1",
                                   std::string(corrupt.what()) + " (" + corrupt.detail() + ")",
                                   {},
                                   1});
        return report;
    } catch (const ConversionError& refused) {
        // The reader's message already says where ("FILE: line N, column C: reason"); the
        // line is kept as a number too, for a host that lists findings by line.
        report.findings.push_back({Severity::Error, {}, refused.what(), {}, lineIn(refused.what(), fileName)});
        return report;
    }
    report.counts = countsOf(*db);
    const QnfLineMap lines = mapQnfLines(text);
    // Numbers the reader had to cut to their field come first: the receiver would get another
    // value than the text says, however well the rest checks out.
    for (const NumberOutOfRange& number : outOfRange) {
        report.findings.push_back(outOfRangeFinding(number));
    }
    for (Finding& finding : checkChannelList(*db, modelCode, &lines)) {
        report.findings.push_back(std::move(finding));
    }
    return report;
}

CheckReport checkChannelListFile(const std::string& path, std::uint8_t modelCode) {
    return checkChannelListText(readQnfText(path), modelCode, path);
}

}  // namespace bv3::channeldb
