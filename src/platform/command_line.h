#pragma once

#include <QString>
#include <QStringList>

namespace ondrix {

// Splits a parameter text into arguments the way a Windows program's start-up
// code does (CommandLineToArgvW rules): blanks and tabs separate, double
// quotes group, 2n backslashes before a quote give n backslashes and a
// grouping quote, 2n+1 give n backslashes and a literal quote, "" inside a
// quoted stretch is a literal quote.
QStringList splitWindowsCommandLine(const QString& parameters);

// Writes one argument so that splitWindowsCommandLine gives it back whole:
// unchanged when it holds no blank, tab or double quote and is not empty,
// else in double quotes with each quote written \" and the backslashes
// before a quote or the closing quote doubled.
QString quoteWindowsArgument(const QString& argument);

}  // namespace ondrix
