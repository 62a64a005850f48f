#pragma once

#include "canvas/widgets/TRsBaseRuler.h"

// Which side of the drawing the ruler stands on.
enum TRulerDir : uint8_t { rdTop, rdLeft, rdRight, rdBottom };
enum TRulerScaleDir : uint8_t { rsdNormal, rsdReverse };
enum THairLineStyle : uint8_t { hlsLine, hlsRect };

// A ruler along one edge of the drawing: ticks and labels in the chosen unit at the
// zoom given by Scale (percent), and a hair line that follows the mouse. The hair
// line is drawn over the scale on every paint, so it stays visible until it moves.
class TRsRuler : public TRsBaseRuler
{
    Q_OBJECT
public:
    explicit TRsRuler(QWidget* parent = nullptr);

    TRulerDir Direction() const { return m_direction; }
    void SetDirection(TRulerDir direction);
    TRulerScaleDir ScaleDir() const { return m_scaleDir; }
    void SetScaleDir(TRulerScaleDir dir);
    int Scale() const { return m_scale; }
    // Only values above 0 are taken.
    void SetScale(int scale);
    double Offset() const { return m_offset; }
    // Added to every label, in the ruler's unit.
    void SetOffset(double offset);
    bool HairLine() const { return m_hairLine; }
    void SetHairLine(bool show);
    int HairLinePos() const { return m_hairLinePos; }
    // Moves the hair line to the pixel (-1: none) and repaints the old and new place.
    void SetHairLinePos(int pos);
    THairLineStyle HairLineStyle() const { return m_hairLineStyle; }
    void SetHairLineStyle(THairLineStyle style);
    bool ShowMinus() const { return m_showMinus; }
    void SetShowMinus(bool show);
    int MyLongTick() const { return m_longTick; }
    void SetMyLongTick(int ticks);
    int MyShortTick() const { return m_shortTick; }
    void SetMyShortTick(int ticks);
    // Converts Offset into the new unit and repaints.
    void SetUnits(TRulerUnit units) override;

    // Pixels between two step positions at the current settings.
    double StepPixels() const;
    QSize sizeHint() const override { return QSize(200, 33); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool Horizontal() const { return m_direction == rdTop || m_direction == rdBottom; }
    int Length() const { return Horizontal() ? width() : height(); }
    // The pixel of a position along the ruler, counted from the start or the far end.
    double Along(double position) const;
    QRect HairLineArea(int pos) const;

    TRulerDir m_direction = rdTop;
    TRulerScaleDir m_scaleDir = rsdNormal;
    int m_scale = 100;
    double m_valueStep = 1.0;
    double m_offset = 0.0;
    bool m_hairLine = false;
    int m_hairLinePos = -1;
    THairLineStyle m_hairLineStyle = hlsLine;
    bool m_showMinus = true;
    int m_longTick = 5;
    int m_shortTick = 1;
};
