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
    return QJsonObject { { QStringLiteral("unit"), results.unit }, { QStringLiteral("areaUnit"), results.areaUnit },
        { QStringLiteral("scale"), results.scale }, { QStringLiteral("evaluatedArea"), qint64(results.evaluatedArea) },
        { QStringLiteral("imageWidth"), results.imageWidth }, { QStringLiteral("imageHeight"), results.imageHeight },
        { QStringLiteral("rows"), rows }, { QStringLiteral("objects"), objects },
        { QStringLiteral("origins"),
            QJsonObject { { QStringLiteral("detected"), detected }, { QStringLiteral("edited"), edited },
                { QStringLiteral("drawn"), drawn } } } };
}

} // namespace ResultsJson
