#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <memory>

// Writes the little-endian fields of a canvas stream through a buffer; a failed
// device write throws CanvasStreamError (declared in StreamReader.h).
class StreamWriter
{
public:
    explicit StreamWriter(QIODevice& device);
    ~StreamWriter();
    StreamWriter(const StreamWriter&) = delete;
    StreamWriter& operator=(const StreamWriter&) = delete;

    void Write(const void* data, qint64 size);
    void WriteByte(uint8_t value) { Write(&value, 1); }
    void WriteBool(bool value) { WriteByte(value ? 1 : 0); }
    void WriteInt32(int32_t value);
    void WriteInt64(int64_t value);
    void WriteFloat32(float value);
    void WriteFloat64(double value);
    // Counted Windows-1252 text: an int32 byte count, then the bytes. Texts of up to
    // 255 bytes keep the original layout exactly; a longer text is written with the
    // high bit of the count set, so that it comes back whole instead of being cut to
    // its length modulo 256 (which the original layout did silently).
    void WriteText(const QString& text);
    // The text padded with blanks to the width (cut when longer).
    void WriteFixedText(const QString& text, int width);
    // Writes out what is buffered; throws when the device refuses.
    void Flush();

private:
    QIODevice& m_device;
    // Not zero-filled: a shape's undo snapshot writes a few hundred bytes of it.
    std::unique_ptr<char[]> m_buffer;
    size_t m_used = 0;
};
