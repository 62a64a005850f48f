#include "workbench/HairMetrics.h"

#include "canvas/TMyShape.h"

#include <algorithm>
#include <cmath>
#include <limits>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace {

// Coefficients of the squared speed of one cubic segment:
// |B'(u)|^2 = a u^4 + b u^3 + c u^2 + d u + f.
struct SpeedPolynomial
{
    double a, b, c, d, f;

    double Speed(double u) const
    {
        const double radicand = (((a * u + b) * u + c) * u + d) * u + f;
        return radicand > 0 ? std::sqrt(radicand) : 0.0;
    }

    // Sum of the speeds at the midpoints (k + 1/2) step, k = 0 .. points - 1. Two
    // at a time where the processor can: this sum is most of the time a load of
    // many curves spends on its results.
    double MidpointSum(int64_t points, double step) const
    {
        int64_t k = 0;
        double sum = 0.0;
#if defined(__SSE2__) || defined(_M_X64)
        const __m128d va = _mm_set1_pd(a), vb = _mm_set1_pd(b), vc = _mm_set1_pd(c), vd = _mm_set1_pd(d),
                      vf = _mm_set1_pd(f), zero = _mm_setzero_pd();
        __m128d total = zero;
        for (; k + 1 < points; k += 2) {
            const __m128d u = _mm_set_pd((double(k) + 1.5) * step, (double(k) + 0.5) * step);
            __m128d r = _mm_add_pd(_mm_mul_pd(va, u), vb);
            r = _mm_add_pd(_mm_mul_pd(r, u), vc);
            r = _mm_add_pd(_mm_mul_pd(r, u), vd);
            r = _mm_add_pd(_mm_mul_pd(r, u), vf);
            // max(r, 0) gives 0 for a negative, zero or NaN radicand, as Speed does.
            total = _mm_add_pd(total, _mm_sqrt_pd(_mm_max_pd(r, zero)));
        }
        sum = _mm_cvtsd_f64(total) + _mm_cvtsd_f64(_mm_unpackhi_pd(total, total));
#endif
        for (; k < points; ++k)
            sum += Speed((double(k) + 0.5) * step);
        return sum;
    }
};

SpeedPolynomial SegmentSpeed(const double (&x)[4], const double (&y)[4])
{
    // Per axis: A = 3(q - r) - p + e, B = 3(p + r) - 6q, C = 3(q - p).
    const double ax = 3 * (x[1] - x[2]) - x[0] + x[3];
    const double ay = 3 * (y[1] - y[2]) - y[0] + y[3];
    const double bx = 3 * (x[0] + x[2]) - 6 * x[1];
    const double by = 3 * (y[0] + y[2]) - 6 * y[1];
    const double cx = 3 * (x[1] - x[0]);
    const double cy = 3 * (y[1] - y[0]);
    return SpeedPolynomial { 9 * (ax * ax + ay * ay), 12 * (ax * bx + ay * by),
        6 * (ax * cx + ay * cy) + 4 * (bx * bx + by * by), 4 * (bx * cx + by * cy), cx * cx + cy * cy };
}

// Simpson's rule built on successive trapezoid refinements of [0, 1]: refinement 1
// takes the ends, refinement j adds 2^(j-2) midpoints. From refinement 7 on the
// estimate stops when it changes by less than 1e-10 of itself; at most 20 refinements.
bool IntegrateSimpson(const SpeedPolynomial& speed, double& result)
{
    constexpr int kMaxSteps = 20;
    constexpr double kEps = 1e-10;
    double trapezoid = 0.0;
    double previousTrapezoid = 0.0;
    double previousSimpson = 0.0;
    double simpson = 0.0;
    for (int j = 1; j <= kMaxSteps; ++j) {
        if (j == 1) {
            trapezoid = 0.5 * (speed.Speed(0.0) + speed.Speed(1.0));
        } else {
            const int64_t points = int64_t(1) << (j - 2);
            const double step = 1.0 / double(points);
            trapezoid = 0.5 * (trapezoid + speed.MidpointSum(points, step) * step);
        }
        simpson = (4.0 * trapezoid - previousTrapezoid) / 3.0;
        if (j >= 7
            && (std::abs(simpson - previousSimpson) < kEps * std::abs(previousSimpson)
                || (simpson == 0.0 && previousSimpson == 0.0))) {
            result = simpson;
            return true;
        }
        previousSimpson = simpson;
        previousTrapezoid = trapezoid;
    }
    result = simpson;
    return false;
}

// Truncation toward zero that stays defined for damaged coordinates.
double Trunc(double value)
{
    if (!std::isfinite(value))
        return 0.0;
    return std::trunc(value);
}

} // namespace

namespace HairMetrics {

CurveLengthResult CurveLength(const std::vector<TMyPoint>& nodes)
{
    CurveLengthResult result;
    const auto count = int64_t(nodes.size());
    if (count < 4)
        return result;
    double left = nodes[0].x;
    double top = nodes[0].y;
    for (const TMyPoint& p : nodes) {
        left = std::min(left, double(p.x));
        top = std::min(top, double(p.y));
    }
    const double ox = Trunc(left);
    const double oy = Trunc(top);
    for (int64_t k = 0; k < count - 3; k += 3) {
        double x[4];
        double y[4];
        for (int i = 0; i < 4; ++i) {
            const TMyPoint& p = nodes[size_t(k + i)];
            x[i] = Trunc(double(p.x) - ox);
            y[i] = Trunc(double(p.y) - oy);
        }
        double segment = 0.0;
        if (!IntegrateSimpson(SegmentSpeed(x, y), segment)) {
            result.converged = false;
            return result;
        }
        result.length += segment;
    }
    return result;
}

QString CurveLengthErrorText()
{
    return QStringLiteral("Internal error NR: ") + QStringLiteral("Too many steps in routine qsimp");
}

double BoxDiagonal(const TMyShape& shape)
{
    const double w = shape.Width();
    const double h = shape.Height();
    return std::sqrt(w * w + h * h);
}

int64_t IntegerSqrt(int64_t n)
{
    if (n <= 0)
        return 0;
    auto k = int64_t(std::sqrt(double(n)));
    // The floating root may be one off either way for large n; the divisions
    // compare without squaring, which could overflow.
    while (k > 0 && k > n / k)
        --k;
    while (k + 1 <= n / (k + 1))
        ++k;
    return k;
}

int64_t CountDiscPoints(int64_t x0, int64_t y0, int64_t r, int64_t width, int64_t height)
{
    if (r < 0 || width <= 0 || height <= 0)
        return 0;
    const int64_t r2 = r * r;
    const int64_t firstRow = std::max<int64_t>(0, y0 - r);
    const int64_t lastRow = std::min<int64_t>(height - 1, y0 + r);
    int64_t total = 0;
    for (int64_t y = firstRow; y <= lastRow; ++y) {
        const int64_t dy = y - y0;
        const int64_t half = IntegerSqrt(r2 - dy * dy);
        const int64_t from = std::max<int64_t>(0, x0 - half);
        const int64_t to = std::min<int64_t>(width - 1, x0 + half);
        if (to >= from)
            total += to - from + 1;
    }
    return total;
}

std::optional<int> ParseInteger(QStringView text)
{
    text = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > int64_t(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return int(value);
}

QString NotAnIntegerText(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

int TruncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    return int(std::clamp(
        std::trunc(value), double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

} // namespace HairMetrics
