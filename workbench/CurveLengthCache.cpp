#include "workbench/CurveLengthCache.h"

HairMetrics::CurveLengthResult CurveLengthCache::Length(int shapeId, const std::vector<TMyPoint>& nodes)
{
    Entry& entry = m_entries[shapeId];
    if (entry.nodes.empty() || entry.nodes != nodes) {
        entry.nodes = nodes;
        entry.result = HairMetrics::CurveLength(nodes);
    }
    return entry.result;
}
