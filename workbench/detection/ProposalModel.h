#pragma once

#include <array>

namespace detection {

// What is known of a finished detection when it is rated: the figures the
// proposal model weighs. "Widths" are the hair's width, at least 4 pixels.
enum ProposalFeature : int {
    kProposalLengthMm,
    kProposalThicknessUm, // pixels times 1000 / pixels per mm (uncalibrated: at the assumed calibration)
    kProposalContrast, // darkness above the skin
    kProposalCurved, // 1 for a curve, 0 for a line
    kProposalStraightness, // distance of the ends over the length
    kProposalAlong, // largest share of its centre line within a width of another detection
    kProposalAlongLonger, // the same against longer detections only
    kProposalEndsOnOther, // how many of its ends (0..2 per other detection) lie on another detection
    kProposalNeighbours, // detections within two widths of its bounding box
    kProposalBeyondMax, // darkness 1.5 widths beyond an end, share of the contrast: the larger of the ends
    kProposalBeyondMin, // and the smaller
    kProposalRed, // chromaticity along the centre line (red and green shares of the sum)
    kProposalGreen,
    kProposalFeatureCount
};

using ProposalFeatures = std::array<float, kProposalFeatureCount>;

// Probability (0..1) that a detection is a hair of its own, whole enough to be
// counted: boosted decision trees trained on generated pictures with known
// hairs (tools/train_proposal_model.py).
double ProposalProbability(const ProposalFeatures& features);

} // namespace detection
