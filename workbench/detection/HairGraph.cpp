// From a skeleton to hair chains: segments between junctions, junction clusters,
// pairing of branches by direction continuity, and joining of collinear ends.
#include "workbench/detection/HairGraph.h"

#include "workbench/detection/PointMath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace detection {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Segment
{
    std::vector<int> pixels; // pixel indices y * width + x, in order
    int cluster[2] = { -1, -1 }; // junction cluster at the start and at the end, -1 for a free end
    double width = 0.0;
    bool removed = false;
    // The segment end this end continues into: segment * 2 + end, or -1.
    int link[2] = { -1, -1 };
};

class UnionFind
{
public:
    explicit UnionFind(int n)
        : m_parent(size_t(n))
    {
        std::iota(m_parent.begin(), m_parent.end(), 0);
    }
    int Find(int a)
    {
        while (m_parent[size_t(a)] != a) {
            m_parent[size_t(a)] = m_parent[size_t(m_parent[size_t(a)])];
            a = m_parent[size_t(a)];
        }
        return a;
    }
    void Unite(int a, int b) { m_parent[size_t(Find(a))] = Find(b); }

private:
    std::vector<int> m_parent;
};

QPointF Unit(const QPointF& v)
{
    const double n = Norm(v);
    return n > 1e-9 ? v / n : QPointF(0.0, 0.0);
}

double AngleDeg(const QPointF& a, const QPointF& b)
{
    return std::acos(std::clamp(Dot(Unit(a), Unit(b)), -1.0, 1.0)) * 180.0 / kPi;
}

// Outward direction of an ordered point list at its start: the points next to
// the end are skipped (a junction bends them), the next ones give the direction.
QPointF OutwardDirection(const std::vector<QPointF>& points, double width)
{
    const int n = int(points.size());
    if (n < 2)
        return QPointF(0.0, 0.0);
    const int skip = std::min(n / 3, int(std::lround(1.5 * width)));
    const int reach = std::min(n - 1, skip + std::max(8, int(std::lround(3.0 * width))));
    if (reach <= skip)
        return Unit(points[size_t(n - 1)] - points[0]);
    return Unit(points[size_t(reach)] - points[size_t(skip)]);
}

// Pieces of one hair have about the same width.
bool SimilarWidth(double a, double b)
{
    return std::max(a, b) <= 1.6 * std::min(a, b) + 1.0;
}

class Tracer
{
public:
    Tracer(const Skeleton& s)
        : m_s(s)
        , m_index(size_t(s.width) * size_t(s.height), -1)
    {
    }

    std::vector<Segment> Segments()
    {
        CollectPixels();
        ClusterJunctions();
        std::vector<Segment> segments;
        // Free ends first, then the branches leaving each junction, then loops.
        for (size_t i = 0; i < m_pixels.size(); ++i) {
            if (!m_junction[i] && m_degree[i] <= 1 && !m_visited[i])
                segments.push_back(Trace(int(i), -1));
        }
        for (size_t i = 0; i < m_pixels.size(); ++i) {
            if (!m_junction[i])
                continue;
            ForNeighbours(int(i), [&](int n) {
                if (!m_junction[size_t(n)] && !m_visited[size_t(n)])
                    segments.push_back(Trace(n, m_cluster[i]));
            });
        }
        for (size_t i = 0; i < m_pixels.size(); ++i) {
            if (!m_junction[i] && !m_visited[i])
                segments.push_back(Trace(int(i), -1));
        }
        for (Segment& segment : segments) {
            std::vector<float> widths;
            widths.reserve(segment.pixels.size());
            for (int p : segment.pixels)
                widths.push_back(m_s.hairWidth[size_t(p)]);
            if (!widths.empty()) {
                std::nth_element(widths.begin(), widths.begin() + long(widths.size() / 2), widths.end());
                segment.width = widths[widths.size() / 2];
            }
        }
        return segments;
    }

    int ClusterCount() const { return m_clusters; }
    std::vector<QPointF> ClusterCentres() const { return m_centres; }
    QPointF Position(int pixel) const { return QPointF(pixel % m_s.width, pixel / m_s.width); }

private:
    void CollectPixels()
    {
        const int w = m_s.width;
        for (int y = 0; y < m_s.height; ++y) {
            const uint8_t* row = m_s.mask.data() + size_t(y) * size_t(w);
            for (int x = 0; x < w; ++x) {
                if (row[x]) {
                    m_index[size_t(y) * size_t(w) + size_t(x)] = int(m_pixels.size());
                    m_pixels.push_back(y * w + x);
                }
            }
        }
        m_degree.assign(m_pixels.size(), 0);
        m_junction.assign(m_pixels.size(), 0);
        m_visited.assign(m_pixels.size(), 0);
        m_cluster.assign(m_pixels.size(), -1);
        for (size_t i = 0; i < m_pixels.size(); ++i) {
            int degree = 0;
            ForNeighbours(int(i), [&](int) { ++degree; });
            m_degree[i] = uint8_t(degree);
            m_junction[i] = degree >= 3;
        }
    }

    // Neighbouring skeleton pixels, the four direct ones first.
    template <typename F> void ForNeighbours(int i, F&& f) const
    {
        static constexpr std::array<std::array<int, 2>, 8> offsets
            = { { { 1, 0 }, { -1, 0 }, { 0, 1 }, { 0, -1 }, { 1, 1 }, { -1, 1 }, { 1, -1 }, { -1, -1 } } };
        const int p = m_pixels[size_t(i)];
        const int x = p % m_s.width;
        const int y = p / m_s.width;
        for (const auto& o : offsets) {
            const int nx = x + o[0];
            const int ny = y + o[1];
            if (nx < 0 || ny < 0 || nx >= m_s.width || ny >= m_s.height)
                continue;
            const int n = m_index[size_t(ny) * size_t(m_s.width) + size_t(nx)];
            if (n >= 0)
                f(n);
        }
    }

    void ClusterJunctions()
    {
        for (size_t i = 0; i < m_pixels.size(); ++i) {
            if (!m_junction[i] || m_cluster[i] >= 0)
                continue;
            const int id = m_clusters++;
            std::vector<int> stack { int(i) };
            m_cluster[i] = id;
            QPointF sum;
            int count = 0;
            while (!stack.empty()) {
                const int c = stack.back();
                stack.pop_back();
                sum += Position(m_pixels[size_t(c)]);
                ++count;
                ForNeighbours(c, [&](int n) {
                    if (m_junction[size_t(n)] && m_cluster[size_t(n)] < 0) {
                        m_cluster[size_t(n)] = id;
                        stack.push_back(n);
                    }
                });
            }
            m_centres.push_back(sum / count);
        }
    }

    Segment Trace(int start, int startCluster)
    {
        Segment segment;
        segment.cluster[0] = startCluster;
        int current = start;
        for (;;) {
            m_visited[size_t(current)] = 1;
            segment.pixels.push_back(m_pixels[size_t(current)]);
            int next = -1;
            int junctionHere = -1;
            int junctionStart = -1;
            ForNeighbours(current, [&](int n) {
                if (m_junction[size_t(n)]) {
                    if (m_cluster[size_t(n)] != startCluster)
                        junctionHere = junctionHere < 0 ? m_cluster[size_t(n)] : junctionHere;
                    else
                        junctionStart = m_cluster[size_t(n)];
                } else if (!m_visited[size_t(n)] && next < 0) {
                    next = n;
                }
            });
            if (next >= 0 && !(segment.pixels.size() > 1 && junctionHere >= 0)) {
                current = next;
                continue;
            }
            if (junctionHere >= 0)
                segment.cluster[1] = junctionHere;
            else if (junctionStart >= 0 && segment.pixels.size() > 2)
                segment.cluster[1] = junctionStart;
            return segment;
        }
    }

    const Skeleton& m_s;
    PictureVector<int> m_index; // pixel -> index into m_pixels, -1 when not on the skeleton
    std::vector<int> m_pixels;
    std::vector<uint8_t> m_degree;
    std::vector<uint8_t> m_junction;
    std::vector<uint8_t> m_visited;
    std::vector<int> m_cluster;
    std::vector<QPointF> m_centres;
    int m_clusters = 0;
};

double SegmentLength(const Segment& s)
{
    return double(s.pixels.size());
}

} // namespace

void ThinMask(PictureVector<uint8_t>& mask, int width, int height)
{
    std::vector<int> pixels;
    for (int y = 1; y + 1 < height; ++y) {
        for (int x = 1; x + 1 < width; ++x) {
            if (mask[size_t(y) * size_t(width) + size_t(x)])
                pixels.push_back(y * width + x);
        }
    }
    // The frame row and column are cleared so that neighbours always exist.
    for (int x = 0; x < width; ++x) {
        mask[size_t(x)] = 0;
        mask[size_t(height - 1) * size_t(width) + size_t(x)] = 0;
    }
    for (int y = 0; y < height; ++y) {
        mask[size_t(y) * size_t(width)] = 0;
        mask[size_t(y) * size_t(width) + size_t(width - 1)] = 0;
    }
    // Neighbours P2..P9: north, north-east, east, south-east, south, south-west, west, north-west.
    const int offsets[8] = { -width, -width + 1, 1, width + 1, width, width - 1, -1, -width - 1 };
    auto neighbours = [&](int p, bool n[8]) {
        for (int k = 0; k < 8; ++k)
            n[k] = mask[size_t(p + offsets[k])] != 0;
    };
    std::vector<int> removal;
    for (bool changed = true; changed;) {
        changed = false;
        for (int pass = 0; pass < 2; ++pass) {
            removal.clear();
            for (int p : pixels) {
                bool n[8];
                neighbours(p, n);
                int count = 0, transitions = 0;
                for (int k = 0; k < 8; ++k) {
                    count += n[k];
                    transitions += !n[k] && n[(k + 1) % 8];
                }
                if (count < 2 || count > 6 || transitions != 1)
                    continue;
                const bool first = pass == 0 ? !(n[0] && n[2] && n[4]) && !(n[2] && n[4] && n[6])
                                             : !(n[0] && n[2] && n[6]) && !(n[0] && n[4] && n[6]);
                if (first)
                    removal.push_back(p);
            }
            for (int p : removal)
                mask[size_t(p)] = 0;
            if (!removal.empty()) {
                changed = true;
                pixels.erase(std::remove_if(pixels.begin(), pixels.end(), [&](int p) { return mask[size_t(p)] == 0; }),
                    pixels.end());
            }
        }
    }
    // Staircase corners: a pixel with two set direct neighbours at a right angle
    // and nothing on the opposite side is redundant.
    for (int p : pixels) {
        bool n[8];
        neighbours(p, n);
        const bool corner = (n[0] && n[2] && !n[4] && !n[5] && !n[6]) || (n[2] && n[4] && !n[6] && !n[7] && !n[0])
            || (n[4] && n[6] && !n[0] && !n[1] && !n[2]) || (n[6] && n[0] && !n[2] && !n[3] && !n[4]);
        if (corner)
            mask[size_t(p)] = 0;
    }
}

std::vector<Chain> TraceChains(const Skeleton& skeleton, const GraphOptions& options)
{
    Tracer tracer(skeleton);
    std::vector<Segment> segments = tracer.Segments();
    const std::vector<QPointF> centres = tracer.ClusterCentres();
    UnionFind clusters(std::max(1, tracer.ClusterCount()));

    // Spurs: short branches from a junction to a free end (thinning leaves them
    // where a hair is wide or ends bluntly).
    for (Segment& s : segments) {
        const bool oneFree = (s.cluster[0] < 0) != (s.cluster[1] < 0);
        if (oneFree && SegmentLength(s) < std::max(5.0, 1.5 * s.width))
            s.removed = true;
    }
    // Junction pairs linked by a short piece are one crossing (thick hairs
    // crossing at a shallow angle give two junctions close together).
    for (Segment& s : segments) {
        if (s.removed || s.cluster[0] < 0 || s.cluster[1] < 0)
            continue;
        if (SegmentLength(s) < std::max(4.0, 2.0 * s.width)) {
            clusters.Unite(s.cluster[0], s.cluster[1]);
            s.removed = true;
        }
    }
    for (Segment& s : segments) {
        for (int& c : s.cluster)
            c = c >= 0 ? clusters.Find(c) : -1;
    }

    auto points = [&](const Segment& s, int end) {
        std::vector<QPointF> p;
        p.reserve(s.pixels.size());
        for (int px : s.pixels)
            p.push_back(tracer.Position(px));
        if (end == 1)
            std::reverse(p.begin(), p.end());
        return p;
    };

    // Ends meeting at each cluster, paired by continuity.
    std::vector<std::vector<int>> endsAt(size_t(std::max(1, tracer.ClusterCount())));
    for (size_t i = 0; i < segments.size(); ++i) {
        if (segments[i].removed)
            continue;
        for (int e = 0; e < 2; ++e) {
            if (segments[i].cluster[e] >= 0)
                endsAt[size_t(segments[i].cluster[e])].push_back(int(i) * 2 + e);
        }
    }
    for (const std::vector<int>& ends : endsAt) {
        if (ends.size() < 2)
            continue;
        std::vector<QPointF> directions;
        for (int end : ends) {
            const Segment& s = segments[size_t(end / 2)];
            directions.push_back(OutwardDirection(points(s, end % 2), s.width));
        }
        if (ends.size() > 2 && !options.joinBranches)
            continue;
        const double limit = ends.size() == 2 ? 60.0 : options.joinAngleDeg;
        struct Pair
        {
            double angle;
            size_t a, b;
        };
        std::vector<Pair> pairs;
        for (size_t a = 0; a < ends.size(); ++a) {
            for (size_t b = a + 1; b < ends.size(); ++b) {
                if (ends[a] / 2 == ends[b] / 2)
                    continue; // a loop back to the same junction
                const double angle = AngleDeg(directions[a], -directions[b]);
                if (angle <= limit
                    && SimilarWidth(segments[size_t(ends[a] / 2)].width, segments[size_t(ends[b] / 2)].width))
                    pairs.push_back({ angle, a, b });
            }
        }
        std::sort(pairs.begin(), pairs.end(), [](const Pair& x, const Pair& y) { return x.angle < y.angle; });
        std::vector<uint8_t> used(ends.size(), 0);
        for (const Pair& p : pairs) {
            if (used[p.a] || used[p.b])
                continue;
            used[p.a] = used[p.b] = 1;
            segments[size_t(ends[p.a] / 2)].link[ends[p.a] % 2] = ends[p.b];
            segments[size_t(ends[p.b] / 2)].link[ends[p.b] % 2] = ends[p.a];
        }
    }

    // Chains: follow the links from an unlinked end (or anywhere, for rings).
    std::vector<Chain> chains;
    std::vector<uint8_t> taken(segments.size(), 0);
    auto follow = [&](int startSegment, int startEnd) {
        Chain chain;
        std::vector<double> widths;
        int seg = startSegment;
        int end = startEnd; // the end we enter the segment from
        while (seg >= 0 && !taken[size_t(seg)]) {
            taken[size_t(seg)] = 1;
            const Segment& s = segments[size_t(seg)];
            std::vector<QPointF> p = points(s, end);
            chain.points.insert(chain.points.end(), p.begin(), p.end());
            widths.push_back(s.width);
            const int link = s.link[1 - end];
            if (link < 0)
                break;
            seg = link / 2;
            end = link % 2;
        }
        if (!widths.empty()) {
            std::nth_element(widths.begin(), widths.begin() + long(widths.size() / 2), widths.end());
            chain.widthPx = widths[widths.size() / 2];
        }
        return chain;
    };
    for (size_t i = 0; i < segments.size(); ++i) {
        if (segments[i].removed || taken[i])
            continue;
        for (int e = 0; e < 2; ++e) {
            if (segments[i].link[e] < 0 && !taken[i])
                chains.push_back(follow(int(i), e));
        }
    }
    for (size_t i = 0; i < segments.size(); ++i) {
        if (!segments[i].removed && !taken[i])
            chains.push_back(follow(int(i), 0));
    }

    // Collinear loose ends across a short gap (glare, a fading stretch) are one hair.
    struct EndInfo
    {
        QPointF at, direction;
        double width;
    };
    auto chainEnd = [](const Chain& c, int end) {
        std::vector<QPointF> p = c.points;
        if (end == 1)
            std::reverse(p.begin(), p.end());
        return EndInfo { p.front(), OutwardDirection(p, c.widthPx), c.widthPx };
    };
    struct Join
    {
        double cost;
        int a, b; // chain * 2 + end
    };
    std::vector<EndInfo> endInfos;
    endInfos.reserve(chains.size() * 2);
    for (const Chain& c : chains) {
        endInfos.push_back(chainEnd(c, 0));
        endInfos.push_back(chainEnd(c, 1));
    }
    std::vector<Join> joins;
    // Ends in a grid of gap-sized cells: only ends in neighbouring cells can join.
    const double cell = std::max(1.0, options.gapMaxPx);
    std::unordered_map<long long, std::vector<int>> grid;
    auto key = [](long long cx, long long cy) { return cx * 1000003LL + cy; };
    for (size_t e = 0; e < endInfos.size(); ++e) {
        const long long cx = (long long)std::floor(endInfos[e].at.x() / cell);
        const long long cy = (long long)std::floor(endInfos[e].at.y() / cell);
        grid[key(cx, cy)].push_back(int(e));
    }
    for (size_t ea = 0; ea < endInfos.size(); ++ea) {
        const EndInfo& a = endInfos[ea];
        const long long cx = (long long)std::floor(a.at.x() / cell);
        const long long cy = (long long)std::floor(a.at.y() / cell);
        for (long long gx = cx - 1; gx <= cx + 1; ++gx) {
            for (long long gy = cy - 1; gy <= cy + 1; ++gy) {
                const auto found = grid.find(key(gx, gy));
                if (found == grid.end())
                    continue;
                for (int eb : found->second) {
                    if (size_t(eb) / 2 <= ea / 2)
                        continue; // each pair once, never a chain with itself
                    const EndInfo& b = endInfos[size_t(eb)];
                    const QPointF gap = b.at - a.at;
                    const double distance = Norm(gap);
                    if (distance > options.gapMaxPx)
                        continue;
                    // Outward directions point away from each chain: a continues into b.
                    const double turn = AngleDeg(a.direction, -b.direction);
                    if (turn > 20.0 || !SimilarWidth(a.width, b.width))
                        continue;
                    // Each end must lie close to the other's line.
                    const QPointF na(-a.direction.y(), a.direction.x());
                    const QPointF nb(-b.direction.y(), b.direction.x());
                    const double lateral = std::max(std::abs(Dot(gap, na)), std::abs(Dot(gap, nb)));
                    if (lateral > std::max(3.0, 0.5 * std::min(a.width, b.width)))
                        continue;
                    joins.push_back({ distance + 0.5 * turn, int(ea), eb });
                }
            }
        }
    }
    if (!options.joinBranches)
        joins.clear();
    std::sort(joins.begin(), joins.end(), [](const Join& x, const Join& y) { return x.cost < y.cost; });
    std::vector<int> partner(chains.size() * 2, -1);
    UnionFind groups(int(std::max<size_t>(1, chains.size())));
    for (const Join& j : joins) {
        if (partner[size_t(j.a)] >= 0 || partner[size_t(j.b)] >= 0)
            continue;
        if (groups.Find(j.a / 2) == groups.Find(j.b / 2))
            continue;
        groups.Unite(j.a / 2, j.b / 2);
        partner[size_t(j.a)] = j.b;
        partner[size_t(j.b)] = j.a;
    }
    std::vector<Chain> joined;
    std::vector<uint8_t> used(chains.size(), 0);
    for (size_t i = 0; i < chains.size(); ++i) {
        if (used[i])
            continue;
        // Start from an end without partner (every group is a path).
        int startEnd = partner[i * 2] < 0 ? 0 : partner[i * 2 + 1] < 0 ? 1 : -1;
        if (startEnd < 0)
            continue; // reached from its group's first chain
        Chain result;
        double widthSum = 0.0;
        double lengthSum = 0.0;
        int c = int(i);
        int enter = startEnd;
        while (c >= 0 && !used[size_t(c)]) {
            used[size_t(c)] = 1;
            std::vector<QPointF> p = chains[size_t(c)].points;
            if (enter == 1)
                std::reverse(p.begin(), p.end());
            result.points.insert(result.points.end(), p.begin(), p.end());
            widthSum += chains[size_t(c)].widthPx * double(p.size());
            lengthSum += double(p.size());
            const int next = partner[size_t(c) * 2 + size_t(1 - enter)];
            if (next < 0)
                break;
            c = next / 2;
            enter = next % 2;
        }
        result.widthPx = lengthSum > 0 ? widthSum / lengthSum : 0.0;
        joined.push_back(std::move(result));
    }
    (void)centres;
    return joined;
}

} // namespace detection
