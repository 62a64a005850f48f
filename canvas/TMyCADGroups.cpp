// Groups made and dissolved by code, and the ends of link lines.
#include "canvas/TMyCAD.h"

#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "canvas/UndoActions.h"

#include <algorithm>

TMyShape* TMyCAD::GroupSelectedShapes()
{
    std::vector<TMyShape*> members;
    for (TMyShape* shape : m_selection)
        if (shape->ParentGroup() < 0)
            members.push_back(shape);
    if (members.size() < 2)
        return nullptr;
    std::sort(members.begin(), members.end(),
        [](const TMyShape* a, const TMyShape* b) { return a->ShapeIndex() < b->ShapeIndex(); });
    TMyShape* group = AppendShape(std::make_unique<TMyGroup>(this));
    if (group == nullptr)
        return nullptr;
    group->SetName(QStringLiteral("Shape") + QString::number(group->ShapeId()));
    float l = members.front()->Left(), t = members.front()->Top();
    float r = members.front()->Right(), b = members.front()->Bottom();
    for (TMyShape* member : members) {
        group->Children().push_back(member->ShapeIndex());
        member->SetParentGroup(group->ShapeIndex());
        l = std::min(l, member->Left());
        t = std::min(t, member->Top());
        r = std::max(r, member->Right());
        b = std::max(b, member->Bottom());
    }
    group->Nodes() = { TMyPoint { l, t }, TMyPoint { r, t }, TMyPoint { r, b }, TMyPoint { l, b } };
    group->ResetCenter();
    m_undo.Record(UndoActions::kGroup, { group });
    m_selection.assign(1, group);
    Invalidate();
    return group;
}

bool TMyCAD::UngroupShape(TMyShape* group)
{
    if (group == nullptr || dynamic_cast<TMyGroup*>(group) == nullptr || group->Locked()
        || ShapeByIndex(group->ShapeIndex()) != group)
        return false;
    m_undo.Record(UndoActions::kUngroup, { group });
    std::vector<TMyShape*> members;
    for (int index : group->Children())
        if (TMyShape* member = ShapeByIndex(index); member != nullptr && member != group)
            members.push_back(member);
    DissolveGroup(group);
    m_selection.clear();
    for (TMyShape* member : members)
        if (member->ParentGroup() < 0)
            SelectShape(member);
    Invalidate();
    return true;
}

void TMyCAD::DissolveGroup(TMyShape* group)
{
    const int position = group->ShapeIndex();
    for (int index : group->Children())
        if (TMyShape* member = ShapeByIndex(index))
            member->SetParentGroup(-1);
    group->Children().clear();
    RemoveShapes({ position });
}

void TMyCAD::RerouteLinks(TMyShape* shape)
{
    if (shape == nullptr)
        return;
    auto linkPoint = [this](int shapeIndex, int pointIndex, TMyPoint& at) {
        const TMyShape* target = ShapeByIndex(shapeIndex);
        if (target == nullptr)
            return false;
        if (pointIndex >= 0 && pointIndex < static_cast<int>(target->LinkPoints().size())) {
            at = target->LinkPoints()[size_t(pointIndex)];
            return true;
        }
        if (dynamic_cast<const TMyLinkPoint*>(target) != nullptr) {
            at = target->BoxCenter();
            return true;
        }
        return false;
    };
    for (TMyShape* part : WithMembers(shape)) {
        std::vector<int> lines = part->Links();
        if (auto* self = dynamic_cast<TMyLinkLine*>(part))
            lines.push_back(self->ShapeIndex());
        for (int index : lines) {
            auto* line = dynamic_cast<TMyLinkLine*>(ShapeByIndex(index));
            if (line == nullptr || line->Nodes().size() < 2)
                continue;
            TMyPoint at;
            if (linkPoint(line->StartShapeIndex(), line->StartLinkPointIndex(), at))
                line->Nodes().front() = at;
            if (linkPoint(line->EndShapeIndex(), line->EndLinkPointIndex(), at))
                line->Nodes().back() = at;
            line->SetCenter(line->BoxCenter());
        }
    }
    Invalidate();
}
