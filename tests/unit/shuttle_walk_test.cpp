// The Shuttle Play walk without a window: which failures it steps over, and
// what a pick of the user's changes.
#include "player/shuttle_walk.h"

#include <gtest/gtest.h>

using namespace ondrix;

namespace {

struct FixedRandom : RandomSource {
    double value = 0.0;
    void reseedFromClock() override {}
    double next() override { return value; }
};

// A walk that started "/m/1" of a list of `count` entries.
ShuttleWalk startedOne(int count) {
    ShuttleWalk walk;
    FixedRandom random;
    walk.beginStep(count, 1, random);
    walk.endStep(QStringLiteral("/m/1"));
    return walk;
}

TEST(ShuttleWalk, StepsOverItsOwnFailuresOnceAroundTheFolder) {
    ShuttleWalk other = startedOne(3);
    EXPECT_FALSE(other.stepsOver(QStringLiteral("/m/typed"), 3));  // not the walk's address

    ShuttleWalk walk = startedOne(2);
    EXPECT_TRUE(walk.stepsOver(QStringLiteral("/m/1"), 2));
    EXPECT_FALSE(walk.stepsOver(QStringLiteral("/m/1"), 2));  // counted once
    FixedRandom random;
    walk.beginStep(2, 1, random);
    walk.endStep(QStringLiteral("/m/0"));
    EXPECT_FALSE(walk.stepsOver(QStringLiteral("/m/0"), 2));  // both failed: the round ends
}

TEST(ShuttleWalk, APickOfTheUsersStartsANewRoundAStepsSelectionDoesNot) {
    for (const bool user : {true, false}) {
        SCOPED_TRACE(user);
        ShuttleWalk walk = startedOne(2);
        EXPECT_TRUE(walk.stepsOver(QStringLiteral("/m/1"), 2));
        FixedRandom random;
        if (!user) walk.beginStep(2, 1, random);
        walk.selected(0);
        walk.endStep(QStringLiteral("/m/0"));
        EXPECT_EQ(walk.stepsOver(QStringLiteral("/m/0"), 2), user);
    }
}

TEST(ShuttleWalk, ARandomStepDrawsAnEntryOfTheList) {
    const std::pair<double, int> draws[] = {{0.0, 0}, {0.5, 2}, {0.999, 4}, {1.0, 4}};
    for (const auto& [value, entry] : draws) {
        ShuttleWalk walk;
        walk.setRandom(true);
        FixedRandom random;
        random.value = value;
        EXPECT_EQ(walk.beginStep(5, -1, random), entry);
        EXPECT_EQ(walk.position(), entry);
    }
    ShuttleWalk empty;
    empty.setRandom(true);
    FixedRandom random;
    EXPECT_EQ(empty.beginStep(0, 1, random), std::nullopt);
}

}  // namespace
