#pragma once

#include "canvas/TMyCAD.h"
#include "canvas/TMyCADHost.h"

#include <QPixmap>
#include <QWidget>

// The widget that shows a TMyCAD: it is the canvas's host (screen resolution,
// repaint requests, cursor, hint and size), paints the damaged area through the
// canvas's off-screen buffer, and takes the canvas's pixel size, so that it sits in
// a QScrollArea as the scrolled widget. The canvas is owned by the caller and must
// outlive the view; the view detaches itself from the canvas when it goes.
class CanvasView : public QWidget, public TMyCADHost
{
    Q_OBJECT
public:
    explicit CanvasView(TMyCAD& cad, QWidget* parent = nullptr);
    ~CanvasView() override;
    CanvasView(const CanvasView&) = delete;
    CanvasView& operator=(const CanvasView&) = delete;

    TMyCAD& Canvas() const { return m_cad; }
    // Copies the selection into the canvas's copy buffer and its picture onto the
    // system clipboard (nothing when nothing is selected).
    void CopyToClipboard();

    double PixelsPerInch() const override;
    void RequestRepaint() override;
    void RequestRepaintArea(const QRect& area) override;
    void SetCursorShape(Qt::CursorShape shape) override;
    void ShowHint(const QString& text) override;
    void ClientSizeChanged(int width, int height) override;
    // Opens the "String List Editor" for a text box drawn with the mouse.
    bool EditStringList(QStringList& lines) override;
    // While a button is held the mouse point is kept inside the area and the cursor is
    // put back there (where the platform lets a program place the cursor).
    void ConfineCursor(const QRect& area) override;
    void ReleaseCursor() override;
    QSize sizeHint() const override;
    // While frozen the view shows the part of the drawing that was visible when it
    // froze and leaves the canvas alone (no painting, mouse or resize reaches it), so
    // that another thread may draw the canvas meanwhile (a picture export). A resize
    // made meanwhile reaches the canvas when the view thaws.
    void SetFrozen(bool frozen);
    bool Frozen() const { return m_frozen; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Mouse events go to the canvas as plain calls in control pixels.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The point kept inside the cursor confinement, when there is one.
    QPoint Confined(QPoint p) const;

    TMyCAD& m_cad;
    bool m_resizingForCanvas = false;
    QString m_hint;
    QRect m_confinement;
    bool m_frozen = false;
    QPixmap m_frozenPicture;
    QPoint m_frozenAt;
    double m_frozenPixelsPerInch = 96.0;
};
