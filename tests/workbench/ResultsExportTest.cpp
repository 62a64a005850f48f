#include "workbench/ResultsExport.h"
#include "workbench/TmxNativeExcel.h"

#include "common/LanguageTable.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <cstring>

#include <gtest/gtest.h>

using TestSupport::TempDir;

namespace {

QByteArray Words(std::initializer_list<int> words)
{
    QByteArray out;
    for (int w : words) {
        out += char(w & 0xFF);
        out += char((w >> 8) & 0xFF);
    }
    return out;
}

// One record: code, length, data.
QByteArray Rec(int code, const QByteArray& data)
{
    return Words({ code, int(data.size()) }) + data;
}

QByteArray Label(int row, int column, const QByteArray& cp1252)
{
    return Rec(0x0004, Words({ row, column }) + QByteArray("\x40\x00\x00", 3) + char(cp1252.size()) + cp1252);
}

QByteArray Number(int row, int column, double value)
{
    QByteArray bytes(8, 0);
    std::memcpy(bytes.data(), &value, 8);
    return Rec(0x0003, Words({ row, column }) + QByteArray("\x40\x00\x00", 3) + bytes);
}

QByteArray Opening()
{
    return Rec(0x0809, Words({ 0x0200, 0x0010, 0 })) + Rec(0x0042, Words({ 1252 }))
        + Rec(0x0200, Words({ 0, 65535, 0, 256, 0 }));
}

QByteArray HeaderRow()
{
    QByteArray out;
    const char* captions[] = { "Objekt", "L\xE4nge", "Breite", "H\xF6he",
        "Fl\xE4"
        "che",
        "Umfang", "Radius", "Halbachse 1", "Halbachse 2", "Winkel" };
    for (int c = 0; c < 10; ++c)
        out += Label(0, c, captions[c]);
    return out;
}

QByteArray Closing()
{
    return Rec(0x0012, Words({ 1 })) + Rec(0x000A, {});
}

std::vector<ExportObject> SampleObjects()
{
    return {
        { "Haar 1", 3, { { "Länge", 0.5 }, { "Dicke", 62.0 } } },
        { "Follikuläre Einheit 1", 4, {} },
        { "Gesamt", -1, { { "Länge", 9.0 } } },
    };
}

} // namespace

TEST(ResultsExport, Spreadsheet_EmptyTreeHasHeaderAndClosingRecords)
{
    EXPECT_EQ(ResultsExport::SpreadsheetBytes({}, LanguageTable::Pelorix()), Opening() + HeaderRow() + Closing());
}

TEST(ResultsExport, Spreadsheet_RowsHoldCaptionAndMappedQuantitiesOnly)
{
    const QByteArray expected = Opening() + HeaderRow() + Label(1, 0, "Haar 1") + Number(1, 1, 0.5)
        + Label(2, 0, "Follikul\xE4re Einheit 1") + Label(3, 0, "Gesamt") + Closing();
    EXPECT_EQ(ResultsExport::SpreadsheetBytes(SampleObjects(), LanguageTable::Pelorix()), expected);
}

TEST(ResultsExport, ColumnOf_ComparesExactlyFromAngleBackAndFirstMatchWins)
{
    LanguageTable texts = LanguageTable::Pelorix();
    EXPECT_EQ(ResultsExport::ColumnOf("Länge", texts), 1);
    EXPECT_EQ(ResultsExport::ColumnOf("Winkel", texts), 9);
    EXPECT_EQ(ResultsExport::ColumnOf("länge", texts), -1);
    EXPECT_EQ(ResultsExport::ColumnOf("Dicke", texts), -1);
    texts.SetText("LabelWidth", "Size");
    texts.SetText("LabelHeight", "Size");
    EXPECT_EQ(ResultsExport::ColumnOf("Size", texts), 3); // height comes before width in the lookup
}

TEST(ResultsExport, Export_ByExtension)
{
    TempDir dir;
    const LanguageTable texts = LanguageTable::Pelorix();
    bool written = false;
    ASSERT_TRUE(ResultsExport::Export(SampleObjects(), texts, dir.Path("r.XLS"), QLatin1Char(','), nullptr, &written));
    EXPECT_TRUE(written);
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("r.XLS")), ResultsExport::SpreadsheetBytes(SampleObjects(), texts));

    ASSERT_TRUE(ResultsExport::Export(SampleObjects(), texts, dir.Path("r.csv"), QLatin1Char(','), nullptr, &written));
    EXPECT_TRUE(written);
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("r.csv")), ResultsExport::CsvBytes(SampleObjects(), texts, ','));

    ASSERT_FALSE(ResultsExport::Export(SampleObjects(), texts, dir.Path("r.ods"), QLatin1Char(','), nullptr, &written));
    EXPECT_FALSE(written);
    EXPECT_FALSE(QFile::exists(dir.Path("r.ods")));
}

TEST(ResultsExport, Text_LocaleSeparatorAndObjectsWithShapesOnly)
{
    TempDir dir;
    std::vector<ExportObject> objects = SampleObjects();
    objects.push_back({ QString(300, QLatin1Char('n')), 5, {} });
    ASSERT_TRUE(ResultsExport::Export(objects, LanguageTable::Pelorix(), dir.Path("r.txt"), QLatin1Char(',')));
    const QByteArray header = "Objekt\tL\xE4nge\tBreite\tH\xF6he\tFl\xE4"
                              "che\tUmfang\tRadius\tHalbachse 1\tHalbachse 2\tWinkel\r\n";
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("r.txt")),
        header + "Haar 1\t0,5\t\t\t\t\t\t\t\t\r\nFollikul\xE4re Einheit 1\t\t\t\t\t\t\t\t\t\r\n" + QByteArray(300, 'n')
            + "\t\t\t\t\t\t\t\t\t\r\n");

    // The spreadsheet cuts the long name to 255 characters.
    const QByteArray sheet = ResultsExport::SpreadsheetBytes(objects, LanguageTable::Pelorix());
    EXPECT_TRUE(sheet.contains(Label(4, 0, QByteArray(255, 'n'))));
}

TEST(ResultsExport, Export_UnwritableFile_IsReported)
{
    TempDir dir;
    QString error;
    for (const char* name : { "no/dir/r.txt", "no/dir/r.xls" }) {
        error.clear();
        EXPECT_FALSE(
            ResultsExport::Export(SampleObjects(), LanguageTable::Pelorix(), dir.Path(name), QLatin1Char('.'), &error));
        EXPECT_TRUE(error.contains(dir.Path(name))) << error.toStdString();
    }
}

TEST(TmxNativeExcel, Cursor_WrapsAtLastColumnAndIgnoresInvalidPositions)
{
    TmxNativeExcel sheet;
    sheet.SetColumn(0);
    sheet.SetRow(0);
    EXPECT_EQ(sheet.Row(), 1);
    EXPECT_EQ(sheet.Column(), 1);
    sheet.SetColumn(257);
    EXPECT_EQ(sheet.Column(), 1);
    sheet.SetColumn(256);
    sheet.WriteNumber(1);
    EXPECT_EQ(sheet.Column(), 1);
    EXPECT_EQ(sheet.Row(), 2);
    sheet.SetRow(65535);
    sheet.SetColumn(256);
    sheet.WriteNumber(1);
    EXPECT_EQ(sheet.Row(), 65535); // the last cell keeps the cursor
    EXPECT_EQ(sheet.Column(), 256);
}

TEST(TmxNativeExcel, AttributesVersionsAndRestartAfterClose)
{
    TmxNativeExcel sheet;
    sheet.SetBIFF(bvBIFF2);
    EXPECT_EQ(sheet.Buffer(),
        Rec(0x0009, Words({ 0x0200, 0x0010 })) + Rec(0x0042, Words({ 1252 }))
            + Rec(0x0000, Words({ 0, 65535, 0, 256 })));
    sheet.SetBIFF(bvBIFF5);
    sheet.Locked = false;
    sheet.Hidden = true;
    sheet.ActiveFont = 3;
    sheet.Alignment = eaRight;
    sheet.Borders = ebTop | ebLeft;
    sheet.Shading = true;
    sheet.WriteLabel("x");
    EXPECT_EQ(sheet.Buffer().mid(Opening().size() + 8, 3), QByteArray("\x80\xC0\xAB", 3));
    sheet.CloseFile();
    EXPECT_EQ(sheet.Status(), esClosed);
    sheet.ProtectSheet(false);
    EXPECT_EQ(sheet.Buffer(), Opening() + Rec(0x0012, Words({ 0 })));
}

TEST(TmxNativeExcel, SetFileName_ForcesTheSpreadsheetExtension)
{
    TmxNativeExcel sheet;
    sheet.SetFileName("/d/results.xls");
    EXPECT_EQ(sheet.FileName(), QStringLiteral("/d/results.xls"));
    sheet.SetFileName("/d/results.csv");
    EXPECT_EQ(sheet.FileName(), QStringLiteral("/d/results.XLS"));
    sheet.SetFileName("/d/results");
    EXPECT_EQ(sheet.FileName(), QStringLiteral("/d/results.XLS"));
}
