// The editor's test programs: one QApplication for all their windows.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // The windows never need a display; the test listing runs without CTest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
