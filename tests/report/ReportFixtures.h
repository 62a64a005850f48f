#pragma once

#include "canvas/TMyCAD.h"
#include "canvas/TMyRectangle.h"
#include "common/TDataFrame.h"
#include "report/ReportDesign.h"
#include "tests/support/TestSupport.h"

#include <QColor>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
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
    return text ? text->Lines() : QStringList { QStringLiteral("<not a text>") };
}

} // namespace ReportFixtures

namespace ReportFixtures {

// A variable table as Pelorix writes it for printing: every variable of the
// shipped template, with the two pictures given.
inline QString WritePrintTable(const TestSupport::TempDir& dir, const QString& original, const QString& marked)
{
    std::vector<std::pair<QString, QString>> rows = {
        { "ProgVersion", "0.1.0" },
        { "ProgramName", "pelorix" },
        { "DateTime", "09.12.2026 10:15:00" },
        { "Name", "Musterfrau, Erika" },
        { "DateOfBirth", "12.08.1964" },
        { "ImageDate", "01.12.2026 09:30:00" },
    };
    const char* const values[][3] = {
        { "Count", "42", "" },
        { "Density", "187.23", "1/cm²" },
        { "Thickness Mean", "61.50", "µm" },
        { "Thickness Cum", "2583.00", "µm" },
        { "Length Mean", "3.21", "mm" },
        { "Length Cum", "134.82", "mm" },
        { "Vellus Count", "7", "" },
        { "Vellus Density", "31.20", "1/cm²" },
        { "Terminal Count", "35", "" },
        { "Terminal Density", "156.03", "1/cm²" },
        { "Follicular units", "19", "" },
        { "Fol. Unit Density", "84.70", "1/cm²" },
    };
    const char* const stems[]
        = { "TotalCount", "TotalDensity", "ThicknessMean", "Thickness_Cum", "LengthMean", "LengthCum", "VellusCount",
              "VellusDensity", "TerminalCount", "TerminalDensity", "FollicularUnitCount", "FollicularUnitDensity" };
    for (int i = 0; i < 12; ++i) {
        const QString stem = QString::fromLatin1(stems[i]);
        rows.emplace_back(stem + "Caption", QString::fromUtf8(values[i][0]));
        rows.emplace_back(stem + "Value", QString::fromUtf8(values[i][1]));
        if (*values[i][2] != '\0')
            rows.emplace_back(stem + "Unit", QString::fromUtf8(values[i][2]));
    }
    rows.emplace_back("ImageOriginal", original);
    rows.emplace_back("ImageAnalysis", marked);
    return WriteResultData(dir, rows, QStringLiteral("ResultDataFrameForPrint_PID_1_2.dff"));
}

// The text of a PDF file as pdftotext reads it; empty when the tool is missing.
inline QString PdfText(const QString& pdf)
{
    const QString out = pdf + QStringLiteral(".txt");
    const QByteArray command = "pdftotext -layout '" + QFile::encodeName(pdf) + "' '" + QFile::encodeName(out) + "'";
    if (std::system(command.constData()) != 0)
        return QString();
    return QString::fromUtf8(TestSupport::ReadAll(out));
}

} // namespace ReportFixtures
