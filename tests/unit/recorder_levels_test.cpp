#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "recorder/level_meter.h"
#include "recorder/recording.h"

namespace {

using namespace ondrix;

// A peak as a level and a place on the -60..0 dBFS bar.
TEST(RecorderLevels, BarSpansMinusSixtyToZeroDecibels) {
    struct Case {
        double peak, db, fraction;
    };
    const Case cases[] = {
        {1.0, 0, 1},     {0.5, -6.02, 0.8997}, {0.01, -40, 1.0 / 3},
        {0.001, -60, 0}, {0.0001, -80, 0},     {0, -120, 0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(peakToDb(c.peak), c.db, 0.01) << c.peak;
        EXPECT_NEAR(levelFraction(peakToDb(c.peak)), c.fraction, 0.001) << c.peak;
    }
    EXPECT_EQ(levelFraction(6), 1);
}

// The mark follows a louder level at once, stays a second, then falls back
// 10 dB a second until a level reaches it again.
TEST(RecorderLevels, PeakMarkHoldsThenFallsBackSlowly) {
    struct Row {
        double peak, seconds, markDb;
    };
    const Row rows[] = {
        {0.5, 0.1, -6.02},                        // a loud moment
        {0.01, 0.6, -6.02},                       // held
        {0.01, 1.1, -6.02},                       // still held, a second on
        {0.01, 1.6, -11.02},                      // falling
        {0.01, 2.1, -16.02}, {0.1, 2.2, -17.02},  // -20 dB stays under the falling mark
        {0.01, 5.0, -40},                         // down to the level, which then sets it
        {0.01, 5.1, -40},    {1.0, 5.2, 0},       // a louder level lifts it at once
    };
    LevelMeter meter;
    for (const Row& row : rows) {
        meter.add(row.peak, row.seconds);
        EXPECT_NEAR(meter.markDb(), row.markDb, 0.01) << row.seconds;
    }
}

// The number beside the bar: the loudest tenth of each quarter second or
// so, whole decibels, "quiet" under -40 dBFS; nothing before the first.
TEST(RecorderLevels, NumberBesideTheBarReadsTheLoudestOfEachQuarterSecond) {
    struct Row {
        double peak, seconds;
        const char* text;
    };
    const Row rows[] = {
        {0.5, 0.1, ""},           // too soon for a number
        {0.01, 0.2, ""},          //
        {0.01, 0.3, "-6 dB"},     // the loudest of the three tenths
        {0.045, 0.4, "-6 dB"},    // held until the next quarter second is full
        {0.0101, 0.5, "-6 dB"},   //
        {0.001, 0.6, "-27 dB"},   // -26.9 rounds to -27
        {0.0099, 0.9, "quiet"},   // just under -40
        {0.0101, 1.2, "-40 dB"},  // just over it
        {0, 1.5, "quiet"},        // silence
    };
    LevelMeter meter;
    for (const Row& row : rows) {
        meter.add(row.peak, row.seconds);
        const std::optional<double> readout = meter.readoutDb();
        EXPECT_EQ(readout ? levelText(*readout).toStdString() : std::string(), row.text)
            << row.seconds;
    }
    EXPECT_EQ(levelText(-0.4), QStringLiteral("0 dB"));
}

TEST(RecorderLevels, FolderNamedFromTheHomeFolder) {
    struct Case {
        RecordFolder folder;
        QString text;
    };
    const QString home = QStringLiteral("/home/ann");
    const std::vector<Case> cases = {
        {{QStringLiteral("/home/ann/Music"), true}, QStringLiteral("~/Music")},
        {{QStringLiteral("/home/ann/Musik/Aufnahmen"), true}, QStringLiteral("~/Musik/Aufnahmen")},
        {{QStringLiteral("/home/anna/Music"), true}, QStringLiteral("/home/anna/Music")},
        {{QStringLiteral("/srv/music"), true}, QStringLiteral("/srv/music")},
        {{QStringLiteral("/home/ann"), false}, QStringLiteral("home folder (no music folder)")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(folderText(c.folder, home), c.text) << c.folder.path.toStdString();
}

}  // namespace
