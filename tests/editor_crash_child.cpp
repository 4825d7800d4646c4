// An editor to be killed: opens the list given, renames its second service, waits until the
// recovery copy of that change is on the disk, says "written COPY" on stdout and runs on
// until it is killed. The recovery tests start it and end it with SIGKILL.
#include "main_window.h"
#include "recovery_keeper.h"

#include "edit/service_operations.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: editor_crash_child LIST NEW-NAME\n");
        return 2;
    }
    bv3::editor::MainWindow window;
    window.show();
    if (!window.openFile(QString::fromLocal8Bit(argv[1]))) {
        return 1;
    }
    auto& list = const_cast<bv3::edit::ChannelList&>(*window.document());
    bv3::edit::renameService(list, 1, argv[2]);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (window.recovery().writer().writes() > 0) {
            poll.stop();
            std::printf("written %s\n", qPrintable(window.recovery().copyPath()));
            std::fflush(stdout);
        }
    });
    poll.start(10);
    return QApplication::exec();
}
