#pragma once

#include <QImage>
#include <QPointF>

#include <functional>
#include <optional>
#include <vector>

// Automatic hair detection: finds the hairs of a magnified scalp picture and
// describes each one as the mark a clinician would draw for it (a straight rule
// line or a poly Bezier curve) with its thickness. Headless; the OpenCV work
// stays inside the .cpp files of this folder.
namespace detection {

// The evaluated field: a circle in image pixels.
struct Field
{
    double x0 = 0.0;
    double y0 = 0.0;
    double radius = 0.0;
};

// A hair known to be in the picture (generated pictures): its centre line in
// image pixels and its width in pixels.
struct TrueHair
{
    std::vector<QPointF> centreLine;
    double widthPx = 0.0;
};

struct Options
{
    // Picture calibration; 0 when the picture is not calibrated (the scales of
    // the ridge filter then assume kDefaultPixelsPerMm and thickness stays in pixels).
    double pixelsPerMm = 0.0;
    // Hairs are searched in this circle only (any part of the hair inside it);
    // the whole picture when absent.
    std::optional<Field> field;
    // Called now and then with 0..100; returning false cancels the detection.
    std::function<bool(int percent)> progress;
    // How the centre lines are found: false thins the hair mask to a skeleton and
    // splits it at the junctions; true follows each hair from its strongest ridge
    // point in small predicted and corrected steps.
    bool tracer = false;
    // For measuring the steps after the ridge filter on their own: centre lines
    // (one polyline per hair, image pixels) drawn one pixel wide in place of the
    // hair mask. Widths still come from the ridge filter, thickness from the
    // picture. Used by the skeleton graph only; empty in normal use.
    std::vector<std::vector<QPointF>> givenCentreLines;
    // For measuring the joins on their own: the true hairs. Pieces lying on one
    // are joined, pieces on two never; the join model weighs only the pairs with a
    // piece on none. Empty in normal use.
    std::vector<TrueHair> trueHairsForJoins;
};

constexpr double kDefaultPixelsPerMm = 200.0;
// Calibrations detection works at: below, the thickest hair it looks for
// (130 µm) is narrower than 4 pixels and the picture shows no hair's width;
// above, the thinnest (15 µm) is wider than 37 pixels, the picture shows a
// fraction of one hair and the widest scales would take minutes.
constexpr double kMinPixelsPerMm = 30.0;
constexpr double kMaxPixelsPerMm = 2500.0;
// Whether detection works at this calibration (0, not calibrated, takes
// kDefaultPixelsPerMm and always does).
inline bool CalibrationSupported(double pixelsPerMm)
{
    return pixelsPerMm == 0.0 || (pixelsPerMm >= kMinPixelsPerMm && pixelsPerMm <= kMaxPixelsPerMm);
}
// Hairs of this thickness or thinner are vellus hairs.
constexpr double kVellusMaxUm = 40.0;

struct Hair
{
    bool curved = false;
    // The nodes the mark gets, in image pixels: two for a line, 3k+1 for a curve
    // (start, control, control, end, control, control, end, ...).
    std::vector<QPointF> nodes;
    // The centre line sampled at most 2 pixels apart, image pixels.
    std::vector<QPointF> path;
    double thicknessPx = 0.0;
    double lengthPx = 0.0;
    double confidence = 0.0; // 0..1
};

struct Result
{
    std::vector<Hair> hairs;
    double pixelsPerMm = 0.0; // the calibration the scales were chosen for
    bool cancelled = false;
    // The calibration is outside what detection works at: no hair was looked for.
    bool unsupportedCalibration = false;
};

// Runs the whole detection. Safe to call from a worker thread (reads `picture` only).
Result DetectHairs(const QImage& picture, const Options& options);

} // namespace detection
