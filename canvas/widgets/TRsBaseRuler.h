#pragma once

#include "canvas/RulerScale.h"

#include <QColor>
#include <QWidget>

// What the ruler and its corner piece share: edge style, colours, unit and font.
class TRsBaseRuler : public QWidget
{
    Q_OBJECT
public:
    explicit TRsBaseRuler(QWidget* parent = nullptr);

    bool Flat() const { return m_flat; }
    // False draws a sunken edge.
    void SetFlat(bool flat);
    QColor ScaleColor() const { return m_scaleColor; }
    // Background of the scale band.
    void SetScaleColor(const QColor& color);
    QColor TickColor() const { return m_tickColor; }
    void SetTickColor(const QColor& color);
    TRulerUnit Units() const { return m_units; }
    virtual void SetUnits(TRulerUnit units);
    static QString VersionInfo() { return QStringLiteral("rule component "); }
    // Screen pixels per inch used for the scale.
    double PixelsPerInch() const;

protected:
    // The sunken edge unless flat; returns the area inside it.
    QRect PaintEdge(class QPainter& painter) const;

    TRulerUnit m_units = ruMilli;

private:
    bool m_flat = false;
    QColor m_scaleColor = QColor(255, 255, 225);
    QColor m_tickColor = QColor(0, 0, 0);
};
