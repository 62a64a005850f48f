#pragma once

#include "canvas/widgets/TRsBaseRuler.h"

enum TCornerPosition : uint8_t { cpLeftTop, cpRightTop, cpLeftBottom, cpRightBottom };

// The piece where two rulers meet: shows the unit's abbreviation near the corner of
// the drawing; its hint is the unit's name.
class TRsRulerCorner : public TRsBaseRuler
{
    Q_OBJECT
public:
    explicit TRsRulerCorner(QWidget* parent = nullptr);

    TCornerPosition Position() const { return m_position; }
    void SetPosition(TCornerPosition position);
    // Also sets the hint to the unit's name.
    void SetUnits(TRulerUnit units) override;
    QSize sizeHint() const override { return QSize(33, 33); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TCornerPosition m_position = cpLeftTop;
};
