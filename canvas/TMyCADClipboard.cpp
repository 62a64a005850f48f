// The canvas's copy buffer: copying the selection and pasting copies of it.
#include "canvas/TMyCAD.h"

#include "canvas/ShapeFactory.h"
#include "canvas/TMyLine.h"
#include "canvas/UndoActions.h"

#include <unordered_map>
#include <unordered_set>

namespace {

// Logical units by which pasted shapes are moved right and down.
constexpr double kPasteOffset = 4.0;

} // namespace

void TMyCAD::CopyToClipboard()
{
    if (m_selection.empty())
        return;
    // The shapes travel through the canvas's own buffer; the picture of the selection
    // for other programs is put on the system clipboard by the renderer's host.
    m_copyBuffer.clear();
    for (TMyShape* shape : m_selection)
        for (TMyShape* part : WithMembers(shape))
            if (auto copy = ShapeFactory::Copy(*part))
                m_copyBuffer.push_back(std::move(copy));
}

void TMyCAD::PasteFromClipboard()
{
    ClearSelection();
    if (m_copyBuffer.empty()) {
        Invalidate();
        return;
    }
    // References to shapes outside the buffer are dropped from the buffered copies.
    std::unordered_set<int> held;
    for (const auto& copy : m_copyBuffer)
        held.insert(copy->ShapeIndex());
    for (const auto& copy : m_copyBuffer) {
        std::erase_if(copy->Links(), [&](int index) { return !held.count(index); });
        std::erase_if(copy->Children(), [&](int index) { return !held.count(index); });
        if (!held.count(copy->ParentGroup()))
            copy->SetParentGroup(-1);
        if (auto* link = dynamic_cast<TMyLinkLine*>(copy.get())) {
            if (!held.count(link->StartShapeIndex()))
                link->SetStart(-1, -1);
            if (!held.count(link->EndShapeIndex()))
                link->SetEnd(-1, -1);
        }
    }
    // New list indexes, from the end of the buffer backwards, after the current shapes.
    const int count = ShapeCount();
    const int buffered = static_cast<int>(m_copyBuffer.size());
    std::unordered_map<int, int> newIndex;
    for (int j = buffered - 1; j >= 0; --j)
        newIndex.emplace(m_copyBuffer[static_cast<size_t>(j)]->ShapeIndex(), count + (buffered - 1 - j));
    auto remap = [&](int index) {
        const auto it = newIndex.find(index);
        return it == newIndex.end() ? -1 : it->second;
    };

    // All copies are in the list before any listener hears of them, so the indexes
    // above stay right; a listener may delete or replace shapes (the label tool
    // deletes its placeholder), so every shape is looked up by id after each call.
    std::vector<int> ids;
    std::vector<int> outerIds;
    for (int j = buffered - 1; j >= 0; --j) {
        const TMyShape& source = *m_copyBuffer[static_cast<size_t>(j)];
        std::unique_ptr<TMyShape> shape = ShapeFactory::Copy(source);
        shape->MoveBy(kPasteOffset * m_zoom, kPasteOffset * m_zoom);
        shape->SetParentGroup(remap(source.ParentGroup()));
        for (int& child : shape->Children())
            child = remap(child);
        for (int& link : shape->Links())
            link = remap(link);
        if (auto* link = dynamic_cast<TMyLinkLine*>(shape.get())) {
            link->SetStart(
                remap(link->StartShapeIndex()), link->StartShapeIndex() < 0 ? -1 : link->StartLinkPointIndex());
            link->SetEnd(remap(link->EndShapeIndex()), link->EndShapeIndex() < 0 ? -1 : link->EndLinkPointIndex());
        }
        TMyShape* added = AppendShape(std::move(shape));
        if (added == nullptr)
            break; // no layer: the message was shown once
        added->SetName(QStringLiteral("Shape") + QString::number(added->ShapeId()));
        ids.push_back(added->ShapeId());
        if (added->ParentGroup() < 0)
            outerIds.push_back(added->ShapeId());
    }
    if (OnShapeAdded)
        for (int id : ids)
            if (TMyShape* reported = ShapeById(id))
                OnShapeAdded(reported, ShapeCount());
    std::vector<TMyShape*> pasted;
    for (int id : outerIds)
        if (TMyShape* shape = ShapeById(id)) {
            SelectShape(shape);
            pasted.push_back(shape);
        }
    if (!pasted.empty())
        m_undo.Record(UndoActions::kAdd, pasted);
    Invalidate();
}
