#pragma once

#include "workbench/ThicknessChart.h"

#include <QWidget>

#include <vector>

// The thickness distribution under the results grid, and both visits' in the
// comparison window: ThicknessChart drawn on the widget.
class ThicknessChartWidget : public QWidget
{
public:
    explicit ThicknessChartWidget(QWidget* parent = nullptr);
    void SetSeries(std::vector<ThicknessChart::Series> series);
    const std::vector<ThicknessChart::Series>& Series() const { return m_series; }
    QSize sizeHint() const override { return QSize(226, 110); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<ThicknessChart::Series> m_series;
};
