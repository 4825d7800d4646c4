#include "edit/list_diff_report.h"

#include "edit/list_diff_text_support.h"

#include <map>
#include <string_view>
#include <vector>

namespace bv3::edit {

namespace {

using difftext::utf8;
using difftext::quote;

std::string place(const ServicePlace& s) {
    return std::string(serviceListName(s.group)) + " " + std::to_string(s.position);
}

std::string fieldsText(const std::vector<FieldChange>& fields) {
    std::string text;
    for (const FieldChange& f : fields) {
        text += (text.empty() ? "" : "; ") + f.field + " " + utf8(f.before) + " -> " + utf8(f.after);
    }
    return text;
}

// A heading's lines, cut to the limit with a count of the rest.
class Section {
public:
    Section(std::string heading, std::size_t limit) : heading_(std::move(heading)), limit_(limit) {}
    void add(std::string line) {
        if (limit_ == 0 || lines_.size() < limit_) {
            lines_.push_back(std::move(line));
        } else {
            ++more_;
        }
    }
    // A line that is never cut (a summary).
    void addAlways(std::string line) { lines_.push_back(std::move(line)); }
    void writeTo(std::string& out) const {
        if (lines_.empty()) {
            return;
        }
        out += heading_ + "\n";
        for (const std::string& line : lines_) {
            out += "  " + line + "\n";
        }
        if (more_ > 0) {
            out += "  ... and " + std::to_string(more_) + " more\n";
        }
    }

private:
    std::string heading_;
    std::size_t limit_;
    std::vector<std::string> lines_;
    std::size_t more_ = 0;
};

// The same change of many services (a provider dropped, its services given to another) is one
// line naming the first few, not a line each.
void writeChanged(const std::vector<ServiceChange>& changed, Section& section) {
    constexpr std::size_t together = 3;  // from this many services alike, one line
    constexpr std::size_t named = 3;
    std::vector<std::string> texts;
    std::map<std::string, std::vector<std::size_t>> alike;
    for (std::size_t k = 0; k < changed.size(); ++k) {
        texts.push_back(fieldsText(changed[k].fields));
        alike[texts.back()].push_back(k);
    }
    for (std::size_t k = 0; k < changed.size(); ++k) {
        const auto& group = alike[texts[k]];
        if (group.size() < together) {
            section.add("changed " + quote(changed[k].service.name) + " (" + place(changed[k].service) + "): " + texts[k]);
            continue;
        }
        if (group.front() != k) {
            continue;  // said with the first of its kind
        }
        std::string names;
        for (std::size_t n = 0; n < group.size() && n < named; ++n) {
            names += (n == 0 ? "" : ", ") + quote(changed[group[n]].service.name);
        }
        if (group.size() > named) {
            names += " and " + std::to_string(group.size() - named) + " more";
        }
        section.add("changed " + std::to_string(group.size()) + " services: " + texts[k] + " (" + names + ")");
    }
}

void writeServices(const ServiceDiff& s, std::size_t limit, std::string& out) {
    Section section("Services", limit);
    for (const ServicePlace& p : s.added) {
        section.add("added " + quote(p.name) + " at " + place(p));
    }
    for (const ServicePlace& p : s.removed) {
        section.add("removed " + quote(p.name) + " from " + place(p));
    }
    for (const ServiceRename& r : s.renamed) {
        section.add("renamed " + quote(r.from.name) + " to " + quote(r.to.name) + " (" + place(r.to) + ")");
    }
    for (std::uint8_t group = 0; group < 2; ++group) {
        const GroupOrder& order = s.order[group];
        if (order.moved == 0) {
            continue;
        }
        if (limit != 0 && order.moved > limit) {
            section.addAlways(std::string(serviceListName(group)) + " list reordered: " + std::to_string(order.moved) +
                              " of " + std::to_string(order.matched) + " services moved" +
                              (order.sortedBy.empty() ? std::string() : "; now sorted by " + order.sortedBy));
            continue;
        }
        for (const ServiceMove& m : s.moved) {
            if (m.group == group) {
                section.add("moved " + quote(m.name) + " " + serviceListName(group) + " " + std::to_string(m.from) +
                            " -> " + std::to_string(m.to));
            }
        }
    }
    writeChanged(s.changed, section);
    section.writeTo(out);
}

std::string favouriteList(const FavouriteChange& f) {
    return std::string(serviceListName(f.group)) + " favourites " + std::to_string(f.list);
}

std::string entryText(std::uint16_t entry, const std::string& service) {
    return std::to_string(entry) + (service.empty() ? " (names no service)" : " (" + quote(service) + ")");
}

void writeFavourites(const std::vector<FavouriteChange>& changes, std::size_t limit, std::string& out) {
    Section section("Favourites", limit);
    for (const FavouriteChange& f : changes) {
        const std::string list = favouriteList(f) + ": ";
        switch (f.kind) {
        case ChangeKind::Added:
            section.add(list + "added " + entryText(f.entry, f.service) + " at " + std::to_string(f.to));
            break;
        case ChangeKind::Removed:
            section.add(list + "removed " + entryText(f.entry, f.service) + " from " + std::to_string(f.from));
            break;
        case ChangeKind::Moved:
            section.add(list + "moved " + entryText(f.entry, f.service) + " " + std::to_string(f.from) + " -> " +
                        std::to_string(f.to));
            break;
        default:
            if (f.newService.empty() && f.oldEntry != f.entry && !f.service.empty()) {
                section.add(list + quote(f.service) + " at " + std::to_string(f.to) + " now stored as " +
                            std::to_string(f.entry) + " (was " + std::to_string(f.oldEntry) + ")");
            } else {
                section.add(list + "entry " + std::to_string(f.entry) + " at " + std::to_string(f.to) +
                            " now names " + (f.newService.empty() ? "no service" : quote(f.newService)) +
                            " (was " + (f.service.empty() ? "none" : quote(f.service)) + ")");
            }
            break;
        }
    }
    section.writeTo(out);
}

void writeRecords(const char* heading, const char* what, const std::vector<RecordChange>& changes, std::size_t limit,
                  std::string& out) {
    Section section(heading, limit);
    for (const RecordChange& r : changes) {
        // A TS has no name: its row and numbers stand for it.
        const std::string name = std::string(what) + " " + (std::string_view(what) == "TS" ? r.name : quote(r.name));
        switch (r.kind) {
        case ChangeKind::Added:
            section.add("added " + name);
            break;
        case ChangeKind::Removed:
            section.add("removed " + name);
            break;
        case ChangeKind::Renamed:
            section.add("renamed " + name + " to " + quote(r.newName));
            break;
        default:
            section.add("changed " + name + ": " + fieldsText(r.fields));
            break;
        }
    }
    section.writeTo(out);
}

void writeMenu(const std::vector<MenuChange>& changes, std::size_t limit, std::string& out) {
    Section section("Menu", limit);
    for (const MenuChange& m : changes) {
        section.add("value " + std::to_string(m.number) + ": " + m.before + " -> " + m.after);
    }
    section.writeTo(out);
}

std::string counted(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

const char* serviceListName(std::uint8_t group) {
    return group == 0 ? "video" : "audio";
}

std::string diffText(const ListDiff& diff, const DiffTextOptions& options) {
    if (diff.same()) {
        return "the lists are the same\n";
    }
    std::string out;
    writeServices(diff.services, options.limit, out);
    writeFavourites(diff.favourites, options.limit, out);
    writeRecords("Providers", "provider", diff.providers, options.limit, out);
    writeRecords("Networks", "network", diff.networks, options.limit, out);
    writeRecords("Transport streams", "TS", diff.ts, options.limit, out);
    writeRecords("Antennas", "antenna", diff.antennas, options.limit, out);
    writeMenu(diff.menu, options.limit, out);
    return out;
}

std::string diffSummary(const ListDiff& diff) {
    std::vector<std::string> parts;
    const ServiceDiff& s = diff.services;
    auto add = [&](std::size_t n, const char* one, const char* many) {
        if (n > 0) {
            parts.push_back(counted(n, one, many));
        }
    };
    add(s.added.size(), "service added", "services added");
    add(s.removed.size(), "service removed", "services removed");
    add(s.renamed.size(), "service renamed", "services renamed");
    add(s.moved.size(), "service moved", "services moved");
    add(s.changed.size(), "service changed", "services changed");
    add(diff.favourites.size(), "favourite change", "favourite changes");
    add(diff.providers.size(), "provider change", "provider changes");
    add(diff.networks.size(), "network change", "network changes");
    add(diff.ts.size(), "TS change", "TS changes");
    add(diff.antennas.size(), "antenna change", "antenna changes");
    add(diff.menu.size(), "menu value changed", "menu values changed");
    if (parts.empty()) {
        return "no differences";
    }
    std::string text;
    for (const std::string& p : parts) {
        text += (text.empty() ? "" : ", ") + p;
    }
    return text;
}

}  // namespace bv3::edit
