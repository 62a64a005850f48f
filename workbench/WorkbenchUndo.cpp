// "Rückgängig" and "Wiederholen" on the workbench: the canvas plays its undo
// records back and reports the shapes it adds and deletes; the workbench then
// finds its special shapes again and rebuilds the results.
#include "workbench/ShapeTags.h"
#include "workbench/Workbench.h"

bool Workbench::UndoCommand()
{
    const bool done = m_cad.Undo();
    if (done)
        AfterUndoRedo();
    return done;
}

bool Workbench::RedoCommand()
{
    const bool done = m_cad.Redo();
    if (done)
        AfterUndoRedo();
    return done;
}

void Workbench::AfterUndoRedo()
{
    for (int i = 0; i < m_cad.ShapeCount(); ++i) {
        const TMyShape* shape = m_cad.ShapeByIndex(i);
        const QString type = shape->UserData().GetValue(ShapeTags::kType);
        if (type == ShapeTags::kScaleBar)
            m_state.ScaleBarId = shape->ShapeId();
        else if (type == ShapeTags::kLabelOrBorder && shape->Name() == ShapeTags::kBorderName)
            m_state.BorderId = shape->ShapeId();
    }
    // Entries whose shapes are gone (a shape added by the undone step) go too.
    std::unordered_set<int> gone;
    for (const ResultTree::Entry& entry : m_tree.Entries())
        if (m_cad.ShapeById(entry.node.shapeId) == nullptr)
            gone.insert(entry.node.shapeId);
    if (!gone.empty())
        m_tree.RemoveShapes(gone);
    SyncProposalEntries();
    RecomputeAll();
}
