#pragma once

#include <QString>
#include <QStringList>

#include <variant>
#include <vector>

// A table as spreadsheets and CSV files take it: a named sheet, one header row,
// and rows of cells that are empty, numbers or texts.
using SheetCell = std::variant<std::monostate, double, QString>;

struct SheetTable
{
    QString name; // the sheet's name (at most 31 characters, none of []:*?/\)
    QStringList header;
    std::vector<std::vector<SheetCell>> rows;
};

namespace SheetWriter {

// Writes the sheets as an Office Open XML workbook (.xlsx): header rows bold,
// numbers as numbers, texts as texts. The file is written beside the target and
// renamed over it, so a failed write leaves no half file. False with the reason.
bool WriteXlsx(const QString& path, const std::vector<SheetTable>& sheets, QString* error = nullptr);

// One sheet as RFC 4180 CSV text: UTF-8 with a byte order mark, CRLF line ends,
// `separator` between fields, a field quoted when it holds the separator, a quote
// or a line break, numbers in their shortest exact form with `decimal`.
QByteArray CsvBytes(const SheetTable& sheet, QChar separator = QLatin1Char(','), QChar decimal = QLatin1Char('.'));

// Writes CsvBytes atomically. False with the reason.
bool WriteCsv(const QString& path, const SheetTable& sheet, QChar separator = QLatin1Char(','),
    QChar decimal = QLatin1Char('.'), QString* error = nullptr);

} // namespace SheetWriter
