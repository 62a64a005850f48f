// The main window's start-up: settings at the first showing, the one-shot
// start-up step (language, help, result rows, manual, recovery, host import,
// zoom), "Einstellungen speichern", and the recovery file of unsaved marks.
#include "workbench/ui/TFormMain.h"

#include "common/LanguageFile.h"
#include "common/TNVFreeImage.h"
#include "common/ui/WindowTranslator.h"
#include "workbench/ProgramSetup.h"
#include "workbench/RecoveryStore.h"
#include "workbench/StartUp.h"
#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/HelpViewer.h"
#include "workbench/ui/ResultsGrid.h"
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
#include <QLibraryInfo>
#include <QLocale>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>
#include <QWindow>

#include <cmath>

QString TFormMain::SettingsFile() const
{
    return PelorixSettings::LocateFile(
        m_options.programDir, QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
}

void TFormMain::ReadSettings()
{
    ApplySettings(PelorixSettings::Read(SettingsFile()));
    TNVFreeImage::SetDefaultLimits(TNVFreeImage::LimitsFromIni(SettingsFile()));
    UpdateRecentMenu();
}

QString TFormMain::SystemLanguage()
{
    // The C locale (no language set) keeps the built-in German texts.
    const QLocale::Language language = QLocale::system().language();
    return language == QLocale::German || language == QLocale::C ? QStringLiteral("de") : QStringLiteral("en");
}

QString TFormMain::LanguageFileName(const QString& language)
{
    return language == QLatin1String("en") ? QStringLiteral("lang/English/PelorixLang.ini")
                                           : QStringLiteral("PelorixLang.ini");
}

void TFormMain::SetLanguage(const QString& language, bool remember)
{
    m_language = language == QLatin1String("en") ? QStringLiteral("en") : QStringLiteral("de");
    LoadLanguage(LanguageFileName(m_language));
    // Qt's own dialogs (file dialogs, Yes/No, Cancel) speak the same language.
    if (m_qtTranslator == nullptr)
        m_qtTranslator = new QTranslator(this);
    QCoreApplication::removeTranslator(m_qtTranslator);
    if (m_language != QLatin1String("en")
        && m_qtTranslator->load(
            QStringLiteral("qtbase_") + m_language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(m_qtTranslator);
    // The report library runs in this process and reads its texts from the file named here.
    const QString report = m_language == QLatin1String("en") ? QStringLiteral("lang/English/PrelvoLang.ini")
                                                             : QStringLiteral("PrelvoLang.ini");
    qputenv("PRELVO_LANGUAGE_FILE", QFile::encodeName(ProgramFile(report)));
    for (const char* name : { "SpracheDeutsch1", "SpracheEnglish1" })
        if (QAction* action = Action(QLatin1String(name)))
            action->setChecked(action->data().toString() == m_language);
    if (remember && m_settings.language != m_language) {
        m_settings.language = m_language;
        m_settings.WriteWindowState(SettingsFile());
    }
    if (m_startupDone) {
        SyncUi();
        SyncResults();
    }
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
    if (settings.Write(SettingsFile()))
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
    // message texts and says so when it is missing. A first start follows the
    // system's language.
    SetLanguage(!m_options.language.isEmpty() ? m_options.language
            : m_settings.language.isEmpty()   ? SystemLanguage()
                                              : m_settings.language,
        false);
    StartUpOptions options;
    options.languageFileName = LanguageFileName(m_language);
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
    } else if (!m_options.openFile.isEmpty()) {
        OpenDroppedFiles({ m_options.openFile });
    }
    // The result panel keeps the width the operator gave it; the first time it is
    // as wide as grid and tree need (the vertical splitter 10 pixels left of it).
    const int total = m_mainSplitter->width();
    const int wanted = m_settings.resultPanelWidth > 0 ? m_settings.resultPanelWidth : ResultPanelWidthWanted();
    const int panel = m_resultPanel->isVisible() ? std::min(wanted, total / 2) + 10 : 0;
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
    // The copy is written on its own: what the operator was being told (how many
    // hairs were proposed, for one) stays in the status line.
    const QString told = statusBar()->currentMessage();
    BeginBusy(m_formLang->Text(QStringLiteral("StatusSavingRecovery")));
    m_recovery->Write(Bench());
    EndBusy();
    if (!told.isEmpty())
        statusBar()->showMessage(told, 10000);
}

int TFormMain::ResultPanelWidthWanted() const
{
    // The grid's columns as wide as their texts, and room for the tree's scroll bar.
    return m_grid->sizeHint().width() + m_tree->verticalScrollBar()->sizeHint().width() + 2 * m_tree->frameWidth();
}

void TFormMain::SaveWindowState()
{
    if (m_resultPanel->isVisible() && m_startupDone)
        m_settings.resultPanelWidth = m_resultPanel->width();
    m_settings.WriteWindowState(SettingsFile());
}
