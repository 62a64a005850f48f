#pragma once

#include "workbench/ThicknessDistribution.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>

#include <vector>

class QPainter;

// The bar chart of thickness distributions: hairs per 10 µm class, the 40 µm
// vellus limit marked by a dashed line. Drawn with QPainter alone, so the window,
// printed reports and tests get the same pixels on any paint device.
namespace ThicknessChart {

struct Series
{
    QString label; // shown in the legend when there is more than one series
    std::vector<ThicknessClass> classes;
    QColor color;
};

// The colours of the first and second visit.
QColor FirstColor();
QColor SecondColor();

// The x range in classes: every class of every series and at least up to 60 µm,
// so the vellus limit always shows.
int ClassCount(const std::vector<Series>& series);

// Draws the chart into `area`: axes, bars (a second series overlaid, half
// transparent), the limit, the class bounds under the axis and the largest count.
void Paint(QPainter& painter, const QRectF& area, const std::vector<Series>& series);

// The chart alone as a picture on white.
QImage Render(int width, int height, const std::vector<Series>& series);

} // namespace ThicknessChart
