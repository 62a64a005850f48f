#include "common/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(NumberText, General_ChoosesNotationLikeTheSystem)
{
    const struct
    {
        double value;
        const char* text;
    } cases[] = {
        { 0, "0" },
        { 2.5, "2.5" },
        { -0.5, "-0.5" },
        { 100, "100" },
        { 0.1 + 0.2, "0.3" },
        { 1.0 / 3.0, "0.333333333333333" },
        { 2.0 / 3.0, "0.666666666666667" },
        { 0.00001, "0.00001" },
        { 0.000012345, "0.000012345" },
        { 0.000001, "1E-6" },
        { 1.5e-7, "1.5E-7" },
        { 123456789012345.0, "123456789012345" },
        { 1e15, "1E15" },
        { 1234567890123456.0, "1.23456789012346E15" },
        { -2.5e20, "-2.5E20" },
        { 9.9999999999999999e-6, "0.00001" },
        { 152.3, "152.3" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberText::General(c.value).toStdString(), c.text) << c.value;
}

TEST(NumberText, Separator_IsUsedEverywhereAndOnlyWhereGiven)
{
    EXPECT_EQ(NumberText::General(2.5, QLatin1Char(',')), QStringLiteral("2,5"));
    EXPECT_EQ(NumberText::General(1.5e-7, QLatin1Char(',')), QStringLiteral("1,5E-7"));
    EXPECT_EQ(NumberText::Fixed(3.14159, 2, QLatin1Char(',')), QStringLiteral("3,14"));
    EXPECT_EQ(NumberText::Fixed(-1.005, 0), QStringLiteral("-1"));
}

TEST(NumberText, Fixed_ExactHalvesRoundAwayFromZeroAtFifteenDigits)
{
    const struct
    {
        double value;
        int decimals;
        const char* text;
    } cases[] = { { 2.5, 0, "3" }, { 32.5, 0, "33" }, { -2.5, 0, "-3" }, { 0.5, 0, "1" }, { 0.125, 2, "0.13" },
        { 2.675, 2, "2.68" }, // stored as 2.67499999999999982236431605997495353221893310546875
        { 1.005, 2, "1.01" }, { 9.995, 2, "10.00" }, { 999.5, 0, "1000" }, { 2.4999999, 0, "2" },
        { 0.0325 * 1000, 0, "33" }, { -0.001, 2, "0.00" }, { 0.0, 2, "0.00" }, { 1e-7, 3, "0.000" },
        { 123456789.125, 2, "123456789.13" }, { 1e20, 1, "100000000000000000000.0" }, { 39.775, 2, "39.78" } };
    for (const auto& c : cases)
        EXPECT_EQ(NumberText::Fixed(c.value, c.decimals), QString::fromLatin1(c.text)) << c.value;
    EXPECT_EQ(NumberText::Fixed(2.5, 1, QLatin1Char(',')), QStringLiteral("2,5"));
    EXPECT_EQ(NumberText::Shortest(0.1, QLatin1Char(',')), QStringLiteral("0,1"));
}

TEST(NumberText, Shortest_ReadsBackExactly)
{
    for (double v : { 0.1, 1.0 / 3.0, 123.456, 1e-300, 6.02214076e23, -0.0 })
        EXPECT_EQ(*NumberText::ParseDouble(NumberText::Shortest(v)), v);
}

TEST(NumberText, NotFinite_HasFixedTexts)
{
    EXPECT_EQ(NumberText::General(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("NAN"));
    EXPECT_EQ(NumberText::General(-std::numeric_limits<double>::infinity()), QStringLiteral("-INF"));
}

TEST(NumberText, Parse_RejectsWhatIsNotANumber)
{
    EXPECT_EQ(NumberText::ParseDouble(QStringLiteral(" 2.5 ")), 2.5);
    EXPECT_EQ(NumberText::ParseDouble(QStringLiteral("2,5"), QLatin1Char(',')), 2.5);
    EXPECT_EQ(NumberText::ParseDouble(QStringLiteral("1E-6")), 1e-6);
    EXPECT_FALSE(NumberText::ParseDouble(QStringLiteral("2.5"), QLatin1Char(',')));
    EXPECT_FALSE(NumberText::ParseDouble(QStringLiteral("")));
    EXPECT_FALSE(NumberText::ParseDouble(QStringLiteral("12abc")));
    EXPECT_EQ(NumberText::ParseInt(QStringLiteral("-42")), -42);
    EXPECT_EQ(NumberText::ParseInt(QStringLiteral("+7")), 7);
    EXPECT_FALSE(NumberText::ParseInt(QStringLiteral("2147483648")));
    EXPECT_FALSE(NumberText::ParseInt(QStringLiteral("1.0")));
}
