#pragma once

#include "report/ReportVariables.h"
#include "report/VariableBindingEdit.h"

#include <QDialog>
#include <QPalette>

#include <functional>
#include <vector>

class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class ReportContext;
class TMyShape;

// "Text": the report designer's editor of a shape's variable binding. The text
// box holds a text shape's text (its placeholders take the listed variables in
// order); the grid shows the variables of the report's result data file, ">>" and
// a double click on a grid row add one to the list, "<<" and a double click in the
// list remove one, and the list is reordered by dragging inside it. "Preview"
// shows the text filled as the report would fill it now.
class TFormMyCADStringEditor : public QDialog
{
    Q_OBJECT
public:
    explicit TFormMyCADStringEditor(ReportContext& context, QWidget* parent = nullptr);
    ~TFormMyCADStringEditor() override;

    // Fills the grid: the heading row "Name"/"Value", then one row per variable.
    // The designer calls it after ReportContext::LoadResultData.
    void LoadVariables(const std::vector<ReportVariables::Row>& rows);

    // The designer's "V" on a shape: fills the editor from a text or image shape,
    // runs it (exec, or Run when set) and applies the binding on "OK". True when
    // the shape changed; other shapes and "Cancel" change nothing.
    bool EditBinding(TMyShape& shape);
    // Replaces exec() while set (tests); returns QDialog::Accepted or Rejected.
    std::function<int(TFormMyCADStringEditor&)> Run;

    // What the buttons do.
    // Appends the name of a grid row to the list; the heading row and rows out of
    // range add nothing. A name may be listed more than once.
    void Include(int gridRow);
    // Removes a list entry; nothing for a row out of range (none selected).
    void Exclude(int listRow);
    // Moves the list entry at `from` to the position `to` (a drop below the last
    // entry moves it to the end).
    void MoveEntry(int from, int to);
    // The text box's text filled with the listed variables from the report's
    // current result data file; a text without "%" comes back unchanged.
    QString PreviewText() const;
    // "Preview": PreviewText in a message box.
    void PreviewClick();

    QStringList UsedVariables() const { return m_edit.Names(); }
    QString DesignText() const;
    void SetDesignText(const QString& text);
    // Whether the text box shows an image shape's fixed text (read-only).
    bool ImageMode() const;

private:
    void BuildWidgets();
    void ShowList(int selectRow = -1);
    // An image shape's fixed text is read-only on the button-face colour;
    // otherwise the text box is editable on the window colour.
    void SetImageMode(bool image);
    int SelectedListRow() const;

    ReportContext& m_context;
    VariableBindingEdit m_edit;
    QPlainTextEdit* m_memo = nullptr;
    QTableWidget* m_grid = nullptr;
    QListWidget* m_list = nullptr;
    QPalette m_memoPalette;
};
