#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <memory>

#include "player/window.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

namespace testsupport {

// Settings files in CR LF lines.
inline QByteArray crlf(const QStringList& lines) {
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

inline QByteArray stationRecords(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("+") << QStringLiteral("S%1").arg(i)
              << QStringLiteral("http://page%1.example/").arg(i)
              << QStringLiteral("http://stream%1.example/live").arg(i);
    return crlf(lines);
}

// A player window over fakes, in a scratch folder that is the current
// directory and holds a valid set of settings files.
class WavelarkTest : public ::testing::Test {
  protected:
    WavelarkTest() : here_(folder.path()) {
        folder.write(QStringLiteral("!WLKstart.txt"),
                     crlf({QStringLiteral("3000"), QStringLiteral("1500")}));
        folder.write(QStringLiteral("!tzone.txt"), crlf({QStringLiteral("6")}));
        folder.write(QStringLiteral("!moving.txt"), crlf({QStringLiteral("Moving on")}));
        folder.write(QStringLiteral("!rkeys.txt"), stationRecords(3));
    }

    ondrix::Wavelark& window() {
        if (!window_) {
            window_ = std::make_unique<ondrix::Wavelark>(
                ondrix::WavelarkServices{engine, shell, clock, random, dialogs});
            // The tests drive the poller and the clocks themselves.
            window_->Timer1->stop();
            window_->Timer2->stop();
            window_->Timer3->stop();
        }
        return *window_;
    }

    ondrix::Wavelark& loaded() {
        window().Form_Load();
        engine.calls.clear();
        engine.urls.clear();
        return *window_;
    }

    TempFolder folder;
    FakeEngine engine;
    FakeShell shell;
    FakeClock clock;
    FakeRandom random;
    FakeDialogs dialogs;

  private:
    CurrentDirectory here_;
    std::unique_ptr<ondrix::Wavelark> window_;
};

}  // namespace testsupport
