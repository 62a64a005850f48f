#pragma once

#include <QChar>
#include <QHash>
#include <QString>

#include <deque>
#include <memory>
#include <variant>
#include <vector>

class IniFile;

// One cell of a data table: missing, a 32-bit integer, a double or a text.
class TCell
{
public:
    using Value = std::variant<std::monostate, qint32, double, QString>;

    bool IsMissing() const { return std::holds_alternative<std::monostate>(m_value); }
    const Value& Get() const { return m_value; }

    void SetMissing() { m_value = std::monostate {}; }
    void SetInteger(qint32 value) { m_value = value; }
    void SetFloat(double value) { m_value = value; }
    void SetText(const QString& value) { m_value = value; }

    // The cell as text: missing as `missingText`, integers in decimal, doubles in
    // general notation with `separator`, texts unchanged.
    QString TextForm(const QString& missingText, QChar separator = QLatin1Char('.')) const;

private:
    Value m_value;
};

// One column: a name, a type code and one cell per row.
class TCol
{
public:
    // Type codes, numbered as the platform's variant types.
    static constexpr int kInteger = 3;
    static constexpr int kFloat = 5;
    static constexpr int kText = 256;

    explicit TCol(QString name);

    const QString& Name() const { return m_name; }
    int Type() const { return m_type; }
    int CellCount() const { return int(m_cells.size()); }

    // The cell of a row; reports "Error in column: Row (...) ..." and yields
    // nothing when the row is out of range.
    TCell* Cell(int row);
    const TCell* Cell(int row) const;

    // Stores the code and converts every non-missing cell to the type; cells that
    // cannot be converted become missing. Codes other than integer and float
    // are texts.
    void SetType(int typeCode);

private:
    friend class TDataFrame;

    QString m_name;
    int m_type = kText;
    std::deque<TCell> m_cells; // a deque keeps cell addresses stable as rows are added
};

// A small column table with typed cells and missing values. Pelorix fills it
// and writes it as text or INI file; the report library reads the INI file back.
class TDataFrame
{
public:
    TDataFrame();
    ~TDataFrame();
    TDataFrame(const TDataFrame&) = delete;
    TDataFrame& operator=(const TDataFrame&) = delete;

    // Text written in place of a missing value; "NA" after construction.
    QString MissingText;

    // Frees all columns and cells; MissingText stays.
    void Clear();

    int ColumnCount() const { return int(m_columns.size()); }
    int RowCount() const { return m_rowCount; }

    // Nothing, silently, when the index is out of range.
    TCol* Column(int index) const;
    // Index of the first column named exactly so, or -1.
    int IndexOfColumn(const QString& name) const;
    TCol* ColumnByName(const QString& name) const;

    // Appends a column with as many missing cells as there are rows and returns
    // the name it got: the requested one, or with a number appended when taken
    // ("Value", "Value1", "Value2"); unnamed columns are "Col1", "Col2", ...
    QString AddColumn(const QString& requestedName);

    // Appends one missing cell to every column; returns the new row's index.
    int AddRow();

    // Reports an out-of-range column or row and yields nothing.
    TCell* Cell(int column, int row);

    static bool IsMissing(const TCell& cell) { return cell.IsMissing(); }
    QString TextForm(const TCell& cell, QChar separator = QLatin1Char('.')) const;

    // Writes the tab-separated text form with CR LF lines. A blank separator means
    // `localeSeparator`. With `append`, rows go to the end of an existing file
    // without a header. False, having written nothing, when the file cannot be
    // opened or written.
    bool WriteText(const QString& path, bool append, QChar separator, QChar localeSeparator = QLatin1Char('.'));

    // Writes the INI form (the variable table handed to the report library),
    // numbers always with ".". An existing file is updated in place. False with
    // LastError() "Unable to write to <path>" when the file cannot be written.
    bool WriteIni(const QString& path);
    void WriteIni(IniFile& ini) const;

    // Replaces the content by an INI form file. False, table unchanged, when the
    // file does not exist; false after reporting the reason when it is damaged
    // (what was read so far stays in the table).
    bool ReadDataFram(const QString& path);
    bool ReadDataFram(const IniFile& ini);

    // The reason of the last failed write or read.
    const QString& LastError() const { return m_lastError; }

private:
    bool Fail(const QString& message, bool show);

    std::vector<std::unique_ptr<TCol>> m_columns;
    QHash<QString, int> m_columnIndex; // name -> index; names are unique, so lookups stay constant-time
    int m_rowCount = 0;
    QString m_lastError;
};
