#include "measure.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
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

void endWithParent(QProcess& process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

double timeUntilOutput(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory, const QByteArray& token, int timeoutMs) {
    QProcess process;
    endWithParent(process);
    process.setWorkingDirectory(workingDirectory);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    QByteArray output;
    double result = -1;
    while (timer.elapsed() < timeoutMs) {
        // A program that prints the token and ends at once still counts:
        // what it wrote is read after it has ended.
        const bool ended = process.state() == QProcess::NotRunning;
        if (ended || process.waitForReadyRead(100)) output += process.readAllStandardOutput();
        if (output.contains(token)) {
            result = elapsedMs(timer);
            break;
        }
        if (ended) break;
    }
    if (!process.waitForFinished(3000)) {
        process.terminate();
        if (!process.waitForFinished(3000)) process.kill();
        process.waitForFinished(2000);
    }
    return result;
}

QList<QByteArray> takeCompleteLines(QByteArray& buffer) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype end; (end = buffer.indexOf('\n', start)) >= 0; start = end + 1)
        lines.append(buffer.mid(start, end - start));
    buffer.remove(0, start);
    return lines;
}

QString eventName(const QByteArray& line) {
    return QJsonDocument::fromJson(line).object().value(QStringLiteral("event")).toString();
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
