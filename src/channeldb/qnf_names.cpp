#include "channeldb/qnf_names.h"

#include "channeldb/qnf_scanner.h"
#include "channeldb/quoted_text.h"

#include <algorithm>

namespace bv3::channeldb {

namespace {

const char* unsafeByteName(char c) {
    switch (c) {
        case '\t':
            return "a TAB";
        case '\r':
            return "a CR";
        case '\n':
            return "an LF";
        case '\x1A':
            return "a Ctrl-Z";
        default:
            return nullptr;
    }
}

std::string antennaName(const AntennaRecord& antenna) {
    const auto end = std::find(antenna.antName.begin(), antenna.antName.end(), '\0');
    return std::string(antenna.antName.begin(), end);
}

void addRepair(std::vector<Finding>& repairs, ListTable table, std::size_t row, const std::string& where,
               const std::string& name) {
    const std::string fault = qnfUnsafePart(name);
    if (fault.empty()) {
        return;
    }
    Finding finding;
    finding.severity = Severity::Warning;
    finding.where = where;
    finding.place.table = table;
    finding.place.row = row;
    finding.message = "the name \"" + quotedText(name) + "\" holds " + fault +
                      ", which a channel list cannot carry; written as \"" + quotedText(qnfSafeName(name)) + "\"";
    repairs.push_back(std::move(finding));
}

}  // namespace

std::string qnfSafeName(std::string_view name) {
    std::string safe(name);
    for (char& c : safe) {
        if (unsafeByteName(c) != nullptr) {
            c = '?';
        }
    }
    // Each replacement removes two brackets and adds none, so this ends.
    for (bool changed = true; changed;) {
        changed = false;
        for (const auto& entry : qnfSectionTags) {
            const std::string_view tag = entry.first;
            const std::size_t at = safe.find(tag);
            if (at != std::string::npos) {
                safe[at] = '(';
                safe[at + tag.size() - 1] = ')';
                changed = true;
            }
        }
    }
    return safe;
}

std::string qnfUnsafePart(std::string_view name) {
    for (const char c : name) {
        if (const char* what = unsafeByteName(c)) {
            return what;
        }
    }
    if (const auto tag = qnfSectionTagIn(name)) {
        return "the section tag " + std::string(tag->first);
    }
    return {};
}

std::vector<Finding> qnfNameRepairs(const ChannelDatabase& db) {
    std::vector<Finding> repairs;
    for (std::size_t i = 0; i < antennaCount; ++i) {
        addRepair(repairs, ListTable::Antennas, i, "antenna " + std::to_string(i), antennaName(db.antennas[i]));
    }
    for (std::size_t i = 0; i < db.networkCount && i < db.networks.size(); ++i) {
        addRepair(repairs, ListTable::Networks, i, "network " + std::to_string(i), db.networks[i].netName);
    }
    for (std::size_t i = 0; i < db.providerCount && i < db.providers.size(); ++i) {
        addRepair(repairs, ListTable::Providers, i, "provider " + std::to_string(i), db.providers[i].provName);
    }
    const std::size_t services = std::min(db.serviceCount(), db.services.size());
    for (std::size_t i = 0; i < services; ++i) {
        addRepair(repairs, ListTable::Services, i, "service " + std::to_string(i), db.services[i].svcName);
    }
    return repairs;
}

}  // namespace bv3::channeldb
