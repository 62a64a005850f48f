// Shape drawing: lines, rule lines, curves, polygons, ellipses, arcs, link shapes,
// link points and handles. Texts, pictures and fills are in ShapePainterFill.cpp.
#include "canvas/ShapePainter.h"

#include "canvas/TMyCAD.h"
#include "canvas/TMyElliArc.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyPolyBezier.h"
#include "canvas/TMyRectangle.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>

#include <cmath>

namespace {

TColor g_hotColor = 0x00FF00;

// The colours of the platform's system colour numbers (0x80000000 + index) that
// drawings may hold; anything else falls back to the window text colour.
QColor SystemColor(TColor color)
{
    switch (color & 0xFF) {
    case 5: // window
    case 14: // highlight text
        return QColor(255, 255, 255);
    case 13: // highlight
        return QColor(0, 120, 215);
    case 15: // button face
        return QColor(240, 240, 240);
    case 16: // button shadow
    case 17: // grey text
        return QColor(128, 128, 128);
    default:
        return QColor(0, 0, 0);
    }
}

constexpr double kPi = 3.14159265358979323846;

} // namespace

ShapePainter::ShapePainter(QPainter* painter, TMyCAD& cad, bool printer)
    : m_painter(painter)
    , m_cad(cad)
    , m_printer(printer)
    , m_zoom(cad.Zoom())
{
    m_grey = printer && painter != nullptr && painter->device() != nullptr && painter->device()->colorCount() == 2;
}

QColor ShapePainter::Grey(const QColor& color)
{
    const int mean = (color.red() + color.green() + color.blue()) / 3;
    return QColor(mean, mean, mean, color.alpha());
}

QColor ShapePainter::Colour(TColor color) const
{
    const QColor c = ToQColor(color);
    return m_grey ? Grey(c) : c;
}

QBrush ShapePainter::ShapeBrush(const TMyBrush& brush) const
{
    QBrush b = MakeBrush(brush);
    if (m_grey && b.style() != Qt::TexturePattern)
        b.setColor(Grey(b.color()));
    return b;
}

TColor ShapePainter::HotColor()
{
    return g_hotColor;
}

void ShapePainter::SetHotColor(TColor color)
{
    g_hotColor = color;
}

QColor ShapePainter::ToQColor(TColor color)
{
    if (color < 0)
        return SystemColor(color);
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

QFont ShapePainter::MakeFont(const TMyFont& font) const
{
    QFont f(font.name);
    const double points = font.size != 0 ? std::abs(font.size) : 8.0;
    const double pixels = points * m_cad.PixelsPerInch() / 72.0 * m_zoom;
    f.setPixelSize(std::max(1, CanvasMath::RoundToInt(std::min(pixels, 4000.0))));
    f.setBold((font.style & fsBold) != 0);
    f.setItalic((font.style & fsItalic) != 0);
    f.setUnderline((font.style & fsUnderline) != 0);
    f.setStrikeOut((font.style & fsStrikeOut) != 0);
    if (font.pitch == fpFixed)
        f.setFixedPitch(true);
    return f;
}

QFont ShapePainter::MakeShapeFont(const TMyShape& shape) const
{
    QFont f = MakeFont(shape.Font());
    if (!shape.LogUse())
        return f;
    const double height = std::clamp(shape.LogHeight() * m_zoom, 1.0, 4000.0);
    f.setPixelSize(std::max(1, CanvasMath::RoundToInt(height)));
    const double natural = QFontMetricsF(f).averageCharWidth();
    const double width = shape.LogWidth() * m_zoom;
    if (natural > 0 && width > 0)
        f.setStretch(std::clamp(CanvasMath::RoundToInt(100.0 * width / natural), 1, 4000));
    return f;
}

QPen ShapePainter::MakePen(const TMyPen& pen) const
{
    QPen p(Colour(pen.color));
    double width = std::clamp(pen.width, 0, 10000);
    if (m_printer)
        width = std::max(1.0, width * m_zoom);
    p.setWidthF(width);
    p.setCapStyle(Qt::SquareCap);
    p.setJoinStyle(Qt::MiterJoin);
    switch (pen.style) {
    case psDash:
        p.setStyle(Qt::DashLine);
        break;
    case psDot:
        p.setStyle(Qt::DotLine);
        break;
    case psDashDot:
        p.setStyle(Qt::DashDotLine);
        break;
    case psDashDotDot:
        p.setStyle(Qt::DashDotDotLine);
        break;
    case psClear:
        p.setStyle(Qt::NoPen);
        break;
    default:
        p.setStyle(Qt::SolidLine);
    }
    if (pen.mode == pmNop)
        p.setStyle(Qt::NoPen);
    return p;
}

QBrush ShapePainter::MakeBrush(const TMyBrush& brush)
{
    if (!brush.pattern.isNull() && brush.style != bsClear)
        return QBrush(brush.pattern);
    static const Qt::BrushStyle kStyles[] = { Qt::SolidPattern, Qt::NoBrush, Qt::HorPattern, Qt::VerPattern,
        Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern };
    const Qt::BrushStyle style = brush.style <= bsDiagCross ? kStyles[brush.style] : Qt::SolidPattern;
    return QBrush(ToQColor(brush.color), style);
}

QPointF ShapePainter::Screen(TMyPoint p) const
{
    // Damaged drawings may hold absurd coordinates; far beyond any device they are
    // clamped, so that strokes and dash patterns stay bounded.
    constexpr double kFar = 4.0e6;
    return QPointF(std::clamp<double>(CanvasMath::RoundToInt(p.x * m_zoom), -kFar, kFar),
        std::clamp<double>(CanvasMath::RoundToInt(p.y * m_zoom), -kFar, kFar));
}

QPolygonF ShapePainter::ScreenNodes(const TMyShape& shape) const
{
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(shape.Nodes().size()));
    for (const TMyPoint& p : shape.Nodes())
        polygon.append(Screen(p));
    return polygon;
}

void ShapePainter::Accumulate(const QRectF& rect)
{
    if (rect.isNull() && rect.topLeft().isNull())
        return;
    m_bounds = m_bounds.isNull() ? rect : m_bounds.united(rect);
}

namespace {

// Paths of damaged drawings can reach absurd sizes; they are not drawn.
bool Drawable(const QPainterPath& path)
{
    const QRectF box = path.boundingRect();
    constexpr double kLimit = 1.0e7;
    return !path.isEmpty() && std::isfinite(box.left()) && std::isfinite(box.top()) && box.width() < kLimit
        && box.height() < kLimit && std::abs(box.left()) < kLimit && std::abs(box.top()) < kLimit;
}

} // namespace

void ShapePainter::Stroke(const QPainterPath& path, const QPen& pen)
{
    if (pen.style() == Qt::NoPen || !Drawable(path))
        return;
    if (m_painter == nullptr) {
        // Square caps and mitred joins reach up to one pen width beyond the path.
        const double reach = std::max(1.0, pen.widthF()) + 1.0;
        Accumulate(path.boundingRect().adjusted(-reach, -reach, reach, reach));
        return;
    }
    m_painter->strokePath(path, pen);
}

void ShapePainter::Fill(const QPainterPath& path, const QBrush& brush)
{
    if (brush.style() == Qt::NoBrush || !Drawable(path))
        return;
    if (m_painter == nullptr) {
        Accumulate(path.boundingRect().adjusted(-1, -1, 1, 1));
        return;
    }
    m_painter->fillPath(path, brush);
}

void ShapePainter::DrawWithMembers(TMyShape& shape)
{
    std::unordered_set<const TMyShape*> seen;
    DrawRecursive(shape, seen);
}

void ShapePainter::DrawRecursive(TMyShape& shape, std::unordered_set<const TMyShape*>& seen)
{
    // Members before their group, in list order; an explicit stack, since a file
    // may nest groups deeper than the call stack reaches.
    if (!shape.Visible() || !seen.insert(&shape).second)
        return;
    std::vector<std::pair<TMyShape*, size_t>> stack { { &shape, 0 } };
    while (!stack.empty()) {
        auto& [current, next] = stack.back();
        const std::vector<int>& children = current->Children();
        if (next < children.size()) {
            TMyShape* member = m_cad.ShapeByIndex(children[next++]);
            if (member != nullptr && member->Visible() && seen.insert(member).second)
                stack.emplace_back(member, 0);
            continue;
        }
        TMyShape* done = current;
        stack.pop_back();
        Draw(*done);
    }
}

void ShapePainter::Draw(TMyShape& shape)
{
    if (!shape.Visible() || shape.Nodes().empty())
        return;
    switch (shape.Kind()) {
    case ShapeKind::RuleLine:
        return DrawRuleLine(static_cast<TMyRuleLine&>(shape));
    case ShapeKind::LinkLine:
        return DrawLinkLine(static_cast<TMyLinkLine&>(shape));
    case ShapeKind::Polygon:
        FillAndOutline(shape, ScreenNodes(shape));
        return DrawInfo(shape);
    case ShapeKind::Line:
    case ShapeKind::PolyLine:
        return DrawLine(static_cast<TMyLine&>(shape));
    case ShapeKind::PolyBezier:
        return DrawPolyBezier(static_cast<TMyPolyBezier&>(shape));
    case ShapeKind::ElliArc:
        return DrawElliArc(static_cast<TMyElliArc&>(shape));
    case ShapeKind::Text:
        return DrawText(static_cast<TMyText&>(shape));
    case ShapeKind::Image:
        return DrawImage(static_cast<TMyImage&>(shape));
    case ShapeKind::Ellipse:
        return DrawEllipse(shape);
    case ShapeKind::Group:
    case ShapeKind::Combine:
        return; // members draw themselves
    case ShapeKind::LineLinkLine:
        return DrawLinkPointShape(shape, true);
    case ShapeKind::LinkPoint:
        return DrawLinkPointShape(shape, false);
    case ShapeKind::Rectangle: {
        QPolygonF polygon = ScreenNodes(shape);
        if (!polygon.isEmpty())
            polygon.append(polygon.front());
        FillAndOutline(shape, polygon);
        return DrawInfo(shape);
    }
    }
}

void ShapePainter::DrawArrow(QPointF end, QPointF neighbour, const TMyLine& line, const QPen& pen)
{
    const QLineF toNeighbour(end, neighbour);
    if (toNeighbour.length() <= 0)
        return;
    const QPointF unit = (neighbour - end) / toNeighbour.length();
    const QPointF tip = end + unit * double(line.ArrowOffset());
    const double length = CanvasMath::RoundToInt(line.ArrowLength() * m_zoom) % 256;
    const double direction = std::atan2(unit.y(), unit.x());
    const double spread = line.ArrowAngle() * kPi / 180.0;
    const QPointF a = tip + QPointF(std::cos(direction + spread), std::sin(direction + spread)) * length;
    const QPointF b = tip + QPointF(std::cos(direction - spread), std::sin(direction - spread)) * length;
    QPainterPath triangle;
    triangle.addPolygon(QPolygonF({ tip, a, b, tip }));
    Fill(triangle, pen.color());
    QPen outline(pen.color(), 1);
    outline.setJoinStyle(Qt::MiterJoin);
    Stroke(triangle, outline);
}

void ShapePainter::DrawLine(TMyLine& line)
{
    StrokeWithArrows(ScreenNodes(line), line, MakePen(line.Pen()));
    DrawInfo(line);
}

void ShapePainter::StrokeWithArrows(const QPolygonF& points, const TMyLine& line, const QPen& pen, bool ruleLineRight)
{
    QPainterPath path;
    path.addPolygon(points);
    Stroke(path, pen);
    const auto n = points.size();
    if (n < 2)
        return;
    if (line.ArrowStyle() == ALeft || line.ArrowStyle() == ADouble)
        DrawArrow(points[n - 1], points[n - 2], line, pen);
    if (line.ArrowStyle() == ARight || line.ArrowStyle() == ADouble) {
        if (ruleLineRight)
            DrawArrow(points[n - 2], points[n - 1], line, pen);
        else
            DrawArrow(points[0], points[1], line, pen);
    }
}

void ShapePainter::DrawRuleLine(TMyRuleLine& line)
{
    const QPolygonF points = ScreenNodes(line);
    const QPen pen = MakePen(line.Pen());
    StrokeWithArrows(points, line, pen, true);
    if (points.size() < 2)
        return;

    const QPointF p = points[0];
    const QPointF q = points[1];
    const double dx = q.x() - p.x();
    const double dy = q.y() - p.y();
    double angle = dx == 0.0 ? kPi / 2 : std::atan2(dy, dx);
    if (angle < 0)
        angle += 2 * kPi;
    line.StoreAngle(static_cast<float>(angle));
    const double textAngle = angle > kPi / 2 && angle < 3 * kPi / 2 ? angle - kPi : angle;
    const QPointF centre = (p + q) / 2.0;
    const double length = CanvasMath::RoundToInt(QLineF(p, q).length());

    if (line.TickStyle() == tsLine) {
        QTransform frame;
        frame.translate(centre.x(), centre.y());
        frame.rotateRadians(angle);
        QPainterPath ticks;
        for (double x : { -length / 2.0, length / 2.0 }) {
            ticks.moveTo(frame.map(QPointF(x, -10)));
            ticks.lineTo(frame.map(QPointF(x, 10)));
        }
        Stroke(ticks, pen);
    }

    QString label;
    if (line.ShowUserInfo()) {
        label = line.UserInfo();
    } else {
        label = line.FormatDistance(p, q);
        line.SetInfo(label);
    }
    // The stored length keeps its padding; on screen it is centred without it.
    label = label.trimmed();
    if (label.isEmpty())
        return;
    const QFont font = MakeShapeFont(line);
    const QFontMetricsF metrics(font);
    const double w = metrics.horizontalAdvance(label);
    QTransform frame;
    frame.translate(centre.x(), centre.y());
    frame.rotateRadians(textAngle);
    Text(label, QPointF(-w / 2.0, -3.0 - metrics.height()), font, Colour(line.Font().color), frame);
}

void ShapePainter::DrawLinkLine(TMyLinkLine& line)
{
    QPolygonF points = ScreenNodes(line);
    if (line.LinkLineDrawStyle() == lldsHV && points.size() >= 2) {
        // Horizontal and vertical legs: across to the middle, up or down, across again.
        QPolygonF legs;
        legs.append(points[0]);
        for (qsizetype i = 1; i < points.size(); ++i) {
            const QPointF a = points[i - 1];
            const QPointF b = points[i];
            const double mx = CanvasMath::RoundToInt((a.x() + b.x()) / 2.0);
            legs.append(QPointF(mx, a.y()));
            legs.append(QPointF(mx, b.y()));
            legs.append(b);
        }
        points = legs;
    }
    StrokeWithArrows(points, line, MakePen(line.Pen()));
    DrawInfo(line);
}

void ShapePainter::DrawPolyBezier(TMyPolyBezier& curve)
{
    const QPolygonF points = ScreenNodes(curve);
    QPainterPath path(points[0]);
    for (qsizetype i = 1; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    const QBrush brush = ShapeBrush(curve.Brush());
    if (brush.style() != Qt::NoBrush)
        Fill(path, brush);
    Stroke(path, MakePen(curve.Pen()));
    DrawInfo(curve);
}

void ShapePainter::DrawEllipse(TMyShape& shape)
{
    const auto& n = shape.Nodes();
    if (n.size() < 4)
        return;
    const double a = std::hypot(n[1].x - n[0].x, n[1].y - n[0].y) * m_zoom / 2.0;
    const double b = std::hypot(n[2].x - n[1].x, n[2].y - n[1].y) * m_zoom / 2.0;
    const QPointF centre(
        (n[0].x + n[1].x + n[2].x + n[3].x) / 4.0 * m_zoom, (n[0].y + n[1].y + n[2].y + n[3].y) / 4.0 * m_zoom);
    const double c = std::cos(shape.Angle());
    const double s = std::sin(shape.Angle());
    QPolygonF polygon;
    polygon.reserve(73);
    for (int i = 0; i <= 72; ++i) {
        const double u = i * kPi / 36.0;
        const double x = a * std::sin(u);
        const double y = b * std::cos(u);
        polygon.append(QPointF(
            CanvasMath::RoundToInt(centre.x() + c * x - s * y), CanvasMath::RoundToInt(centre.y() + s * x + c * y)));
    }
    FillAndOutline(shape, polygon);
    DrawInfo(shape);
}

void ShapePainter::DrawElliArc(TMyElliArc& arc)
{
    TMyElliArc::Circle circle;
    QPainterPath path;
    if (!arc.CircleThroughNodes(circle)) {
        path.addPolygon(ScreenNodes(arc));
        Stroke(path, MakePen(arc.Pen()));
        return DrawInfo(arc);
    }
    QPolygonF points;
    const int steps = std::clamp(CanvasMath::RoundToInt(std::abs(circle.sweep) * circle.radius * m_zoom / 4.0), 8, 720);
    for (int i = 0; i <= steps; ++i) {
        const double t = circle.startAngle + circle.sweep * i / steps;
        points.append(QPointF(
            (circle.cx + circle.radius * std::cos(t)) * m_zoom, (circle.cy + circle.radius * std::sin(t)) * m_zoom));
    }
    if (arc.ArcStyle() == asSector)
        points.append(QPointF(circle.cx * m_zoom, circle.cy * m_zoom));
    if (arc.ArcStyle() != asArc) {
        points.append(points.front());
        path.addPolygon(points);
        Fill(path, ShapeBrush(arc.Brush()));
    } else {
        path.addPolygon(points);
    }
    Stroke(path, MakePen(arc.Pen()));
    DrawInfo(arc);
}

void ShapePainter::DrawLinkPointShape(TMyShape& shape, bool circles)
{
    const QPolygonF corners = ScreenNodes(shape);
    if (corners.size() < 4)
        return;
    QPainterPath path;
    if (circles) {
        const QPointF centre = (corners[0] + corners[2]) / 2.0;
        const double radius = std::abs(corners[1].x() - corners[0].x()) / 2.0;
        path.addEllipse(centre, radius, radius);
        path.addEllipse(centre, radius / 2.0, radius / 2.0);
    } else {
        path.moveTo(corners[0]);
        path.lineTo(corners[2]);
        path.moveTo(corners[1]);
        path.lineTo(corners[3]);
    }
    Stroke(path, MakePen(shape.Pen()));
}

void ShapePainter::DrawLinkPoints(const TMyShape& shape)
{
    QPen blue(QColor(0, 0, 255), 1);
    blue.setCapStyle(Qt::FlatCap);
    for (TMyShape* part : m_cad.WithMembers(const_cast<TMyShape*>(&shape))) {
        if (part->LinkPoints().empty())
            continue;
        QPainterPath crosses;
        for (const TMyPoint& p : part->LinkPoints()) {
            const QPointF c(p.x * m_zoom, p.y * m_zoom);
            crosses.moveTo(c + QPointF(-2.5, 0));
            crosses.lineTo(c + QPointF(2.5, 0));
            crosses.moveTo(c + QPointF(0, -2.5));
            crosses.lineTo(c + QPointF(0, 2.5));
        }
        Stroke(crosses, blue);
    }
}

void ShapePainter::DrawHandles(TMyShape& shape, bool member, bool rotating)
{
    if (!shape.Visible())
        return;
    const int hot = m_cad.HotSize();
    const int half = member ? hot / 2 : hot;
    const bool circles = rotating && !member;
    if (circles && !m_cad.RotateEnable())
        return;
    std::vector<QPointF> handles;
    for (const TMyPoint& p : shape.Nodes())
        handles.push_back(Screen(p));
    const auto* rect = IsRectangleKind(shape.Kind()) ? static_cast<const TMyRectangle*>(&shape) : nullptr;
    if (rect != nullptr && handles.size() == 4 && !rotating && rect->ShowSideHot()) {
        auto middle = [&](int a, int b) {
            return QPointF(CanvasMath::RoundToInt((handles[size_t(a)].x() + handles[size_t(b)].x()) / 2.0),
                CanvasMath::RoundToInt((handles[size_t(a)].y() + handles[size_t(b)].y()) / 2.0));
        };
        const QPointF m01 = middle(0, 1), m12 = middle(1, 2), m23 = middle(2, 3), m30 = middle(3, 0);
        if (rect->ShowVerticalSideHot()) {
            handles.push_back(m01);
            handles.push_back(m23);
        }
        if (rect->ShowHorizontalSideHot()) {
            handles.push_back(m12);
            handles.push_back(m30);
        }
    }
    const QColor fill = shape.Locked() ? QColor(0x80, 0x80, 0x80) : ToQColor(HotColor());
    const QPen outline(QColor(0, 0, 0), 1);
    for (const QPointF& h : handles) {
        QPainterPath path;
        if (circles)
            path.addEllipse(h, hot, hot);
        else
            path.addRect(QRectF(h.x() - half, h.y() - half, 2 * half - 1, 2 * half - 1));
        Fill(path, fill);
        Stroke(path, outline);
    }
    const bool hasText = !shape.Info().isEmpty() || !shape.MultiInfo().isEmpty();
    if (hasText && shape.Kind() != ShapeKind::Text) {
        const QPointF c = Screen(shape.CaptionPos());
        QPainterPath triangle;
        triangle.addPolygon(
            QPolygonF({ c + QPointF(-hot, 0), c + QPointF(0, -hot), c + QPointF(hot, 0), c + QPointF(-hot, 0) }));
        Fill(triangle, fill);
        Stroke(triangle, outline);
    }
}
