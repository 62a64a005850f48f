// Selecting with the mouse: handles first, then the selected shapes (Shift-click,
// click-through), then the shapes under the mouse; the rubber band; dragging.
#include "canvas/TMyCAD.h"
#include "canvas/TMyCADMouse.h"

#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "canvas/UndoActions.h"

#include <algorithm>

namespace {

bool HasCaptionText(const TMyShape& shape)
{
    return (!shape.Info().isEmpty() || !shape.MultiInfo().isEmpty()) && dynamic_cast<const TMyText*>(&shape) == nullptr;
}

} // namespace

void TMyCADMouse::SelectingDown(Qt::KeyboardModifiers modifiers, QPointF point)
{
    if (HandleDown(point) || SelectedShapeDown(modifiers, point))
        return;
    CandidateDown(modifiers, point);
}

bool TMyCADMouse::HandleDown(QPointF point)
{
    const bool rotating = m_state == TActionState::RotateSelecting;
    for (TMyShape* shape : m_cad.GetSelection()) {
        for (TMyShape* member : m_cad.WithMembers(shape))
            if (member != shape && member->HitTest(point)) {
                m_hotChildId = member->ShapeId();
                m_cad.SetHotShape(member); // its handles are drawn instead of the group's
                break;
            }
        int handle = shape->NodeAt(point);
        auto* box = dynamic_cast<TMyRectangle*>(shape);
        if (rotating && box != nullptr && handle >= 4) {
            // Side handles take no part in rotating.
            const bool sides = box->ShowSideHot();
            box->SetShowSideHot(false);
            handle = box->NodeAt(point);
            box->SetShowSideHot(sides);
        }
        if (handle < 0) {
            const TMyPoint caption = shape->CaptionPos();
            const double h = m_cad.HotSize();
            const QPointF at(std::nearbyint(caption.x * m_cad.Zoom()), std::nearbyint(caption.y * m_cad.Zoom()));
            if (HasCaptionText(*shape) && !shape->Locked() && point.x() >= at.x() - h && point.x() < at.x() + h
                && point.y() >= at.y() - h && point.y() < at.y() + h) {
                m_downPoint = m_currentPoint = QPointF(caption.x * m_cad.Zoom(), caption.y * m_cad.Zoom());
                m_operatedId = shape->ShapeId();
                if (m_state == TActionState::Selecting)
                    m_state = TActionState::CaptionDragging;
                return true;
            }
            continue;
        }
        if (dynamic_cast<TMyLinkLine*>(shape) == nullptr && handle < 4) {
            const TMyPoint node = shape->GetNode(handle);
            m_downPoint = m_currentPoint = QPointF(node.x * m_cad.Zoom(), node.y * m_cad.Zoom());
        }
        m_operatedId = shape->ShapeId();
        m_handle = handle;
        if (m_state == TActionState::Selecting && m_cad.ResizeEnable())
            m_state = TActionState::Resizing;
        else if (rotating && m_cad.RotateEnable())
            m_state = TActionState::Rotating;
        return true;
    }
    return false;
}

bool TMyCADMouse::SelectedShapeDown(Qt::KeyboardModifiers modifiers, QPointF point)
{
    for (TMyShape* shape : m_cad.GetSelection()) {
        if (!m_cad.HitShape(shape, point))
            continue;
        if (modifiers.testFlag(Qt::ShiftModifier)) {
            m_cad.DeselectShape(shape);
            return true;
        }
        const std::vector<TMyShape*> members = m_cad.WithMembers(shape);
        const QRectF box(QPointF(shape->Left(), shape->Top()) * m_cad.Zoom(),
            QPointF(shape->Right(), shape->Bottom()) * m_cad.Zoom());
        for (int i = 0; i < m_cad.ShapeCount() && m_clickThroughId < 0; ++i) {
            TMyShape* other = m_cad.ShapeByIndex(i);
            if (std::find(members.begin(), members.end(), other) != members.end() || !Reachable(*other)
                || !other->HitTest(point))
                continue;
            const QRectF otherBox(QPointF(other->Left(), other->Top()) * m_cad.Zoom(),
                QPointF(other->Right(), other->Bottom()) * m_cad.Zoom());
            TMyShape* outer = m_cad.OutermostGroup(other);
            if (box.contains(otherBox) && outer != shape)
                m_clickThroughId = outer->ShapeId();
        }
        m_operatedId = shape->ShapeId();
        if (m_state != TActionState::Browsing)
            m_state = TActionState::Dragging;
        if (m_cad.OnShapeSelected)
            m_cad.OnShapeSelected(shape, shape);
        if (m_cad.ShapeById(m_operatedId) == shape && shape->OnClick)
            shape->OnClick(&m_cad);
        return true;
    }
    return false;
}

void TMyCADMouse::CandidateDown(Qt::KeyboardModifiers modifiers, QPointF point)
{
    TMyShape* previous = m_cad.m_selection.empty() ? nullptr : m_cad.m_selection.front();
    if (previous != nullptr && m_cad.OnShapeSelected)
        m_cad.OnShapeSelected(previous, nullptr);
    TMyShape* linkLine = nullptr;
    TMyShape* other = nullptr;
    for (int i = m_cad.ShapeCount() - 1; i >= 0; --i) {
        TMyShape* shape = m_cad.ShapeByIndex(i);
        if (shape->ParentGroup() >= 0 || m_cad.IndexInSelection(shape) >= 0 || !Reachable(*shape)
            || !m_cad.HitShape(shape, point))
            continue;
        if (dynamic_cast<TMyLineLinkLine*>(shape) != nullptr) {
            linkLine = shape;
            break;
        }
        if (other == nullptr)
            other = shape;
    }
    TMyShape* chosen = linkLine != nullptr ? linkLine : other;
    if (chosen == nullptr) {
        m_cad.ClearSelection(); // a rubber band starts
        return;
    }
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        m_cad.SelectShape(chosen);
        if (m_cad.OnShapeSelected)
            m_cad.OnShapeSelected(nullptr, chosen);
        return;
    }
    previous = m_cad.m_selection.empty() ? nullptr : m_cad.m_selection.front();
    m_cad.m_selection.assign(1, chosen);
    m_operatedId = chosen->ShapeId();
    if (m_cad.OnShapeSelected)
        m_cad.OnShapeSelected(previous, chosen);
    if (m_cad.ShapeById(m_operatedId) == chosen && chosen->OnClick)
        chosen->OnClick(&m_cad);
    if (m_state != TActionState::Browsing)
        m_state = TActionState::Dragging;
}

void TMyCADMouse::BandUp()
{
    const QRectF band = QRectF(m_downPoint, m_currentPoint).normalized();
    for (int i = 0; i < m_cad.ShapeCount(); ++i) {
        TMyShape* shape = m_cad.ShapeByIndex(i);
        if (shape->ParentGroup() >= 0 || !shape->Visible() || !Reachable(*shape))
            continue;
        const QRectF box = QRectF(QPointF(shape->Left(), shape->Top()) * m_cad.Zoom(),
            QPointF(shape->Right(), shape->Bottom()) * m_cad.Zoom());
        if (box.left() >= band.left() && box.right() <= band.right() && box.top() >= band.top()
            && box.bottom() <= band.bottom())
            m_cad.SelectShape(shape);
    }
    ClearTrace();
}

void TMyCADMouse::DraggingMove(QPointF point)
{
    if (m_cad.LockBound() && m_cad.m_host != nullptr)
        m_cad.m_host->ConfineCursor(LockBoundArea().toRect());
    // Where the platform cannot confine the cursor the point is kept in bounds here.
    point = KeepInLockBound(point);
    if ((m_cad.Snap() || m_cad.SnapShape()) && point != m_downPoint)
        point = SnapSelectionBox(point);
    m_currentPoint = point;
    const QPointF to = m_downPoint + DragMovement(point);
    std::vector<int> ids;
    for (TMyShape* shape : m_cad.GetSelection())
        ids.push_back(shape->ShapeId());
    for (int id : ids)
        if (TMyShape* shape = ShapeOf(id); shape != nullptr && m_cad.OnShapeMouseDragging) {
            QPointF from = ToCaller(m_downPoint);
            QPointF callerTo = ToCaller(to);
            m_cad.OnShapeMouseDragging(shape, from, callerTo);
        }
    ClearTrace();
    if (m_cad.DragTrace())
        TraceShapesMoved(m_cad.GetSelection(), to - m_downPoint);
    PublishTrace();
}

void TMyCADMouse::DraggingUp()
{
    m_cad.m_modified = true;
    m_currentPoint = KeepInLockBound(m_currentPoint);
    QPointF movement = DragMovement(m_currentPoint);
    if (movement.isNull())
        return;
    if (m_cad.Snap() || m_cad.SnapShape())
        movement = DragMovement(SnapSelectionBox(m_downPoint + movement));
    std::vector<TMyShape*> targets;
    for (TMyShape* shape : m_cad.GetSelection())
        if (!shape->Locked())
            targets.push_back(shape);
    if (targets.empty() || movement.isNull())
        return;
    m_cad.m_undo.Record(UndoActions::kChange, targets, TUndoCause::Drag);
    for (TMyShape* shape : targets)
        MoveWithMembers(*shape, movement);
    const QPointF from = m_downPoint;
    const QPointF to = m_downPoint + movement;
    std::vector<int> ids;
    for (TMyShape* shape : targets)
        ids.push_back(shape->ShapeId());
    for (int id : ids) {
        TMyShape* shape = ShapeOf(id);
        if (shape == nullptr)
            continue; // a handler deleted it
        m_cad.RerouteLinks(shape);
        if (!m_cad.OnShapeMouseDragged)
            continue;
        QPointF callerFrom = ToCaller(from);
        const QPointF callerTo = ToCaller(to);
        QPointF changed = callerTo;
        m_cad.OnShapeMouseDragged(shape, callerFrom, changed);
        if (changed != callerTo) {
            const QPointF extra = FromCaller(changed) - to;
            for (TMyShape* again : m_cad.GetSelection())
                if (!again->Locked())
                    MoveWithMembers(*again, extra);
        }
    }
}
