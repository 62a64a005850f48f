#pragma once

#include "canvas/CanvasTypes.h"
#include "canvas/ShapeKind.h"
#include "canvas/TUserData.h"

#include <QImage>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class TMyCAD;
class StreamReader;
class StreamWriter;

// Stream versions in the order they appeared; a field is present from its version on.
enum StreamVersion : int { XP2, XP3, XP4, XP5, XP6, XP7, XP8, XP9, XPa, XPe, XPh };

// The base of every shape on a canvas. A shape belongs to exactly one canvas, which
// creates, renumbers and frees it. Nodes are in logical units; operations that take
// points from callers or the mouse take screen pixels (logical x Zoom).
class TMyShape
{
public:
    explicit TMyShape(TMyCAD* owner);
    virtual ~TMyShape();
    TMyShape(const TMyShape&) = delete;
    TMyShape& operator=(const TMyShape&) = delete;

    // The class name under which the shape is stored in canvas streams.
    virtual const char* ClassName() const { return "TMyShape"; }
    // The concrete class, for the switches that treat classes differently.
    virtual ShapeKind Kind() const = 0;

    TMyCAD* OwnerCAD() const { return m_owner; }

    // --- identity and structure (kept consistent by the canvas) ---
    const QString& Name() const { return m_name; }
    // Sets the component name; an empty Caption takes the name.
    void SetName(const QString& name);
    int ShapeId() const { return m_shapeId; }
    void SetShapeId(int id) { m_shapeId = id; }
    int ShapeIndex() const { return m_shapeIndex; }
    void SetShapeIndex(int index) { m_shapeIndex = index; }
    int LayerId() const { return m_layerId; }
    void SetLayerId(int id) { m_layerId = id; }
    int ParentGroup() const { return m_parentGroup; }
    void SetParentGroup(int index) { m_parentGroup = index; }
    std::vector<int>& Children() { return m_children; }
    const std::vector<int>& Children() const { return m_children; }
    std::vector<int>& Links() { return m_links; }
    const std::vector<int>& Links() const { return m_links; }
    int HotNode() const { return m_hotNode; }
    void SetHotNode(int node) { m_hotNode = node; }

    // --- geometry ---
    std::vector<TMyPoint>& Nodes() { return m_nodes; }
    const std::vector<TMyPoint>& Nodes() const { return m_nodes; }
    std::vector<TMyPoint>& LinkPoints() { return m_linkPoints; }
    const std::vector<TMyPoint>& LinkPoints() const { return m_linkPoints; }
    TMyPoint Center() const { return m_center; }
    void SetCenter(TMyPoint center) { m_center = center; }
    TMyPoint CaptionPos() const { return m_captionPos; }
    void SetCaptionPos(TMyPoint pos) { m_captionPos = pos; }
    float Angle() const { return m_angle; }
    // Turns a shape that has nodes through the canvas (about Center, or the centre of
    // its outermost group); a shape without nodes only stores the value.
    void SetAngle(float angle);
    // Stores the angle without turning anything (loading, copying).
    void StoreAngle(float angle) { m_angle = angle; }

    // Bounding points of the nodes in logical units (0 for a shape without nodes).
    float Left() const;
    float Top() const;
    float Right() const;
    float Bottom() const;
    float Width() const { return Right() - Left(); }
    float Height() const { return Bottom() - Top(); }
    TMyPoint BoxCenter() const;

    // --- style and texts ---
    const TMyPen& Pen() const { return m_pen; }
    // Changing pen or brush copies pen, brush, font and gradient to all group members.
    void SetPen(const TMyPen& pen);
    const TMyBrush& Brush() const { return m_brush; }
    void SetBrush(const TMyBrush& brush);
    const TMyFont& Font() const { return m_font; }
    // Changing the font copies it to all group members.
    void SetFont(const TMyFont& font);
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& caption) { m_caption = caption; }
    bool CaptionShow() const { return m_captionShow; }
    void SetCaptionShow(bool show) { m_captionShow = show; }
    TColor ColorBegin() const { return m_colorBegin; }
    TColor ColorEnd() const { return m_colorEnd; }
    TGradientStyle GradientStyle() const { return m_gradientStyle; }
    // The gradient setters copy the value to all members of a group and repaint.
    void SetColorBegin(TColor color);
    void SetColorEnd(TColor color);
    void SetGradientStyle(TGradientStyle style);
    // The pre-rendered gradient (drawn by the renderer; empty until then).
    const QImage& GradientBitmap() const { return m_gradientBitmap; }
    void SetGradientBitmap(const QImage& bitmap) { m_gradientBitmap = bitmap; }
    const QString& Info() const { return m_info; }
    void SetInfo(const QString& info) { m_info = info; }
    bool IsFlipHorz() const { return m_isFlipHorz; }
    bool IsFlipVert() const { return m_isFlipVert; }
    // Setting a flip flag to a new value flips the shape through the canvas.
    void SetIsFlipHorz(bool flip);
    void SetIsFlipVert(bool flip);
    bool Locked() const { return m_locked; }
    // Locks or unlocks the shape and all members of its group, and repaints.
    void SetLocked(bool locked);
    void StoreLocked(bool locked) { m_locked = locked; }
    int32_t LogHeight() const { return m_logHeight; }
    void SetLogHeight(int32_t value) { m_logHeight = value; }
    bool LogUse() const { return m_logUse; }
    void SetLogUse(bool value) { m_logUse = value; }
    int32_t LogWidth() const { return m_logWidth; }
    void SetLogWidth(int32_t value) { m_logWidth = value; }
    const QStringList& MultiInfo() const { return m_multiInfo; }
    // Replaces the extra text lines and repaints.
    void SetMultiInfo(const QStringList& lines);
    TAlignment MultiInfoAlignment() const { return m_multiInfoAlignment; }
    void SetMultiInfoAlignment(TAlignment alignment) { m_multiInfoAlignment = alignment; }
    bool ResizeEnable() const { return m_resizeEnable; }
    void SetResizeEnable(bool enable) { m_resizeEnable = enable; }
    int32_t Tag() const { return m_tag; }
    void SetTag(int32_t tag) { m_tag = tag; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    TUserData& UserData() { return m_userData; }
    const TUserData& UserData() const { return m_userData; }

    // Called with the canvas as sender when the shape is clicked.
    std::function<void(TMyCAD*)> OnClick;

    // --- virtual operations ---
    // MoveBy the difference of two screen points.
    virtual void MoveFromTo(QPointF fromPoint, QPointF toPoint);
    // Moves nodes, link points, Center and CaptionPos by screen distances.
    virtual void MoveBy(double dx, double dy);
    // Center := centre of the nodes; CaptionPos := (centre x, bottom + 10).
    virtual void ResetCenter();
    // Length text between two screen points in the canvas's unit.
    virtual QString FormatDistance(QPointF p1, QPointF p2) const;
    // Whether the nodes form a finished shape of the kind.
    virtual bool IsComplete() const { return false; }
    // Turns every node and link point about a logical centre (radians, clockwise on screen).
    virtual void RotateAround(TMyPoint center, double angle);
    // Moves node HotNode by the movement between two screen points.
    virtual void DragNode(QPointF fromPoint, QPointF toPoint);
    // Appends a node given in screen pixels.
    virtual void AddNode(QPointF screenPoint);
    // Copies what copy/paste and the undo list carry (not the name, CaptionShow,
    // LogHeight/LogUse/LogWidth, ResizeEnable, Visible, OnClick).
    virtual void Assign(const TMyShape& source);
    // Assign without list structure (ShapeIndex, Children, Links, ParentGroup) and MultiInfo.
    virtual void AssignGeometry(const TMyShape& source);
    // Mirrors about Center.x (FlipHorz) or Center.y (FlipVert) and toggles the flag.
    virtual void FlipHorz();
    virtual void FlipVert();
    virtual TMyPoint GetCenter() const { return m_center; }
    // Center times Zoom, rounded.
    virtual QPoint GetScreenCenter() const;
    // Text describing the shape's size.
    virtual QString GetMeasureText() const { return QString(); }
    // Node i, (0, 0) when out of range.
    virtual TMyPoint GetNode(int i) const;
    // Index of the last handle containing the screen point (-1 when none); kept in HotNode.
    virtual int NodeAt(QPointF screenPoint);
    // Whether the screen point lies on the shape (never for an invisible shape).
    virtual bool HitTest(QPointF screenPoint) const;
    // The cursor to show over the screen point; the cross unless a handle says otherwise.
    virtual Qt::CursorShape CursorAt(QPointF screenPoint);
    // Index of the first segment between consecutive nodes (and back to the first
    // node when closed) that the screen point hits; -1 when none.
    int SegmentAt(QPointF screenPoint, bool closed) const;

    // Reads the shape record of the given stream version (throws CanvasStreamError).
    virtual void LoadFromStream(StreamReader& reader, StreamVersion version);
    // Writes the shape record of the current version.
    virtual void SaveToStream(StreamWriter& writer) const;

protected:
    double Zoom() const;
    int HotSize() const;
    // The screen position of a logical point.
    QPointF ToScreen(TMyPoint p) const;
    // Index of the last of the given screen handle centres whose square contains the point.
    int HandleAt(const std::vector<QPointF>& handles, QPointF screenPoint) const;
    // NodeAt for shapes whose handles are their nodes: the node under the point becomes hot.
    int NodeAtNodes(QPointF screenPoint);
    // Whether the point lies on a segment of consecutive nodes (closing back when asked).
    bool HitSegments(QPointF screenPoint, bool closed) const;
    // The same for logical points other than the nodes (flattened curves).
    bool HitLogicalPolyline(const std::vector<TMyPoint>& points, QPointF screenPoint, bool closed) const;
    // Whether the point lies inside the polygon of the nodes.
    bool HitPolygon(QPointF screenPoint) const;
    void Repaint() const;
    // Calls f for every member of this shape at every depth when it is a group.
    void ForEachMember(const std::function<void(TMyShape&)>& f) const;

private:
    void CopyBase(const TMyShape& source, bool withStructure);
    void PropagateStyle();

    TMyCAD* m_owner;
    QString m_name;
    int m_shapeId = 0;
    int m_shapeIndex = 0;
    int m_layerId = 0;
    int m_parentGroup = -1;
    std::vector<int> m_children;
    std::vector<int> m_links;
    int m_hotNode = -1;
    std::vector<TMyPoint> m_nodes;
    std::vector<TMyPoint> m_linkPoints;
    TMyPoint m_center;
    TMyPoint m_captionPos;
    float m_angle = 0.0f;
    TMyPen m_pen;
    TMyBrush m_brush;
    TMyFont m_font;
    QString m_caption;
    bool m_captionShow = true;
    TColor m_colorBegin = 0xFFFFFF;
    TColor m_colorEnd = 0x000000;
    TGradientStyle m_gradientStyle = gsNone;
    QImage m_gradientBitmap;
    QString m_info;
    bool m_isFlipHorz = false;
    bool m_isFlipVert = false;
    bool m_locked = false;
    int32_t m_logHeight = 10;
    bool m_logUse = false;
    int32_t m_logWidth = 10;
    QStringList m_multiInfo;
    TAlignment m_multiInfoAlignment = taCenter;
    bool m_resizeEnable = true;
    int32_t m_tag = 0;
    bool m_visible = true;
    TUserData m_userData;
};
