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

// "quiet": a whole ten seconds recorded, none of the last ten reaching -40 dBFS.
TEST(RecorderLevels, QuietWhenTheLastTenSecondsStayUnderMinusForty) {
    struct Case {
        const char* name;
        double loudPeak;  // one stretch of this peak ...
        double loudAt;    // ... ending at this second (0: none)
        double recorded;  // seconds of sound at -46 dBFS around it
        bool quiet;
    };
    const Case cases[] = {
        {"ten quiet seconds", 0, 0, 10.0, true},
        {"not yet ten seconds", 0, 0, 9.9, false},
        {"a loud moment in the last ten seconds", 0.05, 3.0, 12.0, false},
        {"a loud moment longer ago", 0.05, 3.0, 13.1, true},
        {"just over -40 dBFS", 0.0101, 5.0, 12.0, false},
    };
    for (const Case& c : cases) {
        LevelMeter meter;
        for (int tenth = 1; tenth <= std::lround(c.recorded * 10); ++tenth) {
            const double seconds = tenth / 10.0;
            meter.add(tenth == std::lround(c.loudAt * 10) ? c.loudPeak : 0.005, seconds);
        }
        EXPECT_EQ(meter.isQuiet(), c.quiet) << c.name;
    }
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
