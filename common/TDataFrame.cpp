#include "common/TDataFrame.h"

#include "common/Cp1252.h"
#include "common/IniFile.h"
#include "common/MessageSink.h"
#include "common/NumberText.h"

#include <QFile>
#include <QSaveFile>

#include <cmath>

namespace {

// Largest number of cells a damaged file may make us allocate beyond the values
// it actually holds; a real table has one value key per cell.
constexpr qint64 kCellSlack = 1000000;

QString ColSection(int column)
{
    return QStringLiteral("Col") + QString::number(column);
}

QString RowKey(int row, const char* suffix)
{
    return QStringLiteral("Row") + QString::number(row) + QLatin1String(suffix);
}

} // namespace

QString TCell::TextForm(const QString& missingText, QChar separator) const
{
    switch (m_value.index()) {
    case 1:
        return QString::number(std::get<qint32>(m_value));
    case 2:
        return NumberText::General(std::get<double>(m_value), separator);
    case 3:
        return std::get<QString>(m_value);
    default:
        return missingText;
    }
}

TCol::TCol(QString name)
    : m_name(std::move(name))
{
}

TCell* TCol::Cell(int row)
{
    if (row < 0 || row >= CellCount()) {
        MessageSink::Show(
            QStringLiteral("Error in column: Row (%1) in column '%2' out of bounds").arg(row).arg(m_name));
        return nullptr;
    }
    return &m_cells[size_t(row)];
}

const TCell* TCol::Cell(int row) const
{
    return const_cast<TCol*>(this)->Cell(row);
}

void TCol::SetType(int typeCode)
{
    m_type = typeCode;
    for (TCell& cell : m_cells) {
        if (cell.IsMissing())
            continue;
        const TCell::Value value = cell.Get();
        if (typeCode == kInteger) {
            std::optional<double> number;
            if (const auto* i = std::get_if<qint32>(&value))
                number = *i;
            else if (const auto* d = std::get_if<double>(&value))
                number = *d;
            else
                number = NumberText::ParseDouble(std::get<QString>(value));
            // Rounds half to even, as the platform's variant conversion does.
            if (number && std::isfinite(*number) && std::nearbyint(*number) >= -2147483648.0
                && std::nearbyint(*number) <= 2147483647.0)
                cell.SetInteger(qint32(std::nearbyint(*number)));
            else
                cell.SetMissing();
        } else if (typeCode == kFloat) {
            if (const auto* i = std::get_if<qint32>(&value))
                cell.SetFloat(*i);
            else if (const auto* s = std::get_if<QString>(&value)) {
                const auto number = NumberText::ParseDouble(*s);
                if (number)
                    cell.SetFloat(*number);
                else
                    cell.SetMissing();
            }
        } else if (!std::holds_alternative<QString>(value)) {
            cell.SetText(cell.TextForm(QString()));
        }
    }
}

TDataFrame::TDataFrame()
    : MissingText(QStringLiteral("NA"))
{
}

TDataFrame::~TDataFrame() = default;

void TDataFrame::Clear()
{
    m_columns.clear();
    m_columnIndex.clear();
    m_rowCount = 0;
}

TCol* TDataFrame::Column(int index) const
{
    if (index < 0 || index >= ColumnCount())
        return nullptr;
    return m_columns[size_t(index)].get();
}

int TDataFrame::IndexOfColumn(const QString& name) const
{
    return m_columnIndex.value(name, -1);
}

TCol* TDataFrame::ColumnByName(const QString& name) const
{
    return Column(IndexOfColumn(name));
}

QString TDataFrame::AddColumn(const QString& requestedName)
{
    QString base = requestedName;
    QString candidate = requestedName;
    int suffix = 1;
    if (requestedName.isEmpty()) {
        base = QStringLiteral("Col");
        candidate = QStringLiteral("Col1");
        suffix = 2;
    }
    while (IndexOfColumn(candidate) != -1)
        candidate = base + QString::number(suffix++);
    auto column = std::make_unique<TCol>(candidate);
    column->m_cells.resize(size_t(m_rowCount));
    m_columns.push_back(std::move(column));
    m_columnIndex.insert(candidate, ColumnCount() - 1);
    return candidate;
}

int TDataFrame::AddRow()
{
    ++m_rowCount;
    for (auto& column : m_columns)
        column->m_cells.emplace_back();
    return m_rowCount - 1;
}

TCell* TDataFrame::Cell(int column, int row)
{
    TCol* col = Column(column);
    if (!col) {
        MessageSink::Show(QStringLiteral("Error in DataFrame: Column (%1) out of bounds").arg(column));
        return nullptr;
    }
    if (row < 0 || row >= col->CellCount()) {
        MessageSink::Show(QStringLiteral("Error in DataFrame: Row (%1) out of bounds").arg(row));
        return nullptr;
    }
    return &col->m_cells[size_t(row)];
}

QString TDataFrame::TextForm(const TCell& cell, QChar separator) const
{
    return cell.TextForm(MissingText, separator);
}

bool TDataFrame::WriteText(const QString& path, bool append, QChar separator, QChar localeSeparator)
{
    m_lastError.clear();
    if (separator == QLatin1Char(' '))
        separator = localeSeparator;

    const bool existed = QFile::exists(path);
    QString text;
    if (!(append && existed)) {
        for (int c = 0; c < ColumnCount(); ++c)
            text += (c ? QStringLiteral("\t") : QString()) + m_columns[size_t(c)]->m_name;
        text += QLatin1String("\r\n");
    }
    for (int r = 0; r < m_rowCount; ++r) {
        for (int c = 0; c < ColumnCount(); ++c)
            text += (c ? QStringLiteral("\t") : QString())
                + TextForm(m_columns[size_t(c)]->m_cells[size_t(r)], separator);
        text += QLatin1String("\r\n");
    }
    // Windows-1252 while it holds every character; otherwise UTF-8 with a byte
    // order mark, so that "Łukasz" stays "Łukasz". Appending keeps the file's form.
    static const QByteArray kUtf8Bom("\xEF\xBB\xBF");
    bool utf8 = !Cp1252::CanEncode(text);
    if (append && existed) {
        QFile existing(path);
        const bool existingUtf8 = existing.open(QIODevice::ReadOnly) && existing.read(3) == kUtf8Bom;
        if (utf8 && !existingUtf8)
            return Fail(
                QStringLiteral("Unable to write to %1: the text has characters Windows-1252 lacks").arg(path), false);
        utf8 = existingUtf8;
    }
    QByteArray bytes = utf8 ? text.toUtf8() : Cp1252::Encode(text);
    if (utf8 && !(append && existed))
        bytes.prepend(kUtf8Bom);

    if (append) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
            return Fail(QStringLiteral("Unable to write to %1: %2").arg(path, file.errorString()), false);
        if (file.write(bytes) != bytes.size())
            return Fail(QStringLiteral("Unable to write to %1: %2").arg(path, file.errorString()), false);
        return true;
    }
    // A new file replaces the old one only once it is complete.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return Fail(QStringLiteral("Unable to write to %1: %2").arg(path, file.errorString()), false);
    return true;
}

void TDataFrame::WriteIni(IniFile& ini) const
{
    ini.WriteInteger(QStringLiteral("General"), QStringLiteral("ColCount"), ColumnCount());
    ini.WriteInteger(QStringLiteral("General"), QStringLiteral("RowCount"), m_rowCount);
    for (int c = 0; c < ColumnCount(); ++c) {
        const TCol& column = *m_columns[size_t(c)];
        const QString section = ColSection(c);
        ini.WriteString(section, QStringLiteral("Name"), column.m_name);
        ini.WriteInteger(section, QStringLiteral("Type"), column.m_type);
        for (int r = 0; r < m_rowCount; ++r) {
            const TCell& cell = column.m_cells[size_t(r)];
            if (cell.IsMissing())
                ini.WriteBool(section, RowKey(r, "IsMissing"), true);
            ini.WriteString(section, RowKey(r, "Value"), TextForm(cell));
        }
    }
}

bool TDataFrame::WriteIni(const QString& path)
{
    m_lastError.clear();
    IniFile ini(path);
    if (!ini.Load())
        return Fail(QStringLiteral("Unable to write to %1").arg(path), false);
    WriteIni(ini);
    // A name the code page lacks ("Łukasz") makes the whole table UTF-8 with a byte
    // order mark, which every reader of these tables understands.
    if (!ini.IsUtf8() && !Cp1252::CanEncode(ini.ToText()))
        ini.SetUtf8(true);
    if (!ini.Save())
        return Fail(QStringLiteral("Unable to write to %1").arg(path), false);
    return true;
}

bool TDataFrame::ReadDataFram(const QString& path)
{
    m_lastError.clear();
    if (!QFile::exists(path)) {
        m_lastError = QStringLiteral("%1 does not exist").arg(path);
        return false;
    }
    IniFile ini(path);
    if (!ini.Load())
        return Fail(QStringLiteral("Error in ReadDataFram: ") + ini.ErrorString(), true);
    return ReadDataFram(ini);
}

bool TDataFrame::ReadDataFram(const IniFile& ini)
{
    m_lastError.clear();
    Clear();
    const int colCount = ini.ReadInteger(QStringLiteral("General"), QStringLiteral("ColCount"), 0);
    const int rowCount = ini.ReadInteger(QStringLiteral("General"), QStringLiteral("RowCount"), 0);

    // A complete file holds a key for every cell; refuse sizes that would make a
    // damaged file allocate far more than it describes.
    if (colCount > 0 && rowCount > 0) {
        qint64 keys = 0;
        for (const QString& section : ini.Sections())
            keys += ini.Keys(section).size();
        if (qint64(colCount) * rowCount > keys + kCellSlack)
            return Fail(QStringLiteral("Error in ReadDataFram: ColCount %1 and RowCount %2 describe more cells "
                                       "than the file holds")
                            .arg(colCount)
                            .arg(rowCount),
                true);
    }

    for (int c = 0; c < colCount; ++c) {
        const QString section = ColSection(c);
        const QString name = ini.ReadString(section, QStringLiteral("Name"), QString());
        // The writer never leaves a column without a name; such a file is damaged
        // and reading it on would address a column that does not exist.
        if (name.isEmpty())
            return Fail(QStringLiteral("Error in ReadDataFram: No name specified for column %1").arg(c), true);
        const QString given = AddColumn(name);
        if (given != name)
            return Fail(
                QStringLiteral("Name of Column '") + name + QStringLiteral("' not unique (occurs at least twice."),
                true);
        m_columns.back()->SetType(ini.ReadInteger(section, QStringLiteral("Type"), TCol::kText));
    }

    for (int c = 0; c < colCount; ++c) {
        const QString section = ColSection(c);
        TCol& column = *m_columns[size_t(c)];
        for (int r = 0; r < rowCount; ++r) {
            if (c == 0)
                AddRow();
            if (ini.ReadBool(section, RowKey(r, "IsMissing"), false))
                continue;
            const QString key = RowKey(r, "Value");
            if (!ini.ValueExists(section, key))
                return Fail(QStringLiteral("Error in ReadDataFram: No integer specified for column %1 and row %2")
                                .arg(c)
                                .arg(r),
                    true);
            column.m_cells[size_t(r)].SetText(ini.ReadString(section, key, QString()));
        }
    }
    return true;
}

bool TDataFrame::Fail(const QString& message, bool show)
{
    m_lastError = message;
    if (show)
        MessageSink::Show(message);
    return false;
}
