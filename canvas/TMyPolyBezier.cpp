#include "canvas/TMyPolyBezier.h"

bool TMyPolyBezier::IsComplete() const
{
    const size_t n = Nodes().size();
    return n >= 4 && (n - 1) % 3 == 0;
}

void TMyPolyBezier::AddNode(QPointF screenPoint)
{
    TMyShape::AddNode(screenPoint);
    auto& nodes = Nodes();
    const size_t n = nodes.size();
    if (n == 4 || (n > 4 && (n - 4) % 3 == 0)) {
        nodes.push_back(nodes.back());
        const TMyPoint a = nodes[n - 2];
        const TMyPoint b = nodes[n - 1];
        nodes[n - 1] = TMyPoint { (a.x + b.x) / 2.0f, (a.y + b.y) / 2.0f };
    }
}

int TMyPolyBezier::NodeAt(QPointF screenPoint)
{
    return NodeAtNodes(screenPoint);
}

std::vector<TMyPoint> TMyPolyBezier::Flatten(int steps) const
{
    const auto& n = Nodes();
    std::vector<TMyPoint> points;
    if (n.empty())
        return points;
    points.push_back(n[0]);
    for (size_t i = 0; i + 3 < n.size(); i += 3) {
        for (int s = 1; s <= steps; ++s) {
            const double t = double(s) / steps;
            const double u = 1.0 - t;
            const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            points.push_back(
                TMyPoint { static_cast<float>(a * n[i].x + b * n[i + 1].x + c * n[i + 2].x + d * n[i + 3].x),
                    static_cast<float>(a * n[i].y + b * n[i + 1].y + c * n[i + 2].y + d * n[i + 3].y) });
        }
    }
    return points;
}

bool TMyPolyBezier::HitTest(QPointF screenPoint) const
{
    if (!Visible())
        return false;
    return HitLogicalPolyline(Flatten(16), screenPoint, false);
}
