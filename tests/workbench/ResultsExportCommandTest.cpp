#include "tests/workbench/FilesFixture.h"

#include "workbench/ResultsExportCommand.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace {

// Hairs at 152 pixels per millimetre: a 0.5 mm line with a 300-character caption,
// a follicular unit and a curve.
class ExportCommandTest : public FilesTest
{
protected:
    int line = -1;

    void Measure()
    {
        LoadOperatorPicture(400, 300);
        Calibrate("152", "1", "mm");
        line = Hair(100, 100, 176, 100, 500);
        Cad().ShapeById(line)->UserData().Add("Caption", QString(300, QLatin1Char('n')));
        Ellipse(200, 200, 10, 8);
        Curve({ QPointF(10, 10), QPointF(20, 30), QPointF(40, 30), QPointF(50, 10) }, 300);
        wb.RecomputeAll();
    }

    // The sheet's cells as a real reader sees them: rows of [type, value].
    static std::optional<QJsonArray> ReadWithXlrd(const QString& path)
    {
        const QString script = QStringLiteral(
            "import json, sys, xlrd\n"
            "book = xlrd.open_workbook(sys.argv[1])\n" // the code page record names cp1252
            "sheet = book.sheet_by_index(0)\n"
            "print(json.dumps([[[c.ctype, c.value] for c in sheet.row(r)] for r in range(sheet.nrows)]))\n");
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"), { QStringLiteral("-c"), script, path });
        if (!python.waitForFinished(30000) || python.exitCode() != 0) {
            ADD_FAILURE() << python.readAllStandardError().toStdString();
            return std::nullopt;
        }
        return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    }
};

bool XlrdAvailable()
{
    return QProcess::execute(
               QStringLiteral("/usr/bin/python3"), { QStringLiteral("-c"), QStringLiteral("import xlrd") })
        == 0;
}

} // namespace

TEST_F(ExportCommandTest, Spreadsheet_UpperCaseName_ReadByXlrdWithCutCaptionAndLengthsOnly)
{
    if (!XlrdAvailable())
        GTEST_SKIP() << "python3-xlrd is not installed (scripts/bootstrap installs it)";
    Measure();
    const QString path = dir.Path("results.XLS");
    prompt.fileNames.push_back(path);
    ASSERT_TRUE(ResultsExportCommand::Run(wb, QLatin1Char(','))) << prompt.messages.join('|').toStdString();
    EXPECT_EQ(prompt.fileRequests.last().filter,
        "Exceldatei (*.xls)|*.xls|Excel-Arbeitsmappe (*.xlsx)|*.xlsx|Textdatei  (*.txt)|*.txt|CSV-Datei (*.csv)|*.csv");
    const auto rows = ReadWithXlrd(path);
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->size(), 4);
    const QJsonArray header = (*rows)[0].toArray();
    ASSERT_EQ(header.size(), 10);
    EXPECT_EQ(header[1].toArray()[1].toString(), "Länge");
    EXPECT_EQ(header[9].toArray()[1].toString(), "Winkel");

    const QJsonArray hair = (*rows)[1].toArray();
    const QString caption = hair[0].toArray()[1].toString();
    EXPECT_EQ(caption.size(), 255);
    EXPECT_TRUE(caption.startsWith(wb.Texts().Text("LabelLine") + " (nnn"));
    EXPECT_EQ(hair[1].toArray()[0].toInt(), 2); // a number cell
    EXPECT_DOUBLE_EQ(hair[1].toArray()[1].toDouble(), 0.5);
    // The thickness is no column; the rest stays empty.
    for (int column = 2; column < hair.size(); ++column)
        EXPECT_EQ(hair[column].toArray()[0].toInt(), 0);

    const QJsonArray unit = (*rows)[2].toArray();
    EXPECT_EQ(unit[0].toArray()[1].toString(), "Follikuläre Einheit");
    for (int column = 1; column < unit.size(); ++column)
        EXPECT_EQ(unit[column].toArray()[0].toInt(), 0);
    EXPECT_GT((*rows)[3].toArray()[1].toArray()[1].toDouble(), 0.0);
}

TEST_F(ExportCommandTest, Text_LocaleDecimalCommaAndWholeCaption)
{
    Measure();
    prompt.fileNames.push_back(dir.Path("results.txt"));
    ASSERT_TRUE(ResultsExportCommand::Run(wb, QLatin1Char(',')));
    const QList<QByteArray> lines = TestSupport::ReadAll(dir.Path("results.txt")).split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("Objekt\tL\xE4nge\t"));
    EXPECT_EQ(
        lines[1], wb.Texts().Text("LabelLine").toLatin1() + " (" + QByteArray(300, 'n') + ")\t0,5\t\t\t\t\t\t\t\t\r");
    EXPECT_EQ(lines[2], "Follikul\xE4re Einheit\t\t\t\t\t\t\t\t\t\r");
}

TEST_F(ExportCommandTest, CancelledOtherExtensionOrUnwritable_WriteNothing)
{
    Measure();
    EXPECT_FALSE(ResultsExportCommand::Run(wb, QLatin1Char('.')));
    EXPECT_TRUE(prompt.messages.isEmpty());
    prompt.fileNames.push_back(dir.Path("results.ods"));
    EXPECT_FALSE(ResultsExportCommand::Run(wb, QLatin1Char('.')));
    EXPECT_FALSE(QFileInfo::exists(dir.Path("results.ods")));
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].contains(".xls, .txt oder .csv")) << prompt.messages[0].toStdString();
    prompt.messages.clear();

    const QString unwritable = dir.Path("missing/results.xls");
    prompt.fileNames.push_back(unwritable);
    EXPECT_FALSE(ResultsExportCommand::Run(wb, QLatin1Char('.')));
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].contains(unwritable)) << prompt.messages[0].toStdString();
}
