#include "canvas/TMyShape.h"

#include "canvas/TMyCAD.h"

#include <algorithm>
#include <cmath>

namespace {

// Hit tolerance of line segments in screen pixels.
constexpr double kSegmentTolerance = 8.0;

bool HitSegment(QPointF p, QPointF a, QPointF b)
{
    const double minX = std::min(a.x(), b.x()), maxX = std::max(a.x(), b.x());
    const double minY = std::min(a.y(), b.y()), maxY = std::max(a.y(), b.y());
    if (a.x() == b.x())
        return p.x() >= minX - kSegmentTolerance && p.x() <= maxX + kSegmentTolerance && p.y() >= minY && p.y() <= maxY;
    if (a.y() == b.y())
        return p.y() >= minY - kSegmentTolerance && p.y() <= maxY + kSegmentTolerance && p.x() >= minX && p.x() <= maxX;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    // Measured along the axis in which the segment is shorter. The box is widened by
    // the tolerance on that axis, as for horizontal and vertical segments; otherwise a
    // nearly horizontal line could only be hit inside its one-pixel-high box.
    if (std::abs(dx) >= std::abs(dy)) {
        if (p.x() < minX || p.x() > maxX || p.y() < minY - kSegmentTolerance || p.y() > maxY + kSegmentTolerance)
            return false;
        return std::abs(p.y() - (a.y() + (p.x() - a.x()) * dy / dx)) <= kSegmentTolerance;
    }
    if (p.y() < minY || p.y() > maxY || p.x() < minX - kSegmentTolerance || p.x() > maxX + kSegmentTolerance)
        return false;
    return std::abs(p.x() - (a.x() + (p.y() - a.y()) * dx / dy)) <= kSegmentTolerance;
}

} // namespace

TMyShape::TMyShape(TMyCAD* owner)
    : m_owner(owner)
{
    if (owner != nullptr) {
        m_pen = owner->Pen();
        m_brush = owner->Brush();
        m_font = owner->Font();
        m_resizeEnable = owner->ResizeEnable();
        m_layerId = owner->CurrentLayer();
    }
}

TMyShape::~TMyShape() = default;

void TMyShape::SetName(const QString& name)
{
    m_name = name;
    if (m_caption.isEmpty())
        m_caption = name;
}

double TMyShape::Zoom() const
{
    return m_owner != nullptr ? m_owner->Zoom() : 1.0;
}

int TMyShape::HotSize() const
{
    return m_owner != nullptr ? m_owner->HotSize() : 4;
}

QPointF TMyShape::ToScreen(TMyPoint p) const
{
    return QPointF(p.x * Zoom(), p.y * Zoom());
}

void TMyShape::Repaint() const
{
    if (m_owner != nullptr)
        m_owner->Invalidate();
}

void TMyShape::ForEachMember(const std::function<void(TMyShape&)>& f) const
{
    if (m_owner == nullptr)
        return;
    if (m_children.empty())
        return;
    // Every member at every depth, without recursion: nesting is only bounded by the file.
    for (TMyShape* member : m_owner->WithMembers(const_cast<TMyShape*>(this)))
        if (member != this)
            f(*member);
}

float TMyShape::Left() const
{
    float v = m_nodes.empty() ? 0.0f : m_nodes.front().x;
    for (const TMyPoint& p : m_nodes)
        v = std::min(v, p.x);
    return v;
}

float TMyShape::Top() const
{
    float v = m_nodes.empty() ? 0.0f : m_nodes.front().y;
    for (const TMyPoint& p : m_nodes)
        v = std::min(v, p.y);
    return v;
}

float TMyShape::Right() const
{
    float v = m_nodes.empty() ? 0.0f : m_nodes.front().x;
    for (const TMyPoint& p : m_nodes)
        v = std::max(v, p.x);
    return v;
}

float TMyShape::Bottom() const
{
    float v = m_nodes.empty() ? 0.0f : m_nodes.front().y;
    for (const TMyPoint& p : m_nodes)
        v = std::max(v, p.y);
    return v;
}

TMyPoint TMyShape::BoxCenter() const
{
    return TMyPoint { (Left() + Right()) / 2.0f, (Top() + Bottom()) / 2.0f };
}

void TMyShape::SetAngle(float angle)
{
    if (m_nodes.empty() || m_owner == nullptr) {
        m_angle = angle;
        return;
    }
    TMyShape* outer = m_owner->OutermostGroup(this);
    m_owner->RotateShape(outer, outer->Center(), double(angle) - double(m_angle));
    m_angle = angle;
}

void TMyShape::PropagateStyle()
{
    if (m_owner == nullptr || m_owner->IsLoading())
        return;
    ForEachMember([this](TMyShape& member) {
        member.m_colorBegin = m_colorBegin;
        member.m_colorEnd = m_colorEnd;
        member.m_gradientStyle = m_gradientStyle;
        member.m_font = m_font;
        member.m_brush = m_brush;
        member.m_pen = m_pen;
    });
}

void TMyShape::SetPen(const TMyPen& pen)
{
    m_pen = pen;
    PropagateStyle();
}

void TMyShape::SetBrush(const TMyBrush& brush)
{
    m_brush = brush;
    PropagateStyle();
}

void TMyShape::SetFont(const TMyFont& font)
{
    m_font = font;
    if (m_owner == nullptr || m_owner->IsLoading())
        return;
    ForEachMember([&font](TMyShape& member) { member.m_font = font; });
}

void TMyShape::SetColorBegin(TColor color)
{
    if (color == m_colorBegin)
        return;
    m_colorBegin = color;
    m_gradientBitmap = QImage(); // re-rendered by the renderer from the new ramp
    if (m_owner == nullptr || m_owner->IsLoading())
        return;
    ForEachMember([color](TMyShape& member) {
        member.m_colorBegin = color;
        member.m_gradientBitmap = QImage();
    });
    Repaint();
}

void TMyShape::SetColorEnd(TColor color)
{
    if (color == m_colorEnd)
        return;
    m_colorEnd = color;
    m_gradientBitmap = QImage();
    if (m_owner == nullptr || m_owner->IsLoading())
        return;
    ForEachMember([color](TMyShape& member) {
        member.m_colorEnd = color;
        member.m_gradientBitmap = QImage();
    });
    Repaint();
}

void TMyShape::SetGradientStyle(TGradientStyle style)
{
    if (style == m_gradientStyle)
        return;
    m_gradientStyle = style;
    m_gradientBitmap = QImage();
    if (m_owner == nullptr || m_owner->IsLoading())
        return;
    ForEachMember([style](TMyShape& member) {
        member.m_gradientStyle = style;
        member.m_gradientBitmap = QImage();
    });
    Repaint();
}

void TMyShape::SetIsFlipHorz(bool flip)
{
    if (flip == m_isFlipHorz)
        return;
    if (m_owner != nullptr)
        m_owner->FlipShapeHorz(this);
    else
        FlipHorz();
}

void TMyShape::SetIsFlipVert(bool flip)
{
    if (flip == m_isFlipVert)
        return;
    if (m_owner != nullptr)
        m_owner->FlipShapeVert(this);
    else
        FlipVert();
}

void TMyShape::SetLocked(bool locked)
{
    m_locked = locked;
    ForEachMember([locked](TMyShape& member) { member.m_locked = locked; });
    Repaint();
}

void TMyShape::SetMultiInfo(const QStringList& lines)
{
    m_multiInfo = lines;
    Repaint();
}

void TMyShape::MoveFromTo(QPointF fromPoint, QPointF toPoint)
{
    MoveBy(toPoint.x() - fromPoint.x(), toPoint.y() - fromPoint.y());
}

void TMyShape::MoveBy(double dx, double dy)
{
    if (dx == 0.0 && dy == 0.0)
        return;
    const auto ldx = static_cast<float>(dx / Zoom());
    const auto ldy = static_cast<float>(dy / Zoom());
    for (TMyPoint& p : m_nodes) {
        p.x += ldx;
        p.y += ldy;
    }
    for (TMyPoint& p : m_linkPoints) {
        p.x += ldx;
        p.y += ldy;
    }
    m_center.x += ldx;
    m_center.y += ldy;
    m_captionPos.x += ldx;
    m_captionPos.y += ldy;
}

void TMyShape::ResetCenter()
{
    m_center = BoxCenter();
    m_captionPos = TMyPoint { m_center.x, Bottom() + 10.0f };
}

QString TMyShape::FormatDistance(QPointF p1, QPointF p2) const
{
    return m_owner != nullptr ? m_owner->FormatDistance(p1, p2) : QString();
}

void TMyShape::RotateAround(TMyPoint center, double angle)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    auto turn = [&](TMyPoint& p) {
        const double x = p.x - center.x;
        const double y = p.y - center.y;
        p.x = static_cast<float>(center.x + c * x - s * y);
        p.y = static_cast<float>(center.y + s * x + c * y);
    };
    for (TMyPoint& p : m_nodes)
        turn(p);
    for (TMyPoint& p : m_linkPoints)
        turn(p);
}

void TMyShape::DragNode(QPointF fromPoint, QPointF toPoint)
{
    if (m_hotNode < 0 || m_hotNode >= static_cast<int>(m_nodes.size()))
        return;
    TMyPoint& p = m_nodes[static_cast<size_t>(m_hotNode)];
    p.x += static_cast<float>((toPoint.x() - fromPoint.x()) / Zoom());
    p.y += static_cast<float>((toPoint.y() - fromPoint.y()) / Zoom());
}

void TMyShape::AddNode(QPointF screenPoint)
{
    m_nodes.push_back(
        TMyPoint { static_cast<float>(screenPoint.x() / Zoom()), static_cast<float>(screenPoint.y() / Zoom()) });
}

void TMyShape::CopyBase(const TMyShape& source, bool withStructure)
{
    m_tag = source.m_tag;
    m_caption = source.m_caption;
    m_shapeId = source.m_shapeId;
    m_layerId = source.m_layerId;
    m_gradientBitmap = source.m_gradientBitmap;
    m_colorBegin = source.m_colorBegin;
    m_colorEnd = source.m_colorEnd;
    m_gradientStyle = source.m_gradientStyle;
    m_isFlipHorz = source.m_isFlipHorz;
    m_isFlipVert = source.m_isFlipVert;
    m_locked = source.m_locked;
    m_info = source.m_info;
    m_pen = source.m_pen;
    m_brush = source.m_brush;
    m_brush.pattern = source.m_brush.pattern.copy(); // a private copy of the pattern
    m_font = source.m_font;
    m_nodes = source.m_nodes;
    m_linkPoints = source.m_linkPoints;
    if (withStructure) {
        m_shapeIndex = source.m_shapeIndex;
        m_children = source.m_children;
        m_links = source.m_links;
        m_parentGroup = source.m_parentGroup;
        m_multiInfo = source.m_multiInfo;
        m_multiInfoAlignment = source.m_multiInfoAlignment;
    }
    m_angle = source.m_angle;
    m_captionPos = source.m_captionPos;
    m_userData.Assign(source.m_userData);
    m_hotNode = -1;
    m_center = BoxCenter();
}

void TMyShape::Assign(const TMyShape& source)
{
    if (&source == this)
        return;
    CopyBase(source, true);
}

void TMyShape::AssignGeometry(const TMyShape& source)
{
    if (&source == this)
        return;
    CopyBase(source, false);
}

void TMyShape::FlipHorz()
{
    const float cx = m_center.x;
    for (TMyPoint& p : m_nodes)
        p.x = 2.0f * cx - p.x;
    for (TMyPoint& p : m_linkPoints)
        p.x = 2.0f * cx - p.x;
    m_captionPos.x = 2.0f * cx - m_captionPos.x;
    if (m_angle != 0.0f)
        m_angle = static_cast<float>(M_PI - double(m_angle));
    m_isFlipHorz = !m_isFlipHorz;
    Repaint();
}

void TMyShape::FlipVert()
{
    const float cy = m_center.y;
    for (TMyPoint& p : m_nodes)
        p.y = 2.0f * cy - p.y;
    for (TMyPoint& p : m_linkPoints)
        p.y = 2.0f * cy - p.y;
    m_captionPos.y = 2.0f * cy - m_captionPos.y;
    if (m_angle != 0.0f)
        m_angle = -m_angle;
    m_isFlipVert = !m_isFlipVert;
    Repaint();
}

QPoint TMyShape::GetScreenCenter() const
{
    const TMyPoint c = GetCenter();
    return QPoint(CanvasMath::RoundToInt(c.x * Zoom()), CanvasMath::RoundToInt(c.y * Zoom()));
}

TMyPoint TMyShape::GetNode(int i) const
{
    if (i < 0 || i >= static_cast<int>(m_nodes.size()))
        return TMyPoint {};
    return m_nodes[static_cast<size_t>(i)];
}

int TMyShape::NodeAt(QPointF)
{
    return -1;
}

bool TMyShape::HitTest(QPointF) const
{
    return false;
}

int TMyShape::NodeAtNodes(QPointF screenPoint)
{
    std::vector<QPointF> handles;
    for (const TMyPoint& p : Nodes())
        handles.push_back(ToScreen(p));
    const int node = HandleAt(handles, screenPoint);
    SetHotNode(node);
    return node;
}

int TMyShape::HandleAt(const std::vector<QPointF>& handles, QPointF screenPoint) const
{
    const double h = HotSize();
    int found = -1;
    for (size_t i = 0; i < handles.size(); ++i) {
        const double hx = std::nearbyint(handles[i].x());
        const double hy = std::nearbyint(handles[i].y());
        if (screenPoint.x() >= hx - h && screenPoint.x() < hx + h && screenPoint.y() >= hy - h
            && screenPoint.y() < hy + h)
            found = static_cast<int>(i);
    }
    return found;
}

bool TMyShape::HitSegments(QPointF screenPoint, bool closed) const
{
    return SegmentAt(screenPoint, closed) >= 0;
}

int TMyShape::SegmentAt(QPointF screenPoint, bool closed) const
{
    const size_t n = m_nodes.size();
    for (size_t i = 0; i + 1 < n; ++i)
        if (HitSegment(screenPoint, ToScreen(m_nodes[i]), ToScreen(m_nodes[i + 1])))
            return static_cast<int>(i);
    if (closed && n > 2 && HitSegment(screenPoint, ToScreen(m_nodes[n - 1]), ToScreen(m_nodes[0])))
        return static_cast<int>(n - 1);
    return -1;
}

Qt::CursorShape TMyShape::CursorAt(QPointF)
{
    return Qt::CrossCursor;
}

bool TMyShape::HitLogicalPolyline(const std::vector<TMyPoint>& points, QPointF screenPoint, bool closed) const
{
    const size_t n = points.size();
    for (size_t i = 0; i + 1 < n; ++i)
        if (HitSegment(screenPoint, ToScreen(points[i]), ToScreen(points[i + 1])))
            return true;
    return closed && n > 2 && HitSegment(screenPoint, ToScreen(points[n - 1]), ToScreen(points[0]));
}

bool TMyShape::HitPolygon(QPointF screenPoint) const
{
    bool inside = false;
    const size_t n = m_nodes.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const QPointF a = ToScreen(m_nodes[i]);
        const QPointF b = ToScreen(m_nodes[j]);
        if ((a.y() > screenPoint.y()) != (b.y() > screenPoint.y())
            && screenPoint.x() < (b.x() - a.x()) * (screenPoint.y() - a.y()) / (b.y() - a.y()) + a.x())
            inside = !inside;
    }
    return inside;
}
