#include "canvas/widgets/CanvasView.h"

#include "canvas/widgets/TFormStringListEditor.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

CanvasView::CanvasView(TMyCAD& cad, QWidget* parent)
    : QWidget(parent)
    , m_cad(cad)
{
    // Every paint covers its whole area, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    m_cad.SetHost(this);
    ClientSizeChanged(m_cad.Width(), m_cad.Height());
}

CanvasView::~CanvasView()
{
    m_cad.SetHost(nullptr);
}

void CanvasView::CopyToClipboard()
{
    if (m_cad.SelectedCount() == 0)
        return;
    m_cad.CopyToClipboard();
    const QImage picture = m_cad.SelectionPicture();
    if (!picture.isNull())
        QGuiApplication::clipboard()->setImage(picture);
}

double CanvasView::PixelsPerInch() const
{
    if (m_frozen)
        return m_frozenPixelsPerInch; // asked from the thread drawing the canvas
    const int dpi = logicalDpiX();
    return dpi > 0 ? dpi : 96.0;
}

void CanvasView::RequestRepaint()
{
    update();
}

void CanvasView::RequestRepaintArea(const QRect& area)
{
    update(area);
}

void CanvasView::SetCursorShape(Qt::CursorShape shape)
{
    setCursor(shape);
}

void CanvasView::ShowHint(const QString& text)
{
    if (text == m_hint)
        return;
    m_hint = text;
    setToolTip(text);
    if (text.isEmpty())
        QToolTip::hideText();
    else if (underMouse())
        QToolTip::showText(QCursor::pos(), text, this);
}

void CanvasView::ClientSizeChanged(int width, int height)
{
    m_resizingForCanvas = true;
    resize(std::max(0, width), std::max(0, height));
    m_resizingForCanvas = false;
    updateGeometry();
}

QSize CanvasView::sizeHint() const
{
    return QSize(m_cad.Width(), m_cad.Height());
}

void CanvasView::SetFrozen(bool frozen)
{
    if (frozen == m_frozen)
        return;
    if (frozen) {
        m_frozenPixelsPerInch = PixelsPerInch();
        const QRect visible = visibleRegion().boundingRect();
        m_frozenAt = visible.topLeft();
        m_frozenPicture = visible.isEmpty() ? QPixmap() : grab(visible);
        m_frozen = true;
        return;
    }
    m_frozen = false;
    m_frozenPicture = QPixmap();
    if (width() != m_cad.Width() || height() != m_cad.Height())
        m_cad.ClientResized(width(), height());
    update();
}

void CanvasView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (m_frozen) {
        painter.fillRect(event->rect(), palette().window());
        if (!m_frozenPicture.isNull())
            painter.drawPixmap(m_frozenAt, m_frozenPicture);
        return;
    }
    for (const QRect& area : event->region())
        m_cad.Paint(painter, area);
}

void CanvasView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_frozen)
        return;
    // A resize by the parent layout changes the page; the canvas's own resizes do not.
    if (!m_resizingForCanvas && (width() != m_cad.Width() || height() != m_cad.Height()))
        m_cad.ClientResized(width(), height());
}

bool CanvasView::EditStringList(QStringList& lines)
{
    TFormStringListEditor editor(this);
    editor.SetLines(lines);
    if (editor.exec() != QDialog::Accepted)
        return false;
    lines = editor.Lines();
    return true;
}

namespace {

QPoint Position(const QMouseEvent* event)
{
    return event->position().toPoint();
}

} // namespace

void CanvasView::mousePressEvent(QMouseEvent* event)
{
    if (m_frozen)
        return;
    const QPoint p = Position(event);
    m_cad.MouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void CanvasView::ConfineCursor(const QRect& area)
{
    m_confinement = area;
}

void CanvasView::ReleaseCursor()
{
    m_confinement = QRect();
}

void CanvasView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_frozen)
        return;
    const QPoint p = Confined(Position(event));
    if (p != Position(event))
        QCursor::setPos(mapToGlobal(p));
    m_cad.MouseMove(event->modifiers(), p.x(), p.y());
}

QPoint CanvasView::Confined(QPoint p) const
{
    if (m_confinement.isNull())
        return p;
    return QPoint(std::clamp(p.x(), m_confinement.left(), std::max(m_confinement.left(), m_confinement.right())),
        std::clamp(p.y(), m_confinement.top(), std::max(m_confinement.top(), m_confinement.bottom())));
}

void CanvasView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_frozen)
        return;
    const QPoint p = Confined(Position(event));
    m_cad.MouseUp(event->button(), event->modifiers(), p.x(), p.y());
}

void CanvasView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (m_frozen)
        return;
    const QPoint p = Position(event);
    m_cad.MouseDoubleClick(event->button(), event->modifiers(), p.x(), p.y());
}
