#include "canvas/TUndoList.h"

#include "canvas/ShapeFactory.h"
#include "canvas/StreamReader.h"
#include "canvas/StreamWriter.h"
#include "canvas/TMyCAD.h"
#include "canvas/TMyLine.h"
#include "canvas/UndoActions.h"

#include <QBuffer>

#include <algorithm>

namespace {

constexpr int kClassNameWidth = 16;

} // namespace

void TUndoList::SetSize(uint8_t size)
{
    m_size = size;
    if (size == 0)
        Clear();
}

void TUndoList::Clear()
{
    ++m_serial;
    m_entries.clear();
    m_redo.clear();
}

int TUndoList::StepCountOf(const std::vector<TSavedShape>& list)
{
    return list.empty() ? 0 : list.back().step + 1;
}

QByteArray TUndoList::Snapshot(const TMyShape& shape)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    StreamWriter writer(buffer);
    writer.WriteFixedText(QString::fromLatin1(shape.ClassName()), kClassNameWidth);
    shape.SaveToStream(writer);
    writer.Flush();
    return buffer.data();
}

std::unique_ptr<TMyShape> TUndoList::Restore(const QByteArray& snapshot, TMyCAD* owner)
{
    QByteArray data = snapshot;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    try {
        StreamReader reader(buffer);
        auto shape = ShapeFactory::CreateByClassName(reader.ReadFixedText(kClassNameWidth), owner);
        if (shape)
            shape->LoadFromStream(reader, XPh);
        return shape;
    } catch (const std::exception&) {
        return nullptr;
    }
}

bool TUndoList::RestoreInto(TMyShape& shape, const QByteArray& snapshot)
{
    QByteArray data = snapshot;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    const int index = shape.ShapeIndex();
    const int parent = shape.ParentGroup();
    const std::vector<int> children = shape.Children();
    const std::vector<int> links = shape.Links();
    auto* link = dynamic_cast<TMyLinkLine*>(&shape);
    const int startShape = link ? link->StartShapeIndex() : -1, startPoint = link ? link->StartLinkPointIndex() : -1;
    const int endShape = link ? link->EndShapeIndex() : -1, endPoint = link ? link->EndLinkPointIndex() : -1;
    bool ok = true;
    try {
        StreamReader reader(buffer);
        if (reader.ReadFixedText(kClassNameWidth) != QString::fromLatin1(shape.ClassName()))
            return false;
        shape.LoadFromStream(reader, XPh);
    } catch (const std::exception&) {
        ok = false;
    }
    shape.SetShapeIndex(index);
    shape.SetParentGroup(parent);
    shape.Children() = children;
    shape.Links() = links;
    if (link != nullptr) {
        link->SetStart(startShape, startPoint);
        link->SetEnd(endShape, endPoint);
    }
    return ok;
}

void TUndoList::Add(std::vector<TSavedShape>& step, const QString& action, const TMyShape& shape) const
{
    TSavedShape saved;
    saved.shape = ShapeFactory::Copy(shape);
    if (!saved.shape)
        return;
    saved.step = StepCount();
    saved.shapeName = shape.Name().left(255);
    saved.links = shape.Links();
    saved.shape->Links().clear();
    saved.center = shape.Center();
    saved.shape->SetCenter(shape.Center());
    saved.record = Snapshot(shape);
    saved.action = action;
    step.push_back(std::move(saved));
}

std::vector<TSavedShape> TUndoList::MakeStep(
    const QString& action, const std::vector<TMyShape*>& shapes, TUndoCause cause, int node) const
{
    std::vector<TSavedShape> step;
    if (shapes.empty())
        return step;
    TMyCAD* canvas = shapes.front()->OwnerCAD();
    if (action == UndoActions::kDelete || action == UndoActions::kChange) {
        for (TMyShape* shape : shapes)
            for (TMyShape* member : canvas->WithMembers(shape))
                Add(step, action, *member);
    } else if (action == UndoActions::kAdd) {
        for (TMyShape* shape : shapes)
            Add(step, action, *shape);
    } else if (action == UndoActions::kUngroup) {
        for (int child : shapes.front()->Children())
            if (TMyShape* member = canvas->ShapeByIndex(child))
                Add(step, action, *member);
        if (!step.empty())
            step.front().groupRecord = Snapshot(*shapes.front());
    } else {
        Add(step, action, *shapes.front());
    }
    for (TSavedShape& saved : step) {
        saved.cause = cause;
        saved.node = node;
    }
    return step;
}

void TUndoList::Record(const QString& action, const std::vector<TMyShape*>& shapes, TUndoCause cause, int node)
{
    if (m_size == 0 || shapes.empty())
        return;
    m_redo.clear();
    PushStep(MakeStep(action, shapes, cause, node), false);
}

void TUndoList::PushStep(std::vector<TSavedShape> step, bool toRedo)
{
    ++m_serial;
    if (m_size == 0 || step.empty())
        return;
    std::vector<TSavedShape>& list = toRedo ? m_redo : m_entries;
    if (StepCountOf(list) >= m_size) {
        std::erase_if(list, [](const TSavedShape& s) { return s.step == 0; });
        for (TSavedShape& s : list)
            --s.step;
    }
    const int number = StepCountOf(list);
    for (TSavedShape& saved : step) {
        saved.step = number;
        list.push_back(std::move(saved));
    }
}

std::vector<TSavedShape> TUndoList::TakeLastStep(bool fromRedo)
{
    ++m_serial;
    std::vector<TSavedShape>& list = fromRedo ? m_redo : m_entries;
    std::vector<TSavedShape> step;
    if (list.empty())
        return step;
    const int last = list.back().step;
    auto first = std::find_if(list.begin(), list.end(), [last](const TSavedShape& s) { return s.step == last; });
    step.insert(step.end(), std::make_move_iterator(first), std::make_move_iterator(list.end()));
    list.erase(first, list.end());
    return step;
}
