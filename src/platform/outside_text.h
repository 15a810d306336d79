#pragma once

#include <QString>
#include <optional>

namespace ondrix {

// The most characters of one outside text (a title, a name) that is shown or
// sent on: enough for any real title, small enough to lay out at once.
constexpr qsizetype kOutsideTextLimit = 1024;

// Text from outside the program (stream and station names, titles, tags)
// made fit to show on one line: line breaks become blanks; other control
// characters, terminal escape sequences and bidirectional override,
// embedding and isolate characters are removed; the result is cut to
// maxLength characters.
QString cleanOutsideText(const QString& text, qsizetype maxLength = kOutsideTextLimit);

// The web address to open for a station's web page text: an http: or https:
// address as it is, a bare host name ("www.example.org/radio") with
// "http://" in front; nothing for anything else (a program's name, a path,
// another scheme), which must never reach the desktop's opener.
std::optional<QString> webPageAddress(const QString& text);

}  // namespace ondrix
