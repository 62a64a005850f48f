#pragma once

#include "workbench/ThicknessDistribution.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class LanguageTable;
class TmxNativeExcel;

// The per-object results as the result tree shows them: one top node per
// measured object with its parameters (name as shown, value in the unit shown).
struct ExportObject
{
    QString caption;
    int shapeId = -1; // objects without a shape have a negative id
    std::vector<std::pair<QString, double>> parameters;
};

// "Ergebnisse exportieren ...": the objects as a spreadsheet (".xls"), a
// tab-separated text file (".txt") or a CSV file (".csv"), ten columns headed by the language texts
// of object, length, width, height, area, perimeter, radius, the two semi-axes
// and angle. Parameters named otherwise (the thickness) are not exported.
namespace ResultsExport {

// The ten column captions in column order.
QStringList Captions(const LanguageTable& texts);

// The column index (1-9) of a parameter name, or -1. The labels are compared
// from angle back to length and the first match wins.
int ColumnOf(const QString& parameterName, const LanguageTable& texts);

// Writes the spreadsheet's records: header row, one row per object, protection, end.
void FillSpreadsheet(TmxNativeExcel& sheet, const std::vector<ExportObject>& objects, const LanguageTable& texts);
// The record stream of the spreadsheet file.
QByteArray SpreadsheetBytes(const std::vector<ExportObject>& objects, const LanguageTable& texts);

// The list separator that goes with a decimal separator: ";" beside ",", else ",".
QChar ListSeparator(QChar decimalSeparator);
// The CSV file: RFC 4180 quoting, the list separator of the decimal separator,
// CR LF lines, UTF-8 with a byte order mark. Objects without a shape are left out.
// The thickness classes follow the table as in the text file.
QByteArray CsvBytes(const std::vector<ExportObject>& objects, const LanguageTable& texts, QChar decimalSeparator,
    const std::vector<ThicknessClass>& classes = {});

// Writes by the file's extension (any case): ".xls" the spreadsheet, ".xlsx" a
// workbook of the same table, ".txt" the text table and ".csv" the CSV file, both
// with `localeSeparator` as decimal separator; all but ".xls" with the thickness
// classes after the table. False, with the reason in `error`, when the file cannot be written
// or the extension is none of these (then nothing is written).
bool Export(const std::vector<ExportObject>& objects, const LanguageTable& texts, const QString& path,
    QChar localeSeparator, QString* error = nullptr, bool* written = nullptr,
    const std::vector<ThicknessClass>& classes = {});

// The heading of the rows that follow the objects' table in the text and workbook
// exports (after an empty row): distribution, from, to, count; then one row per
// class (caption "lower-upper µm", lower, upper, count). None without classes.
QStringList ClassHeading(const LanguageTable& texts);

// True for the extensions Export writes.
bool IsExportFile(const QString& path);

} // namespace ResultsExport
