#include "platform/terminal_text.h"

#include <algorithm>
#include <utility>

namespace ondrix {

// A cursor move up of a progress display reaches no further than this.
constexpr qsizetype kReachableLines = 8;

QByteArray TerminalText::feed(const QByteArray& output) {
    const QByteArray text = pending_ + output;
    pending_.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '\x1b') {
            qsizetype end = i + 1;
            if (end < text.size() && text.at(end) == '[') {
                // CSI: parameter and intermediate bytes, then a final byte.
                ++end;
                while (end < text.size() && (text.at(end) < 0x40 || text.at(end) > 0x7e)) ++end;
            } else if (end < text.size() && text.at(end) == ']') {
                // OSC: up to a bell or ESC backslash.
                while (end < text.size() && text.at(end) != '\a' &&
                       !(text.at(end) == '\\' && text.at(end - 1) == '\x1b'))
                    ++end;
            }
            if (end >= text.size()) {
                pending_ = text.mid(i);
                break;
            }
            if (text.at(i + 1) == '[') control(text.at(end), text.mid(i + 2, end - i - 2));
            i = end;
        } else if (c == '\r') {
            column_ = 0;
        } else if (c == '\n') {
            column_ = 0;
            if (++row_ == lines_.size()) lines_.append(QByteArray());
        } else if (c == '\b') {
            column_ = std::max<qsizetype>(0, column_ - 1);
        } else if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f) {
            write(c);
        } else if (c == '\t') {
            do write(' ');
            while (column_ % 8 != 0);
        }
    }
    return takeLines(kReachableLines);
}

QByteArray TerminalText::finish() {
    pending_.clear();
    if (lines_.constLast().isEmpty()) lines_.removeLast();
    QByteArray rest = takeLines(0);
    for (const QByteArray& line : std::as_const(lines_)) rest += line + '\n';
    lines_ = {QByteArray()};
    row_ = column_ = 0;
    return rest;
}

QByteArray TerminalText::takeLines(qsizetype keep) {
    QByteArray done;
    while (row_ > keep && !lines_.isEmpty()) {
        done += lines_.takeFirst() + '\n';
        --row_;
    }
    return done;
}

void TerminalText::write(char c) {
    QByteArray& line = lines_[row_];
    if (column_ >= line.size())
        line.append(column_ - line.size(), ' ').append(c);
    else
        line[column_] = c;
    ++column_;
}

void TerminalText::control(char final, const QByteArray& parameters) {
    const qsizetype count = std::max(1, parameters.toInt());
    QByteArray& line = lines_[row_];
    switch (final) {
        case 'A':
            row_ = std::max<qsizetype>(0, row_ - count);
            break;
        case 'B':
            row_ += count;
            while (lines_.size() <= row_) lines_.append(QByteArray());
            break;
        case 'C':
            column_ += count;
            break;
        case 'D':
            column_ = std::max<qsizetype>(0, column_ - count);
            break;
        case 'G':
            column_ = count - 1;
            break;
        case 'K':
            // 0: to the end of the line, 1: to the cursor, 2: the whole line.
            if (parameters.toInt() == 0)
                line.truncate(column_);
            else if (parameters.toInt() == 2)
                line.clear();
            else
                line.replace(0, std::min(column_ + 1, line.size()),
                             QByteArray(std::min(column_ + 1, line.size()), ' '));
            break;
        default:
            // Colours and the rest change nothing a log keeps.
            break;
    }
}

}  // namespace ondrix
