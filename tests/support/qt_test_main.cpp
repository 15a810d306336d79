#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>

#include "ui/fonts.h"

// A test that hangs is ended, and named, by ctest's timeout (the test presets).
int main(int argc, char** argv) {
    // Window tests run headless unless a test brings its own display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ondrix::installFontSubstitutes();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
