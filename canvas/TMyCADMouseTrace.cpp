// Traces of the gestures as outlines in screen pixels, handed to the renderer as
// an overlay instead of being drawn on the screen.
#include "canvas/TMyCAD.h"
#include "canvas/TMyCADMouse.h"

#include "canvas/ShapeFactory.h"
#include "canvas/TMyElliArc.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyPolyBezier.h"
#include "canvas/TMyRectangle.h"

#include <cmath>

namespace {

constexpr int kCurveSteps = 16;
constexpr int kEllipsePoints = 73;

QPolygonF Screen(const std::vector<TMyPoint>& points, double zoom)
{
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const TMyPoint& p : points)
        polygon.append(QPointF(p.x * zoom, p.y * zoom));
    return polygon;
}

} // namespace

// The outline of one shape (not its members) in screen pixels.
QPolygonF ScreenOutline(const TMyShape& shape, double zoom)
{
    const auto& n = shape.Nodes();
    if (dynamic_cast<const TMyEllipse*>(&shape) != nullptr && n.size() == 4) {
        // The ellipse of the unrotated box, turned by the shape's angle.
        const double a = std::hypot(n[1].x - n[0].x, n[1].y - n[0].y) / 2.0 * zoom;
        const double b = std::hypot(n[3].x - n[0].x, n[3].y - n[0].y) / 2.0 * zoom;
        const TMyPoint c = shape.BoxCenter();
        const double cs = std::cos(shape.Angle()), sn = std::sin(shape.Angle());
        QPolygonF polygon;
        for (int i = 0; i < kEllipsePoints; ++i) {
            const double u = i * M_PI / 36.0;
            const double x = a * std::sin(u), y = b * std::cos(u);
            polygon.append(QPointF(c.x * zoom + cs * x - sn * y, c.y * zoom + sn * x + cs * y));
        }
        return polygon;
    }
    if (dynamic_cast<const TMyRectangle*>(&shape) != nullptr && n.size() == 4) {
        QPolygonF polygon = Screen(n, zoom);
        polygon.append(polygon.front());
        return polygon;
    }
    if (const auto* curve = dynamic_cast<const TMyPolyBezier*>(&shape); curve != nullptr && n.size() >= 4)
        return Screen(curve->Flatten(kCurveSteps), zoom);
    if (const auto* arc = dynamic_cast<const TMyElliArc*>(&shape)) {
        TMyElliArc::Circle circle;
        if (arc->CircleThroughNodes(circle)) {
            QPolygonF polygon;
            for (int i = 0; i <= 36; ++i) {
                const double a = circle.startAngle + circle.sweep * i / 36;
                polygon.append(QPointF((circle.cx + circle.radius * std::cos(a)) * zoom,
                    (circle.cy + circle.radius * std::sin(a)) * zoom));
            }
            return polygon;
        }
    }
    return Screen(n, zoom);
}

void TMyCADMouse::ClearTrace()
{
    m_trace = TraceOverlay {};
}

void TMyCADMouse::PublishTrace()
{
    // Only the areas of the old and the new trace are painted again.
    if (m_trace.IsEmpty())
        m_cad.ClearTraceOverlay();
    else
        m_cad.SetTraceOverlay(m_trace.outlines, m_trace.selectionBand);
}

void TMyCADMouse::TraceCreation(QPointF point)
{
    ClearTrace();
    if (m_drawing == nullptr) {
        PublishTrace();
        return;
    }
    const TMyShape& shape = *m_drawing;
    if (dynamic_cast<const TMyRectangle*>(&shape) != nullptr && shape.Nodes().size() == 1) {
        // The box (or ellipse) the next click would make.
        if (auto preview = ShapeFactory::Copy(shape)) {
            preview->AddNode(point);
            m_trace.outlines.push_back(ScreenOutline(*preview, m_cad.Zoom()));
        }
    } else if (!shape.Nodes().empty()) {
        QPolygonF polygon = Screen(shape.Nodes(), m_cad.Zoom());
        polygon.append(point);
        m_trace.outlines.push_back(polygon);
    }
    PublishTrace();
}

void TMyCADMouse::TraceShapesMoved(const std::vector<TMyShape*>& shapes, QPointF movement)
{
    for (TMyShape* shape : shapes)
        for (TMyShape* part : m_cad.WithMembers(shape)) {
            QPolygonF outline = ScreenOutline(*part, m_cad.Zoom());
            if (outline.size() < 2)
                continue;
            outline.translate(movement);
            m_trace.outlines.push_back(outline);
        }
}
