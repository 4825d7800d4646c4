#include "list_export.h"

#include "channeldb/channel_database.h"
#include "service_table_model.h"

#include "edit/receiver_text.h"

#include <QStringList>

namespace bv3::editor {

namespace {

QString csvField(const QString& text) {
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') && !text.contains('\r')) {
        return text;
    }
    QString quoted = text;
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

QString name(const std::string& text) {
    return QString::fromStdString(edit::utf8FromReceiverText(text));
}

QString flags(const channeldb::ServiceRecord& s) {
    QStringList set;
    if (s.svcFlag3 != 0) set << "3";
    if (s.svcFlag1 != 0) set << "1";
    if (s.svcFlag0 != 0) set << "0";
    return set.join(' ');
}

}  // namespace

QString servicesCsv(const channeldb::ChannelDatabase& db) {
    QString out = "kind,position,channel,name,provider,ts,flags,value\r\n";
    for (std::size_t row = 0; row < db.serviceCount(); ++row) {
        const auto& s = db.services[row];
        const bool video = row < db.videoCount;
        const std::size_t position = video ? row + 1 : row - db.videoCount + 1;
        QStringList fields{video ? "video" : "audio",
                           QString::number(position),
                           s.channelNumber != 0 ? QString::number(s.channelNumber) : QString(),
                           name(s.svcName),
                           providerText(db, s.providerIndex),
                           transportStreamText(db, s.tsIndex),
                           flags(s),
                           QString::number(s.svcNibble)};
        for (QString& f : fields) {
            f = csvField(f);
        }
        out += fields.join(',') + "\r\n";
    }
    return out;
}

QString servicesHtml(const channeldb::ChannelDatabase& db, const QString& title) {
    QString html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title.toHtmlEscaped() +
                   "</title>\n<style>body{font-family:sans-serif;font-size:10pt} table{border-collapse:collapse;"
                   "margin-bottom:1em} th,td{border:1px solid #999;padding:1px 6px;text-align:left}"
                   " td.n{text-align:right}</style></head><body>\n<h1>" +
                   title.toHtmlEscaped() + "</h1>\n";
    auto table = [&](const QString& heading, std::size_t first, std::size_t count) {
        html += "<h2>" + heading.toHtmlEscaped() + "</h2>\n<table><tr><th>#</th><th>Ch.</th><th>Name</th>"
                "<th>Provider</th><th>TS</th></tr>\n";
        for (std::size_t i = 0; i < count; ++i) {
            const auto& s = db.services[first + i];
            html += QStringLiteral("<tr><td class=\"n\">%1</td><td class=\"n\">%2</td><td>%3</td><td>%4</td><td>%5</td></tr>\n")
                        .arg(i + 1)
                        .arg(s.channelNumber != 0 ? QString::number(s.channelNumber) : QString())
                        .arg(name(s.svcName).toHtmlEscaped())
                        .arg(providerText(db, s.providerIndex).toHtmlEscaped())
                        .arg(transportStreamText(db, s.tsIndex).toHtmlEscaped());
        }
        html += "</table>\n";
    };
    table(QObject::tr("Video services (%1)").arg(db.videoCount), 0, db.videoCount);
    table(QObject::tr("Audio services (%1)").arg(db.audioCount), db.videoCount, db.audioCount);
    html += "<h2>" + QObject::tr("Favourites").toHtmlEscaped() + "</h2>\n<table><tr><th>Group</th><th>List</th><th>Entries</th></tr>\n";
    for (std::size_t g = 0; g < channeldb::favouriteGroupCount; ++g) {
        for (std::size_t l = 0; l < channeldb::favouriteListsPerGroup; ++l) {
            QStringList entries;
            for (std::size_t e = 0; e < db.favCount[g][l]; ++e) {
                entries << QString::number(db.favEntry[g][l][e]);
            }
            if (!entries.isEmpty()) {
                html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>\n")
                            .arg(g == 0 ? "video" : "audio")
                            .arg(l)
                            .arg(entries.join(", "));
            }
        }
    }
    html += "</table>\n</body></html>\n";
    return html;
}

}  // namespace bv3::editor
