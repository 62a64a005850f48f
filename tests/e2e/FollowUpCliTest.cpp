// pelorix-cli compare and batch on measurement files made for the purpose.
#include "tests/e2e/CliRun.h"
#include "tests/support/MeasurementMaker.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

using TestSupport::TempDir;

namespace {

// Slider 300 is 30 µm (vellus), 700 is 70 µm (terminal) at 100 pixels per millimetre.
MeasurementMaker::Spec Visit(int vellus, int terminal, int units, const QString& date)
{
    MeasurementMaker::Spec spec;
    spec.thicknesses.assign(size_t(vellus), 300);
    spec.thicknesses.insert(spec.thicknesses.end(), size_t(terminal), 700);
    spec.follicularUnits = units;
    spec.patient = QStringLiteral("Müller, Jürgen");
    spec.date = date;
    return spec;
}

void ExpectInterval(const QJsonObject& change, double lower, double upper)
{
    const QJsonArray ci = change["ci95"].toArray();
    ASSERT_EQ(ci.size(), 2);
    EXPECT_NEAR(ci[0].toDouble(), lower, 1e-3);
    EXPECT_NEAR(ci[1].toDouble(), upper, 1e-3);
}

} // namespace

// Visit 1: 20 hairs of 30 µm, 20 of 70 µm, 10 follicular units; visit 2: 15 and 35
// hairs, 16 units; the same circle of 5 mm radius. Changes and intervals by hand:
// count 40 -> 50: +10, +25 %, 10 +- 1.96 sqrt(90) = [-8.594, 28.594];
// vellus 20 -> 15: -5, [-5 -+ 1.96 sqrt(35)] = [-16.595, 6.595]; vellus share 50 -> 30 %;
// mean thickness 50 -> 58 µm; median 50 -> 70 µm; units 10 -> 16: [6 -+ 9.994].
TEST(FollowUpCli, Compare_WorkedPair_ChangesAndPoissonIntervals)
{
    TempDir dir;
    ASSERT_TRUE(MeasurementMaker::Write(dir.Path("v1.nvm"), Visit(20, 20, 10, "01.02.2026")));
    ASSERT_TRUE(MeasurementMaker::Write(dir.Path("v2.nvm"), Visit(15, 35, 16, "03.08.2026")));
    const CliRun run = RunCli({ "compare", dir.Path("v1.nvm"), dir.Path("v2.nvm") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = run.Json();
    EXPECT_EQ(json["first"]["date"].toString(), "01.02.2026");
    EXPECT_EQ(json["second"]["patient"].toString(), "Müller, Jürgen");
    const double area = json["first"]["area"].toDouble();
    EXPECT_NEAR(area, std::numbers::pi * 0.25, 0.001); // cm²
    EXPECT_EQ(json["first"]["figures"]["count"].toDouble(), 40);
    EXPECT_EQ(json["second"]["figures"]["terminalDensity"].toDouble(), 35 / area);

    const QJsonObject changes = json["changes"].toObject();
    EXPECT_EQ(changes["count"]["absolute"].toDouble(), 10);
    EXPECT_NEAR(changes["count"]["relative"].toDouble(), 25, 1e-9);
    ExpectInterval(changes["count"].toObject(), -8.594, 28.594);
    EXPECT_NEAR(changes["density"]["absolute"].toDouble(), 10 / area, 1e-9);
    ExpectInterval(changes["density"].toObject(), (10 - 18.5938) / area, (10 + 18.5938) / area);
    EXPECT_EQ(changes["vellusCount"]["absolute"].toDouble(), -5);
    ExpectInterval(changes["vellusCount"].toObject(), -16.595, 6.595);
    EXPECT_NEAR(changes["vellusPercentage"]["absolute"].toDouble(), -20, 1e-9);
    EXPECT_NEAR(changes["vellusPercentage"]["relative"].toDouble(), -40, 1e-9);
    EXPECT_FALSE(changes["vellusPercentage"].toObject().contains("ci95"));
    EXPECT_NEAR(changes["meanThickness"]["absolute"].toDouble(), 8, 1e-9);
    EXPECT_NEAR(changes["medianThickness"]["absolute"].toDouble(), 20, 1e-9);
    ExpectInterval(changes["terminalDensity"].toObject(), (15 - 1.959964 * std::sqrt(55.0)) / area,
        (15 + 1.959964 * std::sqrt(55.0)) / area);
    EXPECT_EQ(changes["follicularUnits"]["absolute"].toDouble(), 6);
    ExpectInterval(changes["follicularUnits"].toObject(), 6 - 9.994, 6 + 9.994);
    EXPECT_FALSE(json["area"]["warning"].toBool());
    EXPECT_NEAR(json["area"]["differencePercent"].toDouble(), 0, 1e-12);
    const QJsonArray classes = json["second"]["thicknessClasses"].toArray();
    ASSERT_EQ(classes.size(), 7);
    EXPECT_EQ(classes[2]["count"].toInt(), 15);
    EXPECT_EQ(classes[6]["count"].toInt(), 35);
}

TEST(FollowUpCli, Compare_AreasDifferAndNoHairs_WarnsAndLeavesRelativeEmpty)
{
    TempDir dir;
    MeasurementMaker::Spec empty;
    MeasurementMaker::Spec wider = Visit(0, 3, 0, {});
    wider.r = 530; // (530 / 500)^2: 12 % more area
    ASSERT_TRUE(MeasurementMaker::Write(dir.Path("a.nvm"), empty));
    ASSERT_TRUE(MeasurementMaker::Write(dir.Path("b.nvm"), wider));
    const CliRun run = RunCli({ "compare", dir.Path("a.nvm"), dir.Path("b.nvm") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = run.Json();
    EXPECT_TRUE(json["area"]["warning"].toBool());
    EXPECT_NEAR(json["area"]["differencePercent"].toDouble(), 12.36, 0.1);
    EXPECT_TRUE(run.err.contains("differ by more than 5 %"));
    EXPECT_EQ(json["changes"]["count"]["absolute"].toDouble(), 3);
    EXPECT_TRUE(json["changes"]["count"]["relative"].isNull());
    EXPECT_TRUE(json["changes"]["meanThickness"]["absolute"].isNull());

    EXPECT_EQ(RunCli({ "compare", dir.Path("a.nvm"), dir.Path("missing.nvm") }).exitCode, 1);
    EXPECT_EQ(RunCli({ "compare", dir.Path("a.nvm") }).exitCode, 2);
}

class BatchCli : public ::testing::Test
{
protected:
    TempDir dir;
    QString folder;

    // Two good files (one with its picture, one in a subfolder without), a
    // damaged one, one that is no measurement, and a picture-less one.
    void SetUp() override
    {
        folder = dir.Path("clinic");
        ASSERT_TRUE(QDir().mkpath(folder + "/2026"));
        MeasurementMaker::Spec pictured = Visit(2, 3, 1, "01.02.2026");
        pictured.withPicture = true;
        ASSERT_TRUE(MeasurementMaker::Write(folder + "/a.nvm", pictured));
        ASSERT_TRUE(MeasurementMaker::Write(folder + "/2026/b.nvm", Visit(1, 0, 0, "03.08.2026")));
        ASSERT_TRUE(MeasurementMaker::Write(folder + "/c.nvm", Visit(0, 4, 2, {})));
        QByteArray damaged = TestSupport::ReadAll(folder + "/c.nvm");
        damaged.truncate(damaged.size() * 2 / 3);
        dir.Write("clinic/damaged.nvm", damaged);
        dir.Write("clinic/notes.NVM", "not a measurement");
    }

    // The workbook as openpyxl reads it: per sheet its rows of [value, type name].
    QJsonObject ReadBack(const QString& path)
    {
        const char* script = "import json, sys, openpyxl\n"
                             "wb = openpyxl.load_workbook(sys.argv[1])\n"
                             "print(json.dumps({ws.title: [[[c.value, type(c.value).__name__] for c in row]\n"
                             "    for row in ws.iter_rows()] for ws in wb.worksheets}))\n";
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"), { QStringLiteral("-c"), QString::fromLatin1(script), path });
        EXPECT_TRUE(python.waitForFinished(60000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    }
};

TEST_F(BatchCli, Xlsx_RecursiveParallel_OpensInOpenpyxlWithNumbersAndReasons)
{
    const QString out = dir.Path("clinic.xlsx");
    const CliRun run = RunCli({ "batch", folder, out, "--recursive", "--jobs", "2" });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("5 of 5 files"));
    EXPECT_TRUE(run.err.contains("damaged.nvm: the measurement file is damaged")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("notes.NVM: not a measurement file"));

    const QJsonObject book = ReadBack(out);
    const QJsonArray results = book["Results"].toArray();
    ASSERT_EQ(results.size(), 4); // header and three files
    const QJsonArray header = results[0].toArray();
    const auto column = [&](const QString& caption) {
        for (int c = 0; c < header.size(); ++c)
            if (header[c].toArray()[0].toString() == caption)
                return c;
        ADD_FAILURE() << "no column " << caption.toStdString();
        return 0;
    };
    const QJsonArray b = results[1].toArray(); // sorted: "2026/b.nvm" first
    const QJsonArray a = results[2].toArray();
    EXPECT_EQ(b[column("File")].toArray()[0].toString(), "2026/b.nvm");
    EXPECT_EQ(b[column("Picture")].toArray()[0].toString(), "no");
    EXPECT_EQ(a[column("Picture")].toArray()[0].toString(), "yes");
    EXPECT_EQ(a[column("Patient")].toArray()[0].toString(), "Müller, Jürgen");
    EXPECT_EQ(a[column("Date")].toArray()[0].toString(), "01.02.2026");
    EXPECT_EQ(a[column("Count")], (QJsonArray { 5, "int" }));
    EXPECT_EQ(a[column("Unit")].toArray()[0].toString(), "mm");
    EXPECT_NEAR(a[column("Area [cm²]")].toArray()[0].toDouble(), std::numbers::pi * 0.25, 0.001);
    EXPECT_EQ(a[column("Vellus Percentage [%]")], (QJsonArray { 40, "int" }));
    EXPECT_NEAR(a[column("Thickness Mean [µm]")].toArray()[0].toDouble(), 54.0, 1e-9);
    EXPECT_EQ(a[column("Thickness 20-30 µm")], (QJsonArray { 2, "int" }));
    EXPECT_EQ(a[column("Thickness 60-70 µm")], (QJsonArray { 3, "int" }));
    // A file without terminal hairs has empty classes above, not missing cells.
    EXPECT_EQ(b[column("Thickness 60-70 µm")], (QJsonArray { 0, "int" }));

    const QJsonArray errors = book["Unreadable files"].toArray();
    ASSERT_EQ(errors.size(), 3);
    EXPECT_EQ(errors[1].toArray()[0].toArray()[0].toString(), "damaged.nvm");
    EXPECT_TRUE(errors[2].toArray()[1].toArray()[0].toString().startsWith("not a measurement file"));
}

TEST_F(BatchCli, Csv_TopFolderOnly_ReasonsOnStderr)
{
    const QString out = dir.Path("clinic.csv");
    const CliRun run = RunCli({ "batch", folder, out, "--jobs", "1" });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("4 of 4 files"));
    EXPECT_TRUE(run.err.contains("damaged.nvm: "));
    const QByteArray csv = TestSupport::ReadAll(out);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"
                               "File,Patient,"));
    const QList<QByteArray> lines = csv.split('\n');
    ASSERT_EQ(lines.size(), 4); // header, a, c, and the empty rest after the last CRLF
    EXPECT_TRUE(lines[1].startsWith("a.nvm,\"M\xC3\xBCller, J\xC3\xBCrgen\",,01.02.2026,yes,0.01,mm,"));
    EXPECT_TRUE(lines[2].startsWith("c.nvm,\"M\xC3\xBCller, J\xC3\xBCrgen\",,,no,0.01,mm,"));

    EXPECT_EQ(RunCli({ "batch", folder, dir.Path("out.ods") }).exitCode, 2);
    EXPECT_EQ(RunCli({ "batch", folder, out, "--jobs", "0" }).exitCode, 2);
    EXPECT_EQ(RunCli({ "batch", dir.Path("nowhere"), out }).exitCode, 1);
}

TEST_F(BatchCli, Export_XlsxAndText_ThicknessClassesAfterTheTable)
{
    const QString xlsx = dir.Path("a.xlsx");
    ASSERT_EQ(RunCli({ "export", folder + "/a.nvm", xlsx }).exitCode, 0);
    const QJsonObject book = ReadBack(xlsx);
    ASSERT_EQ(book.size(), 1);
    const QJsonArray rows = book.begin()->toArray();
    // Header, six objects (five hairs, one unit), an empty row, the class heading, seven classes.
    ASSERT_EQ(rows.size(), 1 + 6 + 1 + 1 + 7);
    EXPECT_EQ(rows[0].toArray()[1].toArray()[0].toString(), "Länge");
    EXPECT_EQ(rows[1].toArray()[1].toArray()[1].toString(), "float");
    EXPECT_EQ(rows[8].toArray()[0].toArray()[0].toString(), "Dickenverteilung");
    EXPECT_EQ(rows[11].toArray()[0], (QJsonArray { "20-30 µm", "str" }));
    EXPECT_EQ(rows[11].toArray()[3], (QJsonArray { 2, "int" }));

    const QString txt = dir.Path("a.txt");
    ASSERT_EQ(RunCli({ "export", folder + "/a.nvm", txt, "--decimal", "," }).exitCode, 0);
    const QString text = QString::fromLatin1(TestSupport::ReadAll(txt));
    EXPECT_TRUE(text.contains(QStringLiteral("60-70 µm"))) << text.toStdString();
}
