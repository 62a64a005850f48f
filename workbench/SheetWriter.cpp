#include "workbench/SheetTable.h"

#include "common/NumberText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <cmath>
#include <cstdio>

namespace SheetWriter {

namespace {

bool Failed(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

QString SheetName(const QString& name, int index)
{
    QString clean;
    for (QChar c : name)
        if (!QStringLiteral("[]:*?/\\").contains(c))
            clean += c;
    clean = clean.left(31);
    return clean.isEmpty() ? QStringLiteral("Sheet%1").arg(index + 1) : clean;
}

bool WriteSheet(lxw_workbook* workbook, const SheetTable& table, int index, lxw_format* bold)
{
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, SheetName(table.name, index).toUtf8().constData());
    if (sheet == nullptr)
        return false;
    const auto text = [&](lxw_row_t row, lxw_col_t column, const QString& value, lxw_format* format) {
        return worksheet_write_string(sheet, row, column, value.toUtf8().constData(), format) == LXW_NO_ERROR;
    };
    for (int c = 0; c < table.header.size(); ++c)
        if (!text(0, lxw_col_t(c), table.header[c], bold))
            return false;
    lxw_row_t row = 1;
    for (const std::vector<SheetCell>& cells : table.rows) {
        for (size_t c = 0; c < cells.size(); ++c) {
            lxw_error result = LXW_NO_ERROR;
            if (const double* number = std::get_if<double>(&cells[c])) {
                // A spreadsheet has no NaN or infinity: such a value stays empty.
                if (std::isfinite(*number))
                    result = worksheet_write_number(sheet, row, lxw_col_t(c), *number, nullptr);
            } else if (const QString* value = std::get_if<QString>(&cells[c])) {
                if (!value->isEmpty())
                    result = worksheet_write_string(sheet, row, lxw_col_t(c), value->toUtf8().constData(), nullptr);
            }
            if (result != LXW_NO_ERROR)
                return false;
        }
        ++row;
    }
    worksheet_freeze_panes(sheet, 1, 0);
    return true;
}

QString CsvField(const QString& text, QChar separator)
{
    if (!text.contains(separator) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

bool WriteXlsx(const QString& path, const std::vector<SheetTable>& sheets, QString* error)
{
    const QFileInfo target(path);
    // A fresh name beside the target: the workbook is renamed over it once complete.
    QTemporaryFile partial(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    partial.setAutoRemove(true);
    if (!partial.open())
        return Failed(error, path + QStringLiteral(": cannot be written (") + partial.errorString() + QLatin1Char(')'));
    const QString partialPath = partial.fileName();
    partial.close();

    lxw_workbook_options options {};
    options.constant_memory = LXW_FALSE;
    options.tmpdir = nullptr;
    options.use_zip64 = LXW_FALSE;
    lxw_workbook* workbook = workbook_new_opt(QFile::encodeName(partialPath).constData(), &options);
    if (workbook == nullptr)
        return Failed(error, path + QStringLiteral(": cannot be written"));
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    bool complete = true;
    for (size_t i = 0; i < sheets.size() && complete; ++i)
        complete = WriteSheet(workbook, sheets[i], int(i), bold);
    const lxw_error closed = workbook_close(workbook);
    if (!complete || closed != LXW_NO_ERROR)
        return Failed(error,
            path + QStringLiteral(": cannot be written (") + QString::fromUtf8(lxw_strerror(closed))
                + QLatin1Char(')'));
    if (std::rename(
            QFile::encodeName(partialPath).constData(), QFile::encodeName(target.absoluteFilePath()).constData())
        != 0)
        return Failed(error, path + QStringLiteral(": cannot be written (the finished file cannot be renamed)"));
    partial.setAutoRemove(false);
    return true;
}

QByteArray CsvBytes(const SheetTable& sheet, QChar separator, QChar decimal)
{
    QString text;
    const auto line = [&](const QStringList& fields) {
        QStringList quoted;
        for (const QString& field : fields)
            quoted << CsvField(field, separator);
        text += quoted.join(separator) + QStringLiteral("\r\n");
    };
    line(sheet.header);
    for (const std::vector<SheetCell>& cells : sheet.rows) {
        QStringList fields;
        for (const SheetCell& cell : cells) {
            if (const double* number = std::get_if<double>(&cell))
                fields << (std::isfinite(*number) ? NumberText::Shortest(*number, decimal) : QString());
            else if (const QString* value = std::get_if<QString>(&cell))
                fields << *value;
            else
                fields << QString();
        }
        line(fields);
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool WriteCsv(const QString& path, const SheetTable& sheet, QChar separator, QChar decimal, QString* error)
{
    QSaveFile file(path);
    const QByteArray bytes = CsvBytes(sheet, separator, decimal);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Failed(error, path + QStringLiteral(": cannot be written (") + file.errorString() + QLatin1Char(')'));
    return true;
}

} // namespace SheetWriter
