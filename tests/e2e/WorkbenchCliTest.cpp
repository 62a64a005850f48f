// pelorix-cli over the measuring workbench: host import, results, results export
// and the picture export of measurement files.
#include "tests/e2e/WorkbenchCliFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>

#include <cmath>

#include <gtest/gtest.h>

TEST_F(WorkbenchCli, ImportHost_SampleCalibratedWithCircle_PictureConsumed)
{
    const CliRun run = RunCli({ "import-host", Exchange() });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.Path("sample-scalp.jpg")));
    const QJsonObject json = run.Json();
    EXPECT_EQ(json["unit"].toString(), "mm");
    EXPECT_EQ(json["areaUnit"].toString(), "mm²");
    EXPECT_DOUBLE_EQ(json["scale"].toDouble(), 1.0 / 200);
    EXPECT_EQ(json["imageWidth"].toInt(), 2592);
    EXPECT_EQ(json["imageHeight"].toInt(), 1944);
    EXPECT_GT(json["evaluatedArea"].toDouble(), 2.5e6);
    const QJsonArray rows = json["rows"].toArray();
    ASSERT_EQ(rows.size(), 19);
    EXPECT_EQ(rows[RowName].toObject()["text"].toString(), "Müller, Jürgen");
    EXPECT_EQ(rows[RowCount].toObject()["value"].toDouble(), 0.0);
    for (const char* key : { "caption", "text", "value", "unit", "header", "band" })
        EXPECT_TRUE(rows[RowDensity].toObject().contains(key)) << key;
    EXPECT_TRUE(json["objects"].toArray().isEmpty());
}

TEST_F(WorkbenchCli, RoundTrip_ImportWithMeasurement_SaveWithPicture_ResultsIdentical)
{
    const QString hairs = HairMeasurement();
    const QString exchange = Exchange("Add0Name=MeasureResultsFile\r\nAdd0Value=hairs.nvm");
    const QString saved = dir.Path("saved.nvm");
    const CliRun imported = RunCli({ "import-host", exchange, "--save", saved, "--with-picture" });
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    const QJsonArray objects = imported.Json()["objects"].toArray();
    ASSERT_EQ(objects.size(), 7);
    const QJsonObject first = objects[0].toObject();
    EXPECT_TRUE(first.contains("id"));
    const QJsonObject length = first["params"].toArray()[0].toObject();
    EXPECT_EQ(length["unit"].toString(), "mm");
    EXPECT_EQ(length["decimals"].toInt(), 2);
    EXPECT_NEAR(length["value"].toDouble(), std::hypot(200.0, 20.0) / 200, 1e-9);

    const CliRun results = RunCli({ "results", saved });
    ASSERT_EQ(results.exitCode, 0) << results.err.toStdString();
    EXPECT_EQ(WithoutPatient(results.Json()), WithoutPatient(imported.Json()));
    // A file with its own picture ignores --picture.
    EXPECT_EQ(
        RunCli({ "results", saved, "--picture", DataPath("sample/sample-scalp.jpg") }).Json()["imageWidth"], 2592);
}

TEST_F(WorkbenchCli, Results_WithoutPicture_NeedsPictureOption)
{
    const QString hairs = HairMeasurement();
    const CliRun bare = RunCli({ "results", hairs });
    EXPECT_EQ(bare.exitCode, 1);
    EXPECT_EQ(LastLine(bare.err), hairs + ": the measurement holds no picture; give one with --picture");
    EXPECT_TRUE(bare.out.isEmpty());

    const QString picture = DataPath("sample/sample-scalp.jpg");
    const CliRun over = RunCli({ "results", hairs, "--picture", picture });
    ASSERT_EQ(over.exitCode, 0) << over.err.toStdString();
    EXPECT_EQ(over.Json()["objects"].toArray().size(), 7);
    EXPECT_EQ(over.Json()["unit"].toString(), "mm");
    EXPECT_GT(over.Json()["evaluatedArea"].toDouble(), 2.5e6);
    EXPECT_TRUE(QFileInfo::exists(picture)); // the operator's picture is never consumed
}

TEST_F(WorkbenchCli, Export_SpreadsheetAndTextWithDecimalComma)
{
    const QString hairs = HairMeasurement();
    const QString picture = DataPath("sample/sample-scalp.jpg");
    ASSERT_EQ(RunCli({ "export", hairs, dir.Path("r.xls"), "--picture", picture }).exitCode, 0);
    const QByteArray sheet = TestSupport::ReadAll(dir.Path("r.xls"));
    EXPECT_TRUE(sheet.startsWith(QByteArray("\x09\x08\x06\x00\x00\x02\x10\x00\x00\x00", 10)));
    EXPECT_TRUE(sheet.endsWith(QByteArray("\x12\x00\x02\x00\x01\x00\x0A\x00\x00\x00", 10)));

    const CliRun text = RunCli({ "export", hairs, dir.Path("r.txt"), "--picture", picture, "--decimal", "," });
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    const QList<QByteArray> lines = TestSupport::ReadAll(dir.Path("r.txt")).split('\n');
    // Header, seven objects, an empty row, the thickness classes' heading and three classes, end.
    ASSERT_EQ(lines.size(), 14);
    EXPECT_TRUE(lines[1].contains("\t1,0049")) << lines[1].toStdString();
}

TEST_F(WorkbenchCli, Errors_SayWhatWasWrong)
{
    const QString missing = dir.Path("missing.ini");
    CliRun run = RunCli({ "import-host", missing });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(LastLine(run.err).contains(missing)) << run.err.toStdString();

    const QString exchange = Exchange();
    QFile::remove(dir.Path("sample-scalp.jpg"));
    run = RunCli({ "import-host", exchange });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(LastLine(run.err).startsWith(
        "the picture of the exchange file cannot be loaded: " + dir.Path("sample-scalp.jpg")))
        << run.err.toStdString();

    const QString notes = dir.Write("notes.nvm", "hello");
    run = RunCli({ "results", notes });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(LastLine(run.err), notes + ": not a measurement file (no canvas file signature)");
    run = RunCli({ "results", dir.Path("gone.nvm") });
    EXPECT_EQ(LastLine(run.err), dir.Path("gone.nvm") + ": the file does not exist");
    run = RunCli({ "results", notes, "--picture", dir.Path("gone.jpg") });
    EXPECT_EQ(run.exitCode, 1);

    EXPECT_EQ(RunCli({ "export", notes, dir.Path("r.ods") }).exitCode, 2);
    EXPECT_EQ(RunCli({ "export", notes, dir.Path("r.txt"), "--decimal", ",," }).exitCode, 2);
    EXPECT_EQ(RunCli({ "import-host", exchange, "--with-picture" }).exitCode, 2);
    EXPECT_EQ(RunCli({ "results" }).exitCode, 2);
}

TEST_F(WorkbenchCli, Render_MeasurementOverPicture)
{
    const QString hairs = HairMeasurement();
    const QString out = dir.Path("marked.png");
    const CliRun run = RunCli({ "render", hairs, out, "--picture", DataPath("sample/sample-scalp.jpg") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage marked(out);
    EXPECT_EQ(marked.size(), QSize(2592, 1944));
    // Inside the exclusion circle (centre 1296, 972, radius 900) away from the
    // marks the picture shows through, as in the window; the circle's own ring is drawn.
    const QImage picture(DataPath("sample/sample-scalp.jpg"));
    for (const QPoint at : { QPoint(1296, 1400), QPoint(700, 972), QPoint(1800, 700) })
        EXPECT_LT(qGray(marked.pixel(at)) - qGray(picture.pixel(at)), 8) << at.x() << "," << at.y();
    EXPECT_NE(marked.pixel(1296 + 900, 972), picture.pixel(1296 + 900, 972));
    // Without a picture the marks are drawn alone.
    EXPECT_EQ(RunCli({ "render", hairs, dir.Path("bare.bmp") }).exitCode, 0);
    const CliRun broken = RunCli({ "render", hairs, dir.Path("x.png"), "--picture", dir.Write("p.jpg", "no") });
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_TRUE(LastLine(broken.err).startsWith(dir.Path("p.jpg") + ": ")) << broken.err.toStdString();
}

TEST_F(WorkbenchCli, Results_ShowTheMendedNumbers)
{
    // A micrometre calibration (152 px = 1000 µm), a field over the picture's corner,
    // a 3.25 px (21.4 µm) hair, a quick-count mark and no patient data.
    QImage picture(1000, 1000, QImage::Format_RGB888);
    picture.fill(QColor(200, 150, 120));
    ASSERT_TRUE(picture.save(dir.Path("picture.png"), "PNG"));
    ScriptedPrompt prompt;
    Workbench wb(prompt);
    MeasurementFile files(wb);
    ASSERT_TRUE(files.LoadPicture(dir.Path("picture.png"), false));
    prompt.scaleDialogs.push_back(ScriptedPrompt::Answer("152", "1000", "µm"));
    wb.Scale().NumericScaleCommand();
    wb.SetupEvaluatedField(50, 60, 80);
    wb.SetThicknessSlider(325);
    wb.Canvas().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(20, 20), QPointF(96, 20) }, "L");
    wb.ToolButtonClicked(ToolButton::QuickHairCount);
    wb.CanvasMouseUp(60, 60, false);
    ASSERT_TRUE(files.SaveMeasurement(dir.Path("um.nvm"), true));

    const CliRun run = RunCli({ "results", dir.Path("um.nvm") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = run.Json();
    EXPECT_EQ(json["unit"].toString(), "µm");
    EXPECT_EQ(json["evaluatedArea"].toDouble(), 16150); // once ~12,000: the field was cut at 2 x0, 2 y0
    const QJsonArray rows = json["rows"].toArray();
    auto row = [&](int index) { return rows[index].toObject(); };
    EXPECT_EQ(row(RowName)["text"].toString(), "keine Patientendaten in der Messung");
    EXPECT_EQ(row(RowDensity)["unit"].toString(), "1/cm²"); // once "1/µm²"
    EXPECT_EQ(row(RowCount)["text"].toString(), "2");
    EXPECT_EQ(row(RowVellusCount)["text"].toString(), "1"); // once "0": no vellus in µm
    EXPECT_EQ(row(RowTerminalCount)["text"].toString(), "0");
    EXPECT_NEAR(row(RowVellusDensity)["value"].toDouble(), 1 / (16150 * (0.1 / 152) * (0.1 / 152)), 1e-6);
    EXPECT_EQ(row(RowThicknessMean)["text"].toString(), "21.38");
    EXPECT_EQ(row(RowThicknessMean)["unit"].toString(), "µm");
    EXPECT_EQ(row(RowLengthCum)["unit"].toString(), "µm/cm²");
    const QJsonArray objects = json["objects"].toArray();
    ASSERT_EQ(objects.size(), 2);
    const QJsonArray hair = objects[0].toObject()["params"].toArray();
    ASSERT_EQ(hair.size(), 2);
    EXPECT_NEAR(hair[0].toObject()["value"].toDouble(), 500, 1e-9); // 76 px = 500 µm
    EXPECT_EQ(hair[1].toObject()["unit"].toString(), "µm");
    EXPECT_EQ(hair[1].toObject()["decimals"].toInt(), 0);
    const QJsonArray mark = objects[1].toObject()["params"].toArray();
    ASSERT_EQ(mark.size(), 1); // a quick-count mark has no length
    EXPECT_EQ(mark[0].toObject()["name"].toString(), "Dicke");

    // Uncalibrated: no vellus split, and the rows say why.
    ScriptedPrompt plainPrompt;
    Workbench plain(plainPrompt);
    MeasurementFile plainFiles(plain);
    ASSERT_TRUE(plainFiles.LoadPicture(dir.Path("picture.png"), false));
    plain.SetThicknessSlider(300);
    plain.Canvas().AddShape(
        SpPolyBezier, QString(), 0.0f, { QPointF(10, 10), QPointF(20, 0), QPointF(30, 0), QPointF(40, 10) }, "C");
    ASSERT_TRUE(plainFiles.SaveMeasurement(dir.Path("plain.nvm"), true));
    const QJsonObject plainJson = RunCli({ "results", dir.Path("plain.nvm") }).Json();
    const QJsonObject vellus = plainJson["rows"].toArray()[RowVellusCount].toObject();
    EXPECT_EQ(vellus["text"].toString(), "-"); // once "1": curves up to 4 px counted as vellus
    EXPECT_EQ(vellus["unit"].toString(), "nicht kalibriert");
}
