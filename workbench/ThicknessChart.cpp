#include "workbench/ThicknessChart.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace ThicknessChart {

namespace {

constexpr int kMinimumClasses = 6; // 0-60 µm

int LargestCount(const std::vector<Series>& series)
{
    int largest = 0;
    for (const Series& s : series)
        for (const ThicknessClass& c : s.classes)
            largest = std::max(largest, c.count);
    return largest;
}

// Class bounds are labelled every `step` classes so the texts never overlap.
int LabelStep(int classes, double classWidth, double textWidth)
{
    int step = 1;
    while (step < classes && step * classWidth < textWidth * 1.4)
        step *= 2;
    return step;
}

} // namespace

QColor FirstColor()
{
    return QColor(0x1F, 0x3B, 0x63); // the reports' dark blue
}

QColor SecondColor()
{
    return QColor(0xD9, 0x7A, 0x1E); // orange
}

int ClassCount(const std::vector<Series>& series)
{
    size_t count = kMinimumClasses;
    for (const Series& s : series)
        count = std::max(count, s.classes.size());
    return int(count);
}

void Paint(QPainter& painter, const QRectF& area, const std::vector<Series>& series)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    QFont font = painter.font();
    font.setPixelSize(std::max(8, int(area.height() / 12)));
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const double textHeight = metrics.height();

    const int classes = ClassCount(series);
    const int largest = std::max(1, LargestCount(series));
    const QString largestText = QString::number(largest);
    const double left = area.left() + metrics.horizontalAdvance(largestText) + 6;
    const double right = area.right() - 4;
    const double top = area.top() + textHeight * (series.size() > 1 ? 1.4 : 0.6);
    const double bottom = area.bottom() - textHeight - 4;
    if (right - left < classes || bottom - top < 4) {
        painter.restore();
        return;
    }
    const double classWidth = (right - left) / classes;
    const auto xOf
        = [&](double micrometres) { return left + micrometres / ThicknessDistribution::kClassWidth * classWidth; };
    const auto yOf = [&](double count) { return bottom - count / largest * (bottom - top); };

    // Bars: the first series solid, a second one over it half transparent.
    for (size_t s = 0; s < series.size(); ++s) {
        QColor fill = series[s].color;
        if (s > 0)
            fill.setAlpha(140);
        const double inset = classWidth * (s == 0 ? 0.08 : 0.22);
        for (size_t i = 0; i < series[s].classes.size() && int(i) < classes; ++i) {
            const int count = series[s].classes[i].count;
            if (count <= 0)
                continue;
            const QRectF bar(QPointF(left + double(i) * classWidth + inset, yOf(count)),
                QPointF(left + double(i + 1) * classWidth - inset, bottom));
            painter.fillRect(bar, fill);
        }
    }

    // Axes, the largest count and the class bounds.
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(QPointF(left, top), QPointF(left, bottom));
    painter.drawLine(QPointF(left, bottom), QPointF(right, bottom));
    painter.drawText(QRectF(area.left(), top - textHeight / 2, left - area.left() - 4, textHeight),
        Qt::AlignRight | Qt::AlignVCenter, largestText);
    painter.drawLine(QPointF(left - 3, top), QPointF(left, top));
    const int step = LabelStep(classes, classWidth, metrics.horizontalAdvance(QStringLiteral("1000")));
    // The last bound is labelled with the unit instead of a number.
    for (int i = 0; i <= classes; i += step) {
        const double x = left + i * classWidth;
        painter.drawLine(QPointF(x, bottom), QPointF(x, bottom + 3));
        if (i + step > classes && i > 0)
            break;
        const QString text = QString::number(i * ThicknessDistribution::kClassWidth);
        const double w = metrics.horizontalAdvance(text);
        painter.drawText(QRectF(x - w / 2 - 2, bottom + 3, w + 4, textHeight), Qt::AlignCenter, text);
    }
    painter.drawText(
        QRectF(right - 40, bottom + 3, 40, textHeight), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("µm"));

    // The vellus limit.
    const double limit = xOf(ThicknessDistribution::kVellusLimit);
    QPen dashed(QColor(0xC0, 0x20, 0x20), 1.5, Qt::DashLine);
    painter.setPen(dashed);
    painter.drawLine(QPointF(limit, top - textHeight * 0.3), QPointF(limit, bottom));
    painter.drawText(QRectF(limit + 3, top - textHeight * 0.6, 60, textHeight), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("40 µm"));

    // The legend of several series.
    if (series.size() > 1) {
        double x = left + classWidth * 4.8 + 40;
        for (const Series& s : series) {
            painter.fillRect(QRectF(x, area.top() + 2, textHeight * 0.8, textHeight * 0.8), s.color);
            painter.setPen(Qt::black);
            const double w = metrics.horizontalAdvance(s.label);
            painter.drawText(
                QRectF(x + textHeight, area.top(), w + 4, textHeight), Qt::AlignLeft | Qt::AlignVCenter, s.label);
            x += textHeight + w + 14;
        }
    }
    painter.restore();
}

QImage Render(int width, int height, const std::vector<Series>& series)
{
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    Paint(painter, QRectF(0, 0, image.width(), image.height()), series);
    painter.end();
    return image;
}

} // namespace ThicknessChart
