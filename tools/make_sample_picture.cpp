// Draws the bundled sample picture: a synthetic magnified scalp as seen through
// a dermatoscope, with a few hundred hairs, and writes beside it a JSON file
// with the true position, thickness and length of every hair, so that what an
// operator (or a test) measures on the picture can be checked against it.
//
// Usage: make_sample_picture OUTPUT_FOLDER
// Writes OUTPUT_FOLDER/sample-scalp.jpg and OUTPUT_FOLDER/sample-scalp-truth.json.
// The output depends only on the fixed seed, so every run gives the same bytes.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// What a picture looks like. The defaults draw the bundled sample; "--case N"
// varies them for the detection test set.
struct Setup
{
    int width = 2592;
    int height = 1944;
    double pixelsPerMm = 200; // the sample camera's Pp100MM is 20000
    int circleX0 = 2592 / 2;
    int circleY0 = 1944 / 2;
    int circleRadius = 900;
    quint32 seed = 20240314;
    int jpegQuality = 90;
    int follicleSites = 185;
    QString pictureName = QStringLiteral("sample-scalp.jpg");
    QString truthName = QStringLiteral("sample-scalp-truth.json");
    // Only the generated cases use the following; the sample keeps its look.
    bool variedCase = false;
    double skinShade = 1.0; // 1 light .. 0.45 dark
    double lightSlope = 0.0; // brightness change from the left to the right edge
    int glareSpots = 0;
    double grain = 2.5; // amplitude of the camera grain
    int extraSoften = 0; // further 1-2-1 passes (mild blur)
    double vellusOpacityLow = 0.55;
    double vellusOpacityHigh = 0.8;
    double strayShare = 0.0; // hairs growing against the stream (crossings)
    double leaveShare = 0.0; // hairs allowed to leave the picture
};

Setup g;

// Every random number comes from here, each call in a fixed order, so that
// the picture never changes between runs.
class Dice
{
public:
    explicit Dice(quint32 seed)
        : m_generator(seed)
    {
    }
    double Uniform(double low, double high) { return low + (high - low) * m_generator.generateDouble(); }
    int Between(int low, int high) { return low + int(m_generator.bounded(quint32(high - low + 1))); }
    bool Chance(double probability) { return m_generator.generateDouble() < probability; }
    double Sign() { return Chance(0.5) ? 1.0 : -1.0; }

private:
    QRandomGenerator m_generator;
};

// Smooth random field: random values on a coarse lattice, interpolated with a
// smoothstep. Several of these at different cell sizes make blotches and texture.
class ValueNoise
{
public:
    ValueNoise(Dice& dice, double cellSize)
        : m_cellSize(cellSize)
        , m_columns(int(g.width / cellSize) + 3)
        , m_rows(int(g.height / cellSize) + 3)
    {
        m_values.reserve(size_t(m_columns) * size_t(m_rows));
        for (int i = 0; i < m_columns * m_rows; ++i)
            m_values.push_back(float(dice.Uniform(-1.0, 1.0)));
    }

    // Value in -1..1 at picture position (x, y).
    double At(double x, double y) const
    {
        const double gx = x / m_cellSize;
        const double gy = y / m_cellSize;
        const int ix = std::clamp(int(gx), 0, m_columns - 2);
        const int iy = std::clamp(int(gy), 0, m_rows - 2);
        const double fx = Smooth(gx - ix);
        const double fy = Smooth(gy - iy);
        const double top = Lerp(Value(ix, iy), Value(ix + 1, iy), fx);
        const double bottom = Lerp(Value(ix, iy + 1), Value(ix + 1, iy + 1), fx);
        return Lerp(top, bottom, fy);
    }

private:
    static double Smooth(double t) { return t * t * (3.0 - 2.0 * t); }
    static double Lerp(double a, double b, double t) { return a + (b - a) * t; }
    double Value(int column, int row) const { return m_values[size_t(row) * size_t(m_columns) + size_t(column)]; }

    double m_cellSize;
    int m_columns;
    int m_rows;
    std::vector<float> m_values;
};

struct Hair
{
    int id = 0;
    int unit = 0; // follicular unit number, 0 for a hair on its own
    QPointF opening; // centre of the follicle opening the hair grows from
    bool vellus = false;
    bool curved = false;
    double thickness = 0.0; // pixels
    QPointF points[4]; // start, two controls, end; a straight hair uses points[0] and points[3]
    double length = 0.0; // pixels along the hair
    QColor colour;
    double opacity = 1.0;
};

struct FollicleSite
{
    QPointF centre;
    double radius = 0.0;
    int hairCount = 0;
};

double Clamp255(double v)
{
    return std::clamp(v, 0.0, 255.0);
}

QColor Blend(const QColor& a, const QColor& b, double share)
{
    return QColor(int(a.red() + share * (b.red() - a.red())), int(a.green() + share * (b.green() - a.green())),
        int(a.blue() + share * (b.blue() - a.blue())));
}

QPointF BezierPoint(const QPointF p[4], double t)
{
    const double u = 1.0 - t;
    return u * u * u * p[0] + 3.0 * u * u * t * p[1] + 3.0 * u * t * t * p[2] + t * t * t * p[3];
}

QPointF BezierTangent(const QPointF p[4], double t)
{
    const double u = 1.0 - t;
    return 3.0 * u * u * (p[1] - p[0]) + 6.0 * u * t * (p[2] - p[1]) + 3.0 * t * t * (p[3] - p[2]);
}

double Norm(const QPointF& v)
{
    return std::hypot(v.x(), v.y());
}

// Arc length of the cubic by composite Simpson integration of the speed; 1024
// intervals are far more than these gentle curves need for 0.01 px.
double BezierLength(const QPointF p[4])
{
    constexpr int intervals = 1024;
    const double h = 1.0 / intervals;
    double sum = Norm(BezierTangent(p, 0.0)) + Norm(BezierTangent(p, 1.0));
    for (int i = 1; i < intervals; ++i)
        sum += (i % 2 ? 4.0 : 2.0) * Norm(BezierTangent(p, i * h));
    return sum * h / 3.0;
}

double HairLength(const Hair& hair)
{
    return hair.curved ? BezierLength(hair.points) : Norm(hair.points[3] - hair.points[0]);
}

// Points along the hair, close enough together to draw the sheen as a polyline.
std::vector<QPointF> SampleHair(const Hair& hair)
{
    const int count = std::max(12, int(hair.length / 6.0));
    std::vector<QPointF> samples;
    samples.reserve(size_t(count) + 1);
    for (int i = 0; i <= count; ++i) {
        const double t = double(i) / count;
        samples.push_back(
            hair.curved ? BezierPoint(hair.points, t) : hair.points[0] + t * (hair.points[3] - hair.points[0]));
    }
    return samples;
}

bool InsideCircle(const QPointF& p)
{
    const double dx = p.x() - g.circleX0;
    const double dy = p.y() - g.circleY0;
    return dx * dx + dy * dy <= double(g.circleRadius) * g.circleRadius;
}

// Control points are kept to 0.1 px so that the truth file, which writes one
// decimal, states exactly the curve that was drawn.
QPointF Tenth(const QPointF& p)
{
    return { std::round(p.x() * 10.0) / 10.0, std::round(p.y() * 10.0) / 10.0 };
}

// Direction in which the hairs around (x, y) grow: one main direction that
// turns slowly across the picture, as hair streams do on the scalp.
double FlowAngle(const ValueNoise& flow, const QPointF& p)
{
    return 0.35 + 0.55 * flow.At(p.x(), p.y());
}

// Scatters follicle openings with a minimum spacing, then gives each one, one
// to three hairs (two or three make a follicular unit).
std::vector<FollicleSite> PlaceFollicles(Dice& dice)
{
    std::vector<FollicleSite> sites;
    const double unit = g.pixelsPerMm / 200.0; // 1 for the sample
    const double minSpacing = 62.0 * unit;
    const double margin = 40.0 * unit;
    int attempts = 0;
    while (int(sites.size()) < g.follicleSites && attempts < 200000) {
        ++attempts;
        const double x = dice.Uniform(margin, g.width - margin);
        const double y = dice.Uniform(margin, g.height - margin);
        const QPointF candidate(x, y);
        const bool crowded = std::any_of(
            sites.begin(), sites.end(), [&](const FollicleSite& s) { return Norm(s.centre - candidate) < minSpacing; });
        if (crowded)
            continue;
        FollicleSite site;
        site.centre = Tenth(candidate);
        const double roll = dice.Uniform(0.0, 1.0);
        site.hairCount = roll < 0.58 ? 1 : roll < 0.88 ? 2 : 3;
        site.radius = (dice.Uniform(11.0, 17.0) + 3.0 * site.hairCount) * unit;
        sites.push_back(site);
    }
    return sites;
}

bool InsidePicture(const QPointF& p)
{
    return p.x() >= 0 && p.y() >= 0 && p.x() <= g.width && p.y() <= g.height;
}

bool HairFitsPicture(const Hair& hair)
{
    const double border = hair.thickness / 2.0 + 6.0;
    const std::vector<QPointF> samples = SampleHair(hair);
    return std::all_of(samples.begin(), samples.end(), [&](const QPointF& p) {
        return p.x() >= border && p.y() >= border && p.x() <= g.width - border && p.y() <= g.height - border;
    });
}

// Terminal hairs brown to near-black, vellus hairs pale and greyish blond.
QColor HairColour(Dice& dice, bool vellus)
{
    const double hue = vellus ? dice.Uniform(22.0, 38.0) : dice.Uniform(14.0, 32.0);
    const double saturation = vellus ? dice.Uniform(0.22, 0.42) : dice.Uniform(0.42, 0.75);
    const double value
        = (vellus ? dice.Uniform(0.55, 0.78) : dice.Uniform(0.10, 0.34)) * (g.variedCase ? g.skinShade : 1.0);
    return QColor::fromHsvF(float(hue / 360.0), float(saturation), float(value));
}

// Shapes one hair from its root in the given direction. A hair that would
// leave the picture is tried again shorter and a little turned; std::nullopt
// when twenty tries all leave it.
std::optional<Hair> GrowHair(Dice& dice, const QPointF& root, double baseAngle, bool vellus)
{
    Hair hair;
    hair.vellus = vellus;
    if (g.variedCase) {
        // Thickness in micrometres, drawn to a tenth of a pixel.
        const double um = vellus ? dice.Uniform(18.0, 38.0) : dice.Uniform(50.0, 110.0);
        hair.thickness = std::round(um * g.pixelsPerMm / 100.0) / 10.0;
    } else {
        hair.thickness = vellus ? dice.Between(4, 8) : dice.Between(12, 20);
    }
    hair.colour = HairColour(dice, vellus);
    hair.opacity = vellus ? dice.Uniform(g.vellusOpacityLow, g.vellusOpacityHigh) : 1.0;
    const double u = dice.Uniform(0.0, 1.0);
    const double chordMm = vellus ? 0.7 + 1.3 * u : 1.0 + 3.4 * std::pow(u, 1.7);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const double angle = baseAngle + 0.06 * attempt * dice.Uniform(-1.0, 1.0);
        const double chord = std::max(0.8, chordMm * (1.0 - 0.06 * attempt)) * g.pixelsPerMm;
        const QPointF along(std::cos(angle), std::sin(angle));
        const QPointF across(-along.y(), along.x());
        hair.curved = dice.Chance(vellus ? 0.85 : 0.62);
        hair.points[0] = root;
        hair.points[3] = Tenth(root + chord * along);
        if (hair.curved) {
            const double side = dice.Sign();
            const double bend1 = side * chord * dice.Uniform(0.04, 0.24);
            const double bend2 = (dice.Chance(0.25) ? -side : side) * chord * dice.Uniform(0.03, 0.22);
            const double t1 = dice.Uniform(0.22, 0.42);
            const double t2 = dice.Uniform(0.58, 0.80);
            hair.points[1] = Tenth(root + t1 * chord * along + bend1 * across);
            hair.points[2] = Tenth(root + t2 * chord * along + bend2 * across);
        } else {
            hair.points[1] = hair.points[0];
            hair.points[2] = hair.points[3];
        }
        hair.length = HairLength(hair);
        if (HairFitsPicture(hair))
            return hair;
        // In the varied cases some hairs run out of the picture.
        if (g.variedCase && InsidePicture(root) && dice.Chance(g.leaveShare))
            return hair;
    }
    return std::nullopt;
}

std::vector<Hair> GrowHairs(Dice& dice, const std::vector<FollicleSite>& sites, const ValueNoise& flow)
{
    std::vector<Hair> hairs;
    int unitNumber = 0;
    for (const FollicleSite& site : sites) {
        // A stray hair grows in its own direction and crosses its neighbours.
        const double streamAngle
            = g.variedCase && dice.Chance(g.strayShare) ? dice.Uniform(0.0, 2.0 * kPi) : FlowAngle(flow, site.centre);
        const bool inUnit = site.hairCount > 1;
        const bool vellusSite = !inUnit && dice.Chance(0.40);
        std::vector<Hair> grown;
        for (int k = 0; k < site.hairCount; ++k) {
            // Hairs of one unit leave the opening side by side and fan out a little.
            const double fan = inUnit ? (k - (site.hairCount - 1) / 2.0) * dice.Uniform(0.14, 0.32) : 0.0;
            const double jitter = dice.Uniform(-0.28, 0.28);
            const double offsetAngle = dice.Uniform(0.0, 2.0 * kPi);
            const double offset = inUnit ? dice.Uniform(0.15, 0.45) * site.radius : 0.0;
            const QPointF root = Tenth(site.centre + offset * QPointF(std::cos(offsetAngle), std::sin(offsetAngle)));
            if (std::optional<Hair> hair = GrowHair(dice, root, streamAngle + fan + jitter, vellusSite))
                grown.push_back(*hair);
        }
        const bool unit = grown.size() > 1;
        if (unit)
            ++unitNumber;
        for (Hair& hair : grown) {
            hair.unit = unit ? unitNumber : 0;
            hair.opening = site.centre;
            hair.id = int(hairs.size()) + 1;
            hairs.push_back(hair);
        }
    }
    return hairs;
}

// Skin: warm base tone, large reddish and pale blotches, a faint network of
// skin furrows and fine mottling.
void PaintSkin(QImage& image, Dice& dice)
{
    const ValueNoise blotches(dice, 520.0);
    const ValueNoise redness(dice, 230.0);
    const ValueNoise mottling(dice, 38.0);
    const ValueNoise furrowsWide(dice, 95.0);
    const ValueNoise furrowsFine(dice, 47.0);
    const ValueNoise grain(dice, 7.0);
    for (int y = 0; y < g.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < g.width; ++x) {
            const double b = blotches.At(x, y);
            const double r = redness.At(x, y);
            const double m = mottling.At(x, y);
            const double furrow = std::pow(1.0 - std::abs(furrowsWide.At(x, y)), 10.0)
                + 0.6 * std::pow(1.0 - std::abs(furrowsFine.At(x, y)), 12.0);
            const double light = 1.0 + 0.07 * b + 0.03 * m - 0.025 * furrow + 0.018 * grain.At(x, y);
            const double red = (216.0 + 12.0 * r) * light * g.skinShade;
            const double green = (170.0 - 9.0 * r) * light * std::pow(g.skinShade, 1.15);
            const double blue = (150.0 - 7.0 * r + 4.0 * b) * light * std::pow(g.skinShade, 1.25);
            line[x] = qRgb(int(Clamp255(red)), int(Clamp255(green)), int(Clamp255(blue)));
        }
    }
}

// Fine red vessels shimmering through the skin, each a wandering thin line
// that sometimes forks.
void PaintVessels(QPainter& painter, Dice& dice)
{
    for (int v = 0; v < 16; ++v) {
        const double x = dice.Uniform(0.0, g.width);
        const double y = dice.Uniform(0.0, g.height);
        double angle = dice.Uniform(0.0, 2.0 * kPi);
        const double width = dice.Uniform(1.4, 2.8);
        const int alpha = dice.Between(30, 65);
        const int steps = dice.Between(18, 55);
        QPointF point(x, y);
        QPainterPath path(point);
        QPainterPath branches;
        for (int i = 0; i < steps; ++i) {
            angle += dice.Uniform(-0.45, 0.45);
            point += dice.Uniform(7.0, 13.0) * QPointF(std::cos(angle), std::sin(angle));
            path.lineTo(point);
            if (dice.Chance(0.06)) {
                double branchAngle = angle + dice.Sign() * dice.Uniform(0.5, 1.1);
                QPointF tip = point;
                branches.moveTo(tip);
                const int branchSteps = dice.Between(5, 14);
                for (int j = 0; j < branchSteps; ++j) {
                    branchAngle += dice.Uniform(-0.4, 0.4);
                    tip += dice.Uniform(6.0, 11.0) * QPointF(std::cos(branchAngle), std::sin(branchAngle));
                    branches.lineTo(tip);
                }
            }
        }
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(185, 60, 62, alpha), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(path);
        painter.setPen(
            QPen(QColor(185, 60, 62, alpha * 2 / 3), width * 0.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(branches);
    }
}

// Openings without a visible hair, scattered like pores and empty follicles.
void PaintEmptyOpenings(QPainter& painter, Dice& dice, const std::vector<FollicleSite>& sites)
{
    int painted = 0;
    for (int attempt = 0; attempt < 4000 && painted < 45; ++attempt) {
        const double x = dice.Uniform(20.0, g.width - 20.0);
        const double y = dice.Uniform(20.0, g.height - 20.0);
        const QPointF centre(x, y);
        const bool crowded = std::any_of(
            sites.begin(), sites.end(), [&](const FollicleSite& s) { return Norm(s.centre - centre) < 50.0; });
        if (crowded)
            continue;
        const double radius = dice.Uniform(7.0, 15.0);
        const int alpha = dice.Between(50, 95);
        QRadialGradient gradient(centre, radius);
        gradient.setColorAt(0.0, QColor(150, 95, 80, alpha));
        gradient.setColorAt(0.6, QColor(165, 110, 92, alpha / 2));
        gradient.setColorAt(1.0, QColor(180, 125, 105, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawEllipse(centre, radius, radius);
        ++painted;
    }
}

// The opening a hair grows from: a soft darker dimple with a pale rim.
void PaintFollicle(QPainter& painter, const FollicleSite& site)
{
    QRadialGradient gradient(site.centre, site.radius * 1.6);
    gradient.setColorAt(0.0, QColor(120, 72, 60, 120));
    gradient.setColorAt(0.45, QColor(150, 95, 80, 70));
    gradient.setColorAt(0.75, QColor(235, 200, 180, 40));
    gradient.setColorAt(1.0, QColor(235, 200, 180, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawEllipse(site.centre, site.radius * 1.6, site.radius * 1.6);
}

QPainterPath HairPath(const Hair& hair)
{
    QPainterPath path(hair.points[0]);
    if (hair.curved)
        path.cubicTo(hair.points[1], hair.points[2], hair.points[3]);
    else
        path.lineTo(hair.points[3]);
    return path;
}

// Offset of the samples to one side of the hair, for the highlight along it.
std::vector<QPointF> OffsetSamples(const std::vector<QPointF>& samples, double distance)
{
    std::vector<QPointF> result;
    result.reserve(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        const QPointF before = samples[i == 0 ? 0 : i - 1];
        const QPointF after = samples[std::min(i + 1, samples.size() - 1)];
        const QPointF d = after - before;
        const double n = std::max(1e-9, Norm(d));
        result.push_back(samples[i] + distance * QPointF(-d.y() / n, d.x() / n));
    }
    return result;
}

// A hair: faint shadow, dark rim, lighter core and a sheen on the lit side
// that comes and goes along the shaft. The ends are cut flat so that the drawn
// hair is exactly as long as its curve.
void PaintHair(QPainter& painter, Dice& dice, const Hair& hair)
{
    const QPainterPath path = HairPath(hair);
    const double w = hair.thickness;
    painter.setBrush(Qt::NoBrush);
    painter.setOpacity(hair.opacity);

    QColor shadow(90, 50, 40, hair.vellus ? 15 : 28);
    painter.setPen(QPen(shadow, w + 4.0, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawPath(path.translated(1.0, 1.5));

    painter.setPen(QPen(hair.colour.darker(118), w, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.setPen(QPen(hair.colour, w * 0.7, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawPath(path);

    const std::vector<QPointF> sheen = OffsetSamples(SampleHair(hair), -0.2 * w);
    const double phase = dice.Uniform(0.0, 2.0 * kPi);
    const double period = dice.Uniform(6.0, 14.0);
    const QColor shine = Blend(hair.colour, QColor(235, 215, 195), hair.vellus ? 0.25 : 0.45);
    constexpr size_t piece = 3;
    for (size_t start = 0; start + 1 < sheen.size(); start += piece) {
        const size_t end = std::min(start + piece, sheen.size() - 1);
        const double wave = 0.5 + 0.5 * std::sin(phase + double(start) / double(period));
        QColor colour = shine;
        colour.setAlpha(int(20 + 110 * wave * wave));
        painter.setPen(QPen(colour, std::max(1.0, w * 0.13), Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        painter.drawPolyline(&sheen[start], int(end - start + 1));
    }

    // Where the hair leaves the skin, the shaft is seen through a thin layer of it.
    QRadialGradient fade(hair.points[0], w * 1.3);
    fade.setColorAt(0.0, QColor(160, 105, 90, 80));
    fade.setColorAt(1.0, QColor(160, 105, 90, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fade);
    painter.drawEllipse(hair.points[0], w * 1.3, w * 1.3);
    painter.setOpacity(1.0);
}

// Light falls off towards the edges of the dermatoscope's field, and the
// camera adds a little grain to everything.
void PaintLensAndGrain(QImage& image, Dice& dice)
{
    const double halfDiagonal = std::hypot(g.width / 2.0, g.height / 2.0);
    for (int y = 0; y < g.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < g.width; ++x) {
            const double d = std::hypot(x - g.width / 2.0, y - g.height / 2.0) / halfDiagonal;
            const double light = (1.05 - 0.42 * std::pow(d, 2.4)) * (1.0 + g.lightSlope * (double(x) / g.width - 0.5));
            // Drawn one by one: the order of calls must not be left to the compiler.
            const double grain = dice.Uniform(-g.grain, g.grain);
            const double redGrain = grain + dice.Uniform(-1.0, 1.0);
            const double blueGrain = grain + dice.Uniform(-1.0, 1.0);
            const QRgb c = line[x];
            line[x] = qRgb(int(Clamp255(qRed(c) * light + redGrain)), int(Clamp255(qGreen(c) * light + grain)),
                int(Clamp255(qBlue(c) * light + blueGrain)));
        }
    }
}

// Bright reflections of the dermatoscope's light, some of them on hairs.
void PaintGlare(QPainter& painter, Dice& dice, const std::vector<Hair>& hairs)
{
    for (int i = 0; i < g.glareSpots; ++i) {
        QPointF centre(dice.Uniform(0.0, g.width), dice.Uniform(0.0, g.height));
        if (!hairs.empty() && dice.Chance(0.6)) {
            const Hair& hair = hairs[size_t(dice.Between(0, int(hairs.size()) - 1))];
            const double t = dice.Uniform(0.2, 0.8);
            centre = hair.curved ? BezierPoint(hair.points, t) : hair.points[0] + t * (hair.points[3] - hair.points[0]);
        }
        const double radius = dice.Uniform(0.02, 0.07) * g.pixelsPerMm;
        QRadialGradient gradient(centre, radius);
        gradient.setColorAt(0.0, QColor(255, 252, 245, 235));
        gradient.setColorAt(0.5, QColor(255, 250, 240, 150));
        gradient.setColorAt(1.0, QColor(255, 250, 240, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawEllipse(centre, radius, radius * dice.Uniform(0.6, 1.0));
    }
}

// A light 1-2-1 blur in both directions, as the camera's optics soften every edge.
void Soften(QImage& image)
{
    std::vector<QRgb> row(size_t(std::max(g.width, g.height)));
    auto mix = [](QRgb a, QRgb b, QRgb c) {
        return qRgb((qRed(a) + 2 * qRed(b) + qRed(c) + 2) / 4, (qGreen(a) + 2 * qGreen(b) + qGreen(c) + 2) / 4,
            (qBlue(a) + 2 * qBlue(b) + qBlue(c) + 2) / 4);
    };
    for (int y = 0; y < g.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::copy(line, line + g.width, row.begin());
        for (int x = 1; x + 1 < g.width; ++x)
            line[x] = mix(row[size_t(x) - 1], row[size_t(x)], row[size_t(x) + 1]);
    }
    for (int x = 0; x < g.width; ++x) {
        for (int y = 0; y < g.height; ++y)
            row[size_t(y)] = reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
        for (int y = 1; y + 1 < g.height; ++y)
            reinterpret_cast<QRgb*>(image.scanLine(y))[x] = mix(row[size_t(y) - 1], row[size_t(y)], row[size_t(y) + 1]);
    }
}

QString Number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString PointText(const QPointF& p)
{
    return QStringLiteral("[%1, %2]").arg(Number(p.x(), 1), Number(p.y(), 1));
}

QString TruthJson(const std::vector<Hair>& hairs)
{
    const auto vellus = std::count_if(hairs.begin(), hairs.end(), [](const Hair& h) { return h.vellus; });
    const auto inside
        = std::count_if(hairs.begin(), hairs.end(), [](const Hair& h) { return InsideCircle(h.points[0]); });
    const auto vellusInside = std::count_if(
        hairs.begin(), hairs.end(), [](const Hair& h) { return h.vellus && InsideCircle(h.points[0]); });
    const auto inUnits = std::count_if(hairs.begin(), hairs.end(), [](const Hair& h) { return h.unit != 0; });
    const int units
        = hairs.empty() ? 0 : std::max_element(hairs.begin(), hairs.end(), [](const Hair& a, const Hair& b) {
              return a.unit < b.unit;
          })->unit;

    QStringList unitLines;
    int unitsInside = 0;
    for (int unit = 1; unit <= units; ++unit) {
        QStringList ids;
        QPointF centre;
        for (const Hair& hair : hairs) {
            if (hair.unit == unit) {
                ids << QString::number(hair.id);
                centre = hair.opening;
            }
        }
        const bool centreInside = InsideCircle(centre);
        unitsInside += centreInside ? 1 : 0;
        unitLines << QStringLiteral("    {\"id\": %1, \"centre\": %2, \"hairs\": [%3], \"centreInsideCircle\": %4}")
                         .arg(unit)
                         .arg(PointText(centre), ids.join(", "), centreInside ? "true" : "false");
    }

    QStringList hairLines;
    for (const Hair& hair : hairs) {
        QStringList points;
        points << PointText(hair.points[0]);
        if (hair.curved)
            points << PointText(hair.points[1]) << PointText(hair.points[2]);
        points << PointText(hair.points[3]);
        hairLines << QStringLiteral("    {\"id\": %1, \"follicularUnit\": %2, \"kind\": \"%3\", \"shape\": \"%4\", "
                                    "\"thicknessPx\": %5, \"thicknessUm\": %6, \"points\": [%7], "
                                    "\"lengthPx\": %8, \"lengthMm\": %9, \"rootInsideCircle\": %10}")
                         .arg(hair.id)
                         .arg(hair.unit ? QString::number(hair.unit) : QStringLiteral("null"))
                         .arg(hair.vellus ? "vellus" : "terminal", hair.curved ? "curve" : "straight")
                         .arg(hair.thickness)
                         .arg(std::round(hair.thickness * 10000 / g.pixelsPerMm) / 10.0)
                         .arg(points.join(", "), Number(hair.length, 2), Number(hair.length / g.pixelsPerMm, 4))
                         .arg(InsideCircle(hair.points[0]) ? "true" : "false");
    }

    QString json;
    QTextStream out(&json);
    out << "{\n";
    out << "  \"picture\": {\"file\": \"" << g.pictureName << "\", \"width\": " << g.width
        << ", \"height\": " << g.height << "},\n";
    out << "  \"pixelsPerMm\": " << g.pixelsPerMm << ",\n";
    out << "  \"pp100mm\": " << g.pixelsPerMm * 100 << ",\n";
    out << "  \"exclusionCircle\": {\"x0\": " << g.circleX0 << ", \"y0\": " << g.circleY0
        << ", \"radius\": " << g.circleRadius << "},\n";
    out << "  \"vellusMaxUm\": 40,\n";
    out << "  \"summary\": {\"hairs\": " << hairs.size() << ", \"terminal\": " << hairs.size() - size_t(vellus)
        << ", \"vellus\": " << vellus << ", \"follicularUnits\": " << units
        << ", \"hairsInFollicularUnits\": " << inUnits << ", \"hairsInsideCircle\": " << inside
        << ", \"vellusInsideCircle\": " << vellusInside << ", \"terminalInsideCircle\": " << inside - vellusInside
        << ", \"follicularUnitsInsideCircle\": " << unitsInside << "},\n";
    out << "  \"follicularUnits\": [\n" << unitLines.join(",\n") << "\n  ],\n";
    out << "  \"hairs\": [\n" << hairLines.join(",\n") << "\n  ]\n";
    out << "}\n";
    out.flush();
    return json;
}

bool WriteText(const QString& path, const QString& text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text.toUtf8());
    return file.commit();
}

// A varied case: its own size, calibration, skin, light, glare, blur and noise,
// all following from the case number.
void ChooseCase(uint number)
{
    Dice dice(0x5eed0000u + number * 7919u);
    g.variedCase = true;
    g.seed = 0xca5e0000u + number;
    g.width = 4 * dice.Between(280, 400);
    g.height = g.width * 3 / 4;
    g.pixelsPerMm = std::round(dice.Uniform(100.0, 200.0));
    g.circleX0 = g.width / 2;
    g.circleY0 = g.height / 2;
    g.circleRadius = int(0.45 * g.height);
    const double areaMm2 = g.width * g.height / (g.pixelsPerMm * g.pixelsPerMm);
    g.follicleSites = int(std::round(areaMm2 * dice.Uniform(1.0, 1.6)));
    g.jpegQuality = dice.Between(80, 95);
    g.skinShade = dice.Uniform(0.5, 1.0);
    g.lightSlope = dice.Uniform(-0.35, 0.35);
    g.glareSpots = dice.Between(2, 8);
    g.grain = dice.Uniform(2.0, 5.0);
    g.extraSoften = dice.Between(0, 2);
    g.vellusOpacityLow = 0.45;
    g.vellusOpacityHigh = 0.8;
    g.strayShare = 0.15;
    g.leaveShare = 0.5;
    g.pictureName = QStringLiteral("case-%1.jpg").arg(number);
    g.truthName = QStringLiteral("case-%1-truth.json").arg(number);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const bool variedCase = argc == 4 && std::string_view(argv[1]) == "--case";
    if (argc != 2 && !variedCase) {
        std::fprintf(stderr,
            "usage: make_sample_picture OUTPUT_FOLDER\n"
            "       make_sample_picture --case NUMBER OUTPUT_FOLDER\n");
        return 2;
    }
    if (variedCase) {
        bool ok = false;
        const uint number = QString::fromLocal8Bit(argv[2]).toUInt(&ok);
        if (!ok) {
            std::fprintf(stderr, "make_sample_picture: %s is no case number\n", argv[2]);
            return 2;
        }
        ChooseCase(number);
    }
    const QDir folder(QString::fromLocal8Bit(argv[argc - 1]));
    if (!folder.exists()) {
        std::fprintf(stderr, "make_sample_picture: folder %s does not exist\n", argv[argc - 1]);
        return 1;
    }

    Dice dice(g.seed);
    QImage image(g.width, g.height, QImage::Format_RGB32);
    PaintSkin(image, dice);

    const ValueNoise flow(dice, 1100.0);
    const std::vector<FollicleSite> sites = PlaceFollicles(dice);
    const std::vector<Hair> hairs = GrowHairs(dice, sites, flow);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, true);
        PaintVessels(painter, dice);
        PaintEmptyOpenings(painter, dice, sites);
        for (const FollicleSite& site : sites)
            PaintFollicle(painter, site);
        for (const Hair& hair : hairs)
            PaintHair(painter, dice, hair);
        PaintGlare(painter, dice, hairs);
    }
    Soften(image);
    for (int pass = 0; pass < g.extraSoften; ++pass)
        Soften(image);
    PaintLensAndGrain(image, dice);

    const QImage picture = image.convertToFormat(QImage::Format_RGB888);
    const QString picturePath = folder.filePath(g.pictureName);
    QSaveFile pictureFile(picturePath);
    if (!pictureFile.open(QIODevice::WriteOnly) || !picture.save(&pictureFile, "JPG", g.jpegQuality)
        || !pictureFile.commit()) {
        std::fprintf(
            stderr, "make_sample_picture: cannot write %s (is Qt's JPEG plugin installed?)\n", qPrintable(picturePath));
        return 1;
    }
    const QString truthPath = folder.filePath(g.truthName);
    if (!WriteText(truthPath, TruthJson(hairs))) {
        std::fprintf(stderr, "make_sample_picture: cannot write %s\n", qPrintable(truthPath));
        return 1;
    }
    std::printf("%s: %d hairs\n", qPrintable(picturePath), int(hairs.size()));
    return 0;
}
