// Evaluates the join model.
#include "workbench/detection/JoinModel.h"

#include "workbench/detection/TreeModel.h"

namespace detection {

namespace {
#include "workbench/detection/JoinModelData.inc"
} // namespace

double JoinProbability(const JoinFeatures& features)
{
    return EvaluateTrees(kBias, kNodes, kRoots, features.data());
}

} // namespace detection
