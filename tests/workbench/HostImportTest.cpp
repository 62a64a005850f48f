#include "tests/workbench/FilesFixture.h"

#include "common/Cp1252.h"
#include "workbench/HairMetrics.h"
#include "workbench/HostImport.h"
#include "workbench/StartUp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <functional>

namespace {

struct HostRecord
{
    int pp100mm = 15230;
    int radius = 150;
    int x0 = 200;
    int y0 = 160;
    QString measurement; // the "MeasureResultsFile" value, if any

    static HostRecord Pp100MM(int value)
    {
        HostRecord record;
        record.pp100mm = value;
        return record;
    }
    static HostRecord Circle(int x0, int y0, int radius)
    {
        HostRecord record;
        record.x0 = x0;
        record.y0 = y0;
        record.radius = radius;
        return record;
    }
    static HostRecord Measurement(const QString& path)
    {
        HostRecord record;
        record.measurement = path;
        return record;
    }
};

class HostImportTest : public FilesTest
{
protected:
    QString picture;

    // A sectioned exchange file beside a 400 x 320 picture copy (the import deletes it).
    QString Exchange(const HostRecord& record, const QString& name = QStringLiteral("exchange.ini"))
    {
        picture = PictureFile(QStringLiteral("NVTempImageDB_0815.png"), 400, 320);
        QStringList lines { "[General]", "Count=1", "[Image0]", "Image=NVTempImageDB_0815.png", "Date=14.03.2024",
            "Time=10:42:17", QStringLiteral("Pp100MM=%1").arg(record.pp100mm),
            QStringLiteral("ExclusionCircleRadiusInPixel=%1").arg(record.radius),
            QStringLiteral("ExclusionCircleX0InPixel=%1").arg(record.x0),
            QStringLiteral("ExclusionCircleY0InPixel=%1").arg(record.y0), "[Subject0]", "Name=Müller",
            "Firstname=Jürgen", "Birthdate=07.11.1968" };
        if (!record.measurement.isEmpty())
            lines << "[Additional]"
                  << "Add0Name=MeasureResultsFile"
                  << "Add0Value=" + record.measurement;
        return dir.Write(name, Cp1252::Encode(lines.join("\r\n") + "\r\n"));
    }

    HostImportResult Import(const HostRecord& record)
    {
        return HostImport(wb, dir.Root()).ImportHostFile(Exchange(record));
    }
};

} // namespace

TEST_F(HostImportTest, Pp100MM15230_152PixelsPerMmWithA152PixelBar_PatientRowsAndCircle)
{
    const HostImportResult result = Import({});
    ASSERT_EQ(result.status, HostImportResult::Imported) << result.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(picture)); // the host's copy is consumed
    EXPECT_EQ(St().ui.statusImageName, "DB: 0815.png");
    EXPECT_EQ(St().UnitText, "mm");
    EXPECT_EQ(St().AreaUnitText, "mm²");
    EXPECT_EQ(St().RulerUnit, RulerMillimetres);
    EXPECT_DOUBLE_EQ(St().Scale, 1.0 / 152);
    EXPECT_EQ(wb.Scale().Dialog().PixelLengthText(), "152.00");
    const TMyShape* bar = Cad().ShapeById(St().ScaleBarId);
    ASSERT_NE(bar, nullptr);
    EXPECT_DOUBLE_EQ(HairMetrics::BoxDiagonal(*bar), 152.0);
    EXPECT_EQ(bar->UserData().GetValue("Type"), "M");
    EXPECT_EQ(Row(RowName).text, "Müller, Jürgen");
    EXPECT_EQ(Row(RowBirthdate).text, "07.11.1968");
    EXPECT_EQ(Row(RowDate).text, "14.03.2024 10:42:17");
    EXPECT_GE(St().BorderId, 0);
    EXPECT_EQ(St().EvaluatedArea, HairMetrics::CountDiscPoints(200, 160, 150, 400, 320));
    EXPECT_NE(wb.HostExchange(), nullptr);
    EXPECT_EQ(HostImport::PixelsPerMillimetre(15299), 152);
}

TEST_F(HostImportTest, Pp100MMBelow100_UncalibratedWithZeroLengthBar)
{
    ASSERT_EQ(Import(HostRecord::Pp100MM(99)).status, HostImportResult::Imported);
    EXPECT_EQ(St().UnitText, "Pixel");
    EXPECT_DOUBLE_EQ(St().Scale, 1.0);
    EXPECT_EQ(wb.Scale().Dialog().SelectedUnitText(), "Pixel");
    const TMyShape* bar = Cad().ShapeById(St().ScaleBarId);
    ASSERT_NE(bar, nullptr);
    EXPECT_DOUBLE_EQ(HairMetrics::BoxDiagonal(*bar), 0.0);
}

TEST_F(HostImportTest, CircleValueZero_NoCircle)
{
    for (const HostRecord& record :
        { HostRecord::Circle(200, 160, 0), HostRecord::Circle(0, 160, 150), HostRecord::Circle(200, -5, 150) }) {
        ScriptedPrompt freshPrompt;
        Workbench fresh(freshPrompt);
        ASSERT_EQ(HostImport(fresh, dir.Root()).ImportHostFile(Exchange(record)).status, HostImportResult::Imported);
        EXPECT_EQ(fresh.State().BorderId, -1);
        EXPECT_EQ(fresh.State().EvaluatedArea, 0);
        EXPECT_EQ(fresh.Canvas().LayerIdByName("BorderLayer"), -1);
    }
}

TEST_F(HostImportTest, UnreadableExchangeFile_MessageAndCloseRequest)
{
    const HostImportResult missing = HostImport(wb, dir.Root()).ImportHostFile(dir.Path("none.ini"));
    EXPECT_EQ(missing.status, HostImportResult::ReadFailed);
    EXPECT_TRUE(missing.error.contains("none.ini"));
    EXPECT_EQ(prompt.messages, QStringList { "Error reading image ini file!" });

    StartUpOptions options { dir.Root(), dir.Write("empty.ini", "[General]\r\nCount=0\r\n") };
    const StartUpResult start = StartUp::Run(wb, options);
    EXPECT_TRUE(start.closeRequested);
}

TEST_F(HostImportTest, PictureMissing_ReportedButPatientAndCalibrationTaken)
{
    const QString exchange = Exchange({});
    QFile::remove(picture);
    const HostImportResult result = HostImport(wb, dir.Root()).ImportHostFile(exchange);
    EXPECT_EQ(result.status, HostImportResult::PictureFailed);
    EXPECT_TRUE(result.error.startsWith(picture + ": ")) << result.error.toStdString();
    EXPECT_TRUE(prompt.messages.value(0).startsWith("Error #2088: "));
    EXPECT_EQ(Row(RowName).text, "Müller, Jürgen");
    EXPECT_EQ(St().UnitText, "mm");
}

TEST_F(HostImportTest, MeasureResultsFile_LoadedAfterTheDiscardQuestion)
{
    // A measurement from an earlier session, saved without picture.
    ASSERT_EQ(Import({}).status, HostImportResult::Imported);
    Hair(150, 150, 250, 150, 500);
    Hair(150, 170, 250, 190, 900);
    ASSERT_TRUE(files.SaveMeasurement(dir.Path("earlier.nvm"), false));
    const QJsonObject before = Json(wb);

    // Refused: the current hairs stay and the file is not loaded.
    prompt.okCancel.push_back(false);
    HostImportResult result
        = HostImport(wb, dir.Root()).ImportHostFile(Exchange(HostRecord::Measurement("earlier.nvm")));
    EXPECT_FALSE(result.measurementLoaded);
    EXPECT_EQ(prompt.questions.last(), "Messung laden");
    EXPECT_EQ(wb.Tree().Count(), 2);

    ScriptedPrompt freshPrompt;
    Workbench fresh(freshPrompt);
    result = HostImport(fresh, dir.Root()).ImportHostFile(Exchange(HostRecord::Measurement(dir.Path("earlier.nvm"))));
    EXPECT_TRUE(result.measurementLoaded);
    EXPECT_TRUE(freshPrompt.questions.isEmpty());
    EXPECT_EQ(Json(fresh), before);

    // A named file that does not exist is passed over.
    ScriptedPrompt thirdPrompt;
    Workbench third(thirdPrompt);
    result = HostImport(third, dir.Root()).ImportHostFile(Exchange(HostRecord::Measurement("gone.nvm")));
    EXPECT_EQ(result.status, HostImportResult::Imported);
    EXPECT_FALSE(result.measurementLoaded);
}

TEST_F(HostImportTest, RoundTrip_ImportHairsSaveLoadIntoFreshWorkbench_IdenticalResults)
{
    ASSERT_EQ(Import({}).status, HostImportResult::Imported);
    Hair(150, 150, 250, 150, 500);
    Curve({ QPointF(160, 100), QPointF(180, 80), QPointF(220, 80), QPointF(240, 110) }, 350);
    Ellipse(190, 190, 12, 9);
    wb.ToolButtonClicked(ToolButton::QuickHairCount);
    wb.CanvasMouseUp(210, 220, false);
    ASSERT_TRUE(files.SaveMeasurement(dir.Path("round.nvm"), true));

    ScriptedPrompt freshPrompt;
    Workbench fresh(freshPrompt);
    ASSERT_TRUE(MeasurementFile(fresh).LoadMeasurement(dir.Path("round.nvm")));
    // The patient rows come from the host, not from the measurement file.
    QJsonObject expected = Json(wb);
    QJsonObject loaded = Json(fresh);
    QJsonArray expectedRows = expected["rows"].toArray();
    const QJsonArray loadedRows = loaded["rows"].toArray();
    for (int row : { int(RowName), int(RowBirthdate), int(RowDate) })
        expectedRows[row] = loadedRows[row];
    expected["rows"] = expectedRows;
    EXPECT_EQ(loaded, expected);
    EXPECT_EQ(loaded["objects"].toArray().size(), 4);
}

TEST_F(HostImportTest, StartUp_LanguageHelpManualAndFitZoom)
{
    StartUpResult result = StartUp::Run(wb, { dir.Root(), QString() });
    EXPECT_FALSE(result.manualAvailable);
    EXPECT_FALSE(result.hostImport);
    ASSERT_EQ(prompt.messages.size(), 2);
    EXPECT_EQ(prompt.messages[0], "Sprachdatei fehlt.\nNo language file.\n\n[PelorixLang.ini]");
    EXPECT_EQ(prompt.messages[1], "Help file not found\n" + QDir(dir.Root()).filePath("Pelorix.chm"));
    EXPECT_EQ(St().UnitText, "Pixel");
    EXPECT_EQ(St().ScaleBarId, -1);

    dir.Write("Handbuch.pdf", "%PDF");
    dir.Write("Pelorix.chm", "x");
    dir.Write("PelorixLang.ini", Cp1252::Encode("[FormLang]\r\nFormLang.LabelCount.Caption=Anzahl Haare\r\n"));
    prompt.messages.clear();
    ScriptedPrompt freshPrompt;
    Workbench fresh(freshPrompt);
    result = StartUp::Run(fresh, { dir.Root(), Exchange({}) });
    EXPECT_TRUE(freshPrompt.messages.isEmpty()) << freshPrompt.messages.join('|').toStdString();
    EXPECT_TRUE(result.manualAvailable);
    ASSERT_TRUE(result.hostImport);
    EXPECT_EQ(fresh.State().ImageWidth, 400);

    // 400 x 320 into 1000 x 700 less rulers and scroll bars: min(640/320, 930/400) = 2.
    const auto position = StartUp::FitZoomToWindow(fresh, { 1000, 700, 20, 20, 25, 25, 20, 20 });
    ASSERT_TRUE(position);
    EXPECT_EQ(*position, 30); // trunc(100 log10 2)
    EXPECT_NEAR(fresh.State().Zoom, std::pow(10.0, 0.3), 1e-12);
    EXPECT_FALSE(StartUp::FitZoomToWindow(fresh, { 40, 40, 20, 20, 25, 25, 20, 20 }));
    EXPECT_FALSE(StartUp::FitZoomToWindow(wb, { 1000, 700, 0, 0, 0, 0, 0, 0 }));
}

TEST_F(HostImportTest, DroppedExchangeFile_AsksFirst_ClearsTheMarksAndKeepsTheArchivedPicture)
{
    ASSERT_EQ(Import({}).status, HostImportResult::Imported);
    Hair(150, 150, 250, 150, 500);
    Hair(150, 170, 250, 190, 900);
    const QString archived = Exchange(HostRecord::Pp100MM(30400), QStringLiteral("archived.ini"));

    // Kept: nothing changes, the picture stays.
    prompt.okCancel.push_back(false);
    HostImportResult result = HostImport(wb, dir.Root()).OpenExchangeFile(archived);
    EXPECT_EQ(result.status, HostImportResult::Declined);
    EXPECT_EQ(wb.Tree().Count(), 2);
    EXPECT_DOUBLE_EQ(St().Scale, 1.0 / 152);
    EXPECT_TRUE(QFileInfo::exists(picture));

    // Opened: the case's own calibration, no hairs of the previous patient, picture kept.
    prompt.okCancel.push_back(true);
    result = HostImport(wb, dir.Root()).OpenExchangeFile(archived);
    EXPECT_EQ(result.status, HostImportResult::Imported) << result.error.toStdString();
    EXPECT_EQ(wb.Tree().Count(), 0);
    EXPECT_EQ(Row(RowCount).text, "0");
    EXPECT_DOUBLE_EQ(St().Scale, 1.0 / 304);
    EXPECT_TRUE(QFileInfo::exists(picture));
    EXPECT_FALSE(wb.UndoCommand());
}

// The figures of the results (what the grid and the tree show as values).
QStringList Texts(const QJsonObject& results)
{
    QStringList texts;
    for (const QJsonValue& row : results["rows"].toArray())
        texts << row.toObject()["text"].toString();
    texts << QString::fromUtf8(QJsonDocument(results["objects"].toArray()).toJson(QJsonDocument::Compact));
    return texts;
}

TEST_F(HostImportTest, UndoRedo_OnlyTheOperatorsEdits_TenUndosAndRedosGiveTheSameFileByteForByte)
{
    ASSERT_EQ(Import({}).status, HostImportResult::Imported);
    EXPECT_FALSE(wb.UndoCommand()); // the scale bar and circle are the host's
    const QJsonObject imported = Json(wb);
    const int bar = St().ScaleBarId;
    const int border = St().BorderId;
    int firstHair = -1;
    const std::vector<std::function<void()>> edits = {
        [&] { firstHair = Hair(150, 150, 250, 150, 500); },
        [&] { Hair(150, 170, 250, 190, 900); },
        [&] {
            Curve({ QPointF(160, 100), QPointF(180, 80), QPointF(220, 80), QPointF(240, 110) }, 350);
        },
        [&] { Ellipse(190, 190, 12, 9); },
        [&] {
            wb.ToolButtonClicked(ToolButton::QuickHairCount);
            wb.CanvasMouseUp(210, 220, false);
            wb.ToolButtonClicked(ToolButton::Select);
        },
        [&] { Cad().FlipShapeHorz(Cad().ShapeById(firstHair)); },
        [&] { Hair(100, 250, 180, 260, 120); },
        [&] { ASSERT_TRUE(Cad().DeleteShapeById(firstHair, true)); },
        [&] { ASSERT_TRUE(Cad().DeleteShapeById(bar, true)); },
        [&] {
            Cad().ShapeById(border)->SetLocked(false);
            ASSERT_TRUE(Cad().DeleteShapeById(border, true));
        },
    };
    for (size_t i = 0; i < edits.size(); ++i) {
        edits[i]();
        ASSERT_EQ(Cad().UndoList().StepCount(), int(i) + 1) << i;
    }
    ASSERT_TRUE(files.SaveMeasurement(dir.Path("edited.nvm"), false));
    const QByteArray edited = TestSupport::ReadAll(dir.Path("edited.nvm"));
    const QJsonObject editedJson = Json(wb);

    for (size_t i = 0; i < edits.size(); ++i)
        ASSERT_TRUE(wb.UndoCommand()) << i;
    EXPECT_FALSE(wb.UndoCommand());
    EXPECT_EQ(Texts(Json(wb)), Texts(imported));
    EXPECT_EQ(Cad().ShapeById(bar)->Pen().width, 5);
    EXPECT_EQ(Cad().ShapeById(border)->Pen().width, 3);
    for (size_t i = 0; i < edits.size(); ++i)
        ASSERT_TRUE(wb.RedoCommand()) << i;
    EXPECT_EQ(QJsonDocument(Json(wb)).toJson().toStdString(), QJsonDocument(editedJson).toJson().toStdString());
    ASSERT_TRUE(files.SaveMeasurement(dir.Path("redone.nvm"), false));
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("redone.nvm")), edited);

    // A loaded measurement and a new one start with nothing to undo either.
    ASSERT_TRUE(files.LoadMeasurement(dir.Path("edited.nvm")));
    EXPECT_FALSE(wb.UndoCommand());
    Hair(150, 150, 250, 150, 500);
    prompt.yesNo.push_back(true);
    files.NewMeasurement();
    EXPECT_FALSE(wb.UndoCommand());
}
