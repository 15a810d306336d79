#pragma once

#include <QByteArray>
#include <QList>

namespace ondrix {

// A console program's output as a terminal would finally show it, for a log:
// escape sequences go, a line rewritten after a carriage return or a cursor
// move up keeps its last state. Lines are given out once no cursor move of
// a progress display can reach them any more.
class TerminalText {
  public:
    // The lines finished by this output, each ending in a line feed.
    QByteArray feed(const QByteArray& output);
    // The rest, at the end of the output.
    QByteArray finish();

  private:
    QByteArray takeLines(qsizetype keep);
    void write(char c);
    void control(char final, const QByteArray& parameters);

    // Lines the cursor can still reach; the cursor's line and column in them.
    QList<QByteArray> lines_{QByteArray()};
    qsizetype row_ = 0;
    qsizetype column_ = 0;
    // An escape sequence not finished in the last feed.
    QByteArray pending_;
};

}  // namespace ondrix
