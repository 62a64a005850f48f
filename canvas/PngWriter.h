#pragma once

#include <QImage>

#include <memory>

class QIODevice;

// PNG writing band by band, for pictures that are never whole in memory. Photographs
// with marks hardly shrink at high compression levels, so the picture exports use
// kFastLevel with the "Sub" filter: Huffman coding only, with the encoder of
// HuffmanDeflate.h (zlib's levels otherwise). See the README for the measured trade.
//
// The rows of each band are filtered and compressed in pieces on worker threads, while
// the caller paints the next band: every piece is a deflate stream of its own, ended on
// a byte boundary, and the pieces joined in order form the file's one zlib stream (its
// checksum combined from the pieces'). With run-length matching a piece loses nothing
// by not seeing the rows before it.
class PngWriter
{
public:
    static constexpr int kFastLevel = 1;

    enum class Filter { None, Sub, Up, Adaptive };

    // A writer of an 8-bit RGB picture into out; level is zlib's 0..9 (kFastLevel: Huffman
    // coding only, through HuffmanDeflate; the others through zlib). threads is how
    // many pieces each band is cut into (0: one per processor).
    PngWriter(
        QIODevice& out, int width, int height, int level = kFastLevel, Filter filter = Filter::Sub, int threads = 0);
    // Waits for the pieces still being compressed (an unfinished file stays unfinished).
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // Adds the band's rows (from the top down, as wide as the picture; RGB32, ARGB32
    // with alpha ignored, RGB888 or BGR888). The band may be changed once this returns.
    // False once writing has failed.
    bool Add(const QImage& band);
    // Ends the file; false when it is incomplete or could not be written.
    bool Finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};
