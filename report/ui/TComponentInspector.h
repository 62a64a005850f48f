#pragma once

#include "report/ComponentProperties.h"

#include <QWidget>

#include <functional>
#include <optional>

class QDialog;
class QTreeWidget;
class QTreeWidgetItem;
class TMyCAD;
class TMyShape;

// The property inspector of the report designer: a two-column tree of the published
// properties (name, value) of one shape or of the canvas, with nested rows for pens,
// brushes, fonts and the grid. Numbers and texts are edited in place with a line
// edit, enumerations and booleans with a drop-down list; colours, fonts, string
// lists, pictures and user data open their editors (double click or Enter).
//
// The inspected shape is remembered by ShapeId and looked up on every use, so a
// shape the designer deletes is never touched; edits of a deleted shape are refused.
class TComponentInspector : public QWidget
{
    Q_OBJECT
public:
    explicit TComponentInspector(QWidget* parent = nullptr);
    ~TComponentInspector() override;

    // The root canvas; null clears the inspector.
    void SetCanvas(TMyCAD* canvas);
    // Shows a shape of the canvas; null shows the canvas itself.
    void Inspect(TMyShape* shape);
    // The inspected shape; null for the canvas (or when the shape was deleted).
    TMyShape* Inspected() const;
    // Sets a property by path ("Pen.Width", "Lines", "Font.Style.fsBold"...) as the in-place editor would; false when
    // refused.
    bool SetValue(const QString& path, const QString& text);
    QString Value(const QString& path) const;
    // Opens the editor of a colour, font, string list, picture or user data property
    // and applies its result; false when cancelled, refused or not such a property.
    bool EditWithDialog(const QString& path);
    // Re-reads the shown values (after the canvas changed them, e.g. by the mouse).
    void UpdateValues();

    QTreeWidget* Tree() const { return m_tree; }
    // Runs an editor dialog and returns its result; unset: exec(). Tests script the dialogs here.
    std::function<int(QDialog& dialog)> RunDialog;

    // Applies an in-place edit; a refusal is shown through MessageSink (once control returns
    // to the event loop) and the old value stays.
    bool CommitEdit(const QString& path, const QString& text);

signals:
    // After any accepted edit (the designer repaints).
    void ValueChanged();

private:
    std::optional<ComponentProperties> Model() const;
    void Rebuild();
    void AddRows(QTreeWidgetItem* parent, const std::vector<ComponentProperty>& properties);
    void RowActivated(QTreeWidgetItem* item);
    int Run(QDialog& dialog);
    bool Applied(bool accepted);

    TMyCAD* m_canvas = nullptr;
    int m_shapeId = -1;
    QTreeWidget* m_tree = nullptr;
};
