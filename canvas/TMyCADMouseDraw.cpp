// The Drawing state: shapes built node by node with the mouse, and their completion.
#include "canvas/TMyCAD.h"
#include "canvas/TMyCADMouse.h"

#include "canvas/ShapeFactory.h"
#include "canvas/TMyElliArc.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyPolyBezier.h"
#include "canvas/TMyRectangle.h"
#include "canvas/UndoActions.h"

#include <cmath>

namespace {

// Poly lines and polygons keep Shift relative to their last node, the others to their first.
bool ConstrainsToLastNode(const TMyShape& shape)
{
    switch (shape.Kind()) {
    case ShapeKind::PolyLine:
    case ShapeKind::Polygon:
        return true;
    case ShapeKind::Line:
    case ShapeKind::RuleLine:
    case ShapeKind::LinkLine:
    case ShapeKind::Rectangle:
    case ShapeKind::Ellipse:
    case ShapeKind::Text:
    case ShapeKind::Group:
    case ShapeKind::Combine:
    case ShapeKind::LinkPoint:
    case ShapeKind::LineLinkLine:
    case ShapeKind::ElliArc:
    case ShapeKind::PolyBezier:
    case ShapeKind::Image:
        return false;
    }
    return false;
}

} // namespace

void TMyCADMouse::DrawingDown(Qt::KeyboardModifiers modifiers, QPointF point)
{
    m_cad.ClearSelection();
    QPointF p = SnapPoint(point, {});
    if (m_drawing == nullptr) {
        m_drawing = ShapeFactory::CreateForTool(m_cad.ShapeTool(), &m_cad);
        if (m_drawing == nullptr)
            return;
        m_drawing->SetShapeIndex(m_cad.ShapeCount());
    }
    TMyShape& shape = *m_drawing;
    auto& nodes = shape.Nodes();
    if (!nodes.empty() && modifiers.testFlag(Qt::ShiftModifier)) {
        const TMyPoint ref = ConstrainsToLastNode(shape) ? nodes.back() : nodes.front();
        p = DrawShift(shape, QPointF(ref.x * m_cad.Zoom(), ref.y * m_cad.Zoom()), p);
    }
    if (shape.Kind() == ShapeKind::LinkLine) {
        auto* link = static_cast<TMyLinkLine*>(&shape);
        int index = -1, linkPoint = -1;
        QPointF at;
        if (LinkPointAt(p, index, linkPoint, at)) {
            p = at;
            if (nodes.empty())
                link->SetStart(index, linkPoint);
            else
                link->SetEnd(index, linkPoint);
        } else if (!nodes.empty()) {
            link->SetEnd(-1, -1);
        }
    }
    shape.AddNode(p);
    const TMyPoint last = nodes.empty() ? TMyPoint {} : nodes.back();
    m_downPoint = m_currentPoint = QPointF(last.x * m_cad.Zoom(), last.y * m_cad.Zoom());
    TraceCreation(m_currentPoint);
}

void TMyCADMouse::DrawingMove(Qt::KeyboardModifiers modifiers, QPointF point)
{
    if (m_drawing == nullptr)
        return;
    QPointF p = SnapPoint(point, {});
    if (m_drawing->Kind() == ShapeKind::LinkLine) {
        int index = -1, linkPoint = -1;
        QPointF at;
        if (LinkPointAt(point, index, linkPoint, at))
            p = at;
    }
    if (modifiers.testFlag(Qt::ShiftModifier) && !m_drawing->Nodes().empty())
        p = DrawShift(*m_drawing, m_downPoint, p);
    m_currentPoint = p;
    TraceCreation(p);
    ShowLabelValue(m_downPoint, p);
}

void TMyCADMouse::DrawingUp(Qt::KeyboardModifiers modifiers, QPointF point)
{
    if (m_drawing == nullptr)
        return;
    m_cad.m_modified = true;
    QPointF p = SnapPoint(point, {});
    const auto& nodes = m_drawing->Nodes();
    if (modifiers.testFlag(Qt::ShiftModifier) && nodes.size() > 1) {
        const TMyPoint ref = ConstrainsToLastNode(*m_drawing) ? nodes[nodes.size() - 2] : nodes.front();
        p = DrawShift(*m_drawing, QPointF(ref.x * m_cad.Zoom(), ref.y * m_cad.Zoom()), p);
    }
    if (CompleteDrawnShape(p))
        FinishDrawnShape();
}

bool TMyCADMouse::CompleteDrawnShape(QPointF point)
{
    TMyShape& shape = *m_drawing;
    auto& nodes = shape.Nodes();
    const size_t n = nodes.size();
    const bool lastTwoEqual = n >= 2 && nodes[n - 1] == nodes[n - 2];
    switch (shape.Kind()) {
    case ShapeKind::PolyBezier: {
        if (n <= 3 || !lastTwoEqual)
            return false;
        nodes.pop_back();
        const size_t count = nodes.size();
        if (count < 4)
            return false;
        if (count % 3 == 2) {
            // The last click follows the midpoint that would have joined it to the
            // next segment: the curve ends on the click itself, not short of it.
            nodes.erase(nodes.end() - 2);
        } else {
            const TMyPoint p { CanvasMath::ToFloat(point.x() / m_cad.Zoom()),
                CanvasMath::ToFloat(point.y() / m_cad.Zoom()) };
            while ((nodes.size() - 1) % 3 != 0)
                nodes.push_back(p);
        }
        return true;
    }
    case ShapeKind::Polygon: {
        if (n < 3)
            return false;
        const double h = m_cad.HotSize();
        auto near = [&](TMyPoint node) {
            return std::abs(point.x() - node.x * m_cad.Zoom()) <= h && std::abs(point.y() - node.y * m_cad.Zoom()) <= h;
        };
        if (!near(nodes.front()) && !near(nodes[n - 2]))
            return false;
        nodes.back() = nodes.front();
        return true;
    }
    case ShapeKind::PolyLine:
        if (n < 3 || !lastTwoEqual)
            return false;
        nodes.pop_back();
        return true;
    case ShapeKind::Line:
    case ShapeKind::RuleLine:
    case ShapeKind::LinkLine:
        return n == 2;
    case ShapeKind::Rectangle:
    case ShapeKind::Ellipse:
    case ShapeKind::Text:
    case ShapeKind::Group:
    case ShapeKind::Combine:
    case ShapeKind::LinkPoint:
    case ShapeKind::LineLinkLine:
    case ShapeKind::Image:
        return n == 4;
    case ShapeKind::ElliArc:
        return shape.IsComplete();
    }
    return shape.IsComplete();
}

void TMyCADMouse::FinishDrawnShape()
{
    std::unique_ptr<TMyShape> shape = std::move(m_drawing);
    ClearTrace();
    PublishTrace();
    if (shape->Kind() == ShapeKind::Text) {
        auto* text = static_cast<TMyText*>(shape.get());
        QStringList lines;
        if (m_cad.m_host != nullptr && m_cad.m_host->EditStringList(lines))
            text->SetLines(lines);
        const float l = text->Left(), t = text->Top(), r = text->Right(), b = text->Bottom();
        text->Nodes() = { TMyPoint { l, t }, TMyPoint { r, t }, TMyPoint { r, b }, TMyPoint { l, b } };
    }
    TMyShape* added = m_cad.AppendShape(std::move(shape));
    if (added == nullptr)
        return; // no layer: the message was shown
    added->SetName(QStringLiteral("Shape") + QString::number(added->ShapeId()));
    if (added->Kind() == ShapeKind::LinkLine) {
        const auto* link = static_cast<const TMyLinkLine*>(added);
        for (int end : { link->StartShapeIndex(), link->EndShapeIndex() })
            if (TMyShape* target = m_cad.ShapeByIndex(end))
                if (std::find(target->Links().begin(), target->Links().end(), added->ShapeIndex())
                    == target->Links().end())
                    target->Links().push_back(added->ShapeIndex());
    }
    m_cad.m_undo.Record(UndoActions::kAdd, { added });
    m_cad.m_selection.assign(1, added);
    added->ResetCenter();
    if (m_cad.OnShapeAdded) {
        TMyShape* reported = added;
        m_cad.OnShapeAdded(reported, m_cad.ShapeCount());
    }
    if (m_cad.ReturnToSelecting()) {
        if (m_cad.OnActionToolToSelecting)
            m_cad.OnActionToolToSelecting();
        m_cad.SetShapeTool(SpSelecting);
    }
    m_cad.Invalidate();
}
