// Ruler arithmetic: value steps by scale, tick spacing, labels and unit changes.
#include "canvas/RulerScale.h"

#include <gtest/gtest.h>

TEST(RulerScale, ValueStep_ByScaleBands)
{
    EXPECT_EQ(RulerScale::ValueStep(1, 0), 100);
    EXPECT_EQ(RulerScale::ValueStep(2, 0), 50);
    EXPECT_EQ(RulerScale::ValueStep(5, 0), 25);
    EXPECT_EQ(RulerScale::ValueStep(6, 0), 20);
    EXPECT_EQ(RulerScale::ValueStep(12, 0), 10);
    EXPECT_EQ(RulerScale::ValueStep(13, 0), 5);
    EXPECT_EQ(RulerScale::ValueStep(35, 0), 4);
    EXPECT_EQ(RulerScale::ValueStep(50, 0), 2);
    EXPECT_EQ(RulerScale::ValueStep(100, 0), 1);
    EXPECT_EQ(RulerScale::ValueStep(126, 0), 0.5);
    EXPECT_EQ(RulerScale::ValueStep(400, 0), 0.25);
    EXPECT_EQ(RulerScale::ValueStep(500, 0), 0.2);
    EXPECT_EQ(RulerScale::ValueStep(1000, 0), 0.1);
    EXPECT_EQ(RulerScale::ValueStep(5000, 0.1), 0.1); // above 1000 the previous step stays
}

TEST(RulerScale, MillimetresAtScale100_TicksEverySecondMillimetreLabelsTens)
{
    const double step = RulerScale::TickStep(100, ruMilli, 96, 1.0);
    EXPECT_NEAR(2 * step, 7.56, 0.01);
    EXPECT_EQ(RulerScale::Label(10, 1.0, ruMilli, 0, true), QStringLiteral("10"));
    EXPECT_EQ(RulerScale::Label(20, 1.0, ruMilli, 0, true), QStringLiteral("20"));
    EXPECT_EQ(RulerScale::Label(30, 1.0, ruMilli, 0, true), QStringLiteral("30"));
    EXPECT_EQ(RulerScale::TickLength(5, 5, 1), 8);
    EXPECT_EQ(RulerScale::TickLength(3, 5, 1), 6);
    EXPECT_EQ(RulerScale::TickLength(3, 5, 2), 0);
    EXPECT_NEAR(RulerScale::TickStep(100, ruInch, 96, 1.0), 9.6, 1e-9);
    EXPECT_NEAR(RulerScale::TickStep(100, ruPixel, 96, 1.0), 5.0, 1e-9);
}

TEST(RulerScale, Labels_UnitsOffsetAndSign)
{
    EXPECT_EQ(RulerScale::Label(10, 1.0, ruCenti, 0, true), QStringLiteral("1"));
    EXPECT_EQ(RulerScale::Label(10, 1.0, ruMeter, 0, true), QStringLiteral("0.01"));
    EXPECT_EQ(RulerScale::Label(10, 0.25, ruCenti, 0, true), QStringLiteral("0.25"));
    EXPECT_EQ(RulerScale::Label(10, 1.0, ruPixel, 0, true), QStringLiteral("50"));
    EXPECT_EQ(RulerScale::Label(10, 1.0, ruMilli, -25, true), QStringLiteral("-15"));
    EXPECT_EQ(RulerScale::Label(10, 1.0, ruMilli, -25, false), QStringLiteral("15"));
    EXPECT_EQ(RulerScale::Label(10, 1.0, ruMilli, -10, true), QStringLiteral("0"));
}

TEST(RulerScale, OffsetConvertedThroughMillimetres)
{
    EXPECT_NEAR(RulerScale::ConvertOffset(10, ruMilli, ruCenti, 96), 1.0, 1e-12);
    EXPECT_NEAR(RulerScale::ConvertOffset(1, ruInch, ruMilli, 96), 25.4, 1e-12);
    EXPECT_NEAR(RulerScale::ConvertOffset(25.4, ruMilli, ruPixel, 96), 96.0, 1e-9);
    EXPECT_EQ(RulerScale::ConvertOffset(3, ruMilli, ruNone, 96), 3);
    EXPECT_EQ(RulerScale::Abbreviation(ruInch), QStringLiteral("in"));
    EXPECT_EQ(RulerScale::UnitName(ruPixel), QStringLiteral("pixel"));
    EXPECT_TRUE(RulerScale::UnitName(ruNone).isEmpty());
}
