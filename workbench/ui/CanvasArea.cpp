#include "workbench/ui/CanvasArea.h"

#include "canvas/TMyCAD.h"
#include "workbench/ui/RulerStrip.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>

// --- CanvasSurface ---

CanvasSurface::CanvasSurface(TMyCAD& cad, QWidget* parent)
    : QWidget(parent)
    , m_cad(cad)
{
    setObjectName(QStringLiteral("MyCAD1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    m_cad.SetHost(this);
}

CanvasSurface::~CanvasSurface()
{
    m_cad.SetHost(nullptr);
}

double CanvasSurface::PixelsPerInch() const
{
    return 96.0;
}

void CanvasSurface::RequestRepaint()
{
    update();
}

void CanvasSurface::RequestRepaintArea(const QRect& area)
{
    update(area);
}

void CanvasSurface::ClientSizeChanged(int width, int height)
{
    resize(width, height);
    emit SizeChanged();
}

void CanvasSurface::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    m_cad.Paint(painter, event->rect());
}

void CanvasSurface::mousePressEvent(QMouseEvent* event)
{
    emit MousePressed(event);
}

void CanvasSurface::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMoved(event);
}

void CanvasSurface::mouseReleaseEvent(QMouseEvent* event)
{
    emit MouseReleased(event);
}

void CanvasSurface::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit MouseDoubleClicked(event);
}

// --- CanvasArea ---

CanvasArea::CanvasArea(TMyCAD& cad, QWidget* parent)
    : QScrollArea(parent)
    , m_page(new QWidget)
{
    setObjectName(QStringLiteral("ScrollBoxCanvas"));
    m_page->setObjectName(QStringLiteral("PanelCanvasPage"));
    m_page->setAutoFillBackground(true);
    QPalette palette = m_page->palette();
    palette.setColor(QPalette::Window, QColor(0xF8, 0xF8, 0xF8));
    m_page->setPalette(palette);
    setPalette(palette);
    setBackgroundRole(QPalette::Window);
    setWidget(m_page);
    setWidgetResizable(false);
    setAcceptDrops(true);
    m_surface = new CanvasSurface(cad, m_page);
    static const char* rulerNames[] = { "RsRulerTop", "RsRulerBottom", "RsRulerLeft", "RsRulerRight" };
    for (size_t i = 0; i < m_rulers.size(); ++i) {
        m_rulers[i] = new RulerStrip(i < 2 ? Qt::Horizontal : Qt::Vertical, m_page);
        m_rulers[i]->setObjectName(QLatin1String(rulerNames[i]));
    }
    for (size_t i = 0; i < m_corners.size(); ++i) {
        auto* corner = new QLabel(m_page);
        corner->setObjectName(QStringLiteral("RsRulerCorner%1").arg(i + 1));
        corner->setAlignment(Qt::AlignCenter);
        corner->setFixedSize(RulerStrip::kThickness, RulerStrip::kThickness);
        corner->setAutoFillBackground(true);
        QFont small = corner->font();
        small.setPixelSize(9);
        corner->setFont(small);
        m_corners[i] = corner;
    }
    SetCanvasSize(0, 0);
}

int CanvasArea::RulerThickness() const
{
    return RulerStrip::kThickness;
}

void CanvasArea::SetCanvasSize(int width, int height)
{
    m_surface->resize(std::max(0, width), std::max(0, height));
    Relayout();
}

void CanvasArea::Relayout()
{
    const int t = RulerStrip::kThickness;
    const int w = m_surface->width();
    const int h = m_surface->height();
    m_surface->move(t + 1, t + 1);
    m_rulers[Top]->setGeometry(t + 1, 0, w, t);
    m_rulers[Bottom]->setGeometry(t + 1, t + 2 + h, w, t);
    m_rulers[Left]->setGeometry(0, t + 1, t, h);
    m_rulers[Right]->setGeometry(t + 2 + w, t + 1, t, h);
    const QPoint corners[] = { { 0, 0 }, { t + 2 + w, 0 }, { 0, t + 2 + h }, { t + 2 + w, t + 2 + h } };
    // Each ruler has two corner boxes; the four outer corners are shared pairs.
    for (size_t i = 0; i < m_corners.size(); ++i)
        m_corners[i]->move(corners[i % 4]);
    m_page->resize(w + 2 * t + 2, h + 2 * t + 2);
}

void CanvasArea::SetRulerScale(int scale, int longTickEvery, const QString& cornerUnit)
{
    for (RulerStrip* ruler : m_rulers) {
        ruler->SetScale(scale);
        ruler->SetLongTickEvery(longTickEvery);
    }
    m_cornerUnit = cornerUnit;
    for (QWidget* corner : m_corners)
        static_cast<QLabel*>(corner)->setText(cornerUnit);
}

void CanvasArea::SetHairLine(int x, int y)
{
    m_rulers[Top]->SetHairLine(x);
    m_rulers[Bottom]->SetHairLine(x);
    m_rulers[Left]->SetHairLine(y);
    m_rulers[Right]->SetHairLine(y);
}

void CanvasArea::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void CanvasArea::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit FilesDropped(paths);
}

void CanvasArea::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta != 0)
        emit WheelTurned(delta);
    event->accept();
}

void CanvasArea::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    m_surface->update();
}
