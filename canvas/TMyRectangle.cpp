#include "canvas/TMyRectangle.h"

#include "canvas/StreamReader.h"
#include "canvas/StreamWriter.h"
#include "canvas/TMyCAD.h"

#include <cmath>

void TMyRectangle::AddNode(QPointF screenPoint)
{
    auto& nodes = Nodes();
    if (nodes.size() != 1) {
        if (nodes.empty())
            TMyShape::AddNode(screenPoint);
        return;
    }
    const TMyPoint first = nodes.front();
    const float x = static_cast<float>(screenPoint.x() / Zoom());
    const float y = static_cast<float>(screenPoint.y() / Zoom());
    nodes.push_back(TMyPoint { x, first.y });
    nodes.push_back(TMyPoint { x, y });
    nodes.push_back(TMyPoint { first.x, y });
}

QString TMyRectangle::GetMeasureText() const
{
    return FormatDistance(QPointF(0, 0), QPointF(Width() * Zoom(), 0)).trimmed() + QStringLiteral(" x ")
        + FormatDistance(QPointF(0, 0), QPointF(0, Height() * Zoom())).trimmed();
}

int TMyRectangle::NodeAt(QPointF screenPoint)
{
    std::vector<QPointF> handles;
    for (const TMyPoint& p : Nodes())
        handles.push_back(ToScreen(p));
    if (Nodes().size() == 4) {
        auto middle = [&](int a, int b) { return (handles[size_t(a)] + handles[size_t(b)]) / 2.0; };
        const QPointF far(-1e9, -1e9); // a handle that is switched off
        const bool vertical = m_showSideHot && m_showVerticalSideHot;
        const bool horizontal = m_showSideHot && m_showHorizontalSideHot;
        handles.push_back(vertical ? middle(0, 1) : far);
        handles.push_back(horizontal ? middle(1, 2) : far);
        handles.push_back(vertical ? middle(2, 3) : far);
        handles.push_back(horizontal ? middle(3, 0) : far);
    }
    const int node = HandleAt(handles, screenPoint);
    SetHotNode(node);
    return node;
}

bool TMyRectangle::HitTest(QPointF screenPoint) const
{
    return Visible() && Nodes().size() >= 3 && HitPolygon(screenPoint);
}

void TMyRectangle::DragNode(QPointF fromPoint, QPointF toPoint)
{
    auto& nodes = Nodes();
    const int hot = HotNode();
    if (nodes.size() != 4 || hot < 0 || hot > 7) {
        TMyShape::DragNode(fromPoint, toPoint);
        return;
    }
    const auto dx = static_cast<float>((toPoint.x() - fromPoint.x()) / Zoom());
    const auto dy = static_cast<float>((toPoint.y() - fromPoint.y()) / Zoom());
    // Nodes 0-1 and 2-3 share a row, nodes 0-3 and 1-2 a column.
    static constexpr int kSameRow[4] = { 1, 0, 3, 2 };
    static constexpr int kSameColumn[4] = { 3, 2, 1, 0 };
    if (hot < 4) {
        nodes[size_t(hot)].x += dx;
        nodes[size_t(hot)].y += dy;
        nodes[size_t(kSameRow[hot])].y += dy;
        nodes[size_t(kSameColumn[hot])].x += dx;
        return;
    }
    // Side handle h lies on the edge from node h - 4 to the next node.
    const int a = hot - 4;
    const int b = (a + 1) % 4;
    const bool rowEdge = (hot == 4 || hot == 6);
    for (int i : { a, b }) {
        if (rowEdge)
            nodes[size_t(i)].y += dy;
        else
            nodes[size_t(i)].x += dx;
    }
}

Qt::CursorShape TMyRectangle::CursorAt(QPointF screenPoint)
{
    const int handle = NodeAt(screenPoint);
    if (handle < 0)
        return Qt::CrossCursor;
    if (handle == 4 || handle == 6)
        return Qt::SizeVerCursor;
    if (handle == 5 || handle == 7)
        return Qt::SizeHorCursor;
    const TMyPoint corner = Nodes()[size_t(handle)];
    const TMyPoint center = Center();
    // Top-left and bottom-right quadrants resize along the falling diagonal.
    const bool falling = (corner.x < center.x) == (corner.y < center.y);
    return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
}

QString TMyEllipse::GetMeasureText() const
{
    // Both axes of the ellipse.
    return TMyRectangle::GetMeasureText();
}

void TMyText::Assign(const TMyShape& source)
{
    if (&source == this)
        return;
    TMyRectangle::Assign(source);
    if (const auto* text = dynamic_cast<const TMyText*>(&source)) {
        m_isBorder = text->m_isBorder;
        m_isSolid = text->m_isSolid;
        m_lines = text->m_lines;
        m_hAlignment = text->m_hAlignment;
        m_vAlignment = text->m_vAlignment;
    }
}

void TMyText::NormaliseCorners()
{
    if (Angle() != 0.0f || Nodes().size() != 4)
        return;
    const float l = Left(), t = Top(), r = Right(), b = Bottom();
    Nodes() = { TMyPoint { l, t }, TMyPoint { r, t }, TMyPoint { r, b }, TMyPoint { l, b } };
}

void TMyText::FlipHorz()
{
    TMyRectangle::FlipHorz();
    NormaliseCorners();
}

void TMyText::FlipVert()
{
    TMyRectangle::FlipVert();
    NormaliseCorners();
}

void TMyText::LoadFromStream(StreamReader& reader, StreamVersion version)
{
    TMyRectangle::LoadFromStream(reader, version);
    m_isBorder = reader.ReadBool();
    m_isSolid = reader.ReadBool();
    if (version >= XPa) {
        const int32_t count = reader.ReadInt32();
        reader.CheckCount(count, 4);
        m_lines.clear();
        for (int32_t i = 0; i < count; ++i)
            m_lines.append(reader.ReadText());
        m_vAlignment = static_cast<TVAlignment>(reader.ReadByte());
        m_hAlignment = static_cast<TAlignment>(reader.ReadByte());
        m_wordWrap = reader.ReadBool();
    }
}

void TMyText::SaveToStream(StreamWriter& writer) const
{
    TMyRectangle::SaveToStream(writer);
    writer.WriteBool(m_isBorder);
    writer.WriteBool(m_isSolid);
    writer.WriteInt32(static_cast<int32_t>(m_lines.size()));
    for (const QString& line : m_lines)
        writer.WriteText(line);
    writer.WriteByte(m_vAlignment);
    writer.WriteByte(m_hAlignment);
    writer.WriteBool(m_wordWrap);
}

void TMyLinkPoint::AddNode(QPointF screenPoint)
{
    const float x = static_cast<float>(screenPoint.x() / Zoom());
    const float y = static_cast<float>(screenPoint.y() / Zoom());
    const float s = m_size;
    Nodes() = { TMyPoint { x, y }, TMyPoint { x + s, y }, TMyPoint { x + s, y + s }, TMyPoint { x, y + s } };
}

void TMyLinkPoint::LoadFromStream(StreamReader& reader, StreamVersion version)
{
    TMyRectangle::LoadFromStream(reader, version);
    m_size = reader.ReadByte();
}

void TMyLinkPoint::SaveToStream(StreamWriter& writer) const
{
    TMyRectangle::SaveToStream(writer);
    writer.WriteByte(m_size);
}
