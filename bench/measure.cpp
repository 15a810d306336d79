#include "measure.h"

#include <QCoreApplication>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace bench {

double median(std::vector<double> samples) {
    if (samples.empty()) return 0.0;
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    if (samples.size() % 2 == 1) return samples[middle];
    return (samples[middle - 1] + samples[middle]) / 2.0;
}

bool pollUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::usleep(200);
    }
    return true;
}

void runEventLoop(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void printFigure(const QString& name, double value, const QString& unit) {
    std::printf("%s: %.2f %s\n", qPrintable(name), value, qPrintable(unit));
    std::fflush(stdout);
}

QString sampleList(const std::vector<double>& samples) {
    QStringList texts;
    for (double sample : samples) texts.append(QString::number(sample, 'f', 1));
    return texts.join(QLatin1Char(' '));
}

}  // namespace bench
