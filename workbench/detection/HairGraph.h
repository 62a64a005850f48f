#pragma once

#include "workbench/detection/PictureMemory.h"

#include <QPointF>

#include <cstdint>
#include <vector>

namespace detection {

// A one-pixel-wide skeleton of the hair mask with the local hair width estimate
// at each skeleton pixel. Row-major, `width` x `height`.
struct Skeleton
{
    int width = 0;
    int height = 0;
    PictureVector<uint8_t> mask; // nonzero: skeleton pixel
    PictureVector<float> hairWidth; // local width estimate in pixels (read at skeleton pixels only)
};

struct GraphOptions
{
    // Two branches at a junction belong to one hair when one continues the other
    // within this angle.
    double joinAngleDeg = 35.0;
    // Two loose ends further apart than this are never joined (pixels).
    double gapMaxPx = 30.0;
    // False leaves the pairing to the caller: every branch between junctions of
    // three or more branches is a chain of its own, and no loose ends are joined.
    bool joinBranches = true;
};

// Thins the mask to one pixel (Zhang-Suen, visiting only set pixels), then
// removes staircase corners so that a line pixel has exactly two neighbours.
void ThinMask(PictureVector<uint8_t>& mask, int width, int height);

// One hair candidate: its ordered centre-line pixels and median width.
struct Chain
{
    std::vector<QPointF> points;
    double widthPx = 0.0;
};

// Splits the skeleton at its junctions into segments, drops short spurs, pairs
// the branches at each junction by direction continuity (so two crossing hairs
// stay two hairs) and joins collinear loose ends across short gaps.
std::vector<Chain> TraceChains(const Skeleton& skeleton, const GraphOptions& options);

} // namespace detection
