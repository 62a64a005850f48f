#pragma once

#include "workbench/detection/HairGraph.h"

#include <cstdint>
#include <vector>

namespace detection {

// The multi-scale ridge response of a picture as plain row-major arrays of
// `width` x `height` (callers need no image library).
struct RidgeMaps
{
    int width = 0;
    int height = 0;
    const float* darkness = nullptr; // -log of the brightness
    const float* strength = nullptr; // ridge strength, best over the scales
    const uint8_t* scale = nullptr; // index into `widths` of the best scale
    const uint8_t* normal = nullptr; // direction across the ridge, 0..255 for 0..180 degrees
    std::vector<double> widths; // hair width each scale answers to, pixels
};

struct TracerOptions
{
    // Ridge strength a seed must reach, and the share of the strongest ridge
    // nearby (`neighbourhood` pixels) it must reach as well.
    float seedStrength = 0.028f;
    // Traces shorter than this are no hair (pixels).
    double minLengthPx = 20.0;
    // Longest stretch followed on momentum alone where the ridge fades (glare,
    // a faint part), pixels.
    double gapMaxPx = 12.0;
    // Sharpest bend followed: the smallest radius of curvature, pixels.
    double minRadiusPx = 25.0;
};

// Follows the hairs along their centre lines: from the strongest ridge maxima
// not yet on a traced hair, in both directions in small steps, each predicted
// from the direction and curvature so far and corrected to the darkest line
// across it at the hair's width. Goes straight on through crossings and where
// another hair touches (momentum), stops where the ridge fades, at the edge, or
// where it runs onto a traced hair of the same direction. Points about one pixel
// apart, in pixel coordinates (pixel centres at whole numbers).
std::vector<Chain> TraceHairs(const RidgeMaps& maps, const TracerOptions& options);

} // namespace detection
