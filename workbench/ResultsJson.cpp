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
        QJsonObject json { { QStringLiteral("id"), object.id }, { QStringLiteral("caption"), object.caption },
            { QStringLiteral("params"), params } };
        if (!object.origin.isEmpty())
            json.insert(QStringLiteral("origin"), object.origin);
        objects.append(json);
    }
    return QJsonObject { { QStringLiteral("unit"), results.unit }, { QStringLiteral("areaUnit"), results.areaUnit },
        { QStringLiteral("scale"), results.scale }, { QStringLiteral("evaluatedArea"), qint64(results.evaluatedArea) },
        { QStringLiteral("imageWidth"), results.imageWidth }, { QStringLiteral("imageHeight"), results.imageHeight },
        { QStringLiteral("rows"), rows }, { QStringLiteral("objects"), objects } };
}

} // namespace ResultsJson
