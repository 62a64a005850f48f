#include "canvas/StreamWriter.h"

#include "canvas/StreamReader.h"
#include "common/Cp1252.h"

#include <cstring>

namespace {

constexpr qsizetype kChunk = 64 * 1024;

} // namespace

StreamWriter::StreamWriter(QIODevice& device)
    : m_device(device)
    , m_buffer(std::make_unique_for_overwrite<char[]>(static_cast<size_t>(kChunk)))
{
}

StreamWriter::~StreamWriter() = default;

void StreamWriter::Flush()
{
    if (m_used == 0)
        return;
    const auto pending = static_cast<qint64>(m_used);
    m_used = 0;
    if (m_device.write(m_buffer.get(), pending) != pending)
        throw CanvasStreamError("the stream cannot be written");
}

void StreamWriter::Write(const void* data, qint64 size)
{
    if (size <= 0)
        return;
    if (static_cast<qint64>(m_used) + size > kChunk) {
        Flush();
        // Large blocks (picture rows of wide pictures) go straight to the device.
        if (size >= kChunk) {
            if (m_device.write(static_cast<const char*>(data), size) != size)
                throw CanvasStreamError("the stream cannot be written");
            return;
        }
    }
    std::memcpy(m_buffer.get() + m_used, data, static_cast<size_t>(size));
    m_used += static_cast<size_t>(size);
}

void StreamWriter::WriteInt32(int32_t value)
{
    const auto u = static_cast<uint32_t>(value);
    const unsigned char b[4] = { static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
        static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24) };
    Write(b, 4);
}

void StreamWriter::WriteInt64(int64_t value)
{
    auto u = static_cast<uint64_t>(value);
    unsigned char b[8];
    for (unsigned char& byte : b) {
        byte = static_cast<unsigned char>(u);
        u >>= 8;
    }
    Write(b, 8);
}

void StreamWriter::WriteFloat32(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    WriteInt32(static_cast<int32_t>(bits));
}

void StreamWriter::WriteFloat64(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    WriteInt64(static_cast<int64_t>(bits));
}

void StreamWriter::WriteText(const QString& text)
{
    const QByteArray bytes = Cp1252::Encode(text);
    const auto size = static_cast<uint32_t>(bytes.size());
    WriteInt32(size <= 255 ? static_cast<int32_t>(size) : static_cast<int32_t>(size | 0x80000000u));
    Write(bytes.constData(), bytes.size());
}

void StreamWriter::WriteFixedText(const QString& text, int width)
{
    QByteArray bytes = Cp1252::Encode(text).left(width);
    bytes.append(width - bytes.size(), ' ');
    Write(bytes.constData(), width);
}
