#pragma once

#include "canvas/CanvasTypes.h"

#include <QString>

#include <vector>

class Prompt;
class ReportContext;
class TMyCAD;
class TMyShape;

// The report designer without its window: the commands of its menus, tool buttons
// and keys on the report's design canvas. File names are asked through the prompt;
// what a command has to say for the status line is in StatusText() afterwards. The
// window builds the widgets, runs these commands and shows their outcome; printing,
// the clipboard's picture and the view's zoom stay with the window.
class ReportDesigner
{
public:
    ReportDesigner(ReportContext& context, Prompt& prompt);

    ReportContext& Context() const { return m_context; }
    TMyCAD& Canvas() const;
    void SetPrompt(Prompt& prompt) { m_prompt = &prompt; }
    Prompt& Questions() const { return *m_prompt; }

    // The status line's text of the last command that had something to say.
    const QString& StatusText() const { return m_statusText; }

    // --- File ---
    // "Open Report": a ".nrd" design or a ".zrp" template. False when the file dialog
    // was cancelled; a report that cannot be opened leaves the design as it was and
    // the status says why, else it shows the path.
    bool OpenReport();
    // "Save Report": a ".zrp" template, written atomically. False when cancelled.
    bool SaveReport();
    // "Load Result File": the data the variables are filled from. False when cancelled.
    bool LoadResultFile();

    // --- Edit ---
    void Paste();
    // Deletes the selection as one undo step; false when nothing was selected or a
    // selected shape is locked (then nothing is deleted).
    bool DeleteSelection();

    // --- Tools ---
    // The drawing tool of the next shape (the selection tool: pick shapes).
    void ChooseTool(TDrawTool tool);
    // Each selected shape goes to the front (or back), keeping their order among
    // themselves; one undo step per shape. False without a selection.
    bool BringSelectionToFront();
    bool SendSelectionToBack();
    // The shape "V" binds to variables: the selected one; without one the status
    // says what to select.
    TMyShape* ShapeToBind();

    // --- Outputs ---
    bool ShowImage();
    bool ShowPreview();

    // What a key typed anywhere in the designer does. The arrow keys nudge the
    // selection (done by KeyPressed), Delete deletes it, Escape returns to the
    // selection tool (done by the window, which follows with its widgets).
    enum class KeyCommand { None, Nudged, Delete, Select };
    KeyCommand KeyPressed(int key, bool shift);

private:
    // The selected shapes in list order.
    std::vector<TMyShape*> SelectionInListOrder() const;

    ReportContext& m_context;
    Prompt* m_prompt;
    QString m_statusText;
};
