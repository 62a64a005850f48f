#include "report/ui/TFormPrintCAD.h"

#include "canvas/TMyCAD.h"
#include "canvas/widgets/CanvasView.h"
#include "report/ReportContext.h"
#include "report/ReportZoom.h"
#include "report/ui/DesignerPrompt.h"
#include "report/ui/PageScrollBox.h"
#include "report/ui/ReportPrinting.h"
#include "report/ui/TComponentComboBox.h"
#include "report/ui/TComponentInspector.h"
#include "report/ui/TFormMyCADStringEditor.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Tool buttons: the drawing tools are toggles of one group, the others commands.
struct ToolButtonEntry
{
    const char* name;
    const char* text;
    std::optional<TDrawTool> tool;
};

constexpr int kToolsPanelWidth = 216;

} // namespace

TFormPrintCAD::TFormPrintCAD(ReportContext& context, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_ownPrompt(std::make_unique<DesignerPrompt>(this))
    , m_prompt(m_ownPrompt.get())
    , m_designer(context, *m_prompt)
{
    setObjectName(QStringLiteral("FormPrintCAD"));
    setWindowTitle(QStringLiteral("Report Designer"));
    QFont windowFont(QStringLiteral("Arial"));
    windowFont.setPointSize(10);
    setFont(windowFont);
    resize(844, 700);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    BuildWindow();
    ConnectCanvas();

    m_stringEditor = std::make_unique<TFormMyCADStringEditor>(m_context, this);
    m_stringEditor->LoadVariables(m_context.VariableRows());
}

TFormPrintCAD::~TFormPrintCAD()
{
    if (m_filteringKeys)
        qApp->removeEventFilter(this);
    TMyCAD& canvas = MyCADPrint();
    canvas.OnShapeAdded = nullptr;
    canvas.OnShapeSelected = nullptr;
    canvas.OnShapeDeleted = nullptr;
    canvas.OnActionToolToSelecting = nullptr;
    canvas.OnShapeMouseDragged = nullptr;
    canvas.OnShapeMouseResizeFinished = nullptr;
    canvas.OnShapeMouseRotated = nullptr;
    // The editor and the inspector go before the design they edit; the view detaches.
    m_stringEditor.reset();
    delete m_inspector;
    delete m_scrollBox;
}

TMyCAD& TFormPrintCAD::MyCADPrint() const
{
    return m_context.MyCADPrint();
}

void TFormPrintCAD::SetPrompt(DesignerPrompt& prompt)
{
    m_prompt = &prompt;
    m_designer.SetPrompt(prompt);
}

void TFormPrintCAD::BuildWindow()
{
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBarPrint"));
    m_statusBar->setSizeGripEnabled(false);
    PrinterPanel top = PrinterPanel::Create(this);
    m_editPrinter = top.editPrinter;
    const int printIndex = top.layout->indexOf(top.buttonPrint);
    QPushButton* setup = top.AddButton("ButtonPrinterSetup", QStringLiteral("Printer Setup"), printIndex + 1);
    QPushButton* image = top.AddButton("ButtonImage", QStringLiteral("Image"));
    QPushButton* preview = top.AddButton("ButtonPreview", QStringLiteral("Preview"));
    connect(top.buttonPrint, &QPushButton::clicked, this, &TFormPrintCAD::PrintClick);
    connect(setup, &QPushButton::clicked, this, &TFormPrintCAD::PrinterSetupClick);
    connect(image, &QPushButton::clicked, this, &TFormPrintCAD::ImageClick);
    connect(preview, &QPushButton::clicked, this, &TFormPrintCAD::PreviewClick);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setHandleWidth(5);
    splitter->setChildrenCollapsible(false);
    m_scrollBox = new PageScrollBox(MyCADPrint(), QStringLiteral("MyCADPrint"), *m_statusBar, splitter);
    top.ConnectZoom(*m_scrollBox);
    m_scrollBox->View().setFocusPolicy(Qt::ClickFocus);
    auto* tools = new QWidget(splitter);
    tools->setObjectName(QStringLiteral("PanelTools"));
    tools->setMinimumWidth(120);
    BuildTools(tools);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setSizes({ width() - kToolsPanelWidth - 5, kToolsPanelWidth });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top.panel);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_statusBar);
    BuildMenus();
}

void TFormPrintCAD::BuildMenus()
{
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* file = bar->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File1"));
    const auto item = [this](QMenu* menu, const char* name, const QString& text, void (TFormPrintCAD::*slot)()) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    item(file, "OpenReport1", QStringLiteral("Open Report"), &TFormPrintCAD::OpenReportClick);
    item(file, "SaveReport1", QStringLiteral("Save Report"), &TFormPrintCAD::SaveReportClick);
    file->addSeparator();
    item(file, "LoadResultFile1", QStringLiteral("Load Result File"), &TFormPrintCAD::LoadResultFileClick);
    file->addSeparator();
    // "Exit" closes the designer, as a clinician would expect of it.
    QAction* exit = file->addAction(QStringLiteral("Exit"));
    exit->setObjectName(QStringLiteral("Exit1"));
    connect(exit, &QAction::triggered, this, &QDialog::accept);
    QMenu* edit = bar->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("Edit1"));
    item(edit, "Copy1", QStringLiteral("Copy"), &TFormPrintCAD::CopyClick);
    item(edit, "Paste1", QStringLiteral("Paste"), &TFormPrintCAD::PasteClick);
    item(edit, "Delete1", QStringLiteral("Delete"), &TFormPrintCAD::DeleteClick);
    layout()->setMenuBar(bar);
}

void TFormPrintCAD::BuildTools(QWidget* panel)
{
    static const ToolButtonEntry kRows[3][4] = {
        { { "SpeedButtonSelect", "Select", SpSelecting }, { "SpeedButtonLine", "Line", SpLine },
            { "SpeedButtonRect", "Rect", SpRectangle }, { nullptr, nullptr, std::nullopt } },
        { { "SpeedButtonImage", "Image", SpImage }, { "SpeedButtonText", "Text", SpText },
            { "SpeedButtonVar", "V", std::nullopt }, { "SpeedButtonEllipse", "Ellipse", SpEllipse } },
        { { "SpeedButtonFront", "To Front", std::nullopt }, { "SpeedButtonBack", "To Back", std::nullopt },
            { "SpeedButtonRefresh", "Refresh", std::nullopt }, { nullptr, nullptr, std::nullopt } },
    };
    const std::map<QString, void (TFormPrintCAD::*)()> commands = {
        { QStringLiteral("SpeedButtonVar"), &TFormPrintCAD::EditVariables },
        { QStringLiteral("SpeedButtonFront"), &TFormPrintCAD::BringSelectionToFront },
        { QStringLiteral("SpeedButtonBack"), &TFormPrintCAD::SendSelectionToBack },
        { QStringLiteral("SpeedButtonRefresh"), &TFormPrintCAD::RefreshCanvas },
    };
    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    m_tools = new QButtonGroup(this);
    m_tools->setExclusive(true);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column) {
            const ToolButtonEntry& entry = kRows[row][column];
            if (!entry.name)
                continue;
            auto* button = new QToolButton(panel);
            button->setObjectName(QLatin1String(entry.name));
            button->setText(QString::fromUtf8(entry.text));
            button->setFocusPolicy(Qt::NoFocus);
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            grid->addWidget(button, row, column);
            if (entry.tool) {
                const TDrawTool tool = *entry.tool;
                button->setCheckable(true);
                m_tools->addButton(button);
                m_toolButtons[tool] = button;
                connect(button, &QToolButton::clicked, this, [this, tool] { ChooseTool(tool); });
            } else {
                const auto command = commands.at(button->objectName());
                connect(button, &QToolButton::clicked, this, command);
            }
        }
    m_toolButtons[SpSelecting]->setChecked(true);

    m_componentCombo = new TComponentComboBox(panel);
    m_componentCombo->SetCanvas(&MyCADPrint());
    m_inspector = new TComponentInspector(panel);
    m_inspector->SetCanvas(&MyCADPrint());
    connect(m_componentCombo, &TComponentComboBox::ComponentChosen, this,
        [this](TMyShape* shape) { m_inspector->Inspect(shape); });
    connect(m_inspector, &TComponentInspector::ValueChanged, this, [this] {
        MyCADPrint().Invalidate();
        ListComponents();
    });

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(grid);
    layout->addWidget(m_componentCombo);
    layout->addWidget(m_inspector, 1);
}

void TFormPrintCAD::ConnectCanvas()
{
    TMyCAD& canvas = MyCADPrint();
    canvas.OnShapeAdded = [this](TMyShape*&, int) {
        // The canvas has gone back to selecting by itself.
        SetToolButton(SpSelecting);
        ListComponents();
    };
    canvas.OnShapeDeleted = [this](TMyShape*) {
        // The inspector must not hold on to the shape; the list follows after the deletion.
        m_inspector->Inspect(nullptr);
        QMetaObject::invokeMethod(
            this, [this] { ListComponents(); }, Qt::QueuedConnection);
    };
    canvas.OnShapeSelected = [this](TMyShape*, TMyShape* selected) { ShowComponent(selected); };
    // Shapes changed by the mouse show their new values.
    const TMyCAD::MouseShapeEvent changed = [this](TMyShape*, QPointF&, QPointF&) { m_inspector->UpdateValues(); };
    canvas.OnShapeMouseDragged = changed;
    canvas.OnShapeMouseResizeFinished = changed;
    canvas.OnShapeMouseRotated = changed;
    canvas.OnActionToolToSelecting = [this] {
        SetToolButton(SpSelecting);
        ShowComponent(MyCADPrint().SelectedShape());
    };
}

QString TFormPrintCAD::StatusText() const
{
    return m_statusBar->currentMessage();
}

QString TFormPrintCAD::PrinterText() const
{
    return m_editPrinter->text();
}

QString TFormPrintCAD::ToolButtonDown() const
{
    QAbstractButton* down = m_tools->checkedButton();
    return down ? down->objectName() : QString();
}

void TFormPrintCAD::ShowComponent(TMyShape* shape)
{
    m_inspector->Inspect(shape);
    // Shapes may have come by code (a template, a paste) since the list was made.
    ListComponents();
}

void TFormPrintCAD::ListComponents()
{
    m_componentCombo->Refresh();
    m_componentCombo->Choose(m_inspector->Inspected());
}

void TFormPrintCAD::SetToolButton(TDrawTool tool)
{
    const auto button = m_toolButtons.find(tool);
    if (button != m_toolButtons.end())
        button->second->setChecked(true);
}

void TFormPrintCAD::DesignChanged()
{
    ListComponents();
    MyCADPrint().Invalidate();
}

void TFormPrintCAD::ChooseTool(TDrawTool tool)
{
    m_designer.ChooseTool(tool);
    SetToolButton(tool);
}

void TFormPrintCAD::EditVariables()
{
    TMyShape* shape = m_designer.ShapeToBind();
    if (!shape) {
        m_statusBar->showMessage(m_designer.StatusText());
        return;
    }
    if (m_stringEditor->EditBinding(*shape)) {
        m_inspector->Inspect(shape);
        MyCADPrint().Invalidate();
    }
}

void TFormPrintCAD::BringSelectionToFront()
{
    m_designer.BringSelectionToFront();
    DesignChanged();
}

void TFormPrintCAD::SendSelectionToBack()
{
    m_designer.SendSelectionToBack();
    DesignChanged();
}

void TFormPrintCAD::RefreshCanvas()
{
    // Drawing the page at another zoom and back redraws every shape afresh.
    TMyCAD& canvas = MyCADPrint();
    const double zoom = canvas.Zoom();
    canvas.SetZoom(zoom > 0.2 ? zoom - 0.1 : zoom / 2);
    m_scrollBox->View().repaint();
    canvas.SetZoom(zoom);
    m_scrollBox->View().repaint();
}

void TFormPrintCAD::UpdatePrinterPage()
{
    // The page takes the printer's size in millimetres; the view keeps its zoom, so
    // the page is drawn at the scale the user chose.
    m_editPrinter->setText(ReportPrinting::UpdatePrinterPage(MyCADPrint(), ReportPrinting::Printer(m_context)));
}

void TFormPrintCAD::PrintClick()
{
    if (!m_prompt->AskPrinter(ReportPrinting::Printer(m_context)))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    UpdatePrinterPage();
    m_context.RunReport(roPrint);
    QApplication::restoreOverrideCursor();
    accept();
}

void TFormPrintCAD::PrinterSetupClick()
{
    m_prompt->AskPrinterSetup(ReportPrinting::Printer(m_context));
    UpdatePrinterPage();
}

void TFormPrintCAD::ImageClick()
{
    m_designer.ShowImage();
}

void TFormPrintCAD::PreviewClick()
{
    m_designer.ShowPreview();
}

void TFormPrintCAD::OpenReportClick()
{
    // The inspector lets go of the shapes a new design replaces.
    TMyShape* inspected = m_inspector->Inspected();
    m_inspector->Inspect(nullptr);
    if (!m_designer.OpenReport()) {
        m_inspector->Inspect(inspected);
        return;
    }
    m_statusBar->showMessage(m_designer.StatusText());
    DesignChanged();
}

void TFormPrintCAD::SaveReportClick()
{
    if (m_designer.SaveReport())
        m_statusBar->showMessage(m_designer.StatusText());
}

void TFormPrintCAD::LoadResultFileClick()
{
    if (m_designer.LoadResultFile())
        m_stringEditor->LoadVariables(m_context.VariableRows());
}

void TFormPrintCAD::CopyClick()
{
    // The shapes for pasting here, their picture for other programs.
    m_scrollBox->View().CopyToClipboard();
}

void TFormPrintCAD::PasteClick()
{
    m_designer.Paste();
    DesignChanged();
}

void TFormPrintCAD::DeleteClick()
{
    m_inspector->Inspect(nullptr);
    m_designer.DeleteSelection();
    DesignChanged();
}

bool TFormPrintCAD::KeyPressed(int key, Qt::KeyboardModifiers modifiers)
{
    switch (m_designer.KeyPressed(key, modifiers.testFlag(Qt::ShiftModifier))) {
    case ReportDesigner::KeyCommand::None:
        return false;
    case ReportDesigner::KeyCommand::Nudged:
        m_inspector->UpdateValues();
        return true;
    case ReportDesigner::KeyCommand::Delete:
        DeleteClick();
        return true;
    case ReportDesigner::KeyCommand::Select:
        ChooseTool(SpSelecting);
        return true;
    }
    return false;
}

void TFormPrintCAD::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (!m_filteringKeys) {
        qApp->installEventFilter(this);
        m_filteringKeys = true;
    }
    layout()->activate();
    UpdatePrinterPage();
    m_scrollBox->ScrollToTopLeft();
    MyCADPrint().SetZoom(1.0);
    FitHeight();
    ListComponents();
    ShowComponent(MyCADPrint().SelectedShape());
}

void TFormPrintCAD::hideEvent(QHideEvent* event)
{
    if (m_filteringKeys && !event->spontaneous()) {
        qApp->removeEventFilter(this);
        m_filteringKeys = false;
    }
    QDialog::hideEvent(event);
}

bool TFormPrintCAD::eventFilter(QObject* watched, QEvent* event)
{
    // Keys reach the designer before the focused control, as long as they are
    // typed into this window and not into a dialog it opened.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        const auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == this) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (KeyPressed(key->key(), key->modifiers()))
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
