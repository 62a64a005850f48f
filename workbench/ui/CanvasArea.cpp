#include "workbench/ui/CanvasArea.h"

#include "canvas/TMyCAD.h"
#include "canvas/widgets/CanvasView.h"
#include "canvas/widgets/TRsRuler.h"
#include "canvas/widgets/TRsRulerCorner.h"

#include <QDragEnterEvent>
#include <QMimeData>

CanvasArea::CanvasArea(TMyCAD& cad, QWidget* parent)
    : QScrollArea(parent)
    , m_page(new QWidget)
{
    setObjectName(QStringLiteral("ScrollBoxCanvas"));
    m_page->setObjectName(QStringLiteral("PanelCanvasPage"));
    QPalette palette = m_page->palette();
    palette.setColor(QPalette::Window, QColor(0xF8, 0xF8, 0xF8));
    m_page->setPalette(palette);
    m_page->setAutoFillBackground(true);
    setPalette(palette);
    setBackgroundRole(QPalette::Window);
    setWidget(m_page);
    setWidgetResizable(false);
    setAcceptDrops(true);

    m_view = new CanvasView(cad, m_page);
    m_view->setObjectName(QStringLiteral("MyCAD1"));
    m_view->installEventFilter(this);
    static const char* rulerNames[] = { "RsRulerTop", "RsRulerBottom", "RsRulerLeft", "RsRulerRight" };
    static const TRulerDir directions[] = { rdTop, rdBottom, rdLeft, rdRight };
    for (size_t i = 0; i < m_rulers.size(); ++i) {
        m_rulers[i] = new TRsRuler(m_page);
        m_rulers[i]->setObjectName(QLatin1String(rulerNames[i]));
        m_rulers[i]->SetDirection(directions[i]);
        m_rulers[i]->SetHairLine(true);
        m_rulers[i]->SetShowMinus(true);
        m_rulers[i]->SetFlat(true);
    }
    // Each ruler has a corner box at either end: top ruler 1-2, bottom 3-4, left 5-6, right 7-8.
    static const TCornerPosition positions[]
        = { cpLeftTop, cpRightTop, cpLeftBottom, cpRightBottom, cpLeftTop, cpLeftBottom, cpRightTop, cpRightBottom };
    for (size_t i = 0; i < m_corners.size(); ++i) {
        m_corners[i] = new TRsRulerCorner(m_page);
        m_corners[i]->setObjectName(QStringLiteral("RsRulerCorner%1").arg(i + 1));
        m_corners[i]->SetPosition(positions[i]);
        m_corners[i]->SetFlat(true);
        m_corners[i]->resize(kRulerThickness, kRulerThickness);
    }
    Relayout();
}

void CanvasArea::Relayout()
{
    const int t = kRulerThickness;
    const int w = m_view->width();
    const int h = m_view->height();
    m_view->move(t + 1, t + 1);
    m_rulers[Top]->setGeometry(t + 1, 0, w, t);
    m_rulers[Bottom]->setGeometry(t + 1, t + 2 + h, w, t);
    m_rulers[Left]->setGeometry(0, t + 1, t, h);
    m_rulers[Right]->setGeometry(t + 2 + w, t + 1, t, h);
    const QPoint at[] = { { 0, 0 }, { t + 2 + w, 0 }, { 0, t + 2 + h }, { t + 2 + w, t + 2 + h } };
    for (size_t i = 0; i < m_corners.size(); ++i)
        m_corners[i]->move(at[m_corners[i]->Position()]);
    m_page->resize(w + 2 * t + 2, h + 2 * t + 2);
}

void CanvasArea::SetRulerScale(int scale, int longTickEvery, TRulerUnit rulerUnit, TRulerUnit cornerUnit)
{
    for (TRsRuler* ruler : m_rulers) {
        if (rulerUnit != ruNone)
            ruler->SetUnits(rulerUnit);
        ruler->SetScale(scale);
        ruler->SetMyLongTick(longTickEvery);
    }
    for (TRsRulerCorner* corner : m_corners)
        corner->SetUnits(cornerUnit);
}

void CanvasArea::SetHairLine(int x, int y)
{
    m_rulers[Top]->SetHairLinePos(x);
    m_rulers[Bottom]->SetHairLinePos(x);
    m_rulers[Left]->SetHairLinePos(y);
    m_rulers[Right]->SetHairLinePos(y);
}

bool CanvasArea::eventFilter(QObject* watched, QEvent* event)
{
    // The view takes the canvas's size by itself; the rulers follow it.
    if (watched == m_view && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        Relayout();
    return QScrollArea::eventFilter(watched, event);
}

void CanvasArea::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void CanvasArea::dragMoveEvent(QDragMoveEvent* event)
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
