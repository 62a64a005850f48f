#pragma once

#include <QByteArray>
#include <QImage>

// JPEG encoding through libjpeg for the canvas's picture export.
namespace JpegEncoder {

// The picture as a baseline JFIF file of the given quality (clamped to 0..100); an
// empty array when the picture is null or the encoder fails.
QByteArray Encode(const QImage& picture, int quality);

} // namespace JpegEncoder
