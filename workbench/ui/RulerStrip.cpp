#include "workbench/ui/RulerStrip.h"

#include <QPainter>

#include <cmath>

RulerStrip::RulerStrip(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent)
    , m_orientation(orientation)
{
    if (orientation == Qt::Horizontal)
        setFixedHeight(kThickness);
    else
        setFixedWidth(kThickness);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RulerStrip::SetScale(int scale)
{
    m_scale = std::max(1, scale);
    update();
}

void RulerStrip::SetLongTickEvery(int every)
{
    m_longEvery = std::max(1, every);
    update();
}

void RulerStrip::SetHairLine(int position)
{
    if (position == m_hairLine)
        return;
    m_hairLine = position;
    update();
}

void RulerStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0xF0, 0xF0, 0xF0));
    painter.setPen(QColor(0x80, 0x80, 0x80));
    const bool horizontal = m_orientation == Qt::Horizontal;
    const int length = horizontal ? width() : height();
    // One unit is m_scale / 100 pixels; the step grows by 1-2-5 until ticks are
    // at least 5 pixels apart.
    const double pixelsPerUnit = m_scale / 100.0;
    double step = 1.0;
    static const double factors[] = { 2.0, 2.5, 2.0 };
    for (int i = 0; step * pixelsPerUnit < 5.0 && i < 60; ++i)
        step *= factors[i % 3];
    QFont small = font();
    small.setPixelSize(9);
    painter.setFont(small);
    const int count = int(length / (step * pixelsPerUnit)) + 1;
    for (int i = 0; i <= count; ++i) {
        const int at = int(std::lround(i * step * pixelsPerUnit));
        const bool isLong = i % m_longEvery == 0;
        const int tick = isLong ? kThickness / 2 : kThickness / 4;
        if (horizontal)
            painter.drawLine(at, kThickness - tick, at, kThickness);
        else
            painter.drawLine(kThickness - tick, at, kThickness, at);
        if (i % 5 == 0) {
            const QString label = QString::number(i * step, 'g', 6);
            if (horizontal)
                painter.drawText(at + 2, 9, label);
            else {
                painter.save();
                painter.translate(9, at + 2);
                painter.rotate(90);
                painter.drawText(0, 0, label);
                painter.restore();
            }
        }
    }
    if (m_hairLine >= 0) {
        painter.setPen(Qt::black);
        if (horizontal)
            painter.drawLine(m_hairLine, 0, m_hairLine, kThickness);
        else
            painter.drawLine(0, m_hairLine, kThickness, m_hairLine);
    }
}
