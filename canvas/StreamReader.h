#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstdint>
#include <stdexcept>
#include <vector>

// Thrown inside the canvas when a stream ends early or holds impossible values;
// the loading operations catch it and report failure.
class CanvasStreamError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Reads the little-endian fields of a canvas stream from a device. Every length
// and count is checked against the bytes left before anything is allocated, so a
// damaged stream ends in CanvasStreamError rather than in a huge allocation.
class StreamReader
{
public:
    // Reads from the device's current position to its end.
    explicit StreamReader(QIODevice& device);

    qint64 Remaining() const { return m_deviceLeft + static_cast<qint64>(m_end - m_pos); }

    void Read(void* target, qint64 size);
    void Skip(qint64 size);
    uint8_t ReadByte();
    bool ReadBool() { return ReadByte() != 0; }
    int32_t ReadInt32();
    int64_t ReadInt64();
    float ReadFloat32();
    double ReadFloat64();
    // An x87 80-bit extended value, widened or narrowed to double.
    double ReadFloat80();
    // A counted Windows-1252 text (see StreamWriter::WriteText for the layout).
    QString ReadText();
    // A blank-padded text of fixed width, trimmed.
    QString ReadFixedText(int width);
    // Checks that `count` items of at least `minBytesEach` bytes can still follow.
    void CheckCount(int64_t count, qint64 minBytesEach);

private:
    bool Fill();

    QIODevice& m_device;
    qint64 m_deviceLeft = 0;
    std::vector<char> m_buffer;
    size_t m_pos = 0;
    size_t m_end = 0;
};
