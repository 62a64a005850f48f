// The main window: construction of the tool bar, canvas area, result panel and
// status bar, mirroring the workbench's state, and the window's own events.
// Menus are built in TFormMainMenus.cpp, the canvas and sliders are handled in
// TFormMainCanvas.cpp, the results in TFormMainResults.cpp, the commands in
// TFormMainCommands.cpp and the start-up in TFormMainStartup.cpp.
#include "workbench/ui/TFormMain.h"

#include "workbench/RecoveryStore.h"

#include "canvas/widgets/CanvasView.h"
#include "workbench/ui/CanvasArea.h"
#include "workbench/ui/HelpViewer.h"
#include "workbench/ui/ResultsGrid.h"
#include "workbench/ui/TFormAbout.h"
#include "workbench/ui/TFormLabel.h"
#include "workbench/ui/TFormLang.h"
#include "workbench/ui/TFormScale.h"
#include "workbench/ui/ThicknessChartWidget.h"
#include "workbench/ui/ToolIcons.h"
#include "workbench/ui/WindowPrompt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

struct ToolButtonInfo
{
    ToolButton button;
    const char* name;
    const char* hint;
    int help;
};

// The measuring tool buttons, left to right, with their hints and help contexts.
const ToolButtonInfo kToolButtons[] = {
    { ToolButton::Select, "SpeedButtonSelect", "Auswahlmodus", 2002 },
    { ToolButton::QuickHairCount, "SpeedButtonQuickHairCount", "Schnellzähl-Werkzeug", 2002 },
    { ToolButton::Line, "SpeedButtonLine", "Strecken messen, Strg-Taste für Mehrfachmessung", 2003 },
    { ToolButton::MultLine, "SpeedButtonMultLine", "Strecken messen", 2003 },
    { ToolButton::Spline, "SpeedButtonSpline", "Curved Hair ", 2004 },
    { ToolButton::MultSpline, "SpeedButtonMultSpline", "Gebogene Linien", 2004 },
    { ToolButton::FollicularUnit, "SpeedButtonFollicularUnit",
        "Ellipse, mit Umschalt-Taste Kreis, Strg-Taste für Mehrfachmessung", 2004 },
    { ToolButton::MultFollicularUnit, "SpeedButtonMultFollicularUnit", "Ellipse, mit Umschalt-Taste Kreis", 2004 },
    { ToolButton::Label, "SpeedButtonLabel", "Beschriftung einfügen", 2008 },
    { ToolButton::Measure, "SpeedButtonMeasure", "Maßstab grafisch ermitteln", 2009 },
};

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& hint, int help, const QIcon& icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setProperty("helpContext", help);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setIcon(icon);
    button->setIconSize(QSize(24, 24));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QSlider* MakeSlider(QWidget* parent, const char* name, const QString& hint, int min, int max, int tick, int value)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(name));
    slider->setToolTip(hint);
    slider->setProperty("helpContext", 2015);
    slider->setRange(min, max);
    slider->setPageStep(10);
    slider->setTickInterval(tick);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setValue(value);
    slider->setMinimumWidth(150);
    return slider;
}

// A band of the tool bar: a caption above a slider, with an optional field
// beside the caption.
QWidget* SliderBand(QWidget* parent, const char* bandName, const char* labelName, const QString& caption,
    QSlider* slider, QWidget* field = nullptr)
{
    auto* band = new QWidget(parent);
    band->setObjectName(QLatin1String(bandName));
    auto* layout = new QVBoxLayout(band);
    layout->setContentsMargins(6, 0, 6, 0);
    layout->setSpacing(0);
    auto* label = new QLabel(caption, band);
    label->setObjectName(QLatin1String(labelName));
    if (field != nullptr) {
        auto* row = new QHBoxLayout;
        row->setSpacing(6);
        row->addWidget(label);
        row->addWidget(field);
        row->addStretch(1);
        layout->addLayout(row);
    } else {
        layout->addWidget(label);
    }
    layout->addWidget(slider);
    return band;
}

} // namespace

TFormMain::TFormMain(Options options, QWidget* parent)
    : QMainWindow(parent)
    , m_options(std::move(options))
    , m_texts(LanguageTable::Pelorix())
{
    if (m_options.programDir.isEmpty())
        m_options.programDir = QCoreApplication::applicationDirPath();
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("Pelorix"));
    setProperty("helpContext", 1000);
    setMinimumSize(400, 300);
    resize(905, 637);

    // The windows in their order of creation: main window, scale dialog, about
    // box, language window, label dialog.
    m_formScale = new TFormScale(this);
    m_formAbout = new TFormAbout(this);
    m_formLang = new TFormLang(m_texts, this);
    m_formLabel = new TFormLabel(this);
    m_help = new HelpViewer(this);
    m_prompt = std::make_unique<WindowPrompt>(*this, *m_formScale, *m_formLabel);
    m_workbench = std::make_unique<Workbench>(*m_prompt, m_texts);
    // Numbers are shown and typed with the operator's decimal separator, as the export writes them.
    m_workbench->SetDecimalSeparator(QLocale().decimalPoint().front());
    m_prompt->SetTexts(&m_workbench->Texts(), m_workbench->DecimalSeparator());

    BuildToolBar();
    BuildCentre();
    BuildStatusBar();
    BuildMenus();
    BuildContextMenus();

    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(100);
    connect(m_refreshTimer, &QTimer::timeout, this, [this] {
        Bench().RefreshTimerFired();
        SyncUi();
    });
    Bench().OnStartRefreshTimer = [this] { m_refreshTimer->start(); };
    Bench().OnResultsChanged = [this] { SyncResults(); };
    m_syncTimer = new QTimer(this);
    m_syncTimer->setSingleShot(true);
    m_syncTimer->setInterval(0);
    connect(m_syncTimer, &QTimer::timeout, this, &TFormMain::SyncUi);
    m_recoveryTimer = new QTimer(this);
    m_recoveryTimer->setSingleShot(true);
    m_recoveryTimer->setInterval(2000);
    connect(m_recoveryTimer, &QTimer::timeout, this, &TFormMain::SaveRecovery);
    QString recoveryDir = m_options.recoveryDir;
    if (recoveryDir.isEmpty())
        recoveryDir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    m_recovery = std::make_unique<RecoveryStore>(recoveryDir);

    qApp->installEventFilter(this);
    m_startupTimer = new QTimer(this);
    m_startupTimer->setSingleShot(true);
    m_startupTimer->setInterval(50);
    connect(m_startupTimer, &QTimer::timeout, this, &TFormMain::RunStartup);
    if (m_options.startupTimer)
        m_startupTimer->start();
    SyncUi();
    SyncResults();
}

TFormMain::~TFormMain()
{
    qApp->removeEventFilter(this);
    StopDetection();
    Bench().OnStartRefreshTimer = nullptr;
    Bench().OnResultsChanged = nullptr;
    // The canvas widget refers to the workbench's canvas, which goes with the
    // workbench member before the base class deletes the child widgets.
    delete m_canvasArea;
    m_canvasArea = nullptr;
}

QString TFormMain::ProgramFile(const QString& name) const
{
    return QDir(m_options.programDir).absoluteFilePath(name);
}

void TFormMain::BuildToolBar()
{
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("CoolBar1"));
    bar->setProperty("helpContext", 4500);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, bar);

    auto* buttons = new QWidget(bar);
    buttons->setObjectName(QStringLiteral("ToolBar1"));
    buttons->setProperty("helpContext", 4000);
    auto* layout = new QHBoxLayout(buttons);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    for (const ToolButtonInfo& info : kToolButtons) {
        QToolButton* button
            = MakeButton(buttons, info.name, QString::fromUtf8(info.hint), info.help, ToolIcons::Icon(info.button));
        m_toolButtons[info.button] = button;
        layout->addWidget(button);
        const ToolButton which = info.button;
        connect(button, &QToolButton::clicked, this, [this, which] { ToolButtonClicked(which); });
    }
    auto toggle = [&](const char* name, const char* hint, int help, ToolIcons::Toggle icon, bool down,
                      void (Workbench::*apply)(bool)) {
        QToolButton* button = MakeButton(buttons, name, QString::fromUtf8(hint), help, ToolIcons::Icon(icon));
        button->setChecked(down);
        layout->addWidget(button);
        connect(button, &QToolButton::toggled, this, [this, apply](bool checked) {
            if (m_syncing)
                return;
            (Bench().*apply)(checked);
            SyncUi();
        });
    };
    toggle("SpeedButtonSetBorder", "Show Border", 2008, ToolIcons::Toggle::Border, true, &Workbench::SetShowBorder);
    toggle("SpeedButtonHideHairs", "Show / Hide Hairs", 2008, ToolIcons::Toggle::HideHairs, true,
        &Workbench::SetShowHairs);
    toggle("SpeedButtonGrid", "Gitter anzeigen", 2011, ToolIcons::Toggle::Grid, false, &Workbench::SetShowGrid);
    toggle("SpeedButtonMeasureResult", "Ergebnisse anzeigen", 2012, ToolIcons::Toggle::Results, true,
        &Workbench::SetShowResults);
    bar->addWidget(buttons);
    bar->addSeparator();

    m_thickness = MakeSlider(bar, "TrackBarThickness", QStringLiteral("Set hair thickness"), 1, 5000, 500, 500);
    m_zoom = MakeSlider(bar, "TrackBarZoom", QStringLiteral("Zoom"), -80, 80, 10, 0);
    m_thicknessEdit = new QDoubleSpinBox(bar);
    m_thicknessEdit->setObjectName(QStringLiteral("EditThickness"));
    m_thicknessEdit->setToolTip(QStringLiteral("Haardicke"));
    m_thicknessEdit->setProperty("helpContext", 2015);
    m_thicknessEdit->setKeyboardTracking(false);
    m_thicknessEdit->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_thicknessEdit->setAlignment(Qt::AlignRight);
    m_thicknessEdit->setMinimumWidth(90);
    bar->addWidget(SliderBand(
        bar, "PanelThickness", "LabelTrackBarThickness", QStringLiteral("Thickness"), m_thickness, m_thicknessEdit));
    connect(m_thicknessEdit, &QDoubleSpinBox::editingFinished, this, &TFormMain::ThicknessTyped);
    bar->addSeparator();
    bar->addWidget(SliderBand(bar, "PanelZoom", "LabelTrackBarZoom", QStringLiteral("Zoom"), m_zoom));
    connect(m_thickness, &QSlider::valueChanged, this, &TFormMain::ThicknessChanged);
    connect(m_zoom, &QSlider::valueChanged, this, &TFormMain::ZoomChanged);
}

void TFormMain::BuildCentre()
{
    m_mainSplitter = new QSplitter(Qt::Horizontal, this);
    m_mainSplitter->setObjectName(QStringLiteral("Splitter1"));
    m_mainSplitter->setChildrenCollapsible(false);
    m_canvasArea = new CanvasArea(Bench().Canvas(), m_mainSplitter);
    m_canvasArea->setProperty("helpContext", 2018);
    m_canvasArea->View()->setProperty("helpContext", 2018);
    m_canvasArea->View()->hide();
    m_mainSplitter->addWidget(m_canvasArea);
    ConnectCanvasMouse();
    connect(m_canvasArea, &CanvasArea::WheelTurned, this, &TFormMain::WheelTurned);
    connect(m_canvasArea, &CanvasArea::FilesDropped, this, &TFormMain::OpenDroppedFiles);

    m_resultPanel = new QWidget(m_mainSplitter);
    m_resultPanel->setObjectName(QStringLiteral("PanelResult"));
    auto* layout = new QVBoxLayout(m_resultPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    m_resultSplitter = new QSplitter(Qt::Vertical, m_resultPanel);
    m_resultSplitter->setObjectName(QStringLiteral("Splitter2"));
    m_grid = new ResultsGrid(m_resultSplitter);
    m_grid->setObjectName(QStringLiteral("StringGridResult"));
    m_grid->setProperty("helpContext", 2012);
    m_tree = new QTreeWidget(m_resultSplitter);
    m_tree->setObjectName(QStringLiteral("TreeViewResult"));
    m_tree->setProperty("helpContext", 2017);
    m_tree->setColumnCount(3);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_tree->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    // The thickness distribution under the grid.
    m_chart = new ThicknessChartWidget(m_resultSplitter);
    m_chart->setObjectName(QStringLiteral("ChartThickness"));
    m_resultSplitter->addWidget(m_grid);
    m_resultSplitter->addWidget(m_chart);
    m_resultSplitter->addWidget(m_tree);
    m_resultSplitter->setStretchFactor(2, 1);
    layout->addWidget(m_resultSplitter);
    auto* closePanel = new QWidget(m_resultPanel);
    closePanel->setObjectName(QStringLiteral("PanelClose"));
    auto* closeLayout = new QHBoxLayout(closePanel);
    auto* closeButton = new QPushButton(QStringLiteral("Schließen"), closePanel);
    closeButton->setObjectName(QStringLiteral("ButtonClose"));
    closeLayout->addWidget(closeButton);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    closePanel->hide();
    layout->addWidget(closePanel);
    m_mainSplitter->addWidget(m_resultPanel);
    m_mainSplitter->setStretchFactor(0, 1);
    m_mainSplitter->setSizes({ 905 - 226, 226 });
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
        [this](QTreeWidgetItem* current) { TreeCurrentChanged(current); });
    // The operator's own expanding and collapsing survives the next rebuild of the tree.
    auto keepExpansion = [this](QTreeWidgetItem* item, bool expanded) {
        const int index = m_tree->indexOfTopLevelItem(item);
        if (!m_syncing && index >= 0 && index < Bench().Tree().Count())
            Bench().Tree().At(index).expanded = expanded;
    };
    connect(m_tree, &QTreeWidget::itemExpanded, this,
        [keepExpansion](QTreeWidgetItem* item) { keepExpansion(item, true); });
    connect(m_tree, &QTreeWidget::itemCollapsed, this,
        [keepExpansion](QTreeWidgetItem* item) { keepExpansion(item, false); });
    setCentralWidget(m_mainSplitter);
}

void TFormMain::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    const int widths[4] = { 480, 180, 136, 320 };
    for (int i = 0; i < 4; ++i) {
        m_status[i] = new QLabel(bar);
        m_status[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_status[i]->setMinimumWidth(i == 0 ? 160 : widths[i]);
        m_status[i]->setMaximumWidth(widths[i]);
        bar->addWidget(m_status[i], i == 0 ? 1 : 0);
    }
    m_progress = new QProgressBar(bar);
    m_progress->setObjectName(QStringLiteral("ProgressBusy"));
    m_progress->setRange(0, 0);
    m_progress->setMaximumWidth(160);
    m_progress->hide();
    bar->addPermanentWidget(m_progress);
}

QToolButton* TFormMain::ToolButtonOf(ToolButton button) const
{
    const auto it = m_toolButtons.find(button);
    return it == m_toolButtons.end() ? nullptr : it->second;
}

QToolButton* TFormMain::SpeedButton(const QString& name) const
{
    return findChild<QToolButton*>(name);
}

QAction* TFormMain::Action(const QString& name) const
{
    return findChild<QAction*>(name);
}

QMenu* TFormMain::MenuOf(const QString& name) const
{
    return findChild<QMenu*>(name);
}

QString TFormMain::StatusText(int panel) const
{
    return panel >= 0 && panel < 4 ? m_status[panel]->text() : QString();
}

int TFormMain::HelpContextOf(const QObject* object)
{
    return object != nullptr ? object->property("helpContext").toInt() : 0;
}

void TFormMain::SyncUi()
{
    m_syncing = true;
    ToolBarState& ui = Bench().State().ui;
    for (const auto& [button, widget] : m_toolButtons)
        widget->setChecked(ui.down == button);
    SpeedButton(QStringLiteral("SpeedButtonSetBorder"))->setChecked(ui.showBorder);
    SpeedButton(QStringLiteral("SpeedButtonHideHairs"))->setChecked(ui.showHairs);
    SpeedButton(QStringLiteral("SpeedButtonGrid"))->setChecked(ui.showGrid);
    SpeedButton(QStringLiteral("SpeedButtonMeasureResult"))->setChecked(ui.showResults);
    m_resultPanel->setVisible(ui.showResults);
    m_thickness->setValue(ui.thickness);
    m_thickness->setEnabled(ui.thicknessEnabled);
    // The thickness in what a clinician reads: µm on a calibrated picture, else pixels.
    const QSignalBlocker blockEdit(m_thicknessEdit);
    if (const auto perPixel = Bench().MicrometresPerPixel()) {
        m_thicknessEdit->setDecimals(1);
        m_thicknessEdit->setRange(0.1, 5000 * 0.01 * *perPixel);
        m_thicknessEdit->setSuffix(QString::fromUtf8(" µm"));
        m_thicknessEdit->setValue(*Bench().ThicknessMicrometres());
    } else {
        m_thicknessEdit->setDecimals(2);
        m_thicknessEdit->setRange(0.01, 50.0);
        m_thicknessEdit->setSuffix(QStringLiteral(" px"));
        m_thicknessEdit->setValue(ui.thickness * 0.01);
    }
    m_thicknessEdit->setLocale(QLocale());
    m_thicknessEdit->setEnabled(ui.thicknessEnabled);
    if (ui.thicknessFocusRequested) {
        ui.thicknessFocusRequested = false;
        if (ui.thicknessEnabled)
            m_thickness->setFocus();
    }
    m_zoom->setValue(ui.zoomPosition);
    m_zoom->setToolTip(ui.zoomHint);
    if (QAction* show = Action(QStringLiteral("Anzeigen1")))
        show->setChecked(ui.showScaleBar);
    const QString texts[4] = { ui.statusZoom, ui.statusImageName, ui.statusImageSize, ui.statusMouse };
    for (int i = 0; i < 4; ++i)
        m_status[i]->setText(texts[i]);
    const TMyCAD& cad = Bench().Canvas();
    CanvasView* view = m_canvasArea->View();
    if (view->size() != QSize(cad.Width(), cad.Height()))
        view->resize(cad.Width(), cad.Height());
    view->setVisible(Bench().State().ImageLoaded);
    SyncRulers();
    ApplyCursor();
    Action(QStringLiteral("Rueckgaengig1"))->setEnabled(cad.CanUndo());
    Action(QStringLiteral("Wiederholen1"))->setEnabled(cad.CanRedo());
    UpdateTitle();
    m_syncing = false;
    if (m_startupDone && Bench().Canvas().Modified())
        m_recoveryTimer->start();
}

void TFormMain::showEvent(QShowEvent* event)
{
    // The settings are read once, when the window is first shown.
    if (!m_settingsRead) {
        m_settingsRead = true;
        ReadSettings();
    }
    QMainWindow::showEvent(event);
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    // Closing asks nothing; the recovery file keeps unsaved marks for the next start.
    StopDetection();
    SaveRecovery();
    SaveWindowState();
    m_help->close();
    event->accept();
}

void TFormMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    m_canvasArea->View()->update();
    if (m_fitPending)
        QTimer::singleShot(0, this, &TFormMain::FitZoomToWindow);
}
