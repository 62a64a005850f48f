// The main window's start-up: settings at the first showing, the one-shot
// start-up step (language, help, result rows, manual, recovery, host import,
// zoom), "Einstellungen speichern", and the recovery file of unsaved marks.
#include "workbench/ui/TFormMain.h"

#include "common/LanguageFile.h"
#include "common/ui/WindowTranslator.h"
#include "workbench/ProgramSetup.h"
#include "workbench/StartUp.h"
#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/HelpViewer.h"
#include "workbench/ui/TFormAbout.h"
#include "workbench/ui/TFormLabel.h"
#include "workbench/ui/TFormLang.h"
#include "workbench/ui/TFormScale.h"
#include "workbench/ui/WindowPrompt.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QStandardPaths>
#include <QTimer>
#include <QWindow>

#include <cmath>

void TFormMain::ReadSettings()
{
    ApplySettings(PelorixSettings::Read(ProgramFile(QStringLiteral("Pelorix.ini"))));
}

void TFormMain::ApplySettings(const PelorixSettings& settings)
{
    m_settings = settings;
    move(settings.left, settings.top);
    resize(std::max(settings.width, minimumWidth()), std::max(settings.height, minimumHeight()));
    ProgramSetup::ApplySettings(Bench(), settings);
    Bench().SetShowGrid(false);
    SyncUi();
}

PelorixSettings TFormMain::CurrentSettings() const
{
    PelorixSettings settings = m_settings;
    const TMyCAD& cad = m_workbench->Canvas();
    settings.penColor = cad.Pen().color;
    settings.fontColor = cad.Font().color;
    settings.fontSize = cad.Font().size;
    settings.fontName = cad.Font().name;
    settings.top = y();
    settings.left = x();
    settings.width = width();
    settings.height = height();
    settings.alwaysKeepSelecton = m_workbench->State().AlwaysKeepSelecton;
    return settings;
}

void TFormMain::SaveSettingsCommand()
{
    const PelorixSettings settings = CurrentSettings();
    if (settings.Write(ProgramFile(QStringLiteral("Pelorix.ini"))))
        m_settings = settings;
    else
        m_prompt->ShowMessage(Bench().Texts().Text(QStringLiteral("MessageErrorSaveIni")));
}

std::vector<QWidget*> TFormMain::Windows()
{
    return { this, m_formScale, m_formAbout, m_formLang, m_formLabel, m_help };
}

bool TFormMain::LoadLanguage(const QString& fileName)
{
    LanguageFile file;
    if (!file.Load(ProgramFile(fileName)))
        return false;
    for (QWidget* window : Windows())
        WindowTranslator::Apply(file, *window);
    // The messages and result captions are the language window's label captions.
    m_texts = m_formLang->Texts();
    Bench().SetTexts(m_texts);
    m_prompt->SetTexts(&Bench().Texts(), Bench().DecimalSeparator());
    return true;
}

void TFormMain::RunStartup()
{
    if (m_startupDone)
        return;
    m_startupTimer->stop();
    m_startupDone = true;
    // The windows' texts first; the start-up step reads the same file for the
    // message texts and says so when it is missing.
    LoadLanguage(QStringLiteral("PelorixLang.ini"));
    StartUpOptions options;
    options.programDirectory = m_options.programDir;
    options.hostExchangePath = m_options.hostFile;
    options.helpFileName = QStringLiteral("Pelorix.html");
    if (!options.hostExchangePath.isEmpty())
        BeginBusy(m_formLang->Text(QStringLiteral("StatusLoadingPicture")));
    StartUpResult result;
    Run([&] { result = StartUp::Run(Bench(), options); });
    if (!options.hostExchangePath.isEmpty())
        EndBusy();
    Action(QStringLiteral("Handbuch1"))->setVisible(result.manualAvailable);
    if (result.closeRequested) {
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    if (m_options.hostFile.isEmpty())
        OfferRecovery();
    // The vertical splitter stands 10 pixels left of the result panel.
    const int total = m_mainSplitter->width();
    const int panel = m_resultPanel->isVisible() ? m_resultPanel->width() + 10 : 0;
    if (total > panel)
        m_mainSplitter->setSizes({ total - panel, panel });
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_fitPending = true;
    FitZoomToWindow();
    SyncUi();
    SyncResults();
}

void TFormMain::FitZoomToWindow()
{
    const QRect client = m_canvasArea->contentsRect();
    FitArea area;
    area.clientWidth = client.width();
    area.clientHeight = client.height();
    area.topRuler = area.bottomRuler = area.leftRuler = area.rightRuler = CanvasArea::kRulerThickness;
    area.horizontalScrollBar = m_canvasArea->horizontalScrollBar()->sizeHint().height();
    area.verticalScrollBar = m_canvasArea->verticalScrollBar()->sizeHint().width();
    const bool fitted = StartUp::FitZoomToWindow(Bench(), area).has_value();
    if (fitted)
        SyncUi();
    // A window that is not on the screen yet has no final size: the fit is
    // repeated when it gets one.
    if (fitted && windowHandle() != nullptr && windowHandle()->isExposed())
        m_fitPending = false;
}

// --- recovery of unsaved marks ---

QString TFormMain::RecoveryFile() const
{
    QString dir = m_options.recoveryDir;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return QDir(dir).filePath(QStringLiteral("Pelorix-recovery.nvm"));
}

void TFormMain::SaveRecovery()
{
    const QString path = RecoveryFile();
    if (!m_startupDone || !Bench().Canvas().Modified() || Bench().Tree().Empty()) {
        if (Bench().Tree().Empty())
            QFile::remove(path);
        return;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    BeginBusy(m_formLang->Text(QStringLiteral("StatusSavingRecovery")));
    // The measurement holds patient data: the copy is readable by its owner only.
    if (Bench().Canvas().SaveToFile(path))
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EndBusy();
}
