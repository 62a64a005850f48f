// The numbers a clinician signs off in the less common cases: a field over the
// picture edge, calibrations in other units or none, a cancelled calibration,
// decimal commas, exact halves, quick-count marks and patient data across files.
#include "tests/workbench/FilesFixture.h"

#include "common/Cp1252.h"
#include "common/TDataFrame.h"
#include "workbench/HairMetrics.h"
#include "workbench/PrintBridge.h"
#include "workbench/ResultsExport.h"
#include "workbench/ResultsExportCommand.h"

#include <QFile>

namespace {

class ClinicalNumbers : public FilesTest
{
};

// A workbench of its own with a 1000 x 1000 picture, calibrated so that 152
// pixels stand for `value` `unit`, carrying the same marks in image pixels
// whatever the unit: a thin (5 px) and a thick (7 px) straight hair of 152 px,
// a thin (3 px) curve and a follicular unit inside the field (500, 500, 400).
struct MarkedBench
{
    MarkedBench(const QString& value, const QString& unit)
    {
        wb.State().ImageWidth = 1000;
        wb.State().ImageHeight = 1000;
        wb.State().ImageLoaded = true;
        prompt.scaleDialogs.push_back(ScriptedPrompt::Answer("152", value, unit));
        wb.Scale().NumericScaleCommand();
        wb.SetupEvaluatedField(500, 500, 400);
        thin = Add(SpRuleLine, { QPointF(300, 300), QPointF(452, 300) }, 500);
        Add(SpRuleLine, { QPointF(300, 400), QPointF(452, 400) }, 700);
        Add(SpPolyBezier, { QPointF(300, 500), QPointF(350, 450), QPointF(400, 450), QPointF(452, 500) }, 300);
        wb.Canvas().AddShape(SpEllipse, QString(), 0.0f,
            { QPointF(600, 600), QPointF(640, 600), QPointF(640, 630), QPointF(600, 630) }, "Ellipse");
    }
    int Add(TDrawTool tool, const std::vector<QPointF>& points, int thickness)
    {
        wb.Canvas().ClearSelection();
        wb.SetThicknessSlider(thickness);
        return wb.Canvas().AddShape(tool, QString(), 0.0f, points, "Hair");
    }
    const TGridResult& Row(int row) const { return wb.ResultRows()[size_t(row)]; }
    QString Cell(int shapeId, int child, int column) const
    {
        const ResultTree::Entry& entry = wb.Tree().At(wb.Tree().FindTop(shapeId));
        return ResultTree::CellText(entry.children[size_t(child)], column);
    }

    ScriptedPrompt prompt;
    Workbench wb { prompt };
    int thin = -1;
};

struct UnitCase
{
    const char* value; // what 152 pixels stand for
    const char* unit;
    const char* length; // the 152-pixel hair as the tree shows it
    const char* cumUnit;
};

} // namespace

TEST_F(ClinicalNumbers, EvaluatedField_CircleOverTheEdge_CountsEveryPixelOnThePicture)
{
    Picture(1000, 1000);
    wb.SetupEvaluatedField(50, 60, 80);
    // The lattice points inside both the circle and the picture (once ~12,000,
    // cut at 2 x0 and 2 y0 as well).
    EXPECT_EQ(St().EvaluatedArea, HairMetrics::CountDiscPoints(50, 60, 80, 1000, 1000));
    EXPECT_EQ(St().EvaluatedArea, 16150);
}

TEST(ClinicalUnits, MillimetreMicrometreAndCentimetre_SameCountsDensitiesAndThicknesses)
{
    const UnitCase calibrations[]
        = { { "1", "mm", "1.00", "mm/cm²" }, { "1000", "µm", "1000.00", "µm/cm²" }, { "0,1", "cm", "0.10", "cm/cm²" } };
    // The field in square centimetres, 152 pixels to the millimetre.
    const double field = double(HairMetrics::CountDiscPoints(500, 500, 400, 1000, 1000)) * (0.1 / 152) * (0.1 / 152);
    for (const UnitCase& c : calibrations) {
        SCOPED_TRACE(c.unit);
        MarkedBench bench(QString::fromUtf8(c.value), QString::fromUtf8(c.unit));
        ASSERT_EQ(bench.wb.State().UnitText, QString::fromUtf8(c.unit));
        EXPECT_NEAR(bench.Row(RowArea).value, field, 1e-12);
        EXPECT_EQ(bench.Row(RowArea).unit, "cm²");
        EXPECT_EQ(bench.Row(RowCount).text, "3");
        EXPECT_NEAR(bench.Row(RowDensity).value, 3 / field, 1e-9);
        EXPECT_EQ(bench.Row(RowDensity).unit, "1/cm²");
        // Vellus: 5 px = 32.9 µm and 3 px = 19.7 µm; terminal: 7 px = 46.1 µm.
        EXPECT_EQ(bench.Row(RowVellusCount).text, "2");
        EXPECT_EQ(bench.Row(RowTerminalCount).text, "1");
        EXPECT_NEAR(bench.Row(RowVellusDensity).value, 2 / field, 1e-9);
        EXPECT_NEAR(bench.Row(RowTerminalDensity).value, 1 / field, 1e-9);
        EXPECT_EQ(bench.Row(RowFollicularUnits).text, "1");
        EXPECT_NEAR(bench.Row(RowFollicularUnitDensity).value, 1 / field, 1e-9);
        EXPECT_EQ(bench.Row(RowFollicularUnitDensity).text, "4.60");
        // Thicknesses in micrometres, lengths and cumulative values in the chosen unit.
        EXPECT_EQ(bench.Row(RowThicknessMean).text, "32.89");
        EXPECT_EQ(bench.Row(RowThicknessMean).unit, "µm");
        EXPECT_EQ(bench.Cell(bench.thin, 1, 1), "33");
        EXPECT_EQ(bench.Cell(bench.thin, 1, 2), "µm");
        EXPECT_EQ(bench.Cell(bench.thin, 0, 1), c.length);
        EXPECT_EQ(bench.Cell(bench.thin, 0, 2), QString::fromUtf8(c.unit));
        const double micrometres = c.unit == std::string("mm") ? 1000 : c.unit == std::string("cm") ? 10000 : 1;
        EXPECT_NEAR(bench.Row(RowThicknessCum).value, 15.0 / 152 * 1000 / micrometres / field, 1e-9);
        EXPECT_EQ(bench.Row(RowThicknessCum).unit, QString::fromUtf8(c.cumUnit));
        EXPECT_EQ(bench.Row(RowLengthCum).unit, QString::fromUtf8(c.cumUnit));
        EXPECT_GT(bench.Row(RowLengthCum).value, 2 * 1000 / micrometres / field);
    }
}

TEST_F(ClinicalNumbers, Uncalibrated_NoVellusSplit_RowsSaySo)
{
    Picture(1000, 1000);
    wb.SetupEvaluatedField(500, 500, 400);
    Hair(10, 10, 110, 10, 100);
    Curve({ QPointF(0, 50), QPointF(10, 50), QPointF(20, 50), QPointF(30, 50) }, 400); // once counted as vellus
    EXPECT_EQ(St().UnitText, "Pixel");
    EXPECT_EQ(St().VellusCount, 0);
    EXPECT_EQ(Row(RowCount).text, "2");
    for (int row : { RowVellusCount, RowVellusDensity, RowTerminalCount, RowTerminalDensity }) {
        EXPECT_EQ(Row(row).text, "-") << row;
        EXPECT_EQ(Row(row).unit, "nicht kalibriert") << row;
    }
    // Calibrating afterwards brings the split back and drops the remark.
    Calibrate("152", "1", "mm");
    EXPECT_EQ(Row(RowVellusCount).text, "2");
    EXPECT_EQ(Row(RowVellusCount).unit, "");
    EXPECT_EQ(Row(RowVellusDensity).unit, "1/cm²");
}

TEST_F(ClinicalNumbers, ScaleDialogCancelled_UnitScaleAndBarStayAsTheyWere)
{
    Picture(1000, 1000);
    // A cancelled numeric calibration on a fresh picture: no calibration, no bar.
    prompt.scaleDialogs.push_back(ScriptedPrompt::Answer("152", "1", "mm", false));
    wb.Scale().NumericScaleCommand();
    EXPECT_EQ(St().UnitText, "Pixel");
    EXPECT_EQ(St().ScaleBarId, -1);
    EXPECT_EQ(Cad().ShapeCount(), 0);

    Calibrate("152", "1", "mm");
    const int hair = Hair(100, 300, 252, 300);
    const int bar = St().ScaleBarId;
    prompt.yesNo.push_back(true); // replace the bar ...
    prompt.scaleDialogs.push_back(ScriptedPrompt::Answer("76", "1", "µm", false)); // ... then cancel
    wb.Scale().NumericScaleCommand();
    EXPECT_EQ(St().UnitText, "mm");
    EXPECT_DOUBLE_EQ(St().Scale, 1.0 / 152);
    EXPECT_EQ(Cell(hair, 0, 1), "1.00");
    EXPECT_EQ(Cell(hair, 0, 2), "mm");
    EXPECT_NE(bar, -1);
    // The dialog keeps what it showed: recalibrating from a bar still means millimetres.
    EXPECT_EQ(wb.Scale().Dialog().SelectedUnitText(), "mm");

    // A graphic calibration line whose dialog is cancelled goes again.
    wb.ToolButtonClicked(ToolButton::Measure);
    const int shapes = Cad().ShapeCount();
    prompt.scaleDialogs.push_back(ScriptedPrompt::Answer("", "5", "µm", false));
    Cad().AddShape(SpRuleLine, QString(), 0.0f, { QPointF(10, 10), QPointF(110, 10) }, "Measure");
    EXPECT_EQ(Cad().ShapeCount(), shapes);
    EXPECT_EQ(St().UnitText, "mm");
    EXPECT_DOUBLE_EQ(St().Scale, 1.0 / 152);
}

TEST_F(ClinicalNumbers, DecimalComma_GridTreeAndDialogUseIt_FilesReadEitherSeparator)
{
    wb.SetDecimalSeparator(QLatin1Char(','));
    LoadOperatorPicture(1000, 1000);
    Calibrate("304", "0.5", "mm"); // typed with a point under a comma locale
    EXPECT_DOUBLE_EQ(St().Scale, 0.5 / 304);
    Hair(100, 300, 404, 300);
    EXPECT_EQ(ResultTree::CellText(wb.Tree().At(0).children[0], 1, wb.DecimalSeparator()), "0,50");
    EXPECT_EQ(Row(RowLengthMean).text, "0,50");
    EXPECT_EQ(Row(RowThicknessMean).text, "8,22");

    // A bar written by a comma locale ("0,5") loads under a point locale.
    const QString path = dir.Path("comma.nvm");
    Cad().ShapeById(St().ScaleBarId)->UserData().SetValue("Scale", "0,5");
    ASSERT_TRUE(files.SaveMeasurement(path, true));
    ScriptedPrompt otherPrompt;
    Workbench other(otherPrompt);
    MeasurementFile otherFiles(other);
    ASSERT_TRUE(otherFiles.LoadMeasurement(path));
    EXPECT_TRUE(otherPrompt.messages.isEmpty()) << otherPrompt.messages.join('|').toStdString();
    EXPECT_EQ(other.State().UnitText, "mm");
    EXPECT_DOUBLE_EQ(other.State().Scale, 0.5 / 304);
    EXPECT_EQ(other.ResultRows()[RowLengthMean].text, "0.50");
}

TEST_F(ClinicalNumbers, ExactHalves_RoundAwayFromZero)
{
    Picture(1000, 1000);
    const int pixels = Hair(10, 10, 110, 10, 250); // 2.5 px thick
    EXPECT_EQ(Cell(pixels, 1, 1), "3");
    Calibrate("100", "1", "mm");
    const int hair = Hair(10, 30, 110, 30, 325); // 3.25 px = 32.5 µm
    EXPECT_EQ(Cell(hair, 1, 1), "33");
    EXPECT_EQ(Cell(pixels, 1, 1), "25");
}

TEST_F(ClinicalNumbers, QuickCountMark_HasNoLengthInTreeOrExports)
{
    LoadOperatorPicture(1000, 1000);
    Calibrate("152", "1", "mm");
    wb.ToolButtonClicked(ToolButton::QuickHairCount);
    wb.CanvasMouseUp(100, 100, false);
    ASSERT_EQ(wb.Tree().Count(), 1);
    const ResultTree::Entry& mark = wb.Tree().At(0);
    ASSERT_EQ(mark.children.size(), 1u);
    EXPECT_EQ(mark.children[0].parameter, "Dicke");
    const std::vector<ExportObject> objects = wb.Tree().ExportObjects();
    ASSERT_EQ(objects.size(), 1u);
    for (const auto& parameter : objects[0].parameters)
        EXPECT_NE(parameter.first, "Länge");

    ASSERT_TRUE(ResultsExportCommand::ExportTo(wb, dir.Path("q.txt"), '.'));
    EXPECT_TRUE(TestSupport::ReadAll(dir.Path("q.txt")).endsWith("Haar\t\t\t\t\t\t\t\t\t\r\n"));
    ASSERT_TRUE(ResultsExportCommand::ExportTo(wb, dir.Path("q.csv"), '.'));
    EXPECT_TRUE(TestSupport::ReadAll(dir.Path("q.csv")).endsWith("Haar,,,,,,,,,\r\n"));
}

TEST_F(ClinicalNumbers, PatientData_TravelsWithItsOwnFileOnly)
{
    LoadOperatorPicture(400, 300);
    Calibrate("152", "1", "mm");
    Hair(10, 10, 110, 10);
    const QString patientB = dir.Path("b.nvm");
    ASSERT_TRUE(files.SaveMeasurement(patientB, false)); // no patient data
    wb.ResultRows()[RowName].text = QStringLiteral("Dvořák, Łukasz");
    wb.ResultRows()[RowBirthdate].text = QStringLiteral("01.02.1960");
    const QString patientA = dir.Path("a.nvm");
    ASSERT_TRUE(files.SaveMeasurement(patientA, false));

    // Patient A is on screen (a host import); B's file comes without patient data.
    ASSERT_TRUE(files.LoadMeasurement(patientB));
    EXPECT_EQ(Row(RowName).text, "keine Patientendaten in der Messung");
    EXPECT_EQ(Row(RowBirthdate).text, "-");
    ASSERT_TRUE(files.SaveMeasurement(patientB, false));
    ScriptedPrompt otherPrompt;
    Workbench other(otherPrompt);
    other.Canvas().SetBkBitmap(Cad().BkBitmap());
    other.State().ImageLoaded = true;
    MeasurementFile otherFiles(other);
    ASSERT_TRUE(otherFiles.LoadMeasurement(patientB));
    EXPECT_FALSE(other.Canvas().UserData().Contains("PatientName"));

    // A's file names A again.
    ASSERT_TRUE(files.LoadMeasurement(patientA));
    EXPECT_EQ(Row(RowName).text, "Dvořák, Łukasz");
    EXPECT_EQ(Row(RowBirthdate).text, "01.02.1960");
}

TEST_F(ClinicalNumbers, Exports_AnyCaseExtensionsCsvAndClearRefusals)
{
    const std::vector<ExportObject> objects { { "Haar \"A\"; µm", 3, { { "Länge", 0.5 }, { "Dicke", 62.0 } } },
        { "Gesamt", -1, {} } };
    const LanguageTable texts = LanguageTable::Pelorix();
    const QByteArray csv = ResultsExport::CsvBytes(objects, texts, QLatin1Char(','));
    EXPECT_EQ(csv,
        "\xEF\xBB\xBF"
            + QStringLiteral("Objekt;Länge;Breite;Höhe;Fläche;Umfang;Radius;Halbachse 1;Halbachse 2;Winkel\r\n"
                             "\"Haar \"\"A\"\"; µm\";0,5;;;;;;;;\r\n")
                  .toUtf8());
    EXPECT_TRUE(ResultsExport::CsvBytes(objects, texts, QLatin1Char('.')).contains("\"Haar \"\"A\"\"; µm\",0.5,"));

    bool written = true;
    QString error;
    EXPECT_TRUE(ResultsExport::Export(objects, texts, dir.Path("r.CSV"), QLatin1Char(','), &error, &written));
    EXPECT_TRUE(written);
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("r.CSV")), csv);
    EXPECT_FALSE(ResultsExport::Export(objects, texts, dir.Path("r.pdf"), QLatin1Char(','), &error, &written));
    EXPECT_FALSE(written);
    EXPECT_FALSE(QFile::exists(dir.Path("r.pdf")));
    EXPECT_TRUE(error.contains(".xls, .txt oder .csv")) << error.toStdString();

    // The menu commands say so instead of writing nothing in silence.
    LoadOperatorPicture(40, 30);
    prompt.fileNames.push_back(dir.Path("r.pdf"));
    EXPECT_FALSE(ResultsExportCommand::Run(wb, QLatin1Char('.')));
    ASSERT_FALSE(prompt.messages.isEmpty());
    EXPECT_TRUE(prompt.messages.back().contains(".csv"));
    prompt.fileNames.push_back(dir.Path("x.BMP"));
    EXPECT_TRUE(files.SavePictureCommand());
    EXPECT_TRUE(TestSupport::ReadAll(dir.Path("x.BMP")).startsWith("BM"));
    prompt.fileNames.push_back(dir.Path("x.gif"));
    EXPECT_FALSE(files.SavePictureCommand());
    EXPECT_TRUE(prompt.messages.back().contains(".bmp, .jpg")) << prompt.messages.back().toStdString();
    EXPECT_FALSE(QFile::exists(dir.Path("x.gif")));
}

TEST_F(ClinicalNumbers, NonWesternNames_ExactInPrintTableAndTextExport)
{
    const QStringList names { QStringLiteral("Łukasz Wiśniewski"), QStringLiteral("Jiří Dvořák"),
        QStringLiteral("Şükrü Yılmaz, Ğ İ ı") };
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        TDataFrame table;
        table.AddColumn("Name");
        table.AddColumn("Value");
        const int row = table.AddRow();
        table.Cell(0, row)->SetText("Name");
        table.Cell(1, row)->SetText(name);
        const QString path = dir.Path("vars.dff");
        QFile::remove(path);
        ASSERT_TRUE(table.WriteIni(path));
        TDataFrame read;
        ASSERT_TRUE(read.ReadDataFram(path));
        EXPECT_EQ(read.Column(1)->Cell(0)->TextForm(QString()), name);

        const std::vector<ExportObject> objects { { name, 1, { { "Länge", 1.5 } } } };
        ASSERT_TRUE(ResultsExport::Export(objects, LanguageTable::Pelorix(), dir.Path("n.txt"), QLatin1Char(',')));
        const QByteArray bytes = TestSupport::ReadAll(dir.Path("n.txt"));
        ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
        EXPECT_TRUE(QString::fromUtf8(bytes).contains(name + QStringLiteral("\t1,5\t")));
    }
    // The spreadsheet cannot hold them: the operator is told so.
    LoadOperatorPicture(400, 300);
    const int hair = Hair(10, 10, 110, 10);
    Cad().ShapeById(hair)->UserData().Add("Caption", names[0]);
    wb.RecomputeAll();
    prompt.fileNames.push_back(dir.Path("n.xls"));
    ASSERT_TRUE(ResultsExportCommand::Run(wb, QLatin1Char('.')));
    ASSERT_FALSE(prompt.messages.isEmpty());
    EXPECT_TRUE(prompt.messages.back().contains(".csv und .txt")) << prompt.messages.back().toStdString();

    // Names the code page holds keep the Windows-1252 files of before.
    TDataFrame table;
    table.AddColumn("Value");
    table.Cell(0, table.AddRow())->SetText(QStringLiteral("Müller"));
    ASSERT_TRUE(table.WriteIni(dir.Path("old.dff")));
    EXPECT_TRUE(TestSupport::ReadAll(dir.Path("old.dff")).contains(Cp1252::Encode(QStringLiteral("Müller"))));
    EXPECT_FALSE(TestSupport::ReadAll(dir.Path("old.dff")).startsWith("\xEF\xBB\xBF"));
}
