#include "canvas/StreamReader.h"

#include "common/Cp1252.h"

#include <cmath>
#include <cstring>

namespace {

constexpr size_t kChunk = 64 * 1024;

} // namespace

StreamReader::StreamReader(QIODevice& device)
    : m_device(device)
    , m_buffer(kChunk)
{
    m_deviceLeft = device.isSequential() ? device.bytesAvailable() : device.size() - device.pos();
    if (m_deviceLeft < 0)
        m_deviceLeft = 0;
}

bool StreamReader::Fill()
{
    if (m_deviceLeft <= 0)
        return false;
    const qint64 want = std::min<qint64>(m_deviceLeft, static_cast<qint64>(kChunk));
    const qint64 got = m_device.read(m_buffer.data(), want);
    if (got <= 0) {
        m_deviceLeft = 0;
        return false;
    }
    m_deviceLeft -= got;
    m_pos = 0;
    m_end = static_cast<size_t>(got);
    return true;
}

void StreamReader::Read(void* target, qint64 size)
{
    if (size < 0 || size > Remaining())
        throw CanvasStreamError("the stream ends early");
    auto* out = static_cast<char*>(target);
    while (size > 0) {
        if (m_pos == m_end) {
            // Large blocks (picture rows) go straight from the device into the target.
            if (size >= static_cast<qint64>(kChunk)) {
                const qint64 got = m_device.read(out, size);
                if (got <= 0)
                    throw CanvasStreamError("the stream cannot be read");
                m_deviceLeft -= got;
                out += got;
                size -= got;
                continue;
            }
            if (!Fill())
                throw CanvasStreamError("the stream ends early");
        }
        const size_t n = std::min(static_cast<size_t>(size), m_end - m_pos);
        std::memcpy(out, m_buffer.data() + m_pos, n);
        m_pos += n;
        out += n;
        size -= static_cast<qint64>(n);
    }
}

void StreamReader::Skip(qint64 size)
{
    char scratch[256];
    while (size > 0) {
        const qint64 n = std::min<qint64>(size, sizeof scratch);
        Read(scratch, n);
        size -= n;
    }
}

uint8_t StreamReader::ReadByte()
{
    uint8_t value = 0;
    Read(&value, 1);
    return value;
}

int32_t StreamReader::ReadInt32()
{
    unsigned char b[4];
    Read(b, 4);
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

int64_t StreamReader::ReadInt64()
{
    unsigned char b[8];
    Read(b, 8);
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | b[i];
    return static_cast<int64_t>(value);
}

float StreamReader::ReadFloat32()
{
    const auto bits = static_cast<uint32_t>(ReadInt32());
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

double StreamReader::ReadFloat64()
{
    const auto bits = static_cast<uint64_t>(ReadInt64());
    double value;
    std::memcpy(&value, &bits, 8);
    return value;
}

double StreamReader::ReadFloat80()
{
    unsigned char b[10];
    Read(b, 10);
    uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = mantissa << 8 | b[i];
    const int signExponent = b[8] | b[9] << 8;
    const bool negative = (signExponent & 0x8000) != 0;
    const int exponent = signExponent & 0x7FFF;
    double value;
    if (exponent == 0x7FFF)
        value = (mantissa << 1) == 0 ? HUGE_VAL : std::nan("");
    else
        // The integer bit is explicit: value = mantissa * 2^(exponent - 16383 - 63).
        value = std::ldexp(static_cast<double>(mantissa), (exponent == 0 ? 1 : exponent) - 16383 - 63);
    return negative ? -value : value;
}

QString StreamReader::ReadText()
{
    const int32_t length = ReadInt32();
    qint64 bytes;
    if (length < 0) {
        // A long text written by this system: the high bit marks the full byte count.
        bytes = static_cast<qint64>(static_cast<uint32_t>(length) & 0x7FFFFFFFu);
    } else {
        // The original layout: only the low 8 bits of the length count the bytes that follow.
        bytes = length & 0xFF;
    }
    if (bytes > Remaining())
        throw CanvasStreamError("a text runs past the end of the stream");
    if (bytes == 0)
        return QString();
    QByteArray data(static_cast<qsizetype>(bytes), Qt::Uninitialized);
    Read(data.data(), bytes);
    return Cp1252::Decode(data);
}

QString StreamReader::ReadFixedText(int width)
{
    QByteArray data(width, Qt::Uninitialized);
    Read(data.data(), width);
    const qsizetype zero = data.indexOf('\0');
    if (zero >= 0)
        data.truncate(zero);
    return Cp1252::Decode(data).trimmed();
}

void StreamReader::CheckCount(int64_t count, qint64 minBytesEach)
{
    if (count < 0)
        throw CanvasStreamError("a negative count");
    if (minBytesEach > 0 && count > Remaining() / minBytesEach)
        throw CanvasStreamError("a count larger than the rest of the stream");
}
