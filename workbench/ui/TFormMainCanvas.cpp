// The main window's canvas side: tool buttons, the mouse on the canvas, the
// thickness and zoom sliders, the mouse wheel, the keyboard, cursors and rulers.
#include "workbench/ui/TFormMain.h"

#include "canvas/widgets/CanvasView.h"
#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/TFormLang.h"
#include "workbench/ui/ToolIcons.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>

void TFormMain::ToolButtonClicked(ToolButton button)
{
    if (m_syncing)
        return;
    const bool ctrl = QApplication::keyboardModifiers().testFlag(Qt::ControlModifier);
    Run([&] { Bench().ToolButtonClicked(button, ctrl); });
}

void TFormMain::ConnectCanvasMouse()
{
    TMyCAD& cad = Bench().Canvas();
    cad.OnMouseDown = [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        Bench().CanvasMouseDown();
        ScheduleSync();
    };
    cad.OnMouseMove = [this](Qt::KeyboardModifiers, int x, int y) {
        m_canvasArea->SetHairLine(x, y);
        Bench().CanvasMouseMove(x, y);
        m_status[3]->setText(Bench().State().ui.statusMouse);
    };
    cad.OnMouseUp = [this](Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) {
        if (button == Qt::LeftButton)
            Bench().CanvasMouseUp(x, y, modifiers.testFlag(Qt::ControlModifier));
        ScheduleSync();
    };
}

void TFormMain::ScheduleSync()
{
    m_syncTimer->start();
}

void TFormMain::ThicknessChanged(int value)
{
    if (m_syncing)
        return;
    Run([&] { Bench().SetThicknessSlider(value); });
    ShowThicknessTarget();
}

void TFormMain::ThicknessTyped()
{
    if (m_syncing)
        return;
    const double value = m_thicknessEdit->value();
    Run([&] { Bench().SetThicknessMicrometres(value); });
    ShowThicknessTarget();
}

void TFormMain::ShowThicknessTarget()
{
    // Says which hair the new thickness went to, so nobody changes the hair just
    // drawn when meaning the next one.
    const int target = Bench().ThicknessTarget();
    const QString value = m_thicknessEdit->text();
    QString text;
    if (target == -1) {
        text = m_formLang->Text(QStringLiteral("StatusThicknessNext")).arg(value);
    } else if (target == -2) {
        text = m_formLang->Text(QStringLiteral("StatusThicknessSelected")).arg(value);
    } else {
        const ResultTree& tree = Bench().Tree();
        const int top = tree.FindTop(target);
        const QString hair = top >= 0 ? ResultTree::CellText(tree.At(top).node, 0, Bench().DecimalSeparator())
                                      : QString::number(target);
        text = m_formLang->Text(QStringLiteral("StatusThicknessHair")).arg(value, hair);
    }
    statusBar()->showMessage(text, 4000);
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
    // Only a change of the workbench's cursor is applied, so that the canvas's own
    // cursors over handles stay while the tool is the same.
    if (int(cursor) == m_appliedCursor)
        return;
    m_appliedCursor = int(cursor);
    m_canvasArea->View()->setCursor(cursor == CanvasCursor::MeasureAdd ? measureAdd : measure);
}

void TFormMain::SyncRulers()
{
    const RulerSettings& rulers = Bench().Scale().Rulers();
    m_canvasArea->SetRulerScale(
        rulers.scale, rulers.longTickEvery, TRulerUnit(Bench().State().RulerUnit), TRulerUnit(rulers.cornerUnit));
}
