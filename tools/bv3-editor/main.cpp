// bv3-editor [FILE]: the desktop channel-list editor. --screenshot FILE grabs the window as it
// first appears (with --tab and --finding to choose what it shows) and exits, for the pictures
// in the documentation.
#include "favourites_view.h"
#include "main_window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QComboBox>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

namespace {

std::optional<bv3::editor::EditorTab> tabNamed(const QString& name) {
    using bv3::editor::EditorTab;
    static const std::pair<const char*, EditorTab> tabs[] = {
        {"video", EditorTab::Video},         {"audio", EditorTab::Audio},       {"favourites", EditorTab::Favourites},
        {"providers", EditorTab::Providers}, {"networks", EditorTab::Networks}, {"ts", EditorTab::TransportStreams},
        {"antennas", EditorTab::Antennas},   {"settings", EditorTab::Settings}};
    for (const auto& [text, tab] : tabs) {
        if (name == QLatin1String(text)) {
            return tab;
        }
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("BV3");
    QApplication::setApplicationName("bv3-editor");
    QApplication::setApplicationVersion(QStringLiteral(BV3_EDITOR_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription("The BV3 receiver's channel-list editor");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("FILE", "a channel list (QNF), a compressed list or a receiver image to open");
    const QCommandLineOption screenshot("screenshot", "save a picture of the window to FILE (PNG) and exit", "FILE");
    const QCommandLineOption tab("tab", "with --screenshot: the tab to show (video, audio, favourites, providers, "
                                        "networks, ts, antennas, settings)", "TAB", "video");
    const QCommandLineOption finding("finding", "with --screenshot: go to finding N (from 1) of the findings panel", "N");
    const QCommandLineOption select("select", "with --screenshot: select rows FIRST-LAST of the tab", "FIRST-LAST");
    const QCommandLineOption model("model", "check the list against receiver model N (0..5)", "N");
    parser.addOption(model);
    parser.addOption(screenshot);
    parser.addOption(tab);
    parser.addOption(finding);
    parser.addOption(select);
    parser.process(app);

    bv3::editor::MainWindow window;
    window.show();
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty() && !window.openFile(files.first()) && parser.isSet(screenshot)) {
        return 1;
    }
    if (parser.isSet(model)) {
        bool ok = false;
        const uint code = parser.value(model).toUInt(&ok);
        if (!ok || code > 5) {
            std::fprintf(stderr, "bv3-editor: --model takes 0 to 5\n");
            return 2;
        }
        window.setModelCode(static_cast<std::uint8_t>(code));
    }
    if (!parser.isSet(screenshot)) {
        return QApplication::exec();
    }

    // The pictures have one size, whatever layout this machine remembers.
    window.resize(1000, 700);
    const auto shown = tabNamed(parser.value(tab));
    if (!shown) {
        std::fprintf(stderr, "bv3-editor: unknown tab \"%s\"\n", qPrintable(parser.value(tab)));
        return 2;
    }
    window.showTab(*shown);
    if (parser.isSet(select)) {
        const QStringList range = parser.value(select).split('-');
        const int first = range.value(0).toInt();
        const int last = range.value(1, range.value(0)).toInt();
        QList<int> rows;
        for (int r = first; r <= last; ++r) {
            rows.append(r);
        }
        if (*shown == bv3::editor::EditorTab::Favourites) {
            window.favouritesView()->selectPositions(rows);
        } else if (*shown == bv3::editor::EditorTab::Video || *shown == bv3::editor::EditorTab::Audio) {
            window.selectServices(*shown == bv3::editor::EditorTab::Video ? bv3::editor::ServiceKind::Video
                                                                          : bv3::editor::ServiceKind::Audio,
                                  rows);
        }
    }
    if (parser.isSet(finding)) {
        QTreeWidget* tree = window.findingsDock()->tree();
        const int n = parser.value(finding).toInt() - 1;
        if (QTreeWidgetItem* item = tree->topLevelItem(n)) {
            tree->setCurrentItem(item);
            emit tree->itemActivated(item, 0);
            tree->setFocus();
        }
    }
    const QString target = parser.value(screenshot);
    int status = 0;
    QTimer::singleShot(300, &window, [&] {
        if (!window.grab().save(target, "PNG")) {
            std::fprintf(stderr, "bv3-editor: cannot write the picture %s\n", qPrintable(target));
            status = 1;
        }
        // The picture must not leave the window's layout remembered, nor ask about anything.
        QApplication::exit(status);
    });
    return QApplication::exec();
}
