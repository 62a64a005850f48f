#include "workbench/ResultsExport.h"

#include "common/LanguageTable.h"
#include "common/TDataFrame.h"
#include "workbench/TmxNativeExcel.h"

#include <QFileInfo>

namespace {

// Column order of the export: object, then the nine quantities.
const char* const kColumnLabels[] = { "LabelObject", "LabelLength", "LabelWidth", "LabelHeight", "LabelArea",
    "LabelPerimeter", "LabelRadius", "LabelSemiAxis1", "LabelSemiAxis2", "LabelAngle" };

} // namespace

namespace ResultsExport {

QStringList Captions(const LanguageTable& texts)
{
    QStringList captions;
    for (const char* label : kColumnLabels)
        captions << texts.Text(QLatin1String(label));
    return captions;
}

int ColumnOf(const QString& parameterName, const LanguageTable& texts)
{
    for (int column = 9; column >= 1; --column)
        if (texts.Text(QLatin1String(kColumnLabels[column])) == parameterName)
            return column;
    return -1;
}

void FillSpreadsheet(TmxNativeExcel& sheet, const std::vector<ExportObject>& objects, const LanguageTable& texts)
{
    for (const QString& caption : Captions(texts))
        sheet.WriteLabel(caption);
    quint16 row = 1;
    for (const ExportObject& object : objects) {
        ++row;
        sheet.SetRow(row);
        sheet.SetColumn(1);
        sheet.WriteLabel(object.caption);
        if (object.shapeId < 0)
            continue;
        for (const auto& [name, value] : object.parameters) {
            const int column = ColumnOf(name, texts);
            if (column < 0)
                continue;
            sheet.SetColumn(quint16(column + 1));
            sheet.WriteNumber(value);
        }
    }
    sheet.ProtectSheet(true);
    sheet.CloseFile();
}

QByteArray SpreadsheetBytes(const std::vector<ExportObject>& objects, const LanguageTable& texts)
{
    TmxNativeExcel sheet;
    FillSpreadsheet(sheet, objects, texts);
    return sheet.Buffer();
}

bool Export(const std::vector<ExportObject>& objects, const LanguageTable& texts, const QString& path,
    QChar localeSeparator, QString* error, bool* written)
{
    if (written)
        *written = false;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xls")) {
        TmxNativeExcel sheet;
        sheet.SetFileName(path);
        FillSpreadsheet(sheet, objects, texts);
        if (!sheet.SaveToFile(error))
            return false;
    } else if (suffix == QLatin1String("txt")) {
        TDataFrame table;
        table.MissingText = QString();
        for (const QString& caption : Captions(texts))
            table.AddColumn(caption);
        for (const ExportObject& object : objects) {
            if (object.shapeId < 0)
                continue;
            const int row = table.AddRow();
            table.Cell(0, row)->SetText(object.caption);
            for (const auto& [name, value] : object.parameters) {
                const int column = ColumnOf(name, texts);
                if (column > 0)
                    table.Cell(column, row)->SetFloat(value);
            }
        }
        // A text file that cannot be written is reported, never passed over in silence.
        if (!table.WriteText(path, false, QLatin1Char(' '), localeSeparator)) {
            if (error)
                *error = table.LastError();
            return false;
        }
    } else {
        return true;
    }
    if (written)
        *written = true;
    return true;
}

} // namespace ResultsExport
