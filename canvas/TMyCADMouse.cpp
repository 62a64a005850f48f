// The mouse state machine: entry points, state changes, hover and lookups. The
// states' own handling is in TMyCADMouseDraw.cpp (drawing), TMyCADMouseSelect.cpp
// (selecting, dragging, rubber band), TMyCADMouseEdit.cpp (resizing, rotating,
// caption, nodes, whole dragging); geometry and snapping in TMyCADMouseGeometry.cpp,
// traces in TMyCADMouseTrace.cpp.
#include "canvas/TMyCADMouse.h"

#include "canvas/TMyCAD.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"

namespace {

TActionState StateOfTool(TDrawTool tool)
{
    switch (tool) {
    case SpSelecting:
        return TActionState::Selecting;
    case SpRotateSelecting:
        return TActionState::RotateSelecting;
    case SpClose:
        return TActionState::Idle;
    case SpPolylinePolygonPointRemoving:
        return TActionState::NodeRemoving;
    case SpPolylinePolygonPointAdding:
        return TActionState::NodeAdding;
    case SpDragWhole:
        return TActionState::WholeDragging;
    case SpBrowse:
        return TActionState::Browsing;
    default:
        return TActionState::Drawing;
    }
}

} // namespace

TMyCADMouse::TMyCADMouse(TMyCAD& cad)
    : m_cad(cad)
{
}

TMyCADMouse::~TMyCADMouse() = default;

void TMyCADMouse::ToolChanged(TDrawTool tool)
{
    m_state = StateOfTool(tool);
    m_returnState = m_state;
    m_drawing.reset();
    m_buttonDown = false;
    m_operatedId = m_hotChildId = m_clickThroughId = m_hoverId = -1;
    m_handle = -1;
    ClearTrace();
    m_cad.SetHoverShape(-1);
}

TMyShape* TMyCADMouse::ShapeOf(int id) const
{
    return id >= 0 ? m_cad.ShapeById(id) : nullptr;
}

TMyShape* TMyCADMouse::Operated() const
{
    return ShapeOf(m_operatedId);
}

TMyShape* TMyCADMouse::HoverShape() const
{
    return ShapeOf(m_hoverId);
}

bool TMyCADMouse::OnVisibleLayer(const TMyShape& shape) const
{
    return m_cad.IsLayerVisible(shape.LayerId());
}

bool TMyCADMouse::Reachable(const TMyShape& shape) const
{
    if (!OnVisibleLayer(shape))
        return false;
    return m_cad.OperateAllLayer() || shape.LayerId() == m_cad.CurrentLayer();
}

TMyShape* TMyCADMouse::TopShapeAt(QPointF point) const
{
    for (int i = m_cad.ShapeCount() - 1; i >= 0; --i) {
        TMyShape* shape = m_cad.ShapeByIndex(i);
        if (shape->ParentGroup() < 0 && Reachable(*shape) && m_cad.HitShape(shape, point))
            return shape;
    }
    return nullptr;
}

void TMyCADMouse::SetCursor(Qt::CursorShape shape)
{
    if (shape == m_cursor)
        return;
    m_cursor = shape;
    if (m_cad.m_host != nullptr)
        m_cad.m_host->SetCursorShape(shape);
}

void TMyCADMouse::ShowLabelValue(QPointF from, QPointF to) const
{
    if (m_cad.LabelValue)
        m_cad.LabelValue(m_cad.FormatDistance(from, to).trimmed());
}

void TMyCADMouse::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF point)
{
    if (button != Qt::LeftButton || m_state == TActionState::Idle)
        return;
    m_downPoint = m_currentPoint = point;
    m_buttonDown = true;
    m_hotChildId = m_clickThroughId = -1;
    m_cad.SetHotShape(nullptr);
    switch (m_state) {
    case TActionState::Drawing:
        m_returnState = m_cad.ReturnToSelecting() ? TActionState::Selecting : TActionState::Drawing;
        DrawingDown(modifiers, point);
        break;
    case TActionState::Selecting:
    case TActionState::RotateSelecting:
    case TActionState::Browsing:
        m_returnState = m_state;
        SelectingDown(modifiers, point);
        break;
    default:
        m_returnState = m_state;
        break;
    }
    if (m_cad.m_host != nullptr)
        m_cad.m_host->ConfineCursor(QRect(0, 0, m_cad.Width(), m_cad.Height()));
    m_cad.Invalidate();
}

void TMyCADMouse::MouseMove(Qt::KeyboardModifiers modifiers, QPointF point)
{
    if (m_cad.LabelXY) {
        const QPointF caller = ToCaller(point);
        m_cad.LabelXY(
            QStringLiteral("(%1,%2)").arg(CanvasMath::RoundToInt(caller.x())).arg(CanvasMath::RoundToInt(caller.y())));
    }
    switch (m_state) {
    case TActionState::Drawing:
        DrawingMove(modifiers, point);
        break;
    case TActionState::Selecting:
    case TActionState::RotateSelecting:
    case TActionState::Browsing:
        if (!m_buttonDown) {
            HoverMove(point);
            break;
        }
        m_currentPoint = point;
        if (m_state != TActionState::Browsing) {
            ClearTrace();
            m_trace.selectionBand = QRectF(m_downPoint, point).normalized();
            PublishTrace();
        }
        break;
    case TActionState::Resizing:
        ResizingMove(modifiers, point);
        break;
    case TActionState::Dragging:
        DraggingMove(point);
        break;
    case TActionState::CaptionDragging:
        m_currentPoint = point;
        ClearTrace();
        m_trace.outlines.push_back(
            QPolygonF({ point + QPointF(-m_cad.HotSize(), 0), point + QPointF(0, -m_cad.HotSize()),
                point + QPointF(m_cad.HotSize(), 0), point + QPointF(-m_cad.HotSize(), 0) }));
        PublishTrace();
        break;
    case TActionState::Rotating:
        RotatingMove(point);
        break;
    case TActionState::WholeDragging:
        if (m_buttonDown)
            WholeDraggingMove(point);
        break;
    default:
        break;
    }
}

void TMyCADMouse::HoverMove(QPointF point)
{
    if (m_state != TActionState::Browsing && m_cad.MouseEffect()) {
        Qt::CursorShape cursor = Qt::CrossCursor;
        for (TMyShape* shape : m_cad.GetSelection()) {
            const int hot = shape->HotNode();
            cursor = shape->CursorAt(point);
            shape->SetHotNode(hot); // looking for a cursor is no handle choice
            if (cursor != Qt::CrossCursor)
                break;
        }
        SetCursor(cursor);
    }
    TMyShape* hovered = TopShapeAt(point);
    const int id = hovered != nullptr ? hovered->ShapeId() : -1;
    if (id == m_hoverId)
        return;
    TMyShape* previous = HoverShape();
    m_hoverId = id;
    m_cad.SetHoverShape(id);
    if (previous != nullptr && m_cad.OnMouseLeaveShape)
        m_cad.OnMouseLeaveShape(previous);
    if (hovered != nullptr && m_cad.OnMouseEnterShape)
        m_cad.OnMouseEnterShape(hovered);
    const QString hint = hovered != nullptr ? hovered->Caption() : QString();
    if (m_cad.ShowHint() && hint != m_hint && m_cad.m_host != nullptr)
        m_cad.m_host->ShowHint(hint);
    m_hint = hint;
}

void TMyCADMouse::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF point)
{
    if (button != Qt::LeftButton || !m_buttonDown)
        return;
    m_currentPoint = point;
    if (!ChildOrClickThroughUp()) {
        switch (m_state) {
        case TActionState::Drawing:
            DrawingUp(modifiers, point);
            break;
        case TActionState::Selecting:
        case TActionState::RotateSelecting:
            BandUp();
            break;
        case TActionState::Resizing:
            ResizingUp(modifiers, point);
            break;
        case TActionState::Dragging:
            DraggingUp();
            break;
        case TActionState::CaptionDragging:
            CaptionDraggingUp();
            break;
        case TActionState::Rotating:
            RotatingUp();
            break;
        case TActionState::NodeRemoving:
            NodeRemovingUp(point);
            break;
        case TActionState::NodeAdding:
            NodeAddingUp(point);
            break;
        case TActionState::WholeDragging:
            WholeDraggingUp();
            break;
        default:
            break;
        }
    }
    EndGesture();
}

bool TMyCADMouse::ChildOrClickThroughUp()
{
    const bool moved = m_currentPoint != m_downPoint;
    if (moved)
        return false;
    if (TMyShape* child = ShapeOf(m_hotChildId)) {
        bool accept = true;
        if (m_cad.OnChildShapeSelected)
            m_cad.OnChildShapeSelected(child, accept);
        if (accept && ShapeOf(m_hotChildId) == child)
            m_cad.m_selection.assign(1, child);
        return true;
    }
    if (TMyShape* through = ShapeOf(m_clickThroughId)) {
        TMyShape* handled = Operated();
        m_cad.m_selection.assign(1, through);
        if (m_cad.OnShapeSelected)
            m_cad.OnShapeSelected(handled, through);
        if (ShapeOf(m_clickThroughId) == through && through->OnClick)
            through->OnClick(&m_cad);
        return true;
    }
    return false;
}

void TMyCADMouse::EndGesture()
{
    switch (m_state) {
    case TActionState::Resizing:
    case TActionState::Rotating:
    case TActionState::Dragging:
    case TActionState::CaptionDragging:
        m_state = m_returnState;
        break;
    default:
        break;
    }
    if (m_cad.MouseEffect())
        SetCursor(Qt::CrossCursor);
    m_buttonDown = false;
    m_operatedId = -1;
    m_handle = -1;
    if (m_drawing == nullptr)
        ClearTrace();
    PublishTrace();
    if (m_cad.m_host != nullptr)
        m_cad.m_host->ReleaseCursor();
    m_cad.Invalidate();
}

std::vector<TMyShape*> TMyCADMouse::WholeDragShapes() const
{
    std::vector<TMyShape*> shapes;
    for (int i = 0; i < m_cad.ShapeCount(); ++i) {
        TMyShape* shape = m_cad.ShapeByIndex(i);
        if (shape->ParentGroup() >= 0)
            continue;
        if (m_cad.OperateAllLayer() || shape->LayerId() == m_cad.CurrentLayer())
            shapes.push_back(shape);
    }
    return shapes;
}

bool TMyCADMouse::LinkPointAt(QPointF point, int& shapeIndex, int& linkPoint, QPointF& at) const
{
    const double h = m_cad.HotSize();
    for (int i = m_cad.ShapeCount() - 1; i >= 0; --i) {
        const TMyShape* shape = m_cad.ShapeByIndex(i);
        if (!shape->Visible() || !OnVisibleLayer(*shape))
            continue;
        const auto& points = shape->LinkPoints();
        for (size_t k = 0; k < points.size(); ++k) {
            const QPointF p(points[k].x * m_cad.Zoom(), points[k].y * m_cad.Zoom());
            if (std::abs(point.x() - p.x()) <= h && std::abs(point.y() - p.y()) <= h) {
                shapeIndex = i;
                linkPoint = static_cast<int>(k);
                at = p;
                return true;
            }
        }
        // A link-point shape offers its centre as link point 0.
        if (dynamic_cast<const TMyLinkPoint*>(shape) != nullptr && shape->HitTest(point)) {
            shapeIndex = i;
            linkPoint = 0;
            const TMyPoint c = shape->BoxCenter();
            at = QPointF(c.x * m_cad.Zoom(), c.y * m_cad.Zoom());
            return true;
        }
    }
    return false;
}

// --- the canvas's mouse entry points ---

void TMyCAD::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(button, modifiers, x, y);
    m_mouse->MouseDown(button, modifiers, QPointF(x, y));
}

void TMyCAD::MouseDoubleClick(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y)
{
    MouseDown(button, modifiers, x, y);
}

void TMyCAD::MouseMove(Qt::KeyboardModifiers modifiers, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(modifiers, x, y);
    m_mouse->MouseMove(modifiers, QPointF(x, y));
}

void TMyCAD::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y)
{
    m_mouse->MouseUp(button, modifiers, QPointF(x, y));
    if (OnMouseUp)
        OnMouseUp(button, modifiers, x, y);
}
