#pragma once

#include "common/DibBitmap.h"

#include <QImage>
#include <QString>

#include <memory>

// Loads the picture of an image shape and fits it to the shape's box: the result
// has the box's proportions, holds the picture centred at its own resolution
// along its limiting side, and white bands where the proportions differ, so the
// image shape can stretch it into its box without distortion. 32 bits per pixel.
// Nothing when the file cannot be loaded or the result would be unreasonably large.
// A box with a side of 0 or less gives the picture unchanged.
std::unique_ptr<DibBitmap> NVBitmap(const QString& path, int boxWidth, int boxHeight);

// The same framing for an output that shows the box at `zoom` pixels per canvas
// unit: a picture with more pixels than the box shows there is reduced smoothly
// to that many (a 20-megapixel photograph in a 9 cm box printed at 300 dpi needs
// about a megapixel); smaller pictures, a zoom of 0 and an empty box give exactly
// NVBitmap's result. Null when the file cannot be loaded.
QImage NVBitmapForOutput(const QString& path, int boxWidth, int boxHeight, double zoom);
