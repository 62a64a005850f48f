#pragma once

#include <cmath>
#include <cstddef>

namespace detection {

// A node of the boosted decision trees the detection's models are made of
// (written by the training scripts in tools/).
struct TreeNode
{
    int feature; // -1: a leaf
    float threshold; // go left when the feature is below it
    int left, right; // node indices
    float value; // a leaf's share of the log-odds
};

// A sum of small decision trees, then the logistic: a probability 0..1.
template <size_t Roots>
double EvaluateTrees(double bias, const TreeNode* nodes, const int (&roots)[Roots], const float* features)
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

} // namespace detection
