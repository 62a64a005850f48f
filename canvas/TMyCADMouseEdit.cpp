// Editing gestures on selected shapes: resizing by handles, rotating, moving the
// caption, adding and removing nodes, and dragging the whole drawing.
#include "canvas/TMyCAD.h"
#include "canvas/TMyCADMouse.h"

#include "canvas/ShapeFactory.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "canvas/UndoActions.h"

namespace {

// Node codes reported to OnNodeDeleted instead of an index.
constexpr int kClosingNode = -7;
constexpr int kTooFewNodes = -8;

} // namespace

void TMyCADMouse::ResizingMove(Qt::KeyboardModifiers modifiers, QPointF point)
{
    TMyShape* shape = Operated();
    if (shape == nullptr || shape->Locked() || !shape->ResizeEnable())
        return;
    const bool linkLine = dynamic_cast<TMyLinkLine*>(shape) != nullptr;
    QPointF p = linkLine ? point : SnapPoint(point, { shape });
    if (modifiers.testFlag(Qt::ShiftModifier))
        p = ResizeShift(*shape, p);
    if (linkLine) {
        int index = -1, linkPoint = -1;
        QPointF at;
        if (LinkPointAt(point, index, linkPoint, at))
            p = at;
    }
    if (m_cad.OnShapeMouseResizing) {
        QPointF from = ToCaller(m_downPoint);
        const QPointF callerTo = ToCaller(p);
        QPointF changed = callerTo;
        m_cad.OnShapeMouseResizing(shape, from, changed);
        if (m_cad.ShapeById(m_operatedId) != shape)
            return;
        const auto* box = dynamic_cast<TMyRectangle*>(shape);
        const bool ignoreChange = IsRectangleSideHandle(*shape) && box != nullptr && !box->AssociateSideResizing();
        if (changed != callerTo && !ignoreChange)
            p = FromCaller(changed);
    }
    m_currentPoint = p;
    ClearTrace();
    if (auto copy = ShapeFactory::Copy(*shape)) {
        copy->Children().clear(); // the trace shows the box; members are not touched
        ResizeShape(*copy, ResizeReference(*shape), p);
        TraceShapesMoved({ copy.get() }, QPointF());
    }
    PublishTrace();
    ShowLabelValue(m_downPoint, p);
}

void TMyCADMouse::ResizingUp(Qt::KeyboardModifiers modifiers, QPointF point)
{
    TMyShape* shape = Operated();
    if (shape == nullptr)
        return;
    m_cad.m_modified = true;
    if (shape->Locked() || !shape->ResizeEnable())
        return;
    const bool linkLine = dynamic_cast<TMyLinkLine*>(shape) != nullptr;
    QPointF to = linkLine ? point : SnapPoint(point, { shape });
    m_cad.m_undo.Record(UndoActions::kChange, { shape }, TUndoCause::Resize);
    const QPointF from = ResizeReference(*shape);
    if (modifiers.testFlag(Qt::ShiftModifier))
        to = ResizeShift(*shape, to);
    if (auto* link = dynamic_cast<TMyLinkLine*>(shape)) {
        int index = -1, linkPoint = -1;
        QPointF at;
        const bool attached = LinkPointAt(point, index, linkPoint, at);
        if (attached)
            to = at;
        const int last = static_cast<int>(shape->Nodes().size()) - 1;
        if (m_handle == 0)
            link->SetStart(attached ? index : -1, attached ? linkPoint : -1);
        else if (m_handle == last)
            link->SetEnd(attached ? index : -1, attached ? linkPoint : -1);
    }
    ResizeShape(*shape, from, to);
    if (m_cad.OnShapeMouseResized) {
        QPointF callerFrom = ToCaller(from);
        const QPointF callerTo = ToCaller(to);
        QPointF changed = callerTo;
        m_cad.OnShapeMouseResized(shape, callerFrom, changed);
        if (m_cad.ShapeById(m_operatedId) != shape)
            return;
        const auto* box = dynamic_cast<TMyRectangle*>(shape);
        if (box != nullptr && changed != callerTo && !(IsRectangleSideHandle(*shape) && !box->AssociateSideResizing()))
            ResizeShape(*shape, to, FromCaller(changed));
    }
    if (m_cad.OnShapeMouseResizeFinished) {
        QPointF callerFrom = ToCaller(from);
        QPointF callerTo = ToCaller(to);
        m_cad.OnShapeMouseResizeFinished(shape, callerFrom, callerTo);
        if (m_cad.ShapeById(m_operatedId) != shape)
            return;
    }
    m_cad.RerouteLinks(shape);
}

void TMyCADMouse::ResizeByHandle(TMyShape& shape, int handle, QPointF to)
{
    if (shape.Locked() || !shape.ResizeEnable() || handle < 0)
        return;
    const int operated = m_operatedId;
    const int hot = m_handle;
    m_operatedId = shape.ShapeId();
    m_handle = handle;
    m_cad.m_undo.Record(UndoActions::kChange, { &shape }, TUndoCause::Resize);
    ResizeShape(shape, ResizeReference(shape), to);
    m_cad.m_modified = true;
    m_cad.RerouteLinks(&shape);
    m_operatedId = operated;
    m_handle = hot;
}

void TMyCADMouse::RotatingMove(QPointF point)
{
    TMyShape* shape = Operated();
    if (shape == nullptr)
        return;
    TMyShape* outer = m_cad.OutermostGroup(shape);
    m_currentPoint = point;
    const QPointF center = outer->GetScreenCenter();
    const double angle = RotationAngle(center, m_downPoint, point);
    ClearTrace();
    TraceShapesMoved({ outer }, QPointF());
    const double c = std::cos(angle), s = std::sin(angle);
    for (QPolygonF& outline : m_trace.outlines)
        for (QPointF& p : outline) {
            const QPointF d = p - center;
            p = center + QPointF(c * d.x() - s * d.y(), s * d.x() + c * d.y());
        }
    PublishTrace();
    if (m_cad.OnShapeMouseRotating) {
        QPointF from = ToCaller(m_downPoint);
        QPointF to = ToCaller(point);
        m_cad.OnShapeMouseRotating(shape, from, to);
    }
}

void TMyCADMouse::RotatingUp()
{
    TMyShape* shape = Operated();
    if (shape == nullptr)
        return;
    m_cad.m_modified = true;
    TMyShape* outer = m_cad.OutermostGroup(shape);
    if (outer->Locked())
        return;
    m_cad.m_undo.Record(UndoActions::kChange, { outer }, TUndoCause::Rotate);
    const double angle = RotationAngle(outer->GetScreenCenter(), m_downPoint, m_currentPoint);
    m_cad.RotateShape(outer, outer->Center(), angle);
    m_cad.RerouteLinks(outer);
    if (m_cad.OnShapeMouseRotated) {
        QPointF from = ToCaller(m_downPoint);
        QPointF to = ToCaller(m_currentPoint);
        m_cad.OnShapeMouseRotated(shape, from, to);
    }
}

void TMyCADMouse::CaptionDraggingUp()
{
    TMyShape* shape = Operated();
    if (shape == nullptr)
        return;
    m_cad.m_modified = true;
    if (m_currentPoint == m_downPoint)
        return;
    m_cad.m_undo.Record(UndoActions::kChange, { shape });
    shape->SetCaptionPos(TMyPoint { CanvasMath::ToFloat(m_currentPoint.x() / m_cad.Zoom()),
        CanvasMath::ToFloat(m_currentPoint.y() / m_cad.Zoom()) });
}

void TMyCADMouse::NodeRemovingUp(QPointF point)
{
    if (m_cad.SelectedCount() > 1)
        return;
    for (TMyShape* shape : m_cad.GetSelection()) {
        if (dynamic_cast<TMyPolyLine*>(shape) == nullptr || shape->Locked())
            continue;
        const int node = shape->NodeAt(point);
        if (node < 0)
            continue;
        auto& nodes = shape->Nodes();
        const int count = static_cast<int>(nodes.size());
        int reported = node;
        if (dynamic_cast<TMyPolygon*>(shape) != nullptr) {
            if (count < 5) {
                reported = kTooFewNodes;
            } else if (node == count - 1) {
                reported = kClosingNode;
            } else {
                m_cad.m_undo.Record(UndoActions::kChange, { shape }, TUndoCause::NodeDelete, node);
                nodes.erase(nodes.begin() + node);
                if (node == 0)
                    nodes.back() = nodes.front();
            }
        } else if (count < 3) {
            reported = kTooFewNodes;
        } else {
            m_cad.m_undo.Record(UndoActions::kChange, { shape }, TUndoCause::NodeDelete, node);
            nodes.erase(nodes.begin() + node);
        }
        if (reported >= 0) {
            m_cad.m_modified = true;
            shape->SetCenter(shape->BoxCenter());
        }
        m_cad.Invalidate();
        if (m_cad.OnNodeDeleted)
            m_cad.OnNodeDeleted(shape, reported);
        return;
    }
}

void TMyCADMouse::NodeAddingUp(QPointF point)
{
    std::vector<int> ids;
    for (TMyShape* shape : m_cad.GetSelection())
        ids.push_back(shape->ShapeId());
    for (int id : ids) {
        TMyShape* shape = ShapeOf(id);
        if (shape == nullptr || dynamic_cast<TMyPolyLine*>(shape) == nullptr || shape->Locked())
            continue;
        const int segment = shape->SegmentAt(point, false);
        if (segment < 0)
            continue;
        const int index = segment + 1;
        m_cad.m_undo.Record(UndoActions::kChange, { shape }, TUndoCause::NodeAdd, index);
        auto& nodes = shape->Nodes();
        nodes.insert(nodes.begin() + index,
            TMyPoint { CanvasMath::ToFloat(point.x() / m_cad.Zoom()), CanvasMath::ToFloat(point.y() / m_cad.Zoom()) });
        m_cad.m_modified = true;
        m_cad.Invalidate();
        if (m_cad.OnNodeAdded)
            m_cad.OnNodeAdded(shape, index);
    }
}

void TMyCADMouse::WholeDraggingMove(QPointF point)
{
    m_currentPoint = point;
    ClearTrace();
    if (m_cad.DragTrace())
        TraceShapesMoved(WholeDragShapes(), DragMovement(point));
    PublishTrace();
}

void TMyCADMouse::WholeDraggingUp()
{
    m_cad.m_modified = true;
    const QPointF movement = DragMovement(m_currentPoint);
    if (movement.isNull())
        return;
    std::vector<TMyShape*> shapes;
    for (TMyShape* shape : WholeDragShapes())
        if (!shape->Locked())
            shapes.push_back(shape);
    if (shapes.empty())
        return;
    // The move is one undo step, so that a slip of the hand can be taken back.
    m_cad.m_undo.Record(UndoActions::kChange, shapes);
    for (TMyShape* shape : shapes)
        MoveWithMembers(*shape, movement);
    for (TMyShape* shape : shapes)
        m_cad.RerouteLinks(shape);
    if (m_cad.OnWholeDragged)
        m_cad.OnWholeDragged();
}
