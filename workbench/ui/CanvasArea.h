#pragma once

#include "canvas/TMyCADHost.h"

#include <QScrollArea>

#include <array>

class QDropEvent;
class QMouseEvent;
class TMyCAD;
class RulerStrip;

// The widget that shows a canvas: paints it, reports the mouse in canvas
// (screen) pixels and follows the canvas's repaint requests.
class CanvasSurface : public QWidget, public TMyCADHost
{
    Q_OBJECT
public:
    CanvasSurface(TMyCAD& cad, QWidget* parent);
    ~CanvasSurface() override;

    double PixelsPerInch() const override;
    void RequestRepaint() override;
    void RequestRepaintArea(const QRect& area) override;
    void ClientSizeChanged(int width, int height) override;

signals:
    void MousePressed(QMouseEvent* event);
    void MouseMoved(QMouseEvent* event);
    void MouseReleased(QMouseEvent* event);
    void MouseDoubleClicked(QMouseEvent* event);
    void SizeChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TMyCAD& m_cad;
};

// The canvas area of the main window: a scroll box (background 0xF8F8F8) holding
// the canvas with a ruler on each side, each ruler with two corner boxes. The
// canvas sits right of the left ruler and below the top ruler, one pixel apart.
// Files dropped on it are handed on through FilesDropped.
class CanvasArea : public QScrollArea
{
    Q_OBJECT
public:
    CanvasArea(TMyCAD& cad, QWidget* parent);

    CanvasSurface* Surface() const { return m_surface; }
    enum Side { Top, Bottom, Left, Right };
    RulerStrip* Ruler(Side side) const { return m_rulers[size_t(side)]; }
    int RulerThickness() const;

    // Sizes the canvas widget and lays the rulers out around it.
    void SetCanvasSize(int width, int height);
    // Ruler scale (screen pixels per 100 units), long-tick spacing and the
    // corner boxes' unit (empty: none).
    void SetRulerScale(int scale, int longTickEvery, const QString& cornerUnit);
    // The hair lines of the rulers at a canvas point.
    void SetHairLine(int x, int y);

signals:
    void FilesDropped(const QStringList& paths);
    // The mouse wheel turned over the area (delta +-120 per notch).
    void WheelTurned(int delta);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Relayout();

    QWidget* m_page;
    CanvasSurface* m_surface;
    std::array<RulerStrip*, 4> m_rulers {};
    std::array<QWidget*, 8> m_corners {};
    QString m_cornerUnit;
};
