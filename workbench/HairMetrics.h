#pragma once

#include "canvas/CanvasTypes.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

class TMyShape;

// The numbers behind the hair results: curve lengths, straight lengths, the
// evaluated field and the reading of thickness values. No canvas state is changed.
namespace HairMetrics {

struct CurveLengthResult
{
    double length = 0.0; // image pixels
    bool converged = true;
};

// Length in image pixels of a cubic Bezier poly curve given by its control points
// (P0, P1, P2, P3, then two controls and an end point per further segment;
// trailing nodes that make no whole segment are ignored). The points are first
// made integers relative to the truncated top-left corner of their box, and each
// segment's speed is integrated by Simpson's rule on trapezoid refinements.
CurveLengthResult CurveLength(const std::vector<TMyPoint>& nodes);

// The text shown when a curve integration does not converge.
QString CurveLengthErrorText();

// Length in image pixels of the diagonal of the shape's node box.
double BoxDiagonal(const TMyShape& shape);

// Largest k with k * k <= n (n >= 0).
int64_t IntegerSqrt(int64_t n);

// Number of lattice points (x, y) with 0 <= x < width, 0 <= y < height and
// (x - x0)^2 + (y - y0)^2 <= r^2, counted row by row.
int64_t CountDiscPoints(int64_t x0, int64_t y0, int64_t r, int64_t width, int64_t height);

// Reads a decimal 32-bit integer as the thickness values are written (blanks
// around it and a sign allowed); nothing when the text is not such a number.
std::optional<int> ParseInteger(QStringView text);

// The conversion error shown for a text that is not an integer.
QString NotAnIntegerText(const QString& text);

// Truncation toward zero into the int range: NaN gives 0, values beyond the range
// its ends (pen widths, ruler scales and scroll positions from any calibration).
int TruncToInt(double value);

} // namespace HairMetrics
