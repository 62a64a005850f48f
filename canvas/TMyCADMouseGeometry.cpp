// Geometry of the mouse gestures: snapping, the Shift constraints, the rotation
// angle, resizing through a handle, drag movements and caller coordinates.
#include "canvas/TMyCAD.h"
#include "canvas/TMyCADMouse.h"

#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"

#include <algorithm>
#include <cmath>

namespace {

// Of two corrections the smaller non-zero one (0 when both are 0).
double SmallerNonZero(double a, double b)
{
    if (a == 0.0)
        return b;
    if (b == 0.0)
        return a;
    return std::abs(b) < std::abs(a) ? b : a;
}

QPointF Turn(QPointF p, QPointF center, double angle)
{
    const double c = std::cos(angle), s = std::sin(angle);
    const QPointF d = p - center;
    return center + QPointF(c * d.x() - s * d.y(), s * d.x() + c * d.y());
}

TMyPoint Turn(TMyPoint p, TMyPoint center, double angle)
{
    const QPointF turned = Turn(QPointF(p.x, p.y), QPointF(center.x, center.y), angle);
    return TMyPoint { static_cast<float>(turned.x()), static_cast<float>(turned.y()) };
}

// Direction of a point seen from the centre, in 0..2 pi (y grows downward).
double Direction(QPointF center, QPointF p)
{
    const double dx = p.x() - center.x();
    const double dy = p.y() - center.y();
    double a = dx == 0.0 ? std::copysign(M_PI / 2.0, dy) : std::atan(dy / dx);
    if (dx < 0.0)
        a += M_PI;
    else if (a < 0.0)
        a += 2.0 * M_PI;
    return a;
}

} // namespace

QPointF TMyCADMouse::SnapPoint(QPointF point, const std::vector<const TMyShape*>& exclude) const
{
    const double pixels = m_cad.SnapPixels();
    QPointF snapped = point;
    if (m_cad.Snap()) {
        const TGridObject& grid = m_cad.GridOperation();
        if (grid.GridWidth > 0) {
            const double gx = std::nearbyint(point.x() / grid.GridWidth) * grid.GridWidth;
            if (std::abs(point.x() - gx) < pixels)
                snapped.setX(gx);
        }
        if (grid.GridHeight > 0) {
            const double gy = std::nearbyint(point.y() / grid.GridHeight) * grid.GridHeight;
            if (std::abs(point.y() - gy) < pixels)
                snapped.setY(gy);
        }
    }
    if (snapped != point || !m_cad.SnapShape())
        return snapped;
    double toLeft = 0, toRight = 0, toTop = 0, toBottom = 0;
    const double x = point.x(), y = point.y(), zoom = m_cad.Zoom();
    for (int i = 0; i < m_cad.ShapeCount(); ++i) {
        const TMyShape* shape = m_cad.ShapeByIndex(i);
        if (shape->ParentGroup() >= 0 || !shape->Visible() || !OnVisibleLayer(*shape)
            || std::find(exclude.begin(), exclude.end(), shape) != exclude.end())
            continue;
        const double l = shape->Left() * zoom, t = shape->Top() * zoom;
        const double r = shape->Right() * zoom, b = shape->Bottom() * zoom;
        const bool besideRows = y > 0.8 * t && y < 1.2 * b;
        const bool besideColumns = x > 0.8 * l && x < 1.2 * r;
        if (std::abs(x - l) < pixels && besideRows)
            toLeft = x - l;
        if (std::abs(x - r) < pixels && besideRows)
            toRight = x - r;
        if (std::abs(y - t) < pixels && besideColumns)
            toTop = y - t;
        if (std::abs(y - b) < pixels && besideColumns)
            toBottom = y - b;
    }
    return QPointF(x - SmallerNonZero(toLeft, toRight), y - SmallerNonZero(toTop, toBottom));
}

double TMyCADMouse::RotationAngle(QPointF center, QPointF from, QPointF to) const
{
    double angle = Direction(center, to) - Direction(center, from);
    const int step = m_cad.RotateConstraintDegree();
    if (step > 0) {
        const double degrees = angle * 180.0 / M_PI;
        angle = std::nearbyint(degrees / step) * step * M_PI / 180.0;
    }
    return angle;
}

QPointF TMyCADMouse::DrawShift(const TMyShape& shape, QPointF reference, QPointF point) const
{
    const double dx = point.x() - reference.x();
    const double dy = point.y() - reference.y();
    if (dynamic_cast<const TMyLine*>(&shape) != nullptr) {
        if (std::abs(dx) < std::abs(dy))
            return QPointF(reference.x(), point.y());
        return QPointF(point.x(), reference.y());
    }
    if (dynamic_cast<const TMyRectangle*>(&shape) != nullptr) {
        const double sx = dx == 0.0 ? 1.0 : dx;
        const double sy = dy == 0.0 ? 1.0 : dy;
        if (std::abs(sy) < std::abs(sx))
            return QPointF(reference.x() + std::copysign(std::abs(sy), sx), point.y());
        return QPointF(point.x(), reference.y() + std::copysign(std::abs(sx), sy));
    }
    return point;
}

QPointF TMyCADMouse::ResizeShift(TMyShape& shape, QPointF point) const
{
    const double zoom = m_cad.Zoom();
    const auto& nodes = shape.Nodes();
    if (dynamic_cast<TMyRectangle*>(&shape) != nullptr && nodes.size() == 4 && m_handle >= 0 && m_handle < 4) {
        const TMyPoint far = nodes[size_t((m_handle + 2) % 4)];
        const QPointF center(shape.Center().x * zoom, shape.Center().y * zoom);
        const double angle = shape.Angle();
        const QPointF o = Turn(QPointF(far.x * zoom, far.y * zoom), center, -angle);
        QPointF p = Turn(point, center, -angle);
        const double dx = p.x() - o.x(), dy = p.y() - o.y();
        const double e = (m_handle == 0 || m_handle == 2) ? 1.0 : -1.0;
        if (std::abs(dy) >= std::abs(dx))
            p.setY(o.y() + e * dx);
        else
            p.setX(o.x() + e * dy);
        return Turn(p, center, angle);
    }
    const bool plainLine = shape.Kind() == ShapeKind::Line || shape.Kind() == ShapeKind::RuleLine;
    if (plainLine && nodes.size() == 2 && (m_handle == 0 || m_handle == 1)) {
        const TMyPoint other = nodes[size_t(1 - m_handle)];
        const QPointF o(other.x * zoom, other.y * zoom);
        if (std::abs(point.x() - o.x()) >= std::abs(point.y() - o.y()))
            return QPointF(point.x(), o.y());
        return QPointF(o.x(), point.y());
    }
    return point;
}

bool TMyCADMouse::IsRectangleSideHandle(const TMyShape& shape) const
{
    return dynamic_cast<const TMyRectangle*>(&shape) != nullptr && m_handle >= 4 && m_handle <= 7;
}

QPointF TMyCADMouse::ResizeReference(TMyShape& shape) const
{
    const int node = IsRectangleSideHandle(shape) ? m_handle - 4 : m_handle;
    const TMyPoint p = shape.GetNode(node);
    return QPointF(p.x * m_cad.Zoom(), p.y * m_cad.Zoom());
}

void TMyCADMouse::ResizeShape(TMyShape& shape, QPointF from, QPointF to) const
{
    if (shape.Locked() || !shape.ResizeEnable() || m_handle < 0)
        return;
    const double zoom = m_cad.Zoom();
    const double angle = shape.Angle();
    const TMyPoint center = shape.Center();
    const QPointF screenCenter(center.x * zoom, center.y * zoom);
    const bool group = dynamic_cast<TMyGroup*>(&shape) != nullptr;
    std::vector<TMyShape*> members;
    if (group)
        for (TMyShape* part : m_cad.WithMembers(&shape))
            if (part != &shape)
                members.push_back(part);
    auto turnShape = [&](TMyShape& s, double a) {
        s.RotateAround(center, a);
        s.SetCaptionPos(Turn(s.CaptionPos(), center, a));
    };
    if (angle != 0.0) {
        turnShape(shape, -angle);
        from = Turn(from, screenCenter, -angle);
        to = Turn(to, screenCenter, -angle);
    }
    const float oldLeft = shape.Left(), oldTop = shape.Top(), oldWidth = shape.Width(), oldHeight = shape.Height();
    shape.SetHotNode(m_handle);
    shape.DragNode(from, to);
    const float newWidth = shape.Width(), newHeight = shape.Height();
    const double sx = oldWidth != 0.0f ? double(newWidth) / oldWidth : 1.0;
    const double sy = oldHeight != 0.0f ? double(newHeight) / oldHeight : 1.0;
    const TMyPoint caption = shape.CaptionPos();
    shape.SetCaptionPos(TMyPoint { static_cast<float>(shape.Left() + (caption.x - oldLeft) * sx),
        static_cast<float>(shape.Top() + (caption.y - oldTop) * sy) });
    if (group && shape.Nodes().size() == 4 && newWidth * zoom >= 5.0 && newHeight * zoom >= 5.0) {
        static constexpr int kOpposite[8] = { 2, 3, 0, 1, 2, 3, 0, 1 };
        const TMyPoint o = shape.Nodes()[size_t(kOpposite[m_handle % 8])];
        auto scale = [&](TMyPoint p) {
            return TMyPoint { static_cast<float>(o.x + (p.x - o.x) * sx), static_cast<float>(o.y + (p.y - o.y) * sy) };
        };
        for (TMyShape* member : members) {
            if (angle != 0.0)
                turnShape(*member, -angle);
            for (TMyPoint& p : member->Nodes())
                p = scale(p);
            member->SetCaptionPos(scale(member->CaptionPos()));
            if (angle != 0.0)
                turnShape(*member, angle);
            member->SetCenter(member->BoxCenter());
        }
    }
    if (angle != 0.0)
        turnShape(shape, angle);
    shape.SetCenter(shape.BoxCenter());
}

QPointF TMyCADMouse::DragMovement(QPointF point) const
{
    QPointF movement = point - m_downPoint;
    if (m_cad.DragMode() == dgHorz)
        movement.setY(0);
    else if (m_cad.DragMode() == dgVert)
        movement.setX(0);
    return movement;
}

QRectF TMyCADMouse::SelectionBox() const
{
    QRectF box;
    for (const TMyShape* shape : m_cad.m_selection) {
        const QRectF own(QPointF(shape->Left(), shape->Top()) * m_cad.Zoom(),
            QPointF(shape->Right(), shape->Bottom()) * m_cad.Zoom());
        box = box.isNull() ? own : box.united(own);
    }
    return box;
}

QPointF TMyCADMouse::SnapSelectionBox(QPointF point) const
{
    const QRectF box = SelectionBox().translated(DragMovement(point));
    std::vector<const TMyShape*> exclude;
    for (TMyShape* shape : m_cad.m_selection)
        exclude.push_back(shape);
    double cx = 0, cy = 0;
    for (const QPointF corner : { box.topLeft(), box.topRight(), box.bottomRight(), box.bottomLeft() }) {
        const QPointF correction = corner - SnapPoint(corner, exclude);
        cx = SmallerNonZero(cx, correction.x());
        cy = SmallerNonZero(cy, correction.y());
    }
    return point - QPointF(cx, cy);
}

QRectF TMyCADMouse::LockBoundArea() const
{
    const QRectF box = SelectionBox();
    return QRectF(QPointF(m_downPoint.x() - box.left(), m_downPoint.y() - box.top()),
        QPointF(m_cad.Width() - (box.right() - m_downPoint.x()), m_cad.Height() - (box.bottom() - m_downPoint.y())));
}

QPointF TMyCADMouse::KeepInLockBound(QPointF point) const
{
    if (!m_cad.LockBound())
        return point;
    const QRectF area = LockBoundArea();
    point.setX(std::clamp(point.x(), area.left(), std::max(area.left(), area.right())));
    point.setY(std::clamp(point.y(), area.top(), std::max(area.top(), area.bottom())));
    return point;
}

QPointF TMyCADMouse::ToCaller(QPointF point) const
{
    const TXYMode mode = m_cad.XYMode();
    if (mode == Mode1 || mode == Mode2)
        point.setY(m_cad.Height() - point.y());
    if (mode == Mode2 || mode == Mode3)
        point.setX(m_cad.Width() - point.x());
    return point;
}

QPointF TMyCADMouse::FromCaller(QPointF point) const
{
    return ToCaller(point); // each mirroring is its own inverse
}

void TMyCADMouse::MoveWithMembers(TMyShape& shape, QPointF movement) const
{
    for (TMyShape* part : m_cad.WithMembers(&shape))
        part->MoveBy(movement.x(), movement.y());
}
