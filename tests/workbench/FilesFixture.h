#pragma once

#include "tests/support/TestSupport.h"
#include "tests/workbench/WorkbenchFixture.h"
#include "workbench/MeasurementFile.h"
#include "workbench/ResultsJson.h"

#include <QColor>
#include <QImage>
#include <QJsonObject>

// A workbench with the measurement file commands and a temporary folder for
// pictures and measurement files.
class FilesTest : public WorkbenchTest
{
protected:
    TestSupport::TempDir dir;
    MeasurementFile files { wb };

    // Writes a picture file (PNG contents whatever the name says) and returns its path.
    QString PictureFile(const QString& name, int width, int height, QColor color = QColor(200, 150, 120))
    {
        QImage image(width, height, QImage::Format_RGB888);
        image.fill(color);
        const QString path = dir.Path(name);
        EXPECT_TRUE(image.save(path, "PNG"));
        return path;
    }

    // Loads a picture the operator chose (the file is kept).
    void LoadOperatorPicture(int width, int height)
    {
        ASSERT_TRUE(files.LoadPicture(PictureFile(QStringLiteral("operator.png"), width, height), false));
    }

    static QJsonObject Json(const Workbench& workbench) { return ResultsJson::ToJson(workbench.Results()); }
};
