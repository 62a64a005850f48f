#pragma once

#include "canvas/TMyShape.h"

// A cubic Bezier poly curve: a start node, then two control points and an end
// point per segment (3n + 1 nodes).
class TMyPolyBezier : public TMyShape
{
public:
    using TMyShape::TMyShape;
    const char* ClassName() const override { return "TMyPolyBezier"; }
    ShapeKind Kind() const override { return ShapeKind::PolyBezier; }

    bool IsComplete() const override;
    // Appends a clicked point; when a segment's fourth point arrives, the segment ends
    // at the midpoint of the last two clicked control points and the next one starts
    // there (a smooth join). Finishing the curve on that click makes the click its end.
    void AddNode(QPointF screenPoint) override;
    int NodeAt(QPointF screenPoint) override;
    bool HitTest(QPointF screenPoint) const override;

    // The curve flattened into logical points, `steps` per segment.
    std::vector<TMyPoint> Flatten(int steps) const;
};
