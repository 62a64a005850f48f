#include "common/Cp1252.h"

#include <array>

namespace {

// Unicode code points of the bytes 0x80-0x9F.
constexpr std::array<char16_t, 32> kHigh = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
    0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
    0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

// Returns the byte for a character, or -1 when the code page has none.
int ByteFor(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c)
            return 0x80 + i;
    return -1;
}

} // namespace

namespace Cp1252 {

QString Decode(const char* data, qsizetype size)
{
    QString out(size, Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        dst[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHigh[b - 0x80]) : QChar(b);
    }
    return out;
}

QString Decode(const QByteArray& bytes)
{
    return Decode(bytes.constData(), bytes.size());
}

QByteArray Encode(const QString& text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char* dst = out.data();
    const QChar* src = text.constData();
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = src[i].unicode();
        // A surrogate pair is one character the code page lacks: one "?".
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && src[i + 1].isLowSurrogate())
            ++i;
        const int b = ByteFor(c);
        dst[n++] = static_cast<char>(b < 0 ? '?' : b);
    }
    out.truncate(n);
    return out;
}

bool CanEncode(const QString& text)
{
    for (QChar c : text)
        if (ByteFor(c.unicode()) < 0)
            return false;
    return true;
}

} // namespace Cp1252
