// Prelvo's windows on a real report: the preview of the shipped template filled
// with a result data file, its zoom commands, printing to a PDF printer, the
// language file and the hidden access code; the image window; the zoom arithmetic.
#include "report/PreviewAccessCode.h"
#include "report/ReportContext.h"
#include "report/ReportZoom.h"
#include "report/ui/ReportPrinting.h"
#include "report/ui/ReportWindows.h"
#include "report/ui/TFormPrelvoLang.h"
#include "report/ui/TFormPrintImage.h"
#include "report/ui/TFormPrintPreview.h"
#include "tests/report/ReportFixtures.h"
#include "tests/support/AppEnvironment.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QLocale>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const bool kRegistered = (::testing::AddGlobalTestEnvironment(new AppEnvironment<QApplication>), true);

// Shows previews like the library's windows do and runs a script on each while it
// is open; counts the designer's showings.
class ScriptedPresenter : public ReportPresenter
{
public:
    std::function<void(TFormPrintPreview&)> script;
    int designerShown = 0;

    void ShowPreview(ReportContext& context, TMyCAD& page) override
    {
        TFormPrintPreview preview(context, page);
        preview.LanguageFilePath = languageFile;
        QTimer::singleShot(0, &preview, [&] {
            if (script)
                script(preview);
            preview.reject();
        });
        preview.exec();
    }
    void ShowImage(ReportContext&, const QImage&) override { }
    void ShowDesigner(ReportContext&) override { ++designerShown; }

    QString languageFile;
};

class PreviewWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        (void)kRegistered;
        ASSERT_TRUE(context.LoadReportTemplate(QStringLiteral(PELORIX_TEMPLATE)));
        context.LoadResultData(ReportFixtures::WriteResultData(
            dir, { { "Name", "Musterfrau, Erika" }, { "TotalCountCaption", "Count" }, { "TotalCountValue", "42" } }));
        auto owned = std::make_unique<ScriptedPresenter>();
        presenter = owned.get();
        presenter->languageFile = dir.Path("PrelvoLang.ini");
        context.SetPresenter(std::move(owned));
    }

    // Runs the preview with a script.
    void Preview(std::function<void(TFormPrintPreview&)> script)
    {
        presenter->script = std::move(script);
        ASSERT_TRUE(context.RunReport(roPreview));
    }

    static QString PdfText(const QString& pdf)
    {
        const QString text = pdf + ".txt";
        if (std::system(("pdftotext '" + QFile::encodeName(pdf) + "' '" + QFile::encodeName(text) + "'").constData())
            != 0)
            return QString();
        return QString::fromUtf8(TestSupport::ReadAll(text));
    }

    TestSupport::TempDir dir;
    ReportContext context;
    ScriptedPresenter* presenter = nullptr;
};

} // namespace

TEST(ReportZoomTest, LimitsFitsAndStatusTexts)
{
    EXPECT_DOUBLE_EQ(ReportZoom::ZoomIn(8.0), 10.0);
    EXPECT_DOUBLE_EQ(ReportZoom::ZoomIn(1.0), 1.5);
    EXPECT_DOUBLE_EQ(ReportZoom::ZoomOut(0.2), 0.15);
    EXPECT_DOUBLE_EQ(ReportZoom::ZoomOut(1.5), 1.0);
    EXPECT_EQ(ReportZoom::StatusText(1.5), "Zoom: 150%");
    EXPECT_EQ(ReportZoom::StatusText(1.0), "Zoom: 100%");
    EXPECT_EQ(ReportZoom::StatusText(0.15), "Zoom: 15%");
    EXPECT_DOUBLE_EQ(*ReportZoom::Fit(2.0, 500, 1000), 1.0);
    EXPECT_FALSE(ReportZoom::Fit(1.0, 500, 0));
    EXPECT_FALSE(ReportZoom::Fit(1.0, 0, 500));
}

TEST(ReportZoomTest, UpdatePrinterPage_NoPrinterKeepsThePage_PdfPrinterGivesItsPrintableArea)
{
    (void)kRegistered;
    TMyCAD cad;
    cad.SetTheUNIT(mm);
    cad.SetPageStyle(A4);
    const int width = cad.PageWidth();
    const int height = cad.PageHeight();
    QPrinter none(QPrinter::HighResolution);
    none.setOutputFormat(QPrinter::PdfFormat);
    EXPECT_EQ(ReportPrinting::UpdatePrinterPage(cad, none), QString());
    EXPECT_EQ(cad.PageWidth(), width);
    EXPECT_EQ(cad.PageHeight(), height);

    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(QStringLiteral("/nonexistent/out.pdf"));
    pdf.setPageSize(QPageSize(QPageSize::A5));
    pdf.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    EXPECT_EQ(ReportPrinting::UpdatePrinterPage(cad, pdf), "/nonexistent/out.pdf");
    EXPECT_NEAR(cad.PageWidth(), 148 - 20, 1);
    EXPECT_NEAR(cad.PageHeight(), 210 - 20, 1);
}

TEST_F(PreviewWindow, Shown_TranslatedOnTopFittedToHeightWithTheFilledPage)
{
    dir.Write("PrelvoLang.ini",
        TestSupport::CrLf({ "[FormPrintPreview]", "FormPrintPreview.Caption=Druckvorschau",
            "FormPrintPreview.ButtonPrint.Caption=Drucken", "[FormLang]", "FormLang.MessageCloseData.Caption=Close" }));
    bool ran = false;
    Preview([&](TFormPrintPreview& preview) {
        ran = true;
        EXPECT_EQ(preview.windowTitle(), "Druckvorschau");
        EXPECT_EQ(preview.findChild<QPushButton*>("ButtonPrint")->text(), "Drucken");
        ASSERT_TRUE(preview.FormLang());
        EXPECT_EQ(preview.FormLang()->Text("MessageCloseData"), "Close");
        EXPECT_EQ(preview.FormLang()->Text("MessageCloseDataExpl"), QString::fromUtf8("Änderungen speichern?"));
        EXPECT_TRUE(preview.StaysOnTop());
        // The zoom is the scroll box's height over the page's height at zoom 1
        const QWidget* viewport = preview.findChild<QScrollArea*>("ScrollBoxPrint")->viewport();
        const double shown = preview.MyCADPreview().Zoom();
        preview.MyCADPreview().SetZoom(1.0);
        // (the status bar may settle after the first showing, by a few pixels)
        EXPECT_NEAR(shown, double(viewport->height()) / preview.MyCADPreview().Height(), 0.02);
        EXPECT_LT(shown, 1.0);
        EXPECT_FALSE(preview.findChild<QWidget*>("MyCADPreview")->isEnabled());
        EXPECT_FALSE(preview.MyCADPreview().PrintABorder());
        bool named = false;
        for (int i = 0; i < preview.MyCADPreview().ShapeCount(); ++i)
            named = named || ReportFixtures::LinesAt(preview.MyCADPreview(), i).join(' ').contains("Musterfrau, Erika");
        EXPECT_TRUE(named);

        preview.MyCADPreview().SetZoom(8.0);
        preview.ZoomIn();
        EXPECT_DOUBLE_EQ(preview.MyCADPreview().Zoom(), 10.0);
        EXPECT_EQ(preview.StatusText(), "Zoom: 1000%");
        preview.MyCADPreview().SetZoom(0.2);
        preview.ZoomOut();
        EXPECT_DOUBLE_EQ(preview.MyCADPreview().Zoom(), 0.15);
        EXPECT_EQ(preview.StatusText(), "Zoom: 15%");
        preview.FitWidth();
        EXPECT_NEAR(preview.MyCADPreview().Width(),
            preview.findChild<QScrollArea*>("ScrollBoxPrint")->width()
                - preview.style()->pixelMetric(QStyle::PM_ScrollBarExtent),
            2);
    });
    EXPECT_TRUE(ran);
}

TEST_F(PreviewWindow, MissingLanguageFile_KeepsTheBuiltInTexts)
{
    Preview([&](TFormPrintPreview& preview) {
        EXPECT_EQ(preview.windowTitle(), "Print Preview");
        EXPECT_EQ(preview.findChild<QPushButton*>("ButtonPrint")->text(), "Print");
        EXPECT_EQ(preview.FormLang()->Text("FileNotFound"), "Datei %s nicht gefunden.");
    });
}

TEST_F(PreviewWindow, Print_ToPdfPrinter_PrintsTheReportAfreshAndLeavesTopMode)
{
    const QString pdf = dir.Path("printed.pdf");
    Preview([&](TFormPrintPreview& preview) {
        preview.AskPrinter = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        // The data file changes after the preview was made: the print reads it again.
        QFile::remove(dir.Path("result.dff"));
        ReportFixtures::WriteResultData(dir, { { "Name", "Mustermann, Max" }, { "TotalCountValue", "43" } });
        preview.PrintClick();
        EXPECT_FALSE(preview.StaysOnTop());
        EXPECT_TRUE(preview.isVisible());
        EXPECT_EQ(preview.PrinterText(), pdf);
        EXPECT_EQ(preview.StatusText(), preview.FormLang()->Text("MessagePrinted").replace("%s", pdf));
        EXPECT_TRUE(preview.StatusText().contains(pdf));
    });
    ASSERT_TRUE(TestSupport::ReadAll(pdf).startsWith("%PDF"));
    const QString text = PdfText(pdf);
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not available";
    EXPECT_TRUE(text.contains("Mustermann, Max")) << qPrintable(text);
    EXPECT_TRUE(text.contains("43")) << qPrintable(text);
}

TEST_F(PreviewWindow, Print_DialogCancelled_PreviewStaysOpenAndNoLongerOnTop)
{
    Preview([&](TFormPrintPreview& preview) {
        preview.AskPrinter = [](QPrinter&) { return false; };
        preview.PrintClick();
        EXPECT_TRUE(preview.isVisible());
        EXPECT_FALSE(preview.StaysOnTop());
    });
}

TEST_F(PreviewWindow, AccessCode_OpensTheDesignerOnceUntilThePrefixIsTypedAgain)
{
    const QString code = PreviewAccessCode::Code(QDate::currentDate());
    Preview([&](TFormPrintPreview& preview) {
        QTest::keyClicks(&preview, code.left(1));
        EXPECT_EQ(preview.StatusText(), QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
        QTest::keyClicks(&preview, code.mid(1));
        EXPECT_EQ(presenter->designerShown, 1);
        EXPECT_TRUE(preview.StaysOnTop());
        QTest::keyClicks(&preview, code.mid(1));
        EXPECT_EQ(presenter->designerShown, 1);
        QTest::keyClicks(&preview, code);
        EXPECT_EQ(presenter->designerShown, 2);
    });
}

TEST(ReportWindowsTest, ImageOutput_ShowsThePageInTheImageWindow)
{
    (void)kRegistered;
    ReportContext context;
    ASSERT_TRUE(context.LoadReportTemplate(QStringLiteral(PELORIX_TEMPLATE)));
    auto windows = std::make_unique<ReportWindows>();
    ReportWindows* shown = windows.get();
    context.SetPresenter(std::move(windows));
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_TRUE(modal);
        EXPECT_EQ(modal->windowTitle(), "Print 2 Image");
        modal->close();
    });
    ASSERT_TRUE(context.RunReport(roImage));
    EXPECT_EQ(shown->FormPrintImage().Picture().size(), QSize(794, 1123));
}
