#pragma once

#include "canvas/TMyShape.h"

// An arc through three nodes: it starts at node 0, passes node 1 and ends at node 2.
class TMyElliArc : public TMyShape
{
public:
    using TMyShape::TMyShape;
    const char* ClassName() const override { return "TMyElliArc"; }
    ShapeKind Kind() const override { return ShapeKind::ElliArc; }

    TArcMode ArcMode() const { return m_arcMode; }
    void SetArcMode(TArcMode mode) { m_arcMode = mode; }
    TArcStyle ArcStyle() const { return m_arcStyle; }
    void SetArcStyle(TArcStyle style) { m_arcStyle = style; }

    struct Circle
    {
        double cx = 0, cy = 0, radius = 0;
        double startAngle = 0; // radians, mathematical orientation in logical coordinates
        double sweep = 0; // signed, from node 0 through node 1 to node 2
    };
    // The circle through the three nodes; false when they are collinear or missing.
    bool CircleThroughNodes(Circle& circle) const;

    bool IsComplete() const override { return Nodes().size() == 3; }
    // Also copies ArcStyle and ArcMode.
    void Assign(const TMyShape& source) override;
    int NodeAt(QPointF screenPoint) override;
    bool HitTest(QPointF screenPoint) const override;
    void LoadFromStream(StreamReader& reader, StreamVersion version) override;
    void SaveToStream(StreamWriter& writer) const override;

private:
    TArcMode m_arcMode = amCircle;
    TArcStyle m_arcStyle = asArc;
};
