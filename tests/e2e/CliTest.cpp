// pelorix-cli as host-program integrators and batch scripts run it.
#include "tests/e2e/CliRun.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QJsonArray>

#include <gtest/gtest.h>

using TestSupport::CrLf;
using TestSupport::DataPath;
using TestSupport::TempDir;

TEST(Cli, HostInfo_SampleExchangeFile)
{
    const CliRun run = RunCli({ "host-info", DataPath("sample/exchange.ini") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = run.Json();
    EXPECT_EQ(json["count"].toInt(), 1);
    EXPECT_EQ(json["receiver"].toString(), QStringLiteral("Pelorix"));
    const QJsonObject image = json["images"].toArray().at(0).toObject();
    EXPECT_EQ(image["Image"].toString(), QStringLiteral("sample-scalp.jpg"));
    EXPECT_EQ(image["Pp100MM"].toInt(), 20000);
    EXPECT_EQ(image["ExclusionCircleRadiusInPixel"].toInt(), 900);
    EXPECT_EQ(image["ExclusionCircleX0InPixel"].toInt(), 1296);
    EXPECT_EQ(image["ExclusionCircleY0InPixel"].toInt(), 972);
    const QJsonObject subject = json["subjects"].toArray().at(0).toObject();
    EXPECT_EQ(subject["Name"].toString(), QStringLiteral("Müller"));
    EXPECT_EQ(subject["Firstname"].toString(), QStringLiteral("Jürgen"));
    const QJsonObject analysis = json["analysis"].toObject();
    EXPECT_EQ(analysis.size(), 7);
    EXPECT_TRUE(analysis["StoppAtEnd"].toBool());
    EXPECT_FALSE(analysis["Automatic"].toBool());
    EXPECT_TRUE(json["ResultImageDirectory"].toString().endsWith('/'));
    EXPECT_TRUE(json["ResultFile"].toString().endsWith("/result.txt"));
    EXPECT_EQ(json["ResultFileDB"].toString(), QString());
    const QJsonArray additional = json["additional"].toArray();
    ASSERT_EQ(additional.size(), 1);
    EXPECT_EQ(additional[0].toObject()["name"].toString(), QStringLiteral("Operator"));
    EXPECT_EQ(additional[0].toObject()["value"].toString(), QStringLiteral("Dr. Weiß"));
}

TEST(Cli, HostInfo_RecordDialectTakesCalibrationFromCameraTableBesideTheProgram)
{
    const CliRun run = RunCli({ "host-info", DataPath("sample/exchange-record.ini") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject image = run.Json()["images"].toArray().at(0).toObject();
    EXPECT_EQ(image["Image"].toString(), QStringLiteral("sample-scalp.jpg"));
    EXPECT_EQ(image["Pp100MM"].toInt(), 20000);
    EXPECT_EQ(image["ExclusionCircleRadiusInPixel"].toInt(), 900);
}

TEST(Cli, HostInfo_Errors_SayWhichFileAndWhatWasWrong)
{
    TempDir dir;
    const CliRun missing = RunCli({ "host-info", dir.Path("nope.ini") });
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(dir.Path("nope.ini")) && missing.err.contains("does not exist"))
        << missing.err.toStdString();

    const CliRun noRecord = RunCli({ "host-info", dir.Write("x.ini", CrLf({ "[General]", "Count=0" })) });
    EXPECT_EQ(noRecord.exitCode, 1);
    EXPECT_TRUE(noRecord.err.contains("Count=0")) << noRecord.err.toStdString();
    EXPECT_TRUE(noRecord.out.isEmpty());

    EXPECT_EQ(RunCli({ "host-info" }).exitCode, 2);
    EXPECT_EQ(RunCli({ "host-info", "a", "b" }).exitCode, 2);
    EXPECT_EQ(RunCli({ "no-such-command" }).exitCode, 2);
    EXPECT_EQ(RunCli({}).exitCode, 2);
}

TEST(Cli, PictureInfo_SampleAndDamagedPicture)
{
    const CliRun run = RunCli({ "picture-info", DataPath("sample/sample-scalp.jpg") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = run.Json();
    EXPECT_EQ(json["width"].toInt(), 2592);
    EXPECT_EQ(json["height"].toInt(), 1944);
    EXPECT_EQ(json["bpp"].toInt(), 24);
    EXPECT_EQ(json["paletteSize"].toInt(), 0);

    TempDir dir;
    const QString junk = dir.Write("junk.jpg", QByteArray("\xFF\xD8\xFF\xE0") + " not really a jpeg");
    const CliRun bad = RunCli({ "picture-info", junk });
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.startsWith(junk + ": ")) << bad.err.toStdString();
}

TEST(Cli, TableConvert_WritesTextFormWithChosenSeparator)
{
    TempDir dir;
    const QString in = dir.Write("t.dff",
        CrLf({ "[General]", "ColCount=2", "RowCount=2", "[Col0]", "Name=Objekt", "Row0Value=Haar 1", "Row1Value=Haar 2",
            "[Col1]", "Name=Länge", "Row0Value=2.5", "Row1IsMissing=1", "Row1Value=NA" }));
    const QString out = dir.Path("t.txt");
    const CliRun run = RunCli({ "table-convert", in, out, "--decimal", "," });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // Values read back from the file are texts, so the separator leaves "2.5" alone;
    // the missing cell becomes "NA".
    EXPECT_EQ(TestSupport::ReadAll(out), QByteArray("Objekt\tL\xE4nge\r\nHaar 1\t2.5\r\nHaar 2\tNA\r\n"));
}

TEST(Cli, TableConvert_Errors)
{
    TempDir dir;
    const QString damaged = dir.Write("d.dff", CrLf({ "[General]", "ColCount=1", "RowCount=1", "[Col0]", "Name=A" }));
    const CliRun run = RunCli({ "table-convert", damaged, dir.Path("o.txt") });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("No integer specified for column 0 and row 0")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.Path("o.txt")));

    EXPECT_EQ(RunCli({ "table-convert", dir.Path("none.dff"), dir.Path("o.txt") }).exitCode, 1);
    EXPECT_EQ(RunCli({ "table-convert", damaged, dir.Path("o.txt"), "--decimal", ",," }).exitCode, 2);
    EXPECT_EQ(RunCli({ "table-convert", damaged, dir.Path("o.txt"), "--decimal" }).exitCode, 2);
    EXPECT_EQ(RunCli({ "table-convert", damaged, dir.Path("o.txt"), "--bogus", "x" }).exitCode, 2);
}
