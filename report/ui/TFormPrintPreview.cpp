#include "report/ui/TFormPrintPreview.h"

#include "canvas/TMyCAD.h"
#include "canvas/widgets/CanvasView.h"
#include "common/LanguageFile.h"
#include "common/ui/WindowTranslator.h"
#include "report/PreviewAccessCode.h"
#include "report/ReportContext.h"
#include "report/ReportPageOutput.h"
#include "report/ReportPresenter.h"
#include "report/ReportZoom.h"
#include "report/ui/PageScrollBox.h"
#include "report/ui/ReportPrinting.h"
#include "report/ui/TFormPrelvoLang.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

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
    // The calling program names the file of its chosen language; else the one beside it.
    LanguageFilePath = qEnvironmentVariableIsEmpty("PRELVO_LANGUAGE_FILE")
        ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("PrelvoLang.ini"))
        : qEnvironmentVariable("PRELVO_LANGUAGE_FILE");

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBarPrint"));
    m_statusBar->setSizeGripEnabled(false);
    const PrinterPanel top = PrinterPanel::Create(this);
    m_editPrinter = top.editPrinter;
    m_scrollBox = new PageScrollBox(*m_canvas, QStringLiteral("MyCADPreview"), *m_statusBar, this);
    m_scrollBox->View().setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(top.panel);
    layout->addWidget(m_scrollBox, 1);
    layout->addWidget(m_statusBar);

    connect(top.buttonPrint, &QPushButton::clicked, this, &TFormPrintPreview::PrintClick);
    top.ConnectZoom(*m_scrollBox);

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
    delete m_scrollBox;
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
    const Qt::WindowFlags flags
        = onTop ? windowFlags() | Qt::WindowStaysOnTopHint : windowFlags() & ~Qt::WindowStaysOnTopHint;
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
    m_editPrinter->setText(ReportPrinting::UpdatePrinterPage(*m_canvas, ReportPrinting::Printer(m_context)));
    m_scrollBox->ScrollToTopLeft();
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

void TFormPrintPreview::PrintClick()
{
    // The print dialog must not hide behind the preview; the preview stays off top.
    m_leftTopForGood = true;
    SetStayOnTop(false);
    QPrinter& printer = ReportPrinting::Printer(m_context);
    if (!AskPrinter || !AskPrinter(printer))
        return;
    m_editPrinter->setText(ReportPrinting::UpdatePrinterPage(*m_canvas, printer));
    const bool printed = m_context.RunReport(roPrint);
    // The status line says what became of the job, so nobody prints twice.
    if (!m_formLang)
        m_formLang = new TFormPrelvoLang(this);
    QString text = m_formLang->Text(QLatin1String(printed ? "MessagePrinted" : "MessagePrintFailed"));
    m_statusBar->showMessage(text.replace(QLatin1String("%s"), m_editPrinter->text()));
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
