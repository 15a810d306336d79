#include "platform/command_line.h"

#include <algorithm>

namespace ondrix {

namespace {
bool isSeparator(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
}  // namespace

QStringList splitWindowsCommandLine(const QString& parameters) {
    QStringList arguments;
    QString current;
    bool inArgument = false;  // an argument begun, possibly still empty ("")
    bool quoted = false;
    const qsizetype length = parameters.size();
    qsizetype i = 0;
    while (i < length) {
        const QChar c = parameters.at(i);
        if (isSeparator(c) && !quoted) {
            if (inArgument) arguments.append(current);
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == QLatin1Char('\\')) {
            qsizetype backslashes = 0;
            while (i < length && parameters.at(i) == QLatin1Char('\\')) {
                ++backslashes;
                ++i;
            }
            if (i < length && parameters.at(i) == QLatin1Char('"')) {
                current += QString(backslashes / 2, QLatin1Char('\\'));
                if (backslashes % 2 == 1) {
                    current += QLatin1Char('"');
                    ++i;
                }
                // An even count leaves the quote to act as a grouping quote.
            } else {
                current += QString(backslashes, QLatin1Char('\\'));
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            ++i;
            if (!quoted) {
                quoted = true;
            } else if (i < length && parameters.at(i) == QLatin1Char('"')) {
                // CommandLineToArgvW: a doubled quote inside a quoted stretch
                // is a literal quote and closes the stretch.
                current += QLatin1Char('"');
                ++i;
                quoted = false;
            } else {
                quoted = false;
            }
            continue;
        }
        current += c;
        ++i;
    }
    if (inArgument) arguments.append(current);
    return arguments;
}

QString quoteWindowsArgument(const QString& argument) {
    const bool plain = !argument.isEmpty() && !argument.contains(QLatin1Char('"')) &&
                       std::none_of(argument.begin(), argument.end(), isSeparator);
    if (plain) return argument;
    QString quoted(QLatin1Char('"'));
    qsizetype backslashes = 0;
    for (const QChar c : argument) {
        if (c == QLatin1Char('\\')) {
            ++backslashes;
        } else if (c == QLatin1Char('"')) {
            quoted += QString(backslashes + 1, QLatin1Char('\\'));
            backslashes = 0;
        } else {
            backslashes = 0;
        }
        quoted += c;
    }
    // Backslashes before the closing quote are doubled so that it still closes.
    quoted += QString(backslashes, QLatin1Char('\\'));
    quoted += QLatin1Char('"');
    return quoted;
}

}  // namespace ondrix
