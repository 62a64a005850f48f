#include "canvas/widgets/TRsBaseRuler.h"

#include <QPainter>
#include <qdrawutil.h>

TRsBaseRuler::TRsBaseRuler(QWidget* parent)
    : QWidget(parent)
{
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);
}

void TRsBaseRuler::SetFlat(bool flat)
{
    m_flat = flat;
    update();
}

void TRsBaseRuler::SetScaleColor(const QColor& color)
{
    m_scaleColor = color;
    update();
}

void TRsBaseRuler::SetTickColor(const QColor& color)
{
    m_tickColor = color;
    update();
}

void TRsBaseRuler::SetUnits(TRulerUnit units)
{
    m_units = units;
    update();
}

double TRsBaseRuler::PixelsPerInch() const
{
    const int dpi = logicalDpiX();
    return dpi > 0 ? dpi : 96.0;
}

QRect TRsBaseRuler::PaintEdge(QPainter& painter) const
{
    painter.fillRect(rect(), palette().window());
    if (m_flat)
        return rect();
    qDrawShadePanel(&painter, rect(), palette(), true, 1);
    return rect().adjusted(1, 1, -1, -1);
}
