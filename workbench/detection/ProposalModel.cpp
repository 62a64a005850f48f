// Evaluates the proposal model.
#include "workbench/detection/ProposalModel.h"

#include "workbench/detection/TreeModel.h"

namespace detection {

namespace {
#include "workbench/detection/ProposalModelData.inc"
} // namespace

double ProposalProbability(const ProposalFeatures& features)
{
    return EvaluateTrees(kBias, kNodes, kRoots, features.data());
}

} // namespace detection
