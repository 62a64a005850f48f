#include "workbench/ResultsExport.h"

#include "common/LanguageTable.h"
#include "common/NumberText.h"
#include "common/TDataFrame.h"
#include "workbench/TmxNativeExcel.h"

#include <QFileInfo>
#include <QSaveFile>

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

QChar ListSeparator(QChar decimalSeparator)
{
    return decimalSeparator == QLatin1Char(',') ? QLatin1Char(';') : QLatin1Char(',');
}

QByteArray CsvBytes(const std::vector<ExportObject>& objects, const LanguageTable& texts, QChar decimalSeparator)
{
    const QChar list = ListSeparator(decimalSeparator);
    // Quoted when the field holds the list separator, a quote, a line break or
    // blanks at its ends; quotes inside are doubled.
    auto field = [&](const QString& text) {
        const bool quote = text.contains(list) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\r'))
            || text.contains(QLatin1Char('\n')) || text != text.trimmed();
        if (!quote)
            return text;
        QString quoted = text;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + quoted + QLatin1Char('"');
    };
    auto line = [&](const QStringList& cells) {
        QString out;
        for (qsizetype i = 0; i < cells.size(); ++i)
            out += (i ? QString(list) : QString()) + field(cells[i]);
        return out + QStringLiteral("\r\n");
    };
    const QStringList captions = Captions(texts);
    QString text = line(captions);
    for (const ExportObject& object : objects) {
        if (object.shapeId < 0)
            continue;
        QStringList cells(captions.size());
        cells[0] = object.caption;
        for (const auto& [name, value] : object.parameters) {
            const int column = ColumnOf(name, texts);
            if (column > 0)
                cells[column] = NumberText::General(value, decimalSeparator);
        }
        text += line(cells);
    }
    // UTF-8 with a byte order mark, so that spreadsheets show "µm" and "ü".
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot create %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

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
    } else if (suffix == QLatin1String("csv")) {
        if (!WriteFile(path, CsvBytes(objects, texts, localeSeparator), error))
            return false;
    } else {
        // Writing nothing without a word would look like success.
        if (error)
            *error = path + QStringLiteral(": ") + texts.Text(QStringLiteral("MessageExportFormats"));
        return false;
    }
    if (written)
        *written = true;
    return true;
}

bool IsExportFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("xls") || suffix == QLatin1String("txt") || suffix == QLatin1String("csv");
}

} // namespace ResultsExport
