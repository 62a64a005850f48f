#pragma once

// Every file that sees the shape kinds treats a switch over an enumeration that
// misses a value (and has no default) as an error, in every build: a new kind fails
// to compile in each dispatch until it is handled there.
#pragma GCC diagnostic error "-Wswitch"

// The concrete shape classes of the canvas, one value each. Code that treats shape
// classes differently switches over TMyShape::Kind() with a case for every value and
// no default. A new shape class gets its own value and overrides Kind(); otherwise
// it would be dispatched as its base class.
enum class ShapeKind {
    Line,
    RuleLine,
    PolyLine,
    Polygon,
    LinkLine,
    Rectangle,
    Ellipse,
    Text,
    Group,
    Combine,
    LinkPoint,
    LineLinkLine,
    ElliArc,
    PolyBezier,
    Image, // stays last: kShapeKindCount counts up to it
};

inline constexpr int kShapeKindCount = int(ShapeKind::Image) + 1;

// The stream class name of a kind ("TMyRuleLine"), as TMyShape::ClassName() gives it.
const char* ShapeKindClassName(ShapeKind kind);

// The kinds built on TMyLine (two or more nodes with arrow heads): Line, RuleLine,
// PolyLine, Polygon, LinkLine.
bool IsLineKind(ShapeKind kind);
// The kinds built on TMyRectangle (a box of four corner nodes): Rectangle, Ellipse,
// Text, Group, Combine, LinkPoint, LineLinkLine, Image.
bool IsRectangleKind(ShapeKind kind);
// The node that Shift+arrow moves to resize a shape: the bottom-right corner of boxes,
// texts, pictures and ellipses (2), the second end of lines and rule lines (1); -1 for
// kinds without such a handle.
int ArrowResizeNode(ShapeKind kind);
