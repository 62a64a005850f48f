#pragma once

#include "workbench/HairMetrics.h"

#include <unordered_map>
#include <vector>

// Curve lengths by shape id, kept with the nodes they were computed from. A
// recomputation integrates only the curves whose nodes changed since, so that
// rebuilding all results costs little more than reading the shapes.
class CurveLengthCache
{
public:
    // The length of the curve with these nodes, from the cache when unchanged.
    HairMetrics::CurveLengthResult Length(int shapeId, const std::vector<TMyPoint>& nodes);
    void Forget(int shapeId) { m_entries.erase(shapeId); }
    void Clear() { m_entries.clear(); }
    int Size() const { return int(m_entries.size()); }

private:
    struct Entry
    {
        std::vector<TMyPoint> nodes;
        HairMetrics::CurveLengthResult result;
    };
    std::unordered_map<int, Entry> m_entries;
};
