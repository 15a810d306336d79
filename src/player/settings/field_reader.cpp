#include "player/settings/field_reader.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/number_text.h"
#include "platform/runtime_error.h"

namespace ondrix {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F; its five unused
// bytes map to the C1 controls, as Windows maps them.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeWindows1252(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        text += (code >= 0x80 && code <= 0x9F) ? QChar(kCp1252High[code - 0x80])
                                               : QChar(QLatin1Char(byte));
    }
    return text;
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
bool isLineEnd(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}
bool isDelimiter(QChar c) {
    return c == QLatin1Char(',') || isLineEnd(c);
}

double roundHalfToEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5) return lower + 1;
    if (fraction < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

}  // namespace

QString decodeSettingsText(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(
            bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
            QStringDecoder::Flag::Stateless);
        return utf16.decode(bytes.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return decodeWindows1252(bytes);
}

std::optional<double> parseNumber(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?$"));
    if (!number.match(text).hasMatch()) return std::nullopt;
    // Out-of-range exponents give an infinity, which every conversion then
    // reports as an overflow.
    return std::strtod(text.toLatin1().constData(), nullptr);
}

std::int16_t toInt16(const GeneralValue& value, const QString& fileName) {
    if (value.isEmpty()) return 0;
    if (!value.number) throw RuntimeError(RuntimeError::TypeMismatch, fileName);
    const double rounded = roundHalfToEven(*value.number);
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
          rounded <= std::numeric_limits<std::int16_t>::max())) {
        throw RuntimeError(RuntimeError::Overflow, fileName);
    }
    return static_cast<std::int16_t>(rounded);
}

FieldReader::FieldReader(const QByteArray& content, QString fileName)
    : text_(decodeSettingsText(content)), fileName_(std::move(fileName)) {}

FieldReader FieldReader::open(const QString& path, const QString& fileName, qint64 maxBytes) {
    // Only a regular file: opening a named pipe would wait for a writer and
    // reading a device such as /dev/zero would never end, freezing the window.
    // Looked up, never opened: what is there but no file is an access error.
    const QFileInfo info(path);
    if (!info.exists()) throw RuntimeError(RuntimeError::FileNotFound, fileName);
    if (!info.isFile()) throw RuntimeError(RuntimeError::PathFileAccessError, fileName);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw RuntimeError(RuntimeError::FileNotFound, fileName);
    // One byte more than allowed tells a file that is too large, also one
    // that grows while it is read.
    if (file.size() > maxBytes) throw RuntimeError(RuntimeError::PathFileAccessError, fileName);
    const QByteArray content = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        throw RuntimeError(RuntimeError::FileNotFound, fileName);
    }
    if (content.size() > maxBytes) throw RuntimeError(RuntimeError::PathFileAccessError, fileName);
    return FieldReader(content, fileName);
}

bool FieldReader::atEnd() const {
    return pos_ >= text_.size();
}

FieldReader::RawField FieldReader::readField() {
    const qsizetype size = text_.size();
    while (pos_ < size && isBlank(text_.at(pos_))) ++pos_;
    if (pos_ >= size) throw RuntimeError(RuntimeError::InputPastEndOfFile, fileName_);

    RawField field;
    if (text_.at(pos_) == QLatin1Char('"')) {
        field.quoted = true;
        const qsizetype start = pos_ + 1;
        qsizetype close = text_.indexOf(QLatin1Char('"'), start);
        if (close < 0) close = size;
        field.text = text_.mid(start, close - start);
        pos_ = close < size ? close + 1 : size;
        // Whatever stands between the closing quote and the delimiter is
        // not part of any field.
        while (pos_ < size && !isDelimiter(text_.at(pos_))) ++pos_;
    } else {
        const qsizetype start = pos_;
        while (pos_ < size && !isDelimiter(text_.at(pos_))) ++pos_;
        qsizetype end = pos_;
        while (end > start && isBlank(text_.at(end - 1))) --end;
        field.text = text_.mid(start, end - start);
    }

    if (pos_ < size) {
        const QChar delimiter = text_.at(pos_++);
        if (delimiter == QLatin1Char('\r') && pos_ < size && text_.at(pos_) == QLatin1Char('\n')) {
            ++pos_;
        }
    }
    return field;
}

QString FieldReader::readText() {
    return readField().text;
}

GeneralValue FieldReader::readGeneral() {
    RawField field = readField();
    if (!field.quoted) {
        if (const std::optional<double> number = parseNumber(field.text)) {
            return {number, plainDecimalText(*number)};
        }
    }
    return {std::nullopt, std::move(field.text)};
}

std::int32_t FieldReader::readInt32() {
    const RawField field = readField();
    if (field.text.isEmpty()) return 0;
    const std::optional<double> number = parseNumber(field.text);
    if (!number) throw RuntimeError(RuntimeError::TypeMismatch, fileName_);
    const double rounded = roundHalfToEven(*number);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        throw RuntimeError(RuntimeError::Overflow, fileName_);
    }
    return static_cast<std::int32_t>(rounded);
}

}  // namespace ondrix
