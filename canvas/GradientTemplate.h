#pragma once

#include "canvas/CanvasTypes.h"

#include <QImage>

// The template picture of a gradient fill: a ramp of 256 colours from the first to
// the second colour, laid out by the style. Shapes keep it as their GradientBitmap
// and stretch it over their box, so it is rendered once per change, not per paint.
namespace GradientTemplate {

// Entry i of the ramp: begin + (end - begin) * i / 255 per channel (integer division).
TColor RampColor(TColor begin, TColor end, int i);

// The template of the style (a null image for gsNone and unknown styles).
QImage Render(TGradientStyle style, TColor begin, TColor end);

} // namespace GradientTemplate
