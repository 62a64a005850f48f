#pragma once

#include "canvas/RulerScale.h"

#include <QScrollArea>

#include <array>

class CanvasView;
class QDropEvent;
class TMyCAD;
class TRsRuler;
class TRsRulerCorner;

// The canvas area of the main window: a scroll box (background 0xF8F8F8) holding
// the canvas view with a ruler on each side, each ruler with two corner boxes.
// The canvas sits right of the left ruler and below the top ruler, one pixel
// apart. Files dropped on it are handed on through FilesDropped; the mouse wheel
// through WheelTurned.
class CanvasArea : public QScrollArea
{
    Q_OBJECT
public:
    CanvasArea(TMyCAD& cad, QWidget* parent);

    CanvasView* View() const { return m_view; }
    enum Side { Top, Bottom, Left, Right };
    TRsRuler* Ruler(Side side) const { return m_rulers[size_t(side)]; }
    TRsRulerCorner* Corner(int index) const { return m_corners[size_t(index)]; }
    static constexpr int kRulerThickness = 24;

    // Lays the rulers out around the canvas view at its current size.
    void Relayout();
    // Ruler scale (screen pixels per 100 units), long-tick spacing, the rulers'
    // unit and the corner boxes' unit (ruNone: none shown).
    void SetRulerScale(int scale, int longTickEvery, TRulerUnit rulerUnit, TRulerUnit cornerUnit);
    // The hair lines of the rulers at a canvas point.
    void SetHairLine(int x, int y);

signals:
    void FilesDropped(const QStringList& paths);
    // The mouse wheel turned over the area (delta +-120 per notch).
    void WheelTurned(int delta);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_page;
    CanvasView* m_view;
    std::array<TRsRuler*, 4> m_rulers {};
    std::array<TRsRulerCorner*, 8> m_corners {};
};
