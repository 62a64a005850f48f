// The main window's canvas side: tool buttons, the mouse on the canvas, the
// thickness and zoom sliders, the mouse wheel, the keyboard, cursors and rulers.
#include "workbench/ui/TFormMain.h"

#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/RulerStrip.h"
#include "workbench/ui/ToolIcons.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSlider>

void TFormMain::ToolButtonClicked(ToolButton button)
{
    if (m_syncing)
        return;
    const bool ctrl = QApplication::keyboardModifiers().testFlag(Qt::ControlModifier);
    Run([&] { Bench().ToolButtonClicked(button, ctrl); });
}

void TFormMain::CanvasMousePressed(QMouseEvent* event)
{
    Bench().CanvasMouseDown();
    SyncUi();
    event->accept();
}

void TFormMain::CanvasMouseMoved(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    m_canvasArea->SetHairLine(at.x(), at.y());
    Bench().CanvasMouseMove(at.x(), at.y());
    SyncUi();
}

void TFormMain::CanvasMouseReleased(QMouseEvent* event)
{
    const QPointF at = event->position();
    if (event->button() == Qt::LeftButton)
        Run([&] { Bench().CanvasMouseUp(at.x(), at.y(), event->modifiers().testFlag(Qt::ControlModifier)); });
}

void TFormMain::CanvasMouseDoubleClicked(QMouseEvent* event)
{
    event->accept();
}

void TFormMain::ThicknessChanged(int value)
{
    if (m_syncing)
        return;
    Run([&] { Bench().SetThicknessSlider(value); });
}

Workbench::Viewport TFormMain::CurrentViewport() const
{
    const QWidget* view = m_canvasArea->viewport();
    return Workbench::Viewport { view->width(), view->height(), m_canvasArea->horizontalScrollBar()->value(),
        m_canvasArea->verticalScrollBar()->value() };
}

void TFormMain::ApplyScroll(const Workbench::ScrollPosition& position)
{
    m_canvasArea->horizontalScrollBar()->setValue(position.horizontal);
    m_canvasArea->verticalScrollBar()->setValue(position.vertical);
}

void TFormMain::ZoomChanged(int position)
{
    if (m_syncing)
        return;
    const Workbench::ScrollPosition scroll = Bench().SetZoomSlider(position, CurrentViewport());
    SyncUi();
    ApplyScroll(scroll);
}

void TFormMain::WheelTurned(int delta)
{
    const Workbench::ScrollPosition scroll = Bench().MouseWheel(delta, CurrentViewport());
    SyncUi();
    ApplyScroll(scroll);
}

bool TFormMain::HandleKey(QKeyEvent* event)
{
    if (!isActiveWindow() && QApplication::activeWindow() != nullptr)
        return false;
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && focus->window() != this)
        return false;
    // Text fields keep their own editing keys.
    if (qobject_cast<QLineEdit*>(focus) != nullptr || qobject_cast<QPlainTextEdit*>(focus) != nullptr)
        return false;
    Workbench::Key key = Workbench::Key::Other;
    switch (event->key()) {
    case Qt::Key_Delete:
        key = Workbench::Key::Delete;
        break;
    case Qt::Key_Escape:
        key = Workbench::Key::Escape;
        break;
    case Qt::Key_Left:
        key = Workbench::Key::Left;
        break;
    case Qt::Key_Right:
        key = Workbench::Key::Right;
        break;
    case Qt::Key_Up:
        key = Workbench::Key::Up;
        break;
    case Qt::Key_Down:
        key = Workbench::Key::Down;
        break;
    default:
        return false;
    }
    // Arrows move shapes only when some are selected; otherwise the sliders and
    // the tree keep their keyboard use.
    const bool arrow = key != Workbench::Key::Delete && key != Workbench::Key::Escape;
    if (arrow && Bench().Canvas().SelectedCount() == 0)
        return false;
    bool consumed = false;
    Run([&] { consumed = Bench().KeyPressed(key, event->modifiers().testFlag(Qt::ShiftModifier)); });
    return consumed;
}

void TFormMain::ApplyCursor()
{
    static const QCursor measure = ToolIcons::MeasureCursor();
    static const QCursor measureAdd = ToolIcons::MeasureAddCursor();
    const CanvasCursor cursor = Bench().State().ui.cursor;
    m_canvasArea->Surface()->setCursor(cursor == CanvasCursor::MeasureAdd ? measureAdd : measure);
}

void TFormMain::SyncRulers()
{
    const RulerSettings& rulers = Bench().Scale().Rulers();
    QString unit;
    if (rulers.cornerUnit == RulerMillimetres)
        unit = QStringLiteral("mm");
    else if (rulers.cornerUnit == RulerPixels)
        unit = QStringLiteral("px");
    m_canvasArea->SetRulerScale(rulers.scale, rulers.longTickEvery, unit);
}
