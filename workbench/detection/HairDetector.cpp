// Hair detection: multi-scale ridge filter on a darkness picture, hysteresis
// against the strongest ridge nearby, centre lines by thinning, the skeleton
// graph, mark fitting and thickness from the cross-section profile.
#include "workbench/detection/HairDetector.h"

#include "workbench/detection/HairFit.h"
#include "workbench/detection/HairGraph.h"
#include "workbench/detection/HairTracer.h"
#include "workbench/detection/JoinModel.h"
#include "workbench/detection/PictureMemory.h"
#include "workbench/detection/PointMath.h"
#include "workbench/detection/ProposalModel.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <mutex>
#include <numeric>
#include <unordered_map>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>
#include <opencv2/imgcodecs.hpp>

namespace detection {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Hair widths the ridge filter looks for, micrometres; thicker hairs still answer
// at the coarsest scale, and their width comes from the cross-section.
constexpr double kMinWidthUm = 15.0;
constexpr double kMaxWidthUm = 130.0;
// Scales wider than this answer more to two hairs of a follicular unit lying
// side by side than to either of them, and merge them into one wide ridge: they
// only add hairs that no finer scale sees.
constexpr double kSingleHairUm = 55.0;
// Ratio of neighbouring scales: a pale thin hair between two scales answers weakly.
constexpr double kScaleStep = 1.3;
// Gaussian scale at which sigma^2 times the second derivative of a bar of width w peaks: w / 2.
constexpr double kSigmaPerWidth = 0.5;
// Ridge strength thresholds of the hysteresis (darkness is the negative log of
// the brightness, so these are contrast ratios, independent of the lighting).
constexpr float kHighThreshold = 0.028f;
constexpr float kLowThreshold = 0.013f;
// Share of the strongest ridge nearby (within this many millimetres) a pixel
// must reach to belong to a hair.
constexpr float kRelativeThreshold = 0.35f;
constexpr double kNeighbourhoodMm = 0.08;
// Pyramid levels are used while the Gaussian scale stays above this many
// pixels of the level (smaller scales on a coarse level alias and bead the ridge).
constexpr double kPyramidSigma = 3.5;
// A hair end is followed while the picture there is darker than the background
// by this share of the hair's contrast; a stretch darker than this many times the
// contrast is another hair lying across the way.
constexpr double kExtendShare = 0.15;
constexpr double kExtendTop = 2.0;
// A centre line turning by more than this within the span is two hairs; the
// span is this many widths, at least the minimum in pixels.
constexpr double kKinkDeg = 20.0;
constexpr double kKinkSpanWidths = 2.0;
constexpr double kKinkSpanMin = 6.0;
// A traced centre line runs smoothly through crossings, so a smaller turn there
// already is a switch onto another hair.
constexpr double kTracerKinkDeg = 15.0;
// Blur of the optics, pixels (Gaussian sigma), taken out of measured widths.
constexpr double kOpticsBlur = 0.9;
// Weight of the slope against the curvature in the ridge strength.
constexpr float kSlopePenalty = 2.0f;

// The picture as darkness: -log of a red-weighted brightness, plus how much less
// red than green it is. Red shows pale hairs best against skin and hides the red
// of vessels; on dark reddish skin a pale hair is hardly darker, but less red.
cv::Mat Darkness(const QImage& picture, const cv::Rect& roi)
{
    static const std::array<float, 2048> lut = [] {
        std::array<float, 2048> t {};
        for (size_t i = 0; i < t.size(); ++i)
            t[i] = float(-std::log(double(i) / 8.0 + 4.0) + std::log(259.0));
        return t;
    }();
    static const std::array<float, 256> logarithm = [] {
        std::array<float, 256> t {};
        for (size_t i = 0; i < t.size(); ++i)
            t[i] = float(std::log(double(i) + 4.0));
        return t;
    }();
    QImage image = picture;
    const QImage::Format f = image.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied
        && f != QImage::Format_RGB888 && f != QImage::Format_Grayscale8)
        image = picture.convertToFormat(QImage::Format_RGB32);
    cv::Mat dark(roi.height, roi.width, CV_32F);
    const QImage::Format format = image.format();
    cv::parallel_for_(cv::Range(0, roi.height), [&](const cv::Range& rows) {
        for (int y = rows.start; y < rows.end; ++y) {
            const uchar* line = image.constScanLine(y + roi.y);
            float* out = dark.ptr<float>(y);
            for (int x = 0; x < roi.width; ++x) {
                int r, g, b;
                const int sx = x + roi.x;
                if (format == QImage::Format_RGB888) {
                    r = line[3 * sx];
                    g = line[3 * sx + 1];
                    b = line[3 * sx + 2];
                } else if (format == QImage::Format_Grayscale8) {
                    r = g = b = line[sx];
                } else {
                    const QRgb c = reinterpret_cast<const QRgb*>(line)[sx];
                    r = qRed(c);
                    g = qGreen(c);
                    b = qBlue(c);
                }
                out[x] = lut[size_t(6 * r + g + b)] + logarithm[size_t(g)] - logarithm[size_t(r)];
            }
        }
    });
    return dark;
}

// Ridge strength of one scale on one picture: sigma^2 * (-l2 - |l1|) where l2
// is the Hessian eigenvalue across a dark line (bright in darkness) and l1 the
// one along it; blobs (both large) give nothing. `code` gets the direction of
// the line's normal, 0..255 for 0..180 degrees; with `onlyOnRidges` only where
// the strength is above 0 (elsewhere 0), as nothing else reads it there.
void RidgeResponse(const cv::Mat& src, double sigma, cv::Mat& response, cv::Mat& code, bool onlyOnRidges)
{
    response.create(src.size(), CV_32F);
    code.create(src.size(), CV_8U);
    const int height = src.rows;
    const int width = src.cols;
    constexpr int band = 64;
    const int bands = (height + band - 1) / band;
    const float s2 = float(sigma * sigma);
    const float s = float(sigma);
    cv::parallel_for_(cv::Range(0, bands), [&](const cv::Range& range) {
        cv::Mat blurred;
        for (int b = range.start; b < range.end; ++b) {
            const int y0 = b * band;
            const int y1 = std::min(height, y0 + band);
            const int e0 = std::max(0, y0 - 1);
            const int e1 = std::min(height, y1 + 1);
            // The blur reads the rows around the band from the whole picture.
            cv::GaussianBlur(src.rowRange(e0, e1), blurred, cv::Size(), sigma, sigma, cv::BORDER_REPLICATE);
            for (int y = y0; y < y1; ++y) {
                const int ly = y - e0;
                const float* up = blurred.ptr<float>(std::max(0, ly - 1));
                const float* mid = blurred.ptr<float>(ly);
                const float* down = blurred.ptr<float>(std::min(blurred.rows - 1, ly + 1));
                float* out = response.ptr<float>(y);
                uchar* dir = code.ptr<uchar>(y);
                for (int x = 0; x < width; ++x) {
                    const int xl = std::max(0, x - 1);
                    const int xr = std::min(width - 1, x + 1);
                    const float a = mid[xl] - 2.0f * mid[x] + mid[xr];
                    const float c = up[x] - 2.0f * mid[x] + down[x];
                    const float bxy = 0.25f * (down[xr] - down[xl] - up[xr] + up[xl]);
                    const float tmp = std::sqrt((a - c) * (a - c) + 4.0f * bxy * bxy);
                    const float l1 = 0.5f * (a + c + tmp);
                    const float l2 = 0.5f * (a + c - tmp);
                    // The flank of an edge answers like a line at small scales; its
                    // slope, which a line's centre does not have, takes that away.
                    const float gx = 0.5f * (mid[xr] - mid[xl]);
                    const float gy = 0.5f * (down[x] - up[x]);
                    const float r = s2 * (-l2 - std::abs(l1)) - kSlopePenalty * s * std::sqrt(gx * gx + gy * gy);
                    out[x] = r > 0.0f ? r : 0.0f;
                    if (onlyOnRidges && !(r > 0.0f)) {
                        dir[x] = 0;
                        continue;
                    }
                    // Normal: eigenvector of l2.
                    float nx = bxy, ny = l2 - a;
                    if (std::abs(nx) + std::abs(ny) < std::abs(l2 - c) + std::abs(bxy)) {
                        nx = l2 - c;
                        ny = bxy;
                    }
                    float angle = cv::fastAtan2(ny, nx); // degrees 0..360
                    if (angle >= 180.0f)
                        angle -= 180.0f;
                    dir[x] = uchar(std::min(255, int(angle * (256.0f / 180.0f))));
                }
            }
        }
    });
}

struct Ridge
{
    cv::Mat strength; // CV_32F, best over the scales
    cv::Mat code; // CV_8U, normal direction at the best scale
    cv::Mat scale; // CV_8U, index of the best scale
    std::vector<double> widths; // hair width each scale answers to, pixels
};

// Ridge strength, direction and scale over the scales up to a single hair's
// width in `ridge`, over the wider scales in `coarse` (empty without any).
bool MultiScaleRidge(
    const cv::Mat& dark, double pixelsPerMm, Ridge& ridge, Ridge& coarse, const std::function<bool(int)>& progress)
{
    const double wMin = std::max(2.0, kMinWidthUm * pixelsPerMm / 1000.0);
    const double wMax = std::max(wMin * 2.0, kMaxWidthUm * pixelsPerMm / 1000.0);
    std::vector<double> sigmas;
    for (double s = std::max(0.8, kSigmaPerWidth * wMin); s <= kSigmaPerWidth * wMax * 1.01; s *= kScaleStep)
        sigmas.push_back(s);
    ridge.strength = cv::Mat::zeros(dark.size(), CV_32F);
    ridge.code = cv::Mat::zeros(dark.size(), CV_8U);
    ridge.scale = cv::Mat::zeros(dark.size(), CV_8U);
    std::vector<cv::Mat> pyramid { dark };
    const double singleWidth = kSingleHairUm * pixelsPerMm / 1000.0;
    // Reused from scale to scale: fresh picture-sized buffers cost a page fault per page.
    cv::Mat response, code, upR, upC;
    for (size_t k = 0; k < sigmas.size(); ++k) {
        const double sigma = sigmas[k];
        ridge.widths.push_back(sigma / kSigmaPerWidth);
        coarse.widths.push_back(sigma / kSigmaPerWidth);
        size_t level = 0;
        while (sigma / double(1 << level) >= kPyramidSigma && level < 3)
            ++level;
        while (pyramid.size() <= level) {
            cv::Mat down;
            cv::pyrDown(pyramid.back(), down);
            pyramid.push_back(down);
        }
        // A coarser level's directions are enlarged by nearest neighbour beside
        // a strength interpolated from its neighbours, so they are needed everywhere.
        RidgeResponse(pyramid[level], sigma / double(1 << level), response, code, level == 0);
        // Scales wider than a single hair go to their own maps.
        const bool wide = sigma / kSigmaPerWidth > singleWidth * 1.01;
        if (wide && coarse.strength.empty()) {
            coarse.strength = cv::Mat::zeros(dark.size(), CV_32F);
            coarse.code = cv::Mat::zeros(dark.size(), CV_8U);
            coarse.scale = cv::Mat::zeros(dark.size(), CV_8U);
        }
        Ridge& into = wide ? coarse : ridge;
        if (level > 0) {
            cv::resize(response, upR, dark.size(), 0, 0, cv::INTER_LINEAR);
            cv::resize(code, upC, dark.size(), 0, 0, cv::INTER_NEAREST);
        }
        const cv::Mat& scaleStrength = level > 0 ? upR : response;
        const cv::Mat& scaleCode = level > 0 ? upC : code;
        const uchar index = uchar(k);
        cv::parallel_for_(cv::Range(0, dark.rows), [&](const cv::Range& rows) {
            for (int y = rows.start; y < rows.end; ++y) {
                const float* r = scaleStrength.ptr<float>(y);
                const uchar* c = scaleCode.ptr<uchar>(y);
                float* best = into.strength.ptr<float>(y);
                uchar* bestCode = into.code.ptr<uchar>(y);
                uchar* bestScale = into.scale.ptr<uchar>(y);
                for (int x = 0; x < dark.cols; ++x) {
                    if (r[x] > best[x]) {
                        best[x] = r[x];
                        bestCode[x] = c[x];
                        bestScale[x] = index;
                    }
                }
            }
        });
        if (progress && !progress(int(5 + 55 * (k + 1) / sigmas.size())))
            return false;
    }
    return true;
}

// The hair mask: ridge strength above the low threshold and above a share of
// the strongest ridge nearby (so two hairs side by side stay apart), in
// components that reach the high threshold somewhere. Thinned, it gives the
// centre lines.
cv::Mat HairMask(const Ridge& ridge, double minArea, double neighbourhood)
{
    const cv::Mat& s = ridge.strength;
    cv::Mat nearby;
    const int k = std::max(3, int(neighbourhood) | 1);
    cv::dilate(s, nearby, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(k, k)));
    cv::Mat low = (s >= kLowThreshold) & (s >= kRelativeThreshold * nearby);
    nearby.release();
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(low, labels, stats, centroids, 8, CV_32S);
    std::vector<float> peak(size_t(count), 0.0f);
    for (int y = 0; y < s.rows; ++y) {
        const float* r = s.ptr<float>(y);
        const int* l = labels.ptr<int>(y);
        for (int x = 0; x < s.cols; ++x) {
            if (l[x] > 0)
                peak[size_t(l[x])] = std::max(peak[size_t(l[x])], r[x]);
        }
    }
    std::vector<uint8_t> keep(size_t(count), 0);
    for (int i = 1; i < count; ++i)
        keep[size_t(i)] = peak[size_t(i)] >= kHighThreshold && stats.at<int>(i, cv::CC_STAT_AREA) >= minArea;
    cv::Mat mask = cv::Mat::zeros(s.size(), CV_8U);
    for (int y = 0; y < s.rows; ++y) {
        const int* l = labels.ptr<int>(y);
        uchar* out = mask.ptr<uchar>(y);
        for (int x = 0; x < s.cols; ++x)
            out[x] = keep[size_t(l[x])] ? 255 : 0;
    }
    return mask;
}

// Adds to `ridge` the hairs only the wider scales see: components of the wide
// scales' mask lying mostly away from every finer ridge. Where finer ridges lie
// within, the wide ridge is two hairs side by side, or the halo of a thin one.
// With `all`, every wide ridge counts (the tracer follows each hair's own centre
// and weighs the widths itself).
void AddThickHairs(Ridge& ridge, const Ridge& coarse, double neighbourhood, double widest, bool all)
{
    if (coarse.strength.empty())
        return;
    cv::Mat labels;
    std::vector<uint8_t> keep { 0, 1 };
    if (!all) {
        cv::Mat fine = HairMask(ridge, 0.0, neighbourhood);
        const int k = std::max(3, int(std::lround(0.5 * widest)) | 1);
        cv::dilate(fine, fine, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(k, k)));
        const int count = cv::connectedComponents(HairMask(coarse, 0.0, neighbourhood), labels, 8, CV_32S);
        std::vector<int> area(size_t(count), 0), covered(size_t(count), 0);
        for (int y = 0; y < labels.rows; ++y) {
            const int* l = labels.ptr<int>(y);
            const uchar* f = fine.ptr<uchar>(y);
            for (int x = 0; x < labels.cols; ++x) {
                ++area[size_t(l[x])];
                covered[size_t(l[x])] += f[x] ? 1 : 0;
            }
        }
        keep.assign(size_t(count), 0);
        for (size_t i = 1; i < keep.size(); ++i)
            keep[i] = 2 * covered[i] <= area[i];
    }
    for (int y = 0; y < ridge.strength.rows; ++y) {
        const int* l = all ? nullptr : labels.ptr<int>(y);
        const float* cs = coarse.strength.ptr<float>(y);
        const uchar* cc = coarse.code.ptr<uchar>(y);
        const uchar* cw = coarse.scale.ptr<uchar>(y);
        float* s = ridge.strength.ptr<float>(y);
        uchar* c = ridge.code.ptr<uchar>(y);
        uchar* w = ridge.scale.ptr<uchar>(y);
        for (int x = 0; x < ridge.strength.cols; ++x) {
            if (!keep[l ? size_t(l[x]) : 1] || cs[x] <= s[x])
                continue;
            s[x] = cs[x];
            c[x] = cc[x];
            w[x] = cw[x];
        }
    }
}

float Sample(const cv::Mat& image, double x, double y)
{
    x = std::clamp(x, 0.0, double(image.cols - 1));
    y = std::clamp(y, 0.0, double(image.rows - 1));
    const int x0 = std::min(int(x), image.cols - 2 < 0 ? 0 : image.cols - 2);
    const int y0 = std::min(int(y), image.rows - 2 < 0 ? 0 : image.rows - 2);
    const int x1 = std::min(x0 + 1, image.cols - 1);
    const int y1 = std::min(y0 + 1, image.rows - 1);
    const float fx = float(x - x0);
    const float fy = float(y - y0);
    const float a = image.at<float>(y0, x0) * (1 - fx) + image.at<float>(y0, x1) * fx;
    const float b = image.at<float>(y1, x0) * (1 - fx) + image.at<float>(y1, x1) * fx;
    return a * (1 - fy) + b * fy;
}

// Full width at half maximum of a bar of width w blurred by a Gaussian sigma.
double BlurredWidth(double w, double sigma)
{
    const double k = 1.0 / (std::sqrt(2.0) * sigma);
    auto profile = [&](double x) { return 0.5 * (std::erf((x + w / 2) * k) - std::erf((x - w / 2) * k)); };
    const double half = profile(0.0) / 2.0;
    double lo = 0.0, hi = w + 6.0 * sigma;
    for (int i = 0; i < 40; ++i) {
        const double mid = 0.5 * (lo + hi);
        (profile(mid) > half ? lo : hi) = mid;
    }
    return 2.0 * lo;
}

// The bar width whose blurred half-maximum width is `measured`.
double UnblurredWidth(double measured, double sigma)
{
    if (measured <= BlurredWidth(0.05, sigma))
        return 0.5;
    double lo = 0.05, hi = measured;
    for (int i = 0; i < 40; ++i) {
        const double mid = 0.5 * (lo + hi);
        (BlurredWidth(mid, sigma) < measured ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

struct Profile
{
    double width = 0.0; // half-maximum width, pixels
    double contrast = 0.0; // darkness above the background
};

// Cross-section of the hair at `p` across direction `normal`.
std::optional<Profile> CrossSection(const cv::Mat& dark, const QPointF& p, const QPointF& normal, double guess)
{
    const double reach = std::max(6.0, 1.6 * guess + 4.0);
    constexpr double step = 0.5;
    const int n = int(reach / step);
    std::vector<float> v(size_t(2 * n + 1));
    for (int i = -n; i <= n; ++i) {
        const QPointF q = p + normal * (i * step);
        v[size_t(i + n)] = Sample(dark, q.x(), q.y());
    }
    // Background: the lower (paler) of the two outer quarters.
    auto outer = [&](int from, int to) {
        std::vector<float> part(v.begin() + from, v.begin() + to);
        std::nth_element(part.begin(), part.begin() + long(part.size() / 2), part.end());
        return part[part.size() / 2];
    };
    const int q = std::max(2, n / 4);
    const float base = std::min(outer(0, q), outer(2 * n + 1 - q, 2 * n + 1));
    const int core = std::max(2, int(std::ceil((0.5 * guess + 1.5) / step)));
    int peakAt = n;
    for (int i = n - core; i <= n + core; ++i) {
        if (i >= 0 && i <= 2 * n && v[size_t(i)] > v[size_t(peakAt)])
            peakAt = i;
    }
    const float peak = v[size_t(peakAt)];
    if (peak - base <= 0.01f)
        return std::nullopt;
    const float half = 0.5f * (peak + base);
    auto edge = [&](int direction) -> std::optional<double> {
        for (int i = peakAt; i >= 0 && i <= 2 * n; i += direction) {
            if (v[size_t(i)] < half) {
                // A short dip under half (a sheen) does not end the hair.
                bool resumes = false;
                for (int k = 1; k <= 2; ++k) {
                    const int j = i + direction * k;
                    if (j >= 0 && j <= 2 * n && v[size_t(j)] >= half)
                        resumes = true;
                }
                if (resumes)
                    continue;
                const int prev = i - direction;
                const double f = (v[size_t(prev)] - half) / std::max(1e-6f, v[size_t(prev)] - v[size_t(i)]);
                return (prev + direction * f - n) * step;
            }
        }
        return std::nullopt;
    };
    const auto right = edge(1);
    const auto left = edge(-1);
    if (!right || !left)
        return std::nullopt;
    return Profile { *right - *left, double(peak - base) };
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
    return values[values.size() / 2];
}

QPointF Normalised(const QPointF& v)
{
    const double n = Norm(v);
    return n > 1e-9 ? v / n : QPointF(1.0, 0.0);
}

// Splits a centre line (points about 1 pixel apart) where its direction turns
// by more than `kinkDeg` within a few widths: the strongest turn first, then
// again in each part.
std::vector<std::vector<QPointF>> SplitAtKinks(const std::vector<QPointF>& samples, double width, double kinkDeg)
{
    const size_t k = size_t(std::max(kKinkSpanMin, kKinkSpanWidths * width));
    std::vector<std::vector<QPointF>> parts;
    std::vector<std::pair<size_t, size_t>> todo { { 0, samples.size() } };
    const double limit = std::cos(kinkDeg * kPi / 180.0);
    while (!todo.empty()) {
        const auto [from, to] = todo.back();
        todo.pop_back();
        size_t worstAt = 0;
        double worst = 1.0;
        for (size_t i = from + k; i + k < to; ++i) {
            const QPointF back = Normalised(samples[i] - samples[i - k]);
            const QPointF ahead = Normalised(samples[i + k] - samples[i]);
            const double c = back.x() * ahead.x() + back.y() * ahead.y();
            if (c < worst) {
                worst = c;
                worstAt = i;
            }
        }
        if (worst < limit) {
            todo.push_back({ from, worstAt });
            todo.push_back({ worstAt, to });
        } else {
            parts.emplace_back(samples.begin() + long(from), samples.begin() + long(to));
        }
    }
    return parts;
}

// Thickness and contrast of a hair from the cross-sections along its centre line.
Profile MeasureHair(const cv::Mat& dark, const std::vector<QPointF>& samples, double guess)
{
    std::vector<double> widths, contrasts;
    const size_t n = samples.size();
    const size_t skip = n / 8;
    for (size_t i = std::max<size_t>(1, skip); i + std::max<size_t>(1, skip) < n; i += 2) {
        const QPointF along = Normalised(samples[i + 1] - samples[i - 1]);
        const QPointF normal(-along.y(), along.x());
        if (const auto p = CrossSection(dark, samples[i], normal, guess)) {
            widths.push_back(p->width);
            contrasts.push_back(p->contrast);
        }
    }
    return Profile { Median(widths), Median(contrasts) };
}

// Follows the hair beyond a centre-line end while the picture stays dark there:
// the ridge filter fades before the real end of a hair. Where the way runs onto a
// much darker hair it may go on across it, but it does not end there.
std::vector<QPointF> ExtendEnds(
    const cv::Mat& dark, std::vector<QPointF> samples, double width, double contrast, double maxReach)
{
    if (samples.size() < 4 || contrast <= 0.0)
        return samples;
    for (int end = 0; end < 2; ++end) {
        if (end == 1)
            std::reverse(samples.begin(), samples.end());
        const size_t back = std::min(samples.size() - 1, size_t(std::max(4.0, 2.0 * width)));
        const QPointF direction = Normalised(samples.front() - samples[back]);
        const QPointF normal(-direction.y(), direction.x());
        const double side = width + 4.0;
        QPointF tip = samples.front();
        std::vector<QPointF> added;
        size_t kept = 0;
        for (double travelled = 1.0; travelled <= maxReach; travelled += 1.0) {
            const QPointF q = tip + direction * travelled;
            if (q.x() < 0 || q.y() < 0 || q.x() > dark.cols - 1 || q.y() > dark.rows - 1)
                break;
            const double centre = Sample(dark, q.x(), q.y());
            const QPointF l = q + normal * side;
            const QPointF r = q - normal * side;
            const double background = std::min(Sample(dark, l.x(), l.y()), Sample(dark, r.x(), r.y()));
            if (centre - background < kExtendShare * contrast)
                break;
            added.push_back(q);
            if (centre - background <= kExtendTop * contrast)
                kept = added.size();
        }
        added.resize(kept);
        // Whole pixels beyond the last dark one are not the hair: step back half a pixel.
        std::reverse(added.begin(), added.end());
        samples.insert(samples.begin(), added.begin(), added.end());
    }
    std::reverse(samples.begin(), samples.end());
    return samples;
}

// Merging pieces of one hair. A piece lying within this share of the width of a
// longer one over this share of its length is the same hair seen twice.
constexpr double kDuplicateWidth = 1.0;
// The tracer follows each of two hairs touching side by side on its own centre,
// closer together than a width: only a piece within half a width is a duplicate.
constexpr double kTracedDuplicateWidth = 0.5;
constexpr double kDuplicateShare = 0.8;
// Length over which an end's direction is measured, pixels (at least 3 widths).
constexpr double kDirectionSpan = 12.0;
// Longest gap bridged between two ends, and longest overlap of two ends along one
// hair, millimetres.
constexpr double kGapMm = 1.0;
constexpr double kOverlapMm = 0.8;
// Farthest a centre-line end is followed beyond the ridge, millimetres. Two pieces
// of a hair cut by a crossing may each be followed across it into the other.
constexpr double kExtendMm = 0.5;
// A bridge point counts as dark when darker than the background by this share of
// the hair's contrast.
constexpr double kBridgeShare = 0.3;
// Ends turned against each other by more than this are never weighed as one
// hair's; ends overlapping further than a gap by no more than the second.
constexpr double kCandidateTurnDeg = 75.0;
constexpr double kOverlapTurnDeg = 30.0;
// The join model's probability from which two ends are joined.
constexpr double kJoinProbability = 0.6;
// With traced pieces, bridge points paler than the skin by this darkness (glare)
// are left out of the count.
constexpr double kGlareDarkness = 0.05;

// A stretch of centre line found by the skeleton graph, extended at its ends.
struct Piece
{
    std::vector<QPointF> path; // about 1 pixel apart
    double width = 0.0; // half-maximum width, pixels
    double contrast = 0.0;
    double length = 0.0;
    // Colour along the centre line as chromaticity (red and green shares of the sum).
    double chromaRed = 0.0;
    double chromaGreen = 0.0;
    bool removed = false;
    bool joined = false; // made of several pieces by the joins
};

// Median chromaticity of the picture along a centre line (every other point);
// `origin` is the picture pixel of the path's (0, 0).
std::pair<double, double> Chromaticity(const QImage& picture, const QPoint& origin, const std::vector<QPointF>& path)
{
    std::vector<double> reds, greens;
    for (size_t k = 0; k < path.size(); k += 2) {
        const int x = origin.x() + int(std::lround(path[k].x()));
        const int y = origin.y() + int(std::lround(path[k].y()));
        if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height())
            continue;
        const QRgb c = picture.pixel(x, y);
        const double sum = qRed(c) + qGreen(c) + qBlue(c) + 1.0;
        reds.push_back(qRed(c) / sum);
        greens.push_back(qGreen(c) / sum);
    }
    return { Median(reds), Median(greens) };
}

// The shortest hair proposed, millimetres (at the picture's edge a fifth of it:
// the rest lies outside). Shorter detections were mostly pieces of longer hairs
// cut by a crossing; a short regrowing hair is left to the clinician.
constexpr double kShortestHairMm = 0.44;
// Shortest piece of centre line (and mask component) kept for merging, millimetres:
// a hair crossed by others falls into pieces about this short, and the centre line
// of a hair in a band of hairs breaks into dashes not much longer than its width.
constexpr double kShortestPieceMm = 0.06;
// The tracer follows a hair through a band on its own, so its pieces break less:
// shorter ones are mostly stubs.
constexpr double kShortestTracedPieceMm = 0.11;

// Outward direction at the start of `path` over about `span` pixels.
QPointF EndDirection(const std::vector<QPointF>& path, double span)
{
    const size_t k = std::min(path.size() - 1, size_t(std::max(3.0, span)));
    return Normalised(path.front() - path[k]);
}

// Share of the straight bridge from `a` to `b` that runs over dark picture, as a
// hair does: darker than the background by a share of the hair's contrast. The
// background is taken beside the two ends, not beside the bridge: where the
// bridge crosses another hair, that hair lies beside it. With `glare`, points
// paler than the skin are left out: glare hides whether the hair goes on there.
double BridgeDarkShare(
    const cv::Mat& dark, const QPointF& a, const QPointF& b, double width, double contrast, bool glare)
{
    const double distance = Distance(a, b);
    if (distance < 2.0)
        return 1.0;
    const QPointF along = (b - a) / distance;
    const QPointF normal(-along.y(), along.x());
    const double side = width + 4.0;
    auto besideAt = [&](const QPointF& q) {
        const QPointF l = q + normal * side;
        const QPointF r = q - normal * side;
        return std::min(Sample(dark, l.x(), l.y()), Sample(dark, r.x(), r.y()));
    };
    const double background = std::min(besideAt(a), besideAt(b));
    int darkPoints = 0, total = 0;
    for (double t = 1.0; t < distance; t += 1.0) {
        const QPointF q = a + along * t;
        const double above = Sample(dark, q.x(), q.y()) - background;
        if (glare && above < -kGlareDarkness)
            continue;
        darkPoints += above >= kBridgeShare * contrast ? 1 : 0;
        ++total;
    }
    return total == 0 ? 1.0 : double(darkPoints) / double(total);
}

// The points of `path` from one end inwards over `span` pixels of its length,
// starting at the end.
std::vector<QPointF> EndStretch(const std::vector<QPointF>& path, bool fromBack, double span)
{
    std::vector<QPointF> stretch;
    double covered = 0.0;
    for (size_t k = 0; k < path.size(); ++k) {
        const QPointF& p = fromBack ? path[path.size() - 1 - k] : path[k];
        if (!stretch.empty())
            covered += Distance(stretch.back(), p);
        if (covered > span)
            break;
        stretch.push_back(p);
    }
    return stretch;
}

// Least-squares parabola y = c0 + c1 x + c2 x^2 through points in the frame of
// `origin` and `axis`; the RMS misfit of the points, and the parabola itself.
struct Parabola
{
    double c0 = 0.0, c1 = 0.0, c2 = 0.0;
    double misfit = 0.0;
    bool valid = false;
    double At(double x) const { return c0 + x * (c1 + x * c2); }
};

// Solves the normal equations of a least-squares fit in place (Gauss-Jordan with
// partial pivoting; the last column holds the right-hand side): afterwards
// m[r][Terms] / m[r][r] is coefficient r. False when they are singular.
template <int Terms> bool SolveNormalEquations(double (&m)[Terms][Terms + 1])
{
    for (int c = 0; c < Terms; ++c) {
        int pivot = c;
        for (int r = c + 1; r < Terms; ++r)
            if (std::abs(m[r][c]) > std::abs(m[pivot][c]))
                pivot = r;
        if (std::abs(m[pivot][c]) < 1e-9)
            return false;
        std::swap(m[c], m[pivot]);
        for (int r = 0; r < Terms; ++r) {
            if (r == c)
                continue;
            const double f = m[r][c] / m[c][c];
            for (int k = c; k < Terms + 1; ++k)
                m[r][k] -= f * m[c][k];
        }
    }
    return true;
}

// The first `count` points of a piece's centre line from one of its ends inwards,
// without copying them.
struct Stretch
{
    const QPointF* end = nullptr;
    ptrdiff_t step = 1;
    size_t count = 0;
    const QPointF& operator[](size_t k) const { return end[ptrdiff_t(k) * step]; }
    const QPointF& back() const { return (*this)[count - 1]; }
};

// The parabola through the points of one or more stretches, in their order.
Parabola FitParabola(std::initializer_list<Stretch> stretches, const QPointF& origin, const QPointF& axis)
{
    Parabola result;
    size_t count = 0;
    for (const Stretch& s : stretches)
        count += s.count;
    if (count < 4)
        return result;
    const QPointF normal(-axis.y(), axis.x());
    double m[3][4] = {};
    for (const Stretch& s : stretches) {
        for (size_t k = 0; k < s.count; ++k) {
            const QPointF d = s[k] - origin;
            const double x = Dot(d, axis);
            const double y = Dot(d, normal);
            const double basis[3] = { 1.0, x, x * x };
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 3; ++c)
                    m[r][c] += basis[r] * basis[c];
                m[r][3] += basis[r] * y;
            }
        }
    }
    if (!SolveNormalEquations(m))
        return result;
    result.c0 = m[0][3] / m[0][0];
    result.c1 = m[1][3] / m[1][1];
    result.c2 = m[2][3] / m[2][2];
    double sum = 0.0;
    for (const Stretch& s : stretches) {
        for (size_t k = 0; k < s.count; ++k) {
            const QPointF d = s[k] - origin;
            const double e = Dot(d, normal) - result.At(Dot(d, axis));
            sum += e * e;
        }
    }
    result.misfit = std::sqrt(sum / double(count));
    result.valid = std::isfinite(result.misfit);
    return result;
}

// How far the points lie from one cubic y(x) along `axis` through `origin`, where
// x runs over about -1..1 for `halfSpan`: the RMS and the largest distance. A hair is
// a smooth curve, so two pieces of one lie on one cubic, two pieces of crossing or
// neighbouring hairs seldom. Both infinite when it cannot be fitted.
std::pair<double, double> CubicMisfit(
    const std::vector<QPointF>& points, const QPointF& origin, const QPointF& axis, double halfSpan)
{
    constexpr double kNone = std::numeric_limits<double>::infinity();
    if (points.size() < 6 || halfSpan <= 0.0)
        return { kNone, kNone };
    const QPointF normal(-axis.y(), axis.x());
    double m[4][5] = {};
    for (const QPointF& p : points) {
        const QPointF d = p - origin;
        const double x = Dot(d, axis) / halfSpan;
        const double y = Dot(d, normal);
        const double basis[4] = { 1.0, x, x * x, x * x * x };
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c)
                m[r][c] += basis[r] * basis[c];
            m[r][4] += basis[r] * y;
        }
    }
    if (!SolveNormalEquations(m))
        return { kNone, kNone };
    double coefficient[4];
    for (int r = 0; r < 4; ++r)
        coefficient[r] = m[r][4] / m[r][r];
    double sum = 0.0, worst = 0.0;
    for (const QPointF& p : points) {
        const QPointF d = p - origin;
        const double x = Dot(d, axis) / halfSpan;
        const double e = std::abs(
            Dot(d, normal) - (coefficient[0] + x * (coefficient[1] + x * (coefficient[2] + x * coefficient[3]))));
        sum += e * e;
        worst = std::max(worst, e);
    }
    const double rms = std::sqrt(sum / double(points.size()));
    return std::isfinite(rms) ? std::pair(rms, worst) : std::pair(kNone, kNone);
}

// Whether `p` lies within `tolerance` of a point of `path`.
bool Near(const QPointF& p, const std::vector<QPointF>& path, double tolerance)
{
    const double t2 = tolerance * tolerance;
    for (const QPointF& q : path) {
        const QPointF d = p - q;
        if (Dot(d, d) <= t2)
            return true;
    }
    return false;
}

QRectF Bounds(const std::vector<QPointF>& path)
{
    QRectF box(path.front(), QSizeF(0, 0));
    for (const QPointF& p : path)
        box |= QRectF(p, QSizeF(0.01, 0.01));
    return box;
}

// Marks as removed each piece lying mostly within the width of a longer one.
void DropDuplicates(std::vector<Piece>& pieces, bool traced)
{
    std::vector<size_t> order(pieces.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return pieces[a].length > pieces[b].length; });
    std::vector<QRectF> boxes(pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i)
        boxes[i] = Bounds(pieces[i].path);
    for (size_t oi = 0; oi < order.size(); ++oi) {
        Piece& small = pieces[order[oi]];
        if (small.removed)
            continue;
        for (size_t oj = 0; oj < oi; ++oj) {
            const Piece& big = pieces[order[oj]];
            if (big.removed)
                continue;
            const double tolerance
                = std::max(3.0, (traced ? kTracedDuplicateWidth : kDuplicateWidth) * std::max(small.width, big.width));
            if (!boxes[order[oj]].adjusted(-tolerance, -tolerance, tolerance, tolerance).intersects(boxes[order[oi]]))
                continue;
            // Stops as soon as too many points lie away from the longer piece.
            const size_t checked = (small.path.size() + 1) / 2;
            const size_t allowedAway = size_t((1.0 - kDuplicateShare) * double(checked));
            size_t away = 0;
            for (size_t k = 0; k < small.path.size() && away <= allowedAway; k += 2)
                away += Near(small.path[k], big.path, tolerance) ? 0 : 1;
            if (away <= allowedAway) {
                small.removed = true;
                break;
            }
        }
    }
}

// A thin line (at most this share of the width) running along a thicker hair,
// within its width, over at least this share of its length from one of its ends,
// and leaving it for less than the shortest hair, is an edge of that hair, a
// split end or a stub beside it, not a hair of its own.
constexpr double kStubWidthShare = 0.5;
constexpr double kStubAlongShare = 0.4;

void DropStubsBesideThickHairs(std::vector<Piece>& pieces, double minLength)
{
    std::vector<size_t> order;
    for (size_t i = 0; i < pieces.size(); ++i)
        if (!pieces[i].removed)
            order.push_back(i);
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return pieces[a].length > pieces[b].length; });
    std::vector<QRectF> boxes(pieces.size());
    std::vector<double> widths(pieces.size());
    for (size_t i : order) {
        boxes[i] = Bounds(pieces[i].path);
        widths[i] = UnblurredWidth(pieces[i].width, kOpticsBlur);
    }
    for (size_t oi = 1; oi < order.size(); ++oi) {
        Piece& thin = pieces[order[oi]];
        const double thinWidth = widths[order[oi]];
        for (size_t oj = 0; oj < oi; ++oj) {
            const Piece& thick = pieces[order[oj]];
            if (thick.removed)
                continue;
            const double thickWidth = widths[order[oj]];
            if (thinWidth > kStubWidthShare * thickWidth)
                continue;
            const double tolerance = std::max(3.0, thickWidth);
            if (!boxes[order[oj]].adjusted(-tolerance, -tolerance, tolerance, tolerance).intersects(boxes[order[oi]]))
                continue;
            // The stretch along the thick hair is one end of the thin line, and
            // the rest leaves it (coming back to it is a hair crossing it twice).
            const size_t n = thin.path.size();
            size_t head = 0, tail = 0;
            while (head < n && Near(thin.path[head], thick.path, tolerance))
                ++head;
            while (tail < n - head && Near(thin.path[n - 1 - tail], thick.path, tolerance))
                ++tail;
            const size_t along = std::max(head, tail);
            if (double(along) < kStubAlongShare * double(n))
                continue;
            const auto from = thin.path.begin() + long(head >= tail ? head : 0);
            const auto to = thin.path.end() - long(head >= tail ? 0 : tail);
            if (PolylineLength(std::vector<QPointF>(from, to)) >= minLength)
                continue;
            const long back = std::count_if(from, to, [&](const QPointF& p) { return Near(p, thick.path, tolerance); });
            if (double(back) <= 0.25 * double(along)) {
                thin.removed = true;
                break;
            }
        }
    }
}

// Whether `p` lies within `tolerance` of the polyline `line` (of any spacing).
bool NearPolyline(const QPointF& p, const std::vector<QPointF>& line, double tolerance)
{
    for (size_t k = 0; k < line.size(); ++k) {
        const QPointF a = line[k];
        const QPointF ab = (k + 1 < line.size() ? line[k + 1] : a) - a;
        const double span = Dot(ab, ab);
        const double t = span > 0.0 ? std::clamp(Dot(p - a, ab) / span, 0.0, 1.0) : 0.0;
        if (Distance(p, a + t * ab) <= tolerance)
            return true;
    }
    return false;
}

// For measuring the joins: the true hair each piece lies on (80 % of its points
// within the hair's width, at least 4 pixels), -1 for none.
std::vector<int> TrueHairOfPieces(
    const std::vector<Piece>& pieces, const std::vector<TrueHair>& hairs, const QPointF& origin)
{
    std::vector<std::vector<QPointF>> lines;
    std::vector<QRectF> boxes;
    for (const TrueHair& hair : hairs) {
        std::vector<QPointF> line;
        line.reserve(hair.centreLine.size());
        for (const QPointF& p : hair.centreLine)
            line.push_back(p - origin);
        const double tolerance = std::max(4.0, hair.widthPx);
        boxes.push_back(Bounds(line).adjusted(-tolerance, -tolerance, tolerance, tolerance));
        lines.push_back(std::move(line));
    }
    std::vector<int> hairOf(pieces.size(), -1);
    for (size_t i = 0; i < pieces.size(); ++i) {
        const QRectF box = Bounds(pieces[i].path);
        double best = 0.8;
        for (size_t t = 0; t < hairs.size(); ++t) {
            if (!boxes[t].intersects(box))
                continue;
            const double tolerance = std::max(4.0, hairs[t].widthPx);
            const auto on = std::count_if(pieces[i].path.begin(), pieces[i].path.end(),
                [&](const QPointF& p) { return NearPolyline(p, lines[t], tolerance); });
            const double share = double(on) / double(std::max<size_t>(1, pieces[i].path.size()));
            if (share >= best) {
                best = share;
                hairOf[i] = int(t);
            }
        }
    }
    return hairOf;
}

// Pieces of one hair become one: pieces whose ends continue each other across a
// gap (a crossing, glare, a faint stretch) are joined where the join model finds
// them one hair's, and then a piece lying along a longer one is dropped. Pieces
// of the tracer (`traced`) tell the model so, and glare on their bridge counts
// neither way.
// With `trueHairOf` (measuring), pairs of pieces on one true hair are joined,
// the nearest first, pairs on two never; the model weighs the rest. After the
// first round (`firstRound`, the only one that writes the trainer's material)
// only pairs with a joined piece are weighed: the first round turned down the others.
void MergePieces(const cv::Mat& dark, std::vector<Piece>& pieces, double ppm, bool traced,
    const std::vector<int>& trueHairOf, bool firstRound)
{
    // Duplicates go only after the joins: before them, a piece beside another in a
    // band of hairs may be the start of a hair of its own that its next piece
    // carries on.

    // Joins of piece ends, the most probable first.
    struct End
    {
        QPointF at, direction;
    };
    const size_t n = pieces.size();
    std::vector<End> ends(2 * n);
    for (size_t i = 0; i < n; ++i) {
        Piece& p = pieces[i];
        const double span = std::max(kDirectionSpan, 3.0 * p.width);
        ends[2 * i] = { p.path.front(), EndDirection(p.path, span) };
        std::vector<QPointF> reversed(p.path.rbegin(), p.path.rend());
        ends[2 * i + 1] = { reversed.front(), EndDirection(reversed, span) };
    }
    // Length of centre line from each end to each of its points, for the stretches
    // of an end that the pairs weigh.
    std::vector<std::vector<double>> arcs(2 * n);
    for (size_t e = 0; e < 2 * n; ++e) {
        const std::vector<QPointF>& path = pieces[e / 2].path;
        if (pieces[e / 2].removed || path.empty())
            continue;
        std::vector<double>& arc = arcs[e];
        arc.resize(path.size());
        arc[0] = 0.0;
        for (size_t k = 1; k < path.size(); ++k) {
            arc[k] = e % 2 == 0 ? arc[k - 1] + Distance(path[k - 1], path[k])
                                : arc[k - 1] + Distance(path[path.size() - k], path[path.size() - 1 - k]);
        }
    }
    // The points from end `e` inwards over `span` pixels of the centre line.
    auto stretchOf = [&](size_t e, double span) {
        const std::vector<QPointF>& path = pieces[e / 2].path;
        const std::vector<double>& arc = arcs[e];
        if (arc.empty())
            return Stretch {};
        const size_t count = size_t(std::upper_bound(arc.begin(), arc.end(), span) - arc.begin());
        return e % 2 == 0 ? Stretch { path.data(), 1, count } : Stretch { path.data() + path.size() - 1, -1, count };
    };
    const double gapMax = kGapMm * ppm;
    const double overlapMax = kOverlapMm * ppm + 2.0 * kExtendMm * ppm;
    struct Join
    {
        double probability;
        size_t a, b;
    };
    std::vector<Join> joins;
    // For the developer: PELORIX_DETECTION_JOINS=FILE writes the pieces and the
    // figures of every join weighed, the material tools/train_join_model.py learns from.
    FILE* dump = nullptr;
    std::vector<uint8_t> duplicate(n, 0);
    if (const QByteArray where = qgetenv("PELORIX_DETECTION_JOINS"); firstRound && !where.isEmpty()) {
        dump = std::fopen(where.constData(), "w");
        // The trees learn from the pairs of pieces that are not duplicates (marked 2):
        // a duplicate's pairs repeat its longer twin's, but where two hairs run in a
        // band they carry the other hair's labels, and models that learnt from them
        // joined worse.
        std::vector<Piece> deduplicated = pieces;
        DropDuplicates(deduplicated, traced);
        for (size_t i = 0; i < n; ++i)
            duplicate[i] = deduplicated[i].removed && !pieces[i].removed;
        for (size_t i = 0; dump && i < n; ++i) {
            const Piece& p = pieces[i];
            std::fprintf(dump, "P %zu %d %.2f %.4f %.1f", i,
                p.removed          ? 1
                    : duplicate[i] ? 2
                                   : 0,
                p.width, p.contrast, p.length);
            for (size_t k = 0; k < p.path.size(); k += 3)
                std::fprintf(dump, " %.1f,%.1f", p.path[k].x(), p.path[k].y());
            std::fprintf(dump, " %.1f,%.1f\n", p.path.back().x(), p.path.back().y());
        }
    }
    // The ends weighed against each end after it, in parallel (one list per end,
    // so the order of the joins does not depend on the threads).
    // Only ends in neighbouring cells of a grid as wide as the farthest reach can pair.
    std::vector<std::vector<Join>> found(2 * n);
    const double cell = std::max(1.0, std::max(gapMax, overlapMax));
    auto cellKey = [&](const QPointF& p) {
        return (long long)std::floor(p.x() / cell) * 1000003LL + (long long)std::floor(p.y() / cell);
    };
    std::unordered_map<long long, std::vector<size_t>> endsIn;
    for (size_t e = 0; e < 2 * n; ++e) {
        if (!pieces[e / 2].removed)
            endsIn[cellKey(ends[e].at)].push_back(e);
    }
    auto weigh = [&](size_t a) {
        const Piece& pa = pieces[a / 2];
        if (pa.removed)
            return;
        std::vector<size_t> others;
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                const auto it = endsIn.find(cellKey(ends[a].at + QPointF(dx * cell, dy * cell)));
                if (it == endsIn.end())
                    continue;
                for (const size_t b : it->second)
                    if (b > a && b / 2 != a / 2)
                        others.push_back(b);
            }
        }
        std::sort(others.begin(), others.end());
        for (const size_t b : others) {
            const Piece& pb = pieces[b / 2];
            if (pb.removed || (!firstRound && !pa.joined && !pb.joined))
                continue;
            const End& ea = ends[a];
            const End& eb = ends[b];
            const QPointF gap = eb.at - ea.at;
            const double distance = Norm(gap);
            if (distance > std::max(gapMax, overlapMax))
                continue;
            // The model weighs every pair of ends that does not turn back; ends
            // further apart than a gap only where they overlap along one line
            // (pieces followed across a crossing into each other).
            const double turn = std::acos(std::clamp(-Dot(ea.direction, eb.direction), -1.0, 1.0)) * 180.0 / kPi;
            const double aheadA = Dot(gap, ea.direction);
            const double aheadB = -Dot(gap, eb.direction);
            if (turn > kCandidateTurnDeg || aheadA < -overlapMax || aheadB < -overlapMax)
                continue;
            if (distance > gapMax && (aheadA > 0.0 || aheadB > 0.0 || turn > kOverlapTurnDeg))
                continue;
            const double w = std::max(1.0, std::min(pa.width, pb.width));
            const double contrastLow = std::max(1e-3, std::min(pa.contrast, pb.contrast));
            const QPointF na(-ea.direction.y(), ea.direction.x());
            const QPointF nb(-eb.direction.y(), eb.direction.x());
            const double tolerance = std::max(4.0, 0.85 * w);
            const bool onOther = Near(ea.at, pb.path, tolerance) && Near(eb.at, pa.path, tolerance);
            const double span = std::max(kDirectionSpan, 4.0 * w);
            const Stretch stretchA = stretchOf(a, span);
            const Stretch stretchB = stretchOf(b, span);
            const QPointF middle = 0.5 * (ea.at + eb.at);
            const QPointF axis = Normalised(ea.direction - eb.direction);
            const Parabola joint = FitParabola({ stretchA, stretchB }, middle, axis);
            // How far the parabola of one end's own stretch passes from the other end.
            auto predictMiss = [&](const Stretch& own, const End& from, const QPointF& other) {
                const QPointF forward = -from.direction;
                const Parabola fit = FitParabola({ own }, from.at, forward);
                if (!fit.valid)
                    return 0.0;
                const QPointF d = other - from.at;
                const QPointF normal(-forward.y(), forward.x());
                return std::abs(Dot(d, normal) - fit.At(Dot(d, forward)));
            };
            const double longSpan = std::max(40.0, 10.0 * w);
            const Parabola longJoint = FitParabola({ stretchOf(a, longSpan), stretchOf(b, longSpan) }, middle, axis);

            JoinFeatures f {};
            f[kFeatureGap] = float(distance / w);
            f[kFeatureGapMm] = float(distance / ppm);
            f[kFeatureTurn] = float(turn);
            f[kFeatureLateral] = float(std::max(std::abs(Dot(gap, na)), std::abs(Dot(gap, nb))) / w);
            f[kFeatureAheadMin] = float(std::min(aheadA, aheadB) / w);
            f[kFeatureAheadMax] = float(std::max(aheadA, aheadB) / w);
            f[kFeatureWidthRatio] = float(std::log(std::max(pa.width, pb.width) / w));
            f[kFeatureContrastRatio] = float(std::log(std::max(pa.contrast, pb.contrast) / contrastLow));
            f[kFeatureMisfit] = float(joint.valid ? joint.misfit / w : 10.0);
            f[kFeaturePredict] = float(
                std::min(20.0, std::max(predictMiss(stretchA, ea, eb.at), predictMiss(stretchB, eb, ea.at)) / w));
            f[kFeatureBridgeDark] = float(BridgeDarkShare(dark, ea.at, eb.at, w, contrastLow, traced));
            f[kFeatureShortLength] = float(std::min(pa.length, pb.length) / w);
            f[kFeatureLongLength] = float(std::max(pa.length, pb.length) / w);
            f[kFeatureWidthUm] = float(w * 1000.0 / ppm);
            f[kFeatureContrastMin] = float(contrastLow);
            f[kFeatureEndsOnOther] = onOther ? 1.0f : 0.0f;
            f[kFeatureColour] = float(std::hypot(pa.chromaRed - pb.chromaRed, pa.chromaGreen - pb.chromaGreen));
            f[kFeatureMisfitLong] = float(longJoint.valid ? std::min(20.0, longJoint.misfit / w) : 20.0);
            f[kFeatureTraced] = traced ? 1.0f : 0.0f;
            {
                // Both pieces whole (up to a stretch of 60 widths from each end weighed)
                // against one cubic along the line from one's far end to the other's.
                const double reach = std::max(60.0, 60.0 * w);
                const Stretch wholeA = stretchOf(a, reach);
                const Stretch wholeB = stretchOf(b, reach);
                std::vector<QPointF> points;
                points.reserve(wholeA.count / 2 + wholeB.count / 2 + 2);
                for (size_t k = 0; k < wholeA.count; k += 2)
                    points.push_back(wholeA[k]);
                for (size_t k = 0; k < wholeB.count; k += 2)
                    points.push_back(wholeB[k]);
                const QPointF farA = wholeA.count == 0 ? ea.at : wholeA.back();
                const QPointF farB = wholeB.count == 0 ? eb.at : wholeB.back();
                const QPointF chord = farB - farA;
                const double chordLength = Norm(chord);
                const auto [rms, worst] = chordLength > 1.0
                    ? CubicMisfit(points, 0.5 * (farA + farB), chord / chordLength, 0.5 * chordLength)
                    : std::pair(20.0 * w, 20.0 * w);
                f[kFeatureWholeMisfit] = float(std::min(20.0, rms / w));
                f[kFeatureWholeMisfitWorst] = float(std::min(20.0, worst / w));
            }
            if (dump && !duplicate[a / 2] && !duplicate[b / 2]) {
                std::fprintf(dump, "F %zu %zu", a, b);
                for (const float v : f)
                    std::fprintf(dump, " %.4g", double(v));
                std::fprintf(dump, "\n");
            }
            double probability = JoinProbability(f);
            if (!trueHairOf.empty() && trueHairOf[a / 2] >= 0 && trueHairOf[b / 2] >= 0)
                probability = trueHairOf[a / 2] == trueHairOf[b / 2] ? 0.99 - 1e-4 * distance : 0.0;
            if (probability >= kJoinProbability)
                found[a].push_back({ probability, a, b });
        }
    };
    if (dump) {
        for (size_t a = 0; a < 2 * n; ++a)
            weigh(a);
        std::fclose(dump);
    } else {
        cv::parallel_for_(cv::Range(0, int(2 * n)), [&](const cv::Range& range) {
            for (int a = range.start; a < range.end; ++a)
                weigh(size_t(a));
        });
    }
    for (std::vector<Join>& list : found)
        joins.insert(joins.end(), list.begin(), list.end());
    std::stable_sort(
        joins.begin(), joins.end(), [](const Join& x, const Join& y) { return x.probability > y.probability; });
    std::vector<long> partner(2 * n, -1);
    std::vector<size_t> group(n);
    std::iota(group.begin(), group.end(), size_t(0));
    auto find = [&](size_t x) {
        while (group[x] != x)
            x = group[x] = group[group[x]];
        return x;
    };
    for (const Join& j : joins) {
        if (partner[j.a] >= 0 || partner[j.b] >= 0 || find(j.a / 2) == find(j.b / 2))
            continue;
        partner[j.a] = long(j.b);
        partner[j.b] = long(j.a);
        group[find(j.a / 2)] = find(j.b / 2);
    }
    std::vector<Piece> merged;
    std::vector<uint8_t> used(n, 0);
    for (size_t i = 0; i < n; ++i) {
        if (used[i] || pieces[i].removed)
            continue;
        const int startEnd = partner[2 * i] < 0 ? 0 : partner[2 * i + 1] < 0 ? 1 : -1;
        if (startEnd < 0)
            continue;
        Piece whole;
        double widthSum = 0.0, contrastSum = 0.0, redSum = 0.0, greenSum = 0.0, weight = 0.0;
        size_t c = i;
        int enter = startEnd;
        whole.joined = pieces[i].joined || partner[2 * i + size_t(1 - startEnd)] >= 0;
        for (;;) {
            used[c] = 1;
            Piece& p = pieces[c];
            if (enter == 1)
                std::reverse(p.path.begin(), p.path.end());
            // Where ends overlap, the earlier piece's points beyond the new start go.
            if (!whole.path.empty()) {
                const QPointF direction
                    = Normalised(p.path.size() > 3 ? p.path[3] - p.path[0] : p.path.back() - p.path[0]);
                while (whole.path.size() > 2 && Dot(whole.path.back() - p.path.front(), direction) > 0.0)
                    whole.path.pop_back();
            }
            whole.path.insert(whole.path.end(), p.path.begin(), p.path.end());
            widthSum += p.width * p.length;
            contrastSum += p.contrast * p.length;
            redSum += p.chromaRed * p.length;
            greenSum += p.chromaGreen * p.length;
            weight += p.length;
            const long next = partner[2 * c + size_t(1 - enter)];
            if (next < 0)
                break;
            c = size_t(next) / 2;
            enter = int(size_t(next) % 2);
            if (used[c])
                break;
        }
        whole.width = weight > 0 ? widthSum / weight : 0.0;
        whole.contrast = weight > 0 ? contrastSum / weight : 0.0;
        whole.chromaRed = weight > 0 ? redSum / weight : 0.0;
        whole.chromaGreen = weight > 0 ? greenSum / weight : 0.0;
        whole.path = SmoothAndResample(whole.path, 0, 1.0);
        whole.length = PolylineLength(whole.path);
        merged.push_back(std::move(whole));
    }
    DropDuplicates(merged, traced);
    pieces = std::move(merged);
}

// Rates each detection with the proposal model: how it lies among the others
// (along one, ending on one), how the picture goes on beyond its ends, its
// size, contrast and colour. With `dump`, writes the figures of each, the
// material tools/train_proposal_model.py learns from.
void RateProposals(std::vector<std::pair<size_t, Hair>>& found, const std::vector<Piece>& pieces, const cv::Mat& dark,
    const QPointF& offset, double ppm, FILE* dump)
{
    const size_t n = found.size();
    std::vector<double> widths(n);
    std::vector<QRectF> boxes(n);
    double widest = 4.0;
    for (size_t i = 0; i < n; ++i) {
        widths[i] = std::max(4.0, found[i].second.thicknessPx);
        widest = std::max(widest, widths[i]);
        boxes[i] = Bounds(found[i].second.path);
    }
    // The centre-line points of all detections in a grid of cells at least as wide
    // as the widest hair, so that what is near a point lies in its cell or the next.
    const double cellSize = std::max(16.0, widest);
    const auto cellOf = [cellSize](const QPointF& p) {
        return std::pair<int, int>(int(std::floor(p.x() / cellSize)), int(std::floor(p.y() / cellSize)));
    };
    const auto key = [](int cx, int cy) { return (int64_t(cy) << 32) ^ int64_t(uint32_t(cx)); };
    std::unordered_map<int64_t, std::vector<std::pair<uint32_t, QPointF>>> grid;
    for (size_t i = 0; i < n; ++i) {
        for (const QPointF& p : found[i].second.path) {
            const auto [cx, cy] = cellOf(p);
            grid[key(cx, cy)].emplace_back(uint32_t(i), p);
        }
    }
    constexpr int reach = 1;
    // Calls `visit(j)` once for each other detection within the pair's width of `p`.
    std::vector<size_t> seenAt(n, size_t(-1));
    size_t query = 0;
    const auto forNear = [&](size_t i, const QPointF& p, auto&& visit) {
        ++query;
        const auto [cx, cy] = cellOf(p);
        for (int dy = -reach; dy <= reach; ++dy) {
            for (int dx = -reach; dx <= reach; ++dx) {
                const auto cell = grid.find(key(cx + dx, cy + dy));
                if (cell == grid.end())
                    continue;
                for (const auto& [j, q] : cell->second) {
                    if (j == i || seenAt[j] == query)
                        continue;
                    const double tolerance = std::max(widths[i], widths[j]);
                    const QPointF d = p - q;
                    if (Dot(d, d) <= tolerance * tolerance) {
                        seenAt[j] = query;
                        visit(j);
                    }
                }
            }
        }
    };
    std::vector<int> nearCount(n, 0);
    std::vector<uint32_t> touched;
    for (size_t i = 0; i < n; ++i) {
        Hair& h = found[i].second;
        const Piece& piece = pieces[found[i].first];
        const double w = widths[i];
        touched.clear();
        for (const QPointF& p : h.path) {
            forNear(i, p, [&](uint32_t j) {
                if (nearCount[j]++ == 0)
                    touched.push_back(j);
            });
        }
        double along = 0.0, alongLonger = 0.0;
        for (const uint32_t j : touched) {
            const double share = double(nearCount[j]) / double(h.path.size());
            along = std::max(along, share);
            if (found[j].second.lengthPx > h.lengthPx)
                alongLonger = std::max(alongLonger, share);
            nearCount[j] = 0;
        }
        int endsOn = 0;
        forNear(i, h.path.front(), [&](uint32_t) { ++endsOn; });
        forNear(i, h.path.back(), [&](uint32_t) { ++endsOn; });
        int neighbours = 0;
        const QRectF around = boxes[i].adjusted(-2 * w, -2 * w, 2 * w, 2 * w);
        for (size_t j = 0; j < n; ++j)
            neighbours += j != i && around.intersects(boxes[j]) ? 1 : 0;
        // Darkness beyond each end against the skin beside it, as a share of the
        // hair's contrast: a piece cut short of its hair ends in the dark.
        double beyond[2] = { 0.0, 0.0 };
        for (int e = 0; e < 2; ++e) {
            std::vector<QPointF> path = EndStretch(h.path, e == 1, std::max(kDirectionSpan, 3.0 * h.thicknessPx));
            const QPointF d = EndDirection(path, std::max(kDirectionSpan, 3.0 * h.thicknessPx));
            const QPointF normal(-d.y(), d.x());
            const QPointF at = path.front() - offset + 1.5 * w * d;
            const QPointF left = at + 2.5 * w * normal, right = at - 2.5 * w * normal;
            const double side = std::min(Sample(dark, left.x(), left.y()), Sample(dark, right.x(), right.y()));
            beyond[e] = (Sample(dark, at.x(), at.y()) - side) / std::max(1e-3, piece.contrast);
        }
        ProposalFeatures f {};
        f[kProposalLengthMm] = float(h.lengthPx / ppm);
        f[kProposalThicknessUm] = float(1000.0 * h.thicknessPx / ppm);
        f[kProposalContrast] = float(piece.contrast);
        f[kProposalCurved] = h.curved ? 1.0f : 0.0f;
        f[kProposalStraightness] = float(Distance(h.path.front(), h.path.back()) / std::max(1.0, h.lengthPx));
        f[kProposalAlong] = float(along);
        f[kProposalAlongLonger] = float(alongLonger);
        f[kProposalEndsOnOther] = float(endsOn);
        f[kProposalNeighbours] = float(neighbours);
        f[kProposalBeyondMax] = float(std::max(beyond[0], beyond[1]));
        f[kProposalBeyondMin] = float(std::min(beyond[0], beyond[1]));
        f[kProposalRed] = float(piece.chromaRed);
        f[kProposalGreen] = float(piece.chromaGreen);
        h.confidence = ProposalProbability(f);
        if (dump) {
            std::fprintf(dump, "H");
            for (const float v : f)
                std::fprintf(dump, " %.5g", double(v));
            std::fprintf(dump, "\n");
        }
    }
}
} // namespace

Result DetectHairs(const QImage& picture, const Options& options)
{
    UsePictureMemoryForMatrices();
    // Destroyed last, once the maps are gone. Two float maps of the picture kept
    // for reuse save most of the clearing of fresh memory and stay well inside the
    // memory budget.
    const PictureMemoryScope memory(
        size_t(8) * size_t(std::max(0, picture.width())) * size_t(std::max(0, picture.height())));
    Result result;
    if (!CalibrationSupported(options.pixelsPerMm)) {
        result.unsupportedCalibration = true;
        return result;
    }
    const double ppm = options.pixelsPerMm > 0.0 ? options.pixelsPerMm : kDefaultPixelsPerMm;
    result.pixelsPerMm = ppm;
    QElapsedTimer clock;
    clock.start();
    // For the developer: PELORIX_DETECTION_DEBUG=1 prints the steps' times and
    // writes the intermediate maps to the temporary folder, named by process.
    const bool debug = qEnvironmentVariableIsSet("PELORIX_DETECTION_DEBUG");
    const auto debugFile = [](const char* name) {
        return QDir::temp()
            .filePath(QStringLiteral("pelorix-detection-%1-%2.png")
                          .arg(QCoreApplication::applicationPid())
                          .arg(QLatin1String(name)))
            .toStdString();
    };
    auto report = [&](int percent) {
        if (debug)
            std::fprintf(stderr, "detection %3d %% at %lld ms\n", percent, (long long)clock.elapsed());
        return !options.progress || options.progress(percent);
    };
    if (picture.isNull() || picture.width() < 8 || picture.height() < 8)
        return result;
    if (!report(0)) {
        result.cancelled = true;
        return result;
    }

    // The part of the picture to search: the field's square with a margin.
    cv::Rect roi(0, 0, picture.width(), picture.height());
    if (options.field && options.field->radius > 0) {
        const Field& f = *options.field;
        const double margin = 0.1 * ppm;
        // Clamped to the picture before they become pixels: a field may be far larger.
        const auto clampX = [&](double x) { return int(std::clamp(x, 0.0, double(picture.width()))); };
        const auto clampY = [&](double y) { return int(std::clamp(y, 0.0, double(picture.height()))); };
        const int x0 = clampX(std::floor(f.x0 - f.radius - margin));
        const int y0 = clampY(std::floor(f.y0 - f.radius - margin));
        const int x1 = clampX(std::ceil(f.x0 + f.radius + margin));
        const int y1 = clampY(std::ceil(f.y0 + f.radius + margin));
        roi = cv::Rect(x0, y0, x1 - x0, y1 - y0);
        if (roi.width < 8 || roi.height < 8)
            return result;
    }

    cv::Mat dark = Darkness(picture, roi);
    if (!report(5)) {
        result.cancelled = true;
        return result;
    }
    Ridge ridge;
    {
        Ridge coarse;
        if (!MultiScaleRidge(dark, ppm, ridge, coarse, options.progress)) {
            result.cancelled = true;
            return result;
        }
        AddThickHairs(ridge, coarse, kNeighbourhoodMm * ppm, kMaxWidthUm * ppm / 1000.0, options.tracer);
    }
    const double minLength = kShortestHairMm * ppm;
    const double minPiece = (options.tracer ? kShortestTracedPieceMm : kShortestPieceMm) * ppm;
    std::vector<Chain> chains;
    if (options.tracer) {
        RidgeMaps maps;
        maps.width = roi.width;
        maps.height = roi.height;
        maps.darkness = dark.ptr<float>(0);
        maps.strength = ridge.strength.ptr<float>(0);
        maps.scale = ridge.scale.ptr<uchar>(0);
        maps.normal = ridge.code.ptr<uchar>(0);
        maps.widths = ridge.widths;
        TracerOptions tracerOptions;
        tracerOptions.seedStrength = kHighThreshold;
        tracerOptions.minLengthPx = minPiece;
        tracerOptions.gapMaxPx = std::max(6.0, 0.06 * ppm);
        tracerOptions.minRadiusPx = 0.15 * ppm;
        chains = TraceHairs(maps, tracerOptions);
        ridge.strength.release();
        ridge.code.release();
        ridge.scale.release();
    } else {
        cv::Mat centre;
        if (options.givenCentreLines.empty()) {
            centre = HairMask(ridge, minPiece, kNeighbourhoodMm * ppm);
        } else {
            centre = cv::Mat::zeros(dark.size(), CV_8U);
            for (const std::vector<QPointF>& line : options.givenCentreLines) {
                std::vector<cv::Point> pixels;
                pixels.reserve(line.size());
                for (const QPointF& p : line)
                    pixels.emplace_back(int(std::lround(p.x())) - roi.x, int(std::lround(p.y())) - roi.y);
                cv::polylines(centre, pixels, false, cv::Scalar(255), 1, cv::LINE_8);
            }
        }
        report(65);
        if (debug) {
            cv::Mat view;
            ridge.strength.convertTo(view, CV_8U, 255.0 / 0.2);
            cv::imwrite(debugFile("ridge"), view);
            cv::imwrite(debugFile("centre"), centre);
        }
        ridge.strength.release();
        ridge.code.release();
        Skeleton skeleton;
        skeleton.width = roi.width;
        skeleton.height = roi.height;
        skeleton.mask.assign(centre.datastart, centre.dataend);
        centre.release();
        ThinMask(skeleton.mask, skeleton.width, skeleton.height);
        if (!report(70)) {
            result.cancelled = true;
            return result;
        }

        skeleton.hairWidth.assign(size_t(roi.width) * size_t(roi.height), 0.0f);
        for (int y = 0; y < roi.height; ++y) {
            const uint8_t* m = skeleton.mask.data() + size_t(y) * size_t(roi.width);
            const uchar* s = ridge.scale.ptr<uchar>(y);
            for (int x = 0; x < roi.width; ++x) {
                if (m[x])
                    skeleton.hairWidth[size_t(y) * size_t(roi.width) + size_t(x)] = float(ridge.widths[s[x]]);
            }
        }
        ridge.scale.release();
        GraphOptions graphOptions;
        graphOptions.gapMaxPx = std::max(8.0, 0.3 * ppm);
        // The join model pairs the branches at junctions with the other pieces.
        graphOptions.joinBranches = false;
        chains = TraceChains(skeleton, graphOptions);
    }
    if (debug) {
        cv::Mat view;
        cv::normalize(dark, view, 0, 255, cv::NORM_MINMAX, CV_8U);
        cv::cvtColor(view, view, cv::COLOR_GRAY2BGR);
        view = view * 0.5;
        cv::RNG rng(7);
        for (const Chain& c : chains) {
            std::vector<cv::Point> line;
            for (const QPointF& p : c.points)
                line.emplace_back(int(std::lround(p.x())), int(std::lround(p.y())));
            const cv::Scalar colour(rng.uniform(80, 256), rng.uniform(80, 256), rng.uniform(80, 256));
            cv::polylines(view, line, false, colour, 1);
            if (!line.empty())
                cv::circle(view, line.front(), 2, colour, -1);
        }
        cv::imwrite(debugFile("chains"), view);
    }
    if (!report(80)) {
        result.cancelled = true;
        return result;
    }

    // Pieces: each chain as a smoothed centre line with its measured profile,
    // split where it kinks (a hair bends smoothly; a kink is a switch to another).
    std::vector<std::vector<Piece>> perChain(chains.size());
    cv::parallel_for_(cv::Range(0, int(chains.size())), [&](const cv::Range& range) {
        for (int c = range.start; c < range.end; ++c) {
            const Chain& chain = chains[size_t(c)];
            if (chain.points.size() < 3)
                continue;
            const std::vector<QPointF> smoothed = SmoothAndResample(chain.points, 3, 1.0);
            for (std::vector<QPointF>& samples :
                SplitAtKinks(smoothed, chain.widthPx, options.tracer ? kTracerKinkDeg : kKinkDeg)) {
                // Short pieces stay for now: they may join a neighbour into one hair.
                if (samples.size() < 3 || PolylineLength(samples) < minPiece)
                    continue;
                const Profile first = MeasureHair(dark, samples, chain.widthPx);
                if (first.width <= 0.0)
                    continue;
                // Thinning bends the last half width of a blunt end towards a corner:
                // that piece goes, and the end is found again along the hair's direction.
                const size_t trim
                    = options.tracer ? 0 : std::min(size_t(std::lround(0.6 * first.width)), samples.size() / 6);
                if (trim > 0)
                    samples = std::vector<QPointF>(samples.begin() + long(trim), samples.end() - long(trim));
                samples = ExtendEnds(dark, samples, first.width, first.contrast, double(trim) + kExtendMm * ppm);
                Piece piece;
                piece.path = std::move(samples);
                piece.width = first.width;
                piece.contrast = first.contrast;
                std::tie(piece.chromaRed, piece.chromaGreen) = Chromaticity(picture, QPoint(roi.x, roi.y), piece.path);
                piece.length = PolylineLength(piece.path);
                perChain[size_t(c)].push_back(std::move(piece));
            }
        }
    });
    std::vector<Piece> pieces;
    for (std::vector<Piece>& list : perChain)
        std::move(list.begin(), list.end(), std::back_inserter(pieces));
    perChain.clear();
    chains.clear();
    // Two rounds: joined pieces carry a width and contrast measured over more of
    // their hair and give the figures of their ends more of its course, so some
    // ends the first round left free join in the second.
    for (const bool firstRound : { true, false }) {
        MergePieces(dark, pieces, ppm, options.tracer,
            options.trueHairsForJoins.empty()
                ? std::vector<int>()
                : TrueHairOfPieces(pieces, options.trueHairsForJoins, QPointF(roi.x, roi.y)),
            firstRound);
    }
    // (The tracer's thin pieces beside thick ones are more often hairs of their own.)
    if (!options.tracer)
        DropStubsBesideThickHairs(pieces, minLength);
    if (debug) {
        size_t points = 0, longest = 0;
        for (const Piece& p : pieces) {
            points += p.path.size();
            longest = std::max(longest, p.path.size());
        }
        std::fprintf(stderr, "%zu pieces, %zu points, longest %zu\n", pieces.size(), points, longest);
    }
    if (!report(85)) {
        result.cancelled = true;
        return result;
    }

    const QPointF offset(roi.x + 0.5, roi.y + 0.5);
    std::mutex guard;
    std::vector<std::pair<size_t, Hair>> found;
    cv::parallel_for_(cv::Range(0, int(pieces.size())), [&](const cv::Range& range) {
        for (int c = range.start; c < range.end; ++c) {
            const Piece& piece = pieces[size_t(c)];
            if (piece.removed)
                continue;
            const std::vector<QPointF>& samples = piece.path;
            const bool atBorder = std::any_of(samples.begin(), samples.end(), [&](const QPointF& p) {
                return p.x() < 3 || p.y() < 3 || p.x() > roi.width - 4 || p.y() > roi.height - 4;
            });
            const double length = PolylineLength(samples);
            if (length < (atBorder ? 0.2 : 1.0) * minLength)
                continue;
            const double thickness = UnblurredWidth(piece.width, kOpticsBlur);
            // Thinner than half the thinnest hair looked for: a crease or an edge, no hair.
            if (thickness < 0.5 * kMinWidthUm * ppm / 1000.0)
                continue;
            const double tolerance = std::max(1.5, std::min(0.25 * thickness + 1.0, 0.01 * length + 1.0));
            std::vector<QPointF> fitInput = SmoothAndResample(samples, 0, 3.0);
            MarkFit fit = FitMark(fitInput, tolerance);
            Hair hair;
            hair.curved = fit.curved;
            for (QPointF& p : fit.nodes)
                p += offset;
            hair.nodes = fit.nodes;
            hair.path = SampleMark(hair.nodes, hair.curved, 1.5);
            hair.lengthPx = PolylineLength(hair.path);
            hair.thicknessPx = thickness;
            if (options.field && options.field->radius > 0) {
                const Field& f = *options.field;
                const bool inside = std::any_of(hair.path.begin(), hair.path.end(),
                    [&](const QPointF& p) { return Distance(p, QPointF(f.x0, f.y0)) <= f.radius; });
                if (!inside)
                    continue;
            }
            std::lock_guard<std::mutex> lock(guard);
            found.emplace_back(size_t(c), std::move(hair));
        }
    });
    // The order of the pieces, whatever the threads did.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    {
        // For the developer: PELORIX_DETECTION_PROPOSALS=FILE writes the figures
        // each detection is rated by, in the order of the result.
        FILE* dump = nullptr;
        if (const QByteArray where = qgetenv("PELORIX_DETECTION_PROPOSALS"); !where.isEmpty())
            dump = std::fopen(where.constData(), "w");
        RateProposals(found, pieces, dark, offset, ppm, dump);
        if (dump)
            std::fclose(dump);
    }
    for (auto& [index, hair] : found)
        result.hairs.push_back(std::move(hair));
    report(100);
    return result;
}

} // namespace detection
