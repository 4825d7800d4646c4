#include "edit/list_diff_report.h"

#include "edit/list_diff_text_support.h"

#include <cstdio>
#include <vector>

namespace bv3::edit {

namespace {

std::string jsonString(std::string_view latin1) {
    std::string out = "\"";
    for (const char c : difftext::utf8(latin1)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// One JSON object, its members in the order they are added.
class Object {
public:
    Object& text(const char* key, std::string_view value) { return raw(key, jsonString(value)); }
    Object& number(const char* key, std::size_t value) { return raw(key, std::to_string(value)); }
    Object& raw(const char* key, const std::string& json) {
        body_ += (body_.empty() ? "" : ", ") + jsonString(key) + ": " + json;
        return *this;
    }
    std::string str() const { return "{" + body_ + "}"; }

private:
    std::string body_;
};

template <class Items, class Each>
std::string array(const Items& items, Each each) {
    std::string out = "[";
    for (const auto& item : items) {
        out += (out.size() > 1 ? ", " : "") + each(item);
    }
    return out + "]";
}

const char* kindName(ChangeKind kind) {
    switch (kind) {
    case ChangeKind::Added:
        return "added";
    case ChangeKind::Removed:
        return "removed";
    case ChangeKind::Renamed:
        return "renamed";
    case ChangeKind::Moved:
        return "moved";
    default:
        return "changed";
    }
}

std::string fields(const std::vector<FieldChange>& changes) {
    return array(changes, [](const FieldChange& f) {
        return Object().text("field", f.field).text("old", f.before).text("new", f.after).str();
    });
}

std::string placeObject(const ServicePlace& p) {
    return Object().text("name", p.name).text("list", serviceListName(p.group)).number("position", p.position).str();
}

std::string services(const ServiceDiff& s) {
    return Object()
        .raw("added", array(s.added, placeObject))
        .raw("removed", array(s.removed, placeObject))
        .raw("renamed", array(s.renamed,
                              [](const ServiceRename& r) {
                                  return Object()
                                      .text("from", r.from.name)
                                      .text("to", r.to.name)
                                      .text("list", serviceListName(r.to.group))
                                      .number("position", r.to.position)
                                      .str();
                              }))
        .raw("moved", array(s.moved,
                            [](const ServiceMove& m) {
                                return Object()
                                    .text("name", m.name)
                                    .text("list", serviceListName(m.group))
                                    .number("from", m.from)
                                    .number("to", m.to)
                                    .str();
                            }))
        .raw("changed", array(s.changed,
                              [](const ServiceChange& c) {
                                  return Object()
                                      .text("name", c.service.name)
                                      .text("list", serviceListName(c.service.group))
                                      .number("position", c.service.position)
                                      .raw("changes", fields(c.fields))
                                      .str();
                              }))
        .str();
}

std::string favourite(const FavouriteChange& f) {
    Object o;
    o.text("change", kindName(f.kind)).text("list", serviceListName(f.group)).number("favourites", f.list);
    o.number("entry", f.entry);
    if (f.kind == ChangeKind::Changed) {
        o.number("old_entry", f.oldEntry);
    }
    if (f.from != 0) {
        o.number("from", f.from);
    }
    if (f.to != 0) {
        o.number("to", f.to);
    }
    o.text("service", f.service);
    if (f.kind == ChangeKind::Changed) {
        o.text("new_service", f.newService.empty() && f.oldEntry != f.entry ? f.service : f.newService);
    }
    return o.str();
}

std::string record(const RecordChange& r) {
    Object o;
    o.text("change", kindName(r.kind)).number("row", r.row).text("name", r.name);
    if (r.kind == ChangeKind::Renamed) {
        o.text("new_name", r.newName);
    }
    if (r.kind == ChangeKind::Changed) {
        o.raw("changes", fields(r.fields));
    }
    return o.str();
}

}  // namespace

std::string diffJson(const ListDiff& diff) {
    return Object()
               .raw("same", diff.same() ? "true" : "false")
               .raw("services", services(diff.services))
               .raw("favourites", array(diff.favourites, favourite))
               .raw("providers", array(diff.providers, record))
               .raw("networks", array(diff.networks, record))
               .raw("ts", array(diff.ts, record))
               .raw("antennas", array(diff.antennas, record))
               .raw("menu", array(diff.menu,
                                  [](const MenuChange& m) {
                                      return Object().number("number", m.number).text("old", m.before).text("new", m.after).str();
                                  }))
               .str() +
           "\n";
}

}  // namespace bv3::edit
