#include "report/ui/TFormPrintPreview.h"

#include "canvas/widgets/CanvasView.h"
#include "common/LanguageFile.h"
#include "common/ui/WindowTranslator.h"
#include "report/PreviewAccessCode.h"
#include "report/ReportContext.h"
#include "report/ReportPageOutput.h"
#include "report/ReportPresenter.h"
#include "report/ReportZoom.h"
#include "report/ui/TFormPrelvoLang.h"

#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

QToolButton* ZoomButton(QWidget* parent, const char* name, const QString& glyph, const QString& hint)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(glyph);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    button->setFixedSize(34, 34);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TFormPrintPreview::TFormPrintPreview(ReportContext& context, TMyCAD& page, QWidget* parent)
    : QDialog(parent)
    , m_context(context)
    , m_canvas(ReportPageOutput::CopyCanvas(page))
{
    if (!m_canvas)
        m_canvas = std::make_unique<TMyCAD>();
    // The preview shows the page as printed: no frame, no grid, no editing.
    m_canvas->SetPrintABorder(false);
    TGridObject grid = m_canvas->GridOperation();
    grid.GridShow = false;
    m_canvas->SetGridOperation(grid);

    setObjectName(QStringLiteral("FormPrintPreview"));
    setWindowTitle(QStringLiteral("Print Preview"));
    setMinimumSize(520, 400);
    resize(520, 454);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    LanguageFilePath = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("PrelvoLang.ini"));

    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("PanelTop"));
    top->setFixedHeight(57);
    QFont panelFont(QStringLiteral("Arial"));
    panelFont.setPointSize(10);
    top->setFont(panelFont);
    auto* label = new QLabel(QStringLiteral("Printer"), top);
    label->setObjectName(QStringLiteral("LabelPrinter"));
    m_editPrinter = new QLineEdit(top);
    m_editPrinter->setObjectName(QStringLiteral("EditPrinter"));
    m_editPrinter->setReadOnly(true);
    m_editPrinter->setFocusPolicy(Qt::NoFocus);
    m_buttonPrint = new QPushButton(QStringLiteral("Print"), top);
    m_buttonPrint->setObjectName(QStringLiteral("ButtonPrint"));
    m_buttonPrint->setAutoDefault(false);
    auto* fitH = ZoomButton(top, "SpeedButtonFitH", QStringLiteral("↕"), QStringLiteral("Fit height"));
    auto* fitV = ZoomButton(top, "SpeedButtonFitV", QStringLiteral("↔"), QStringLiteral("Fit width"));
    auto* zoomIn = ZoomButton(top, "SpeedButtonZoomIn", QStringLiteral("+"), QStringLiteral("Zoom in"));
    auto* zoomOut = ZoomButton(top, "SpeedButtonZoomOut", QStringLiteral("−"), QStringLiteral("Zoom out"));
    auto* topLayout = new QHBoxLayout(top);
    topLayout->addWidget(label);
    topLayout->addWidget(m_editPrinter, 1);
    topLayout->addWidget(m_buttonPrint);
    for (QToolButton* button : { fitH, fitV, zoomIn, zoomOut })
        topLayout->addWidget(button);

    m_scrollBox = new QScrollArea(this);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBoxPrint"));
    m_scrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scrollBox->setStyleSheet(QStringLiteral("QScrollArea { background: rgb(238, 238, 238); }"));
    m_scrollBox->setFocusPolicy(Qt::NoFocus);
    m_view = new CanvasView(*m_canvas);
    m_view->setObjectName(QStringLiteral("MyCADPreview"));
    m_view->setEnabled(false);
    m_scrollBox->setWidget(m_view);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBarPrint"));
    m_statusBar->setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top);
    layout->addWidget(m_scrollBox, 1);
    layout->addWidget(m_statusBar);

    connect(m_buttonPrint, &QPushButton::clicked, this, &TFormPrintPreview::PrintClick);
    connect(fitH, &QToolButton::clicked, this, &TFormPrintPreview::FitHeight);
    connect(fitV, &QToolButton::clicked, this, &TFormPrintPreview::FitWidth);
    connect(zoomIn, &QToolButton::clicked, this, &TFormPrintPreview::ZoomIn);
    connect(zoomOut, &QToolButton::clicked, this, &TFormPrintPreview::ZoomOut);

    AskPrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    // Every key typed anywhere in the window reaches the access code first.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    installEventFilter(this);
}

TFormPrintPreview::~TFormPrintPreview()
{
    // The view goes before the canvas it shows.
    delete m_scrollBox->takeWidget();
}

QString TFormPrintPreview::StatusText() const
{
    return m_statusBar->currentMessage();
}

QString TFormPrintPreview::PrinterText() const
{
    return m_editPrinter->text();
}

bool TFormPrintPreview::StaysOnTop() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TFormPrintPreview::SetStayOnTop(bool onTop)
{
    if (StaysOnTop() == onTop)
        return;
    // Telling the shown window directly: setWindowFlags would hide the dialog,
    // which ends its modal loop.
    const Qt::WindowFlags flags = onTop ? windowFlags() | Qt::WindowStaysOnTopHint
                                        : windowFlags() & ~Qt::WindowStaysOnTopHint;
    overrideWindowFlags(flags);
    if (QWindow* window = windowHandle())
        window->setFlags(flags);
}

void TFormPrintPreview::Translate()
{
    if (!m_formLang)
        m_formLang = new TFormPrelvoLang(this);
    // A missing file keeps the built-in texts.
    LanguageFile file;
    if (!file.Load(LanguageFilePath))
        return;
    WindowTranslator::Apply(file, *this);
    WindowTranslator::Apply(file, *m_formLang);
}

void TFormPrintPreview::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous() || m_formLang)
        return;
    Translate();
    m_editPrinter->setText(ReportZoom::UpdatePrinterPage(*m_canvas, m_context.Printer()));
    m_scrollBox->horizontalScrollBar()->setValue(0);
    m_scrollBox->verticalScrollBar()->setValue(0);
    m_canvas->SetZoom(1.0);
    if (m_canvas->Height() > 0)
        m_canvas->SetZoom(double(m_scrollBox->viewport()->height()) / m_canvas->Height());
    m_canvas->Invalidate();
}

void TFormPrintPreview::done(int result)
{
    delete m_formLang;
    m_formLang = nullptr;
    QDialog::done(result);
}

void TFormPrintPreview::ShowZoom()
{
    m_statusBar->showMessage(ReportZoom::StatusText(m_canvas->Zoom()));
}

void TFormPrintPreview::FitHeight()
{
    const int available = m_scrollBox->height() - style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (const auto zoom = ReportZoom::Fit(m_canvas->Zoom(), available, m_canvas->Height())) {
        m_canvas->SetZoom(*zoom);
        ShowZoom();
    }
    m_scrollBox->viewport()->update();
}

void TFormPrintPreview::FitWidth()
{
    const int available = m_scrollBox->width() - style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (const auto zoom = ReportZoom::Fit(m_canvas->Zoom(), available, m_canvas->Width())) {
        m_canvas->SetZoom(*zoom);
        ShowZoom();
    }
    m_scrollBox->viewport()->update();
}

void TFormPrintPreview::ZoomIn()
{
    m_canvas->SetZoom(ReportZoom::ZoomIn(m_canvas->Zoom()));
    ShowZoom();
}

void TFormPrintPreview::ZoomOut()
{
    m_canvas->SetZoom(ReportZoom::ZoomOut(m_canvas->Zoom()));
    ShowZoom();
}

void TFormPrintPreview::PrintClick()
{
    // The print dialog must not hide behind the preview; the preview stays off top.
    m_leftTopForGood = true;
    SetStayOnTop(false);
    QPrinter& printer = m_context.Printer();
    if (!AskPrinter || !AskPrinter(printer))
        return;
    m_editPrinter->setText(ReportZoom::UpdatePrinterPage(*m_canvas, printer));
    m_context.RunReport(roPrint);
}

void TFormPrintPreview::TypeCharacter(QChar typed)
{
    const PreviewAccessCode::Reaction reaction = PreviewAccessCode::Shared().Type(typed);
    if (reaction.showDate)
        m_statusBar->showMessage(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    if (!reaction.openDesigner || !m_context.Presenter())
        return;
    SetStayOnTop(false);
    m_context.Presenter()->ShowDesigner(m_context);
    if (!m_leftTopForGood)
        SetStayOnTop(true);
}

bool TFormPrintPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        bool typed = false;
        for (const QChar c : text)
            if (c.isPrint()) {
                TypeCharacter(c);
                typed = true;
            }
        if (typed)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
