#pragma once

#include <QComboBox>

class TMyCAD;
class TMyShape;

// The shape chooser above the property inspector: the canvas first, then every shape
// of the canvas in list order, each as "name: class" ("(noname)" for an empty name).
// Entries remember shapes by ShapeId, so a shape deleted since the last Refresh is
// never handed out.
class TComponentComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TComponentComboBox(QWidget* parent = nullptr);

    void SetCanvas(TMyCAD* canvas);
    // The component name shown for the canvas entry ("MyCADPrint" unless set).
    void SetCanvasName(const QString& name);
    // Re-lists the canvas and its shapes, keeping the chosen entry when it still exists.
    void Refresh();
    // Shows the entry of the shape (null: the canvas) without emitting ComponentChosen.
    void Choose(TMyShape* shape);

    // The entry text of a component: "%s: %s" of its name ("(noname)" when empty) and class.
    static QString EntryText(const QString& name, const QString& className);

signals:
    // The user chose an entry; null means the canvas.
    void ComponentChosen(TMyShape* shape);

private:
    void EntryChosen(int index);

    TMyCAD* m_canvas = nullptr;
    QString m_canvasName = QStringLiteral("MyCADPrint");
};
