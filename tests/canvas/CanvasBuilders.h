#pragma once

#include "canvas/TMyCAD.h"
#include "canvas/TMyRectangle.h"

#include <QPointF>

#include <vector>

// Small helpers that build drawings for the canvas tests.
namespace CanvasBuilders {

inline int AddLine(TMyCAD& cad, double x0, double y0, double x1, double y1, TDrawTool tool = SpLine)
{
    return cad.AddShape(tool, QString(), 0.0f, { QPointF(x0, y0), QPointF(x1, y1) }, QStringLiteral("Line"));
}

inline int AddRect(TMyCAD& cad, double x, double y, double w, double h, TDrawTool tool = SpRectangle)
{
    return cad.AddShape(tool, QString(), 0.0f,
        { QPointF(x, y), QPointF(x + w, y), QPointF(x + w, y + h), QPointF(x, y + h) }, QStringLiteral("Rect"));
}

// Groups the shapes at the given list positions under a new group appended at the end.
inline TMyShape* Group(TMyCAD& cad, const std::vector<int>& members)
{
    TMyShape* group = cad.AppendShape(std::make_unique<TMyGroup>(&cad));
    group->SetName(QStringLiteral("Group"));
    group->Children() = members;
    for (int index : members)
        cad.ShapeByIndex(index)->SetParentGroup(group->ShapeIndex());
    float l = 1e9f, t = 1e9f, r = -1e9f, b = -1e9f;
    for (int index : members) {
        const TMyShape* s = cad.ShapeByIndex(index);
        l = std::min(l, s->Left());
        t = std::min(t, s->Top());
        r = std::max(r, s->Right());
        b = std::max(b, s->Bottom());
    }
    group->Nodes() = { TMyPoint { l, t }, TMyPoint { r, t }, TMyPoint { r, b }, TMyPoint { l, b } };
    group->ResetCenter();
    return group;
}

// Checks that every stored list index names the right shape; returns a description of the first fault.
inline QString IndexFault(const TMyCAD& cad)
{
    for (int i = 0; i < cad.ShapeCount(); ++i) {
        const TMyShape* s = cad.ShapeByIndex(i);
        if (s->ShapeIndex() != i)
            return QStringLiteral("ShapeIndex of %1").arg(i);
        if (cad.ShapeById(s->ShapeId()) != s)
            return QStringLiteral("id map of %1").arg(i);
        if (s->ParentGroup() >= 0) {
            const TMyShape* parent = cad.ShapeByIndex(s->ParentGroup());
            if (parent == nullptr
                || std::find(parent->Children().begin(), parent->Children().end(), i) == parent->Children().end())
                return QStringLiteral("ParentGroup of %1").arg(i);
        }
        for (int child : s->Children()) {
            const TMyShape* member = cad.ShapeByIndex(child);
            if (member == nullptr || member->ParentGroup() != i)
                return QStringLiteral("Children of %1").arg(i);
        }
    }
    return QString();
}

} // namespace CanvasBuilders
