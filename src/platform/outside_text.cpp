#include "platform/outside_text.h"

#include <QRegularExpression>
#include <QUrl>

namespace ondrix {

namespace {

bool isLineBreak(char16_t c) {
    return c == u'\r' || c == u'\n' || c == 0x0B || c == 0x0C || c == 0x85 || c == 0x2028 ||
           c == 0x2029;
}

// Characters that reorder or hide the text around them, or move a
// terminal's cursor, when a title is printed.
bool isDropped(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

// Length of the terminal escape sequence at text[at] (ESC or CSI), so that
// "\x1b[31m" goes whole rather than leaving "[31m" behind.
qsizetype escapeLength(const QString& text, qsizetype at) {
    qsizetype end = at + 1;
    // An operating system command (a terminal's title) runs to BEL or ESC \.
    if (text.at(at) == QChar(0x1B) && end < text.size() && text.at(end) == QLatin1Char(']')) {
        while (++end < text.size()) {
            if (text.at(end) == QChar(0x07)) return end + 1 - at;
            if (text.at(end) == QChar(0x1B))
                return (end + 1 < text.size() && text.at(end + 1) == QLatin1Char('\\') ? end + 2
                                                                                       : end) -
                       at;
        }
        return end - at;
    }
    const bool csi =
        text.at(at) == QChar(0x9B) || (end < text.size() && text.at(end) == QLatin1Char('['));
    if (!csi) return 1;
    if (text.at(at) != QChar(0x9B)) ++end;
    // Parameter and intermediate bytes, then one final byte.
    while (end < text.size() && text.at(end).unicode() >= 0x20 && text.at(end).unicode() <= 0x3F)
        ++end;
    if (end < text.size() && text.at(end).unicode() >= 0x40 && text.at(end).unicode() <= 0x7E)
        ++end;
    return end - at;
}

// Bidirectional marks, embeddings, overrides and isolates: each can make a
// name read as another ("vaw.png" for a WAV).
bool isDirectionMark(char16_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

// A cut must not leave half of a surrogate pair.
void cutTo(QString& text, qsizetype maxLength) {
    if (text.size() <= maxLength) return;
    text.truncate(maxLength);
    if (!text.isEmpty() && text.back().isHighSurrogate()) text.chop(1);
}

QString cleanOutsideText(const QString& text, qsizetype maxLength) {
    QString clean;
    clean.reserve(std::min(text.size(), maxLength));
    for (qsizetype i = 0; i < text.size() && clean.size() < maxLength;) {
        const char16_t c = text.at(i).unicode();
        if (isLineBreak(c)) {
            // CR LF is one break, one blank.
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) ++i;
            clean += QLatin1Char(' ');
            ++i;
        } else if (c == 0x1B || c == 0x9B) {
            i += escapeLength(text, i);
        } else if (c == u'\t') {
            clean += QLatin1Char(' ');
            ++i;
        } else if (isDropped(c)) {
            ++i;
        } else {
            clean += text.at(i);
            ++i;
        }
    }
    // A cut must not leave half of a surrogate pair.
    if (!clean.isEmpty() && clean.back().isHighSurrogate()) clean.chop(1);
    return clean;
}

}  // namespace

ShownText shownTitle(const QString& text, qsizetype maxLength) {
    return ShownText(cleanOutsideText(text, maxLength));
}

ShownText shownName(const QString& name, qsizetype maxLength) {
    QString shown = name.left(maxLength + 1);
    for (QChar& c : shown) {
        const char16_t code = c.unicode();
        if (code < 0x20)
            c = QChar(0x2400 + code);  // the control's picture: ␛, ␊
        else if (code == 0x7F)
            c = QChar(0x2421);
        else if ((code >= 0x80 && code <= 0x9F) || isLineBreak(code) || isDirectionMark(code))
            c = QChar(QChar::ReplacementCharacter);
    }
    cutTo(shown, maxLength);
    return ShownText(shown);
}

ShownText shownName(const QByteArray& name, qsizetype maxLength) {
    return shownName(QString::fromUtf8(name), maxLength);
}

ShownText shownElided(const ShownText& shown, qsizetype maxLength) {
    const QString& text = shown.text();
    if (text.size() <= maxLength) return shown;
    QString head = text.left(maxLength / 2 - 1);
    if (!head.isEmpty() && head.back().isHighSurrogate()) head.chop(1);
    QString tail = text.right(maxLength / 2);
    if (!tail.isEmpty() && tail.front().isLowSurrogate()) tail.remove(0, 1);
    return ShownText(head + QChar(0x2026) + tail);
}

std::optional<QString> webPageAddress(const QString& text) {
    const QString address = text.trimmed();
    if (address.isEmpty()) return std::nullopt;
    for (const QChar c : address)
        if (c.isSpace() || c.category() == QChar::Other_Control) return std::nullopt;
    // "name:" opens as a scheme unless what follows is a port number.
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):(?!\\d)"));
    const QRegularExpressionMatch match = scheme.match(address);
    QString candidate = address;
    if (match.hasMatch()) {
        const QString name = match.captured(1).toLower();
        if (name != QLatin1String("http") && name != QLatin1String("https")) return std::nullopt;
    } else {
        // A bare host name: letters, digits and hyphens in dot-separated
        // parts, at least two of them, then a port, path, query or fragment.
        static const QRegularExpression host(QStringLiteral(
            "^[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]*"
            "[A-Za-z0-9])?)+\\.?(?::\\d{1,5})?(?:[/?#].*)?$"));
        if (!host.match(address).hasMatch()) return std::nullopt;
        candidate = QStringLiteral("http://") + address;
    }
    const QUrl url(candidate, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return std::nullopt;
    return candidate;
}

}  // namespace ondrix
