#pragma once

#include <QImage>

class StreamReader;
class StreamWriter;

// The picture block of canvas streams: an int64 byte count followed by a Windows
// BMP file (none when the count is 0). Pictures are kept as 24-bit QImages in
// blue-green-red byte order, whose rows are laid out exactly as BMP rows, so that
// the common case (an uncompressed 24-bit BMP) is read and written row by row
// without conversion and round trips byte for byte.
namespace PictureBlock {

// The 24-bit form the canvas keeps (a null image stays null).
QImage To24Bits(const QImage& picture);

// Reads a picture block; a null image for count 0. Throws CanvasStreamError when the
// block runs past the stream or holds no picture that can be decoded.
QImage Read(StreamReader& reader);

// Writes the picture as a 24-bit BMP block (count 0 for a null image).
void Write(StreamWriter& writer, const QImage& picture);

// The byte count Write produces for a picture of this size (without the count itself).
qint64 BmpSize(int width, int height);

} // namespace PictureBlock
