#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace ondrix {

// A program's parameter text: options and names written as on a Windows
// command line, split into arguments by its rules (splitWindowsCommandLine).
// A file name in it keeps the bytes the file system holds, also where they
// are no UTF-8 and a QString could not hold them, so the program receives
// the exact name. A name's bytes are the file system's own on POSIX and the
// name's UTF-8 on Windows, where the whole text is what ShellExecute takes.
class ParameterText {
  public:
    ParameterText() = default;
    // Text the program or the user wrote: options, typed names. Not
    // explicit: typed text is a parameter text as it stands.
    ParameterText(const QString& text);
    // One argument by its bytes, quoted where the splitting rules need it.
    static ParameterText argument(const QByteArray& bytes);

    friend ParameterText operator+(const ParameterText& first, const ParameterText& second) {
        ParameterText joined;
        joined.escaped_ = first.escaped_ + second.escaped_;
        return joined;
    }
    bool operator==(const ParameterText&) const = default;

    // The arguments the program receives, each as its bytes.
    QList<QByteArray> arguments() const;
    // The whole text with each name's bytes: what shownName() makes visible.
    QByteArray bytes() const;
    // The whole text as text; a byte that is no UTF-8 reads as U+FFFD.
    QString text() const;

  private:
    // A byte of a name that is no UTF-8 is held as U+DC80 + the byte (a lone
    // low surrogate, which no text holds), so that the splitting rules,
    // which look only at blanks, quotes and backslashes, act as on the bytes.
    QString escaped_;
};

}  // namespace ondrix
