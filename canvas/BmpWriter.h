#pragma once

#include <QImage>

class QIODevice;

// Writing of 24-bit Windows bitmaps (rows from the bottom up, 96 dots per inch) a band
// of rows at a time, so that neither the picture nor the file is ever whole in memory.
namespace BmpWriter {

// The 54 header bytes of a width x height picture; false when it cannot be written or
// the picture is too large for the format.
bool WriteHeader(QIODevice& out, int width, int height);

// Appends the band's rows, its bottom row first: RGB32 and ARGB32 (alpha ignored) are
// reordered, BGR888 rows are written as they are. Bands go in from the bottom of the
// picture up.
bool WriteRowsBottomUp(QIODevice& out, const QImage& band);

} // namespace BmpWriter
