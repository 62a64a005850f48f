// Centre-line tracing: seeds at the strongest ridge maxima, each hair followed in
// both directions by prediction (direction, curvature) and correction (the
// darkest line across the hair at its own width).
#include "workbench/detection/HairTracer.h"

#include "workbench/detection/HairFit.h"
#include "workbench/detection/PointMath.h"

#include <algorithm>
#include <cmath>

namespace detection {

namespace {

constexpr double kPi = 3.14159265358979323846;
// A step's ridge is weak below this share of the hair's running response, or
// below this contrast (darkness units) at all.
constexpr double kFadeShare = 0.45;
constexpr double kMinResponse = 0.03;
// A cross-section this much wider than the hair is the hair with another one
// touching or crossing it.
constexpr double kMergedWidth = 1.2;
// Longest stretch followed on momentum alone through an untraced crossing, widths.
constexpr double kBlindWidths = 6.0;
// Beside a touching or crossing hair, the free edge of a hair thinner than this
// (pixels) is too faint to place its centre: it is followed on momentum instead.
constexpr double kEdgeMinWidth = 7.0;
// Running onto a traced hair within this angle is running along that hair.
constexpr double kSameDeg = 8.0;
// Gains of the direction and curvature updates per step.
constexpr double kTurnGain = 0.45;
constexpr double kBendGain = 0.2;
// Step length, share of the width (1 to 3 pixels), and the length of hair the
// cross-section is averaged over, widths (3 to 12 pixels).
constexpr double kStep = 0.4;
constexpr double kAlongWidths = 1.0;
constexpr double kAlongMax = 12.0;
// Where the centre is paler than the skin beside by this darkness, the hair lies
// under a glare spot: it is followed on momentum for this many gaps.
constexpr double kGlareDarkness = 0.08;
constexpr double kGlareGaps = 3.0;
// Where the ridge fades but the centre keeps the hair's darkness (less this
// share of its contrast), a wide hair crosses over it.
constexpr double kUnderShare = 0.3;
// A seed's cross-section must stay alike this many widths along the hair.
constexpr double kSeedSpanWidths = 1.5;
// The line followed is another hair once it is darker or thinner than the
// hair so far by these shares over this many widths (at least 10 pixels).
constexpr double kDarkerShare = 1.5;
constexpr double kThinnerShare = 0.7;
constexpr double kChangeWidths = 3.0;
// A trace joins a traced hair whose end lies within this many widths (at least
// the minimum, pixels) of where it ran onto it, turning by at most this angle.
constexpr double kSpliceWidths = 3.0;
constexpr double kSpliceMin = 12.0;
constexpr double kSpliceDeg = 20.0;

double Wrap(double a)
{
    while (a > kPi)
        a -= 2.0 * kPi;
    while (a < -kPi)
        a += 2.0 * kPi;
    return a;
}

// Angle between two undirected lines, radians 0..pi/2.
double LineAngle(double a, double b)
{
    double d = std::fmod(std::abs(a - b), kPi);
    return d > 0.5 * kPi ? kPi - d : d;
}

struct Section
{
    bool found = false;
    double offset = 0.0; // where the centre lies across the predicted point, pixels
    double response = 0.0; // centre darkness above the mean of the two sides
    double width = 0.0; // half-maximum width around the centre found, pixels
    // Half-maximum extents from the predicted point to either side, pixels.
    double left = 0.0, right = 0.0;
    double skin = 0.0; // darkness at the outer ends of the cross-section
    double centre = 0.0; // darkness at the predicted centre
    // The strongest response lies at the edge of the search: no line is centred
    // within reach, only the flank of one beside.
    bool atEdge = false;
};

class Tracer
{
public:
    Tracer(const RidgeMaps& maps, const TracerOptions& options)
        : m_maps(maps)
        , m_options(options)
        , m_claimAngle(size_t(maps.width) * size_t(maps.height), 0)
        , m_claimRadius(size_t(maps.width) * size_t(maps.height), 0)
        , m_tried(size_t(maps.width) * size_t(maps.height), 0)
        , m_owner(size_t(maps.width) * size_t(maps.height), -1)
    {
    }

    std::vector<Chain> Run()
    {
        const std::vector<int> seeds = Seeds();
        for (const int seed : seeds) {
            if (m_claimAngle[size_t(seed)] != 0 || m_tried[size_t(seed)] != 0)
                continue;
            Chain chain;
            int ownerAtStart = -1, ownerAtEnd = -1;
            const bool hair = TraceFrom(seed, chain, ownerAtStart, ownerAtEnd);
            ownerAtStart = Resolve(ownerAtStart);
            ownerAtEnd = Resolve(ownerAtEnd);
            int into = -1;
            if (ownerAtStart >= 0 && Splice(ownerAtStart, chain, true))
                into = ownerAtStart;
            if (ownerAtEnd >= 0 && ownerAtEnd != into) {
                if (into < 0) {
                    if (Splice(ownerAtEnd, chain, false))
                        into = ownerAtEnd;
                } else {
                    // Both ends continue traced hairs: the three are one.
                    Chain& joined = m_chains[size_t(into)];
                    const bool startIsPieceEnd = Distance(joined.points.front(), chain.points.back())
                        < Distance(joined.points.back(), chain.points.back());
                    if (Splice(ownerAtEnd, joined, startIsPieceEnd)) {
                        m_alias[size_t(into)] = ownerAtEnd;
                        joined.points.clear();
                        Claim(m_chains[size_t(ownerAtEnd)], ownerAtEnd);
                        continue;
                    }
                }
            }
            if (into >= 0) {
                Claim(chain, into);
            } else if (hair) {
                const int id = int(m_chains.size());
                m_alias.push_back(id);
                Claim(chain, id);
                m_chains.push_back(std::move(chain));
            } else if (!chain.points.empty()) {
                Claim(chain, -1);
            }
        }
        std::vector<Chain> chains;
        for (Chain& c : m_chains) {
            if (!c.points.empty())
                chains.push_back(std::move(c));
        }
        return chains;
    }

private:
    // Ridge maxima across the ridge, strongest first.
    std::vector<int> Seeds() const
    {
        const int w = m_maps.width;
        const int h = m_maps.height;
        std::vector<std::pair<float, int>> found;
        for (int y = 1; y + 1 < h; ++y) {
            const float* s = m_maps.strength + size_t(y) * size_t(w);
            const uint8_t* n = m_maps.normal + size_t(y) * size_t(w);
            for (int x = 1; x + 1 < w; ++x) {
                if (s[x] < m_options.seedStrength)
                    continue;
                const double a = n[x] * kPi / 256.0;
                const int dx = int(std::lround(std::cos(a)));
                const int dy = int(std::lround(std::sin(a)));
                const float before = m_maps.strength[size_t(y - dy) * size_t(w) + size_t(x - dx)];
                const float after = m_maps.strength[size_t(y + dy) * size_t(w) + size_t(x + dx)];
                if (s[x] >= before && s[x] >= after)
                    found.emplace_back(s[x], y * w + x);
            }
        }
        std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        std::vector<int> seeds(found.size());
        for (size_t i = 0; i < found.size(); ++i)
            seeds[i] = found[i].second;
        return seeds;
    }

    float Dark(double x, double y) const
    {
        const int w = m_maps.width;
        const int h = m_maps.height;
        x = std::clamp(x, 0.0, double(w - 1) - 1e-6);
        y = std::clamp(y, 0.0, double(h - 1) - 1e-6);
        const int x0 = int(x);
        const int y0 = int(y);
        const float fx = float(x - x0);
        const float fy = float(y - y0);
        const float* row = m_maps.darkness + size_t(y0) * size_t(w) + size_t(x0);
        const int right = x0 + 1 < w ? 1 : 0;
        const int down = y0 + 1 < h ? w : 0;
        const float a = row[0] + (row[right] - row[0]) * fx;
        const float b = row[down] + (row[down + right] - row[down]) * fx;
        return a + (b - a) * fy;
    }

    bool Outside(const QPointF& p) const
    {
        return p.x() < 0.0 || p.y() < 0.0 || p.x() > m_maps.width - 1.0 || p.y() > m_maps.height - 1.0;
    }

    // The hair's cross-section at `p` across direction `theta`, averaged along an
    // arc of curvature `kappa` a few widths long (which mutes hairs crossing it),
    // the centre searched within `search` pixels of `p`.
    Section Across(const QPointF& p, double theta, double kappa, double width, double search) const
    {
        const double h = std::max(0.5, width / 16.0);
        const double core = std::max(0.5, 0.3 * width);
        const double sideFrom = 0.5 * width + 0.75;
        const double sideWidth = std::max(1.5, 0.5 * width);
        const int n = int(std::ceil((search + sideFrom + sideWidth) / h)) + 1;
        const double along = std::clamp(kAlongWidths * width, 3.0, kAlongMax);
        constexpr int kAlongSamples = 3;
        m_profile.assign(size_t(2 * n + 1), 0.0);
        const QPointF d(std::cos(theta), std::sin(theta));
        for (int j = -kAlongSamples; j <= kAlongSamples; ++j) {
            const double s = along * j / kAlongSamples;
            const double a = theta + kappa * s;
            const QPointF centre = p + d * s + QPointF(-d.y(), d.x()) * (0.5 * kappa * s * s);
            const QPointF normal(-std::sin(a), std::cos(a));
            const QPointF first = centre - normal * (n * h);
            const QPointF last = centre + normal * (n * h);
            auto inside = [&](const QPointF& q) {
                return q.x() >= 0.0 && q.y() >= 0.0 && q.x() < m_maps.width - 1.0 && q.y() < m_maps.height - 1.0;
            };
            if (inside(first) && inside(last)) {
                // The whole line lies inside: bilinear samples without bounds checks.
                const size_t stride = size_t(m_maps.width);
                double x = first.x(), y = first.y();
                const double dx = normal.x() * h, dy = normal.y() * h;
                for (int i = 0; i <= 2 * n; ++i, x += dx, y += dy) {
                    const int x0 = int(x), y0 = int(y);
                    const float fx = float(x - x0), fy = float(y - y0);
                    const float* row = m_maps.darkness + size_t(y0) * stride + size_t(x0);
                    const float top = row[0] + (row[1] - row[0]) * fx;
                    const float bottom = row[stride] + (row[stride + 1] - row[stride]) * fx;
                    m_profile[size_t(i)] += top + (bottom - top) * fy;
                }
            } else {
                for (int i = -n; i <= n; ++i) {
                    const QPointF q = centre + normal * (i * h);
                    m_profile[size_t(i + n)] += Dark(q.x(), q.y());
                }
            }
        }
        m_sums.assign(m_profile.size() + 1, 0.0);
        for (size_t i = 0; i < m_profile.size(); ++i) {
            m_profile[i] /= double(2 * kAlongSamples + 1);
            m_sums[i + 1] = m_sums[i] + m_profile[i];
        }
        auto mean = [&](double t0, double t1) {
            const int i0 = std::clamp(int(std::lround(t0 / h)) + n, 0, 2 * n);
            const int i1 = std::clamp(int(std::lround(t1 / h)) + n, i0, 2 * n);
            return (m_sums[size_t(i1 + 1)] - m_sums[size_t(i0)]) / double(i1 - i0 + 1);
        };
        auto response = [&](double t) {
            return mean(t - core, t + core)
                - 0.5 * (mean(t - sideFrom - sideWidth, t - sideFrom) + mean(t + sideFrom, t + sideFrom + sideWidth));
        };
        const int m = int(std::floor(search / h));
        int best = 0;
        double bestResponse = -1e9;
        std::vector<double>& r = m_responses;
        r.assign(size_t(2 * m + 1), 0.0);
        for (int i = -m; i <= m; ++i) {
            r[size_t(i + m)] = response(i * h);
            if (r[size_t(i + m)] > bestResponse) {
                bestResponse = r[size_t(i + m)];
                best = i;
            }
        }
        Section section;
        section.skin = 0.5 * (mean(-n * h, (sideWidth - n) * h) + mean((n - sideWidth) * h, n * h));
        section.centre = mean(-core, core);
        if (bestResponse <= 0.0)
            return section;
        section.found = true;
        section.response = bestResponse;
        section.atEdge = best == -m || best == m;
        double refine = 0.0;
        if (best > -m && best < m) {
            const double l = r[size_t(best - 1 + m)];
            const double c = r[size_t(best + m)];
            const double rr = r[size_t(best + 1 + m)];
            const double denominator = l - 2.0 * c + rr;
            if (denominator < 0.0)
                refine = std::clamp(0.5 * (l - rr) / denominator, -0.5, 0.5);
        }
        section.offset = (best + refine) * h;
        // Half-maximum width against the paler side.
        const double t = best * h;
        const double base
            = std::min(mean(t - sideFrom - sideWidth, t - sideFrom), mean(t + sideFrom, t + sideFrom + sideWidth));
        const int centre = best + n;
        const int coreSteps = int(core / h);
        double peak = m_profile[size_t(centre)];
        for (int i = std::max(0, centre - coreSteps); i <= std::min(2 * n, centre + coreSteps); ++i)
            peak = std::max(peak, m_profile[size_t(i)]);
        const double half = 0.5 * (peak + base);
        // A short dip under half (the sheen along a hair) does not end it.
        const int dip = std::max(1, int(0.2 * width / h));
        auto edge = [&](int from, int direction) {
            int below = 0;
            for (int i = from + direction; i >= 0 && i <= 2 * n; i += direction) {
                if (m_profile[size_t(i)] >= half) {
                    below = 0;
                    continue;
                }
                if (++below > dip)
                    return std::max(0.0, (std::abs(i - from) - below + 0.5) * h);
            }
            return double(n) * h * 2.0;
        };
        section.width = edge(centre, 1) + edge(centre, -1);
        section.left = edge(n, -1);
        section.right = edge(n, 1);
        return section;
    }

    double Search(double width) const { return std::max(1.5, 0.35 * width + 1.0); }

    // Direction of the seed's hair and its centre and width there; false when
    // there is no ridge worth following.
    bool Start(int seed, QPointF& at, double& theta, double& width, double& response, bool& merged) const
    {
        const int x = seed % m_maps.width;
        const int y = seed / m_maps.width;
        at = QPointF(x, y);
        width = std::max(2.0, m_maps.widths[m_maps.scale[size_t(seed)]]);
        const double normal = m_maps.normal[size_t(seed)] * kPi / 256.0;
        double bestTheta = normal + 0.5 * kPi;
        Section best;
        auto measure = [&] {
            best = Section();
            for (int k = -3; k <= 3; ++k) {
                const double t = normal + 0.5 * kPi + k * kPi / 24.0;
                const Section s = Across(at, t, 0.0, width, Search(width));
                if (s.found && s.response > best.response) {
                    best = s;
                    bestTheta = t;
                }
            }
        };
        measure();
        // The coarsest scale answers to every hair thicker than it as well: such a
        // hair is measured again at the width its cross-section shows.
        if (best.found && best.width > kMergedWidth * width + 1.5
            && size_t(m_maps.scale[size_t(seed)]) + 1 == m_maps.widths.size()) {
            width = best.width;
            measure();
        }
        if (!best.found || best.response < kMinResponse)
            return false;
        // Where another hair touches or crosses, the direction is unsure: a seed
        // elsewhere on the hair starts it.
        if (best.width > kMergedWidth * width + 1.5) {
            merged = true;
            return false;
        }
        // Where hairs cross, the cross-section changes within a few widths; along
        // a hair it stays.
        const QPointF along(std::cos(bestTheta), std::sin(bestTheta));
        for (const double side : { -1.0, 1.0 }) {
            const Section s
                = Across(at + along * (side * kSeedSpanWidths * width), bestTheta, 0.0, width, Search(width));
            if (!s.found || s.response < 0.5 * best.response || s.width > kMergedWidth * best.width + 1.5
                || best.width > kMergedWidth * s.width + 1.5) {
                merged = true;
                return false;
            }
        }
        theta = bestTheta;
        at += QPointF(-std::sin(theta), std::cos(theta)) * best.offset;
        at = QPointF(std::clamp(at.x(), 0.0, m_maps.width - 1.0), std::clamp(at.y(), 0.0, m_maps.height - 1.0));
        if (best.width > 0.5 && best.width < 3.0 * width + 4.0)
            width = std::max(2.0, 0.5 * (width + best.width));
        const Section again = Across(at, theta, 0.0, width, 1.0);
        response = again.found ? std::max(again.response, kMinResponse) : best.response;
        return true;
    }

    struct Neighbours
    {
        bool on = false; // the point lies on a traced hair of another direction
        bool same = false; // ... of the same direction
        int owner = -1; // the traced hair of the same direction
        bool beside = false; // a traced hair lies within the cross-section
        double crossing = 0.0; // length of the crossing, pixels
    };

    // Traced hairs at and across `q`.
    Neighbours ClaimsAt(const QPointF& q, double theta, double travelTheta, double width) const
    {
        Neighbours result;
        const QPointF normal(-std::sin(theta), std::cos(theta));
        const double reach = 0.5 * width + 0.75 + std::max(1.5, 0.5 * width);
        for (double t = -reach; t <= reach + 1e-9; t += 1.0) {
            const QPointF p = q + normal * t;
            const long x = std::lround(p.x());
            const long y = std::lround(p.y());
            if (x < 0 || y < 0 || x >= m_maps.width || y >= m_maps.height)
                continue;
            const size_t pixel = size_t(y) * size_t(m_maps.width) + size_t(x);
            const uint8_t code = m_claimAngle[pixel];
            if (code == 0)
                continue;
            result.beside = true;
            if (std::abs(t) > 0.5)
                continue;
            const double other = (code - 1) * kPi / 254.0;
            const double angle = LineAngle(travelTheta, other);
            if (angle < kSameDeg * kPi / 180.0) {
                result.same = true;
                result.owner = m_owner[pixel];
            } else {
                result.on = true;
                result.crossing
                    = (2.0 * m_claimRadius[pixel] + width) / std::sin(std::max(angle, 5.0 * kPi / 180.0)) + width;
            }
        }
        return result;
    }

    // Follows the hair from `start` in direction `theta`; the points from the start on.
    std::vector<QPointF> Follow(
        const QPointF& start, double theta, double width, double response, std::vector<double>& widths) const
    {
        std::vector<QPointF> points { start };
        std::vector<double> travelled { 0.0 };
        size_t lastGood = 0;
        double kappa = 0.0;
        double run = response;
        double w = width;
        double gap = 0.0, blind = 0.0, blindLimit = 0.0;
        // Length since the line became darker or thinner than the hair, and where.
        double changed = 0.0;
        size_t changedAt = 0;
        double core = -1.0; // darkness at the hair's centre, negative until measured
        // The direction at the last step where the hair was alone.
        double clean = theta;
        const double maxKappa = 1.0 / std::max(5.0, m_options.minRadiusPx);
        const size_t maxSteps = size_t(4 * (m_maps.width + m_maps.height));
        for (size_t stepNumber = 0; stepNumber < maxSteps; ++stepNumber) {
            const double step = std::clamp(kStep * w, 1.0, 3.0);
            const double middle = theta + 0.5 * kappa * step;
            QPointF q = points.back() + step * QPointF(std::cos(middle), std::sin(middle));
            const double predicted = theta + kappa * step;
            if (Outside(q))
                break;
            const Neighbours traced = ClaimsAt(q, predicted, clean, w);
            if (traced.same) {
                m_stopOwner = traced.owner;
                break;
            }
            const Section s = Across(q, predicted, kappa, w, Search(w));
            // Where the hair ends beside another one, the other's flank answers at the
            // edge of the search: the hair fades there, and is not pulled across.
            const bool weak = !s.found || s.atEdge || s.response < std::max(kMinResponse, kFadeShare * run);
            const bool merged = !weak && s.width > kMergedWidth * w + 1.5;
            double offset = s.offset;
            bool alone = !weak && !merged && !traced.beside;
            bool onMomentum = traced.on;
            if (traced.on) {
                blindLimit = std::max(blindLimit, traced.crossing);
            } else if (merged) {
                // Beside a touching or crossing hair the free edge still shows where the centre is.
                const double tolerance = 0.25 * w + 1.0;
                if (w < kEdgeMinWidth)
                    onMomentum = true;
                else if (s.left <= 0.5 * w + tolerance && s.right > 0.5 * w + tolerance)
                    offset = 0.5 * w - s.left;
                else if (s.right <= 0.5 * w + tolerance && s.left > 0.5 * w + tolerance)
                    offset = s.right - 0.5 * w;
                else
                    onMomentum = true;
                if (blindLimit == 0.0)
                    blindLimit = kBlindWidths * w + 10.0;
            }
            if (onMomentum) {
                blind += step;
                if (blind > blindLimit)
                    break;
            } else if (weak) {
                // A glare spot (paler than the skin beside) hides a longer stretch, and
                // so does a wide hair lying across: the line is as dark as the hair
                // there, but without sides paler than it.
                const bool glare = s.centre < s.skin - kGlareDarkness;
                const bool under = !s.atEdge && core >= 0.0 && s.centre >= core - kUnderShare * run;
                gap += step;
                const double limit = under ? std::max(m_options.gapMaxPx, kBlindWidths * w + 10.0)
                                           : (glare ? kGlareGaps : 1.0) * m_options.gapMaxPx;
                if (gap > limit)
                    break;
            }
            theta = predicted;
            if (!onMomentum && !weak) {
                gap = blind = blindLimit = 0.0;
                // A smooth hair needs small corrections; a traced hair beside pulls the
                // centre towards it, so there the prediction counts most.
                const double most = (alone ? 0.5 : 0.15) * step;
                q += QPointF(-std::sin(predicted), std::cos(predicted)) * std::clamp(offset, -most, most);
                if (!merged) {
                    // A darker or thinner line from here on is another hair.
                    if (s.response > kDarkerShare * run || s.width < kThinnerShare * w - 0.5) {
                        if (changed == 0.0)
                            changedAt = points.size();
                        changed += step;
                        if (changed > std::max(10.0, kChangeWidths * w)) {
                            lastGood = std::min(lastGood, changedAt - 1);
                            break;
                        }
                    } else {
                        changed = 0.0;
                        run += 0.15 * (s.response - run);
                        core = core >= 0.0 ? core + 0.15 * (s.centre - core) : s.centre;
                        w += 0.15 * (std::clamp(s.width, 0.7 * w, 1.4 * w) - w);
                        widths.push_back(s.width);
                    }
                }
            }
            points.push_back(q);
            travelled.push_back(travelled.back() + step);
            if (gap == 0.0 && blind == 0.0)
                lastGood = points.size() - 1;
            if (alone) {
                // Direction and curvature from the chord over a few widths.
                const double span = std::max(8.0, 2.5 * w);
                size_t j = lastGood;
                while (j > 0 && travelled[lastGood] - travelled[j] < span)
                    --j;
                const double length = travelled[lastGood] - travelled[j];
                if (length >= 0.5 * span) {
                    const QPointF chord = points[lastGood] - points[j];
                    const double measured = std::atan2(chord.y(), chord.x()) + 0.5 * kappa * length;
                    const double error = Wrap(measured - theta);
                    theta += kTurnGain * error;
                    kappa = std::clamp(kappa + kBendGain * error / length, -maxKappa, maxKappa);
                }
                clean = theta;
            }
        }
        points.resize(lastGood + 1);
        return points;
    }

    bool TraceFrom(int seed, Chain& chain, int& ownerAtStart, int& ownerAtEnd) const
    {
        ownerAtStart = ownerAtEnd = -1;
        QPointF at;
        double theta = 0.0, width = 0.0, response = 0.0;
        bool merged = false;
        if (!Start(seed, at, theta, width, response, merged)) {
            if (!merged)
                chain.points = { QPointF(seed % m_maps.width, seed / m_maps.width) };
            chain.widthPx = 1.0;
            return false;
        }
        if (m_claimAngle[size_t(std::lround(at.y())) * size_t(m_maps.width) + size_t(std::lround(at.x()))] != 0)
            return false;
        std::vector<double> widths;
        m_stopOwner = -1;
        const std::vector<QPointF> ahead = Follow(at, theta, width, response, widths);
        ownerAtEnd = m_stopOwner;
        m_stopOwner = -1;
        const std::vector<QPointF> behind = Follow(at, theta + kPi, width, response, widths);
        ownerAtStart = m_stopOwner;
        std::vector<QPointF> points(behind.rbegin(), behind.rend());
        points.insert(points.end(), ahead.begin() + 1, ahead.end());
        chain.points = SmoothAndResample(points, 0, 1.0);
        if (!widths.empty()) {
            std::nth_element(widths.begin(), widths.begin() + long(widths.size() / 2), widths.end());
            chain.widthPx = std::clamp(widths[widths.size() / 2], 0.7 * width, 1.5 * width);
        } else {
            chain.widthPx = width;
        }
        return PolylineLength(chain.points) >= m_options.minLengthPx;
    }

    int Resolve(int id) const
    {
        while (id >= 0 && m_alias[size_t(id)] != id)
            id = m_alias[size_t(id)];
        return id;
    }

    // A trace that ran onto the end of a traced hair in its direction continues
    // that hair: `piece` joins chain `target` when the end of `piece` (its start
    // or its end) lies near an end of the target and runs into it. True when joined.
    bool Splice(int target, Chain& piece, bool atPieceStart)
    {
        Chain& x = m_chains[size_t(target)];
        const std::vector<QPointF>& b = piece.points;
        if (b.size() < 3 || x.points.size() < 3)
            return false;
        const QPointF contact = atPieceStart ? b.front() : b.back();
        size_t nearest = 0;
        double best = 1e300;
        for (size_t i = 0; i < x.points.size(); ++i) {
            const QPointF d = x.points[i] - contact;
            const double d2 = d.x() * d.x() + d.y() * d.y();
            if (d2 < best) {
                best = d2;
                nearest = i;
            }
        }
        const double width = std::max(x.widthPx, piece.widthPx);
        const size_t reach = size_t(std::max(kSpliceMin, kSpliceWidths * width));
        const bool atFront = nearest <= reach;
        const bool atBack = nearest + reach + 1 >= x.points.size();
        if (atFront == atBack || std::sqrt(best) > 0.5 * width + 2.0)
            return false;
        // Directions: the piece's travel into the contact and the hair's outward end.
        const size_t k = std::min<size_t>(size_t(std::max(4.0, 2.0 * width)), b.size() - 1);
        const QPointF travel = atPieceStart ? b.front() - b[k] : b.back() - b[b.size() - 1 - k];
        const size_t kx = std::min<size_t>(size_t(std::max(4.0, 2.0 * width)), x.points.size() - 1);
        const QPointF outward
            = atFront ? x.points.front() - x.points[kx] : x.points.back() - x.points[x.points.size() - 1 - kx];
        const double cosine
            = (travel.x() * outward.x() + travel.y() * outward.y()) / std::max(1e-9, Norm(travel) * Norm(outward));
        if (cosine > -std::cos(kSpliceDeg * kPi / 180.0))
            return false;
        std::vector<QPointF> oriented = b;
        // The contact comes last when prepended, first when appended.
        if (atFront == atPieceStart)
            std::reverse(oriented.begin(), oriented.end());
        std::vector<QPointF> joined;
        const double lengthX = PolylineLength(x.points), lengthB = PolylineLength(b);
        if (atFront) {
            joined = oriented;
            joined.insert(joined.end(), x.points.begin() + long(nearest), x.points.end());
        } else {
            joined.assign(x.points.begin(), x.points.begin() + long(nearest) + 1);
            joined.insert(joined.end(), oriented.begin(), oriented.end());
        }
        x.points = SmoothAndResample(joined, 0, 1.0);
        x.widthPx = (x.widthPx * lengthX + piece.widthPx * lengthB) / std::max(1e-9, lengthX + lengthB);
        return true;
    }

    // Marks the hair's body as traced (with its direction), or a failed trace's
    // centre line as tried so that no seed there starts again.
    void Claim(const Chain& chain, int owner)
    {
        const bool tried = owner < 0;
        const std::vector<QPointF>& p = chain.points;
        const double radius = tried ? 1.0 : 0.5 * chain.widthPx + 1.0;
        const uint8_t radiusCode = uint8_t(std::clamp(std::ceil(radius), 1.0, 255.0));
        for (size_t i = 0; i < p.size(); ++i) {
            const QPointF d = p[std::min(i + 2, p.size() - 1)] - p[i >= 2 ? i - 2 : 0];
            double angle = p.size() > 1 ? std::atan2(d.y(), d.x()) : 0.0;
            angle = std::fmod(angle + 2.0 * kPi, kPi);
            const uint8_t code = uint8_t(1 + std::min(253, int(angle / kPi * 254.0)));
            const double length = std::max(1e-9, Norm(d));
            const QPointF normal = p.size() > 1 ? QPointF(-d.y(), d.x()) / length : QPointF(0, 0);
            for (double t = -radius; t <= radius + 1e-9; t += 0.5) {
                const QPointF q = p[i] + normal * t;
                const long x = std::lround(q.x());
                const long y = std::lround(q.y());
                if (x < 0 || y < 0 || x >= m_maps.width || y >= m_maps.height)
                    continue;
                const size_t index = size_t(y) * size_t(m_maps.width) + size_t(x);
                if (tried) {
                    // Seeds only: tracing does not stop here.
                    m_tried[index] = 1;
                    continue;
                }
                m_claimAngle[index] = code;
                m_claimRadius[index] = radiusCode;
                m_owner[index] = owner;
            }
        }
    }

    const RidgeMaps& m_maps;
    const TracerOptions& m_options;
    std::vector<uint8_t> m_claimAngle; // 0 free, else 1 + direction in 254 steps over 180 degrees
    std::vector<uint8_t> m_claimRadius; // half width of the hair that claimed it, whole pixels
    std::vector<uint8_t> m_tried; // nonzero: on a trace too short to be a hair
    std::vector<int> m_owner; // the chain that claimed the pixel, -1 for none
    std::vector<int> m_alias; // a chain spliced into another names it here
    std::vector<Chain> m_chains;
    mutable int m_stopOwner = -1;
    mutable std::vector<double> m_profile, m_sums, m_responses;
};

} // namespace

std::vector<Chain> TraceHairs(const RidgeMaps& maps, const TracerOptions& options)
{
    if (maps.width < 3 || maps.height < 3 || !maps.darkness || !maps.strength || !maps.scale || !maps.normal
        || maps.widths.empty())
        return {};
    return Tracer(maps, options).Run();
}

} // namespace detection
