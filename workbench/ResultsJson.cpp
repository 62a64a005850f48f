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
    // How many hairs were detected, detected and corrected, and drawn by hand.
    int detected = 0, edited = 0, drawn = 0;
    for (const ResultObject& object : results.objects) {
        detected += object.origin == QLatin1String("detected") ? 1 : 0;
        edited += object.origin == QLatin1String("edited") ? 1 : 0;
        drawn += object.origin == QLatin1String("drawn") ? 1 : 0;
    }
    for (const ResultObject& object : results.objects) {
        QJsonArray params;
        for (const ResultParam& param : object.params)
            params.append(
                QJsonObject { { QStringLiteral("name"), param.name }, { QStringLiteral("value"), param.value },
                    { QStringLiteral("unit"), param.unit }, { QStringLiteral("decimals"), param.decimals } });
        QJsonObject json { { QStringLiteral("id"), object.id }, { QStringLiteral("caption"), object.caption },
            { QStringLiteral("params"), params } };
        if (!object.origin.isEmpty())
            json.insert(QStringLiteral("origin"), object.origin);
        objects.append(json);
    }
    const ThicknessSummary& thickness = results.thickness;
    const auto optional = [](const std::optional<double>& value) { return value ? QJsonValue(*value) : QJsonValue(); };
    return QJsonObject { { QStringLiteral("unit"), results.unit }, { QStringLiteral("areaUnit"), results.areaUnit },
        { QStringLiteral("scale"), results.scale }, { QStringLiteral("evaluatedArea"), qint64(results.evaluatedArea) },
        { QStringLiteral("imageWidth"), results.imageWidth }, { QStringLiteral("imageHeight"), results.imageHeight },
        { QStringLiteral("rows"), rows }, { QStringLiteral("objects"), objects },
        { QStringLiteral("origins"),
            QJsonObject { { QStringLiteral("detected"), detected }, { QStringLiteral("edited"), edited },
                { QStringLiteral("drawn"), drawn } } },
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
