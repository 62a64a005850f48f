#pragma once

#include <QJsonObject>

struct ResultsSnapshot;

// The results as JSON, with the keys pelorix-cli prints: unit, areaUnit, scale,
// evaluatedArea, imageWidth, imageHeight, the 19 rows and one object per top node
// of the result tree. Numbers are JSON numbers, texts exactly as shown.
namespace ResultsJson {

QJsonObject ToJson(const ResultsSnapshot& results);

} // namespace ResultsJson
