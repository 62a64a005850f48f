#pragma once

#include "tests/e2e/CliRun.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TestSupport.h"
#include "workbench/HostImport.h"
#include "workbench/MeasurementFile.h"
#include "workbench/Workbench.h"

#include <QFile>
#include <QJsonArray>

#include <gtest/gtest.h>

using TestSupport::DataPath;
using TestSupport::TempDir;

class WorkbenchCli : public ::testing::Test
{
protected:
    TempDir dir;

    // The sample exchange file and a copy of its picture (the import consumes it),
    // with extra lines for the "Additional" section.
    QString Exchange(const QByteArray& additional = QByteArray())
    {
        EXPECT_TRUE(QFile::copy(DataPath("sample/sample-scalp.jpg"), dir.Path("sample-scalp.jpg")));
        QByteArray ini = TestSupport::ReadAll(DataPath("sample/exchange.ini"));
        if (!additional.isEmpty())
            ini.replace("Add0Name=Operator\r\nAdd0Value=Dr. Wei\xDF", additional);
        return dir.Write("exchange.ini", ini);
    }

    // An earlier session in this process: the sample imported (calibration 200 pixels
    // per mm, scale bar, exclusion circle), hairs drawn, saved without picture.
    QString HairMeasurement()
    {
        ScriptedPrompt prompt;
        Workbench wb(prompt);
        EXPECT_EQ(HostImport(wb).ImportHostFile(Exchange()).status, HostImportResult::Imported);
        for (int i = 0; i < 5; ++i)
            wb.Canvas().AddShape(
                SpRuleLine, QString(), 0.0f, { QPointF(900, 800 + 30 * i), QPointF(1100 + 40 * i, 820 + 30 * i) }, "L");
        wb.Canvas().AddShape(SpPolyBezier, QString(), 0.0f,
            { QPointF(1000, 1000), QPointF(1040, 960), QPointF(1100, 960), QPointF(1150, 1010) }, "C");
        wb.Canvas().AddShape(SpEllipse, QString(), 0.0f,
            { QPointF(1200, 900), QPointF(1230, 900), QPointF(1230, 920), QPointF(1200, 920) }, "E");
        EXPECT_TRUE(MeasurementFile(wb).SaveMeasurement(dir.Path("hairs.nvm"), false));
        return dir.Path("hairs.nvm");
    }

    // The results without the patient rows, which come from the host, not the file.
    static QJsonObject WithoutPatient(QJsonObject json)
    {
        QJsonArray rows = json["rows"].toArray();
        for (int row : { int(RowName), int(RowBirthdate), int(RowDate) })
            rows[row] = QJsonValue();
        json["rows"] = rows;
        return json;
    }
};

inline QString LastLine(const QString& text)
{
    const QStringList lines = text.trimmed().split(QLatin1Char('\n'));
    return lines.isEmpty() ? QString() : lines.last();
}
