// The desktop editor on a full receiver (4000 services): what a person waits for. Each figure
// is one event-loop round trip measured with QElapsedTimer: the operation, then the events it
// posted processed and the window repainted (views and findings panel), offscreen.
#include "full_database.h"

#include "main_window.h"

#include "channeldb/qnf_writer.h"
#include "edit/service_operations.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>

#include <fstream>
#include <memory>

namespace {

using bv3::editor::EditorTab;
using bv3::editor::MainWindow;
using bv3::editor::ServiceKind;

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

const QString& fullListPath() {
    static const QString path = [] {
        const QString file = scratch().filePath("full.qnf");
        std::ofstream(file.toStdString(), std::ios::binary) << bv3::channeldb::formatQnf(*bv3::bench::fullDatabase());
        return file;
    }();
    return path;
}

// Processes what is pending and paints the window now, as the next frame would.
void roundTrip(QWidget& window) {
    QCoreApplication::processEvents();
    window.repaint();
    QCoreApplication::processEvents();
}

std::unique_ptr<MainWindow> openWindow() {
    auto window = std::make_unique<MainWindow>();
    window->show();
    window->openFile(fullListPath());
    roundTrip(*window);
    return window;
}

// Start to the first painted window with the list open.
void BM_OpenToFirstPaint(benchmark::State& state) {
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto window = std::make_unique<MainWindow>();
        window->show();
        window->openFile(fullListPath());
        roundTrip(*window);
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        window.reset();
    }
}
BENCHMARK(BM_OpenToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// One edit through the window's actions on a selection made beforehand (untimed), with the
// repaint of the view and the findings panel; undone (untimed) after each.
template <class Select, class Edit>
void timeEdit(benchmark::State& state, Select select, Edit edit) {
    auto window = openWindow();
    window->showTab(EditorTab::Video);
    for (auto _ : state) {
        state.PauseTiming();
        select(*window);
        roundTrip(*window);
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        edit(*window);
        roundTrip(*window);
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        state.PauseTiming();
        while (window->action("undo")->isEnabled()) {
            window->action("undo")->trigger();
        }
        roundTrip(*window);
        state.ResumeTiming();
    }
}

QList<int> everyThirdRow(int n) {
    QList<int> rows;
    for (int i = 0; i < n; ++i) {
        rows.append(i * 3);
    }
    return rows;
}

void BM_SortByNameWithRepaint(benchmark::State& state) {
    timeEdit(
        state, [](MainWindow& w) { w.selectServices(ServiceKind::Video, {0}); },
        [](MainWindow& w) { w.action("sortName")->trigger(); });
}
BENCHMARK(BM_SortByNameWithRepaint)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Move100RowsToBottomWithRepaint(benchmark::State& state) {
    timeEdit(
        state, [](MainWindow& w) { w.selectServices(ServiceKind::Video, everyThirdRow(100)); },
        [](MainWindow& w) { w.action("moveBottom")->trigger(); });
}
BENCHMARK(BM_Move100RowsToBottomWithRepaint)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_UndoOf100RowMoveWithRepaint(benchmark::State& state) {
    auto window = openWindow();
    window->showTab(EditorTab::Video);
    for (auto _ : state) {
        state.PauseTiming();
        window->selectServices(ServiceKind::Video, everyThirdRow(100));
        window->action("moveBottom")->trigger();
        roundTrip(*window);
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        window->action("undo")->trigger();
        roundTrip(*window);
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
}
BENCHMARK(BM_UndoOf100RowMoveWithRepaint)->UseManualTime()->Unit(benchmark::kMillisecond);

// Each keystroke of a search narrows the table: "service number 12" typed one key at a time;
// one iteration is one keystroke, the field cleared (untimed) once the text is complete.
void BM_FilterKeystroke(benchmark::State& state) {
    auto window = openWindow();
    window->showTab(EditorTab::Video);
    const QString text = "service number 12";
    int typed = 0;
    for (auto _ : state) {
        ++typed;
        QElapsedTimer timer;
        timer.start();
        window->filterField()->setText(text.left(typed));
        roundTrip(*window);
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (typed == text.size()) {
            state.PauseTiming();
            typed = 0;
            window->filterField()->clear();
            roundTrip(*window);
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_FilterKeystroke)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The benchmark's windows must not change the person's remembered layout.
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, scratch().path());
    QApplication::setOrganizationName("BV3-bench");
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
