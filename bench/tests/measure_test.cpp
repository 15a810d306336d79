#include "measure.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

namespace {

double timeUntilShellOutput(const char* script, const QByteArray& token, int timeoutMs = 10000) {
    return bench::timeUntilOutput(QStringLiteral("sh"),
                                  {QStringLiteral("-c"), QLatin1String(script)}, QDir::tempPath(),
                                  token, timeoutMs);
}

TEST(BenchMedian, MiddleSampleOrMeanOfTheMiddleTwoWhateverTheOrder) {
    EXPECT_EQ(bench::median({5, 1, 3}), 3);
    EXPECT_EQ(bench::median({40, 10, 30, 20}), 25);
    EXPECT_EQ(bench::median({7}), 7);
    EXPECT_EQ(bench::median({}), 0);
}

TEST(BenchLines, CompleteLinesLeaveThePartLineForTheNextRead) {
    QByteArray buffer("{\"event\":\"start-file\"}\n{\"event\":\"playback-");
    EXPECT_EQ(bench::takeCompleteLines(buffer), QList<QByteArray>{"{\"event\":\"start-file\"}"});
    EXPECT_EQ(buffer, "{\"event\":\"playback-");

    buffer += "restart\"}\n\n{\"data\":null,\"error\":\"success\"}\n";
    const QList<QByteArray> lines = bench::takeCompleteLines(buffer);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(bench::eventName(lines[0]), QStringLiteral("playback-restart"));
    EXPECT_TRUE(bench::eventName(lines[1]).isEmpty());  // empty line
    EXPECT_TRUE(bench::eventName(lines[2]).isEmpty());  // a command's reply
    EXPECT_TRUE(buffer.isEmpty());
}

TEST(BenchLines, NoLineWithoutItsLineFeed) {
    QByteArray buffer("{\"event\":\"idle\"}");
    EXPECT_TRUE(bench::takeCompleteLines(buffer).isEmpty());
    EXPECT_EQ(buffer, "{\"event\":\"idle\"}");
    EXPECT_TRUE(bench::eventName("not json").isEmpty());
}

TEST(BenchOutputTime, CountsFromTheStartUntilTheTokenArrives) {
    const double ms = timeUntilShellOutput("sleep 0.3; echo playing", "playing");
    EXPECT_GE(ms, 250);
}

TEST(BenchOutputTime, TokenOfAProgramThatEndsAtOnceIsStillSeen) {
    EXPECT_GE(timeUntilShellOutput("echo first-audio", "first-audio"), 0);
}

TEST(BenchOutputTime, TokenWrittenInPartsIsSeen) {
    EXPECT_GE(timeUntilShellOutput("printf first-; sleep 0.2; printf 'audio\\n'", "first-audio"),
              0);
}

TEST(BenchOutputTime, NoTokenGivesMinusOne) {
    EXPECT_EQ(timeUntilShellOutput("echo stopped", "playing"), -1);
    EXPECT_EQ(timeUntilShellOutput("sleep 1", "playing", 300), -1);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
