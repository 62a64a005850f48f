#include "canvas/TMyLine.h"

#include "canvas/StreamReader.h"
#include "canvas/StreamWriter.h"
#include "canvas/TMyCAD.h"

#include <cmath>

TMyLine::TMyLine(TMyCAD* owner)
    : TMyShape(owner)
{
    if (owner != nullptr) {
        m_arrowAngle = owner->ArrowAngle();
        m_arrowLength = owner->ArrowLength();
        m_arrowOffset = owner->ArrowOffset();
        m_arrowStyle = owner->ArrowStyle();
    }
}

void TMyLine::Assign(const TMyShape& source)
{
    if (&source == this)
        return;
    TMyShape::Assign(source);
    if (const auto* line = dynamic_cast<const TMyLine*>(&source)) {
        m_arrowLength = line->m_arrowLength;
        m_arrowAngle = line->m_arrowAngle;
        m_arrowStyle = line->m_arrowStyle;
    }
}

QString TMyLine::GetMeasureText() const
{
    if (Nodes().size() < 2)
        return QString();
    const TMyPoint a = Nodes()[0];
    const TMyPoint b = Nodes()[1];
    return FormatDistance(ToScreen(a), ToScreen(b)).trimmed();
}

int TMyLine::NodeAt(QPointF screenPoint)
{
    return NodeAtNodes(screenPoint);
}

bool TMyLine::HitTest(QPointF screenPoint) const
{
    return Visible() && HitSegments(screenPoint, false);
}

void TMyLine::LoadFromStream(StreamReader& reader, StreamVersion version)
{
    TMyShape::LoadFromStream(reader, version);
    m_arrowAngle = reader.ReadInt32();
    m_arrowLength = reader.ReadByte();
    m_arrowOffset = reader.ReadByte();
    m_arrowStyle = static_cast<TArrowStyle>(reader.ReadByte());
}

void TMyLine::SaveToStream(StreamWriter& writer) const
{
    TMyShape::SaveToStream(writer);
    writer.WriteInt32(m_arrowAngle);
    writer.WriteByte(m_arrowLength);
    writer.WriteByte(m_arrowOffset);
    writer.WriteByte(m_arrowStyle);
}

TMyRuleLine::TMyRuleLine(TMyCAD* owner)
    : TMyLine(owner)
{
    TMyFont font = Font();
    font.SetSize(8);
    SetFont(font);
    SetArrowAngle(10);
    SetArrowLength(20);
    SetArrowStyle(ADouble);
}

void TMyRuleLine::Assign(const TMyShape& source)
{
    if (&source == this)
        return;
    TMyLine::Assign(source);
    if (const auto* rule = dynamic_cast<const TMyRuleLine*>(&source))
        m_userInfo = rule->m_userInfo;
}

void TMyRuleLine::LoadFromStream(StreamReader& reader, StreamVersion version)
{
    TMyLine::LoadFromStream(reader, version);
    m_showUserInfo = reader.ReadBool();
    m_tickStyle = static_cast<TTickStyle>(reader.ReadByte());
    m_userInfo = reader.ReadText();
}

void TMyRuleLine::SaveToStream(StreamWriter& writer) const
{
    TMyLine::SaveToStream(writer);
    writer.WriteBool(m_showUserInfo);
    writer.WriteByte(m_tickStyle);
    writer.WriteText(m_userInfo);
}

TMyPolyLine::TMyPolyLine(TMyCAD* owner)
    : TMyLine(owner)
{
    SetArrowStyle(ANone);
}

bool TMyPolygon::IsComplete() const
{
    return Nodes().size() >= 4 && Nodes().front() == Nodes().back();
}

QString TMyPolygon::GetMeasureText() const
{
    // The enclosed area (shoelace formula) in square logical units times the ratio.
    double area = 0.0;
    const auto& n = Nodes();
    for (size_t i = 0; i + 1 < n.size(); ++i)
        area += double(n[i].x) * n[i + 1].y - double(n[i + 1].x) * n[i].y;
    const double ratio = OwnerCAD() != nullptr ? OwnerCAD()->Ratio() : 1.0;
    return QString::number(std::abs(area) / 2.0 * ratio * ratio, 'f', 2);
}

bool TMyPolygon::HitTest(QPointF screenPoint) const
{
    return Visible() && (HitPolygon(screenPoint) || HitSegments(screenPoint, true));
}

void TMyPolygon::DragNode(QPointF fromPoint, QPointF toPoint)
{
    TMyShape::DragNode(fromPoint, toPoint);
    auto& nodes = Nodes();
    const int last = static_cast<int>(nodes.size()) - 1;
    if (last < 1)
        return;
    if (HotNode() == 0)
        nodes.back() = nodes.front();
    else if (HotNode() == last)
        nodes.front() = nodes.back();
}

TMyLinkLine::TMyLinkLine(TMyCAD* owner)
    : TMyLine(owner)
{
    if (owner != nullptr)
        m_drawStyle = owner->LinkLineDrawStyle();
}

void TMyLinkLine::SetStart(int shapeIndex, int linkPointIndex)
{
    m_startShape = shapeIndex;
    m_startLinkPoint = linkPointIndex;
}

void TMyLinkLine::SetEnd(int shapeIndex, int linkPointIndex)
{
    m_endShape = shapeIndex;
    m_endLinkPoint = linkPointIndex;
}

void TMyLinkLine::Assign(const TMyShape& source)
{
    if (&source == this)
        return;
    TMyLine::Assign(source);
    if (const auto* link = dynamic_cast<const TMyLinkLine*>(&source)) {
        m_startShape = link->m_startShape;
        m_startLinkPoint = link->m_startLinkPoint;
        m_endShape = link->m_endShape;
        m_endLinkPoint = link->m_endLinkPoint;
        m_drawStyle = link->m_drawStyle;
    }
}

void TMyLinkLine::LoadFromStream(StreamReader& reader, StreamVersion version)
{
    TMyLine::LoadFromStream(reader, version);
    m_startShape = reader.ReadInt32();
    m_startLinkPoint = reader.ReadInt32();
    m_endShape = reader.ReadInt32();
    m_endLinkPoint = reader.ReadInt32();
    if (version >= XP5)
        m_drawStyle = static_cast<TLinkLineDrawStyle>(reader.ReadByte());
}

void TMyLinkLine::SaveToStream(StreamWriter& writer) const
{
    TMyLine::SaveToStream(writer);
    writer.WriteInt32(m_startShape);
    writer.WriteInt32(m_startLinkPoint);
    writer.WriteInt32(m_endShape);
    writer.WriteInt32(m_endLinkPoint);
    writer.WriteByte(m_drawStyle);
}
