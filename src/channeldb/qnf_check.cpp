#include "channeldb/qnf_check.h"

#include "channeldb/conversion_error.h"
#include "channeldb/file_input.h"
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

// Where a finding about a record is, for people: its line when the text is known, else the
// table and row.
class Locator {
public:
    explicit Locator(const QnfLineMap* lines) : lines_(lines) {}

    Finding at(const ListPlace& place, Severity severity, std::string message) const {
        Finding finding{severity, {}, std::move(message), {}, {}, place};
        if (const auto line = lineAt(place)) {
            finding.where = "line " + std::to_string(*line);
            finding.line = line;
        } else {
            finding.where = rowName(place);
        }
        return finding;
    }

    // The same words for a place a message names.
    std::string name(const ListPlace& place) const {
        const auto line = lineAt(place);
        return line ? "line " + std::to_string(*line) : rowName(place);
    }

private:
    std::optional<std::size_t> lineAt(const ListPlace& place) const {
        return lines_ != nullptr ? lineOf(*lines_, place) : std::nullopt;
    }

    static std::string rowName(const ListPlace& place) {
        const std::string row = std::to_string(place.row + 1);
        switch (place.table.value_or(ListTable::Menu)) {
            case ListTable::Services:
                return "service " + row;
            case ListTable::TransportStreams:
                return "TS " + row;
            case ListTable::Networks:
                return "network " + row;
            case ListTable::Providers:
                return "provider " + row;
            case ListTable::Favourites:
                return "favourite list " + std::to_string(place.group) + "/" + std::to_string(place.list);
            case ListTable::Antennas:
                return "antenna " + std::to_string(place.row);
            case ListTable::Menu:
                break;
        }
        return {};
    }

    const QnfLineMap* lines_;
};

ListPlace rowOf(ListTable table, std::size_t row) {
    return {table, row, 0, 0};
}

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

class ChannelListChecker {
public:
    ChannelListChecker(const ChannelDatabase& db, std::uint8_t modelCode, const QnfLineMap* lines)
        : db_(db), modelCode_(modelCode), layout_(layoutFor(modelCode)), rules_(modelRulesFor(modelCode)), where_(lines) {}

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
        findings_.push_back(where_.at(rowOf(ListTable::Services, row), severity, std::move(message)));
    }
    std::string serviceName(std::size_t row) const { return where_.name(rowOf(ListTable::Services, row)); }

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
                findings_.push_back(where_.at(rowOf(ListTable::TransportStreams, row), Severity::Error,
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
            service(*firstDisplaced, Severity::Warning,
                    "video service " + quoted(db_.services[*firstDisplaced].svcName) +
                        " comes after the audio service " + quoted(db_.services[*firstAudio].svcName) + " (" +
                        serviceName(*firstAudio) + "); " + std::to_string(displaced) +
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
        const std::uint32_t firstUnnumbered = rules_.firstUnnumberedSlot;
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
                    service(row, Severity::Error,
                            std::string(list) + " service " + quoted(s.svcName) + " falls on list slot " +
                                std::to_string(slot) + ", which " + quoted(db_.services[*holder[slot]].svcName) + " (" +
                                serviceName(*holder[slot]) + ") already holds: model " + std::to_string(modelCode_) +
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
                    where_.at(rowOf(ListTable::Networks, row), Severity::Warning, std::move(message)));
            });
        }
        for (std::size_t row = 0; row < std::min<std::size_t>(db_.providerCount, db_.providers.size()); ++row) {
            checkName(db_.providers[row].provName, shortNameLength, [&](std::string message) {
                findings_.push_back(
                    where_.at(rowOf(ListTable::Providers, row), Severity::Warning, std::move(message)));
            });
        }
    }

    // Only models 4 and 5 keep the channel number in the service record; two services of one
    // list under the same number there make the receiver show both under it.
    void checkChannelNumbers() {
        if (!rules_.keepsChannelNumber) {
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
                service(row, Severity::Warning,
                        "service " + quoted(s.svcName) + " has channel number " + std::to_string(s.channelNumber) +
                            ", which " + quoted(db_.services[first->second].svcName) + " (" + serviceName(first->second) +
                            ") of the same list already has");
            }
        }
    }

    // The service's 0-to-15 value is a byte in the list but four bits in the receiver, which
    // models 1 and 4 keep and the others do not store at all.
    void checkFourBitValues() {
        const bool stored = rules_.keepsFourBitValue;
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
                    const ListPlace list{ListTable::Favourites, 0, static_cast<std::uint8_t>(g),
                                         static_cast<std::uint8_t>(l)};
                    findings_.push_back(where_.at(
                        list, Severity::Warning,
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
    const ModelRules& rules_;
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
                                   1,
                                   {}});
        return report;
    } catch (const ConversionError& refused) {
        // The reader's message already says where ("FILE: line N, column C: reason"); the
        // line is kept as a number too, for a host that lists findings by line.
        report.findings.push_back({Severity::Error, {}, refused.what(), {}, lineIn(refused.what(), fileName), {}});
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
