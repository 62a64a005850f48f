#pragma once

#include "canvas/CanvasTypes.h"

#include <QRectF>
#include <QString>
#include <QStringList>

class TMyCAD;
class TMyImage;
class TMyLine;
class TMyRectangle;
class TMyText;

// Building blocks of report designs: shapes placed by their box in canvas units
// (one unit is one screen pixel at zoom 1, so an A4 page is 794 x 1123) on the
// canvas's current layer, with their variable bindings. Used by the generator of
// the shipped template and by the designer's tools. Each returns nullptr when the
// canvas has no layer.
namespace ReportDesign {

struct TextStyle
{
    int points = 10;
    bool bold = false;
    TColor color = 0x000000;
    TAlignment alignment = taLeftJustify;
    TVAlignment vAlignment = vaMiddle;
    QString fontName = QStringLiteral("Arial");
};

// A text box; each placeholder of `lines` takes the next of `variables`.
TMyText* AddText(TMyCAD& canvas, const QRectF& box, const QStringList& lines, const TextStyle& style = {},
    const QStringList& variables = {});
// An image box filled at output time from the picture file the variable names.
TMyImage* AddImage(TMyCAD& canvas, const QRectF& box, const QString& variable, bool border = true);
// A rectangle; a fill of -1 leaves it clear.
TMyRectangle* AddRectangle(TMyCAD& canvas, const QRectF& box, TColor fill, TColor pen, int penWidth = 1);
TMyLine* AddLine(TMyCAD& canvas, QPointF from, QPointF to, TColor pen, int penWidth = 1);

} // namespace ReportDesign
