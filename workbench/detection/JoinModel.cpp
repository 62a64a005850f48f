// Evaluates the join model: a sum of small decision trees, then the logistic.
#include "workbench/detection/JoinModel.h"

#include <cmath>

namespace detection {

namespace {

struct TreeNode
{
    int feature; // -1: a leaf
    float threshold; // go left when the feature is below it
    int left, right; // node indices
    float value; // a leaf's share of the log-odds
};

#include "workbench/detection/JoinModelData.inc"

} // namespace

double JoinProbability(const JoinFeatures& features)
{
    double sum = kJoinBias;
    for (const int root : kJoinRoots) {
        int at = root;
        while (kJoinNodes[at].feature >= 0) {
            const TreeNode& node = kJoinNodes[at];
            at = features[size_t(node.feature)] < node.threshold ? node.left : node.right;
        }
        sum += kJoinNodes[at].value;
    }
    return 1.0 / (1.0 + std::exp(-sum));
}

} // namespace detection
