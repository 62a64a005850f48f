// The base part of the shape record in canvas streams, shared by every shape class.
#include "canvas/TMyShape.h"

#include "canvas/PictureBlock.h"
#include "canvas/StreamReader.h"
#include "canvas/StreamWriter.h"

namespace {

TMyPoint ReadPoint(StreamReader& reader, StreamVersion version)
{
    TMyPoint p;
    if (version >= XP6) {
        p.x = reader.ReadFloat32();
        p.y = reader.ReadFloat32();
    } else {
        p.x = CanvasMath::ToFloat(reader.ReadFloat80());
        p.y = CanvasMath::ToFloat(reader.ReadFloat80());
    }
    return p;
}

std::vector<TMyPoint> ReadPoints(StreamReader& reader, StreamVersion version)
{
    const int32_t count = reader.ReadInt32();
    reader.CheckCount(count, version >= XP6 ? 8 : 20);
    std::vector<TMyPoint> points;
    points.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        points.push_back(ReadPoint(reader, version));
    return points;
}

std::vector<int> ReadInts(StreamReader& reader)
{
    const int32_t count = reader.ReadInt32();
    reader.CheckCount(count, 4);
    std::vector<int> values(static_cast<size_t>(count));
    for (int& v : values)
        v = reader.ReadInt32();
    return values;
}

void WritePoints(StreamWriter& writer, const std::vector<TMyPoint>& points)
{
    writer.WriteInt32(static_cast<int32_t>(points.size()));
    for (const TMyPoint& p : points) {
        writer.WriteFloat32(p.x);
        writer.WriteFloat32(p.y);
    }
}

void WriteInts(StreamWriter& writer, const std::vector<int>& values)
{
    writer.WriteInt32(static_cast<int32_t>(values.size()));
    for (int v : values)
        writer.WriteInt32(v);
}

} // namespace

void TMyShape::LoadFromStream(StreamReader& reader, StreamVersion version)
{
    m_name = reader.ReadText();
    m_shapeId = reader.ReadInt32();
    m_shapeIndex = reader.ReadInt32();
    m_layerId = reader.ReadInt32();
    m_parentGroup = reader.ReadInt32();
    m_children = ReadInts(reader);
    m_links = ReadInts(reader);
    m_nodes = ReadPoints(reader, version);
    m_linkPoints = ReadPoints(reader, version);
    if (version >= XP3) {
        m_captionPos = ReadPoint(reader, version);
        m_tag = reader.ReadInt32();
        m_angle = version >= XP6 ? reader.ReadFloat32() : CanvasMath::ToFloat(reader.ReadFloat80());
    }
    m_brush.pattern = PictureBlock::Read(reader);
    m_brush.color = reader.ReadInt32();
    m_brush.style = reader.ReadByte();
    m_caption = reader.ReadText();
    m_colorBegin = reader.ReadInt32();
    m_colorEnd = reader.ReadInt32();
    m_font.name = reader.ReadText();
    m_font.charset = reader.ReadByte();
    m_font.color = reader.ReadInt32();
    m_font.height = reader.ReadInt32();
    m_font.size = reader.ReadInt32();
    m_font.pitch = reader.ReadByte();
    m_font.pixelsPerInch = reader.ReadInt32();
    m_font.style = reader.ReadByte();
    if (version != XP7)
        reader.Skip(8);
    m_gradientStyle = static_cast<TGradientStyle>(reader.ReadByte());
    if (version <= XP5)
        reader.Skip(2);
    m_info = reader.ReadText();
    m_pen.color = reader.ReadInt32();
    m_pen.mode = reader.ReadByte();
    m_pen.style = reader.ReadByte();
    m_pen.width = reader.ReadInt32();
    if (version >= XP8) {
        const int32_t count = reader.ReadInt32();
        reader.CheckCount(count, 8);
        m_userData.Clear();
        for (int32_t i = 0; i < count; ++i) {
            const QString key = reader.ReadText();
            m_userData.Add(key, reader.ReadText());
        }
    }
    if (version >= XP9) {
        m_isFlipHorz = reader.ReadBool();
        m_isFlipVert = reader.ReadBool();
        m_visible = reader.ReadBool();
    }
    if (version >= XPe) {
        const int32_t count = reader.ReadInt32();
        reader.CheckCount(count, 4);
        m_multiInfo.clear();
        for (int32_t i = 0; i < count; ++i)
            m_multiInfo.append(reader.ReadText());
        m_multiInfoAlignment = static_cast<TAlignment>(reader.ReadByte());
    }
    if (version >= XPh) {
        m_logHeight = reader.ReadInt32();
        m_logUse = reader.ReadBool();
        m_logWidth = reader.ReadInt32();
        m_locked = reader.ReadBool();
    }
}

void TMyShape::SaveToStream(StreamWriter& writer) const
{
    writer.WriteText(m_name);
    writer.WriteInt32(m_shapeId);
    writer.WriteInt32(m_shapeIndex);
    writer.WriteInt32(m_layerId);
    writer.WriteInt32(m_parentGroup);
    WriteInts(writer, m_children);
    WriteInts(writer, m_links);
    WritePoints(writer, m_nodes);
    WritePoints(writer, m_linkPoints);
    writer.WriteFloat32(m_captionPos.x);
    writer.WriteFloat32(m_captionPos.y);
    writer.WriteInt32(m_tag);
    writer.WriteFloat32(m_angle);
    PictureBlock::Write(writer, m_brush.pattern);
    writer.WriteInt32(m_brush.color);
    writer.WriteByte(m_brush.style);
    writer.WriteText(m_caption);
    writer.WriteInt32(m_colorBegin);
    writer.WriteInt32(m_colorEnd);
    writer.WriteText(m_font.name);
    writer.WriteByte(m_font.charset);
    writer.WriteInt32(m_font.color);
    writer.WriteInt32(m_font.height);
    writer.WriteInt32(m_font.size);
    writer.WriteByte(m_font.pitch);
    writer.WriteInt32(m_font.pixelsPerInch);
    writer.WriteByte(m_font.style);
    writer.WriteInt32(0);
    writer.WriteInt32(0);
    writer.WriteByte(m_gradientStyle);
    writer.WriteText(m_info);
    writer.WriteInt32(m_pen.color);
    writer.WriteByte(m_pen.mode);
    writer.WriteByte(m_pen.style);
    writer.WriteInt32(m_pen.width);
    writer.WriteInt32(m_userData.Count());
    for (const auto& [key, value] : m_userData.Pairs()) {
        writer.WriteText(key);
        writer.WriteText(value);
    }
    writer.WriteBool(m_isFlipHorz);
    writer.WriteBool(m_isFlipVert);
    writer.WriteBool(m_visible);
    writer.WriteInt32(static_cast<int32_t>(m_multiInfo.size()));
    for (const QString& line : m_multiInfo)
        writer.WriteText(line);
    writer.WriteByte(m_multiInfoAlignment);
    writer.WriteInt32(m_logHeight);
    writer.WriteBool(m_logUse);
    writer.WriteInt32(m_logWidth);
    writer.WriteBool(m_locked);
}
