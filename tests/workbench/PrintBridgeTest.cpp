#include "workbench/PrintBridge.h"

#include "common/PrintVariables.h"
#include "common/TDataFrame.h"
#include "tests/canvas/GuiEnvironment.h"
#include "tests/support/TestSupport.h"
#include "tests/workbench/WorkbenchFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdlib>

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

namespace {

const PrintBridge::ProgramTexts kProgram { QStringLiteral("0.1.0"), QStringLiteral("pelorix"),
    QStringLiteral("09.12.2026 10:15:00") };

class PrintBridgeTest : public WorkbenchTest
{
protected:
    TestSupport::TempDir m_temp;
    TestSupport::ScopedEnv m_env { "TEMP", QFile::encodeName(m_temp.Root()) };

    // A 400 x 300 grey picture on the canvas, calibrated, with the patient's name.
    void Prepare()
    {
        QImage picture(400, 300, QImage::Format_RGB888);
        picture.fill(QColor(128, 128, 128));
        Cad().SetBkBitmap(picture);
        Picture(400, 300);
        Calibrate("200", "1", "mm");
        wb.ResultRows()[RowName].text = QStringLiteral("Musterfrau, Erika");
    }

    // The Value texts of a written table by variable name.
    static QHash<QString, QString> Values(const TDataFrame& table)
    {
        QHash<QString, QString> values;
        for (int r = 0; r < table.RowCount(); ++r)
            values.insert(table.Column(0)->Cell(r)->TextForm(QString()), table.Column(1)->Cell(r)->TextForm(QString()));
        return values;
    }

    // The counter in a temporary name: prefix_PID_<pid>_<counter>.ext.
    static int Counter(const QString& path)
    {
        const auto match = QRegularExpression(QStringLiteral("_PID_\\d+_(\\d+)\\.")).match(path);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }
};

} // namespace

TEST_F(PrintBridgeTest, VariableTable_FortyStringRowsInOrder)
{
    Prepare();
    wb.UpdateResultsGrid();
    TDataFrame table;
    PrintBridge::FillVariableTable(table, wb.ResultRows(), kProgram, { "/t/imgo.bmp", "/t/imga.bmp", "/t/x.dff" });
    ASSERT_EQ(table.ColumnCount(), 3);
    EXPECT_EQ(table.Column(0)->Name(), "Name");
    EXPECT_EQ(table.Column(1)->Name(), "Value");
    EXPECT_EQ(table.Column(2)->Name(), "Type");
    ASSERT_EQ(table.RowCount(), 40);
    for (int r = 0; r < 40; ++r) {
        const auto name = PrintVariables::kNames[size_t(r)];
        EXPECT_EQ(
            table.Column(0)->Cell(r)->TextForm(QString()), QString::fromLatin1(name.data(), qsizetype(name.size())));
        EXPECT_EQ(table.Column(2)->Cell(r)->TextForm(QString()), "String");
    }
    const auto values = Values(table);
    EXPECT_EQ(values["ProgramName"], "pelorix");
    EXPECT_EQ(values["Name"], "Musterfrau, Erika");
    // No hair measured: the count is 0, the split counts have no value ("-").
    EXPECT_EQ(values["TotalCountValue"], "0");
    EXPECT_EQ(values["VellusCountValue"], "-");
    EXPECT_EQ(values["TerminalCountValue"], "-");
    EXPECT_EQ(values["FollicularUnitCountValue"], "-");
    EXPECT_EQ(values["ThicknessMeanValue"], "-");
    EXPECT_EQ(values["TotalCountCaption"], Row(RowCount).caption);
    EXPECT_EQ(values["TotalDensityUnit"], Row(RowDensity).unit);
    EXPECT_EQ(values["ImageAnalysis"], "/t/imga.bmp");
}

TEST_F(PrintBridgeTest, Files_ConsecutiveCountersOwnerOnlyAndNewNamesEachTime)
{
    Prepare();
    QString error;
    const auto first = PrintBridge::WritePrintFiles(wb, kProgram, &error);
    ASSERT_TRUE(first) << qPrintable(error);
    const auto second = PrintBridge::WritePrintFiles(wb, kProgram, &error);
    ASSERT_TRUE(second) << qPrintable(error);
    const int n = Counter(first->original);
    EXPECT_EQ(Counter(first->marked), n + 1);
    EXPECT_EQ(Counter(first->table), n + 2);
    EXPECT_EQ(Counter(second->original), n + 3);
    EXPECT_TRUE(QFileInfo(first->original).fileName().startsWith("imgo_PID_"));
    EXPECT_TRUE(QFileInfo(first->table).fileName().startsWith("ResultDataFrameForPrint_PID_"));
    EXPECT_TRUE(first->table.endsWith(".dff"));
    for (const QString& path : { first->original, first->marked, first->table })
        EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions())
            << qPrintable(path);
    EXPECT_EQ(QImage(first->original).size(), QSize(400, 300));

    TDataFrame table;
    ASSERT_TRUE(table.ReadDataFram(first->table));
    EXPECT_EQ(table.RowCount(), 40);
    EXPECT_EQ(Values(table)["ImageOriginal"], first->original);
}

TEST_F(PrintBridgeTest, MarkedPicture_PrintColourOnTheCopyOnly)
{
    Prepare();
    const int id = Hair(50, 150, 350, 150, 500);
    ASSERT_GE(id, 0);
    TMyPen red = Cad().ShapeById(id)->Pen();
    red.color = 0x0000FF;
    red.width = 3;
    Cad().ShapeById(id)->SetPen(red);

    const QImage own = PrintBridge::MarkedPicture(Cad(), -1);
    ASSERT_EQ(own.size(), QSize(400, 300));
    EXPECT_EQ(QColor(own.pixel(200, 150)), QColor(Qt::red));
    EXPECT_EQ(QColor(own.pixel(200, 250)), QColor(128, 128, 128));

    const QImage blue = PrintBridge::MarkedPicture(Cad(), 0xFF0000);
    EXPECT_EQ(QColor(blue.pixel(200, 150)), QColor(Qt::blue));
    EXPECT_EQ(Cad().ShapeById(id)->Pen().color, 0x0000FF);
    EXPECT_EQ(Cad().BkBitmap().size(), QSize(400, 300));
}

// The files hold exactly the canvas's picture and the marked picture, row order and
// colour order included (a picture that differs in every pixel, an odd width for padding).
TEST_F(PrintBridgeTest, Files_PicturesAreTheCanvasPictureAndTheMarkedOneExactly)
{
    Prepare();
    QImage picture(401, 300, QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, (x + 3 * y) % 256));
    Cad().SetBkBitmap(picture);
    ASSERT_GE(Hair(50, 150, 350, 150, 500), 0);
    QString error;
    const auto files = PrintBridge::WritePrintFiles(wb, kProgram, &error);
    ASSERT_TRUE(files) << qPrintable(error);
    EXPECT_EQ(QImage(files->original).convertToFormat(QImage::Format_RGB888), picture);
    const QImage marked = PrintBridge::MarkedPicture(Cad(), -1);
    EXPECT_EQ(QImage(files->marked).convertToFormat(QImage::Format_RGB32), marked);
    EXPECT_NE(marked.convertToFormat(QImage::Format_RGB888), picture); // the hair is on it
    EXPECT_EQ(QColor(marked.pixel(10, 20)), QColor(picture.pixel(10, 20)));
}

TEST_F(PrintBridgeTest, Print_LibraryBesideTheProgramAndNothingLeftBehind)
{
    EXPECT_EQ(
        PrintBridge::RunLibrary(m_temp.Path("libPrelvo.so"), "t.zrp", "t.dff"), PrintBridge::LibraryRun::NotFound);
    EXPECT_EQ(QFileInfo(PrintBridge::LibraryPath()).absolutePath(), QCoreApplication::applicationDirPath());
    Prepare();
    PrintBridge::Print(wb); // the library beside the test program shows no window here
    EXPECT_TRUE(prompt.messages.isEmpty()) << qPrintable(prompt.messages.join('\n'));
    EXPECT_TRUE(QDir(m_temp.Root()).entryList(QDir::Files).isEmpty());
}

TEST_F(PrintBridgeTest, WholePathThroughTheLibrary_PdfHoldsPatientAndValues)
{
    Prepare();
    Hair(50, 150, 350, 150, 800);
    Hair(60, 100, 300, 220, 300);
    wb.UpdateResultsGrid();
    QString error;
    const auto files = PrintBridge::WritePrintFiles(wb, kProgram, &error);
    ASSERT_TRUE(files) << qPrintable(error);
    const QString pdf = m_temp.Path("report.pdf");
    ASSERT_EQ(
        PrintBridge::RunLibrary(PRELVO_LIBRARY, PELORIX_TEMPLATE, files->table, pdf), PrintBridge::LibraryRun::Done);
    const QString text = pdf + ".txt";
    if (std::system(
            ("pdftotext -layout '" + QFile::encodeName(pdf) + "' '" + QFile::encodeName(text) + "'").constData())
        != 0)
        GTEST_SKIP() << "pdftotext is not available";
    const QString content = QString::fromUtf8(TestSupport::ReadAll(text));
    EXPECT_TRUE(content.contains("Musterfrau, Erika")) << qPrintable(content);
    EXPECT_TRUE(content.contains(Row(RowCount).caption)) << qPrintable(content);
    EXPECT_TRUE(content.contains(Row(RowThicknessMean).text)) << qPrintable(content);
    EXPECT_TRUE(content.contains(Row(RowLengthCum).text)) << qPrintable(content);
    EXPECT_TRUE(content.contains("pelorix 0.1.0")) << qPrintable(content);
}

TEST_F(PrintBridgeTest, WholePathWithoutHairs_MissingValuesPrintADashAndEmptyUnits)
{
    Prepare();
    wb.UpdateResultsGrid();
    QString error;
    const auto files = PrintBridge::WritePrintFiles(wb, kProgram, &error);
    ASSERT_TRUE(files) << qPrintable(error);
    const QString pdf = m_temp.Path("empty.pdf");
    ASSERT_EQ(
        PrintBridge::RunLibrary(PRELVO_LIBRARY, PELORIX_TEMPLATE, files->table, pdf), PrintBridge::LibraryRun::Done);
    const QString text = pdf + ".txt";
    if (std::system(("pdftotext '" + QFile::encodeName(pdf) + "' '" + QFile::encodeName(text) + "'").constData()) != 0)
        GTEST_SKIP() << "pdftotext is not available";
    const QString content = QString::fromUtf8(TestSupport::ReadAll(text));
    EXPECT_FALSE(content.contains("(null)")) << qPrintable(content);
    EXPECT_FALSE(content.contains("-1")) << qPrintable(content);
    EXPECT_TRUE(content.contains(Row(RowVellusCount).caption)) << qPrintable(content);
}

// What the library made (window titles, literals) may outlive the report, so a
// run closes the report but leaves the library mapped; a second run still works.
TEST_F(PrintBridgeTest, RunLibrary_TwoRuns_BothDoneAndTheLibraryStaysLoaded)
{
    Prepare();
    wb.UpdateResultsGrid();
    QString error;
    const auto files = PrintBridge::WritePrintFiles(wb, kProgram, &error);
    ASSERT_TRUE(files) << qPrintable(error);
    for (const char* name : { "first.pdf", "second.pdf" }) {
        const QString pdf = m_temp.Path(name);
        EXPECT_EQ(PrintBridge::RunLibrary(PRELVO_LIBRARY, PELORIX_TEMPLATE, files->table, pdf),
            PrintBridge::LibraryRun::Done);
        EXPECT_GT(QFileInfo(pdf).size(), 0) << name;
    }
#if !defined(_WIN32)
    void* handle = dlopen(QFile::encodeName(QFileInfo(QStringLiteral(PRELVO_LIBRARY)).absoluteFilePath()).constData(),
        RTLD_LAZY | RTLD_NOLOAD);
    EXPECT_NE(handle, nullptr);
    if (handle)
        dlclose(handle);
#endif
}
