#include "canvas/TMyImage.h"

#include "canvas/PictureBlock.h"
#include "canvas/StreamReader.h"
#include "canvas/StreamWriter.h"

#include <typeinfo>

void TMyImage::SetBitmap(const QImage& picture)
{
    m_bitmap = PictureBlock::To24Bits(picture);
    auto& nodes = Nodes();
    if (nodes.size() != 4 || m_bitmap.isNull())
        return;
    const TMyPoint origin = nodes[0];
    const auto w = static_cast<float>(m_bitmap.width() / Zoom());
    const auto h = static_cast<float>(m_bitmap.height() / Zoom());
    nodes[1] = TMyPoint { origin.x + w, origin.y };
    nodes[2] = TMyPoint { origin.x + w, origin.y + h };
    nodes[3] = TMyPoint { origin.x, origin.y + h };
}

void TMyImage::SetBrightness(int value)
{
    if (value >= -255 && value <= 255)
        m_brightness = value;
}

void TMyImage::SetContrast(int value)
{
    if (value >= -255 && value <= 255)
        m_contrast = value;
}

void TMyImage::Assign(const TMyShape& source)
{
    if (&source == this)
        return;
    TMyRectangle::Assign(source);
    if (typeid(source) != typeid(TMyImage))
        return;
    const auto& image = static_cast<const TMyImage&>(source);
    m_bitmap = image.m_bitmap;
    m_transparent = image.m_transparent;
    m_border = image.m_border;
    m_brightness = image.m_brightness;
    m_contrast = image.m_contrast;
    m_grayScale = image.m_grayScale;
}

void TMyImage::LoadFromStream(StreamReader& reader, StreamVersion version)
{
    TMyRectangle::LoadFromStream(reader, version);
    m_bitmap = PictureBlock::Read(reader);
    m_transparent = reader.ReadBool();
    if (version >= XP7)
        m_border = reader.ReadBool();
    if (version >= XP9) {
        m_grayScale = reader.ReadBool();
        m_brightness = reader.ReadInt32();
        m_contrast = reader.ReadInt32();
    }
}

void TMyImage::SaveToStream(StreamWriter& writer) const
{
    TMyRectangle::SaveToStream(writer);
    PictureBlock::Write(writer, m_bitmap);
    writer.WriteBool(m_transparent);
    writer.WriteBool(m_border);
    writer.WriteBool(m_grayScale);
    writer.WriteInt32(m_brightness);
    writer.WriteInt32(m_contrast);
}
