// The canvas's shape list: adding, looking up, deleting with index fix-ups, and
// the operations that act on a shape together with its group members.
#include "canvas/TMyCAD.h"

#include "canvas/ShapeFactory.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "canvas/UndoActions.h"
#include "common/MessageSink.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>

namespace {

// Point counts AddShape accepts per tool; false for tools that make no shape there.
bool PointCountFits(TDrawTool tool, size_t count)
{
    switch (tool) {
    case SpLine:
    case SpRuleLine:
        return count == 2;
    case SpRectangle:
    case SpEllipse:
    case SpText:
        return count == 4;
    case SpPolyLine:
    case SpPolygon:
        return count >= 2;
    case SpPolyBezier:
        return count % 3 == 1;
    case SpElliArc:
        return count == 3;
    case SpLineLinkLine:
        return count >= 1;
    default:
        return false;
    }
}

} // namespace

TMyShape* TMyCAD::ShapeByIndex(int index) const
{
    if (index < 0 || index >= ShapeCount())
        return nullptr;
    return m_shapes[static_cast<size_t>(index)].get();
}

TMyShape* TMyCAD::ShapeById(int id) const
{
    if (id < 0 || id >= m_nextShapeId)
        return nullptr;
    const auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second;
}

int TMyCAD::RenumberUnreachableShapes()
{
    std::vector<TMyShape*> lost;
    for (const auto& shape : m_shapes)
        if (ShapeById(shape->ShapeId()) != shape.get())
            lost.push_back(shape.get());
    if (lost.empty())
        return 0;
    if (m_nextShapeId > std::numeric_limits<int>::max() - static_cast<int>(lost.size())) {
        // No room after the largest id: every shape is numbered afresh in list order.
        int id = 0;
        for (const auto& shape : m_shapes)
            shape->SetShapeId(id++);
        m_nextShapeId = id;
        RebuildIdMap();
        return ShapeCount();
    }
    for (TMyShape* shape : lost)
        shape->SetShapeId(m_nextShapeId++);
    RebuildIdMap();
    return static_cast<int>(lost.size());
}

int TMyCAD::IndexOfShapeId(int id) const
{
    const TMyShape* shape = ShapeById(id);
    return shape != nullptr ? shape->ShapeIndex() : -1;
}

void TMyCAD::AddToIdMap(TMyShape* shape)
{
    // The first of duplicate ids (only damaged files have them) wins.
    if (!m_byId.emplace(shape->ShapeId(), shape).second)
        m_duplicateIds = true;
}

void TMyCAD::RebuildIdMap()
{
    m_byId.clear();
    m_duplicateIds = false;
    m_byId.reserve(m_shapes.size());
    for (const auto& shape : m_shapes)
        AddToIdMap(shape.get());
}

bool TMyCAD::NoLayer() const
{
    return LayerIndexById(m_currentLayer) < 0;
}

TMyShape* TMyCAD::AppendShape(std::unique_ptr<TMyShape> shape)
{
    // The original ended the application here; refusing the shape keeps the drawing.
    if (NoLayer()) {
        MessageSink::Show(QStringLiteral("Error!There is no Layer!"));
        return nullptr;
    }
    if (m_nextShapeId == std::numeric_limits<int>::max())
        return nullptr; // ids are never reused, and a loaded file may have used them all
    TMyShape* added = shape.get();
    added->SetLayerId(m_currentLayer);
    added->SetShapeIndex(ShapeCount());
    added->SetShapeId(m_nextShapeId++);
    m_shapes.push_back(std::move(shape));
    AddToIdMap(added);
    m_modified = true;
    return added;
}

int TMyCAD::AddShape(
    TDrawTool tool, const QString& text, float angle, const std::vector<QPointF>& points, const QString& name)
{
    if (!PointCountFits(tool, points.size()))
        return -1;
    if (NoLayer()) {
        MessageSink::Show(QStringLiteral("Error!There is no Layer!"));
        return -1;
    }
    std::vector<QPointF> screen = points;
    for (QPointF& p : screen) {
        if (m_xyMode == Mode1 || m_xyMode == Mode2)
            p.setY(m_height - p.y());
        if (m_xyMode == Mode2 || m_xyMode == Mode3)
            p.setX(m_width - p.x());
    }
    if (tool == SpElliArc
        && (std::abs(screen[0].y() - screen[1].y()) == std::abs(screen[1].y() - screen[2].y())
            || std::abs(screen[0].x() - screen[1].x()) == std::abs(screen[1].x() - screen[2].x()))) {
        screen.erase(screen.begin() + 1);
        tool = SpLine;
    }
    std::unique_ptr<TMyShape> shape = ShapeFactory::CreateForTool(tool, this);
    if (tool == SpText)
        shape->SetInfo(text);
    for (const QPointF& p : screen)
        shape->Nodes().push_back(TMyPoint { CanvasMath::ToFloat(p.x() / m_zoom), CanvasMath::ToFloat(p.y() / m_zoom) });
    shape->LinkPoints().clear();
    if (tool == SpPolygon)
        shape->Nodes().push_back(shape->Nodes().front());
    if (tool == SpLineLinkLine)
        shape->AddNode(screen.front());
    shape->SetName(name);
    shape->ResetCenter();

    TMyShape* added = AppendShape(std::move(shape));
    if (added == nullptr)
        return -1;
    if (angle != 0.0f)
        RotateShape(added, added->Center(), angle);
    added->ResetCenter();
    const int id = added->ShapeId();
    if (OnShapeAdded) {
        TMyShape* reported = added;
        OnShapeAdded(reported, ShapeCount());
        // The handler may have deleted the shape (a calibration line of no length,
        // a label placeholder): then there is nothing left to record or select.
        added = ShapeById(id);
        if (added == nullptr)
            return id;
    }
    m_undo.Record(UndoActions::kAdd, { added });
    m_selection.assign(1, added);
    Invalidate();
    return id;
}

TMyShape* TMyCAD::OutermostGroup(TMyShape* shape) const
{
    // The step limit guards against parent cycles in damaged files.
    for (int steps = 0; shape != nullptr && steps <= ShapeCount(); ++steps) {
        TMyShape* parent = ShapeByIndex(shape->ParentGroup());
        if (parent == nullptr || parent == shape)
            break;
        shape = parent;
    }
    return shape;
}

std::vector<TMyShape*> TMyCAD::WithMembers(TMyShape* shape) const
{
    std::vector<TMyShape*> result;
    if (shape == nullptr)
        return result;
    std::unordered_set<const TMyShape*> seen;
    std::vector<TMyShape*> pending { shape };
    while (!pending.empty()) {
        TMyShape* current = pending.back();
        pending.pop_back();
        if (!seen.insert(current).second)
            continue;
        result.push_back(current);
        const auto& children = current->Children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (TMyShape* member = ShapeByIndex(*it))
                pending.push_back(member);
    }
    return result;
}

bool TMyCAD::HitShape(const TMyShape* shape, QPointF screenPoint) const
{
    if (shape->Children().empty()) // the usual case: no member list to walk
        return shape->HitTest(screenPoint);
    for (TMyShape* part : WithMembers(const_cast<TMyShape*>(shape)))
        if (part->HitTest(screenPoint))
            return true;
    return false;
}

void TMyCAD::RemoveShapes(std::vector<int> positions)
{
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    const int count = ShapeCount();
    std::vector<int> newIndex(static_cast<size_t>(count));
    std::vector<bool> removed(static_cast<size_t>(count), false);
    for (int p : positions)
        if (p >= 0 && p < count)
            removed[static_cast<size_t>(p)] = true;
    int next = 0;
    for (int i = 0; i < count; ++i)
        newIndex[static_cast<size_t>(i)] = removed[static_cast<size_t>(i)] ? -1 : next++;

    // References to removed shapes are dropped (ends set free, list entries taken
    // out); every other list index moves down past the removed positions.
    auto remap = [&](int index) { return index >= 0 && index < count ? newIndex[static_cast<size_t>(index)] : -1; };
    auto remapList = [&](std::vector<int>& list) {
        std::vector<int> kept;
        kept.reserve(list.size());
        for (int index : list)
            if (const int mapped = remap(index); mapped >= 0)
                kept.push_back(mapped);
        list.swap(kept);
    };
    for (int i = 0; i < count; ++i) {
        TMyShape* shape = m_shapes[static_cast<size_t>(i)].get();
        if (removed[static_cast<size_t>(i)]) {
            if (const auto it = m_byId.find(shape->ShapeId()); it != m_byId.end() && it->second == shape)
                m_byId.erase(it);
            continue;
        }
        shape->SetShapeIndex(newIndex[static_cast<size_t>(i)]);
        shape->SetParentGroup(remap(shape->ParentGroup()));
        remapList(shape->Children());
        remapList(shape->Links());
        if (auto* link = dynamic_cast<TMyLinkLine*>(shape)) {
            const int start = remap(link->StartShapeIndex());
            link->SetStart(start, start < 0 ? -1 : link->StartLinkPointIndex());
            const int end = remap(link->EndShapeIndex());
            link->SetEnd(end, end < 0 ? -1 : link->EndLinkPointIndex());
        }
    }
    for (TSavedShape& saved : m_undo.Entries())
        remapList(saved.shape->Links());

    auto isRemoved = [&](const TMyShape* s) {
        const int index = s->ShapeIndex();
        return index >= 0 && index < count && removed[static_cast<size_t>(index)]
            && m_shapes[static_cast<size_t>(index)].get() == s;
    };
    m_selection.erase(std::remove_if(m_selection.begin(), m_selection.end(), isRemoved), m_selection.end());
    if (m_hotShape != nullptr && isRemoved(m_hotShape))
        m_hotShape = nullptr;

    size_t write = 0;
    for (size_t read = 0; read < m_shapes.size(); ++read)
        if (!removed[read])
            m_shapes[write++] = std::move(m_shapes[read]);
    m_shapes.resize(write);
    // A removed shape may have hidden another one with the same id.
    if (m_duplicateIds)
        RebuildIdMap();
    m_modified = true;
}

void TMyCAD::RemoveWithMembers(const std::vector<TMyShape*>& shapes)
{
    // Each shape with its members, recursively; locked members stay with their own members.
    std::vector<TMyShape*> doomed;
    std::unordered_set<const TMyShape*> seen;
    for (TMyShape* shape : shapes) {
        std::vector<TMyShape*> pending { shape };
        while (!pending.empty()) {
            TMyShape* current = pending.back();
            pending.pop_back();
            if (!seen.insert(current).second || (current != shape && current->Locked()))
                continue;
            doomed.push_back(current);
            for (int child : current->Children())
                if (TMyShape* member = ShapeByIndex(child))
                    pending.push_back(member);
        }
    }
    if (OnShapeDeleted)
        for (TMyShape* s : doomed)
            OnShapeDeleted(s);
    std::vector<int> positions;
    positions.reserve(doomed.size());
    for (TMyShape* s : doomed)
        positions.push_back(s->ShapeIndex());
    RemoveShapes(std::move(positions));
    m_selection.clear();
    m_hotShape = nullptr;
    Invalidate();
}

bool TMyCAD::DeleteShapeById(int id, bool recordUndo)
{
    TMyShape* shape = ShapeById(id);
    if (shape == nullptr || shape->Locked())
        return false;
    if (recordUndo)
        m_undo.Record(UndoActions::kDelete, { shape });
    RemoveWithMembers({ shape });
    return true;
}

int TMyCAD::DeleteShapesById(const std::vector<int>& ids, bool recordUndo)
{
    std::vector<TMyShape*> shapes;
    std::unordered_set<const TMyShape*> listed;
    int locked = 0;
    for (int id : ids) {
        TMyShape* shape = ShapeById(id);
        if (shape == nullptr || !listed.insert(shape).second)
            continue;
        if (shape->Locked())
            ++locked;
        else
            shapes.push_back(shape);
    }
    // A member goes with its listed group and is recorded with it, not twice.
    std::erase_if(shapes, [&](const TMyShape* shape) {
        for (int steps = 0; steps <= ShapeCount(); ++steps) {
            const TMyShape* parent = ShapeByIndex(shape->ParentGroup());
            if (parent == nullptr || parent == shape)
                return false;
            if (listed.count(parent) != 0)
                return true;
            shape = parent;
        }
        return false;
    });
    if (shapes.empty())
        return locked;
    if (recordUndo)
        m_undo.Record(UndoActions::kDelete, shapes);
    RemoveWithMembers(shapes);
    return locked;
}

bool TMyCAD::DeleteSelectedShapes()
{
    for (TMyShape* shape : m_selection)
        if (shape->Locked())
            return false;
    std::vector<TMyShape*> targets = m_selection;
    std::unordered_set<const TMyShape*> chosen(targets.begin(), targets.end());
    for (TMyShape* shape : m_selection) {
        if (dynamic_cast<TMyLineLinkLine*>(shape) == nullptr)
            continue;
        for (int link : shape->Links())
            if (TMyShape* line = ShapeByIndex(link); line != nullptr && chosen.insert(line).second)
                targets.push_back(line);
    }
    m_undo.Record(UndoActions::kDelete, targets);
    RemoveWithMembers(targets);
    return true;
}

void TMyCAD::ClearShapes()
{
    m_selection.clear();
    m_hotShape = nullptr;
    m_undo.Clear();
    m_byId.clear();
    m_duplicateIds = false;
    m_shapes.clear();
    m_nextShapeId = 0;
    m_mouse->ToolChanged(m_shapeTool);
    Invalidate();
}

void TMyCAD::Refresh()
{
    ClearSelection();
    Invalidate();
}

void TMyCAD::MoveShapeBy(TMyShape* shape, double dx, double dy)
{
    if (shape == nullptr)
        return;
    if (OnShapeCodeDragging)
        OnShapeCodeDragging(shape, dx, dy);
    for (TMyShape* part : WithMembers(shape))
        part->MoveBy(dx, dy);
    RerouteLinks(shape);
    m_modified = true;
    Invalidate();
}

void TMyCAD::RotateShape(TMyShape* shape, TMyPoint center, double angle)
{
    if (shape == nullptr || shape->Locked())
        return;
    if (OnShapeCodeRotating)
        OnShapeCodeRotating(shape, angle);
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    auto turn = [&](TMyPoint p) {
        const double x = p.x - center.x;
        const double y = p.y - center.y;
        return TMyPoint { static_cast<float>(center.x + c * x - s * y), static_cast<float>(center.y + s * x + c * y) };
    };
    for (TMyShape* part : WithMembers(shape)) {
        part->RotateAround(center, angle);
        part->SetCenter(turn(part->Center()));
        part->SetCaptionPos(turn(part->CaptionPos()));
        part->StoreAngle(static_cast<float>(part->Angle() + angle));
    }
    m_modified = true;
    Invalidate();
}

void TMyCAD::FlipShapeHorz(TMyShape* shape)
{
    if (shape == nullptr)
        return;
    m_undo.Record(UndoActions::kChange, { shape });
    const TMyPoint center = shape->Center();
    // Members mirror about the centre of the flipped shape so that the group keeps its layout.
    for (TMyShape* part : WithMembers(shape)) {
        part->SetCenter(TMyPoint { center.x, part->Center().y });
        part->FlipHorz();
        part->SetCenter(part->BoxCenter());
    }
    RerouteLinks(shape);
    m_modified = true;
}

void TMyCAD::FlipShapeVert(TMyShape* shape)
{
    if (shape == nullptr)
        return;
    m_undo.Record(UndoActions::kChange, { shape });
    const TMyPoint center = shape->Center();
    for (TMyShape* part : WithMembers(shape)) {
        part->SetCenter(TMyPoint { part->Center().x, center.y });
        part->FlipVert();
        part->SetCenter(part->BoxCenter());
    }
    RerouteLinks(shape);
    m_modified = true;
}
