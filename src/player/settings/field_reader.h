#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace ondrix {

// A field read as a general value: a number when its text reads as one
// (unquoted), else its text; empty when the field is empty.
struct GeneralValue {
    std::optional<double> number;
    QString text;  // the number's plain decimal text for numbers
    bool isEmpty() const { return !number && text.isEmpty(); }
};

// The largest settings file read: far above any real one (120 stations of
// long addresses take under 100 KiB), small enough to read in an instant.
constexpr qint64 kSettingsFileLimit = qint64{1024} * 1024;

// Reads comma- and line-separated fields from settings file content. Bytes
// are decoded as UTF-8 when valid, else as Windows-1252; CR LF, lone LF and
// lone CR each end a line. Errors throw RuntimeError naming fileName.
class FieldReader {
  public:
    FieldReader(const QByteArray& content, QString fileName);

    // Opens and reads the whole file; a missing or unreadable file throws
    // File not found, one larger than maxBytes Path/File access error.
    static FieldReader open(const QString& path, const QString& fileName,
                            qint64 maxBytes = kSettingsFileLimit);

    bool atEnd() const;
    QString readText();
    GeneralValue readGeneral();
    // A whole number (a fraction rounds half to even); Type mismatch when the
    // field is not a number, Overflow outside the 32-bit range.
    std::int32_t readInt32();

  private:
    struct RawField {
        QString text;
        bool quoted = false;
    };
    RawField readField();

    QString text_;
    qsizetype pos_ = 0;
    QString fileName_;
};

// Decodes settings bytes: UTF-16 when they start with its byte-order mark
// (as Notepad saves "Unicode"), else UTF-8 when valid (a BOM dropped), else
// Windows-1252.
QString decodeSettingsText(const QByteArray& bytes);

// Whether text reads as a number the way the settings files mean one
// (optional sign, digits with an optional fraction and exponent).
std::optional<double> parseNumber(const QString& text);

// Converts a general value to a 16-bit integer, rounding a fraction half to
// even: Type mismatch for text, Overflow outside 16 bits. Empty is 0.
std::int16_t toInt16(const GeneralValue& value, const QString& fileName);

}  // namespace ondrix
