#pragma once

#include <QByteArray>
#include <QImage>

#include <memory>

// JPEG encoding through libjpeg for the canvas's picture exports.
namespace JpegEncoder {

// The picture as a baseline JFIF file of the given quality (clamped to 0..100); an
// empty array when the picture is null or the encoder fails. 24-bit (RGB888, BGR888)
// and 32-bit RGB pictures are encoded from their own rows, others through a copy.
QByteArray Encode(const QImage& picture, int quality);

// An encoder fed band by band, for pictures that are never whole in memory. The
// bands come from the top down, each as wide as the picture, all of one format:
// RGB888, BGR888, RGB32 or ARGB32 (alpha ignored).
class BandEncoder
{
public:
    BandEncoder(int width, int height, int quality);
    ~BandEncoder();
    BandEncoder(const BandEncoder&) = delete;
    BandEncoder& operator=(const BandEncoder&) = delete;

    // False once the encoder has failed (a wrong band, no memory); later calls do nothing.
    bool Add(const QImage& band);
    // The file once every row has been added; empty on failure.
    QByteArray Finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace JpegEncoder
