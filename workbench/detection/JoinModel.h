#pragma once

#include <array>

namespace detection {

// What is known of two piece ends that may belong to one hair: the figures the
// join model weighs. "Widths" are multiples of the thinner piece's width.
enum JoinFeature : int {
    kFeatureGap, // distance between the two ends
    kFeatureGapMm, // the same in millimetres
    kFeatureTurn, // angle between the ends' directions, 0 when one runs straight on into the other
    kFeatureLateral, // sideways offset of either end from the other's direction, the larger
    kFeatureAheadMin, // the gap measured along each end's direction (negative: the ends overlap)
    kFeatureAheadMax,
    kFeatureWidthRatio, // log of the wider piece's width over the thinner's
    kFeatureContrastRatio, // log of the larger contrast over the smaller
    kFeatureMisfit, // RMS distance of both ends' last stretches from one parabola through them
    kFeaturePredict, // how far each end's own parabola misses the other end, the larger
    kFeatureBridgeDark, // share of the straight bridge darker than the skin by a third of the contrast
    kFeatureShortLength, // length of the shorter piece
    kFeatureLongLength, // length of the longer piece
    kFeatureWidthUm, // width of the thinner piece, micrometres
    kFeatureContrastMin, // contrast of the fainter piece (darkness above the skin)
    kFeatureEndsOnOther, // 1 when each end lies on the other piece (ends overlapping along one hair)
    kFeatureColour, // distance of the two pieces' chromaticities (red and green shares)
    kFeatureMisfitLong, // as kFeatureMisfit over longer stretches (ten widths, at least 40 pixels)
    kFeatureTraced, // 1 for pieces of the tracer, 0 for pieces of the skeleton graph
    kFeatureWholeMisfit, // RMS distance of both pieces (up to 60 widths from the ends) from one cubic
    kFeatureWholeMisfitWorst, // the largest distance from that cubic
    kJoinFeatureCount
};

using JoinFeatures = std::array<float, kJoinFeatureCount>;

// Probability (0..1) that the two ends belong to one hair: boosted decision trees
// trained on generated pictures with known hairs (tools/train_join_model.py).
double JoinProbability(const JoinFeatures& features);

} // namespace detection
