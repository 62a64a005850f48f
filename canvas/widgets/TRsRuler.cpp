#include "canvas/widgets/TRsRuler.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

TRsRuler::TRsRuler(QWidget* parent)
    : TRsBaseRuler(parent)
{
    resize(200, 33);
}

void TRsRuler::SetDirection(TRulerDir direction)
{
    m_direction = direction;
    update();
}

void TRsRuler::SetScaleDir(TRulerScaleDir dir)
{
    m_scaleDir = dir;
    update();
}

void TRsRuler::SetScale(int scale)
{
    if (scale <= 0)
        return;
    m_scale = scale;
    m_valueStep = RulerScale::ValueStep(scale, m_valueStep);
    update();
}

void TRsRuler::SetOffset(double offset)
{
    m_offset = offset;
    update();
}

void TRsRuler::SetHairLine(bool show)
{
    m_hairLine = show;
    update();
}

void TRsRuler::SetHairLineStyle(THairLineStyle style)
{
    m_hairLineStyle = style;
    update();
}

void TRsRuler::SetShowMinus(bool show)
{
    m_showMinus = show;
    update();
}

void TRsRuler::SetMyLongTick(int ticks)
{
    m_longTick = ticks;
    update();
}

void TRsRuler::SetMyShortTick(int ticks)
{
    m_shortTick = ticks;
    update();
}

void TRsRuler::SetUnits(TRulerUnit units)
{
    m_offset = RulerScale::ConvertOffset(m_offset, m_units, units, PixelsPerInch());
    TRsBaseRuler::SetUnits(units);
}

double TRsRuler::StepPixels() const
{
    return RulerScale::TickStep(m_scale, m_units, PixelsPerInch(), m_valueStep);
}

double TRsRuler::Along(double position) const
{
    return m_scaleDir == rsdReverse ? Length() - 1 - position : position;
}

QRect TRsRuler::HairLineArea(int pos) const
{
    if (pos < 0)
        return QRect();
    if (m_hairLineStyle == hlsRect)
        return rect();
    return Horizontal() ? QRect(pos - 1, 0, 3, height()) : QRect(0, pos - 1, width(), 3);
}

void TRsRuler::SetHairLinePos(int pos)
{
    if (pos == m_hairLinePos)
        return;
    const QRect before = HairLineArea(m_hairLinePos);
    m_hairLinePos = pos;
    if (m_hairLine)
        update(before.united(HairLineArea(pos)));
}

void TRsRuler::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inner = PaintEdge(painter);
    const bool horizontal = Horizontal();
    const int thickness = horizontal ? inner.height() : inner.width();
    const int band = std::max(1, thickness * 2 / 3);
    // The band lies along the side that faces the drawing.
    QRect scaleBand;
    switch (m_direction) {
    case rdTop:
        scaleBand = QRect(inner.left(), inner.bottom() - band + 1, inner.width(), band);
        break;
    case rdBottom:
        scaleBand = QRect(inner.left(), inner.top(), inner.width(), band);
        break;
    case rdLeft:
        scaleBand = QRect(inner.right() - band + 1, inner.top(), band, inner.height());
        break;
    case rdRight:
        scaleBand = QRect(inner.left(), inner.top(), band, inner.height());
        break;
    }
    painter.fillRect(scaleBand, ScaleColor());

    const double step = StepPixels();
    if (step > 0.01 && m_units != ruNone) {
        painter.setPen(TickColor());
        const QFontMetrics metrics(font());
        const int length = Length();
        for (int i = 0; i * step <= length && i < 1000000; i += 2) {
            const double at = Along(i * step);
            const int tick = RulerScale::TickLength(i / 2, m_longTick, m_shortTick);
            const int p = int(std::lround(at));
            if (tick > 0) {
                switch (m_direction) {
                case rdTop:
                    painter.drawLine(p, inner.bottom(), p, inner.bottom() - tick + 1);
                    break;
                case rdBottom:
                    painter.drawLine(p, inner.top(), p, inner.top() + tick - 1);
                    break;
                case rdLeft:
                    painter.drawLine(inner.right(), p, inner.right() - tick + 1, p);
                    break;
                case rdRight:
                    painter.drawLine(inner.left(), p, inner.left() + tick - 1, p);
                    break;
                }
            }
            if (i == 0 || m_longTick <= 0 || i % (2 * m_longTick) != 0)
                continue;
            const QString label = RulerScale::Label(i, m_valueStep, m_units, m_offset, m_showMinus);
            const int w = metrics.horizontalAdvance(label);
            if (horizontal) {
                const int y = m_direction == rdTop ? scaleBand.top() + metrics.ascent()
                                                   : scaleBand.bottom() - metrics.descent();
                painter.drawText(p - w / 2, y, label);
            } else {
                painter.drawText(scaleBand.center().x() - w / 2, p + metrics.ascent() / 2, label);
            }
        }
    }

    if (m_hairLine && m_hairLinePos >= 0) {
        // Inverted, as the hair line shows over any colour.
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        const QRect area = m_hairLineStyle == hlsRect
            ? (horizontal ? QRect(0, scaleBand.top(), m_hairLinePos + 1, scaleBand.height())
                          : QRect(scaleBand.left(), 0, scaleBand.width(), m_hairLinePos + 1))
            : (horizontal ? QRect(m_hairLinePos, scaleBand.top(), 1, scaleBand.height())
                          : QRect(scaleBand.left(), m_hairLinePos, scaleBand.width(), 1));
        painter.fillRect(area, Qt::white);
    }
}
