// Evaluates the join model: a sum of small decision trees, then the logistic.
#include "workbench/detection/JoinModel.h"

#include <cmath>
#include <cstddef>

namespace detection {

namespace {

struct TreeNode
{
    int feature; // -1: a leaf
    float threshold; // go left when the feature is below it
    int left, right; // node indices
    float value; // a leaf's share of the log-odds
};

template <size_t Roots>
double Evaluate(double bias, const TreeNode* nodes, const int (&roots)[Roots], const float* features)
{
    double sum = bias;
    for (const int root : roots) {
        int at = root;
        while (nodes[at].feature >= 0)
            at = features[nodes[at].feature] < nodes[at].threshold ? nodes[at].left : nodes[at].right;
        sum += nodes[at].value;
    }
    return 1.0 / (1.0 + std::exp(-sum));
}

#include "workbench/detection/JoinModelData.inc"

} // namespace

double JoinProbability(const JoinFeatures& features)
{
    return Evaluate(kBias, kNodes, kRoots, features.data());
}

} // namespace detection
