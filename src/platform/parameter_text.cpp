#include "platform/parameter_text.h"

#include "platform/command_line.h"

namespace ondrix {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isEscape(char16_t c) {
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

bool isContinuation(const QByteArray& bytes, qsizetype at) {
    return at < bytes.size() && (static_cast<uchar>(bytes.at(at)) & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at bytes[at]; 0 when there is
// none (a stray continuation byte, an overlong form, a surrogate, a cut end).
qsizetype sequenceLength(const QByteArray& bytes, qsizetype at) {
    const uchar lead = static_cast<uchar>(bytes.at(at));
    if (lead < 0x80) return 1;
    if (!isContinuation(bytes, at + 1)) return 0;
    const uchar second = static_cast<uchar>(bytes.at(at + 1));
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    qsizetype length = 0;
    if (lead == 0xE0)
        length = second >= 0xA0 ? 3 : 0;
    else if (lead == 0xED)
        length = second <= 0x9F ? 3 : 0;
    else if (lead >= 0xE1 && lead <= 0xEF)
        length = 3;
    else if (lead == 0xF0)
        length = second >= 0x90 ? 4 : 0;
    else if (lead == 0xF4)
        length = second <= 0x8F ? 4 : 0;
    else if (lead >= 0xF1 && lead <= 0xF3)
        length = 4;
    for (qsizetype i = 2; i < length; ++i)
        if (!isContinuation(bytes, at + i)) return 0;
    return length;
}

QString escapedFromBytes(const QByteArray& bytes) {
    QString text;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = sequenceLength(bytes, at);
        if (length == 0) {
            text += QChar(static_cast<char16_t>(kEscapeBase + static_cast<uchar>(bytes.at(at))));
            ++at;
        } else {
            text += QString::fromUtf8(bytes.constData() + at, length);
            at += length;
        }
    }
    return text;
}

QByteArray bytesFromEscaped(const QString& escaped) {
    QByteArray bytes;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const QChar c = escaped.at(i);
        if (c.isHighSurrogate() && i + 1 < escaped.size() && escaped.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (!isEscape(c.unicode())) continue;
        bytes += escaped.mid(runStart, i - runStart).toUtf8();
        bytes += static_cast<char>(c.unicode() - kEscapeBase);
        runStart = i + 1;
    }
    return bytes + escaped.mid(runStart).toUtf8();
}

}  // namespace

ParameterText::ParameterText(const QString& text) {
    // A lone surrogate in typed text is no escape: it becomes U+FFFD, as
    // any text's UTF-8 gives it.
    escaped_.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            escaped_ += c;
            escaped_ += text.at(++i);
        } else {
            escaped_ += c.isSurrogate() ? QChar(QChar::ReplacementCharacter) : c;
        }
    }
}

ParameterText ParameterText::argument(const QByteArray& bytes) {
    ParameterText one;
    one.escaped_ = quoteWindowsArgument(escapedFromBytes(bytes));
    return one;
}

QList<QByteArray> ParameterText::arguments() const {
    QList<QByteArray> arguments;
    for (const QString& argument : splitWindowsCommandLine(escaped_))
        arguments.append(bytesFromEscaped(argument));
    return arguments;
}

QByteArray ParameterText::bytes() const {
    return bytesFromEscaped(escaped_);
}

QString ParameterText::text() const {
    return QString::fromUtf8(bytes());
}

}  // namespace ondrix
