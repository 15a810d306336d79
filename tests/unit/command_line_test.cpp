#include "platform/command_line.h"

#include <gtest/gtest.h>

using ondrix::quoteWindowsArgument;
using ondrix::splitWindowsCommandLine;

TEST(SplitWindowsCommandLine, ShellCharactersStayLiteralAndQuotesGroup) {
    EXPECT_EQ(splitWindowsCommandLine(
                  QStringLiteral(R"(-h -b 128 "my song.wav" out;rm -rf $(id) x.mp3)")),
              (QStringList{"-h", "-b", "128", "my song.wav", "out;rm", "-rf", "$(id)", "x.mp3"}));
    EXPECT_EQ(splitWindowsCommandLine(QStringLiteral(" \t a\t\tb  ")), (QStringList{"a", "b"}));
    EXPECT_TRUE(splitWindowsCommandLine(QStringLiteral("  \t ")).isEmpty());
    EXPECT_EQ(splitWindowsCommandLine(QStringLiteral(R"(-o"out file.flac" x)")),
              (QStringList{"-oout file.flac", "x"}));
    EXPECT_EQ(splitWindowsCommandLine(QStringLiteral(R"("unclosed stretch)")),
              (QStringList{"unclosed stretch"}));
}

TEST(SplitWindowsCommandLine, EmptyQuotesAreAnArgument) {
    EXPECT_EQ(splitWindowsCommandLine(QStringLiteral(R"(a "" b)")), (QStringList{"a", "", "b"}));
    EXPECT_EQ(splitWindowsCommandLine(QStringLiteral(R"("")")), (QStringList{""}));
}

TEST(SplitWindowsCommandLine, BackslashesCountOnlyBeforeAQuote) {
    EXPECT_EQ(splitWindowsCommandLine(QStringLiteral(R"(C:\Music\a.wav \\server\x)")),
              (QStringList{R"(C:\Music\a.wav)", R"(\\server\x)"}));
    EXPECT_EQ(splitWindowsCommandLine(QStringLiteral(R"(a\"b)")), (QStringList{R"(a"b)"}));
    EXPECT_EQ(splitWindowsCommandLine(QStringLiteral(R"(a\\"b c")")), (QStringList{R"(a\b c)"}));
    EXPECT_EQ(splitWindowsCommandLine(QStringLiteral(R"(a\\\"b)")), (QStringList{R"(a\"b)"}));
    // The Windows pitfall: a quoted folder ending in a backslash swallows the
    // closing quote.
    EXPECT_EQ(splitWindowsCommandLine(QStringLiteral(R"("C:\My Music\" next)")),
              (QStringList{R"(C:\My Music" next)"}));
}

TEST(SplitWindowsCommandLine, DoubledQuoteInsideQuotesIsLiteralAndCloses) {
    EXPECT_EQ(splitWindowsCommandLine(QStringLiteral(R"("a""b")")), (QStringList{R"(a"b)"}));
    EXPECT_EQ(splitWindowsCommandLine(QStringLiteral(R"("a""b c")")), (QStringList{R"(a"b)", "c"}));
    EXPECT_EQ(splitWindowsCommandLine(QStringLiteral(R"(""")")), (QStringList{R"(")"}));
}

TEST(QuoteWindowsArgument, EveryArgumentComesBackWholeFromTheSplitter) {
    for (const QString argument :
         {"song.wav", "my song.wav", "quo\"te.wav", "tab\tname.wav", "", R"(C:\My Music\)",
          R"(a\"b c)", R"(ends\\)", R"(\\server\x y)", "\"", "-dash.wav"}) {
        SCOPED_TRACE(argument.toStdString());
        EXPECT_EQ(splitWindowsCommandLine(QStringLiteral("-x ") + quoteWindowsArgument(argument) +
                                          QStringLiteral(" next")),
                  (QStringList{"-x", argument, "next"}));
    }
    EXPECT_EQ(quoteWindowsArgument(QStringLiteral("song.wav")), QStringLiteral("song.wav"));
    EXPECT_EQ(quoteWindowsArgument(QStringLiteral("quo\"te.wav")),
              QStringLiteral(R"("quo\"te.wav")"));
    EXPECT_EQ(quoteWindowsArgument(QStringLiteral(R"(C:\My Music\)")),
              QStringLiteral(R"("C:\My Music\\")"));
}
