#pragma once

#include "canvas/CanvasTypes.h"

#include <QBrush>
#include <QFont>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>

#include <unordered_set>

class QPainter;
class TMyCAD;
class TMyShape;
class TMyLine;
class TMyRuleLine;
class TMyLinkLine;
class TMyPolyBezier;
class TMyText;
class TMyImage;
class TMyElliArc;

// Draws shapes of a canvas with QPainter in screen pixels of the canvas's current
// zoom. The same code serves the screen, picture exports, metafiles, printing and
// PDF; only the paint device differs. Without a painter nothing is drawn and the
// painter only measures: Bounds() then holds the area the drawing would cover, so
// that caches and damaged-area repaints use exactly the geometry that is drawn.
class ShapePainter
{
public:
    // printer selects the printer rules: pen widths are multiplied by the zoom, and
    // on a device that reports exactly two colours pens, brushes and text colours
    // become grey values (the integer mean of red, green and blue).
    ShapePainter(QPainter* painter, TMyCAD& cad, bool printer);

    // Draws the shape's members (recursively, in Children order) and then the shape
    // itself; an invisible shape draws nothing, neither do its members.
    void DrawWithMembers(TMyShape& shape);
    // Draws one shape of any kind (groups draw nothing of their own).
    void Draw(TMyShape& shape);
    // Blue crosses at the link points of the shape and its members.
    void DrawLinkPoints(const TMyShape& shape);
    // Node, side and caption handles. Members of a group get half-size squares; in the
    // rotate states top-level shapes show circles instead (none when rotating is off).
    void DrawHandles(TMyShape& shape, bool member, bool rotating);

    // The area covered by what was drawn or measured so far (screen pixels).
    const QRectF& Bounds() const { return m_bounds; }

    // Conversions of the canvas's style values.
    static QColor ToQColor(TColor color);
    // The font at the zoom: Font size x pixels per inch / 72 x zoom device pixels.
    QFont MakeFont(const TMyFont& font) const;
    // The shape's font; with LogUse its cell is LogHeight high and its characters
    // LogWidth wide on average (both times the zoom).
    QFont MakeShapeFont(const TMyShape& shape) const;
    // The shape's geometric pen (square caps, mitred joins); width 0 is the thinnest line.
    QPen MakePen(const TMyPen& pen) const;
    static QBrush MakeBrush(const TMyBrush& brush);
    // A colour as this painter draws it (grey on a two-colour printer).
    QColor Colour(TColor color) const;
    // MakeBrush with the colour as this painter draws it.
    QBrush ShapeBrush(const TMyBrush& brush) const;
    // The grey of a colour: the integer mean of red, green and blue in all three channels.
    static QColor Grey(const QColor& color);
    // The colour handles are filled with: shared by all canvases of the process.
    static TColor HotColor();
    static void SetHotColor(TColor color);

private:
    QPointF Screen(TMyPoint p) const;
    QPolygonF ScreenNodes(const TMyShape& shape) const;
    void DrawRecursive(TMyShape& shape, std::unordered_set<const TMyShape*>& seen);

    void DrawLine(TMyLine& line);
    void DrawRuleLine(TMyRuleLine& line);
    void DrawLinkLine(TMyLinkLine& line);
    void DrawArrow(QPointF end, QPointF neighbour, const TMyLine& line, const QPen& pen);
    // Strokes the segments through `points` and draws the arrow heads of the line's
    // ArrowStyle: ALeft at the last point, pointing away from the one before it;
    // ARight at the first point, pointing away from the second, or, for a rule line
    // (`ruleLineRight`), at the second-to-last point, pointing away from the last.
    void StrokeWithArrows(const QPolygonF& points, const TMyLine& line, const QPen& pen, bool ruleLineRight = false);
    void DrawPolyBezier(TMyPolyBezier& curve);
    void DrawEllipse(TMyShape& shape);
    void DrawText(TMyText& text);
    void DrawImage(TMyImage& image);
    void DrawElliArc(TMyElliArc& arc);
    void DrawLinkPointShape(TMyShape& shape, bool circles);
    // The Info text centred on CaptionPos, or else the MultiInfo block.
    void DrawInfo(const TMyShape& shape);
    // Gradient (clipped to the polygon), brush fill and outline.
    void FillAndOutline(TMyShape& shape, const QPolygonF& polygon);

    // Primitives: draw with the painter, or add to the measured bounds.
    void Stroke(const QPainterPath& path, const QPen& pen);
    void Fill(const QPainterPath& path, const QBrush& brush);
    // A text whose cell's top-left corner is at topLeft in the frame xf.
    void Text(const QString& text, QPointF topLeft, const QFont& font, const QColor& color,
        const QTransform& xf = QTransform(), const QPen* hollowPen = nullptr);
    // A picture stretched over target (in the frame xf), clipped to the screen path clip.
    void Picture(const QImage& picture, const QRectF& target, const QTransform& xf, const QPainterPath& clip);
    void Accumulate(const QRectF& rect);

    QPainter* m_painter;
    TMyCAD& m_cad;
    bool m_printer;
    bool m_grey = false;
    double m_zoom;
    QRectF m_bounds;
};
