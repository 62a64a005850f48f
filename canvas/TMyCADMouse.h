#pragma once

#include "canvas/CanvasTypes.h"
#include "canvas/TraceOverlay.h"

#include <QPointF>
#include <QRectF>
#include <Qt>

#include <memory>
#include <vector>

class TMyCAD;
class TMyShape;

// What the mouse does on a canvas at the moment.
enum class TActionState {
    Idle,
    Drawing,
    Selecting,
    RotateSelecting,
    Resizing,
    Rotating,
    Dragging,
    CaptionDragging,
    NodeRemoving,
    NodeAdding,
    WholeDragging,
    Browsing
};

// The mouse state machine of a canvas: drawing shapes node by node, selecting,
// dragging, resizing, rotating, caption dragging, node adding and removing, whole
// dragging, hover notification, snapping and the Shift constraints. The canvas owns
// one and forwards its mouse calls to it. Shapes are remembered by ShapeId, so a
// callback that deletes shapes in the middle of a gesture leaves nothing dangling.
class TMyCADMouse
{
public:
    explicit TMyCADMouse(TMyCAD& cad);
    ~TMyCADMouse();
    TMyCADMouse(const TMyCADMouse&) = delete;
    TMyCADMouse& operator=(const TMyCADMouse&) = delete;

    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF point);
    void MouseMove(Qt::KeyboardModifiers modifiers, QPointF point);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF point);

    // Resizes a shape by one of its handles from where the handle is now to a screen
    // point, as a mouse resize through that handle does, without snapping (the report
    // designer's Shift+arrow keys). One undo step; nothing for a locked shape.
    void ResizeByHandle(TMyShape& shape, int handle, QPointF to);

    // The tool changed: the state follows it and a shape in progress is dropped.
    void ToolChanged(TDrawTool tool);
    TActionState State() const { return m_state; }
    // The shape being drawn (not yet in the list), or nullptr.
    const TMyShape* ShapeInProgress() const { return m_drawing.get(); }
    const TraceOverlay& Trace() const { return m_trace; }
    // The shape last reported to OnMouseEnterShape, or nullptr.
    TMyShape* HoverShape() const;

    // Snaps a screen point to the grid and, when that did not move it and SnapShape
    // is on, to the box edges of the top-level shapes that are not excluded.
    QPointF SnapPoint(QPointF point, const std::vector<const TMyShape*>& exclude) const;
    // The rotation angle (radians) about a centre from one point to another, rounded
    // to RotateConstraintDegree when that is above 0.
    double RotationAngle(QPointF center, QPointF from, QPointF to) const;
    // Control points to and from the caller's corner (XYMode).
    QPointF ToCaller(QPointF point) const;
    QPointF FromCaller(QPointF point) const;

private:
    // --- mouse down by state (TMyCADMouseDraw.cpp, TMyCADMouseSelect.cpp) ---
    void DrawingDown(Qt::KeyboardModifiers modifiers, QPointF point);
    void SelectingDown(Qt::KeyboardModifiers modifiers, QPointF point);
    bool HandleDown(QPointF point);
    bool SelectedShapeDown(Qt::KeyboardModifiers modifiers, QPointF point);
    void CandidateDown(Qt::KeyboardModifiers modifiers, QPointF point);

    // --- mouse move ---
    void DrawingMove(Qt::KeyboardModifiers modifiers, QPointF point);
    void HoverMove(QPointF point);
    void ResizingMove(Qt::KeyboardModifiers modifiers, QPointF point);
    void DraggingMove(QPointF point);
    void RotatingMove(QPointF point);
    void WholeDraggingMove(QPointF point);

    // --- mouse up ---
    void DrawingUp(Qt::KeyboardModifiers modifiers, QPointF point);
    void FinishDrawnShape();
    bool CompleteDrawnShape(QPointF point);
    void BandUp();
    void ResizingUp(Qt::KeyboardModifiers modifiers, QPointF point);
    void DraggingUp();
    void CaptionDraggingUp();
    void RotatingUp();
    void NodeRemovingUp(QPointF point);
    void NodeAddingUp(QPointF point);
    void WholeDraggingUp();
    bool ChildOrClickThroughUp();
    void EndGesture();

    // --- geometry helpers (TMyCADMouseGeometry.cpp) ---
    // Shift while drawing: lines horizontal or vertical, boxes square, relative to ref.
    QPointF DrawShift(const TMyShape& shape, QPointF reference, QPointF point) const;
    // Shift while resizing by a handle.
    QPointF ResizeShift(TMyShape& shape, QPointF point) const;
    // The screen point a resize starts from: the hot node, or a side handle's corner.
    QPointF ResizeReference(TMyShape& shape) const;
    // Resizes through the hot handle: without the angle, DragNode, angle back, caption
    // scaled with the box; groups scale their members.
    void ResizeShape(TMyShape& shape, QPointF from, QPointF to) const;
    // The movement of a drag kept to DragMode.
    QPointF DragMovement(QPointF point) const;
    QRectF SelectionBox() const;
    // The mouse point corrected so that the moved selection box snaps.
    QPointF SnapSelectionBox(QPointF point) const;
    QRectF LockBoundArea() const;
    // With LockBound, the point kept where the selection box stays inside the control.
    QPointF KeepInLockBound(QPointF point) const;
    bool IsRectangleSideHandle(const TMyShape& shape) const;
    void MoveWithMembers(TMyShape& shape, QPointF movement) const;

    // --- traces (TMyCADMouseTrace.cpp) ---
    void ClearTrace();
    void PublishTrace();
    void TraceCreation(QPointF point);
    void TraceShapesMoved(const std::vector<TMyShape*>& shapes, QPointF movement);

    // --- lookups ---
    TMyShape* Operated() const;
    TMyShape* ShapeOf(int id) const;
    bool OnVisibleLayer(const TMyShape& shape) const;
    bool Reachable(const TMyShape& shape) const;
    TMyShape* TopShapeAt(QPointF point) const;
    // A link point under the mouse: shape index and link-point index, or false.
    bool LinkPointAt(QPointF point, int& shapeIndex, int& linkPoint, QPointF& at) const;
    std::vector<TMyShape*> WholeDragShapes() const;
    void SetCursor(Qt::CursorShape shape);
    void ShowLabelValue(QPointF from, QPointF to) const;

    TMyCAD& m_cad;
    TActionState m_state = TActionState::Selecting;
    TActionState m_returnState = TActionState::Selecting;
    QPointF m_downPoint;
    QPointF m_currentPoint;
    bool m_buttonDown = false;
    std::unique_ptr<TMyShape> m_drawing;
    int m_operatedId = -1;
    int m_handle = -1;
    int m_hotChildId = -1;
    int m_clickThroughId = -1;
    int m_hoverId = -1;
    QString m_hint;
    Qt::CursorShape m_cursor = Qt::CrossCursor;
    TraceOverlay m_trace;
};
