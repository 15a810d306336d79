#include "platform/number_text.h"

#include <gtest/gtest.h>

#include "platform/runtime_error.h"

TEST(PlainDecimalText, ShortestForm) {
    EXPECT_EQ(ondrix::plainDecimalText(128), QStringLiteral("128"));
    EXPECT_EQ(ondrix::plainDecimalText(44.1), QStringLiteral("44.1"));
    EXPECT_EQ(ondrix::plainDecimalText(0), QStringLiteral("0"));
    EXPECT_EQ(ondrix::plainDecimalText(1411.2), QStringLiteral("1411.2"));
    EXPECT_EQ(ondrix::plainDecimalText(1e20), QStringLiteral("100000000000000000000"));
    EXPECT_EQ(ondrix::plainDecimalText(0.00001), QStringLiteral("0.00001"));
    EXPECT_EQ(ondrix::plainDecimalText(-2.5), QStringLiteral("-2.5"));
}

TEST(RuntimeErrorMessage, NamesNumberDescriptionAndFile) {
    ondrix::RuntimeError error(53, QStringLiteral("!WLKstart.txt"));
    EXPECT_EQ(error.message(),
              QStringLiteral("Run-time error '53': File not found (!WLKstart.txt)"));
}
