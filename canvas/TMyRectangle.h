#pragma once

#include "canvas/TMyShape.h"

// A box of four corner nodes (top-left, top-right, bottom-right, bottom-left when
// unrotated), and the kinds built on it.
class TMyRectangle : public TMyShape
{
public:
    using TMyShape::TMyShape;
    const char* ClassName() const override { return "TMyRectangle"; }
    ShapeKind Kind() const override { return ShapeKind::Rectangle; }

    bool AssociateSideResizing() const { return m_associateSideResizing; }
    void SetAssociateSideResizing(bool value) { m_associateSideResizing = value; }
    bool ShowSideHot() const { return m_showSideHot; }
    void SetShowSideHot(bool value) { m_showSideHot = value; }
    bool ShowHorizontalSideHot() const { return m_showHorizontalSideHot; }
    void SetShowHorizontalSideHot(bool value) { m_showHorizontalSideHot = value; }
    bool ShowVerticalSideHot() const { return m_showVerticalSideHot; }
    void SetShowVerticalSideHot(bool value) { m_showVerticalSideHot = value; }

    bool IsComplete() const override { return Nodes().size() == 4; }
    // The first call adds a corner, the second the three others (same row, opposite, same column).
    void AddNode(QPointF screenPoint) override;
    QString GetMeasureText() const override;
    // Handles 0-3 at the corners, 4-7 at the edge middles (when enabled); the highest index wins.
    int NodeAt(QPointF screenPoint) override;
    // Inside the polygon of the four corners, whatever the brush.
    bool HitTest(QPointF screenPoint) const override;
    // A corner (HotNode 0-3) takes its two neighbours along so that the box stays a
    // box; a side handle (4-7) moves its edge. Works on the unrotated box.
    void DragNode(QPointF fromPoint, QPointF toPoint) override;
    // Diagonal resize cursors over corners (by the corner's quadrant about Center),
    // vertical over handles 4 and 6, horizontal over 5 and 7.
    Qt::CursorShape CursorAt(QPointF screenPoint) override;

private:
    bool m_associateSideResizing = false;
    bool m_showSideHot = true;
    bool m_showHorizontalSideHot = true;
    bool m_showVerticalSideHot = true;
};

class TMyEllipse : public TMyRectangle
{
public:
    using TMyRectangle::TMyRectangle;
    const char* ClassName() const override { return "TMyEllipse"; }
    ShapeKind Kind() const override { return ShapeKind::Ellipse; }
    QString GetMeasureText() const override;
};

// A text box: Lines drawn inside the box, aligned and optionally wrapped.
class TMyText : public TMyRectangle
{
public:
    using TMyRectangle::TMyRectangle;
    const char* ClassName() const override { return "TMyText"; }
    ShapeKind Kind() const override { return ShapeKind::Text; }

    TAlignment HAlignment() const { return m_hAlignment; }
    void SetHAlignment(TAlignment alignment) { m_hAlignment = alignment; }
    bool IsBorder() const { return m_isBorder; }
    void SetIsBorder(bool value) { m_isBorder = value; }
    bool IsSolid() const { return m_isSolid; }
    void SetIsSolid(bool value) { m_isSolid = value; }
    const QStringList& Lines() const { return m_lines; }
    void SetLines(const QStringList& lines) { m_lines = lines; }
    TVAlignment VAlignment() const { return m_vAlignment; }
    void SetVAlignment(TVAlignment alignment) { m_vAlignment = alignment; }
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool value) { m_wordWrap = value; }

    // Also copies IsBorder, IsSolid, Lines and both alignments (not WordWrap).
    void Assign(const TMyShape& source) override;
    // Mirrors the box and keeps its corners in reading order, so the text stays upright.
    void FlipHorz() override;
    void FlipVert() override;
    QString GetMeasureText() const override { return m_lines.join(QLatin1Char(' ')); }
    void LoadFromStream(StreamReader& reader, StreamVersion version) override;
    void SaveToStream(StreamWriter& writer) const override;

private:
    void NormaliseCorners();

    TAlignment m_hAlignment = taCenter;
    bool m_isBorder = false;
    bool m_isSolid = true;
    QStringList m_lines;
    TVAlignment m_vAlignment = vaMiddle;
    bool m_wordWrap = false;
};

// A group: its members are listed by list index in Children and draw themselves.
class TMyGroup : public TMyRectangle
{
public:
    using TMyRectangle::TMyRectangle;
    const char* ClassName() const override { return "TMyGroup"; }
    ShapeKind Kind() const override { return ShapeKind::Group; }
};

class TMyCombine : public TMyGroup
{
public:
    using TMyGroup::TMyGroup;
    const char* ClassName() const override { return "TMyCombine"; }
    ShapeKind Kind() const override { return ShapeKind::Combine; }
};

// A small square to which link lines attach.
class TMyLinkPoint : public TMyRectangle
{
public:
    using TMyRectangle::TMyRectangle;
    const char* ClassName() const override { return "TMyLinkPoint"; }
    ShapeKind Kind() const override { return ShapeKind::LinkPoint; }

    uint8_t Size() const { return m_size; }
    void SetSize(uint8_t size) { m_size = size; }

    // Makes the shape a square of Size units with its top-left corner at the point.
    void AddNode(QPointF screenPoint) override;
    void LoadFromStream(StreamReader& reader, StreamVersion version) override;
    void SaveToStream(StreamWriter& writer) const override;

private:
    uint8_t m_size = 8;
};

class TMyLineLinkLine : public TMyLinkPoint
{
public:
    using TMyLinkPoint::TMyLinkPoint;
    const char* ClassName() const override { return "TMyLineLinkLine"; }
    ShapeKind Kind() const override { return ShapeKind::LineLinkLine; }
};
