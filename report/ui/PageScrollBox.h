#pragma once

#include <QScrollArea>
#include <QString>

#include <optional>

class CanvasView;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QToolButton;
class TMyCAD;

// The light grey scroll box of the designer and the preview with a page canvas at
// its top-left corner, and the zoom commands both windows offer on it.
class PageScrollBox : public QScrollArea
{
    Q_OBJECT
public:
    // The canvas is the caller's and must outlive the box.
    PageScrollBox(TMyCAD& canvas, const QString& viewName, QWidget* parent = nullptr);
    ~PageScrollBox() override;

    CanvasView& View() const { return *m_view; }
    TMyCAD& Canvas() const;

    // Each returns the status text "Zoom: N%" when the zoom changed; fitting leaves
    // a canvas without size as it is.
    std::optional<QString> FitHeight();
    std::optional<QString> FitWidth();
    QString ZoomIn();
    QString ZoomOut();
    // Scrolls back to the page's top-left corner.
    void ScrollToTopLeft();

private:
    CanvasView* m_view;
};

// The top panel both windows share: "Printer" with the printer field, "Print",
// and the four zoom buttons; the designer adds its own buttons to the layout.
struct PrinterPanel
{
    QWidget* panel = nullptr;
    QHBoxLayout* layout = nullptr;
    QLineEdit* editPrinter = nullptr;
    QPushButton* buttonPrint = nullptr;
    QToolButton* fitHeight = nullptr;
    QToolButton* fitWidth = nullptr;
    QToolButton* zoomIn = nullptr;
    QToolButton* zoomOut = nullptr;

    // Builds the panel (57 pixels high, Arial 10 point) with the zoom buttons last.
    static PrinterPanel Create(QWidget* parent);
    // A push button for the panel that never takes the keyboard focus from the page.
    QPushButton* AddButton(const char* name, const QString& text, int position = -1) const;
};
