#include "common/TDataFrame.h"

#include "common/IniFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using TestSupport::CrLf;
using TestSupport::MessageCapture;
using TestSupport::TempDir;

TEST(TDataFrame, AddColumn_NamesAreMadeUnique)
{
    TDataFrame table;
    EXPECT_EQ(table.AddColumn(""), QStringLiteral("Col1"));
    EXPECT_EQ(table.AddColumn(""), QStringLiteral("Col2"));
    EXPECT_EQ(table.AddColumn("Value"), QStringLiteral("Value"));
    EXPECT_EQ(table.AddColumn("Value"), QStringLiteral("Value1"));
    EXPECT_EQ(table.AddColumn("Value"), QStringLiteral("Value2"));
    EXPECT_EQ(table.AddColumn("Col"), QStringLiteral("Col"));
    EXPECT_EQ(table.IndexOfColumn("value1"), -1); // names compare with case
    EXPECT_EQ(table.ColumnByName("Value1"), table.Column(3));
    EXPECT_EQ(table.Column(-1), nullptr);
    EXPECT_EQ(table.Column(6), nullptr);
}

TEST(TDataFrame, AddColumnAfterRows_GetsMissingCellsAndCellsStayPut)
{
    TDataFrame table;
    table.AddColumn("A");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(table.AddRow(), i);
    TCell* first = table.Cell(0, 0);
    first->SetText("kept");
    table.AddColumn("B");
    ASSERT_EQ(table.ColumnByName("B")->CellCount(), 3);
    for (int r = 0; r < 3; ++r)
        EXPECT_TRUE(table.Cell(1, r)->IsMissing());
    for (int i = 0; i < 1000; ++i)
        table.AddRow();
    EXPECT_EQ(first, table.Cell(0, 0)); // callers may hold cells while rows are added
    EXPECT_EQ(first->TextForm({}), QStringLiteral("kept"));
}

TEST(TDataFrame, Cell_OutOfRange_IsReportedAndYieldsNothing)
{
    TDataFrame table;
    table.AddColumn("Name");
    table.AddRow();
    MessageCapture messages;
    EXPECT_EQ(table.Cell(1, 0), nullptr);
    EXPECT_EQ(table.Cell(0, 1), nullptr);
    EXPECT_EQ(table.Column(0)->Cell(-1), nullptr);
    EXPECT_NE(table.Cell(0, 0), nullptr);
    EXPECT_EQ(messages.Messages(),
        (QStringList { "Error in DataFrame: Column (1) out of bounds", "Error in DataFrame: Row (1) out of bounds",
            "Error in column: Row (-1) in column 'Name' out of bounds" }));
}

TEST(TDataFrame, TextForm_OfEachKind)
{
    TDataFrame table;
    TCell cell;
    EXPECT_EQ(table.TextForm(cell), QStringLiteral("NA"));
    table.MissingText = "";
    EXPECT_EQ(table.TextForm(cell), QString());
    cell.SetInteger(-12);
    EXPECT_EQ(table.TextForm(cell), QStringLiteral("-12"));
    cell.SetFloat(2.5);
    EXPECT_EQ(table.TextForm(cell, QLatin1Char(',')), QStringLiteral("2,5"));
    cell.SetFloat(0.000001);
    EXPECT_EQ(table.TextForm(cell), QStringLiteral("1E-6"));
    cell.SetText("µm");
    EXPECT_EQ(table.TextForm(cell), QStringLiteral("µm"));
}

TEST(TDataFrame, SetType_ConvertsOrMakesMissing)
{
    TDataFrame table;
    table.AddColumn("A");
    for (int i = 0; i < 5; ++i)
        table.AddRow();
    TCol* column = table.Column(0);
    column->Cell(0)->SetText("42");
    column->Cell(1)->SetText("abc");
    column->Cell(2)->SetFloat(2.5);
    column->Cell(3)->SetText("1.5");
    column->SetType(TCol::kInteger);
    EXPECT_EQ(column->Type(), 3);
    EXPECT_EQ(std::get<qint32>(column->Cell(0)->Get()), 42);
    EXPECT_TRUE(column->Cell(1)->IsMissing());
    EXPECT_EQ(std::get<qint32>(column->Cell(2)->Get()), 2); // half to even
    EXPECT_EQ(std::get<qint32>(column->Cell(3)->Get()), 2);
    EXPECT_TRUE(column->Cell(4)->IsMissing());
    column->SetType(TCol::kFloat);
    EXPECT_EQ(std::get<double>(column->Cell(0)->Get()), 42.0);
    column->SetType(TCol::kText);
    EXPECT_EQ(std::get<QString>(column->Cell(0)->Get()), QStringLiteral("42"));
}

namespace {

// The example table of the file format: columns Name and Value, one row whose value is missing.
void FillExample(TDataFrame& table)
{
    table.AddColumn("Name");
    table.AddColumn("Value");
    table.AddRow();
    table.Cell(0, 0)->SetText("DateTime");
}

} // namespace

TEST(TDataFrame, WriteIni_HasTheExactLayout)
{
    TempDir dir;
    TDataFrame table;
    FillExample(table);
    ASSERT_TRUE(table.WriteIni(dir.Path("t.dff")));
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("t.dff")),
        CrLf({ "[General]", "ColCount=2", "RowCount=1", "[Col0]", "Name=Name", "Type=256", "Row0Value=DateTime",
            "[Col1]", "Name=Value", "Type=256", "Row0IsMissing=1", "Row0Value=NA" }));

    TDataFrame back;
    ASSERT_TRUE(back.ReadDataFram(dir.Path("t.dff")));
    ASSERT_EQ(back.ColumnCount(), 2);
    EXPECT_TRUE(back.Cell(1, 0)->IsMissing());
    EXPECT_EQ(back.TextForm(*back.Cell(0, 0)), QStringLiteral("DateTime"));
}

TEST(TDataFrame, WriteIni_ZeroColumnsAndNumbersWithPoint)
{
    TempDir dir;
    TDataFrame empty;
    empty.AddRow();
    empty.AddRow();
    ASSERT_TRUE(empty.WriteIni(dir.Path("e.dff")));
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("e.dff")), CrLf({ "[General]", "ColCount=0", "RowCount=2" }));

    TDataFrame numbers;
    numbers.AddColumn("V");
    numbers.AddRow();
    numbers.Cell(0, 0)->SetFloat(2.5);
    ASSERT_TRUE(numbers.WriteIni(dir.Path("n.dff")));
    EXPECT_TRUE(TestSupport::ReadAll(dir.Path("n.dff")).contains("Row0Value=2.5\r\n"));
}

TEST(TDataFrame, WriteIni_UnwritablePath_FailsWithMessage)
{
    TempDir dir;
    TDataFrame table;
    FillExample(table);
    const QString path = dir.Path("missing/t.dff");
    EXPECT_FALSE(table.WriteIni(path));
    EXPECT_EQ(table.LastError(), QStringLiteral("Unable to write to ") + path);
}

TEST(TDataFrame, WriteText_SeparatorsHeaderAndAppend)
{
    TempDir dir;
    TDataFrame table;
    table.MissingText = "";
    table.AddColumn("Objekt");
    table.AddColumn("Länge");
    table.AddRow();
    table.Cell(0, 0)->SetText("Haar 1");
    table.Cell(1, 0)->SetFloat(2.5);
    table.AddRow();
    table.Cell(0, 1)->SetText("Haar 2");

    const QString path = dir.Path("r.txt");
    ASSERT_TRUE(table.WriteText(path, false, QLatin1Char(',')));
    EXPECT_EQ(TestSupport::ReadAll(path), QByteArray("Objekt\tL\xE4nge\r\nHaar 1\t2,5\r\nHaar 2\t\r\n"));

    ASSERT_TRUE(table.WriteText(path, true, QLatin1Char(' '), QLatin1Char('.')));
    EXPECT_EQ(TestSupport::ReadAll(path),
        QByteArray("Objekt\tL\xE4nge\r\nHaar 1\t2,5\r\nHaar 2\t\r\nHaar 1\t2.5\r\nHaar 2\t\r\n"));

    const QString fresh = dir.Path("fresh.txt");
    ASSERT_TRUE(table.WriteText(fresh, true, QLatin1Char('.')));
    EXPECT_TRUE(TestSupport::ReadAll(fresh).startsWith("Objekt\t"));

    EXPECT_FALSE(table.WriteText(dir.Path("no/dir/x.txt"), false, QLatin1Char('.')));
}

TEST(TDataFrame, ReadDataFram_MissingFile_LeavesTableAlone)
{
    TDataFrame table;
    table.AddColumn("Keep");
    MessageCapture messages;
    EXPECT_FALSE(table.ReadDataFram("/no/such/file.dff"));
    EXPECT_EQ(table.ColumnCount(), 1);
    EXPECT_TRUE(messages.Messages().isEmpty());
}

TEST(TDataFrame, ReadDataFram_DamagedFiles_ReportAndKeepWhatWasRead)
{
    const struct
    {
        const char* name;
        QStringList lines;
        const char* message;
        int columns;
        int rows;
    } cases[] = {
        { "duplicate column name", { "[General]", "ColCount=2", "RowCount=0", "[Col0]", "Name=A", "[Col1]", "Name=A" },
            "Name of Column 'A' not unique (occurs at least twice.", 2, 0 },
        { "value key of row 2 absent",
            { "[General]", "ColCount=1", "RowCount=4", "[Col0]", "Name=A", "Row0Value=x", "Row1IsMissing=1",
                "Row3Value=z" },
            "Error in ReadDataFram: No integer specified for column 0 and row 2", 1, 3 },
        { "column without a name", { "[General]", "ColCount=3", "RowCount=1", "[Col0]", "Name=A", "Row0Value=1" },
            "Error in ReadDataFram: No name specified for column 1", 1, 0 },
        { "sizes far beyond the file",
            { "[General]", "ColCount=50000", "RowCount=100000", "[Col0]", "Name=A", "Row0Value=1" },
            "Error in ReadDataFram: ColCount 50000 and RowCount 100000 describe more cells than the file holds", 0, 0 },
    };
    for (const auto& c : cases) {
        TempDir dir;
        const QString path = dir.Write("t.dff", CrLf(c.lines));
        TDataFrame table;
        MessageCapture messages;
        EXPECT_FALSE(table.ReadDataFram(path)) << c.name;
        EXPECT_EQ(messages.Messages(), QStringList { c.message }) << c.name;
        EXPECT_EQ(table.ColumnCount(), c.columns) << c.name;
        EXPECT_EQ(table.RowCount(), c.rows) << c.name;
    }
}

TEST(TDataFrame, ReadDataFram_ValuesComeBackAsTexts)
{
    TempDir dir;
    const QString path = dir.Write("t.dff",
        CrLf({ "[general]", "colcount=2", "rowcount=2", "[Col0]", "Name=Count", "Type=3", "Row0Value=12",
            "Row1Value=", "[Col1]", "Name=Text", "Row0Value=" + QString(3000, 'x'), "Row1IsMissing=1" }));
    TDataFrame table;
    ASSERT_TRUE(table.ReadDataFram(path));
    EXPECT_EQ(table.Column(0)->Type(), 3);
    EXPECT_EQ(std::get<QString>(table.Cell(0, 0)->Get()), QStringLiteral("12"));
    EXPECT_EQ(std::get<QString>(table.Cell(0, 1)->Get()), QString()); // empty, not an error
    EXPECT_EQ(table.TextForm(*table.Cell(1, 0)).size(), 2047);
    EXPECT_EQ(table.Column(1)->Type(), 256);
    EXPECT_TRUE(table.Cell(1, 1)->IsMissing());
}

TEST(TDataFrame, ReadDataFram_NoColumns_GivesEmptyTableWhateverRowCount)
{
    TempDir dir;
    TDataFrame table;
    ASSERT_TRUE(table.ReadDataFram(dir.Write("t.dff", CrLf({ "[General]", "ColCount=0", "RowCount=5" }))));
    EXPECT_EQ(table.RowCount(), 0);
}
