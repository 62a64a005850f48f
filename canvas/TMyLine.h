#pragma once

#include "canvas/TMyShape.h"

// A straight line of two nodes with optional arrow heads, and the kinds built on it.
class TMyLine : public TMyShape
{
public:
    // Takes the arrow settings of the canvas.
    explicit TMyLine(TMyCAD* owner);
    const char* ClassName() const override { return "TMyLine"; }
    ShapeKind Kind() const override { return ShapeKind::Line; }

    int ArrowAngle() const { return m_arrowAngle; }
    void SetArrowAngle(int angle) { m_arrowAngle = angle; }
    uint8_t ArrowLength() const { return m_arrowLength; }
    void SetArrowLength(uint8_t length) { m_arrowLength = length; }
    uint8_t ArrowOffset() const { return m_arrowOffset; }
    void SetArrowOffset(uint8_t offset) { m_arrowOffset = offset; }
    TArrowStyle ArrowStyle() const { return m_arrowStyle; }
    void SetArrowStyle(TArrowStyle style) { m_arrowStyle = style; }

    bool IsComplete() const override { return Nodes().size() == 2; }
    // Copies the arrow angle, length and style (not the offset).
    void Assign(const TMyShape& source) override;
    QString GetMeasureText() const override;
    int NodeAt(QPointF screenPoint) override;
    bool HitTest(QPointF screenPoint) const override;
    void LoadFromStream(StreamReader& reader, StreamVersion version) override;
    void SaveToStream(StreamWriter& writer) const override;

private:
    int m_arrowAngle = 10;
    uint8_t m_arrowLength = 30;
    uint8_t m_arrowOffset = 0;
    TArrowStyle m_arrowStyle = ANone;
};

// A measuring line that shows its length (or a caller's text) above itself.
class TMyRuleLine : public TMyLine
{
public:
    // Font size 8, arrows double with angle 10 and length 20.
    explicit TMyRuleLine(TMyCAD* owner);
    const char* ClassName() const override { return "TMyRuleLine"; }
    ShapeKind Kind() const override { return ShapeKind::RuleLine; }

    bool ShowUserInfo() const { return m_showUserInfo; }
    void SetShowUserInfo(bool show) { m_showUserInfo = show; }
    TTickStyle TickStyle() const { return m_tickStyle; }
    void SetTickStyle(TTickStyle style) { m_tickStyle = style; }
    const QString& UserInfo() const { return m_userInfo; }
    void SetUserInfo(const QString& text) { m_userInfo = text; }

    // Also copies UserInfo (not ShowUserInfo or TickStyle).
    void Assign(const TMyShape& source) override;
    void LoadFromStream(StreamReader& reader, StreamVersion version) override;
    void SaveToStream(StreamWriter& writer) const override;

private:
    bool m_showUserInfo = false;
    TTickStyle m_tickStyle = tsLine;
    QString m_userInfo;
};

// A line through two or more nodes, without arrows by default.
class TMyPolyLine : public TMyLine
{
public:
    explicit TMyPolyLine(TMyCAD* owner);
    const char* ClassName() const override { return "TMyPolyLine"; }
    ShapeKind Kind() const override { return ShapeKind::PolyLine; }
    bool IsComplete() const override { return Nodes().size() >= 2; }
};

// A closed poly line: the last node repeats the first.
class TMyPolygon : public TMyPolyLine
{
public:
    using TMyPolyLine::TMyPolyLine;
    const char* ClassName() const override { return "TMyPolygon"; }
    ShapeKind Kind() const override { return ShapeKind::Polygon; }
    bool IsComplete() const override;
    QString GetMeasureText() const override;
    // Inside the polygon or on its outline.
    bool HitTest(QPointF screenPoint) const override;
    // The first and the closing node move together.
    void DragNode(QPointF fromPoint, QPointF toPoint) override;
};

// A connector whose ends may be attached to link points of other shapes.
class TMyLinkLine : public TMyLine
{
public:
    // Takes the canvas's link-line drawing style.
    explicit TMyLinkLine(TMyCAD* owner);
    const char* ClassName() const override { return "TMyLinkLine"; }
    ShapeKind Kind() const override { return ShapeKind::LinkLine; }

    // List index of the shape the start (first node) is attached to, -1 when free.
    int StartShapeIndex() const { return m_startShape; }
    int StartLinkPointIndex() const { return m_startLinkPoint; }
    int EndShapeIndex() const { return m_endShape; }
    int EndLinkPointIndex() const { return m_endLinkPoint; }
    void SetStart(int shapeIndex, int linkPointIndex);
    void SetEnd(int shapeIndex, int linkPointIndex);
    TLinkLineDrawStyle LinkLineDrawStyle() const { return m_drawStyle; }
    void SetLinkLineDrawStyle(TLinkLineDrawStyle style) { m_drawStyle = style; }
    bool AutoRoute() const { return m_autoRoute; }
    int RouteSpacing() const { return m_routeSpacing; }

    bool IsComplete() const override { return Nodes().size() >= 2; }
    // Also copies both ends and the drawing style.
    void Assign(const TMyShape& source) override;
    void LoadFromStream(StreamReader& reader, StreamVersion version) override;
    void SaveToStream(StreamWriter& writer) const override;

private:
    int m_startShape = -1;
    int m_startLinkPoint = -1;
    int m_endShape = -1;
    int m_endLinkPoint = -1;
    TLinkLineDrawStyle m_drawStyle = lldsHV;
    bool m_autoRoute = true;
    int m_routeSpacing = 8;
};
