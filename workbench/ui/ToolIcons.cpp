#include "workbench/ui/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

constexpr int kSize = 24;
constexpr qreal kRatio = 2.0;

QPixmap Draw(int size, const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(int(size * kRatio), int(size * kRatio));
    pixmap.setDevicePixelRatio(kRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x30, 0x30, 0x40), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    draw(painter);
    return pixmap;
}

QIcon IconOf(const std::function<void(QPainter&)>& draw)
{
    return QIcon(Draw(kSize, draw));
}

void Curve(QPainter& p, qreal dy)
{
    QPainterPath path(QPointF(4, 19 + dy));
    path.cubicTo(QPointF(8, 2 + dy), QPointF(15, 22 + dy), QPointF(20, 5 + dy));
    p.drawPath(path);
}

QCursor CrossCursor(bool add)
{
    const QPixmap pixmap = Draw(32, [add](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, false);
        // A white halo keeps the cross visible on dark and light picture areas.
        for (const auto& [color, width] : { std::pair { QColor(Qt::white), 3.0 }, { QColor(Qt::black), 1.0 } }) {
            p.setPen(QPen(color, width));
            p.drawLine(QPointF(16, 3), QPointF(16, 13));
            p.drawLine(QPointF(16, 19), QPointF(16, 29));
            p.drawLine(QPointF(3, 16), QPointF(13, 16));
            p.drawLine(QPointF(19, 16), QPointF(29, 16));
            if (add) {
                p.drawLine(QPointF(25, 2), QPointF(25, 10));
                p.drawLine(QPointF(21, 6), QPointF(29, 6));
            }
        }
    });
    return QCursor(pixmap, 16, 16);
}

} // namespace

namespace ToolIcons {

QIcon Icon(ToolButton button)
{
    switch (button) {
    case ToolButton::Select:
        return IconOf([](QPainter& p) {
            p.setBrush(Qt::white);
            p.drawPolygon(
                QPolygonF({ { 6, 3 }, { 6, 19 }, { 10, 15 }, { 13, 21 }, { 15, 20 }, { 12, 14 }, { 18, 14 } }));
        });
    case ToolButton::QuickHairCount:
        return IconOf([](QPainter& p) {
            p.setBrush(QColor(0x30, 0x30, 0x40));
            for (const QPointF c : { QPointF(7, 7), QPointF(16, 9), QPointF(9, 16), QPointF(17, 18) })
                p.drawEllipse(c, 2, 2);
        });
    case ToolButton::Line:
        return IconOf([](QPainter& p) { p.drawLine(QPointF(4, 20), QPointF(20, 4)); });
    case ToolButton::MultLine:
        return IconOf([](QPainter& p) {
            p.drawLine(QPointF(3, 16), QPointF(15, 4));
            p.drawLine(QPointF(9, 21), QPointF(21, 9));
        });
    case ToolButton::Spline:
        return IconOf([](QPainter& p) { Curve(p, 0); });
    case ToolButton::MultSpline:
        return IconOf([](QPainter& p) {
            Curve(p, -3);
            Curve(p, 3);
        });
    case ToolButton::FollicularUnit:
        return IconOf([](QPainter& p) { p.drawEllipse(QRectF(3, 7, 18, 10)); });
    case ToolButton::MultFollicularUnit:
        return IconOf([](QPainter& p) {
            p.drawEllipse(QRectF(2, 3, 14, 8));
            p.drawEllipse(QRectF(8, 13, 14, 8));
        });
    case ToolButton::Label:
        return IconOf([](QPainter& p) {
            QFont font = p.font();
            font.setPixelSize(18);
            font.setBold(true);
            p.setFont(font);
            p.drawText(QRectF(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("A"));
        });
    case ToolButton::Measure:
        return IconOf([](QPainter& p) {
            p.drawRect(QRectF(2, 8, 20, 8));
            for (int x = 5; x < 22; x += 3)
                p.drawLine(QPointF(x, 8), QPointF(x, x % 2 ? 11 : 13));
        });
    case ToolButton::None:
        break;
    }
    return QIcon();
}

QIcon Icon(Toggle toggle)
{
    switch (toggle) {
    case Toggle::Border:
        return IconOf([](QPainter& p) {
            p.setPen(QPen(QColor(0x79, 0xD3, 0x00), 2.2));
            p.drawEllipse(QRectF(3, 3, 18, 18));
        });
    case Toggle::HideHairs:
        return IconOf([](QPainter& p) {
            Curve(p, 0);
            p.drawLine(QPointF(6, 20), QPointF(12, 4));
        });
    case Toggle::Grid:
        return IconOf([](QPainter& p) {
            for (int i = 4; i <= 20; i += 8) {
                p.drawLine(QPointF(i, 3), QPointF(i, 21));
                p.drawLine(QPointF(3, i), QPointF(21, i));
            }
        });
    case Toggle::Results:
        return IconOf([](QPainter& p) {
            p.drawRect(QRectF(3, 3, 18, 18));
            for (int y = 8; y <= 16; y += 4)
                p.drawLine(QPointF(3, y), QPointF(21, y));
            p.drawLine(QPointF(10, 3), QPointF(10, 21));
        });
    }
    return QIcon();
}

QCursor MeasureCursor()
{
    return CrossCursor(false);
}

QCursor MeasureAddCursor()
{
    return CrossCursor(true);
}

} // namespace ToolIcons
