#include "tests/workbench/WorkbenchFixture.h"

#include "workbench/ResultsJson.h"
#include "workbench/ThicknessDistribution.h"

#include <QJsonArray>

#include <cmath>
#include <limits>
#include <utility>

using ThicknessDistribution::Classes;
using ThicknessDistribution::ClassIndex;
using ThicknessDistribution::Median;

TEST(ThicknessDistributionTest, ClassIndex_UpperBoundBelongsToTheLowerClass)
{
    EXPECT_EQ(ClassIndex(0.0), 0);
    EXPECT_EQ(ClassIndex(-3.0), 0);
    EXPECT_EQ(ClassIndex(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(ClassIndex(10.0), 0);
    EXPECT_EQ(ClassIndex(std::nextafter(10.0, 11.0)), 1);
    EXPECT_EQ(ClassIndex(40.0), 3);
    EXPECT_EQ(ClassIndex(std::nextafter(40.0, 41.0)), 4);
    // 0.3 / 0.1 rounds onto 3 in binary: the exact bound decides, not the quotient.
    EXPECT_EQ(ClassIndex(30.000000000000004), 3);
}

TEST(ThicknessDistributionTest, Classes_FromZeroToThickestHair_WideClassAboveOneMillimetre)
{
    EXPECT_TRUE(Classes({}).empty());
    const auto classes = Classes({ 35.0, 5.0, 40.0, 12.0, 72.5 });
    ASSERT_EQ(classes.size(), 8u);
    EXPECT_EQ(classes[0], (ThicknessClass { 0, 10, 1 }));
    EXPECT_EQ(classes[1], (ThicknessClass { 10, 20, 1 }));
    EXPECT_EQ(classes[2].count, 0);
    EXPECT_EQ(classes[3], (ThicknessClass { 30, 40, 2 }));
    EXPECT_EQ(classes[7], (ThicknessClass { 70, 80, 1 }));

    // A calibration gone wrong gives one wide class, never millions of them.
    const auto wide = Classes({ 20.0, 5e6 });
    ASSERT_EQ(wide.size(), 101u);
    EXPECT_EQ(wide.back(), (ThicknessClass { 1000, 5000000, 1 }));
}

TEST(ThicknessDistributionTest, Median_OddEvenAndEmpty)
{
    EXPECT_FALSE(Median({}).has_value());
    EXPECT_DOUBLE_EQ(*Median({ 70, 30, 50 }), 50);
    EXPECT_DOUBLE_EQ(*Median({ 70, 30, 30, 70 }), 50);
    EXPECT_DOUBLE_EQ(*Median({ 7 }), 7);
}

// 100 pixels per millimetre, in each length unit: a slider value T is T / 10 µm.
// (In micrometres and centimetres the classes were missing, and in centimetres
// the thickness was labelled "cm".)
class ThicknessInEveryUnit : public WorkbenchTest,
                             public ::testing::WithParamInterface<std::pair<const char*, const char*>>
{
};

TEST_P(ThicknessInEveryUnit, ClassesMedianAndVellusShareFollowTheGrid)
{
    Picture(1000, 1000);
    Calibrate(QStringLiteral("100"), QString::fromUtf8(GetParam().first), QString::fromUtf8(GetParam().second));
    ASSERT_EQ(St().UnitText, QString::fromUtf8(GetParam().second));
    wb.SetupEvaluatedField(500, 500, 400);
    for (int thickness : { 300, 400, 401, 650, 120 })
        Hair(300, 300 + 10 * thickness / 100, 380, 320 + 10 * thickness / 100, thickness);
    // A quick-count mark has no thickness and stays out of the statistics.
    wb.ToolButtonClicked(ToolButton::QuickHairCount);
    wb.CanvasMouseUp(600, 600, false);
    ASSERT_EQ(St().QuickCount, 1);

    const ThicknessSummary summary = wb.Thickness();
    EXPECT_EQ(summary.unit, "µm");
    ASSERT_EQ(summary.values.size(), 5u);
    ASSERT_EQ(summary.classes.size(), 7u);
    int vellusInClasses = 0;
    for (const ThicknessClass& c : summary.classes)
        if (c.upper <= ThicknessDistribution::kVellusLimit)
            vellusInClasses += c.count;
    EXPECT_EQ(vellusInClasses, int(Row(RowVellusCount).value));
    EXPECT_EQ(vellusInClasses, 3); // 30, 40 and 12 µm; 40.1 µm is terminal
    EXPECT_NEAR(*summary.median, 40.0, 1e-9);
    EXPECT_NEAR(*summary.vellusPercentage, 60.0, 1e-9);

    const QJsonObject json = ResultsJson::ToJson(wb.Results());
    const QJsonArray classes = json["thicknessClasses"].toArray();
    ASSERT_EQ(classes.size(), 7);
    EXPECT_EQ(classes[4].toObject(), (QJsonObject { { "lower", 40 }, { "upper", 50 }, { "count", 1 } }));
    EXPECT_NEAR(json["vellusPercentage"].toDouble(), 60.0, 1e-9);
    EXPECT_EQ(json["rows"].toArray().size(), 19);
}

INSTANTIATE_TEST_SUITE_P(Units, ThicknessInEveryUnit,
    ::testing::Values(std::pair { "1", "mm" }, std::pair { "1000", "µm" }, std::pair { "0.1", "cm" }));

TEST_F(WorkbenchTest, Thickness_NoHairsOrNoMillimetres_NoClassesNoFigures)
{
    Picture(1000, 1000);
    const ThicknessSummary empty = wb.Thickness();
    EXPECT_TRUE(empty.classes.empty());
    EXPECT_FALSE(empty.median.has_value());
    EXPECT_FALSE(empty.vellusPercentage.has_value());
    EXPECT_TRUE(ResultsJson::ToJson(wb.Results())["medianThickness"].isNull());

    // Uncalibrated: thickness in pixels, which no 10 µm class can take.
    Hair(100, 100, 200, 120, 300);
    const ThicknessSummary pixels = wb.Thickness();
    EXPECT_EQ(pixels.unit, St().UnitText);
    EXPECT_NE(pixels.unit, "µm");
    EXPECT_TRUE(pixels.classes.empty());
    EXPECT_TRUE(pixels.median.has_value());
}
