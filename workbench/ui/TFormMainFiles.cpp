// The main window's file commands: pictures, measurement files, results export,
// printing through the report library, dropped files, the recovery file and the host import at start-up.
#include "workbench/ui/TFormMain.h"

#include "workbench/HostImport.h"
#include "workbench/MeasurementFile.h"
#include "workbench/PrintBridge.h"
#include "workbench/RecoveryStore.h"
#include "workbench/ResultsExportCommand.h"
#include "workbench/ui/TFormCompare.h"
#include "workbench/ui/TFormLang.h"
#include "workbench/ui/WindowPrompt.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

void TFormMain::LoadPictureCommand()
{
    BeginBusy(m_formLang->Text(QStringLiteral("StatusLoadingPicture")));
    Run([&] { MeasurementFile(Bench()).LoadPictureCommand(); });
    EndBusy();
}

void TFormMain::SavePictureCommand()
{
    BeginBusy(m_formLang->Text(QStringLiteral("StatusSavingPicture")));
    Run([&] { MeasurementFile(Bench()).SavePictureCommand(); });
    EndBusy();
}

void TFormMain::NewMeasurementCommand()
{
    Run([&] { MeasurementFile(Bench()).NewMeasurement(); });
    SaveRecovery();
}

void TFormMain::SaveMeasurementCommand()
{
    BeginBusy(m_formLang->Text(QStringLiteral("StatusSavingMeasurement")));
    bool saved = false;
    Run([&] { saved = MeasurementFile(Bench()).SaveMeasurementCommand(false); });
    EndBusy();
    if (saved)
        m_recovery->Remove();
}

void TFormMain::SaveMeasurementWithPictureCommand()
{
    BeginBusy(m_formLang->Text(QStringLiteral("StatusSavingMeasurement")));
    bool saved = false;
    Run([&] { saved = MeasurementFile(Bench()).SaveMeasurementCommand(true); });
    EndBusy();
    if (saved)
        m_recovery->Remove();
}

void TFormMain::LoadMeasurementCommand()
{
    BeginBusy(m_formLang->Text(QStringLiteral("StatusLoadingMeasurement")));
    Run([&] { MeasurementFile(Bench()).LoadMeasurementCommand(); });
    EndBusy();
}

void TFormMain::ExportResultsCommand()
{
    Run([&] { ResultsExportCommand::Run(Bench(), QLocale().decimalPoint().front()); });
}

void TFormMain::CompareVisitsCommand()
{
    std::optional<QString> path;
    Run([&] {
        path = Bench().Prompt().AskFileName({ MeasurementFile::kMeasurementFilter, QStringLiteral("nvm"), false });
    });
    if (path)
        OpenComparison(*path);
}

TFormCompare* TFormMain::OpenComparison(const QString& path)
{
    BeginBusy(m_formLang->Text(QStringLiteral("StatusLoadingMeasurement")));
    auto second = std::make_unique<LoadedVisit>();
    const bool loaded = second->Load(path);
    EndBusy();
    if (!loaded) {
        m_prompt->ShowMessage(second->LastError());
        return nullptr;
    }
    Bench().UpdateResultsGrid();
    const QString firstName = Bench().State().ui.statusImageName;
    auto* window = new TFormCompare(Bench(), std::move(second), firstName, path, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // Modal to this window: the first visit cannot change under the comparison.
    window->setWindowModality(Qt::WindowModal);
    window->show();
    return window;
}

void TFormMain::PrintCommand()
{
    // The preview of the report library runs inside; the command returns when it
    // is closed and the report library has closed its report.
    Run([&] { PrintBridge::Print(Bench()); });
}

void TFormMain::OpenDroppedFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    const QString path = paths.front();
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("ini")) {
        // The operator opens an archived case: no host hand-over, so its picture stays.
        BeginBusy(m_formLang->Text(QStringLiteral("StatusLoadingPicture")));
        Run([&] { HostImport(Bench(), m_options.programDir).OpenExchangeFile(path); });
        EndBusy();
        return;
    }
    m_prompt->PresetFileName(path);
    if (suffix == QLatin1String("nvm"))
        LoadMeasurementCommand();
    else
        LoadPictureCommand();
    m_prompt->PresetFileName(QString());
}
