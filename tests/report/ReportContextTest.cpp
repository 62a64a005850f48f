#include "report/ReportContext.h"

#include "canvas/TMyImage.h"
#include "report/ReportMessages.h"
#include "report/ReportPageOutput.h"
#include "report/ReportTemplate.h"
#include "tests/canvas/GuiEnvironment.h"
#include "tests/report/ReportFixtures.h"

#include <QFile>
#include <QPdfWriter>

#include <cstdlib>

#include <gtest/gtest.h>

using ReportFixtures::LinesAt;
using ReportFixtures::WriteResultData;
using TestSupport::TempDir;

namespace {

// Records what the windows would have shown.
struct RecordingPresenter : ReportPresenter
{
    QStringList previewName;
    QSize imageSize;
    int designs = 0;
    void ShowPreview(ReportContext&, TMyCAD& page) override { previewName = LinesAt(page, 0); }
    void ShowImage(ReportContext&, const QImage& page) override { imageSize = page.size(); }
    void ShowDesigner(ReportContext&) override { ++designs; }
};

// A report with a bound text and, optionally, a black box on a hidden layer.
void FillDesign(ReportContext& context, bool hiddenBox = false)
{
    TMyCAD& cad = context.MyCADPrint();
    ReportDesign::AddText(
        cad, QRectF(40, 40, 400, 30), { QStringLiteral("Patient: %s") }, {}, { QStringLiteral("Name") });
    if (hiddenBox) {
        ReportDesign::AddRectangle(cad, QRectF(100, 500, 200, 200), 0x000000, 0x000000);
        cad.HideLayer(cad.CurrentLayer());
    }
}

} // namespace

TEST(ReportContext, NewContext_EmptyA4PortraitInMillimetres)
{
    ReportContext context;
    EXPECT_EQ(context.MyCADPrint().ShapeCount(), 0);
    EXPECT_EQ(context.MyCADPrint().PageWidth(), 210);
    EXPECT_EQ(context.MyCADPrint().PageHeight(), 297);
    EXPECT_EQ(context.MyCADPrint().TheUNIT(), mm);
}

TEST(ReportContext, ImageRun_A4At96PixelsPerInchAndTheDesignUntouched)
{
    TempDir dir;
    ReportContext context;
    FillDesign(context, true);
    context.LoadResultData(WriteResultData(dir, { { "Name", "Ada" } }));
    const QByteArray before = ReportTemplate::CanvasBytes(context.MyCADPrint());

    ASSERT_TRUE(context.RunReport(roImage));
    EXPECT_EQ(context.ImagePage().size(), QSize(794, 1123));
    // The box lies on a hidden layer and still prints.
    EXPECT_EQ(QColor(context.ImagePage().pixel(200, 600)), QColor(Qt::black));
    EXPECT_EQ(ReportTemplate::CanvasBytes(context.MyCADPrint()), before);
    EXPECT_EQ(LinesAt(context.MyCADPrint(), 0), QStringList { "Patient: %s" });
    EXPECT_FALSE(context.MyCADPrint().IsLayerVisible(context.MyCADPrint().CurrentLayer()));
}

TEST(ReportContext, Preview_WorkingCopyGoesToThePresenterOrBecomesAPage)
{
    TempDir dir;
    ReportContext context;
    FillDesign(context);
    context.LoadResultData(WriteResultData(dir, { { "Name", "Ada" } }));
    EXPECT_EQ(context.VariableRows().size(), 1u);

    ASSERT_TRUE(context.RunReport(roPreview)); // headless: the rendered page
    EXPECT_EQ(context.PreviewPage().size(), QSize(794, 1123));

    auto presenter = std::make_unique<RecordingPresenter>();
    RecordingPresenter* recorded = presenter.get();
    context.SetPresenter(std::move(presenter));
    ASSERT_TRUE(context.RunReport(roPreview));
    EXPECT_EQ(recorded->previewName, QStringList { "Patient: Ada" });
    ASSERT_TRUE(context.RunReport(roImage));
    EXPECT_EQ(recorded->imageSize, QSize(794, 1123));

    // The data file is read again at every output: without it the designed text shows.
    QFile::remove(context.ResultFileName());
    ASSERT_TRUE(context.RunReport(roPreview));
    EXPECT_EQ(recorded->previewName, QStringList { "Patient: %s" });
}

TEST(ReportContext, UnreadablePicture_NothingIsOutput)
{
    TempDir dir;
    ReportContext context;
    ReportDesign::AddImage(context.MyCADPrint(), QRectF(40, 40, 200, 150), QStringLiteral("ImageOriginal"));
    const QString broken = dir.Write("broken.bmp", "BM damaged");
    context.LoadResultData(WriteResultData(dir, { { "ImageOriginal", broken } }));
    auto presenter = std::make_unique<RecordingPresenter>();
    RecordingPresenter* recorded = presenter.get();
    context.SetPresenter(std::move(presenter));
    TestSupport::MessageCapture messages;
    EXPECT_FALSE(context.RunReport(roImage));
    EXPECT_FALSE(context.RunReport(roPreview));
    EXPECT_TRUE(context.ImagePage().isNull());
    EXPECT_TRUE(recorded->previewName.isEmpty());
    EXPECT_EQ(messages.Messages().size(), 2);
    EXPECT_EQ(messages.Messages().value(0), ReportMessages::kImageError + broken);
}

TEST(ReportContext, UnknownMode_ReportedAsPrintError)
{
    ReportContext context;
    TestSupport::MessageCapture messages;
    EXPECT_FALSE(context.RunReport(static_cast<ReportOutput>(7)));
    EXPECT_EQ(messages.Messages(), QStringList { ReportMessages::kPrintError });
}

TEST(ReportContext, PrintRun_OnAPdfPrinter_WritesThePage)
{
    TempDir dir;
    ReportContext context;
    FillDesign(context);
    context.LoadResultData(WriteResultData(dir, { { "Name", "Ada Lovelace" } }));
    context.SetPrinter(std::make_unique<QPdfWriter>(dir.Path("printed.pdf")));
    ASSERT_TRUE(context.RunReport(roPrint));
    const QString text = ReportFixtures::PdfText(dir.Path("printed.pdf"));
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not available";
    EXPECT_TRUE(text.contains("Patient: Ada Lovelace")) << qPrintable(text);
}

TEST(ReportContext, ExportOfTheShippedTemplate_PdfTextHoldsPatientAndValues)
{
    TempDir dir;
    const QString original = ReportFixtures::WritePicture(dir, "imgo.bmp", QSize(1200, 900), QColor(200, 150, 120));
    const QString marked = ReportFixtures::WritePicture(dir, "imga.bmp", QSize(1200, 900), QColor(40, 90, 160));
    ReportContext context;
    ASSERT_TRUE(context.LoadReportTemplate(PELORIX_TEMPLATE)) << qPrintable(context.StatusText());
    context.LoadResultData(ReportFixtures::WritePrintTable(dir, original, marked));

    QString error;
    ASSERT_TRUE(context.ExportReport(dir.Path("report.pdf"), &error)) << qPrintable(error);
    const QString text = ReportFixtures::PdfText(dir.Path("report.pdf"));
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not available";
    for (const char* expected : { "Musterfrau, Erika", "12.08.1964", "187.23", "1/cm²", "Fol. Unit Density", "84.70",
             "2583.00", "pelorix 0.1.0", "Printed 09.12.2026 10:15:00" })
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << qPrintable(text);
    EXPECT_FALSE(text.contains("(null)")) << qPrintable(text);

    ASSERT_TRUE(context.ExportReport(dir.Path("report.png"), &error)) << qPrintable(error);
    const QImage png(dir.Path("report.png"));
    EXPECT_EQ(png.size(), QSize(2480, 3508));
    EXPECT_EQ(png.dotsPerMeterX(), 11811);
    // The original picture fills its box (the box's proportions match the picture's).
    const TMyShape* box = context.MyCADPrint().ShapeByIndex(0);
    ASSERT_NE(box, nullptr);
}

TEST(ReportContext, ExportToOtherFormatsOrUnwritablePlaces_FailsWithReason)
{
    TempDir dir;
    ReportContext context;
    QString error;
    EXPECT_FALSE(context.ExportReport(dir.Path("report.jpg"), &error));
    EXPECT_TRUE(error.contains(".pdf or .png")) << qPrintable(error);
    EXPECT_FALSE(context.ExportReport(dir.Path("missing/report.png"), &error));
    EXPECT_FALSE(context.ExportReport(dir.Path("missing/report.pdf"), &error));
    EXPECT_FALSE(error.isEmpty());
    dir.Write("kept.png", "previous");
    EXPECT_FALSE(context.ExportReport(dir.Path("kept.png"), &error, 5000));
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("kept.png")), QByteArray("previous"));
}

TEST(ReportPageOutput, PrintLayers_ZoomFollowsThePrinterResolution)
{
    TempDir dir;
    TMyCAD cad;
    // A 96-unit wide black bar prints one inch wide at any resolution.
    ReportDesign::AddRectangle(cad, QRectF(96, 96, 96, 20), 0x000000, 0x000000);
    cad.SetPrintABorder(false);
    QPdfWriter printer(dir.Path("bar.pdf"));
    printer.setResolution(600);
    const double before = cad.Zoom();
    ASSERT_TRUE(ReportPageOutput::PrintLayers(cad, printer, {}, 1.0));
    EXPECT_EQ(cad.Zoom(), before);
    EXPECT_GT(QFileInfo(dir.Path("bar.pdf")).size(), 0);
    const QImage page = ReportPageOutput::RenderLayers(cad, {}, 600.0 / 96.0);
    ASSERT_EQ(page.size(), QSize(4961, 7016));
    EXPECT_EQ(QColor(page.pixel(600 + 590, 600 + 50)), QColor(Qt::black));
    EXPECT_EQ(QColor(page.pixel(600 + 610, 600 + 50)), QColor(Qt::white));
    EXPECT_TRUE(ReportPageOutput::RenderLayers(cad, {}, 1000.0).isNull());
}

TEST(ReportPageOutput, PrintLayers_PrinterMarginsDoNotMoveThePage)
{
    // A printer with wide margins prints the page where the preview and the PDF
    // show it: a box near the bottom stays where it was designed.
    TempDir dir;
    TMyCAD cad;
    ReportDesign::AddRectangle(cad, QRectF(600, 1060, 100, 40), 0x000000, 0x000000);
    cad.SetPrintABorder(false);
    QPdfWriter printer(dir.Path("margins.pdf"));
    printer.setResolution(96);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(25, 25, 25, 25), QPageLayout::Millimeter);
    ASSERT_TRUE(ReportPageOutput::PrintLayers(cad, printer, {}, 1.0));
    const QString ppm = dir.Path("margins");
    if (std::system(("pdftoppm -r 96 -png -singlefile '" + QFile::encodeName(dir.Path("margins.pdf")) + "' '"
            + QFile::encodeName(ppm) + "'")
                        .constData())
        != 0)
        GTEST_SKIP() << "pdftoppm is not available";
    const QImage printed(ppm + ".png");
    ASSERT_FALSE(printed.isNull());
    EXPECT_EQ(qGray(printed.pixel(650, 1080)), 0);
    EXPECT_GT(qGray(printed.pixel(650, 1050)), 200);
    EXPECT_GT(qGray(printed.pixel(590, 1080)), 200);
}

TEST(ReportContext, PrintRunWithoutAnyPrinter_ReportedAsPrintError)
{
    // The engine alone has no system printers: they come with the library's printing part.
    ReportContext context;
    FillDesign(context);
    EXPECT_EQ(context.Printer(), nullptr);
    TestSupport::MessageCapture messages;
    EXPECT_FALSE(context.RunReport(roPrint));
    EXPECT_EQ(messages.Messages(), QStringList { ReportMessages::kPrintError });
}
