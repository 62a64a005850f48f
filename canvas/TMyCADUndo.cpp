// Undo and redo: recorded steps played back. Every step is recorded before its
// action and holds what the action changed, so playing it restores the state before
// the action; playing produces the opposite step, which goes to the other list.
// Shapes are found by ShapeId and put back at their recorded list positions, so ids
// and indexes come back exactly and a saved canvas is byte for byte what it was.
#include "canvas/TMyCAD.h"

#include "canvas/TMyLine.h"
#include "canvas/UndoActions.h"

#include <algorithm>
#include <unordered_set>

namespace {

TUndoCause Opposite(TUndoCause cause)
{
    if (cause == TUndoCause::NodeAdd)
        return TUndoCause::NodeDelete;
    if (cause == TUndoCause::NodeDelete)
        return TUndoCause::NodeAdd;
    return cause;
}

void InsertSorted(std::vector<int>& list, int value)
{
    if (std::find(list.begin(), list.end(), value) == list.end())
        list.insert(std::upper_bound(list.begin(), list.end(), value), value);
}

} // namespace

bool TMyCAD::Undo()
{
    std::vector<TSavedShape> step = m_undo.TakeLastStep(false);
    if (step.empty())
        return false;
    m_mouse->ToolChanged(m_shapeTool); // a gesture under way ends here
    m_undo.PushStep(PlayStep(step), true);
    m_modified = true;
    Invalidate();
    return true;
}

bool TMyCAD::Redo()
{
    std::vector<TSavedShape> step = m_undo.TakeLastStep(true);
    if (step.empty())
        return false;
    m_mouse->ToolChanged(m_shapeTool);
    m_undo.PushStep(PlayStep(step), false);
    m_modified = true;
    Invalidate();
    return true;
}

std::vector<TSavedShape> TMyCAD::PlayStep(std::vector<TSavedShape>& step)
{
    const QString& action = step.front().action;
    m_selection.clear();
    m_hotShape = nullptr;
    if (action == UndoActions::kAdd)
        return PlayAdd(step);
    if (action == UndoActions::kDelete)
        return PlayDelete(step);
    if (action == UndoActions::kChange)
        return PlayChange(step);
    if (action == UndoActions::kGroup)
        return PlayGroup(step);
    if (action == UndoActions::kUngroup)
        return PlayUngroup(step);
    return PlayOrder(step);
}

std::vector<TSavedShape> TMyCAD::PlayAdd(std::vector<TSavedShape>& step)
{
    std::vector<TMyShape*> shapes;
    for (const TSavedShape& saved : step)
        if (TMyShape* shape = ShapeById(saved.shape->ShapeId()))
            if (std::find(shapes.begin(), shapes.end(), shape) == shapes.end())
                shapes.push_back(shape);
    if (shapes.empty())
        return {};
    std::vector<TSavedShape> opposite = m_undo.MakeStep(UndoActions::kDelete, shapes);
    // The added shapes go with all their members, locked or not: they did not exist.
    std::vector<TMyShape*> doomed;
    std::unordered_set<const TMyShape*> seen;
    for (TMyShape* shape : shapes)
        for (TMyShape* part : WithMembers(shape))
            if (seen.insert(part).second)
                doomed.push_back(part);
    if (OnShapeDeleted)
        for (TMyShape* part : doomed)
            OnShapeDeleted(part);
    std::vector<int> positions;
    for (TMyShape* part : doomed)
        positions.push_back(part->ShapeIndex());
    RemoveShapes(std::move(positions));
    m_selection.clear();
    return opposite;
}

std::vector<TSavedShape> TMyCAD::PlayDelete(std::vector<TSavedShape>& step)
{
    std::vector<std::unique_ptr<TMyShape>> restored;
    std::unordered_set<int> ids;
    for (const TSavedShape& saved : step) {
        const int id = saved.shape->ShapeId();
        if (ShapeById(id) != nullptr || !ids.insert(id).second)
            continue; // still there (a locked member that stayed)
        std::unique_ptr<TMyShape> shape = TUndoList::Restore(saved.record, this);
        if (!shape)
            continue;
        shape->SetCenter(saved.center);
        restored.push_back(std::move(shape));
    }
    const std::vector<TMyShape*> added = InsertRestored(std::move(restored));
    std::unordered_set<const TMyShape*> addedSet(added.begin(), added.end());
    std::vector<TMyShape*> outer;
    for (TMyShape* shape : added)
        if (addedSet.count(ShapeByIndex(shape->ParentGroup())) == 0)
            outer.push_back(shape);
    // A listener may delete shapes, so they are looked up by id after every call.
    std::vector<int> addedIds, outerIds;
    for (TMyShape* shape : added)
        addedIds.push_back(shape->ShapeId());
    for (TMyShape* shape : outer)
        outerIds.push_back(shape->ShapeId());
    for (int id : addedIds)
        if (TMyShape* shape = ShapeById(id); shape != nullptr && OnShapeAdded)
            OnShapeAdded(shape, ShapeCount());
    outer.clear();
    for (int id : outerIds)
        if (TMyShape* shape = ShapeById(id)) {
            SelectShape(shape);
            outer.push_back(shape);
        }
    return m_undo.MakeStep(UndoActions::kAdd, outer);
}

std::vector<TSavedShape> TMyCAD::PlayChange(std::vector<TSavedShape>& step)
{
    std::vector<TSavedShape> opposite;
    std::vector<int> changedIds;
    for (const TSavedShape& saved : step) {
        TMyShape* shape = ShapeById(saved.shape->ShapeId());
        if (shape == nullptr)
            continue;
        m_undo.Add(opposite, UndoActions::kChange, *shape);
        TUndoList::RestoreInto(*shape, saved.record);
        shape->SetCenter(saved.center);
        changedIds.push_back(shape->ShapeId());
    }
    const TUndoCause cause = step.front().cause;
    const int node = step.front().node;
    for (TSavedShape& saved : opposite) {
        saved.cause = Opposite(cause);
        saved.node = node;
    }
    // The listeners hear of the outermost changed shapes as from the gesture that
    // made the change (a removed node comes back as an added one and the reverse).
    std::unordered_set<int> changed(changedIds.begin(), changedIds.end());
    for (int id : changedIds) {
        TMyShape* shape = ShapeById(id);
        if (shape == nullptr)
            continue;
        const TMyShape* parent = ShapeByIndex(shape->ParentGroup());
        if (parent != nullptr && changed.count(parent->ShapeId()) != 0)
            continue;
        RerouteLinks(shape);
        SelectShape(shape);
        QPointF from = m_mouse->ToCaller(QPointF(shape->GetScreenCenter()));
        QPointF to = from;
        TMyShape* reported = shape;
        switch (cause) {
        case TUndoCause::Resize:
            if (OnShapeMouseResized)
                OnShapeMouseResized(shape, from, to);
            if (OnShapeMouseResizeFinished && ShapeById(id) == shape)
                OnShapeMouseResizeFinished(shape, from, to);
            break;
        case TUndoCause::Drag:
            if (OnShapeMouseDragged)
                OnShapeMouseDragged(shape, from, to);
            break;
        case TUndoCause::Rotate:
            if (OnShapeMouseRotated)
                OnShapeMouseRotated(shape, from, to);
            break;
        case TUndoCause::NodeAdd:
            if (OnNodeDeleted)
                OnNodeDeleted(reported, node);
            break;
        case TUndoCause::NodeDelete:
            if (OnNodeAdded)
                OnNodeAdded(reported, node);
            break;
        case TUndoCause::None:
            break;
        }
    }
    return opposite;
}

std::vector<TSavedShape> TMyCAD::PlayOrder(std::vector<TSavedShape>& step)
{
    const TSavedShape& saved = step.front();
    TMyShape* shape = ShapeById(saved.shape->ShapeId());
    if (shape == nullptr)
        return {};
    std::vector<TSavedShape> opposite;
    m_undo.Add(opposite, saved.action, *shape);
    MoveTopLevelTo(shape, saved.shape->ShapeIndex());
    SelectShape(shape);
    return opposite;
}

std::vector<TSavedShape> TMyCAD::PlayGroup(std::vector<TSavedShape>& step)
{
    TMyShape* group = ShapeById(step.front().shape->ShapeId());
    if (group == nullptr || ShapeByIndex(group->ShapeIndex()) != group)
        return {};
    std::vector<TSavedShape> opposite = m_undo.MakeStep(UndoActions::kUngroup, { group });
    std::vector<TMyShape*> members;
    for (int index : group->Children())
        if (TMyShape* member = ShapeByIndex(index); member != nullptr && member != group)
            members.push_back(member);
    DissolveGroup(group);
    for (TMyShape* member : members)
        SelectShape(member);
    return opposite;
}

std::vector<TSavedShape> TMyCAD::PlayUngroup(std::vector<TSavedShape>& step)
{
    std::unique_ptr<TMyShape> group = TUndoList::Restore(step.front().groupRecord, this);
    if (!group || ShapeById(group->ShapeId()) != nullptr)
        return {};
    group->SetCenter(group->BoxCenter());
    std::vector<std::unique_ptr<TMyShape>> restored;
    restored.push_back(std::move(group));
    const std::vector<TMyShape*> added = InsertRestored(std::move(restored));
    if (added.empty())
        return {};
    SelectShape(added.front());
    return m_undo.MakeStep(UndoActions::kGroup, added);
}

std::vector<TMyShape*> TMyCAD::InsertRestored(std::vector<std::unique_ptr<TMyShape>> restored)
{
    std::vector<TMyShape*> result;
    if (restored.empty())
        return result;
    std::sort(restored.begin(), restored.end(),
        [](const auto& a, const auto& b) { return a->ShapeIndex() < b->ShapeIndex(); });
    const int count = ShapeCount();
    const int k = static_cast<int>(restored.size());
    const int total = count + k;
    // Recorded positions, kept increasing and inside the new list.
    std::vector<int> places;
    for (int j = 0; j < k; ++j) {
        int place = std::max(restored[size_t(j)]->ShapeIndex(), j == 0 ? 0 : places.back() + 1);
        places.push_back(std::min(place, total - k + j));
    }
    std::vector<int> newIndex(static_cast<size_t>(count));
    for (int position = 0, j = 0, existing = 0; position < total; ++position) {
        if (j < k && places[size_t(j)] == position)
            ++j;
        else
            newIndex[size_t(existing++)] = position;
    }
    auto remap = [&](int index) { return index >= 0 && index < count ? newIndex[size_t(index)] : index; };
    for (const auto& shape : m_shapes) {
        shape->SetParentGroup(remap(shape->ParentGroup()));
        for (int& child : shape->Children())
            child = remap(child);
        for (int& link : shape->Links())
            link = remap(link);
        if (auto* line = dynamic_cast<TMyLinkLine*>(shape.get())) {
            line->SetStart(remap(line->StartShapeIndex()), line->StartLinkPointIndex());
            line->SetEnd(remap(line->EndShapeIndex()), line->EndLinkPointIndex());
        }
    }
    std::vector<std::unique_ptr<TMyShape>> list(static_cast<size_t>(total));
    for (int i = 0; i < count; ++i)
        list[size_t(newIndex[size_t(i)])] = std::move(m_shapes[size_t(i)]);
    for (int j = 0; j < k; ++j) {
        TMyShape* shape = restored[size_t(j)].get();
        shape->SetShapeIndex(places[size_t(j)]);
        if (LayerIndexById(shape->LayerId()) < 0 && !NoLayer())
            shape->SetLayerId(m_currentLayer);
        result.push_back(shape);
        list[size_t(places[size_t(j)])] = std::move(restored[size_t(j)]);
    }
    m_shapes.swap(list);

    // The surviving shapes lost their references to the removed ones; they come back.
    std::unordered_set<const TMyShape*> back(result.begin(), result.end());
    for (TMyShape* shape : result) {
        const int index = shape->ShapeIndex();
        for (int child : shape->Children())
            if (TMyShape* member = ShapeByIndex(child))
                member->SetParentGroup(index);
        if (TMyShape* parent = ShapeByIndex(shape->ParentGroup()); parent != nullptr && back.count(parent) == 0)
            InsertSorted(parent->Children(), index);
        if (auto* line = dynamic_cast<TMyLinkLine*>(shape))
            for (int end : { line->StartShapeIndex(), line->EndShapeIndex() })
                if (TMyShape* target = ShapeByIndex(end); target != nullptr && back.count(target) == 0)
                    InsertSorted(target->Links(), index);
    }
    RepairAfterLoad(); // drops whatever names nothing after an unrecorded change
    m_modified = true;
    return result;
}

void TMyCAD::RecordChange(const std::vector<TMyShape*>& shapes)
{
    m_undo.Record(UndoActions::kChange, shapes);
}
