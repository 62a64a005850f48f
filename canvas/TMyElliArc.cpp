#include "canvas/TMyElliArc.h"

#include "canvas/StreamReader.h"
#include "canvas/StreamWriter.h"

#include <cmath>

bool TMyElliArc::CircleThroughNodes(Circle& circle) const
{
    const auto& n = Nodes();
    if (n.size() != 3)
        return false;
    const double ax = n[0].x, ay = n[0].y, bx = n[1].x, by = n[1].y, cx = n[2].x, cy = n[2].y;
    const double d = 2.0 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
    if (!std::isfinite(d) || std::abs(d) < 1e-9)
        return false;
    const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    circle.cx = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
    circle.cy = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
    circle.radius = std::hypot(ax - circle.cx, ay - circle.cy);
    const double a0 = std::atan2(ay - circle.cy, ax - circle.cx);
    const double a1 = std::atan2(by - circle.cy, bx - circle.cx);
    const double a2n = std::atan2(cy - circle.cy, cx - circle.cx);
    auto ccw = [](double from, double to) {
        double s = std::fmod(to - from, 2 * M_PI);
        return s < 0 ? s + 2 * M_PI : s;
    };
    circle.startAngle = a0;
    // Sweep counter-clockwise when node 1 lies on that way to node 2, else clockwise.
    circle.sweep = ccw(a0, a1) <= ccw(a0, a2n) ? ccw(a0, a2n) : ccw(a0, a2n) - 2 * M_PI;
    return std::isfinite(circle.radius);
}

void TMyElliArc::Assign(const TMyShape& source)
{
    if (&source == this)
        return;
    TMyShape::Assign(source);
    if (const auto* arc = dynamic_cast<const TMyElliArc*>(&source)) {
        m_arcStyle = arc->m_arcStyle;
        m_arcMode = arc->m_arcMode;
    }
}

int TMyElliArc::NodeAt(QPointF screenPoint)
{
    return NodeAtNodes(screenPoint);
}

bool TMyElliArc::HitTest(QPointF screenPoint) const
{
    if (!Visible())
        return false;
    Circle circle;
    std::vector<TMyPoint> path;
    if (!CircleThroughNodes(circle)) {
        path = Nodes();
    } else {
        constexpr int kSteps = 36;
        for (int i = 0; i <= kSteps; ++i) {
            const double a = circle.startAngle + circle.sweep * i / kSteps;
            path.push_back(TMyPoint { static_cast<float>(circle.cx + circle.radius * std::cos(a)),
                static_cast<float>(circle.cy + circle.radius * std::sin(a)) });
        }
    }
    return HitLogicalPolyline(path, screenPoint, m_arcStyle != asArc);
}

void TMyElliArc::LoadFromStream(StreamReader& reader, StreamVersion version)
{
    TMyShape::LoadFromStream(reader, version);
    m_arcMode = static_cast<TArcMode>(reader.ReadByte());
    m_arcStyle = static_cast<TArcStyle>(reader.ReadByte());
}

void TMyElliArc::SaveToStream(StreamWriter& writer) const
{
    TMyShape::SaveToStream(writer);
    writer.WriteByte(m_arcMode);
    writer.WriteByte(m_arcStyle);
}
