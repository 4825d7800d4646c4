#include "channeldb/qnf_writer.h"

#include "channeldb/qnf_names.h"
#include "safe_write/safe_write.h"

#include <algorithm>
#include <charconv>
#include <concepts>

namespace bv3::channeldb {

namespace {

// The rows formatQnf writes of each table.
std::size_t favouriteRows(const ChannelDatabase& db, std::size_t g, std::size_t l) {
    return std::min<std::size_t>(db.favCount[g][l], favouriteEntryCapacity);
}
std::size_t serviceRows(const ChannelDatabase& db) {
    return std::min(db.serviceCount(), db.services.size());
}

class QnfText {
public:
    void line(std::string_view text) {
        out_ += text;
        endLine();
    }
    void endLine() { out_ += "\r\n"; }
    void tab() { out_ += '\t'; }
    void text(std::string_view t) { out_ += t; }

    // Unsigned columns are written from the field's full unsigned value, signed columns
    // from the value taken as signed, so each field's own type decides.
    template <std::integral T>
    void number(T value) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        out_.append(digits, static_cast<std::size_t>(result.ptr - digits));
    }
    template <std::integral T>
    void column(T value) {
        number(value);
        tab();
    }
    void flag(std::uint8_t value) {
        text(value != 0 ? "TRUE" : "FALSE");
        tab();
    }

    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

void writeAntennas(const ChannelDatabase& db, QnfText& q) {
    q.line("[ANTENNA]");
    for (std::size_t i = 0; i < antennaCount; ++i) {
        const AntennaRecord& a = db.antennas[i];
        q.column(i);
        q.column(a.antLong);
        q.column(a.antWordA);
        q.column(a.antWordB);
        q.column(a.antByteA);
        q.column(a.antByteB);
        q.column(a.antByteC);
        q.column(a.antByteD);
        const auto end = std::find(a.antName.begin(), a.antName.end(), '\0');
        q.text(qnfSafeName(std::string_view(a.antName.data(), static_cast<std::size_t>(end - a.antName.begin()))));
        q.endLine();
    }
}

void writeTransportStreams(const ChannelDatabase& db, QnfText& q) {
    q.line("[TS]");
    for (std::size_t i = 0; i < db.tsCount; ++i) {
        const TsRecord& t = db.transportStreams[i];
        q.column(t.tsWordC);
        q.column(t.networkIndex);
        q.column(t.tsLongA);
        q.column(t.tsLongB);
        q.column(t.tsByteA);
        q.column(t.tsByteB);
        q.column(t.tsWordA);
        q.number(t.tsWordB);
        q.endLine();
    }
}

void writeFavourites(const ChannelDatabase& db, QnfText& q) {
    q.line("[FAVORITE]");
    for (std::size_t g = 0; g < favouriteGroupCount; ++g) {
        for (std::size_t l = 0; l < favouriteListsPerGroup; ++l) {
            for (std::size_t e = 0; e < favouriteRows(db, g, l); ++e) {
                q.column(g);
                q.column(l);
                q.number(db.favEntry[g][l][e]);
                q.endLine();
            }
        }
    }
}

void writeServices(const ChannelDatabase& db, QnfText& q) {
    q.line("[SERVICE]");
    for (std::size_t i = 0; i < serviceRows(db); ++i) {
        const ServiceRecord& s = db.services[i];
        q.text(s.serviceKind == 0 ? "V" : "A");
        q.tab();
        q.column(s.svcWordA);
        q.column(s.svcWordB);
        q.column(s.svcWordC);
        q.column(s.svcWordD);
        q.column(s.svcWordG);
        q.column(s.svcNibble);
        q.flag(s.svcFlag3);
        q.flag(s.svcFlag1);
        q.flag(s.svcFlag0);
        q.column(s.tsIndex);
        q.column(s.providerIndex);
        q.text(qnfSafeName(s.svcName));
        q.tab();
        q.number(s.channelNumber);
        q.endLine();
    }
}

void writeMenu(const ChannelDatabase& db, QnfText& q) {
    q.line("[MENU]");
    std::size_t column = 0;
    forEachMenuValue(db.menu, [&](auto value) {
        if (column++ != 0) {
            q.tab();
        }
        q.number(value);
    });
    q.endLine();
}

}  // namespace

std::string formatQnf(const ChannelDatabase& db) {
    QnfText q;
    q.line("[BREVORA V3 FILE]");
    writeAntennas(db, q);
    writeTransportStreams(db, q);
    q.line("[NETWORK]");
    for (std::size_t i = 0; i < db.networkCount; ++i) {
        q.line(qnfSafeName(db.networks[i].netName));
    }
    q.line("[PROVIDER]");
    for (std::size_t i = 0; i < db.providerCount; ++i) {
        q.line(qnfSafeName(db.providers[i].provName));
    }
    writeFavourites(db, q);
    writeServices(db, q);
    writeMenu(db, q);
    return q.take();
}

QnfLineMap qnfLinesOf(const ChannelDatabase& db) {
    QnfLineMap map;
    std::size_t line = 1;      // the header
    line += 1 + antennaCount;  // "[ANTENNA]" and a line for each antenna
    const auto section = [&line](std::vector<std::size_t>& lines, std::size_t rows) {
        ++line;  // the tag
        for (std::size_t i = 0; i < rows; ++i) {
            lines.push_back(++line);
        }
    };
    section(map.transportStreams, db.tsCount);
    section(map.networks, db.networkCount);
    section(map.providers, db.providerCount);
    ++line;  // "[FAVORITE]"
    for (std::size_t g = 0; g < favouriteGroupCount; ++g) {
        for (std::size_t l = 0; l < favouriteListsPerGroup; ++l) {
            for (std::size_t e = 0; e < favouriteRows(db, g, l); ++e) {
                map.favourites[g][l].push_back(++line);
            }
        }
    }
    section(map.services, serviceRows(db));
    return map;
}

void writeQnfFile(const std::string& path, const ChannelDatabase& db) {
    const std::string text = formatQnf(db);
    safewrite::writeFileSafely(path, std::string_view(text));
}

}  // namespace bv3::channeldb
