#include "canvas/DxfExport.h"

#include "canvas/TMyCAD.h"
#include "canvas/TMyElliArc.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyPolyBezier.h"
#include "canvas/TMyRectangle.h"
#include "common/Cp1252.h"
#include "common/NumberText.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainterPath>
#include <QSaveFile>
#include <QTransform>

#include <cmath>
#include <typeinfo>

namespace {

// An angle in radians as DXF degrees in [0, 360).
double Degrees(double radians)
{
    const double d = std::fmod(radians * 180.0 / M_PI, 360.0);
    return d < 0 ? d + 360.0 : d;
}

// Logical pixels per millimetre at 96 pixels per inch.
constexpr double kPixelsPerMm = 96.0 / 25.4;
// Bounds the points of one exported curve, whatever the coordinates of a damaged file.
constexpr int kMaxCurvePoints = 10000;

class DxfWriter
{
public:
    explicit DxfWriter(double height)
        : m_height(height)
    {
    }

    void Pair(int code, const QString& value)
    {
        m_text += QByteArray::number(code) + "\r\n" + Cp1252::Encode(value) + "\r\n";
    }
    void Number(int code, double value) { Pair(code, NumberText::General(value, QLatin1Char('.'))); }
    void Zero(int code) { Pair(code, QStringLiteral("0.0")); }
    // Starts an entity with its handle and layer.
    void Entity(const char* type)
    {
        Pair(0, QString::fromLatin1(type));
        Pair(5, QString::number(m_handle++));
        Pair(8, QStringLiteral("0"));
    }
    double X(double x) const { return x / kPixelsPerMm; }
    double Y(double y) const { return (m_height - y) / kPixelsPerMm; }
    void Point(int code, double x, double y)
    {
        Number(code, X(x));
        Number(code + 10, Y(y));
        Zero(code + 20);
    }
    void Line(TMyPoint a, TMyPoint b)
    {
        Entity("LINE");
        Point(10, a.x, a.y);
        Point(11, b.x, b.y);
    }
    void Polyline(const std::vector<QPointF>& points, int vertexFlag = -1)
    {
        Entity("POLYLINE");
        Pair(66, QStringLiteral("1"));
        Zero(10);
        Zero(20);
        Zero(30);
        Pair(70, QStringLiteral("1"));
        for (const QPointF& p : points) {
            Entity("VERTEX");
            Point(10, p.x(), p.y());
            if (vertexFlag >= 0)
                Pair(70, QString::number(vertexFlag));
        }
        Entity("SEQEND");
    }
    void Circle(double cx, double cy, double radius)
    {
        Entity("CIRCLE");
        Point(10, cx, cy);
        Number(40, radius / kPixelsPerMm);
    }
    QByteArray& Text() { return m_text; }

private:
    double m_height;
    int m_handle = 20;
    QByteArray m_text;
};

std::vector<QPointF> NodePoints(const TMyShape& shape)
{
    std::vector<QPointF> points;
    for (const TMyPoint& p : shape.Nodes())
        points.emplace_back(p.x, p.y);
    return points;
}

double Distance(TMyPoint a, TMyPoint b)
{
    return std::hypot(double(a.x) - b.x, double(a.y) - b.y);
}

void WriteEllipse(DxfWriter& out, const TMyShape& shape)
{
    const auto& n = shape.Nodes();
    if (n.size() != 4)
        return;
    // Half axes of the unrotated box: the node edges keep their lengths when turned.
    const double a = Distance(n[0], n[1]) / 2.0;
    const double b = Distance(n[1], n[2]) / 2.0;
    const TMyPoint c = shape.BoxCenter();
    if (std::abs(a - b) < 0.5) {
        out.Circle(c.x, c.y, a);
        return;
    }
    QTransform turn;
    turn.translate(c.x, c.y);
    turn.rotateRadians(shape.Angle());
    std::vector<QPointF> points;
    for (int i = 0; i <= 72; ++i) {
        const double u = i * M_PI / 36.0;
        points.push_back(turn.map(QPointF(a * std::sin(u), b * std::cos(u))));
    }
    out.Polyline(points, 32);
}

void WriteBezier(DxfWriter& out, const TMyShape& shape)
{
    const auto& n = shape.Nodes();
    if (n.size() < 3)
        return;
    const double p0x = n[0].x, p0y = n[0].y;
    const double kx = n[0].x - 2.0 * n[1].x + 2.0 * n[2].x;
    const double ky = n[0].y - 2.0 * n[1].y + 2.0 * n[2].y;
    const double lx = 2.0 * n[1].x - 2.0 * n[0].x;
    const double ly = 2.0 * n[1].y - 2.0 * n[0].y;
    const double steps = std::nearbyint(std::sqrt(std::sqrt(kx * kx + ky * ky) * 100.0));
    const int m = std::isfinite(steps) ? static_cast<int>(std::clamp(steps, 1.0, double(kMaxCurvePoints))) : 1;
    std::vector<QPointF> points;
    for (int i = 1; i <= m + 1; ++i) {
        const double t = double(i) / m;
        const double d = t * t + 1.0;
        points.emplace_back(CanvasMath::RoundToInt((t * t * kx + t * lx + p0x) / d),
            CanvasMath::RoundToInt((t * t * ky + t * ly + p0y) / d));
    }
    out.Polyline(points);
}

void WriteArc(DxfWriter& out, const TMyElliArc& arc)
{
    TMyElliArc::Circle circle;
    if (!arc.CircleThroughNodes(circle)) {
        if (arc.Nodes().size() == 3)
            out.Line(arc.Nodes()[0], arc.Nodes()[2]);
        return;
    }
    // With y pointing up the angles change sign; DXF arcs run counter-clockwise.
    double from = -(circle.startAngle + circle.sweep);
    double to = -circle.startAngle;
    if (circle.sweep < 0)
        std::swap(from, to);
    out.Entity("ARC");
    out.Point(10, circle.cx, circle.cy);
    out.Number(40, circle.radius / kPixelsPerMm);
    out.Number(50, Degrees(from));
    out.Number(51, Degrees(to));
}

bool WriteTextOutlines(DxfWriter& out, const TMyText& text, QString* error)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        if (error != nullptr)
            *error = QStringLiteral("text outlines need the font engine (a GUI application object)");
        return false;
    }
    const auto& n = text.Nodes();
    if (n.size() != 4 || text.Info().isEmpty())
        return true;
    const double height = std::abs(double(n[3].y) - n[0].y);
    if (!(height >= 1.0) || !std::isfinite(height))
        return true;
    QFont font(text.Font().name);
    font.setPixelSize(std::max(1, CanvasMath::RoundToInt(std::min(height, 10000.0))));
    font.setBold(text.Font().style & fsBold);
    font.setItalic(text.Font().style & fsItalic);
    QPainterPath path;
    path.addText(QPointF(0, 0), font, text.Info());
    // The baseline starts at the bottom-left corner, turned with the shape.
    QTransform place;
    place.translate(n[3].x, n[3].y);
    place.rotateRadians(text.Angle());
    for (const QPolygonF& outline : path.toSubpathPolygons(place)) {
        std::vector<QPointF> points(outline.begin(), outline.end());
        if (points.size() > 1 && points.front() == points.back())
            points.pop_back(); // the polyline is closed by its flag
        if (points.size() >= 2)
            out.Polyline(points);
    }
    return true;
}

} // namespace

namespace DxfExport {

bool ToText(const TMyCAD& cad, bool outlinedText, QByteArray& text, QString* error)
{
    DxfWriter out(cad.Height());
    out.Pair(0, QStringLiteral("SECTION"));
    out.Pair(2, QStringLiteral("ENTITIES"));
    for (int i = 0; i < cad.ShapeCount(); ++i) {
        const TMyShape& shape = *cad.ShapeByIndex(i);
        const std::type_info& kind = typeid(shape);
        if (kind == typeid(TMyText)) {
            const auto& box = static_cast<const TMyText&>(shape);
            if (outlinedText) {
                if (!WriteTextOutlines(out, box, error))
                    return false;
            } else if (box.Nodes().size() == 4) {
                out.Entity("TEXT");
                out.Point(10, box.Nodes()[3].x, box.Nodes()[3].y);
                out.Number(40, std::abs(double(box.Nodes()[3].y) - box.Nodes()[0].y) / kPixelsPerMm);
                // DXF angles are degrees, counter-clockwise with y up; the canvas
                // keeps radians, clockwise on screen.
                out.Number(50, Degrees(-double(box.Angle())));
                out.Pair(1, box.Info());
            }
        } else if (kind == typeid(TMyLine)) {
            if (shape.Nodes().size() >= 2)
                out.Line(shape.Nodes()[0], shape.Nodes()[1]);
        } else if (kind == typeid(TMyPolyLine) || kind == typeid(TMyLinkLine)) {
            for (size_t s = 0; s + 1 < shape.Nodes().size(); ++s)
                out.Line(shape.Nodes()[s], shape.Nodes()[s + 1]);
        } else if (kind == typeid(TMyRectangle) || kind == typeid(TMyPolygon)) {
            out.Polyline(NodePoints(shape));
        } else if (kind == typeid(TMyElliArc)) {
            WriteArc(out, static_cast<const TMyElliArc&>(shape));
        } else if (kind == typeid(TMyLineLinkLine)) {
            const TMyPoint c = shape.BoxCenter();
            out.Circle(c.x, c.y, shape.Width() / 2.0);
            out.Circle(c.x, c.y, shape.Width() / 4.0);
        } else if (kind == typeid(TMyEllipse)) {
            WriteEllipse(out, shape);
        } else if (kind == typeid(TMyPolyBezier)) {
            WriteBezier(out, shape);
        }
    }
    out.Pair(0, QStringLiteral("ENDSEC"));
    out.Pair(0, QStringLiteral("EOF"));
    text = out.Text();
    return true;
}

bool Write(const TMyCAD& cad, const QString& fileName, bool outlinedText, QString* error)
{
    QByteArray text;
    if (!ToText(cad, outlinedText, text, error))
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        if (error != nullptr)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace DxfExport
