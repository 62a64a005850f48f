#include "workbench/ResultsExport.h"

#include "common/LanguageTable.h"
#include "common/NumberText.h"
#include "common/TDataFrame.h"
#include "workbench/SheetTable.h"
#include "workbench/ThicknessDistribution.h"
#include "workbench/TmxNativeExcel.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

// Column order of the export: object, then the nine quantities.
const char* const kColumnLabels[] = { "LabelObject", "LabelLength", "LabelWidth", "LabelHeight", "LabelArea",
    "LabelPerimeter", "LabelRadius", "LabelSemiAxis1", "LabelSemiAxis2", "LabelAngle" };

QString ClassCaption(const ThicknessClass& c)
{
    return QStringLiteral("%1-%2 µm").arg(c.lower).arg(c.upper);
}

} // namespace

namespace ResultsExport {

QStringList ClassHeading(const LanguageTable& texts)
{
    return { texts.Text(QStringLiteral("LabelThicknessClasses")),
        texts.Text(QStringLiteral("LabelClassLower")) + QStringLiteral(" [µm]"),
        texts.Text(QStringLiteral("LabelClassUpper")) + QStringLiteral(" [µm]"),
        texts.Text(QStringLiteral("LabelCount")) };
}

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

QByteArray CsvBytes(const std::vector<ExportObject>& objects, const LanguageTable& texts, QChar decimalSeparator,
    const std::vector<ThicknessClass>& classes)
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
    if (!classes.empty()) {
        text += line(QStringList(captions.size()));
        QStringList heading = ClassHeading(texts);
        while (heading.size() < captions.size())
            heading << QString();
        text += line(heading);
        for (const ThicknessClass& c : classes) {
            QStringList cells(captions.size());
            cells[0] = ClassCaption(c);
            cells[1] = QString::number(c.lower);
            cells[2] = QString::number(c.upper);
            cells[3] = QString::number(c.count);
            text += line(cells);
        }
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
    QChar localeSeparator, QString* error, bool* written, const std::vector<ThicknessClass>& classes)
{
    if (written)
        *written = false;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx")) {
        SheetTable sheet;
        sheet.name = texts.Text(QStringLiteral("LabelObject"));
        sheet.header = Captions(texts);
        for (const ExportObject& object : objects) {
            std::vector<SheetCell> cells(size_t(sheet.header.size()));
            cells[0] = object.caption;
            if (object.shapeId >= 0)
                for (const auto& [name, value] : object.parameters)
                    if (const int column = ColumnOf(name, texts); column > 0)
                        cells[size_t(column)] = value;
            sheet.rows.push_back(std::move(cells));
        }
        if (!classes.empty()) {
            sheet.rows.emplace_back();
            std::vector<SheetCell> heading;
            for (const QString& caption : ClassHeading(texts))
                heading.emplace_back(caption);
            sheet.rows.push_back(std::move(heading));
            for (const ThicknessClass& c : classes)
                sheet.rows.push_back({ ClassCaption(c), double(c.lower), double(c.upper), double(c.count) });
        }
        if (!SheetWriter::WriteXlsx(path, { sheet }, error))
            return false;
    } else if (suffix == QLatin1String("xls")) {
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
        if (!classes.empty()) {
            table.AddRow();
            const int heading = table.AddRow();
            const QStringList captions = ClassHeading(texts);
            for (int column = 0; column < captions.size(); ++column)
                table.Cell(column, heading)->SetText(captions[column]);
            for (const ThicknessClass& c : classes) {
                const int row = table.AddRow();
                table.Cell(0, row)->SetText(ClassCaption(c));
                table.Cell(1, row)->SetFloat(c.lower);
                table.Cell(2, row)->SetFloat(c.upper);
                table.Cell(3, row)->SetFloat(c.count);
            }
        }
        // A text file that cannot be written is reported, never passed over in silence.
        if (!table.WriteText(path, false, QLatin1Char(' '), localeSeparator)) {
            if (error)
                *error = table.LastError();
            return false;
        }
    } else if (suffix == QLatin1String("csv")) {
        if (!WriteFile(path, CsvBytes(objects, texts, localeSeparator, classes), error))
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
    return suffix == QLatin1String("xls") || suffix == QLatin1String("xlsx") || suffix == QLatin1String("txt")
        || suffix == QLatin1String("csv");
}

} // namespace ResultsExport
