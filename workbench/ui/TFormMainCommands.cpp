// The main window's menu commands: they ask for file names where needed and
// hand the work to the workbench.
#include "workbench/ui/TFormMain.h"

#include "canvas/widgets/CanvasView.h"
#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/WindowPrompt.h"

#include <QAction>
#include <QApplication>
#include <QStatusBar>

void TFormMain::BeginBusy(const QString& what)
{
    if (m_busy++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    statusBar()->showMessage(what);
    // Let the window paint the message and the cursor before the work starts.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TFormMain::EndBusy()
{
    if (m_busy > 0 && --m_busy == 0) {
        QApplication::restoreOverrideCursor();
        statusBar()->clearMessage();
    }
}

void TFormMain::UndoCommand()
{
    Run([&] {
        if (!Bench().UndoCommand())
            m_prompt->Beep();
    });
}

void TFormMain::RedoCommand()
{
    Run([&] {
        if (!Bench().RedoCommand())
            m_prompt->Beep();
    });
}

void TFormMain::CopyCommand()
{
    bool copied = false;
    Run([&] { copied = Bench().CopyCommand(); });
    // The picture of the marks goes to the system clipboard too, for a letter or a slide.
    if (copied)
        m_canvasArea->View()->CopyToClipboard();
}

void TFormMain::PasteCommand()
{
    Run([&] { Bench().PasteCommand(); });
}

void TFormMain::DeleteCommand()
{
    Run([&] { Bench().DeleteCommand(); });
}

void TFormMain::SelectAllCommand()
{
    Run([&] { Bench().SelectAllCommand(); });
}

void TFormMain::GraphicScaleCommand()
{
    Run([&] { Bench().ToolButtonClicked(ToolButton::Measure); });
}

void TFormMain::NumericScaleCommand()
{
    Run([&] { Bench().Scale().NumericScaleCommand(); });
}

void TFormMain::ShowScaleBarCommand()
{
    const bool checked = Action(QStringLiteral("Anzeigen1"))->isChecked();
    Run([&] { Bench().Scale().SetShowScaleBar(checked); });
}

void TFormMain::LineColorCommand()
{
    Run([&] { Bench().LineColorCommand(); });
}

void TFormMain::FontCommand()
{
    Run([&] { Bench().FontCommand(); });
}

void TFormMain::LabelCommand()
{
    Run([&] { Bench().LabelCommand(); });
}
