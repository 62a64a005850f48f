// The main window's menu commands: they ask for file names where needed and
// hand the work to the workbench.
#include "workbench/ui/TFormMain.h"

#include "canvas/widgets/CanvasView.h"
#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/TFormLang.h"
#include "workbench/ui/WindowPrompt.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QProgressBar>
#include <QStatusBar>

void TFormMain::BeginBusy(const QString& what)
{
    if (m_busy++ == 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_progress->show();
    }
    statusBar()->showMessage(what);
    // Let the window paint the message and the cursor before the work starts.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TFormMain::EndBusy()
{
    if (m_busy > 0 && --m_busy == 0) {
        QApplication::restoreOverrideCursor();
        m_progress->hide();
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

void TFormMain::UpdateTitle()
{
    const QString name = m_currentFile.isEmpty() ? m_formLang->Text(QStringLiteral("TitleUntitled"))
                                                 : QFileInfo(m_currentFile).fileName();
    // "[*]" is where Qt shows the unsaved-changes mark.
    const QString title = name + QStringLiteral("[*] - Pelorix");
    if (windowTitle() != title)
        setWindowTitle(title);
    setWindowModified(Bench().Canvas().Modified() && !Bench().Tree().Empty());
}

void TFormMain::QuitCommand()
{
    if (Bench().Canvas().Modified() && !Bench().Tree().Empty()) {
        const auto answer = Bench().Prompt().AskSaveChanges(m_formLang->Text(QStringLiteral("MessageQuitTitle")),
            m_formLang->Text(QStringLiteral("MessageQuitUnsaved")));
        if (answer == OperatorPrompt::SaveChoice::Cancel)
            return;
        if (answer == OperatorPrompt::SaveChoice::Save) {
            SaveCommand();
            if (Bench().Canvas().Modified())
                return; // not saved: stay
        }
    }
    close();
}
