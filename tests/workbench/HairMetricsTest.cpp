#include "workbench/HairMetrics.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

using namespace HairMetrics;

namespace {

int64_t CountPerPixel(int64_t x0, int64_t y0, int64_t r, int64_t width, int64_t height)
{
    int64_t count = 0;
    for (int64_t y = 0; y < height; ++y)
        for (int64_t x = 0; x < width; ++x)
            if ((x - x0) * (x - x0) + (y - y0) * (y - y0) <= r * r)
                ++count;
    return count;
}

std::vector<TMyPoint> Points(std::initializer_list<std::pair<float, float>> list)
{
    std::vector<TMyPoint> points;
    for (const auto& [x, y] : list)
        points.push_back(TMyPoint { x, y });
    return points;
}

} // namespace

TEST(HairMetrics_CountDiscPoints, RowCountingMatchesEveryPixelIncludingCutCircles)
{
    struct Case
    {
        int64_t x0, y0, r, w, h;
    };
    const Case cases[] = {
        { 512, 512, 430, 1024, 1024 }, // the whole disc
        { 50, 60, 80, 100, 120 }, // cut at 2 x0 and 2 y0
        { 100, 100, 90, 150, 130 }, // cut by the image border
        { 10, 10, 0, 20, 20 }, // one point
        { 7, 9, 5, 0, 18 }, // no width
    };
    for (const Case& c : cases)
        EXPECT_EQ(CountDiscPoints(c.x0, c.y0, c.r, c.w, c.h), CountPerPixel(c.x0, c.y0, c.r, c.w, c.h))
            << c.x0 << "," << c.y0 << "," << c.r;
}

TEST(HairMetrics_IntegerSqrt, ExactAroundSquaresAndLargeValues)
{
    EXPECT_EQ(IntegerSqrt(0), 0);
    EXPECT_EQ(IntegerSqrt(-5), 0);
    EXPECT_EQ(IntegerSqrt(24), 4);
    EXPECT_EQ(IntegerSqrt(25), 5);
    const int64_t big = 3037000499LL; // the largest root whose square fits 63 bits
    EXPECT_EQ(IntegerSqrt(big * big), big);
    EXPECT_EQ(IntegerSqrt(big * big - 1), big - 1);
}

TEST(HairMetrics_CurveLength, StraightCurveIsItsChordAndExtraNodesAreIgnored)
{
    const auto straight = Points({ { 10, 10 }, { 40, 50 }, { 70, 90 }, { 100, 130 } });
    CurveLengthResult result = CurveLength(straight);
    ASSERT_TRUE(result.converged);
    EXPECT_NEAR(result.length, 150.0, 1e-6);

    // A fifth node makes no second segment.
    auto five = straight;
    five.push_back(TMyPoint { 500, 500 });
    EXPECT_DOUBLE_EQ(CurveLength(five).length, result.length);

    // Two segments add up.
    const auto two = Points({ { 0, 0 }, { 10, 0 }, { 20, 0 }, { 30, 0 }, { 30, 10 }, { 30, 20 }, { 30, 30 } });
    EXPECT_NEAR(CurveLength(two).length, 60.0, 1e-6);
}

TEST(HairMetrics_CurveLength, QuarterCircleApproximationAndIntegerControlPoints)
{
    // The classic cubic for a quarter circle of radius 1000: length 1000 pi / 2 within 0.03 %.
    const double k = 552.2847498;
    const auto arc = Points({ { 1000, 0 }, { 1000, float(k) }, { float(k), 1000 }, { 0, 1000 } });
    const CurveLengthResult result = CurveLength(arc);
    ASSERT_TRUE(result.converged);
    EXPECT_NEAR(result.length, 1000 * std::numbers::pi / 2, 1.0);

    // Control points are truncated relative to the truncated corner of their box.
    const auto shifted = Points({ { 0.9f, 0.9f }, { 10.5f, 0.9f }, { 20.7f, 0.9f }, { 30.9f, 0.9f } });
    EXPECT_NEAR(CurveLength(shifted).length, 30.0, 1e-9);
}

TEST(HairMetrics_CurveLength, CuspAndDegenerateCurvesConverge)
{
    // A cusp (the speed vanishes inside the segment) and a curve collapsed to a point.
    EXPECT_TRUE(CurveLength(Points({ { 0, 0 }, { 100, 100 }, { 0, 100 }, { 100, 0 } })).converged);
    const CurveLengthResult point = CurveLength(Points({ { 5, 5 }, { 5, 5 }, { 5, 5 }, { 5, 5 } }));
    EXPECT_TRUE(point.converged);
    EXPECT_EQ(point.length, 0.0);
    EXPECT_EQ(CurveLength(Points({ { 0, 0 }, { 1, 1 } })).length, 0.0);
}

TEST(HairMetrics_ParseInteger, AcceptsDecimalIntegersOnly)
{
    EXPECT_EQ(ParseInteger(u" 500 "), 500);
    EXPECT_EQ(ParseInteger(u"-7"), -7);
    EXPECT_EQ(ParseInteger(u"+12"), 12);
    EXPECT_EQ(ParseInteger(u"2147483647"), 2147483647);
    EXPECT_EQ(ParseInteger(u"-2147483648"), -2147483647 - 1);
    EXPECT_FALSE(ParseInteger(u"2147483648"));
    EXPECT_FALSE(ParseInteger(u"5.0"));
    EXPECT_FALSE(ParseInteger(u""));
    EXPECT_FALSE(ParseInteger(u"-"));
    EXPECT_FALSE(ParseInteger(u"12a"));
}
