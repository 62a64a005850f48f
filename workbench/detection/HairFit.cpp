// Fitting rule lines and poly Bezier curves to detected centre lines.
#include "workbench/detection/HairFit.h"

#include "workbench/detection/PointMath.h"

#include <algorithm>
#include <cmath>

namespace detection {

namespace {

QPointF Bezier(const QPointF* p, double t)
{
    const double u = 1.0 - t;
    return u * u * u * p[0] + 3.0 * u * u * t * p[1] + 3.0 * u * t * t * p[2] + t * t * t * p[3];
}

double PointToSegment(const QPointF& p, const QPointF& a, const QPointF& b)
{
    const QPointF ab = b - a;
    const double len2 = ab.x() * ab.x() + ab.y() * ab.y();
    if (len2 < 1e-12)
        return Distance(p, a);
    const double t = std::clamp(((p.x() - a.x()) * ab.x() + (p.y() - a.y()) * ab.y()) / len2, 0.0, 1.0);
    return Distance(p, a + t * ab);
}

// Least squares cubic through fixed ends for samples [first, last] with chord
// length parameters; then one Newton-free refinement of the parameters by
// nearest point on a dense sampling. Returns the largest deviation.
double FitCubic(const std::vector<QPointF>& s, size_t first, size_t last, QPointF out[4])
{
    const QPointF p0 = s[first];
    const QPointF p3 = s[last];
    std::vector<double> t(last - first + 1, 0.0);
    for (size_t i = first + 1; i <= last; ++i)
        t[i - first] = t[i - first - 1] + Distance(s[i], s[i - 1]);
    const double total = std::max(1e-9, t.back());
    for (double& v : t)
        v /= total;
    for (int round = 0; round < 3; ++round) {
        double c11 = 0, c12 = 0, c22 = 0;
        QPointF x1, x2;
        for (size_t i = 0; i < t.size(); ++i) {
            const double u = 1.0 - t[i];
            const double b0 = u * u * u, b1 = 3 * u * u * t[i], b2 = 3 * u * t[i] * t[i], b3 = t[i] * t[i] * t[i];
            const QPointF r = s[first + i] - b0 * p0 - b3 * p3;
            c11 += b1 * b1;
            c12 += b1 * b2;
            c22 += b2 * b2;
            x1 += b1 * r;
            x2 += b2 * r;
        }
        const double det = c11 * c22 - c12 * c12;
        QPointF p1, p2;
        if (std::abs(det) < 1e-12) {
            p1 = p0 + (p3 - p0) / 3.0;
            p2 = p0 + 2.0 * (p3 - p0) / 3.0;
        } else {
            p1 = (c22 * x1 - c12 * x2) / det;
            p2 = (c11 * x2 - c12 * x1) / det;
        }
        out[0] = p0;
        out[1] = p1;
        out[2] = p2;
        out[3] = p3;
        // Re-parameterise: each sample takes the parameter of its nearest curve point.
        constexpr int dense = 64;
        QPointF curve[dense + 1];
        for (int k = 0; k <= dense; ++k)
            curve[k] = Bezier(out, double(k) / dense);
        for (size_t i = 1; i + 1 < t.size(); ++i) {
            int best = 0;
            double bestD = 1e300;
            for (int k = 0; k <= dense; ++k) {
                const double d = Distance(curve[k], s[first + i]);
                if (d < bestD) {
                    bestD = d;
                    best = k;
                }
            }
            // Refine between the neighbours of the best point.
            const double lo = std::max(0, best - 1) / double(dense);
            const double hi = std::min(dense, best + 1) / double(dense);
            double bt = best / double(dense);
            double bd = bestD;
            for (int k = 0; k <= 8; ++k) {
                const double tt = lo + (hi - lo) * k / 8.0;
                const double d = Distance(Bezier(out, tt), s[first + i]);
                if (d < bd) {
                    bd = d;
                    bt = tt;
                }
            }
            t[i] = bt;
        }
    }
    // Deviation: distance of each sample to the densely sampled curve.
    constexpr int dense = 96;
    std::vector<QPointF> curve(dense + 1);
    for (int k = 0; k <= dense; ++k)
        curve[size_t(k)] = Bezier(out, double(k) / dense);
    double worst = 0.0;
    for (size_t i = first; i <= last; ++i) {
        double best = 1e300;
        for (int k = 0; k < dense; ++k)
            best = std::min(best, PointToSegment(s[i], curve[size_t(k)], curve[size_t(k) + 1]));
        worst = std::max(worst, best);
    }
    return worst;
}

} // namespace

std::vector<QPointF> SmoothAndResample(const std::vector<QPointF>& points, int radius, double step)
{
    const size_t n = points.size();
    if (n < 2)
        return points;
    std::vector<QPointF> smooth(n);
    for (size_t i = 0; i < n; ++i) {
        // The window shrinks towards the ends so that the ends stay where they are.
        const size_t r = std::min({ size_t(radius), i, n - 1 - i });
        QPointF sum;
        for (size_t k = i - r; k <= i + r; ++k)
            sum += points[k];
        smooth[i] = sum / double(2 * r + 1);
    }
    std::vector<QPointF> out { smooth.front() };
    double carried = 0.0;
    for (size_t i = 1; i < n; ++i) {
        const QPointF a = smooth[i - 1];
        const QPointF b = smooth[i];
        const double d = Distance(a, b);
        double at = step - carried;
        while (at <= d) {
            out.push_back(a + (b - a) * (at / d));
            at += step;
        }
        carried = d - (at - step);
    }
    if (Distance(out.back(), smooth.back()) > 0.25 * step)
        out.push_back(smooth.back());
    else
        out.back() = smooth.back();
    return out;
}

double PolylineLength(const std::vector<QPointF>& points)
{
    double length = 0.0;
    for (size_t i = 1; i < points.size(); ++i)
        length += Distance(points[i - 1], points[i]);
    return length;
}

MarkFit FitMark(const std::vector<QPointF>& samples, double tolerance, int maxPieces)
{
    MarkFit fit;
    if (samples.size() < 2) {
        fit.nodes = samples;
        return fit;
    }
    double chordError = 0.0;
    for (const QPointF& p : samples)
        chordError = std::max(chordError, PointToSegment(p, samples.front(), samples.back()));
    if (chordError <= tolerance || samples.size() < 4) {
        fit.nodes = { samples.front(), samples.back() };
        fit.maxError = chordError;
        return fit;
    }
    fit.curved = true;
    for (int pieces = 1; pieces <= maxPieces; ++pieces) {
        const size_t n = samples.size();
        if (size_t(pieces) * 3 >= n && pieces > 1)
            break;
        std::vector<QPointF> nodes;
        double worst = 0.0;
        for (int k = 0; k < pieces; ++k) {
            const size_t first = (n - 1) * size_t(k) / size_t(pieces);
            const size_t last = (n - 1) * size_t(k + 1) / size_t(pieces);
            QPointF cubic[4];
            worst = std::max(worst, FitCubic(samples, first, last, cubic));
            if (k == 0)
                nodes.push_back(cubic[0]);
            nodes.insert(nodes.end(), { cubic[1], cubic[2], cubic[3] });
        }
        fit.nodes = std::move(nodes);
        fit.maxError = worst;
        if (worst <= tolerance)
            break;
    }
    return fit;
}

std::vector<QPointF> SampleMark(const std::vector<QPointF>& nodes, bool curved, double step)
{
    std::vector<QPointF> out;
    if (nodes.size() < 2)
        return nodes;
    if (!curved) {
        const double d = Distance(nodes.front(), nodes.back());
        const int count = std::max(1, int(std::ceil(d / step)));
        for (int i = 0; i <= count; ++i)
            out.push_back(nodes.front() + (nodes.back() - nodes.front()) * (double(i) / count));
        return out;
    }
    out.push_back(nodes.front());
    for (size_t k = 0; k + 3 < nodes.size(); k += 3) {
        const QPointF* p = &nodes[k];
        const double rough = Distance(p[0], p[1]) + Distance(p[1], p[2]) + Distance(p[2], p[3]);
        const int count = std::max(1, int(std::ceil(rough / step)));
        for (int i = 1; i <= count; ++i)
            out.push_back(Bezier(p, double(i) / count));
    }
    return out;
}

} // namespace detection
