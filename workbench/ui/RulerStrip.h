#pragma once

#include <QWidget>

// A ruler along one side of the canvas: a short tick per unit step, a long tick
// with its value every few steps, negative values shown, and a hair line that
// follows the mouse.
class RulerStrip : public QWidget
{
    Q_OBJECT
public:
    RulerStrip(Qt::Orientation orientation, QWidget* parent);
    static constexpr int kThickness = 20;

    // Screen pixels per 100 units.
    void SetScale(int scale);
    int Scale() const { return m_scale; }
    void SetLongTickEvery(int every);
    int LongTickEvery() const { return m_longEvery; }
    // Position of the hair line in ruler pixels (-1: none).
    void SetHairLine(int position);
    int HairLine() const { return m_hairLine; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Orientation m_orientation;
    int m_scale = 100;
    int m_longEvery = 5;
    int m_hairLine = -1;
};
