#include "canvas/ShapeKind.h"

const char* ShapeKindClassName(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::Line:
        return "TMyLine";
    case ShapeKind::RuleLine:
        return "TMyRuleLine";
    case ShapeKind::PolyLine:
        return "TMyPolyLine";
    case ShapeKind::Polygon:
        return "TMyPolygon";
    case ShapeKind::LinkLine:
        return "TMyLinkLine";
    case ShapeKind::Rectangle:
        return "TMyRectangle";
    case ShapeKind::Ellipse:
        return "TMyEllipse";
    case ShapeKind::Text:
        return "TMyText";
    case ShapeKind::Group:
        return "TMyGroup";
    case ShapeKind::Combine:
        return "TMyCombine";
    case ShapeKind::LinkPoint:
        return "TMyLinkPoint";
    case ShapeKind::LineLinkLine:
        return "TMyLineLinkLine";
    case ShapeKind::ElliArc:
        return "TMyElliArc";
    case ShapeKind::PolyBezier:
        return "TMyPolyBezier";
    case ShapeKind::Image:
        return "TMyImage";
    }
    return "TMyShape"; // not a kind: a value cast from outside the enumeration
}

bool IsLineKind(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::Line:
    case ShapeKind::RuleLine:
    case ShapeKind::PolyLine:
    case ShapeKind::Polygon:
    case ShapeKind::LinkLine:
        return true;
    case ShapeKind::Rectangle:
    case ShapeKind::Ellipse:
    case ShapeKind::Text:
    case ShapeKind::Group:
    case ShapeKind::Combine:
    case ShapeKind::LinkPoint:
    case ShapeKind::LineLinkLine:
    case ShapeKind::ElliArc:
    case ShapeKind::PolyBezier:
    case ShapeKind::Image:
        return false;
    }
    return false;
}

bool IsRectangleKind(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::Rectangle:
    case ShapeKind::Ellipse:
    case ShapeKind::Text:
    case ShapeKind::Group:
    case ShapeKind::Combine:
    case ShapeKind::LinkPoint:
    case ShapeKind::LineLinkLine:
    case ShapeKind::Image:
        return true;
    case ShapeKind::Line:
    case ShapeKind::RuleLine:
    case ShapeKind::PolyLine:
    case ShapeKind::Polygon:
    case ShapeKind::LinkLine:
    case ShapeKind::ElliArc:
    case ShapeKind::PolyBezier:
        return false;
    }
    return false;
}

int ArrowResizeNode(ShapeKind kind)
{
    switch (kind) {
    case ShapeKind::Rectangle:
    case ShapeKind::Text:
    case ShapeKind::Image:
    case ShapeKind::Ellipse:
        return 2;
    case ShapeKind::Line:
    case ShapeKind::RuleLine:
        return 1;
    case ShapeKind::PolyLine:
    case ShapeKind::Polygon:
    case ShapeKind::LinkLine:
    case ShapeKind::Group:
    case ShapeKind::Combine:
    case ShapeKind::LinkPoint:
    case ShapeKind::LineLinkLine:
    case ShapeKind::ElliArc:
    case ShapeKind::PolyBezier:
        return -1;
    }
    return -1;
}
