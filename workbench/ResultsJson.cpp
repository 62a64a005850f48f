#include "workbench/ResultsJson.h"

#include "workbench/Workbench.h"

#include <QJsonArray>

namespace ResultsJson {

QJsonObject ToJson(const ResultsSnapshot& results)
{
    QJsonArray rows;
    for (const TGridResult& row : results.rows)
        rows.append(QJsonObject { { QStringLiteral("caption"), row.caption }, { QStringLiteral("text"), row.text },
            { QStringLiteral("value"), row.value }, { QStringLiteral("unit"), row.unit },
            { QStringLiteral("header"), row.header }, { QStringLiteral("band"), row.band } });
    QJsonArray objects;
    for (const ResultObject& object : results.objects) {
        QJsonArray params;
        for (const ResultParam& param : object.params)
            params.append(
                QJsonObject { { QStringLiteral("name"), param.name }, { QStringLiteral("value"), param.value },
                    { QStringLiteral("unit"), param.unit }, { QStringLiteral("decimals"), param.decimals } });
        objects.append(QJsonObject { { QStringLiteral("id"), object.id }, { QStringLiteral("caption"), object.caption },
            { QStringLiteral("params"), params } });
    }
    const ThicknessSummary& thickness = results.thickness;
    const auto optional = [](const std::optional<double>& value) { return value ? QJsonValue(*value) : QJsonValue(); };
    return QJsonObject { { QStringLiteral("unit"), results.unit }, { QStringLiteral("areaUnit"), results.areaUnit },
        { QStringLiteral("scale"), results.scale }, { QStringLiteral("evaluatedArea"), qint64(results.evaluatedArea) },
        { QStringLiteral("imageWidth"), results.imageWidth }, { QStringLiteral("imageHeight"), results.imageHeight },
        { QStringLiteral("rows"), rows }, { QStringLiteral("objects"), objects },
        { QStringLiteral("thicknessUnit"), thickness.unit },
        { QStringLiteral("medianThickness"), optional(thickness.median) },
        { QStringLiteral("vellusPercentage"), optional(thickness.vellusPercentage) },
        { QStringLiteral("thicknessClasses"), ClassesJson(thickness.classes) } };
}

QJsonArray ClassesJson(const std::vector<ThicknessClass>& classes)
{
    QJsonArray array;
    for (const ThicknessClass& c : classes)
        array.append(QJsonObject { { QStringLiteral("lower"), c.lower }, { QStringLiteral("upper"), c.upper },
            { QStringLiteral("count"), c.count } });
    return array;
}

} // namespace ResultsJson
