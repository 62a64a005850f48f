#pragma once

#include <QJsonArray>
#include <QJsonObject>

#include <vector>

struct ResultsSnapshot;
struct ThicknessClass;

// The results as JSON, with the keys pelorix-cli prints: unit, areaUnit, scale,
// evaluatedArea, imageWidth, imageHeight, the 19 rows and one object per top node
// of the result tree, then thicknessUnit, medianThickness and vellusPercentage
// (null without hairs) and thicknessClasses. Numbers are JSON numbers, texts
// exactly as shown.
namespace ResultsJson {

QJsonObject ToJson(const ResultsSnapshot& results);
// Thickness classes as an array of { lower, upper, count }.
QJsonArray ClassesJson(const std::vector<ThicknessClass>& classes);

} // namespace ResultsJson
