#include "canvas/widgets/TRsRulerCorner.h"

#include <QPainter>

TRsRulerCorner::TRsRulerCorner(QWidget* parent)
    : TRsBaseRuler(parent)
{
    resize(33, 33);
    setToolTip(RulerScale::UnitName(m_units));
}

void TRsRulerCorner::SetPosition(TCornerPosition position)
{
    m_position = position;
    update();
}

void TRsRulerCorner::SetUnits(TRulerUnit units)
{
    setToolTip(RulerScale::UnitName(units));
    TRsBaseRuler::SetUnits(units);
}

void TRsRulerCorner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inner = PaintEdge(painter).adjusted(2, 2, -2, -2);
    // The drawing lies diagonally opposite the corner's own position.
    Qt::Alignment alignment;
    switch (m_position) {
    case cpLeftTop:
        alignment = Qt::AlignRight | Qt::AlignBottom;
        break;
    case cpRightTop:
        alignment = Qt::AlignLeft | Qt::AlignBottom;
        break;
    case cpLeftBottom:
        alignment = Qt::AlignRight | Qt::AlignTop;
        break;
    case cpRightBottom:
        alignment = Qt::AlignLeft | Qt::AlignTop;
        break;
    }
    painter.setPen(TickColor());
    painter.drawText(inner, int(alignment), RulerScale::Abbreviation(m_units));
}
