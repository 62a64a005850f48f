// The main window's file commands: pictures, measurement files, results export,
// printing, dropped files, the host import at start-up and the recovery offer.
#include "workbench/ui/TFormMain.h"

#include "workbench/ResultsExport.h"
#include "workbench/ui/FileDialogs.h"
#include "workbench/ui/WindowPrompt.h"

#include <QFile>
#include <QLocale>

void TFormMain::ExportResultsCommand()
{
    const QString path = FileDialogs::ExportResults(this);
    if (path.isEmpty())
        return;
    QString error;
    if (!ResultsExport::Export(Bench().Tree().ExportObjects(), Bench().Texts(), path,
            QLocale().decimalPoint().front(), &error))
        m_prompt->ShowMessage(error);
}

void TFormMain::LoadPictureCommand() { }
void TFormMain::SavePictureCommand() { }
void TFormMain::NewMeasurementCommand() { }
void TFormMain::SaveMeasurementCommand() { }
void TFormMain::SaveMeasurementWithPictureCommand() { }
void TFormMain::LoadMeasurementCommand() { }
void TFormMain::PrintCommand() { }
void TFormMain::OpenDroppedFiles(const QStringList&) { }
void TFormMain::OfferRecovery() { }
void TFormMain::ImportHostFile(const QString&) { }
