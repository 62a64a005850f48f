#pragma once

#include <QImage>

// The adjustments an image shape applies to its picture before drawing it.
namespace ImageAdjust {

struct Settings
{
    bool grayScale = false;
    int contrast = 0; // -255..255
    int brightness = 0; // -255..255
    bool flipHorz = false;
    bool flipVert = false;
    // Makes the colour of the picture's bottom-left pixel transparent.
    bool transparent = false;
};

// In this order: grey scale (mean of the channels), contrast (values move away from
// the middle by c x d / 255), brightness (v + b), each clamped to 0..255, then
// mirroring and transparency. The result is RGB32, or ARGB32 when transparent.
QImage Adjust(const QImage& picture, const Settings& settings);

} // namespace ImageAdjust
