#include <gtest/gtest.h>

#include "platform/outside_text.h"
#include "ui/on_screen.h"

using namespace ondrix;

TEST(CleanOutsideText, OneLineWithoutControlsEscapesOrReordering) {
    const struct {
        const char16_t* in;
        const char16_t* out;
    } rows[] = {
        {u"Artist - Title", u"Artist - Title"},
        {u"two\r\nlines\nand\rthree", u"two lines and three"},
        {u"\x1b[31mred\x1b[0m and \x1b]0;title\a\x1b]2;t\x1b\\!", u"red and !"},
        {u"tab\there\x7f\x85next\x9b"
         u"2Jx",
         u"tab here nextx"},
        {u"abc\u202Eevil\u202C\u2066iso\u2069",
         u"abcevil"
         u"iso"},
        {u"line\u2028sep", u"line sep"},
        {u"Motörhead – Ace ♠ 🎵", u"Motörhead – Ace ♠ 🎵"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(shownTitle(QString::fromUtf16(row.in)).text(), QString::fromUtf16(row.out))
            << QString::fromUtf16(row.in).toStdString();
}

TEST(CleanOutsideText, CutToItsLimitWithoutSplittingACharacter) {
    EXPECT_EQ(shownTitle(QString(5000, QLatin1Char('a'))).text().size(), kOutsideTextLimit);
    EXPECT_EQ(shownTitle(QStringLiteral("ab\n\ncd"), 4).text(), QStringLiteral("ab  "));
    EXPECT_EQ(shownTitle(QStringLiteral("a🎵"), 2).text(), QStringLiteral("a"));
    EXPECT_EQ(shownName(QStringLiteral("a🎵"), 2).text(), QStringLiteral("a"));
    EXPECT_EQ(shownName(QString(5000, QLatin1Char('a'))).text().size(), kOutsideTextLimit);
}

TEST(ShownName, ControlsAndDirectionMarksShowInPlaceNeverReordered) {
    const struct {
        QByteArray in;
        const char16_t* out;
    } rows[] = {
        {"song.wav", u"song.wav"},
        {"Motörhead – Ace ♠ 🎵.wav", u"Motörhead – Ace ♠ 🎵.wav"},
        {"evil\u202Egnp.wav", u"evil\uFFFDgnp.wav"},  // would read "evilvaw.png"
        {"a\u2066b\u200Fc\u061C.mp3", u"a\uFFFDb\uFFFDc\uFFFD.mp3"},
        {"\x1b[31mred\x7f.wav", u"\u241B[31mred\u2421.wav"},
        {"two\nrows\r\u2028\x85.wav", u"two\u240Arows\u240D\uFFFD\uFFFD.wav"},
        {"caf\xe9\xff.wav", u"caf\uFFFD\uFFFD.wav"},  // Latin-1 bytes, not UTF-8
    };
    for (const auto& row : rows)
        EXPECT_EQ(shownName(row.in).text(), QString::fromUtf16(row.out)) << row.in.toStdString();
}

TEST(WebPageAddress, OnlyWebAddressesOpen) {
    const struct {
        const char* text;
        const char* opens;  // nullptr: nothing opens
    } rows[] = {
        {"http://radio.example/page", "http://radio.example/page"},
        {"HTTPS://radio.example", "HTTPS://radio.example"},
        {" www.example.org/radio?a=1 ", "http://www.example.org/radio?a=1"},
        {"www.example.org:8080/x", "http://www.example.org:8080/x"},
        {"id", nullptr},
        {"/usr/bin/id", nullptr},
        {"./run.sh", nullptr},
        {"file:///etc/passwd", nullptr},
        {"javascript:alert(1)", nullptr},
        {"ftp://host.example/", nullptr},
        {"sh -c id", nullptr},
        {"http://", nullptr},
        {"http:///etc/passwd", nullptr},
        {"", nullptr},
        {"C:\\Windows\\calc.exe", nullptr},
        {"calc.exe", "http://calc.exe"},  // a host name: it opens in the browser
    };
    for (const auto& row : rows) {
        const std::optional<QString> opens = webPageAddress(QString::fromUtf8(row.text));
        if (row.opens)
            EXPECT_EQ(opens, QString::fromUtf8(row.opens)) << row.text;
        else
            EXPECT_EQ(opens, std::nullopt) << row.text;
    }
}

TEST(PlaceOnScreen, KeepsAVisibleTopStripElseTakesTheFallback) {
    // Two screens side by side, the second lower.
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 200, 1280, 1024)};
    const QPoint fallback(100, 100);
    const struct {
        QRect window;
        bool stays;
    } rows[] = {
        {QRect(100, 100, 684, 196), true},
        {QRect(-644, 0, 684, 196), true},    // 40 pixels of the strip on the left edge
        {QRect(-645, 0, 684, 196), false},   // 39
        {QRect(500, 1060, 684, 196), true},  // the strip's 20 lines at the bottom edge
        {QRect(500, 1061, 684, 196), false},
        {QRect(500, -5, 684, 196), false},    // its top above every screen
        {QRect(2500, 1000, 684, 196), true},  // on the second screen only
        {QRect(2500, 100, 684, 196), false},  // above the second screen
        {QRect(2666, 2666, 684, 196), false},
        {QRect(6666666, -2666, 684, 196), false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(placeOnScreen(row.window, screens, fallback),
                  row.stays ? row.window.topLeft() : fallback)
            << row.window.x() << "," << row.window.y();
}
