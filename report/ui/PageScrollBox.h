#pragma once

#include <QScrollArea>
#include <QString>

class CanvasView;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QToolButton;
class TMyCAD;

// The light grey scroll box of the designer and the preview with a page canvas at
// its top-left corner, and the zoom commands both windows offer on it.
class PageScrollBox : public QScrollArea
{
    Q_OBJECT
public:
    // The canvas is the caller's and must outlive the box; the zoom commands write
    // "Zoom: N%" into the status bar.
    PageScrollBox(TMyCAD& canvas, const QString& viewName, QStatusBar& statusBar, QWidget* parent = nullptr);
    ~PageScrollBox() override;

    CanvasView& View() const { return *m_view; }
    TMyCAD& Canvas() const;

    // Fitting leaves a canvas without size (and the status bar) as it is.
    void FitHeight();
    void FitWidth();
    void ZoomIn();
    void ZoomOut();
    // Scrolls back to the page's top-left corner.
    void ScrollToTopLeft();

private:
    void Fit(int available, int size);
    void ShowZoom();

    CanvasView* m_view;
    QStatusBar& m_statusBar;
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
    // The zoom buttons run the box's zoom commands.
    void ConnectZoom(PageScrollBox& box) const;
};
