#include "report/ui/PageScrollBox.h"

#include "canvas/TMyCAD.h"
#include "canvas/widgets/CanvasView.h"
#include "report/ReportZoom.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>

PageScrollBox::PageScrollBox(TMyCAD& canvas, const QString& viewName, QStatusBar& statusBar, QWidget* parent)
    : QScrollArea(parent)
    , m_view(new CanvasView(canvas))
    , m_statusBar(statusBar)
{
    setObjectName(QStringLiteral("ScrollBoxPrint"));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setStyleSheet(QStringLiteral("QScrollArea { background: rgb(238, 238, 238); }"));
    setFocusPolicy(Qt::NoFocus);
    m_view->setObjectName(viewName);
    setWidget(m_view);
}

PageScrollBox::~PageScrollBox()
{
    // The view detaches itself from the canvas, which may go before the box.
    delete takeWidget();
}

TMyCAD& PageScrollBox::Canvas() const
{
    return m_view->Canvas();
}

void PageScrollBox::ShowZoom()
{
    m_statusBar.showMessage(ReportZoom::StatusText(Canvas().Zoom()));
}

void PageScrollBox::Fit(int available, int size)
{
    if (const auto zoom = ReportZoom::Fit(Canvas().Zoom(), available, size)) {
        Canvas().SetZoom(*zoom);
        ShowZoom();
    }
    viewport()->update();
}

void PageScrollBox::FitHeight()
{
    Fit(height() - style()->pixelMetric(QStyle::PM_ScrollBarExtent), Canvas().Height());
}

void PageScrollBox::FitWidth()
{
    Fit(width() - style()->pixelMetric(QStyle::PM_ScrollBarExtent), Canvas().Width());
}

void PageScrollBox::ZoomIn()
{
    Canvas().SetZoom(ReportZoom::ZoomIn(Canvas().Zoom()));
    ShowZoom();
}

void PageScrollBox::ZoomOut()
{
    Canvas().SetZoom(ReportZoom::ZoomOut(Canvas().Zoom()));
    ShowZoom();
}

void PageScrollBox::ScrollToTopLeft()
{
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

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

PrinterPanel PrinterPanel::Create(QWidget* parent)
{
    PrinterPanel p;
    p.panel = new QWidget(parent);
    p.panel->setObjectName(QStringLiteral("PanelTop"));
    p.panel->setFixedHeight(57);
    QFont panelFont(QStringLiteral("Arial"));
    panelFont.setPointSize(10);
    p.panel->setFont(panelFont);
    auto* label = new QLabel(QStringLiteral("Printer"), p.panel);
    label->setObjectName(QStringLiteral("LabelPrinter"));
    p.editPrinter = new QLineEdit(p.panel);
    p.editPrinter->setObjectName(QStringLiteral("EditPrinter"));
    p.editPrinter->setReadOnly(true);
    p.editPrinter->setFocusPolicy(Qt::NoFocus);
    p.layout = new QHBoxLayout(p.panel);
    p.layout->addWidget(label);
    p.layout->addWidget(p.editPrinter, 1);
    p.buttonPrint = p.AddButton("ButtonPrint", QStringLiteral("Print"));
    p.fitHeight = ZoomButton(p.panel, "SpeedButtonFitH", QStringLiteral("↕"), QStringLiteral("Fit height"));
    p.fitWidth = ZoomButton(p.panel, "SpeedButtonFitV", QStringLiteral("↔"), QStringLiteral("Fit width"));
    p.zoomIn = ZoomButton(p.panel, "SpeedButtonZoomIn", QStringLiteral("+"), QStringLiteral("Zoom in"));
    p.zoomOut = ZoomButton(p.panel, "SpeedButtonZoomOut", QStringLiteral("−"), QStringLiteral("Zoom out"));
    for (QToolButton* button : { p.fitHeight, p.fitWidth, p.zoomIn, p.zoomOut })
        p.layout->addWidget(button);
    return p;
}

QPushButton* PrinterPanel::AddButton(const char* name, const QString& text, int position) const
{
    auto* button = new QPushButton(text, panel);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    layout->insertWidget(position, button);
    return button;
}

void PrinterPanel::ConnectZoom(PageScrollBox& box) const
{
    QObject::connect(fitHeight, &QToolButton::clicked, &box, &PageScrollBox::FitHeight);
    QObject::connect(fitWidth, &QToolButton::clicked, &box, &PageScrollBox::FitWidth);
    QObject::connect(zoomIn, &QToolButton::clicked, &box, &PageScrollBox::ZoomIn);
    QObject::connect(zoomOut, &QToolButton::clicked, &box, &PageScrollBox::ZoomOut);
}
