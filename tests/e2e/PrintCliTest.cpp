// pelorix-cli's printing commands: the variable table as "Drucken..." writes it and
// the whole print path through the report library into PDF and PNG files.
#include "tests/e2e/WorkbenchCliFixture.h"

#include "common/TDataFrame.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>

#include <cstdlib>

namespace {

class PrintCli : public WorkbenchCli
{
protected:
    TempDir temp;
    TestSupport::ScopedEnv tempEnv { "TEMP", QFile::encodeName(temp.Root()) };

    // A measurement of the sample patient with seven marks and its picture, saved
    // after the host import.
    QString PatientMeasurement()
    {
        HairMeasurement();
        const QString saved = dir.Path("patient.nvm");
        const CliRun run = RunCli({ "import-host", Exchange("Add0Name=MeasureResultsFile\r\nAdd0Value=hairs.nvm"),
            "--save", saved, "--with-picture" });
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return saved;
    }

    // The rows of the results JSON of a measurement.
    static QJsonArray Rows(const QString& measurement)
    {
        const CliRun run = RunCli({ "results", measurement });
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return run.Json()["rows"].toArray();
    }

    QStringList LeftInTemp() const { return QDir(temp.Root()).entryList(QDir::Files); }
};

QHash<QString, QString> Values(const TDataFrame& table)
{
    QHash<QString, QString> values;
    for (int r = 0; r < table.RowCount(); ++r)
        values.insert(table.Column(0)->Cell(r)->TextForm(QString()), table.Column(1)->Cell(r)->TextForm(QString()));
    return values;
}

} // namespace

TEST_F(PrintCli, PrintTable_FortyVariablesOfTheMeasurementWithItsPictures)
{
    const QString measurement = PatientMeasurement();
    const QJsonArray rows = Rows(measurement);
    const QString out = dir.Path("print.dff");
    const CliRun run = RunCli({ "print-table", measurement, out });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    TDataFrame table;
    ASSERT_TRUE(table.ReadDataFram(out)) << qPrintable(table.LastError());
    EXPECT_EQ(table.ColumnCount(), 3);
    EXPECT_EQ(table.RowCount(), 40);
    const auto values = Values(table);
    EXPECT_EQ(values["Name"], QString::fromUtf8("Müller, Jürgen"));
    EXPECT_EQ(values["DateOfBirth"], "07.11.1968");
    EXPECT_EQ(values["TotalCountValue"], QString::number(rows[RowCount].toObject()["value"].toDouble()));
    EXPECT_EQ(values["ThicknessMeanValue"], rows[RowThicknessMean].toObject()["text"].toString());
    EXPECT_TRUE(values["ProgVersion"].startsWith("0.1.0.")) << qPrintable(values["ProgVersion"]);
    EXPECT_EQ(values["ProgramName"], "pelorix-cli");

    // The pictures stay where the table names them; the table itself went to OUT.
    EXPECT_EQ(QImage(values["ImageOriginal"]).size(), QSize(2592, 1944));
    const QImage marked(values["ImageAnalysis"]);
    EXPECT_EQ(marked.size(), QSize(2592, 1944));
    // The evaluated field shows the picture: the exclusion circle is a ring, as in
    // the window, not a white disc over the marks.
    const QImage original(values["ImageOriginal"]);
    for (const QPoint at : { QPoint(1296, 972), QPoint(1296, 300), QPoint(700, 972) })
        EXPECT_EQ(marked.pixel(at), original.pixel(at)) << at.x() << "," << at.y();
    EXPECT_EQ(QFileInfo(values["ImageOriginal"]).absolutePath(), QFileInfo(temp.Root()).absoluteFilePath());
    EXPECT_EQ(LeftInTemp().filter(".dff"), QStringList());
}

TEST_F(PrintCli, Report_PdfHoldsPatientAndMeasuredValues_NothingLeftBehind)
{
    const QString measurement = PatientMeasurement();
    const QJsonArray rows = Rows(measurement);
    const QString pdf = dir.Path("report.pdf");
    const CliRun run = RunCli({ "report", measurement, pdf });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(TestSupport::ReadAll(pdf).startsWith("%PDF"));
    EXPECT_TRUE(LeftInTemp().isEmpty()) << qPrintable(LeftInTemp().join(' '));

    const QString text = dir.Path("report.txt");
    if (std::system(
            ("pdftotext -layout '" + QFile::encodeName(pdf) + "' '" + QFile::encodeName(text) + "'").constData())
        != 0)
        GTEST_SKIP() << "pdftotext is not available";
    const QString content = QString::fromUtf8(TestSupport::ReadAll(text));
    EXPECT_TRUE(content.contains(QString::fromUtf8("Müller, Jürgen"))) << qPrintable(content);
    for (int row : { int(RowCount), int(RowDensity), int(RowThicknessMean), int(RowLengthMean), int(RowLengthCum) }) {
        const QJsonObject result = rows[row].toObject();
        EXPECT_TRUE(content.contains(result["caption"].toString())) << qPrintable(result["caption"].toString());
        EXPECT_TRUE(content.contains(result["text"].toString())) << qPrintable(result["text"].toString());
    }
}

TEST_F(PrintCli, Report_PngIsTheA4PageAt300Dpi)
{
    const QString measurement = PatientMeasurement();
    const QString png = dir.Path("report.png");
    const CliRun run = RunCli({ "report", measurement, png, "--template", PELORIX_TEMPLATE });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage page(png);
    EXPECT_NEAR(page.width(), 2480, 1);
    EXPECT_NEAR(page.height(), 3508, 1);
}

TEST_F(PrintCli, Errors_UsageAndInputs)
{
    const QString measurement = HairMeasurement();
    const QString picture = DataPath("sample/sample-scalp.jpg");
    EXPECT_EQ(RunCli({ "report", measurement, dir.Path("r.jpg"), "--picture", picture }).exitCode, 2);
    EXPECT_EQ(RunCli({ "print-table", measurement }).exitCode, 2);
    EXPECT_EQ(RunCli({ "report", measurement, dir.Path("r.pdf"), "--bogus", "x" }).exitCode, 2);

    CliRun run = RunCli({ "report", measurement, dir.Path("r.pdf"), "--template", dir.Path("none.zrp") });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(LastLine(run.err), dir.Path("none.zrp") + ": the report template does not exist");
    run = RunCli({ "report", measurement, dir.Path("r.pdf") });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(LastLine(run.err), measurement + ": the measurement holds no picture; give one with --picture");
    run = RunCli({ "report", measurement, dir.Path("missing/r.pdf"), "--picture", picture });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(LastLine(run.err), "the report could not be written to " + dir.Path("missing/r.pdf"));
    EXPECT_TRUE(LeftInTemp().isEmpty()) << qPrintable(LeftInTemp().join(' '));
}
