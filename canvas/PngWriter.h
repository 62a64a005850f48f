#pragma once

#include <QImage>

#include <memory>

class QIODevice;

// PNG writing through libpng, band by band, for pictures that are never whole in
// memory. Photographs with marks hardly shrink at high compression levels, so the
// picture exports use kFastLevel (run-length matching only) with the "Sub" filter:
// files about a tenth larger than zlib's default level with adaptive filtering give,
// written in a sixth of the time.
class PngWriter
{
public:
    static constexpr int kFastLevel = 1;

    enum class Filter { None, Sub, Up, Adaptive };

    // A writer of an 8-bit RGB picture into out; level is zlib's 0..9.
    PngWriter(QIODevice& out, int width, int height, int level = kFastLevel, Filter filter = Filter::Sub);
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // Adds the band's rows (from the top down, as wide as the picture; RGB32, ARGB32
    // with alpha ignored, RGB888 or BGR888). False once writing has failed.
    bool Add(const QImage& band);
    // Ends the file; false when it is incomplete or could not be written.
    bool Finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};
