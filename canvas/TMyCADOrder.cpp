// Z-order of the canvas's shape list.
#include "canvas/TMyCAD.h"

#include "canvas/TMyLine.h"
#include "canvas/UndoActions.h"

void TMyCAD::Reorder(const std::vector<int>& newIndex)
{
    const int count = ShapeCount();
    auto remap = [&](int index) { return index >= 0 && index < count ? newIndex[static_cast<size_t>(index)] : index; };
    std::vector<std::unique_ptr<TMyShape>> reordered(m_shapes.size());
    for (int i = 0; i < count; ++i) {
        TMyShape* shape = m_shapes[static_cast<size_t>(i)].get();
        shape->SetShapeIndex(remap(i));
        shape->SetParentGroup(remap(shape->ParentGroup()));
        for (int& child : shape->Children())
            child = remap(child);
        for (int& link : shape->Links())
            link = remap(link);
        if (auto* line = dynamic_cast<TMyLinkLine*>(shape)) {
            line->SetStart(remap(line->StartShapeIndex()), line->StartLinkPointIndex());
            line->SetEnd(remap(line->EndShapeIndex()), line->EndLinkPointIndex());
        }
        reordered[static_cast<size_t>(remap(i))] = std::move(m_shapes[static_cast<size_t>(i)]);
    }
    m_shapes.swap(reordered);
    m_modified = true;
    Invalidate();
}

namespace {

// The order that leaves every shape where it is.
std::vector<int> SameOrder(size_t count)
{
    std::vector<int> order(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = static_cast<int>(i);
    return order;
}

} // namespace

void TMyCAD::SwapShapes(TMyShape* a, TMyShape* b)
{
    if (a == nullptr || b == nullptr || a == b || ShapeByIndex(a->ShapeIndex()) != a
        || ShapeByIndex(b->ShapeIndex()) != b)
        return;
    std::vector<int> newIndex = SameOrder(m_shapes.size());
    std::swap(newIndex[static_cast<size_t>(a->ShapeIndex())], newIndex[static_cast<size_t>(b->ShapeIndex())]);
    Reorder(newIndex);
}

void TMyCAD::MoveToEnd(TMyShape* shape, int step)
{
    // The same order as swapping with the next top-level shape in that direction
    // until there is none, done in one pass: each of those shapes moves one
    // top-level place the other way.
    std::vector<int> newIndex = SameOrder(m_shapes.size());
    int previous = shape->ShapeIndex();
    for (int i = previous + step; i >= 0 && i < ShapeCount(); i += step) {
        if (m_shapes[static_cast<size_t>(i)]->ParentGroup() >= 0)
            continue;
        newIndex[static_cast<size_t>(i)] = previous;
        newIndex[static_cast<size_t>(shape->ShapeIndex())] = i;
        previous = i;
    }
    Reorder(newIndex);
}

void TMyCAD::BringToFront(TMyShape* shape, bool recordUndo)
{
    if (shape == nullptr || ShapeByIndex(shape->ShapeIndex()) != shape)
        return;
    if (recordUndo)
        m_undo.Record(UndoActions::kBringToFront, { shape });
    MoveToEnd(shape, +1);
}

void TMyCAD::SendToBack(TMyShape* shape, bool recordUndo)
{
    if (shape == nullptr || ShapeByIndex(shape->ShapeIndex()) != shape)
        return;
    if (recordUndo)
        m_undo.Record(UndoActions::kSendToBack, { shape });
    MoveToEnd(shape, -1);
}

void TMyCAD::MoveTopLevelTo(TMyShape* shape, int target)
{
    if (shape == nullptr || ShapeByIndex(shape->ShapeIndex()) != shape || target < 0 || target >= ShapeCount())
        return;
    const int current = shape->ShapeIndex();
    if (target == current)
        return;
    // The top-level places from the shape's place to the target: the shape takes the
    // far end, every other top-level shape there moves one place towards the start.
    const int step = target > current ? 1 : -1;
    std::vector<int> places { current };
    for (int i = current + step; i != target + step; i += step)
        if (m_shapes[static_cast<size_t>(i)]->ParentGroup() < 0)
            places.push_back(i);
    std::vector<int> newIndex = SameOrder(m_shapes.size());
    for (size_t k = 1; k < places.size(); ++k)
        newIndex[static_cast<size_t>(places[k])] = places[k - 1];
    newIndex[static_cast<size_t>(current)] = places.back();
    Reorder(newIndex);
}
