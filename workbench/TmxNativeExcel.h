#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

enum TmxBIFFVersion { bvBIFF2, bvBIFF3, bvBIFF4, bvBIFF5 };
enum TmxExcelStatus { esInvalid, esOpened, esClosed };
enum TmxMoveAfterEnter { maNone, maUp, maDown, maLeft, maRight };
enum TmxExcelAlignment { eaGeneral, eaLeft, eaRight, eaCenter, eaFill, eaMultiPlan };
enum TmxExcelBorder : unsigned { ebTop = 1, ebBottom = 2, ebLeft = 4, ebRight = 8 };

// Writes a spreadsheet file as a bare stream of cell records (the old Excel
// record format, no container): an opening, a code page and a dimensions record, text and
// number cells at a cell cursor, a protection and an end record. Records are
// collected in memory and written by SaveToFile.
class TmxNativeExcel
{
public:
    static constexpr quint16 kLastRow = 65535;
    static constexpr quint16 kLastColumn = 256;

    // Opens a new file at once (the opening records are in the buffer).
    TmxNativeExcel();

    TmxBIFFVersion BIFF() const { return m_biff; }
    // Changing the version starts the file over.
    void SetBIFF(TmxBIFFVersion version);

    TmxExcelStatus Status() const { return m_status; }
    const QByteArray& Buffer() const { return m_buffer; }

    // Empties the buffer and writes the opening records again.
    void NewFile();

    const QString& FileName() const { return m_fileName; }
    // Stores the name; an extension other than ".xls" (any case) is replaced by ".XLS".
    void SetFileName(const QString& fileName);

    // The cell the next record goes to, counted from 1. Zero, values beyond the
    // last row or column, and the current value are ignored.
    quint16 Row() const { return m_row; }
    quint16 Column() const { return m_column; }
    void SetRow(quint16 row);
    void SetColumn(quint16 column);

    TmxMoveAfterEnter MoveAfterEnter = maRight;
    bool Hidden = false;
    bool Locked = true;
    int ActiveFont = 0; // 0-3
    bool Shading = false;
    TmxExcelAlignment Alignment = eaGeneral;
    unsigned Borders = 0; // TmxExcelBorder flags

    // Text cell at the current cell, cut to 255 Windows-1252 characters; then the cursor advances.
    void WriteLabel(const QString& text);
    // Number cell at the current cell; then the cursor advances.
    void WriteNumber(double value);
    void ProtectSheet(bool protect);
    // Writes the end record.
    void CloseFile();

    // Writes the buffer to FileName(), replacing an existing file only once the
    // new one is complete. False with the path and the system's reason in `error`.
    bool SaveToFile(QString* error = nullptr) const;

private:
    void Record(quint16 code, const QByteArray& data);
    QByteArray CellHeader() const;
    void Advance();

    TmxBIFFVersion m_biff = bvBIFF5;
    TmxExcelStatus m_status = esInvalid;
    QByteArray m_buffer;
    QString m_fileName;
    quint16 m_row = 1;
    quint16 m_column = 1;
};
