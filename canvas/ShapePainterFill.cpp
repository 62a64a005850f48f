// Shape drawing: fills with gradients, texts (info texts, MultiInfo blocks, text
// boxes) and pictures.
#include "canvas/ShapePainter.h"

#include "canvas/GradientTemplate.h"
#include "canvas/TMyCAD.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyRectangle.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

// The box of a shape as it is before its rotation: centre, width and height in
// screen pixels and the angle. Rectangle kinds take the sides of their corner
// nodes (which turn with the shape); other kinds take their node box, unrotated.
struct UnrotatedBox
{
    QPointF centre;
    double width = 0;
    double height = 0;
    double angle = 0;

    QTransform Frame() const
    {
        QTransform frame;
        frame.translate(centre.x(), centre.y());
        frame.rotateRadians(angle);
        return frame;
    }
    QRectF Local() const { return QRectF(-width / 2.0, -height / 2.0, width, height); }
};

UnrotatedBox BoxOf(const TMyShape& shape, double zoom)
{
    UnrotatedBox box;
    const auto& n = shape.Nodes();
    if (n.size() == 4 && dynamic_cast<const TMyRectangle*>(&shape) != nullptr) {
        box.width = std::hypot(n[1].x - n[0].x, n[1].y - n[0].y) * zoom;
        box.height = std::hypot(n[2].x - n[1].x, n[2].y - n[1].y) * zoom;
        box.centre = QPointF(
            (n[0].x + n[1].x + n[2].x + n[3].x) / 4.0 * zoom, (n[0].y + n[1].y + n[2].y + n[3].y) / 4.0 * zoom);
        box.angle = shape.Angle();
        return box;
    }
    box.width = shape.Width() * zoom;
    box.height = shape.Height() * zoom;
    const TMyPoint c = shape.BoxCenter();
    box.centre = QPointF(c.x * zoom, c.y * zoom);
    return box;
}

// Breaks a line character by character where it gets wider than the box; a single
// character wider than the box stays alone on its line.
QStringList WrapLine(const QString& line, const QFontMetricsF& metrics, double boxWidth)
{
    QStringList parts;
    QString rest = line;
    while (!rest.isEmpty() && metrics.horizontalAdvance(rest) > boxWidth) {
        int count = 1;
        while (count < rest.size() && metrics.horizontalAdvance(rest.left(count + 1)) <= boxWidth)
            ++count;
        parts.append(rest.left(count));
        rest = rest.mid(count);
    }
    if (!rest.isEmpty() || parts.isEmpty())
        parts.append(rest);
    return parts;
}

} // namespace

void ShapePainter::Text(const QString& text, QPointF topLeft, const QFont& font, const QColor& color,
    const QTransform& xf, const QPen* hollowPen)
{
    if (text.isEmpty())
        return;
    const QFontMetricsF metrics(font);
    if (m_painter == nullptr) {
        const QRectF cell(topLeft, QSizeF(metrics.horizontalAdvance(text), metrics.height()));
        const double margin = 2.0 + (hollowPen != nullptr ? hollowPen->widthF() : 0.0) + metrics.height() / 4.0;
        Accumulate(xf.mapRect(cell).adjusted(-margin, -margin, margin, margin));
        return;
    }
    m_painter->save();
    m_painter->setTransform(xf, true);
    const QPointF baseline = topLeft + QPointF(0, metrics.ascent());
    if (hollowPen != nullptr) {
        QPainterPath outlines;
        outlines.addText(baseline, font, text);
        m_painter->strokePath(outlines, *hollowPen);
    } else {
        m_painter->setFont(font);
        m_painter->setPen(color);
        m_painter->drawText(baseline, text);
    }
    m_painter->restore();
}

void ShapePainter::Picture(const QImage& picture, const QRectF& target, const QTransform& xf, const QPainterPath& clip)
{
    if (picture.isNull() || target.isEmpty())
        return;
    if (m_painter == nullptr) {
        Accumulate(xf.mapRect(target).intersected(clip.boundingRect()).adjusted(-1, -1, 1, 1));
        return;
    }
    m_painter->save();
    if (xf.type() > QTransform::TxTranslate || !clip.boundingRect().contains(xf.mapRect(target)))
        m_painter->setClipPath(clip, Qt::IntersectClip);
    m_painter->setTransform(xf, true);
    m_painter->drawImage(target, picture);
    m_painter->restore();
}

void ShapePainter::FillAndOutline(TMyShape& shape, const QPolygonF& polygon)
{
    QPainterPath region;
    region.setFillRule(Qt::WindingFill);
    region.addPolygon(polygon);
    region.closeSubpath();
    const TGradientStyle style = shape.GradientStyle();
    if (style < gsNone) {
        if (shape.GradientBitmap().isNull() && m_painter != nullptr)
            shape.SetGradientBitmap(GradientTemplate::Render(style, shape.ColorBegin(), shape.ColorEnd()));
        const QImage& gradient = shape.GradientBitmap();
        const UnrotatedBox box = BoxOf(shape, m_zoom);
        const bool mirror = shape.IsFlipHorz() || shape.IsFlipVert();
        Picture(mirror ? gradient.mirrored(shape.IsFlipHorz(), shape.IsFlipVert()) : gradient, box.Local(), box.Frame(),
            region);
        if (m_painter == nullptr)
            Accumulate(region.boundingRect());
    }
    Fill(region, ShapeBrush(shape.Brush()));
    Stroke(region, MakePen(shape.Pen()));
}

void ShapePainter::DrawInfo(const TMyShape& shape)
{
    if (!shape.CaptionShow())
        return;
    const QPointF c = Screen(shape.CaptionPos());
    const QFont font = MakeShapeFont(shape);
    const QColor color = Colour(shape.Font().color);
    const QFontMetricsF metrics(font);
    if (!shape.Info().isEmpty()) {
        const double w = metrics.horizontalAdvance(shape.Info());
        Text(shape.Info(), QPointF(c.x() - w / 2.0, c.y() - metrics.height() / 2.0), font, color);
        return;
    }
    const QStringList& lines = shape.MultiInfo();
    if (lines.isEmpty())
        return;
    std::vector<double> widths;
    double blockWidth = 0;
    for (const QString& line : lines) {
        widths.push_back(metrics.horizontalAdvance(line));
        blockWidth = std::max(blockWidth, widths.back());
    }
    const double h = metrics.height();
    const double left = c.x() - blockWidth / 2.0;
    double y = c.y() - h * lines.size() / 2.0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const double w = widths[size_t(i)];
        double x = left;
        if (shape.MultiInfoAlignment() == taRightJustify)
            x = left + blockWidth - w;
        else if (shape.MultiInfoAlignment() == taCenter)
            x = left + std::round((blockWidth - w) / 2.0);
        Text(lines[i], QPointF(x, y), font, color);
        y += h;
    }
}

void ShapePainter::DrawText(TMyText& text)
{
    QPolygonF corners = ScreenNodes(text);
    if (corners.size() < 4)
        return;
    if (text.IsBorder()) {
        corners.append(corners.front());
        FillAndOutline(text, corners);
    }
    const UnrotatedBox box = BoxOf(text, m_zoom);
    const QTransform frame = box.Frame();
    const QRectF local = box.Local();
    const QFont font = MakeShapeFont(text);
    const QFontMetricsF metrics(font);
    const QColor color = Colour(text.Font().color);
    const QPen hollow = MakePen(text.Pen());
    const QPen* hollowPen = text.IsSolid() ? nullptr : &hollow;

    QStringList lines;
    for (const QString& line : text.Lines())
        lines += text.WordWrap() ? WrapLine(line, metrics, local.width()) : QStringList { line };
    if (lines.isEmpty()) {
        const double w = metrics.horizontalAdvance(text.Info());
        Text(text.Info(), QPointF(-w / 2.0, -metrics.height() / 2.0), font, color, frame, hollowPen);
        return;
    }
    const double h = metrics.height();
    const auto n = static_cast<double>(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const double w = metrics.horizontalAdvance(lines[i]);
        double x = local.left();
        if (text.HAlignment() == taRightJustify)
            x = local.left() + local.width() - w;
        else if (text.HAlignment() == taCenter)
            x = local.left() + (local.width() - w) / 2.0;
        double y = local.top() + double(i) * h;
        if (text.VAlignment() == vaMiddle)
            y = local.top() + (local.height() - n * h) / 2.0 + double(i) * h;
        else if (text.VAlignment() == vaBottom)
            y = local.top() + local.height() - (n - double(i)) * h;
        Text(lines[i], QPointF(x, y), font, color, frame, hollowPen);
    }
}

void ShapePainter::DrawImage(TMyImage& image)
{
    QPolygonF corners = ScreenNodes(image);
    if (corners.size() < 4)
        return;
    corners.append(corners.front());
    if (image.Bitmap().isNull()) {
        QPainterPath cross;
        cross.addPolygon(corners);
        cross.moveTo(corners[0]);
        cross.lineTo(corners[2]);
        cross.moveTo(corners[1]);
        cross.lineTo(corners[3]);
        Stroke(cross, QPen(QColor(0x80, 0x80, 0x80), 1));
    } else {
        const UnrotatedBox box = BoxOf(image, m_zoom);
        QPainterPath clip;
        clip.addPolygon(corners);
        Picture(m_painter != nullptr ? image.AdjustedBitmap() : image.Bitmap(), box.Local(), box.Frame(), clip);
    }
    // The border is the outline only: filled with the shape's brush it would hide the
    // picture it frames.
    if (image.Border()) {
        QPainterPath border;
        border.addPolygon(corners);
        Stroke(border, MakePen(image.Pen()));
    }
    DrawInfo(image);
}
