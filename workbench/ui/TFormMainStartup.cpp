// The main window's start-up: settings at the first showing, the one-shot
// start-up step (language, help, result rows, manual, recovery, host import,
// zoom), "Einstellungen speichern", and the recovery file of unsaved marks.
#include "workbench/ui/TFormMain.h"

#include "common/LanguageFile.h"
#include "common/TNVFreeImage.h"
#include "common/ui/WindowTranslator.h"
#include "workbench/RecoveryStore.h"
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
    TNVFreeImage::SetDefaultLimits(TNVFreeImage::LimitsFromIni(ProgramFile(QStringLiteral("Pelorix.ini"))));
}

void TFormMain::ApplySettings(const PelorixSettings& settings)
{
    m_settings = settings;
    move(settings.left, settings.top);
    resize(std::max(settings.width, minimumWidth()), std::max(settings.height, minimumHeight()));
    WorkbenchState& state = Bench().State();
    TMyCAD& cad = Bench().Canvas();
    state.PenColor = settings.penColor;
    TMyPen pen = cad.Pen();
    pen.color = settings.penColor;
    pen.width = settings.penWidth;
    cad.SetPen(pen);
    state.PenFUColor = settings.penFUColor;
    cad.SetColorOfHot(settings.hotColor);
    cad.SetHotSize(uint8_t(std::clamp(settings.hotSize, 0, 255)));
    TMyFont font = cad.Font();
    font.color = settings.fontColor;
    font.name = settings.fontName;
    font.SetSize(settings.fontSize);
    cad.SetFont(font);
    Bench().SetShowGrid(false);
    cad.SetPrintABorder(false);
    state.SWColor = settings.swColor;
    state.AlwaysKeepSelecton = settings.alwaysKeepSelecton;
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
    // Unsaved marks of an instance that ended are offered at every start. Restoring
    // them replaces the host's case, whose picture then stays where the host put it.
    const QString restore = ChooseRecovery();
    if (!restore.isEmpty())
        options.hostExchangePath.clear();
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
    if (!restore.isEmpty()) {
        BeginBusy(m_formLang->Text(QStringLiteral("StatusLoadingMeasurement")));
        Run([&] { m_recovery->Restore(Bench(), restore); });
        EndBusy();
    }
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
    // Without a picture there is nothing to fit, and a later picture keeps its zoom.
    if (!fitted || (windowHandle() != nullptr && windowHandle()->isExposed()))
        m_fitPending = false;
}

// --- recovery of unsaved marks ---

QString TFormMain::RecoveryFile() const
{
    return m_recovery->MarksPath();
}

QString TFormMain::ChooseRecovery()
{
    // The newest first; what the operator declines is discarded, one restored
    // measurement ends the offers (the others wait for the next start).
    for (const QString& orphan : m_recovery->Orphans()) {
        if (m_prompt->AskYesNo(m_formLang->Text(QStringLiteral("MessageRecoveryTitle")),
                m_formLang->Text(QStringLiteral("MessageRecovery"))))
            return orphan;
        m_recovery->Discard(orphan);
    }
    return QString();
}

void TFormMain::SaveRecovery()
{
    if (!m_startupDone || (!Bench().Canvas().Modified() && !Bench().Tree().Empty()))
        return;
    BeginBusy(m_formLang->Text(QStringLiteral("StatusSavingRecovery")));
    m_recovery->Write(Bench());
    EndBusy();
}
