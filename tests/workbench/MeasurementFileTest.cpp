#include "tests/workbench/FilesFixture.h"

#include "canvas/TMyRectangle.h"
#include "workbench/HairMetrics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// A calibrated measurement on a 400 x 300 picture: scale bar, circle (100, 100, 50),
// two straight hairs, a curve, a follicular unit and a label.
class MeasurementTest : public FilesTest
{
protected:
    void Measure()
    {
        LoadOperatorPicture(400, 300);
        Calibrate("152", "1", "mm");
        wb.SetupEvaluatedField(100, 100, 50);
        Hair(80, 90, 120, 95, 500);
        Hair(90, 110, 110, 130, 800);
        Curve({ QPointF(70, 70), QPointF(80, 60), QPointF(100, 60), QPointF(110, 75) }, 300);
        Ellipse(95, 95, 10, 8);
        // The patient travels with the file (a file without one says so when loaded).
        wb.ResultRows()[RowName].text = QStringLiteral("Musterfrau, Erika");
        prompt.labels.push_back(QStringLiteral("Wirbel"));
        wb.ToolButtonClicked(ToolButton::Label);
        auto point = std::make_unique<TMyLinkPoint>(&Cad());
        point->AddNode(QPointF(150, 150));
        TMyShape* added = Cad().AppendShape(std::move(point));
        Cad().OnShapeAdded(added, Cad().ShapeCount());
    }

    int CountType(const QString& type) const
    {
        int count = 0;
        for (int i = 0; i < wb.Canvas().ShapeCount(); ++i)
            count += wb.Canvas().ShapeByIndex(i)->UserData().GetValue("Type") == type;
        return count;
    }
};

} // namespace

TEST_F(MeasurementTest, LoadPicture_DatabaseCopy_ConsumedWithStatusTexts)
{
    // PNG contents under a .jpg name: the loader goes by the contents.
    const QString path = PictureFile("NVTempImageDB_4711.jpg", 40, 30);
    ASSERT_TRUE(files.LoadPicture(path));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(St().ui.statusImageName, "DB: 4711.jpg");
    EXPECT_EQ(St().ui.statusImageSize, "W: 40  H: 30");
    EXPECT_TRUE(St().ImageLoaded);
    EXPECT_EQ(Cad().BkBitmap().size(), QSize(40, 30));
    EXPECT_EQ(Cad().BkBitmapMode(), Stretch);
    EXPECT_EQ(Cad().Width(), 40);

    EXPECT_EQ(MeasurementFile::StatusImageName("/x/scalp.bmp"), "scalp.bmp");
    EXPECT_EQ(MeasurementFile::StatusImageName("/x/NVTempImageDB_" + QString(200, 'a')), "DB: " + QString(128, 'a'));
}

TEST_F(MeasurementTest, LoadPicture_Undecodable_Error2088WithMarkerKeepsFileAndPicture)
{
    LoadOperatorPicture(60, 50);
    const QString broken = dir.Write("NVTempImageDB_broken.jpg", "not a picture");
    EXPECT_FALSE(files.LoadPicture(broken));
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].startsWith("Error #2088: ")) << prompt.messages[0].toStdString();
    EXPECT_TRUE(prompt.messages[0].endsWith(" [" + broken + "]-1")) << prompt.messages[0].toStdString();
    EXPECT_TRUE(QFileInfo::exists(broken));
    EXPECT_EQ(Cad().BkBitmap().size(), QSize(60, 50));
    EXPECT_EQ(St().ui.statusImageName, "operator.png");

    EXPECT_FALSE(files.LoadPicture(dir.Path("missing.png")));
    EXPECT_TRUE(prompt.messages[1].endsWith("]-1"));
}

// The window decodes through a runner on its worker; cancelled there, nothing
// changes: no message, the previous picture and the host's file stay.
TEST_F(MeasurementTest, LoadPicture_CancelledInTheRunner_KeepsPictureAndFileSilently)
{
    LoadOperatorPicture(60, 50);
    const QString path = PictureFile("NVTempImageDB_4712.jpg", 40, 30);
    bool ran = false;
    const LongWorkRunner cancelled = [&](const LongWork& work) {
        ran = true;
        work([](int, int) { return false; });
        return false;
    };
    EXPECT_FALSE(files.LoadPicture(path, true, cancelled));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(Cad().BkBitmap().size(), QSize(60, 50));
    EXPECT_EQ(St().ui.statusImageName, "operator.png");

    const LongWorkRunner passing = [](const LongWork& work) { return work([](int, int) { return true; }); };
    EXPECT_TRUE(files.LoadPicture(path, true, passing));
    EXPECT_EQ(Cad().BkBitmap().size(), QSize(40, 30));
}

TEST_F(MeasurementTest, LoadPictureCommand_KeepsFileCalibrationAndCircle_ClearsHairs_RecountsField)
{
    Measure();
    const int bar = St().ScaleBarId;
    const QString next = PictureFile("next.png", 150, 120);
    prompt.fileNames.push_back(next);
    ASSERT_TRUE(files.LoadPictureCommand());
    EXPECT_EQ(prompt.fileRequests.last().filter, MeasurementFile::kPictureOpenFilter);
    EXPECT_TRUE(QFileInfo::exists(next));
    EXPECT_TRUE(wb.Tree().Empty());
    EXPECT_EQ(St().ScaleBarId, bar);
    EXPECT_DOUBLE_EQ(St().Scale, 1.0 / 152);
    EXPECT_EQ(CountType("T"), 2); // label and border
    // The field is counted on the new picture, which cuts the circle at y = 120.
    EXPECT_EQ(St().EvaluatedArea, HairMetrics::CountDiscPoints(100, 100, 50, 150, 120));

    // Cancelled dialog and a failed load change nothing.
    EXPECT_FALSE(files.LoadPictureCommand());
    Hair(10, 10, 30, 30);
    prompt.fileNames.push_back(dir.Write("bad.png", "x"));
    EXPECT_FALSE(files.LoadPictureCommand());
    EXPECT_EQ(wb.Tree().Count(), 1);
}

TEST_F(MeasurementTest, NewMeasurement_KeepsLabelsBarAndBorder_RefusableAndNotUndoable)
{
    Measure();
    prompt.yesNo.push_back(false);
    files.NewMeasurement();
    EXPECT_EQ(wb.Tree().Count(), 4);
    EXPECT_EQ(prompt.questions.last(), "Neue Messung");

    const int before = Cad().ShapeCount();
    files.NewMeasurement();
    EXPECT_TRUE(wb.Tree().Empty());
    EXPECT_EQ(Cad().ShapeCount(), before - 4);
    EXPECT_EQ(CountType("M"), 1);
    EXPECT_EQ(CountType("T"), 2);
    EXPECT_EQ(Row(RowCount).text, "0");
    EXPECT_EQ(Cad().UndoList().StepCount(), 0); // a new measurement starts without history
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(MeasurementTest, ConfirmDiscard_AsksOnlyWithResults)
{
    LoadOperatorPicture(100, 100);
    EXPECT_TRUE(files.ConfirmDiscard());
    EXPECT_TRUE(prompt.questions.isEmpty());
    Hair(10, 10, 50, 50);
    prompt.okCancel.push_back(false);
    EXPECT_FALSE(files.ConfirmDiscard());
    EXPECT_EQ(prompt.questions.last(), "Messung laden");
    EXPECT_EQ(wb.Tree().Count(), 1);
    EXPECT_TRUE(files.ConfirmDiscard());
    EXPECT_TRUE(wb.Tree().Empty());
}

TEST_F(MeasurementTest, SaveWithPicture_LoadIntoFreshWorkbench_RestoresEverything)
{
    Measure();
    const QString path = dir.Path("full.nvm");
    prompt.fileNames.push_back(path);
    ASSERT_TRUE(files.SaveMeasurementCommand(true));
    EXPECT_EQ(prompt.fileRequests.last().filter, "Norvane Measure (*.nvm)|*.nvm");
    EXPECT_TRUE(prompt.fileRequests.last().save);

    ScriptedPrompt freshPrompt;
    Workbench fresh(freshPrompt);
    MeasurementFile freshFiles(fresh);
    ASSERT_TRUE(freshFiles.LoadMeasurement(path));
    EXPECT_TRUE(freshPrompt.messages.isEmpty()) << freshPrompt.messages.join('|').toStdString();
    EXPECT_EQ(Json(fresh), Json(wb));
    EXPECT_EQ(fresh.State().ui.statusImageName, "full.nvm");
    EXPECT_EQ(fresh.State().ui.statusImageSize, "W: 400  H: 300");
    EXPECT_EQ(fresh.State().UnitText, "mm");
    EXPECT_EQ(fresh.Scale().Dialog().SelectedUnitText(), "mm");
    EXPECT_GE(fresh.State().ScaleBarId, 0);
    EXPECT_GE(fresh.State().BorderId, 0);
    EXPECT_EQ(fresh.State().HairLayerId, fresh.Canvas().LayerIdByName("HairLayer"));
    EXPECT_EQ(fresh.State().BorderLayerId, fresh.Canvas().LayerIdByName("BorderLayer"));
    // Every entry is expanded; the last one is selected.
    for (const ResultTree::Entry& entry : fresh.Tree().Entries())
        EXPECT_TRUE(entry.expanded);
    EXPECT_EQ(fresh.Tree().FirstSelected(), fresh.Tree().Count() - 1);
}

TEST_F(MeasurementTest, LoadedBorder_RebuiltAroundItsCentreAndLocked)
{
    Measure();
    const QString path = dir.Path("border.nvm");
    ASSERT_TRUE(files.SaveMeasurement(path, true));

    ScriptedPrompt freshPrompt;
    Workbench fresh(freshPrompt);
    MeasurementFile freshFiles(fresh);
    ASSERT_TRUE(freshFiles.LoadMeasurement(path));
    const TMyShape* border = fresh.Canvas().ShapeById(fresh.State().BorderId);
    ASSERT_NE(border, nullptr);
    EXPECT_EQ(border->Name(), "Border");
    EXPECT_TRUE(border->Locked());
    EXPECT_EQ(border->LayerId(), fresh.State().BorderLayerId);
    const auto circle = MeasurementFile::CircleOfBorder(border);
    ASSERT_TRUE(circle);
    EXPECT_EQ(circle->x0, 100);
    EXPECT_EQ(circle->y0, 100);
    EXPECT_EQ(circle->r, 50);
    EXPECT_EQ(fresh.State().EvaluatedArea, HairMetrics::CountDiscPoints(100, 100, 50, 200, 200));
    int borders = 0;
    for (int i = 0; i < fresh.Canvas().ShapeCount(); ++i)
        borders += fresh.Canvas().ShapeByIndex(i)->Name() == "Border";
    EXPECT_EQ(borders, 1);
}

TEST_F(MeasurementTest, SaveWithoutPicture_LoadOverOtherPicture_KeepsPictureAndAddsShapes)
{
    Measure();
    const QString path = dir.Path("marks.nvm");
    ASSERT_TRUE(files.SaveMeasurement(path, false));
    // The picture is back on the canvas after the save.
    EXPECT_EQ(Cad().BkBitmap().size(), QSize(400, 300));
    ScriptedPrompt freshPrompt;
    Workbench fresh(freshPrompt);
    MeasurementFile freshFiles(fresh);
    ASSERT_TRUE(freshFiles.LoadPicture(PictureFile("other.png", 500, 250, Qt::blue), false));
    ASSERT_TRUE(freshFiles.LoadMeasurement(path));
    EXPECT_EQ(fresh.Canvas().BkBitmap().size(), QSize(500, 250));
    EXPECT_EQ(fresh.Canvas().BkBitmap().pixelColor(10, 10), QColor(Qt::blue));
    EXPECT_EQ(fresh.State().ui.statusImageName, "other.png");
    EXPECT_EQ(fresh.Tree().Count(), 4);
    EXPECT_EQ(fresh.Results().objects.size(), wb.Results().objects.size());
    EXPECT_EQ(Json(fresh)["objects"], Json(wb)["objects"]);
}

TEST_F(MeasurementTest, LoadDamagedIds_EveryHairCountedAndFoundByItsEntry)
{
    Measure();
    const QString path = dir.Path("marks.nvm");
    ASSERT_TRUE(files.SaveMeasurement(path, true));
    // A damaged file: one hair with a negative id, another with the id of a third.
    TMyCAD damaged;
    ASSERT_TRUE(damaged.LoadFromFile(path));
    std::vector<TMyShape*> hairs;
    for (int i = 0; i < damaged.ShapeCount(); ++i) {
        TMyShape* shape = damaged.ShapeByIndex(i);
        const QString type = shape->UserData().GetValue("Type");
        if (type != "M" && type != "T" && shape->Name() != "Border")
            hairs.push_back(shape);
    }
    ASSERT_GE(hairs.size(), 3u);
    hairs[0]->SetShapeId(-7);
    hairs[1]->SetShapeId(hairs[2]->ShapeId());
    ASSERT_TRUE(damaged.SaveToFile(path));

    ScriptedPrompt freshPrompt;
    Workbench fresh(freshPrompt);
    MeasurementFile freshFiles(fresh);
    ASSERT_TRUE(freshFiles.LoadMeasurement(path));
    EXPECT_EQ(fresh.Tree().Count(), wb.Tree().Count());
    for (const ResultTree::Entry& entry : fresh.Tree().Entries())
        EXPECT_NE(fresh.Canvas().ShapeById(entry.node.shapeId), nullptr);
    // The same counts, densities and means (the renumbered hairs' ids differ).
    EXPECT_EQ(Json(fresh)["rows"], Json(wb)["rows"]);
}

TEST_F(MeasurementTest, LoadWithoutAnyPicture_ImageRequired_ShapesStayWithoutEntries)
{
    Measure();
    const QString path = dir.Path("marks.nvm");
    ASSERT_TRUE(files.SaveMeasurement(path, false));
    ScriptedPrompt freshPrompt;
    Workbench fresh(freshPrompt);
    MeasurementFile freshFiles(fresh);
    EXPECT_FALSE(freshFiles.LoadMeasurement(path));
    EXPECT_EQ(freshPrompt.messages, QStringList { "Bitte erst Meßbild laden!" });
    EXPECT_EQ(fresh.Canvas().ShapeCount(), Cad().ShapeCount());
    EXPECT_TRUE(fresh.Tree().Empty());
}

TEST_F(MeasurementTest, LoadNonCanvasFile_InvalidFileType_NothingChanges)
{
    Measure();
    const QJsonObject before = Json(wb);
    const int shapes = Cad().ShapeCount();
    EXPECT_FALSE(files.LoadMeasurement(dir.Write("notes.nvm", "hello")));
    EXPECT_EQ(prompt.messages.last(), "Invalid file type");
    EXPECT_EQ(Cad().ShapeCount(), shapes);
    EXPECT_EQ(Json(wb), before);

    // The command asks first, then for the file.
    prompt.okCancel.push_back(false);
    EXPECT_FALSE(files.LoadMeasurementCommand());
    EXPECT_TRUE(prompt.fileRequests.isEmpty());
    EXPECT_EQ(Json(wb), before);
}

TEST_F(MeasurementTest, LoadFileWithoutBorder_OverOneWithBorder_KeepsAreaAndForgetsOldIds)
{
    // The file's shapes reuse the ids of the shapes on the canvas, the border's too.
    ScriptedPrompt otherPrompt;
    Workbench other(otherPrompt);
    MeasurementFile otherFiles(other);
    ASSERT_TRUE(otherFiles.LoadPicture(PictureFile("o.png", 400, 300), false));
    for (int i = 0; i < 8; ++i)
        other.Canvas().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(10, 10 + 5 * i), QPointF(60, 10 + 5 * i) }, "L");
    const QString path = dir.Path("noborder.nvm");
    ASSERT_TRUE(otherFiles.SaveMeasurement(path, false));

    Measure();
    const int64_t area = St().EvaluatedArea;
    ASSERT_TRUE(files.ConfirmDiscard());
    ASSERT_TRUE(files.LoadMeasurement(path));
    EXPECT_EQ(St().EvaluatedArea, area);
    EXPECT_EQ(St().BorderId, -1);
    EXPECT_EQ(wb.Tree().Count(), 8);
    // A new circle must not take a loaded hair with it.
    wb.SetupEvaluatedField(200, 150, 100);
    EXPECT_EQ(wb.Tree().Count(), 8);
    EXPECT_EQ(Row(RowCount).text, "8");
}

TEST_F(MeasurementTest, SavePicture_ExtensionInAnyCase)
{
    LoadOperatorPicture(64, 48);
    Hair(5, 5, 40, 40);
    prompt.fileNames.push_back(dir.Path("upper.BMP"));
    EXPECT_TRUE(files.SavePictureCommand());
    EXPECT_EQ(QImage(dir.Path("upper.BMP"), "BMP").size(), QSize(64, 48));
    EXPECT_EQ(prompt.fileRequests.last().defaultExtension, "bmp");

    prompt.fileNames.push_back(dir.Path("marked.bmp"));
    EXPECT_TRUE(files.SavePictureCommand());
    EXPECT_EQ(QImage(dir.Path("marked.bmp")).size(), QSize(64, 48));
    prompt.fileNames.push_back(dir.Path("marked.jpg"));
    EXPECT_TRUE(files.SavePictureCommand());
    EXPECT_EQ(QImage(dir.Path("marked.jpg")).size(), QSize(64, 48));
    prompt.fileNames.push_back(dir.Path("marked.dxf"));
    EXPECT_TRUE(files.SavePictureCommand());
    EXPECT_TRUE(TestSupport::ReadAll(dir.Path("marked.dxf")).contains("EOF"));
}

TEST_F(MeasurementTest, SaveMeasurement_Unwritable_Reported)
{
    LoadOperatorPicture(20, 20);
    // A folder in the way cannot be replaced, even by an administrator.
    ASSERT_TRUE(QDir(dir.Root()).mkdir("taken.nvm"));
    const QString path = dir.Path("taken.nvm");
    EXPECT_FALSE(files.SaveMeasurement(path, true));
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].startsWith(path + ": cannot be written")) << prompt.messages[0].toStdString();
    EXPECT_EQ(files.LastError(), prompt.messages[0]);
    EXPECT_EQ(Cad().BkBitmap().size(), QSize(20, 20));
}

// A file whose hair has a damaged thickness is evaluated once when loaded: the
// operator reads the message once, not again for taking over the scale bar.
TEST_F(MeasurementTest, LoadHairWithDamagedThickness_ReportedOnce)
{
    Measure();
    for (int i = 0; i < Cad().ShapeCount(); ++i)
        if (Cad().ShapeByIndex(i)->Kind() == ShapeKind::PolyBezier)
            Cad().ShapeByIndex(i)->UserData().SetValue("Thickness", "3x0");
    const QString path = dir.Path("damaged.nvm");
    ASSERT_TRUE(files.SaveMeasurement(path, true));

    ScriptedPrompt freshPrompt;
    Workbench fresh(freshPrompt);
    ASSERT_TRUE(MeasurementFile(fresh).LoadMeasurement(path));
    EXPECT_EQ(freshPrompt.messages, QStringList { HairMetrics::NotAnIntegerText("3x0") });
    EXPECT_GE(fresh.State().ScaleBarId, 0);
}
