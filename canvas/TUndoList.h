#pragma once

#include "canvas/TMyShape.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

// What made an "ACT_CHANGE" step, so that undoing and redoing it can tell the
// listeners the same way the original gesture did.
enum class TUndoCause : uint8_t { None, Resize, Drag, Rotate, NodeAdd, NodeDelete };

// One record of the undo list: a private copy of a shape as it was when an action
// was recorded (made with Assign, Links emptied). Because Assign leaves fields out,
// the record also keeps the shape's complete stream record, its Center and its
// Links, from which undo and redo restore the shape exactly.
struct TSavedShape
{
    int step = 0;
    QString shapeName;
    std::unique_ptr<TMyShape> shape;
    QString action;
    QByteArray record;
    TMyPoint center;
    std::vector<int> links;
    TUndoCause cause = TUndoCause::None;
    // The node index of a node step (added or removed node).
    int node = -1;
    // For "ACT_UNGROUP": the complete record of the group that was dissolved.
    QByteArray groupRecord;
};

// The canvas's undo list and, behind it, the steps that were undone and can be
// redone. Actions are numbered by step; once a list holds UndoRedoSize steps the
// oldest step is dropped. A new action drops every redo step.
class TUndoList
{
public:
    uint8_t Size() const { return m_size; }
    // A depth of 0 clears both lists and stops recording.
    void SetSize(uint8_t size);
    // Records one action: "ACT_DELETE"/"ACT_CHANGE" copy every shape with its group
    // members, "ACT_ADD" every shape, "ACT_UNGROUP" the members of the first shape,
    // the other actions the first shape only. The redo steps are dropped.
    void Record(const QString& action, const std::vector<TMyShape*>& shapes, TUndoCause cause = TUndoCause::None,
        int node = -1);
    // The entries of one action, numbered as the next step (not yet in a list).
    std::vector<TSavedShape> MakeStep(const QString& action, const std::vector<TMyShape*>& shapes,
        TUndoCause cause = TUndoCause::None, int node = -1) const;
    void Clear();
    const std::vector<TSavedShape>& Entries() const { return m_entries; }
    std::vector<TSavedShape>& Entries() { return m_entries; }
    const std::vector<TSavedShape>& RedoEntries() const { return m_redo; }
    int StepCount() const { return StepCountOf(m_entries); }
    // Changes whenever either list changes, so a caller can tell whether the
    // newest step is still the one it recorded.
    uint64_t Serial() const { return m_serial; }
    int RedoStepCount() const { return StepCountOf(m_redo); }
    // Takes the newest step off the undo (or redo) list; empty when there is none.
    std::vector<TSavedShape> TakeLastStep(bool fromRedo);
    // Appends a step to the undo (or redo) list as its newest step, dropping the
    // oldest one when the list is full. The redo steps stay.
    void PushStep(std::vector<TSavedShape> step, bool toRedo);

    // The complete stream record of a shape, class name first.
    static QByteArray Snapshot(const TMyShape& shape);
    // A new shape of the canvas made from a snapshot; nullptr when it cannot be read.
    static std::unique_ptr<TMyShape> Restore(const QByteArray& snapshot, TMyCAD* owner);
    // Overwrites an existing shape from a snapshot, keeping the shape object and its
    // place in the list (index, group, members, links, link-line ends).
    static bool RestoreInto(TMyShape& shape, const QByteArray& snapshot);

    // Appends the entry of one shape (without its members) to a step.
    void Add(std::vector<TSavedShape>& step, const QString& action, const TMyShape& shape) const;

private:
    static int StepCountOf(const std::vector<TSavedShape>& list);

    uint8_t m_size = 10;
    uint64_t m_serial = 0;
    std::vector<TSavedShape> m_entries;
    std::vector<TSavedShape> m_redo;
};
