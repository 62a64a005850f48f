#include "workbench/TmxNativeExcel.h"

#include "common/Cp1252.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cstring>

namespace {

void Put16(QByteArray& out, quint16 value)
{
    out += char(value & 0xFF);
    out += char(value >> 8);
}

} // namespace

TmxNativeExcel::TmxNativeExcel()
{
    NewFile();
}

void TmxNativeExcel::SetBIFF(TmxBIFFVersion version)
{
    m_biff = version;
    NewFile();
}

void TmxNativeExcel::NewFile()
{
    m_buffer.clear();
    // Set first, so that the records below do not start the file over.
    m_status = esOpened;

    QByteArray opening;
    Put16(opening, 0x0200);
    Put16(opening, 0x0010);
    Put16(opening, 0x0000);
    switch (m_biff) {
    case bvBIFF2:
        Record(0x0009, opening.left(4));
        break;
    case bvBIFF3:
        Record(0x0209, opening);
        break;
    case bvBIFF4:
        Record(0x0409, opening);
        break;
    case bvBIFF5:
        Record(0x0809, opening);
        break;
    }
    // The code page of the text cells (Windows-1252), so that no reader has to guess "Länge".
    QByteArray codePage;
    Put16(codePage, 1252);
    Record(0x0042, codePage);

    QByteArray dimensions;
    Put16(dimensions, 0);
    Put16(dimensions, kLastRow);
    Put16(dimensions, 0);
    Put16(dimensions, kLastColumn);
    if (m_biff == bvBIFF2) {
        Record(0x0000, dimensions);
    } else {
        Put16(dimensions, 0);
        Record(0x0200, dimensions);
    }
}

void TmxNativeExcel::SetFileName(const QString& fileName)
{
    m_fileName = fileName;
    const QFileInfo info(fileName);
    if (info.suffix().compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0)
        return;
    const QString suffix = info.suffix();
    if (!suffix.isEmpty() && !info.fileName().startsWith(QLatin1Char('.')))
        m_fileName.chop(suffix.size() + 1);
    m_fileName += QStringLiteral(".XLS");
}

void TmxNativeExcel::SetRow(quint16 row)
{
    if (row == 0 || row > kLastRow || row == m_row)
        return;
    m_row = row;
}

void TmxNativeExcel::SetColumn(quint16 column)
{
    if (column == 0 || column > kLastColumn || column == m_column)
        return;
    m_column = column;
}

void TmxNativeExcel::Record(quint16 code, const QByteArray& data)
{
    if (m_status == esClosed)
        NewFile();
    Put16(m_buffer, code);
    Put16(m_buffer, quint16(data.size()));
    m_buffer += data;
}

QByteArray TmxNativeExcel::CellHeader() const
{
    QByteArray out;
    Put16(out, quint16(m_row - 1));
    Put16(out, quint16(m_column - 1));
    out += char((Locked ? 0x40 : 0) | (Hidden ? 0x80 : 0));
    out += char((ActiveFont & 3) << 6);
    static constexpr unsigned char kAlignment[] = { 0, 1, 3, 2, 4, 7 };
    unsigned char third = kAlignment[Alignment];
    if (Borders & ebTop)
        third |= 0x20;
    if (Borders & ebBottom)
        third |= 0x40;
    if (Borders & ebLeft)
        third |= 0x08;
    if (Borders & ebRight)
        third |= 0x10;
    if (Shading)
        third |= 0x80;
    out += char(third);
    return out;
}

void TmxNativeExcel::Advance()
{
    switch (MoveAfterEnter) {
    case maNone:
        break;
    case maRight:
        if (m_column < kLastColumn) {
            ++m_column;
        } else if (m_row < kLastRow) {
            m_column = 1;
            ++m_row;
        }
        break;
    case maDown:
        if (m_row < kLastRow) {
            ++m_row;
        } else if (m_column < kLastColumn) {
            m_row = 1;
            ++m_column;
        }
        break;
    case maLeft:
        if (m_column > 1)
            --m_column;
        break;
    case maUp:
        if (m_row > 1)
            --m_row;
        break;
    }
}

void TmxNativeExcel::WriteLabel(const QString& text)
{
    const QByteArray bytes = Cp1252::Encode(text).left(255);
    QByteArray data = CellHeader();
    data += char(bytes.size());
    data += bytes;
    Record(0x0004, data);
    Advance();
}

void TmxNativeExcel::WriteNumber(double value)
{
    QByteArray data = CellHeader();
    // The IEEE 754 double, little-endian whatever the host.
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i)
        data += char((bits >> (8 * i)) & 0xFF);
    Record(0x0003, data);
    Advance();
}

void TmxNativeExcel::ProtectSheet(bool protect)
{
    QByteArray data;
    Put16(data, protect ? 1 : 0);
    Record(0x0012, data);
}

void TmxNativeExcel::CloseFile()
{
    Record(0x000A, QByteArray());
    m_status = esClosed;
}

bool TmxNativeExcel::SaveToFile(QString* error) const
{
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_buffer) != m_buffer.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot create %1: %2").arg(m_fileName, file.errorString());
        return false;
    }
    return true;
}
