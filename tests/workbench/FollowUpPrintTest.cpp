// The thickness chart's pixels and the follow-up report's variable table and print path.
#include "workbench/PrintBridge.h"

#include "common/PrintVariables.h"
#include "common/TDataFrame.h"
#include "tests/canvas/GuiEnvironment.h"
#include "tests/support/MeasurementMaker.h"
#include "tests/support/TestSupport.h"
#include "workbench/ThicknessChart.h"
#include "workbench/VisitComparison.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

struct BarRun
{
    int begin = 0;
    int end = 0; // one past
};

// Runs of the first series' colour along a row of the chart.
std::vector<BarRun> BarRuns(const QImage& image, int y)
{
    std::vector<BarRun> runs;
    const QRgb bar = ThicknessChart::FirstColor().rgb();
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) != bar)
            continue;
        if (runs.empty() || runs.back().end != x)
            runs.push_back({ x, x });
        runs.back().end = x + 1;
    }
    return runs;
}

int BarHeight(const QImage& image, int x)
{
    int height = 0;
    for (int y = 0; y < image.height(); ++y)
        height += image.pixel(x, y) == ThicknessChart::FirstColor().rgb();
    return height;
}

} // namespace

TEST(ThicknessChartTest, Bars_ProportionalInClassOrder_VellusLineBetween30To40And40To50)
{
    // 1, 2, 3, 4, 2, 1 hairs in 0-10 ... 50-60 µm.
    std::vector<ThicknessClass> classes = ThicknessDistribution::Padded({}, 6);
    const int counts[] = { 1, 2, 3, 4, 2, 1 };
    for (int i = 0; i < 6; ++i)
        classes[size_t(i)].count = counts[i];
    const QImage chart = ThicknessChart::Render(600, 240, { { QString(), classes, ThicknessChart::FirstColor() } });

    int baseline = chart.height() - 1;
    while (baseline > 0 && BarRuns(chart, baseline).size() != 6)
        --baseline;
    const std::vector<BarRun> runs = BarRuns(chart, baseline);
    ASSERT_EQ(runs.size(), 6u);
    const int unit = BarHeight(chart, (runs[0].begin + runs[0].end) / 2);
    ASSERT_GT(unit, 10);
    for (int i = 1; i < 6; ++i)
        EXPECT_NEAR(BarHeight(chart, (runs[size_t(i)].begin + runs[size_t(i)].end) / 2), unit * counts[i], 2) << i;

    // The dashed limit: red pixels in one column between the fourth and fifth bar.
    int limit = -1;
    for (int x = runs[3].end; x < runs[4].begin && limit < 0; ++x)
        for (int y = 0; y < baseline; ++y) {
            const QColor c = chart.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 90 && c.blue() < 90) {
                limit = x;
                break;
            }
        }
    EXPECT_GE(limit, runs[3].end);
    // Nothing of a bar in an empty chart, the axes and limit all the same.
    const QImage empty = ThicknessChart::Render(600, 240, { { QString(), {}, ThicknessChart::FirstColor() } });
    for (int y = 0; y < empty.height(); ++y)
        EXPECT_TRUE(BarRuns(empty, y).empty());
}

class FollowUpPrintTest : public ::testing::Test
{
protected:
    TestSupport::TempDir temp;
    TestSupport::ScopedEnv env { "TEMP", QFile::encodeName(temp.Root()) };
    MeasurementMaker::SilentPrompt prompt1, prompt2;
    Workbench first { prompt1 };
    Workbench second { prompt2 };
    VisitComparison::Comparison comparison;

    void SetUp() override
    {
        MeasurementMaker::Spec a;
        a.thicknesses.assign(40, 300);
        a.patient = QStringLiteral("Musterfrau, Erika");
        a.date = QStringLiteral("01.02.2026");
        a.withPicture = true;
        MeasurementMaker::Spec b = a;
        b.thicknesses.assign(50, 700);
        b.date = QStringLiteral("03.08.2026");
        b.withPicture = false;
        ASSERT_TRUE(MeasurementMaker::Write(temp.Path("a.nvm"), a));
        ASSERT_TRUE(MeasurementMaker::Write(temp.Path("b.nvm"), b));
        ASSERT_TRUE(MeasurementFile(first).LoadMeasurementResults(temp.Path("a.nvm")));
        ASSERT_TRUE(MeasurementFile(second).LoadMeasurementResults(temp.Path("b.nvm")));
        comparison = VisitComparison::Compare(VisitComparison::FromResults(first.Results(), "a.nvm"),
            VisitComparison::FromResults(second.Results(), "b.nvm"));
    }
};

TEST_F(FollowUpPrintTest, Table_OneVisitRowsUnchangedThenFollowUpVariablesInOrder)
{
    const PrintBridge::ProgramTexts program { "0.1.0", "pelorix", "09.12.2026 10:15:00" };
    PrintBridge::FollowUpFiles files;
    files.first = { "o.bmp", "a.bmp", "t.dff" };
    files.marked2 = "b.bmp";
    files.chart = "c.bmp";
    TDataFrame oneVisit;
    PrintBridge::FillVariableTable(oneVisit, first.ResultRows(), program, files.first);
    TDataFrame table;
    PrintBridge::FillFollowUpTable(
        table, first.ResultRows(), program, files, "03.08.2026", comparison, first.Texts(), QLatin1Char(','));
    ASSERT_EQ(oneVisit.RowCount(), 40);
    ASSERT_EQ(table.RowCount(), 40 + 7 + 9 * 7);
    for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(table.Column(c)->Cell(r)->TextForm(QString()), oneVisit.Column(c)->Cell(r)->TextForm(QString()));
    const auto name = [&](int r) { return table.Column(0)->Cell(r)->TextForm(QString()); };
    const auto value = [&](int r) { return table.Column(1)->Cell(r)->TextForm(QString()); };
    EXPECT_EQ(name(40), "ImageDate2");
    EXPECT_EQ(value(40), "03.08.2026");
    EXPECT_EQ(value(42), "c.bmp");
    EXPECT_EQ(value(46), " "); // no area warning: a blank, never "(null)"
    EXPECT_EQ(name(47), "CmpCountCaption");
    EXPECT_EQ(value(48), "40");
    EXPECT_EQ(value(49), "50");
    EXPECT_EQ(value(50), "+10");
    EXPECT_EQ(value(51), "+25,0 %");
    EXPECT_EQ(value(52), "[-8,59; 28,59]");
    EXPECT_EQ(name(table.RowCount() - 1), "CmpFollicularUnitDensityUnit");
}

TEST_F(FollowUpPrintTest, WholePath_VerlaufTemplateThroughTheLibrary_PdfShowsBothVisitsAndChanges)
{
    const QString followUp = QFileInfo(QStringLiteral(PELORIX_TEMPLATE)).dir().filePath(QStringLiteral("Verlauf.zrp"));
    ASSERT_TRUE(QFileInfo::exists(followUp));
    QString error;
    const auto files = PrintBridge::WriteFollowUpFiles(
        first, second, comparison, { "0.1.0", "pelorix", "09.12.2026 10:15:00" }, &error);
    ASSERT_TRUE(files) << error.toStdString();
    // The picture-less second visit gets its marks on white at the size of its field.
    EXPECT_GT(QImage(files->marked2).width(), 100);
    const QString pdf = temp.Path("follow-up.pdf");
    EXPECT_EQ(
        PrintBridge::RunLibrary(PRELVO_LIBRARY, followUp, files->first.table, pdf), PrintBridge::LibraryRun::Done);
    for (const QString& path :
        { files->first.original, files->first.marked, files->first.table, files->marked2, files->chart })
        QFile::remove(path);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext is not available";
    QProcess text;
    text.start(QStringLiteral("pdftotext"), { pdf, QStringLiteral("-") });
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(page.contains("Follow-up Report"));
    EXPECT_TRUE(page.contains("Musterfrau, Erika"));
    EXPECT_TRUE(page.contains("03.08.2026"));
    EXPECT_TRUE(page.contains("+10"));
    EXPECT_FALSE(page.contains("(null)"));
}
