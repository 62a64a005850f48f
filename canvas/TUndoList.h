#pragma once

#include "canvas/TMyShape.h"

#include <QString>

#include <memory>
#include <vector>

// One record of the undo list: a private copy of a shape as it was when an action
// was recorded (made with Assign, Links emptied).
struct TSavedShape
{
    int step = 0;
    QString shapeName;
    std::unique_ptr<TMyShape> shape;
    QString action;
};

// The canvas's undo list. Actions are numbered by step; once the list holds
// UndoRedoSize steps the oldest step is dropped. Nothing in the system plays it
// back yet; deletion, paste and the editing operations record into it.
class TUndoList
{
public:
    uint8_t Size() const { return m_size; }
    // A depth of 0 clears the list and stops recording.
    void SetSize(uint8_t size);
    // Records one action: "ACT_DELETE"/"ACT_CHANGE" copy every shape with its group
    // members, "ACT_ADD" every shape, "ACT_UNGROUP" the members of the first shape,
    // the other actions the first shape only.
    void Record(const QString& action, const std::vector<TMyShape*>& shapes);
    void Clear() { m_entries.clear(); }
    const std::vector<TSavedShape>& Entries() const { return m_entries; }
    std::vector<TSavedShape>& Entries() { return m_entries; }
    int StepCount() const;

private:
    void Add(int step, const QString& action, const TMyShape& shape);

    uint8_t m_size = 10;
    std::vector<TSavedShape> m_entries;
};
