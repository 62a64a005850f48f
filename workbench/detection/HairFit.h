#pragma once

#include <QPointF>

#include <vector>

// Geometry of detected hairs: smoothing a centre line, fitting the nodes of a
// rule line or poly Bezier curve to it, and sampling marks back into paths.
namespace detection {

// Moving average over `radius` points on each side (the ends keep their places),
// then points every `step` along the arc.
std::vector<QPointF> SmoothAndResample(const std::vector<QPointF>& points, int radius, double step);

double PolylineLength(const std::vector<QPointF>& points);

struct MarkFit
{
    bool curved = false;
    std::vector<QPointF> nodes; // 2 for a line, 3k+1 for a curve
    double maxError = 0.0; // largest distance of a sample from the mark, pixels
};

// A straight line when every sample lies within `tolerance` of the chord, else
// the fewest cubic pieces (up to `maxPieces`) that keep within it.
MarkFit FitMark(const std::vector<QPointF>& samples, double tolerance, int maxPieces = 6);

// The mark's centre line, points at most `step` apart.
std::vector<QPointF> SampleMark(const std::vector<QPointF>& nodes, bool curved, double step);

} // namespace detection
