#include "canvas/TUndoList.h"

#include "canvas/ShapeFactory.h"
#include "canvas/TMyCAD.h"

#include <algorithm>

void TUndoList::SetSize(uint8_t size)
{
    m_size = size;
    if (size == 0)
        m_entries.clear();
}

int TUndoList::StepCount() const
{
    return m_entries.empty() ? 0 : m_entries.back().step + 1;
}

void TUndoList::Add(int step, const QString& action, const TMyShape& shape)
{
    TSavedShape saved;
    saved.shape = ShapeFactory::Copy(shape);
    if (!saved.shape)
        return;
    saved.step = step;
    saved.shapeName = shape.Name().left(255);
    saved.shape->Links().clear();
    saved.action = action;
    m_entries.push_back(std::move(saved));
}

void TUndoList::Record(const QString& action, const std::vector<TMyShape*>& shapes)
{
    if (m_size == 0 || shapes.empty())
        return;
    if (StepCount() >= m_size) {
        m_entries.erase(
            std::remove_if(m_entries.begin(), m_entries.end(), [](const TSavedShape& s) { return s.step == 0; }),
            m_entries.end());
        for (TSavedShape& s : m_entries)
            --s.step;
    }
    const int step = StepCount();
    TMyCAD* canvas = shapes.front()->OwnerCAD();
    if (action == QLatin1String("ACT_DELETE") || action == QLatin1String("ACT_CHANGE")) {
        for (TMyShape* shape : shapes)
            for (TMyShape* member : canvas->WithMembers(shape))
                Add(step, action, *member);
    } else if (action == QLatin1String("ACT_ADD")) {
        for (TMyShape* shape : shapes)
            Add(step, action, *shape);
    } else if (action == QLatin1String("ACT_UNGROUP")) {
        for (int child : shapes.front()->Children())
            if (TMyShape* member = canvas->ShapeByIndex(child))
                Add(step, action, *member);
    } else {
        Add(step, action, *shapes.front());
    }
}
