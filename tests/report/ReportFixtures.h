#pragma once

#include "canvas/TMyCAD.h"
#include "canvas/TMyRectangle.h"
#include "common/TDataFrame.h"
#include "report/ReportDesign.h"
#include "tests/support/TestSupport.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

// Fixtures of the report suites: result data files and small designs.
namespace ReportFixtures {

// Writes a result data file as Pelorix does: columns Name, Value, Type ("String").
inline QString WriteResultData(const TestSupport::TempDir& dir, const std::vector<std::pair<QString, QString>>& rows,
                               const QString& name = QStringLiteral("result.dff"))
{
    TDataFrame table;
    table.AddColumn(QStringLiteral("Name"));
    table.AddColumn(QStringLiteral("Value"));
    table.AddColumn(QStringLiteral("Type"));
    for (const auto& [key, value] : rows) {
        const int row = table.AddRow();
        table.Cell(0, row)->SetText(key);
        table.Cell(1, row)->SetText(value);
        table.Cell(2, row)->SetText(QStringLiteral("String"));
    }
    const QString path = dir.Path(name);
    EXPECT_TRUE(table.WriteIni(path));
    return path;
}

// A picture of one colour saved as PNG.
inline QString WritePicture(const TestSupport::TempDir& dir, const QString& name, QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const QString path = dir.Path(name);
    EXPECT_TRUE(image.save(path));
    return path;
}

// The lines of the text shape at a list position.
inline QStringList LinesAt(const TMyCAD& cad, int index)
{
    const auto* text = dynamic_cast<const TMyText*>(cad.ShapeByIndex(index));
    return text ? text->Lines() : QStringList{QStringLiteral("<not a text>")};
}

} // namespace ReportFixtures
