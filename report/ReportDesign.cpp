#include "report/ReportDesign.h"

#include "canvas/TMyCAD.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "report/ReportVariables.h"

#include <memory>

namespace ReportDesign {

namespace {

TMyPoint Point(QPointF p)
{
    return TMyPoint { float(p.x()), float(p.y()) };
}

// Gives the shape its box corners (clockwise from the top left) and puts it on the canvas.
template <typename Shape> Shape* Place(TMyCAD& canvas, std::unique_ptr<Shape> shape, const std::vector<QPointF>& nodes)
{
    for (const QPointF& p : nodes)
        shape->Nodes().push_back(Point(p));
    shape->ResetCenter();
    return static_cast<Shape*>(canvas.AppendShape(std::move(shape)));
}

std::vector<QPointF> Corners(const QRectF& box)
{
    return { box.topLeft(), box.topRight(), box.bottomRight(), box.bottomLeft() };
}

TMyPen Pen(TColor color, int width)
{
    TMyPen pen;
    pen.color = color;
    pen.width = width;
    return pen;
}

} // namespace

TMyText* AddText(
    TMyCAD& canvas, const QRectF& box, const QStringList& lines, const TextStyle& style, const QStringList& variables)
{
    auto text = std::make_unique<TMyText>(&canvas);
    TMyFont font;
    font.name = style.fontName;
    font.SetSize(style.points);
    font.color = style.color;
    font.style = style.bold ? fsBold : 0;
    text->SetFont(font);
    text->SetHAlignment(style.alignment);
    text->SetVAlignment(style.vAlignment);
    text->SetWordWrap(false);
    if (!variables.isEmpty())
        ReportVariables::SetTextBinding(*text, lines, variables);
    else
        text->SetLines(lines);
    return Place(canvas, std::move(text), Corners(box));
}

TMyImage* AddImage(TMyCAD& canvas, const QRectF& box, const QString& variable, bool border)
{
    auto image = std::make_unique<TMyImage>(&canvas);
    image->SetBorder(border);
    TMyBrush clear;
    clear.style = bsClear;
    image->SetBrush(clear);
    image->SetPen(Pen(0x808080, 1));
    ReportVariables::SetImageBinding(*image, variable);
    return Place(canvas, std::move(image), Corners(box));
}

TMyRectangle* AddRectangle(TMyCAD& canvas, const QRectF& box, TColor fill, TColor pen, int penWidth)
{
    auto rectangle = std::make_unique<TMyRectangle>(&canvas);
    TMyBrush brush;
    brush.color = fill < 0 ? 0xFFFFFF : fill;
    brush.style = fill < 0 ? bsClear : bsSolid;
    rectangle->SetBrush(brush);
    rectangle->SetPen(Pen(pen, penWidth));
    return Place(canvas, std::move(rectangle), Corners(box));
}

TMyLine* AddLine(TMyCAD& canvas, QPointF from, QPointF to, TColor pen, int penWidth)
{
    auto line = std::make_unique<TMyLine>(&canvas);
    line->SetArrowStyle(ANone);
    line->SetPen(Pen(pen, penWidth));
    return Place(canvas, std::move(line), { from, to });
}

} // namespace ReportDesign
