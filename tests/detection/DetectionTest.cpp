// Hair detection on small drawn pictures: the hard cases one at a time, and the
// pieces (skeleton graph, mark fitting) on their own.
#include "workbench/detection/HairDetector.h"
#include "workbench/detection/HairFit.h"
#include "workbench/detection/HairGraph.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPixelsPerMm = 200.0;

// Skin with a little texture so that the filter sees more than a flat colour.
QImage Skin(int width = 500, int height = 400, QColor base = QColor(222, 176, 156))
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = int((x * 7919 + y * 104729) % 7) - 3;
            line[x] = qRgb(base.red() + n, base.green() + n, base.blue() + n);
        }
    }
    return image;
}

void DrawHair(QImage& image, QPointF a, QPointF b, double width, QColor colour = QColor(62, 40, 30))
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(a, b);
}

void DrawSpot(QImage& image, QPointF centre, double radius, QColor colour)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient gradient(centre, radius);
    gradient.setColorAt(0.0, colour);
    gradient.setColorAt(0.6, colour);
    colour.setAlpha(0);
    gradient.setColorAt(1.0, colour);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawEllipse(centre, radius, radius);
}

// The hard cases hold for both ways of finding the centre lines: the skeleton
// graph (false) and the tracer (true).
class HairDetection : public ::testing::TestWithParam<bool>
{
protected:
    detection::Options Calibrated() const
    {
        detection::Options options;
        options.pixelsPerMm = kPixelsPerMm;
        options.tracer = GetParam();
        return options;
    }
    detection::Result Detect(const QImage& image) const { return detection::DetectHairs(image, Calibrated()); }
};

// For the cases only the skeleton graph handles.
detection::Options GraphOnly()
{
    detection::Options options;
    options.pixelsPerMm = kPixelsPerMm;
    options.tracer = false;
    return options;
}

double DistanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double t = std::clamp(QPointF::dotProduct(p - a, ab) / QPointF::dotProduct(ab, ab), 0.0, 1.0);
    const QPointF d = p - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

// Whether the detected hair runs along the segment a-b (every path point close
// to it) and covers at least `share` of it.
bool Follows(const detection::Hair& hair, QPointF a, QPointF b, double tolerance = 5.0, double share = 0.8)
{
    for (const QPointF& p : hair.path)
        if (DistanceToSegment(p, a, b) > tolerance)
            return false;
    return hair.lengthPx >= share * std::hypot(b.x() - a.x(), b.y() - a.y());
}

// The result is one hair, along a-b.
void ExpectOneHair(const detection::Result& result, QPointF a, QPointF b, double tolerance = 5.0, double share = 0.85)
{
    ASSERT_EQ(result.hairs.size(), 1u);
    EXPECT_TRUE(Follows(result.hairs[0], a, b, tolerance, share));
}

// The result is two hairs, one along a1-a2 and one along b1-b2 (either order).
void ExpectTwoHairs(const detection::Result& result, QPointF a1, QPointF a2, QPointF b1, QPointF b2)
{
    ASSERT_EQ(result.hairs.size(), 2u);
    const bool firstIsA = Follows(result.hairs[0], a1, a2, 6.0);
    EXPECT_TRUE(Follows(result.hairs[firstIsA ? 0 : 1], a1, a2, 6.0));
    EXPECT_TRUE(Follows(result.hairs[firstIsA ? 1 : 0], b1, b2, 6.0));
}

TEST_P(HairDetection, FindsAStraightHairWithItsThicknessAndLength)
{
    QImage image = Skin();
    DrawHair(image, { 60, 200 }, { 440, 230 }, 14);
    const detection::Result result = Detect(image);
    ASSERT_EQ(result.hairs.size(), 1u);
    const detection::Hair& hair = result.hairs[0];
    EXPECT_FALSE(hair.curved);
    EXPECT_EQ(hair.nodes.size(), 2u);
    EXPECT_TRUE(Follows(hair, { 60, 200 }, { 440, 230 }, 4.0, 0.9));
    EXPECT_NEAR(hair.thicknessPx, 14.0, 14.0 * 0.15);
    EXPECT_NEAR(hair.lengthPx, std::hypot(380.0, 30.0), 0.1 * 381.0);
    EXPECT_GT(hair.confidence, 0.8); // a clear hair alone is no doubtful proposal
    // The path is sampled at most 2 pixels apart.
    for (size_t i = 1; i < hair.path.size(); ++i)
        EXPECT_LE(std::hypot(hair.path[i].x() - hair.path[i - 1].x(), hair.path[i].y() - hair.path[i - 1].y()), 2.0);
}

// A hair of 150 µm, thicker than the coarsest scale of the ridge filter, is still
// found, with its own thickness.
TEST_P(HairDetection, HairThickerThanTheScalesIsFound)
{
    QImage image = Skin();
    DrawHair(image, { 40, 190 }, { 460, 215 }, 30);
    const detection::Result result = Detect(image);
    ASSERT_EQ(result.hairs.size(), 1u);
    EXPECT_TRUE(Follows(result.hairs[0], { 40, 190 }, { 460, 215 }, 6.0, 0.9));
    EXPECT_NEAR(result.hairs[0].thicknessPx, 30.0, 30.0 * 0.15);
}

TEST_P(HairDetection, CurvedHairGetsBezierNodes)
{
    QImage image = Skin();
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(62, 40, 30), 12, Qt::SolidLine, Qt::FlatCap));
        QPainterPath path({ 60, 300 });
        path.cubicTo({ 180, 120 }, { 320, 120 }, { 440, 300 });
        painter.drawPath(path);
    }
    const detection::Result result = Detect(image);
    ASSERT_EQ(result.hairs.size(), 1u);
    EXPECT_TRUE(result.hairs[0].curved);
    EXPECT_EQ(result.hairs[0].nodes.size() % 3, 1u);
    EXPECT_GE(result.hairs[0].nodes.size(), 4u);
}

// Two hairs that cross are two hairs, each followed straight through the crossing.
// A curved hair crossed where it bends is one hair again beyond the crossing: its
// ends there miss each other's straight direction, but not its curve.
TEST_P(HairDetection, CrossingHairsStayTwoHairs)
{
    {
        QImage image = Skin();
        const QPointF a1(40, 200), a2(460, 200), b1(110, 40), b2(390, 360);
        DrawHair(image, a1, a2, 14);
        DrawHair(image, b1, b2, 12, QColor(80, 50, 35));
        ExpectTwoHairs(Detect(image), a1, a2, b1, b2);
    }
    {
        QImage image = Skin();
        // An arc of radius 260 about (250, 380), from 150 to 30 degrees.
        const QPointF centre(250, 380);
        constexpr double radius = 260.0;
        QPainterPath arc;
        arc.arcMoveTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 150);
        arc.arcTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 150, -120);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(QColor(70, 45, 32), 10, Qt::SolidLine, Qt::FlatCap));
            painter.drawPath(arc);
        }
        const QPointF c1(250, 20), c2(250, 260);
        DrawHair(image, c1, c2, 16, QColor(50, 32, 25));
        const detection::Result result = Detect(image);
        ASSERT_EQ(result.hairs.size(), 2u);
        const bool firstIsStraight = Follows(result.hairs[0], c1, c2, 6.0);
        const detection::Hair& curved = result.hairs[firstIsStraight ? 1 : 0];
        EXPECT_TRUE(Follows(result.hairs[firstIsStraight ? 0 : 1], c1, c2, 6.0));
        for (const QPointF& p : curved.path)
            EXPECT_NEAR(std::hypot(p.x() - centre.x(), p.y() - centre.y()), radius, 6.0);
        EXPECT_GE(curved.lengthPx, 0.8 * radius * 120.0 * M_PI / 180.0);
    }
}

// Parallel hairs a few pixels apart are told apart; lying against each other
// without a visible gap they are seen as one hair about twice as thick.
// Two hairs growing from one opening part at an angle: two hairs, not one bent
// hair. Two hairs crossing at a shallow angle share a long stretch of ridge and
// still come out as two hairs, each along its own line.
TEST_P(HairDetection, HairsFromOneOpeningAndShallowCrossings)
{
    {
        QImage image = Skin();
        const QPointF root(60, 200), a(440, 90), b(440, 310);
        DrawHair(image, root, a, 12);
        DrawHair(image, root, b, 12);
        ExpectTwoHairs(Detect(image), root, a, root, b);
    }
    {
        QImage image = Skin();
        const QPointF a1(30, 130), a2(470, 270), b1(30, 270), b2(470, 130);
        DrawHair(image, a1, a2, 12);
        DrawHair(image, b1, b2, 12, QColor(80, 50, 35));
        ExpectTwoHairs(Detect(image), a1, a2, b1, b2);
    }
}

TEST_P(HairDetection, ParallelHairsApartAndTouching)
{
    QImage apart = Skin();
    DrawHair(apart, { 60, 180 }, { 440, 180 }, 12);
    DrawHair(apart, { 60, 198 }, { 440, 198 }, 12);
    const detection::Result two = Detect(apart);
    ASSERT_EQ(two.hairs.size(), 2u);
    EXPECT_TRUE(Follows(two.hairs[0], { 60, 180 }, { 440, 180 }) || Follows(two.hairs[0], { 60, 198 }, { 440, 198 }));

    QImage touching = Skin();
    DrawHair(touching, { 60, 180 }, { 440, 180 }, 12);
    DrawHair(touching, { 60, 192 }, { 440, 192 }, 12);
    const detection::Result one = Detect(touching);
    ASSERT_EQ(one.hairs.size(), 1u);
    EXPECT_TRUE(Follows(one.hairs[0], { 60, 186 }, { 440, 186 }));
    EXPECT_GT(one.hairs[0].thicknessPx, 18.0);
}

// Where a hair ends against the side of another at a shallow angle it ends
// there, and is not continued along the other one. A thin hair under a wide one
// lying across it goes on beyond it as one hair.
TEST_P(HairDetection, HairEndingAgainstAnotherAndThinHairUnderAWideOne)
{
    {
        QImage image = Skin();
        const QPointF a1(50, 170), a2(300, 210), b1(30, 224), b2(470, 224);
        DrawHair(image, b1, b2, 12);
        DrawHair(image, a1, a2, 14, QColor(80, 50, 35));
        ExpectTwoHairs(Detect(image), a1, a2, b1, b2);
    }
    {
        QImage image = Skin();
        const QPointF thin1(250, 20), thin2(262, 380), wide1(20, 190), wide2(480, 210);
        DrawHair(image, thin1, thin2, 6, QColor(100, 70, 50));
        DrawHair(image, wide1, wide2, 22, QColor(110, 77, 55, 230));
        const detection::Result result = Detect(image);
        ASSERT_EQ(result.hairs.size(), 2u);
        const bool firstIsThin = Follows(result.hairs[0], thin1, thin2, 5.0);
        EXPECT_TRUE(Follows(result.hairs[firstIsThin ? 0 : 1], thin1, thin2, 5.0));
        EXPECT_TRUE(Follows(result.hairs[firstIsThin ? 1 : 0], wide1, wide2, 8.0));
    }
}

// A glare spot over the middle of a hair does not cut it in two.
TEST_P(HairDetection, GlareSpotOnAHairKeepsOneHair)
{
    QImage image = Skin();
    DrawHair(image, { 50, 200 }, { 450, 200 }, 14);
    DrawSpot(image, { 250, 200 }, 16, QColor(255, 252, 246, 240));
    ExpectOneHair(Detect(image), { 50, 200 }, { 450, 200 });
}

// A follicle opening (a dark dot) beside a hair is no hair and does not bend it.
TEST_P(HairDetection, FollicleOpeningBesideAHairIsNoHair)
{
    QImage image = Skin();
    DrawHair(image, { 50, 200 }, { 450, 200 }, 12);
    DrawSpot(image, { 250, 232 }, 14, QColor(140, 85, 70, 200));
    DrawSpot(image, { 120, 320 }, 12, QColor(140, 85, 70, 200));
    ExpectOneHair(Detect(image), { 50, 200 }, { 450, 200 });
}

TEST_P(HairDetection, PaleThinVellusHairIsFoundAndThin)
{
    QImage image = Skin();
    DrawHair(image, { 60, 150 }, { 400, 260 }, 5, QColor(178, 150, 128));
    const detection::Result result = Detect(image);
    ASSERT_EQ(result.hairs.size(), 1u);
    EXPECT_LE(result.hairs[0].thicknessPx * 1000.0 / kPixelsPerMm, detection::kVellusMaxUm);
}

// Two hairs of a unit lying side by side with a thin seam of skin between them
// stay two hairs: the ridge filter's wider scales see them as one wide hair.
// (The tracer still takes them as one.)
TEST(HairDetectionGraph, HairsSideBySideWithASeamAreTwo)
{
    const detection::Options options = GraphOnly();
    QImage image = Skin();
    const QPointF a1(60, 180), a2(440, 180), b1(60, 193), b2(440, 193);
    DrawHair(image, a1, a2, 10);
    DrawHair(image, b1, b2, 10, QColor(80, 50, 35));
    ExpectTwoHairs(detection::DetectHairs(image, options), a1, a2, b1, b2);
}

// Handed the true centre lines (picture pixels, also when a field puts the
// searched part elsewhere), the steps after the ridge filter find the hairs
// along them: two hairs crossing at a shallow angle stay two.
TEST(HairDetectionGraph, GivenCentreLinesAreFollowedInAField)
{
    QImage crossing = Skin();
    DrawHair(crossing, { 90, 150 }, { 410, 230 }, 10);
    DrawHair(crossing, { 90, 230 }, { 410, 150 }, 10);
    detection::Options options = GraphOnly();
    options.field = detection::Field { 250, 190, 150 };
    options.givenCentreLines = { { { 90, 150 }, { 410, 230 } }, { { 90, 230 }, { 410, 150 } } };
    ExpectTwoHairs(detection::DetectHairs(crossing, options), { 90, 150 }, { 410, 230 }, { 90, 230 }, { 410, 150 });
}

// Measuring the joins on their own: handed the true hairs (in a field, so the
// searched part lies elsewhere than the picture's corner), two hairs in line
// with a gap the width of one stay two, where the join model makes them one.
TEST(HairDetectionGraph, TrueHairsDecideTheJoins)
{
    QImage image = Skin();
    const QPointF a1(60, 190), a2(240, 200), b1(252, 201), b2(440, 211);
    DrawHair(image, a1, a2, 12);
    DrawHair(image, b1, b2, 12);
    detection::Options options = GraphOnly();
    options.field = detection::Field { 250, 190, 200 };
    ExpectOneHair(detection::DetectHairs(image, options), a1, b2);
    options.trueHairsForJoins = { { { a1, a2 }, 12.0 }, { { b1, b2 }, 12.0 } };
    ExpectTwoHairs(detection::DetectHairs(image, options), a1, a2, b1, b2);
}

// A hair crossed by three others is joined from its pieces; a piece found along
// it as well is the same hair, not one more.
TEST_P(HairDetection, HairCrossedByThreeIsOneHair)
{
    QImage image = Skin();
    const QPointF a1(30, 200), a2(470, 230);
    DrawHair(image, a1, a2, 16);
    DrawHair(image, { 150, 40 }, { 170, 380 }, 8, QColor(80, 50, 35));
    DrawHair(image, { 300, 40 }, { 330, 380 }, 8, QColor(80, 50, 35));
    DrawHair(image, { 200, 60 }, { 420, 380 }, 8, QColor(80, 50, 35));
    const detection::Result result = Detect(image);
    EXPECT_EQ(result.hairs.size(), 4u);
    EXPECT_EQ(std::count_if(result.hairs.begin(), result.hairs.end(),
                  [&](const detection::Hair& h) { return Follows(h, a1, a2, 6.0, 0.2); }),
        1);
}

// A thick hair whose tip splits into thin strands (a split end) is one hair: a
// thin line leaving it for a short way is no hair of its own.
TEST(HairDetectionGraph, SplitEndIsOneHair)
{
    const detection::Options options = GraphOnly();
    QImage image = Skin();
    const QPointF a1(40, 200), a2(400, 210);
    DrawHair(image, a1, a2, 18);
    DrawHair(image, { 300, 199 }, { 440, 188 }, 4, QColor(70, 45, 32));
    DrawHair(image, { 300, 214 }, { 430, 230 }, 4, QColor(70, 45, 32));
    ExpectOneHair(detection::DetectHairs(image, options), a1, a2, 8.0, 0.9);
}

// On dark reddish skin a pale hair is hardly darker, but plainly less red.
TEST_P(HairDetection, PaleHairOnDarkReddishSkinIsFoundByItsHue)
{
    QImage image = Skin(500, 400, QColor(100, 72, 60));
    DrawHair(image, { 60, 150 }, { 420, 250 }, 5, QColor(94, 77, 60));
    ExpectOneHair(Detect(image), { 60, 150 }, { 420, 250 });
}

// Out of the calibrations detection works at, it looks for no hair (at 20,000
// pixels per mm the widest scales alone took a minute).
TEST(HairDetectionCalibration, UnusableCalibrationsAreRefused)
{
    QImage image = Skin();
    DrawHair(image, { 40, 60 }, { 400, 80 }, 12);
    for (const double pixelsPerMm : { 20000.0, 2501.0, 29.0, 1.0 }) {
        detection::Options options;
        options.pixelsPerMm = pixelsPerMm;
        const detection::Result result = detection::DetectHairs(image, options);
        EXPECT_TRUE(result.unsupportedCalibration) << pixelsPerMm;
        EXPECT_TRUE(result.hairs.empty());
    }
    for (const double pixelsPerMm : { 0.0, 30.0, 2500.0 })
        EXPECT_TRUE(detection::CalibrationSupported(pixelsPerMm)) << pixelsPerMm;
}

TEST_P(HairDetection, FieldCancelAndEmptyPictures)
{
    QImage image = Skin();
    DrawHair(image, { 40, 60 }, { 200, 60 }, 12);
    DrawHair(image, { 260, 300 }, { 460, 330 }, 12);
    detection::Options options = Calibrated();
    options.field = detection::Field { 360, 300, 80 };
    const detection::Result inField = detection::DetectHairs(image, options);
    ASSERT_EQ(inField.hairs.size(), 1u);
    EXPECT_GT(inField.hairs[0].path.front().x(), 240);
    // A field far larger than the picture holds all of it (its bounds overflowed
    // an int, and no hair was found).
    options.field = detection::Field { 0, 0, 1e12 };
    EXPECT_EQ(detection::DetectHairs(image, options).hairs.size(), 2u);

    options.field.reset();
    options.progress = [](int percent) { return percent < 20; };
    const detection::Result cancelled = detection::DetectHairs(image, options);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(cancelled.hairs.empty());

    EXPECT_TRUE(Detect(QImage()).hairs.empty());
    EXPECT_TRUE(Detect(Skin(5, 5)).hairs.empty());
    EXPECT_TRUE(Detect(Skin()).hairs.empty());
    // Uncalibrated, the scales of 200 pixels per millimetre are assumed.
    EXPECT_EQ(detection::DetectHairs(image, {}).pixelsPerMm, detection::kDefaultPixelsPerMm);
}

INSTANTIATE_TEST_SUITE_P(Both, HairDetection, ::testing::Values(false, true),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Tracer" : "Graph"; });

TEST(HairGraph, CrossingSkeletonGivesTwoChainsAndSpursGo)
{
    detection::Skeleton s;
    s.width = 120;
    s.height = 120;
    s.mask.assign(size_t(s.width * s.height), 0);
    s.hairWidth.assign(size_t(s.width * s.height), 4.0f);
    auto set = [&](int x, int y) { s.mask[size_t(y * s.width + x)] = 1; };
    for (int i = 10; i < 110; ++i) {
        set(i, 60); // horizontal
        set(i, i); // diagonal
    }
    for (int i = 1; i <= 3; ++i)
        set(30, 60 - i); // a short spur on the horizontal line
    detection::ThinMask(s.mask, s.width, s.height);
    const std::vector<detection::Chain> chains = detection::TraceChains(s, {});
    ASSERT_EQ(chains.size(), 2u);
    for (const detection::Chain& chain : chains)
        EXPECT_GT(detection::PolylineLength(chain.points), 90.0);
}

TEST(HairFit, LinesAndCurves)
{
    std::vector<QPointF> straight;
    for (int i = 0; i <= 50; ++i)
        straight.emplace_back(10 + 2 * i, 20 + i);
    const detection::MarkFit line = detection::FitMark(straight, 1.5);
    EXPECT_FALSE(line.curved);
    ASSERT_EQ(line.nodes.size(), 2u);
    EXPECT_EQ(line.nodes.front(), straight.front());

    std::vector<QPointF> arc;
    for (int i = 0; i <= 90; ++i)
        arc.emplace_back(100 + 80 * std::cos(i * M_PI / 90.0), 100 - 80 * std::sin(i * M_PI / 90.0));
    const detection::MarkFit curve = detection::FitMark(arc, 1.0);
    EXPECT_TRUE(curve.curved);
    EXPECT_EQ(curve.nodes.size() % 3, 1u);
    EXPECT_LE(curve.maxError, 1.0);
    const std::vector<QPointF> sampled = detection::SampleMark(curve.nodes, true, 2.0);
    EXPECT_NEAR(detection::PolylineLength(sampled), M_PI * 80, 2.0);

    const std::vector<QPointF> resampled = detection::SmoothAndResample(straight, 2, 3.0);
    EXPECT_EQ(resampled.front(), straight.front());
    EXPECT_EQ(resampled.back(), straight.back());
}

} // namespace
