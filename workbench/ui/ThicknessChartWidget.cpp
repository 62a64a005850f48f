#include "workbench/ui/ThicknessChartWidget.h"

#include <QPainter>

ThicknessChartWidget::ThicknessChartWidget(QWidget* parent)
    : QWidget(parent)
{
    setMinimumHeight(70);
    setAutoFillBackground(false);
}

void ThicknessChartWidget::SetSeries(std::vector<ThicknessChart::Series> series)
{
    bool same = series.size() == m_series.size();
    for (size_t i = 0; same && i < series.size(); ++i)
        same = series[i].classes == m_series[i].classes && series[i].label == m_series[i].label;
    if (same)
        return;
    m_series = std::move(series);
    update();
}

void ThicknessChartWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    ThicknessChart::Paint(painter, QRectF(rect()).adjusted(2, 2, -2, -2), m_series);
}
