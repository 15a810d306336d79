#include "encoder_bench.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <cstdio>
#include <functional>
#include <vector>

#include "converters/mp3.h"
#include "measure.h"
#include "platform/shell.h"
#include "ui/clickable_label.h"
#include "ui/dialogs.h"
#include "ui/fonts.h"
#include "ui/guarded_application.h"

namespace bench {

namespace {

constexpr int kStartTimeoutMs = 5000;

// Times start() until the marker file exists; -1 when it never appears.
double timeUntilMarker(const QString& markerFile, const std::function<void()>& start) {
    QFile::remove(markerFile);
    QElapsedTimer timer;
    timer.start();
    start();
    if (!pollUntil([&] { return QFileInfo::exists(markerFile); }, kStartTimeoutMs)) return -1;
    return elapsedMs(timer);
}

}  // namespace

int runEncoderBench(int& argc, char** argv, const EncoderOptions& options) {
    ondrix::GuardedApplication app(argc, argv);
    ondrix::installFontSubstitutes();
    ondrix::SystemShell shell;
    ondrix::QtDialogs dialogs;
    ondrix::formMp3 window(shell, dialogs);
    ondrix::startWindow(window);
    window.textBox(QStringLiteral("Text1"))->setText(QStringLiteral("song.wav"));
    window.textBox(QStringLiteral("Text2"))->setText(QStringLiteral("song.mp3"));
    ondrix::ClickableLabel* cdQuality = window.commandLabel(QStringLiteral("LblCBR"));

    std::vector<double> clicks;
    std::vector<double> direct;
    const QStringList arguments{QStringLiteral("-h"), QStringLiteral("-b"), QStringLiteral("128"),
                                QStringLiteral("song.wav"), QStringLiteral("song.mp3")};
    for (int i = 0; i < options.clicks; ++i) {
        const double clickMs = timeUntilMarker(
            options.markerFile, [&] { QTest::mouseClick(cdQuality, Qt::LeftButton); });
        const double directMs = timeUntilMarker(options.markerFile, [&] {
            QProcess::startDetached(options.encoderScript, arguments,
                                    QFileInfo(options.encoderScript).absolutePath());
        });
        if (clickMs < 0 || directMs < 0) {
            std::fprintf(stderr, "bench: encoder start %d was not seen (click %.0f, direct %.0f)\n",
                         i + 1, clickMs, directMs);
            return 1;
        }
        clicks.push_back(clickMs);
        direct.push_back(directMs);
    }
    QFile::remove(options.markerFile);

    std::printf("encoder samples ms: click %s | direct %s\n", qPrintable(sampleList(clicks)),
                qPrintable(sampleList(direct)));
    printFigure(QStringLiteral("encoder_click_ms"), median(clicks), QStringLiteral("ms"));
    printFigure(QStringLiteral("encoder_direct_ms"), median(direct), QStringLiteral("ms"));
    return 0;
}

}  // namespace bench
