// Edit > Reorder like a reference: the reference file, the two choices, and the report.

#include "main_window.h"
#include "main_window_support.h"

#include "edit/reference_order.h"

#include <QFileInfo>
#include <QStringList>

namespace bv3::editor {

namespace {

QString reorderReportText(const edit::ReorderReport& report, const ReorderChoice& choice) {
    const auto n = [](std::size_t count) { return static_cast<int>(count); };
    QStringList lines;
    QString matched = QObject::tr("%1 matched the reference").arg(counted(n(report.matched), QObject::tr("service"),
                                                                          QObject::tr("services")));
    if (report.matchedRenamed > 0) {
        matched += QObject::tr(" (%1 renamed, matched by their numbers)").arg(report.matchedRenamed);
    }
    lines << matched + '.';
    if (choice.dropUnmatched) {
        lines << QObject::tr("%1 it does not have removed.").arg(counted(n(report.dropped), QObject::tr("service"),
                                                                         QObject::tr("services")));
    } else {
        lines << QObject::tr("%1 it does not have kept after the matched ones.")
                     .arg(counted(n(report.unmatched), QObject::tr("service"), QObject::tr("services")));
    }
    lines << QObject::tr("%1 of the reference not in this list.")
                 .arg(counted(n(report.referenceUnmatched), QObject::tr("service"), QObject::tr("services")));
    if (report.numbersTaken > 0) {
        lines << QObject::tr("%1 taken from the reference.")
                     .arg(counted(n(report.numbersTaken), QObject::tr("channel number"), QObject::tr("channel numbers")));
    }
    if (choice.carryFavourites) {
        lines << QObject::tr("Favourites: %1 carried over, %2 left out (their service did not match).")
                     .arg(counted(n(report.favouritesCarried), QObject::tr("entry"), QObject::tr("entries")))
                     .arg(report.favouritesLeftOut);
    }
    return lines.join('\n');
}

}  // namespace

void MainWindow::reorderLikeReference() {
    if (!controller_.hasDocument()) {
        return;
    }
    const QString path = prompts_->openFileName(tr("Reference list"), QFileInfo(path_).absolutePath(),
                                                tr("Channel lists (*.qnf *.v3q *.fast *.raw);;All files (*)"));
    if (path.isEmpty()) {
        return;
    }
    auto reference = load(path, std::nullopt);
    if (!reference) {
        return;
    }
    const auto choice = prompts_->askReorder(QFileInfo(path).fileName(), ReorderChoice{});
    if (!choice) {
        return;
    }
    edit::ReorderReport report;
    edit::ReorderOptions options;
    options.dropUnmatched = choice->dropUnmatched;
    options.carryFavourites = choice->carryFavourites;
    options.referenceModel = reference->modelCode();
    if (apply([&](edit::ChannelList& list) { report = edit::reorderByReference(list, reference->database(), options); },
              false)) {
        prompts_->showInformation(tr("Reorder like a reference"), reorderReportText(report, *choice));
    }
}

}  // namespace bv3::editor
