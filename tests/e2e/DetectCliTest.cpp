// pelorix-cli detect: the JSON of the detection and the measurement it saves.
#include "tests/e2e/CliRun.h"
#include "tests/support/TestSupport.h"

#include <QImage>
#include <QJsonArray>

#include <cmath>

using TestSupport::DataPath;
using TestSupport::TempDir;

TEST(DetectCli, PrintsHairsAndSavesThemAccepted)
{
    TempDir dir;
    // A quarter of the sample keeps the run short.
    const QString picture = dir.Path("crop.png");
    ASSERT_TRUE(QImage(DataPath("sample/sample-scalp.jpg")).copy(900, 600, 800, 600).save(picture));
    const QString saved = dir.Path("detected.nvm");
    const CliRun run
        = RunCli({ "detect", picture, "--pixels-per-mm", "200", "--field", "400,300,280", "--save", saved });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonObject json = run.Json();
    EXPECT_EQ(json["pixelsPerMm"].toDouble(), 200.0);
    EXPECT_GE(json["elapsedMs"].toDouble(), 0.0);
    const QJsonArray hairs = json["hairs"].toArray();
    ASSERT_GE(hairs.size(), 5);
    for (const QJsonValue& value : hairs) {
        const QJsonObject hair = value.toObject();
        const QString kind = hair["kind"].toString();
        const qsizetype nodes = hair["nodes"].toArray().size();
        EXPECT_TRUE(kind == QLatin1String("line") ? nodes == 2 : kind == QLatin1String("curve") && nodes % 3 == 1);
        const QJsonArray path = hair["path"].toArray();
        ASSERT_GE(path.size(), 2);
        for (qsizetype i = 1; i < path.size(); ++i) {
            const double dx = path[i][0].toDouble() - path[i - 1][0].toDouble();
            const double dy = path[i][1].toDouble() - path[i - 1][1].toDouble();
            EXPECT_LE(std::hypot(dx, dy), 2.1);
        }
        EXPECT_GT(hair["thicknessUm"].toDouble(), 5.0);
        EXPECT_GT(hair["lengthMm"].toDouble(), 0.1);
        EXPECT_GE(hair["confidence"].toDouble(), 0.0);
        EXPECT_LE(hair["confidence"].toDouble(), 1.0);
    }

    // The saved measurement reads like any other: every proposal is an accepted hair.
    const CliRun results = RunCli({ "results", saved, "--picture", picture });
    ASSERT_EQ(results.exitCode, 0) << results.err.toStdString();
    int detected = 0;
    for (const QJsonValue& object : results.Json()["objects"].toArray())
        detected += object["origin"].toString() == QLatin1String("detected") ? 1 : 0;
    EXPECT_EQ(detected, hairs.size());
    EXPECT_EQ(results.Json()["unit"].toString(), QStringLiteral("mm"));

    // A wrong value is named before the usage line.
    const CliRun shortField = RunCli({ "detect", picture, "--field", "1,2" });
    EXPECT_EQ(shortField.exitCode, 2);
    EXPECT_TRUE(shortField.err.startsWith(QStringLiteral("pelorix-cli detect: --field needs X0,Y0,R")))
        << shortField.err.toStdString();
    // Beyond any picture's pixels (the saved field's whole pixels overflowed).
    EXPECT_EQ(RunCli({ "detect", picture, "--field", "0,0,1e12", "--save", saved }).exitCode, 2);
    const CliRun negative = RunCli({ "detect", picture, "--pixels-per-mm", "-3" });
    EXPECT_EQ(negative.exitCode, 2);
    EXPECT_TRUE(negative.err.contains(QStringLiteral("--pixels-per-mm needs a number above 0")))
        << negative.err.toStdString();
    EXPECT_EQ(RunCli({ "detect", dir.Path("missing.png") }).exitCode, 1);
    // A calibration at which no hair shows its width is refused at once, not
    // searched for minutes.
    for (const char* unusable : { "20000", "5" }) {
        const CliRun refused = RunCli({ "detect", picture, "--pixels-per-mm", unusable });
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.err.contains(QStringLiteral("30 to 2500 pixels per mm"))) << refused.err.toStdString();
    }
    // Uncalibrated, sizes are in pixels and the calibration is null.
    const CliRun pixels = RunCli({ "detect", picture });
    ASSERT_EQ(pixels.exitCode, 0);
    EXPECT_TRUE(pixels.Json()["pixelsPerMm"].isNull());
}
