// bv3-editor [FILE] [--model N [--variant N]]: the desktop channel-list editor. --screenshot FILE grabs the window as it
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
#include <cstdlib>
#include <tuple>

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

// The program's options; --help and --version are answered before any window system is
// needed, so they work on a machine without a display.
struct Options {
    QCommandLineOption screenshot{"screenshot", "save a picture of the window to FILE (PNG) and exit", "FILE"};
    QCommandLineOption tab{"tab",
                           "with --screenshot: the tab to show (video, audio, favourites, providers, networks, ts, "
                           "antennas, settings)",
                           "TAB", "video"};
    QCommandLineOption finding{"finding", "with --screenshot: go to finding N (from 1) of the findings panel", "N"};
    QCommandLineOption select{"select", "with --screenshot: select rows FIRST-LAST of the tab", "FIRST-LAST"};
    QCommandLineOption model{"model", "check the list against receiver model N (0..5); with --variant, the model of "
                                      "a receiver image FILE",
                             "N"};
    QCommandLineOption variant{"variant",
                               "the configuration variant (0..255) of a receiver image FILE: with --model, the "
                               "image opens without asking",
                               "N"};

    void describe(QCommandLineParser& parser) const {
        parser.setApplicationDescription("The BV3 receiver's channel-list editor");
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addPositionalArgument("FILE", "a channel list (QNF), a compressed list or a receiver image to open");
        for (const auto* option : {&model, &variant, &screenshot, &tab, &finding, &select}) {
            parser.addOption(*option);
        }
    }
};

void nameApplication() {
    QCoreApplication::setOrganizationName("BV3");
    QCoreApplication::setApplicationName("bv3-editor");
    QCoreApplication::setApplicationVersion(QStringLiteral(BV3_EDITOR_VERSION));
}

bool asksOnlyForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QLatin1String arg(argv[i]);
        if (arg == QLatin1String("--")) {
            break;
        }
        for (const char* word : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (arg == QLatin1String(word)) {
                return true;
            }
        }
    }
    return false;
}

std::optional<uint> numberOption(const QCommandLineParser& parser, const QCommandLineOption& option, uint max) {
    if (!parser.isSet(option)) {
        return std::nullopt;
    }
    bool ok = false;
    const uint value = parser.value(option).toUInt(&ok);
    if (!ok || value > max) {
        std::fprintf(stderr, "bv3-editor: --%s takes 0 to %u\n", qPrintable(option.names().first()), max);
        std::exit(2);
    }
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options;
    if (asksOnlyForText(argc, argv)) {
        QCoreApplication core(argc, argv);
        nameApplication();
        QCommandLineParser parser;
        options.describe(parser);
        parser.process(core);  // prints the help or the version and exits
        return 0;
    }
    QApplication app(argc, argv);
    nameApplication();
    QCommandLineParser parser;
    options.describe(parser);
    parser.process(app);
    const auto& [screenshot, tab, finding, select, model, variant] =
        std::tie(options.screenshot, options.tab, options.finding, options.select, options.model, options.variant);
    const auto modelCode = numberOption(parser, model, 5);
    const auto configVariant = numberOption(parser, variant, 255);
    std::optional<bv3::editor::ImageKind> imageKind;
    if (modelCode && configVariant) {
        imageKind = bv3::editor::ImageKind{static_cast<std::uint8_t>(*modelCode), static_cast<std::uint8_t>(*configVariant)};
    }

    bv3::editor::MainWindow window;
    window.show();
    const QStringList files = parser.positionalArguments();
    // Work an editor lost in a crash comes first; a restored list stands in for the file given.
    const bool restored = !parser.isSet(screenshot) && window.offerRecovery();
    if (!restored && !files.isEmpty() && !window.openFile(files.first(), imageKind) && parser.isSet(screenshot)) {
        return 1;
    }
    if (modelCode) {
        window.setModelCode(static_cast<std::uint8_t>(*modelCode));
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
