#include "player/settings/field_reader.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <functional>

#include "platform/runtime_error.h"

using namespace ondrix;

namespace {
QStringList allTexts(const QByteArray& content) {
    FieldReader reader(content, QStringLiteral("f.txt"));
    QStringList texts;
    while (!reader.atEnd()) texts.append(reader.readText());
    return texts;
}

int errorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}
}  // namespace

TEST(FieldReader, FieldsEndAtCommasAndEveryKindOfLineEnd) {
    EXPECT_EQ(allTexts("a,b\r\nc\nd\re\r\n"), (QStringList{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(allTexts("last line without end"), QStringList{"last line without end"});
    // An empty line is one empty field; the end of the last line is no field.
    EXPECT_EQ(allTexts("a\r\n\r\nb\n\nc\r\n"), (QStringList{"a", "", "b", "", "c"}));
}

TEST(FieldReader, BlanksAndQuotes) {
    EXPECT_EQ(allTexts(" \t  lead and trail  \t,x"), (QStringList{"lead and trail", "x"}));
    EXPECT_EQ(allTexts("\"  Radio, Jazz  \"  ,next\r\n\"\"\r\n"),
              (QStringList{"  Radio, Jazz  ", "next", ""}));
    EXPECT_EQ(allTexts("\"quoted\" trailing junk,x"), (QStringList{"quoted", "x"}));
}

TEST(FieldReader, ReadingPastTheEndFailsNamingTheFile) {
    FieldReader reader("only\r\n", QStringLiteral("!tzone.txt"));
    reader.readText();
    EXPECT_TRUE(reader.atEnd());
    try {
        reader.readText();
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), RuntimeError::InputPastEndOfFile);
        EXPECT_EQ(error.file(), QStringLiteral("!tzone.txt"));
    }
    EXPECT_EQ(errorNumberOf([] { FieldReader(QByteArray(), QString()).readGeneral(); }),
              RuntimeError::InputPastEndOfFile);
}

TEST(FieldReader, GeneralValues) {
    FieldReader reader("+1,+,+ Jazz,\"12\",007,  -2.50 ,1e3,,text\r\n", QString());
    const GeneralValue plusOne = reader.readGeneral();
    EXPECT_EQ(plusOne.number, 1.0);
    EXPECT_EQ(plusOne.text, QStringLiteral("1"));  // so "+1" is no marker
    EXPECT_EQ(reader.readGeneral().text, QStringLiteral("+"));
    EXPECT_EQ(reader.readGeneral().text, QStringLiteral("+ Jazz"));
    const GeneralValue quoted = reader.readGeneral();
    EXPECT_FALSE(quoted.number);
    EXPECT_EQ(quoted.text, QStringLiteral("12"));
    EXPECT_EQ(reader.readGeneral().text, QStringLiteral("7"));
    EXPECT_EQ(reader.readGeneral().text, QStringLiteral("-2.5"));
    EXPECT_EQ(reader.readGeneral().text, QStringLiteral("1000"));
    EXPECT_TRUE(reader.readGeneral().isEmpty());
    EXPECT_EQ(reader.readGeneral().text, QStringLiteral("text"));
}

TEST(FieldReader, NumbersRecognised) {
    for (const char* number : {"0", "+1", "-3", "2.5", ".5", "5.", "1E-2", "+4e+1"})
        EXPECT_TRUE(parseNumber(QLatin1String(number))) << number;
    for (const char* text : {"", "+", "-", ".", "1.2.3", "12abc", "1 2", "e5", "0x10", "1e"})
        EXPECT_FALSE(parseNumber(QLatin1String(text))) << text;
}

TEST(FieldReader, SixteenBitConversionRoundsHalfToEven) {
    auto convert = [](const char* field) {
        FieldReader reader(field, QStringLiteral("!tzone.txt"));
        return toInt16(reader.readGeneral(), QStringLiteral("!tzone.txt"));
    };
    EXPECT_EQ(convert("2.5"), 2);
    EXPECT_EQ(convert("3.5"), 4);
    EXPECT_EQ(convert("-2.5"), -2);
    EXPECT_EQ(convert("2.51"), 3);
    EXPECT_EQ(convert("-32768.5"), -32768);
    EXPECT_EQ(convert("\r\n"), 0);
    EXPECT_EQ(errorNumberOf([&] { convert("32767.5"); }), RuntimeError::Overflow);
    EXPECT_EQ(errorNumberOf([&] { convert("-32769"); }), RuntimeError::Overflow);
    EXPECT_EQ(errorNumberOf([&] { convert("1e400"); }), RuntimeError::Overflow);
    EXPECT_EQ(errorNumberOf([&] { convert("CET"); }), RuntimeError::TypeMismatch);
}

TEST(FieldReader, ThirtyTwoBitIntegers) {
    FieldReader reader("2147483647,-2147483648, 40000 ,\"-15\",,2147483648,-2147483649,left\r\n",
                       QString());
    EXPECT_EQ(reader.readInt32(), 2147483647);
    EXPECT_EQ(reader.readInt32(), -2147483647 - 1);
    EXPECT_EQ(reader.readInt32(), 40000);
    EXPECT_EQ(reader.readInt32(), -15);
    EXPECT_EQ(reader.readInt32(), 0);
    EXPECT_EQ(errorNumberOf([&] { reader.readInt32(); }), RuntimeError::Overflow);
    EXPECT_EQ(errorNumberOf([&] { reader.readInt32(); }), RuntimeError::Overflow);
    EXPECT_EQ(errorNumberOf([&] { reader.readInt32(); }), RuntimeError::TypeMismatch);
}

TEST(FieldReader, DecodesUtf8ElseWindows1252) {
    EXPECT_EQ(decodeSettingsText("\xEF\xBB\xBFR\xC3\xA1"
                                 "dio \xE2\x82\xAC"),
              QStringLiteral("Rádio €"));
    EXPECT_EQ(decodeSettingsText("R\xE1"
                                 "dio \x80 \x9F \x81 \x93q\x94 \xFF"),
              QStringLiteral("Rádio € Ÿ \u0081 “q” ÿ"));
    // Notepad's "Unicode" saves, little- and big-endian, with their mark.
    EXPECT_EQ(decodeSettingsText(QByteArray("\xFF\xFE+\0\r\0\n\0R\0\xE1\0", 12)),
              QStringLiteral("+\r\nRá"));
    EXPECT_EQ(decodeSettingsText(QByteArray("\xFE\xFF\0+\0\r\0\n\0R\0\xE1", 12)),
              QStringLiteral("+\r\nRá"));
}
