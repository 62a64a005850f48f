#pragma once

#include "workbench/MeasurementFile.h"
#include "workbench/PelorixSettings.h"
#include "workbench/Workbench.h"

#include <QMainWindow>

#include <atomic>
#include <map>
#include <memory>

class CanvasArea;
class HelpViewer;
class QAction;
class QDoubleSpinBox;
class QProgressBar;
class QKeyEvent;
class QLabel;
class QMenu;
class QMouseEvent;
class QSlider;
class QSplitter;
class QThread;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class RecoveryStore;
class ResultsGrid;
class ThicknessChartWidget;
class TFormAbout;
class TFormCompare;
class TFormLabel;
class TFormLang;
class TFormScale;
class WindowPrompt;

// Pelorix's main window: tool bar, canvas with rulers, result panel and status
// bar around the headless Workbench. It forwards the operator's actions to the
// workbench and mirrors the workbench's state after each of them; questions the
// workbench asks are answered by real dialogs (WindowPrompt).
class TFormMain : public QMainWindow
{
    Q_OBJECT
public:
    struct Options
    {
        // Folder of Pelorix.ini, PelorixLang.ini, the help file and the manual;
        // empty: the program's own folder.
        QString programDir;
        // A host exchange file given on the command line; imported at start-up.
        QString hostFile;
        // A measurement file given on the command line; loaded after the start-up.
        QString openFile;
        // "de" or "en" for this run only; empty: the saved choice or the system's.
        QString language;
        // Folder of the recovery file; empty: the user's application data folder.
        QString recoveryDir;
        // Whether the one-shot start-up step runs by itself 50 ms after creation.
        bool startupTimer = true;
    };

    explicit TFormMain(Options options, QWidget* parent = nullptr);
    ~TFormMain() override;

    Workbench& Bench() { return *m_workbench; }
    QString ProgramFile(const QString& name) const;

    // --- controls, by the names language files use ---
    QToolButton* ToolButtonOf(ToolButton button) const;
    QToolButton* SpeedButton(const QString& name) const;
    QSlider* TrackBarThickness() const { return m_thickness; }
    // The thickness in the calibrated unit (µm), shown and typed beside the slider.
    QDoubleSpinBox* ThicknessEdit() const { return m_thicknessEdit; }
    QSlider* TrackBarZoom() const { return m_zoom; }
    QAction* Action(const QString& name) const;
    QMenu* MenuOf(const QString& name) const;
    CanvasArea* Canvas() const { return m_canvasArea; }
    ResultsGrid* Grid() const { return m_grid; }
    QTreeWidget* Tree() const { return m_tree; }
    ThicknessChartWidget* Chart() const { return m_chart; }
    QString StatusText(int panel) const;
    TFormScale* FormScale() const { return m_formScale; }
    TFormLabel* FormLabel() const { return m_formLabel; }
    TFormLang* FormLang() const { return m_formLang; }
    TFormAbout* FormAbout() const { return m_formAbout; }
    HelpViewer* Help() const { return m_help; }
    // The program's windows in their order of creation (main window first); a
    // language file is applied to each.
    std::vector<QWidget*> Windows();
    // The help context of a widget or action (0 when it has none).
    static int HelpContextOf(const QObject* object);

    // --- start-up and settings ---
    // The start-up step (once): language, help, result rows, calibration
    // defaults, recovery offer, host import, splitter and zoom.
    void RunStartup();
    bool StartupDone() const { return m_startupDone; }
    void ReadSettings();
    void ApplySettings(const PelorixSettings& settings);
    PelorixSettings CurrentSettings() const;
    void SaveSettingsCommand(); // "Einstellungen speichern"
    // Loads PelorixLang.ini and applies it to every window; false when it is missing.
    bool LoadLanguage(const QString& fileName);
    void FitZoomToWindow();
    // Pelorix.ini: beside the program, or the user's copy when that folder is read-only.
    QString SettingsFile() const;
    // The language file of a language, relative to the program's folder.
    static QString LanguageFileName(const QString& language);

    // --- help ---
    void OpenHelp(int context);
    void DirectHelpCommand(); // "Direkthilfe"
    void ManualCommand(); // "Handbuch"

    // --- mirror ---
    // Shows the workbench's state: buttons, sliders, cursor, status bar, rulers,
    // canvas size, grid and tree.
    void SyncUi();

    // --- files and long work ---
    // Files dropped on the canvas area: a measurement is loaded, an exchange file
    // imported, any other file loaded as picture.
    void OpenDroppedFiles(const QStringList& paths);
    // Runs long work on a worker thread with a progress window (Cancel stops it) and
    // gives its result. The canvas is the worker's meanwhile: the view shows a still
    // picture, the timers that reach the canvas wait, and the window takes no input
    // (the progress window is modal to it) but keeps painting.
    bool RunLongWork(const QString& what, const LongWork& work);
    // The measurement file the window shows ("" before the first save or load).
    QString CurrentFile() const { return m_currentFile; }
    // The recent measurement files, newest first.
    QStringList RecentFiles() const { return m_settings.recentFiles; }
    // The language in use: "de" or "en".
    QString Language() const { return m_language; }
    // Switches every window, the messages and Qt's own dialogs to a language
    // ("de" or "en"); `remember` writes the choice to Pelorix.ini.
    void SetLanguage(const QString& language, bool remember = true);
    // The language a first start takes: the system's, when it is German or English.
    static QString SystemLanguage();
    // Writes the unsaved marks to the recovery file, or removes it when there are none.
    void SaveRecovery();
    // This window's recovery file of unsaved marks (it exists while they do).
    QString RecoveryFile() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building (TFormMain.cpp, TFormMainMenus.cpp).
    void BuildToolBar();
    void BuildCentre();
    void BuildStatusBar();
    void BuildMenus();
    void BuildContextMenus();
    QAction* AddAction(QMenu* menu, const char* name, const QString& caption, int helpContext,
        const QKeySequence& shortcut = QKeySequence());
    void Connect(const char* name, void (TFormMain::*handler)());

    // Tool bar and canvas (TFormMainCanvas.cpp).
    void ToolButtonClicked(ToolButton button);
    // The canvas's mouse hooks: down before the canvas acts, up after it.
    void ConnectCanvasMouse();
    // Mirrors the state once the current event is over.
    void ScheduleSync();
    void ThicknessChanged(int value);
    void ZoomChanged(int position);
    void WheelTurned(int delta);
    void ApplyScroll(const Workbench::ScrollPosition& position);
    Workbench::Viewport CurrentViewport() const;
    bool HandleKey(QKeyEvent* event);
    void ApplyCursor();
    void SyncRulers();

    // Results (TFormMainResults.cpp).
    void SyncResults();
    void TreeCurrentChanged(QTreeWidgetItem* current);
    void ExpandAllCommand();
    void CollapseAllCommand();
    void CopyTreeCommand();

    // Commands (TFormMainCommands.cpp).
    void LoadPictureCommand();
    void SavePictureCommand();
    void NewMeasurementCommand();
    void SaveMeasurementCommand();
    void SaveCommand(); // Ctrl+S: into the current file, asking for a name the first time
    void QuitCommand(); // "Beenden": asks about unsaved marks
    void OpenRecentFile(const QString& path);
    void UpdateRecentMenu();
    void UpdateTitle();
    // After a measurement file was saved or loaded under a name.
    void RememberFile(const QString& path, bool withPicture);
    void ShowThicknessTarget();
    void ThicknessTyped();
    void SaveMeasurementWithPictureCommand();
    void LoadMeasurementCommand();
    void PrintCommand();
    void ExportResultsCommand();
    void CompareVisitsCommand(); // "Verlauf vergleichen ..."
public:
    // Opens the comparison window of the current measurement with the measurement
    // file `path` (the second visit); a file that cannot be read is reported.
    // Returns the window (shown, not modal), nullptr when none opened.
    TFormCompare* OpenComparison(const QString& path);

private:
    void UndoCommand();
    void RedoCommand();
    void CopyCommand();
    void PasteCommand();
    void DeleteCommand();
    void SelectAllCommand();
    void GraphicScaleCommand();
    void NumericScaleCommand();
    void ShowScaleBarCommand();
    void LineColorCommand();
    void FontCommand();
    void LabelCommand();
    void HelpCommand();
    // Leaves help mode and gives the normal cursor back (nothing when not in it).
    void EndDirectHelp();
    void InfoCommand();
    // "Haare erkennen" and "Vorschläge übernehmen" (TFormMainDetection.cpp).
    void DetectHairsCommand();
    void AcceptProposalsCommand();
    void NextDoubtfulProposalCommand();
    // Cancels a running detection and waits for its thread (closing the window).
    void StopDetection();
    // Runs a command of the workbench and shows its effect.
    template <typename F> void Run(F&& command);
    // Long work: busy cursor and a status-bar message while it runs.
    void BeginBusy(const QString& what);
    void EndBusy();

    // Start-up pieces (TFormMainStartup.cpp).
    int ResultPanelWidthWanted() const;
    // Writes the panel width, language and recent files to Pelorix.ini.
    void SaveWindowState();
    void ImportHostFile(const QString& path);
    // Offers the orphaned recovery files; the one to restore, or nothing.
    QString ChooseRecovery();

    Options m_options;
    TFormScale* m_formScale = nullptr;
    TFormAbout* m_formAbout = nullptr;
    TFormLang* m_formLang = nullptr;
    TFormLabel* m_formLabel = nullptr;
    HelpViewer* m_help = nullptr;
    std::unique_ptr<WindowPrompt> m_prompt;
    std::unique_ptr<Workbench> m_workbench;
    LanguageTable m_texts;

    std::map<ToolButton, QToolButton*> m_toolButtons;
    QSlider* m_thickness = nullptr;
    QDoubleSpinBox* m_thicknessEdit = nullptr;
    QProgressBar* m_progress = nullptr;
    QMenu* m_recentMenu = nullptr;
    QString m_currentFile;
    bool m_currentWithPicture = false;
    QString m_language = QStringLiteral("de");
    class QTranslator* m_qtTranslator = nullptr;
    QSlider* m_zoom = nullptr;
    CanvasArea* m_canvasArea = nullptr;
    QWidget* m_resultPanel = nullptr;
    QSplitter* m_mainSplitter = nullptr;
    QSplitter* m_resultSplitter = nullptr;
    ResultsGrid* m_grid = nullptr;
    ThicknessChartWidget* m_chart = nullptr;
    QTreeWidget* m_tree = nullptr;
    QLabel* m_status[4] = {};
    QMenu* m_canvasMenu = nullptr;
    QMenu* m_treeMenu = nullptr;
    QTimer* m_startupTimer = nullptr;
    QTimer* m_refreshTimer = nullptr;
    QTimer* m_recoveryTimer = nullptr;
    std::unique_ptr<RecoveryStore> m_recovery;
    QTimer* m_syncTimer = nullptr;
    int m_appliedCursor = -1;
    // The key press being handled, which must not act again on its way to the window
    // (until its release).
    const QKeyEvent* m_handledKey = nullptr;

    PelorixSettings m_settings;
    // The start-up fit waits until the window has its real size on the screen.
    bool m_fitPending = false;
    bool m_settingsRead = false;
    bool m_startupDone = false;
    bool m_syncing = false;
    int m_busy = 0;
    // The running detection: its thread and the flag that cancels it.
    QThread* m_detectThread = nullptr;
    std::shared_ptr<std::atomic<bool>> m_detectCancel;
};

template <typename F> void TFormMain::Run(F&& command)
{
    command();
    SyncUi();
}
