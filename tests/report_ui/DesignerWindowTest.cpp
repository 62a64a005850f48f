// The report designer on a real report context: drawing tools, zoom commands,
// nudging by the arrow keys (also while a field has the focus), the keys for
// deleting and selecting, ordering, printing, the image and preview outputs,
// templates saved and opened, and the hidden access code from the preview.
#include "canvas/TMyCAD.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "canvas/widgets/CanvasView.h"
#include "report/PreviewAccessCode.h"
#include "report/ReportContext.h"
#include "report/ReportDesign.h"
#include "report/ReportTemplate.h"
#include "report/ReportVariables.h"
#include "report/ui/DesignerPrompt.h"
#include "report/ui/PageScrollBox.h"
#include "report/ui/ReportWindows.h"
#include "report/ui/TComponentComboBox.h"
#include "report/ui/TComponentInspector.h"
#include "report/ui/TFormMyCADStringEditor.h"
#include "report/ui/TFormPrintCAD.h"
#include "report/ui/TFormPrintPreview.h"
#include "tests/report/ReportFixtures.h"
#include "tests/support/AppEnvironment.h"
#include "tests/support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <functional>
#include <optional>

namespace {

const bool kRegistered = (::testing::AddGlobalTestEnvironment(new AppEnvironment<QApplication>), true);

// Answers the designer's file dialogs with the test's path (empty: cancelled) and its
// printer dialogs with the test's scripts.
struct AnsweringPrompt : DesignerPrompt
{
    explicit AnsweringPrompt(const QString& path)
        : DesignerPrompt(nullptr)
        , path(path)
    {
    }
    std::optional<QString> AskFileName(const FileDialogRequest&) override
    {
        return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
    }
    bool AskPrinter(QPrinter& printer) override { return printerDialog ? printerDialog(printer) : false; }
    void AskPrinterSetup(QPrinter& printer) override
    {
        if (setupDialog)
            setupDialog(printer);
    }

    const QString& path;
    std::function<bool(QPrinter&)> printerDialog;
    std::function<void(QPrinter&)> setupDialog;
};

class DesignerWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        (void)kRegistered;
        designer = std::make_unique<TFormPrintCAD>(context);
        designer->SetPrompt(prompt);
    }
    void TearDown() override { designer.reset(); }

    TMyCAD& Canvas() { return context.MyCADPrint(); }

    // Clicks the two corners of a shape on the page, as the user draws it.
    void Draw(QPoint from, QPoint to)
    {
        QWidget& view = designer->ScrollBoxPrint().View();
        QTest::mouseClick(&view, Qt::LeftButton, {}, from);
        QTest::mouseMove(&view, (from + to) / 2);
        QTest::mouseClick(&view, Qt::LeftButton, {}, to);
    }

    // A key typed into a field of the window that has nothing to do with the page.
    void TypeIntoField(int key, Qt::KeyboardModifiers modifiers = {})
    {
        auto* field = designer->findChild<QLineEdit*>(QStringLiteral("EditPrinter"));
        ASSERT_TRUE(field);
        QTest::keyClick(field, Qt::Key(key), modifiers);
    }

    TestSupport::TempDir dir;
    ReportContext context;
    QString answeredPath;
    AnsweringPrompt prompt { answeredPath };
    std::unique_ptr<TFormPrintCAD> designer;
};

} // namespace

TEST_F(DesignerWindow, Tools_DrawTheirShapes_ThenSelectIsDownAgain)
{
    designer->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(designer.get()));
    struct Case
    {
        TDrawTool tool;
        const char* button;
        const char* shapeClass;
    };
    const Case cases[] = { { SpLine, "SpeedButtonLine", "TMyLine" }, { SpRectangle, "SpeedButtonRect", "TMyRectangle" },
        { SpEllipse, "SpeedButtonEllipse", "TMyEllipse" } };
    int count = 0;
    for (const Case& c : cases) {
        designer->findChild<QAbstractButton*>(QLatin1String(c.button))->click();
        EXPECT_EQ(Canvas().ShapeTool(), c.tool);
        EXPECT_EQ(designer->ToolButtonDown(), QLatin1String(c.button));
        Draw(QPoint(40 + 30 * count, 40), QPoint(100 + 30 * count, 120));
        ASSERT_EQ(Canvas().ShapeCount(), ++count) << c.shapeClass;
        EXPECT_STREQ(Canvas().ShapeByIndex(count - 1)->ClassName(), c.shapeClass);
        EXPECT_EQ(Canvas().ShapeTool(), SpSelecting);
        EXPECT_EQ(designer->ToolButtonDown(), "SpeedButtonSelect");
    }
    // Escape brings back the selection tool from any tool.
    designer->ChooseTool(SpRectangle);
    TypeIntoField(Qt::Key_Escape);
    EXPECT_EQ(Canvas().ShapeTool(), SpSelecting);
    EXPECT_EQ(designer->ToolButtonDown(), "SpeedButtonSelect");
    EXPECT_TRUE(designer->isVisible());
}

TEST_F(DesignerWindow, Shown_FitsThePageToTheHeight_ZoomCommandsKeepTheirLimits)
{
    designer->show();
    const int available
        = designer->ScrollBoxPrint().height() - designer->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_NEAR(Canvas().Height(), available, 2);
    EXPECT_TRUE(designer->StatusText().startsWith("Zoom: "));

    Canvas().SetZoom(8.0);
    designer->ZoomIn();
    EXPECT_DOUBLE_EQ(Canvas().Zoom(), 10.0);
    EXPECT_EQ(designer->StatusText(), "Zoom: 1000%");
    Canvas().SetZoom(0.2);
    designer->ZoomOut();
    EXPECT_DOUBLE_EQ(Canvas().Zoom(), 0.15);
    EXPECT_EQ(designer->StatusText(), "Zoom: 15%");
    Canvas().SetZoom(1.0);
    designer->ZoomIn();
    EXPECT_EQ(designer->StatusText(), "Zoom: 150%");

    // "Refresh" draws the page afresh and keeps the zoom.
    designer->RefreshCanvas();
    EXPECT_DOUBLE_EQ(Canvas().Zoom(), 1.5);
}

TEST_F(DesignerWindow, ArrowKeys_NudgeTheSelectionEvenFromAField_ShiftResizesByTheHandle)
{
    designer->show();
    Canvas().SetZoom(2.0);
    TMyRectangle* box = ReportDesign::AddRectangle(Canvas(), QRectF(100, 100, 50, 40), -1, 0);
    TMyLine* line = ReportDesign::AddLine(Canvas(), QPointF(20, 20), QPointF(80, 20), 0);
    Canvas().SelectShape(box);

    // One screen pixel is half a page unit at zoom 2.
    TypeIntoField(Qt::Key_Right);
    TypeIntoField(Qt::Key_Down);
    EXPECT_FLOAT_EQ(box->Left(), 100.5f);
    EXPECT_FLOAT_EQ(box->Top(), 100.5f);
    EXPECT_FLOAT_EQ(box->Width(), 50.0f);
    EXPECT_EQ(designer->findChild<QLineEdit*>("EditPrinter")->cursorPosition(), 0);

    TypeIntoField(Qt::Key_Right, Qt::ShiftModifier);
    TypeIntoField(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(box->Left(), 100.5f);
    EXPECT_FLOAT_EQ(box->Width(), 50.5f);
    EXPECT_FLOAT_EQ(box->Height(), 40.5f);

    // Shift+Left on a line moves only its second end.
    Canvas().ClearSelection();
    Canvas().SelectShape(line);
    TypeIntoField(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(line->Nodes()[0].x, 20.0f);
    EXPECT_FLOAT_EQ(line->Nodes()[1].x, 79.5f);
    EXPECT_FLOAT_EQ(line->Nodes()[1].y, 20.0f);

    // Delete typed anywhere deletes the selected shapes.
    TypeIntoField(Qt::Key_Delete);
    EXPECT_EQ(Canvas().ShapeCount(), 1);
    EXPECT_EQ(Canvas().ShapeByIndex(0), box);
}

TEST_F(DesignerWindow, ArrowKeys_WithoutSelection_ChangeNothing)
{
    designer->show();
    TMyRectangle* box = ReportDesign::AddRectangle(Canvas(), QRectF(10, 10, 50, 40), -1, 0);
    const QByteArray before = ReportTemplate::CanvasBytes(Canvas());
    TypeIntoField(Qt::Key_Left);
    TypeIntoField(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(ReportTemplate::CanvasBytes(Canvas()), before);
    EXPECT_FLOAT_EQ(box->Left(), 10.0f);
}

TEST_F(DesignerWindow, ToFrontAndToBack_ReorderTheSelection_AndCanBeUndone)
{
    TMyRectangle* a = ReportDesign::AddRectangle(Canvas(), QRectF(10, 10, 50, 40), -1, 0);
    TMyRectangle* b = ReportDesign::AddRectangle(Canvas(), QRectF(20, 20, 50, 40), -1, 0);
    TMyRectangle* c = ReportDesign::AddRectangle(Canvas(), QRectF(30, 30, 50, 40), -1, 0);
    Canvas().SelectShape(a);
    designer->BringSelectionToFront();
    EXPECT_EQ(a->ShapeIndex(), 2);
    Canvas().Undo();
    EXPECT_EQ(Canvas().ShapeByIndex(0)->ShapeId(), a->ShapeId());

    // Several selected shapes keep their order among themselves.
    Canvas().ClearSelection();
    TMyShape* first = Canvas().ShapeByIndex(1);
    TMyShape* second = Canvas().ShapeByIndex(2);
    Canvas().SelectShape(first);
    Canvas().SelectShape(second);
    designer->SendSelectionToBack();
    EXPECT_EQ(Canvas().ShapeByIndex(0), first);
    EXPECT_EQ(Canvas().ShapeByIndex(1), second);
    (void)b;
    (void)c;

    // Nothing selected: nothing happens and nothing fails.
    Canvas().ClearSelection();
    designer->BringSelectionToFront();
    designer->SendSelectionToBack();
    designer->EditVariables();
    EXPECT_EQ(Canvas().ShapeCount(), 3);
}

TEST_F(DesignerWindow, Print_PrintsTheFilledReportAndClosesTheDesigner_ImageAndPreviewKeepItOpen)
{
    ReportDesign::AddText(
        Canvas(), QRectF(40, 40, 300, 30), { QStringLiteral("Patient: %s") }, {}, { QStringLiteral("Name") });
    context.LoadResultData(ReportFixtures::WriteResultData(dir, { { "Name", "Musterfrau, Erika" } }));
    designer->show();

    designer->ImageClick();
    EXPECT_TRUE(designer->isVisible());
    EXPECT_EQ(context.ImagePage().size(), QSize(794, 1123));
    designer->PreviewClick();
    EXPECT_TRUE(designer->isVisible());
    EXPECT_FALSE(context.PreviewPage().isNull());

    const QString pdf = dir.Path("designer.pdf");
    bool asked = false;
    prompt.printerDialog = [&](QPrinter& printer) {
        asked = true;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    designer->PrintClick();
    EXPECT_TRUE(asked);
    EXPECT_FALSE(designer->isVisible());
    EXPECT_EQ(designer->PrinterText(), pdf);
    EXPECT_GT(QFileInfo(pdf).size(), 1000);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(DesignerWindow, PrintCancelled_KeepsTheDesignerOpenAndPrintsNothing)
{
    designer->show();
    prompt.printerDialog = [](QPrinter&) { return false; };
    designer->PrintClick();
    EXPECT_TRUE(designer->isVisible());
}

TEST_F(DesignerWindow, NoPrinter_LeavesThePrinterFieldEmptyAndThePageAsItWas)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "this machine has printers";
    Canvas().SetPageWidth(200);
    Canvas().SetPageHeight(250);
    bool asked = false;
    prompt.setupDialog = [&](QPrinter&) { asked = true; };
    designer->PrinterSetupClick();
    EXPECT_TRUE(asked);
    EXPECT_EQ(designer->PrinterText(), QString());
    EXPECT_EQ(Canvas().PageWidth(), 200);
    EXPECT_EQ(Canvas().PageHeight(), 250);
}

TEST_F(DesignerWindow, SaveAndOpenReport_RoundTripTheDesign_ABadFileLeavesItAndSaysWhy)
{
    ReportDesign::AddText(
        Canvas(), QRectF(40, 40, 300, 30), { QStringLiteral("Count: %s") }, {}, { QStringLiteral("TotalCountValue") });
    ReportDesign::AddRectangle(Canvas(), QRectF(10, 10, 50, 40), 0xFF0000, 0);
    const QByteArray designed = ReportTemplate::CanvasBytes(Canvas());
    answeredPath = dir.Path("mine.zrp");
    designer->SaveReportClick();
    ASSERT_TRUE(QFileInfo::exists(answeredPath));

    Canvas().ClearShapes();
    designer->OpenReportClick();
    EXPECT_EQ(ReportTemplate::CanvasBytes(Canvas()), designed);

    dir.Write("broken.zrp", "not a zip archive");
    answeredPath = dir.Path("broken.zrp");
    designer->OpenReportClick();
    EXPECT_EQ(ReportTemplate::CanvasBytes(Canvas()), designed);
    EXPECT_FALSE(designer->StatusText().isEmpty());

    // A cancelled dialog does nothing.
    answeredPath.clear();
    designer->OpenReportClick();
    EXPECT_EQ(ReportTemplate::CanvasBytes(Canvas()), designed);
}

TEST_F(DesignerWindow, CopyPasteAndDelete_FromTheEditMenu)
{
    TMyRectangle* box = ReportDesign::AddRectangle(Canvas(), QRectF(10, 10, 50, 40), -1, 0);
    Canvas().SelectShape(box);
    designer->CopyClick();
    designer->PasteClick();
    EXPECT_EQ(Canvas().ShapeCount(), 2);
    designer->DeleteClick();
    EXPECT_EQ(Canvas().ShapeCount(), 1);
}

TEST(DesignerFromPreview, AccessCode_OpensTheDesignerOnce_UntilThePrefixIsTypedAgain)
{
    (void)kRegistered;
    TestSupport::TempDir dir;
    ReportContext context;
    ReportDesign::AddText(context.MyCADPrint(), QRectF(40, 40, 300, 30), { QStringLiteral("Hello") });
    context.SetPresenter(std::make_unique<ReportWindows>());
    int shown = 0;
    ReportWindows::OnDesignerShown() = [&](TFormPrintCAD& designer) {
        ++shown;
        EXPECT_EQ(designer.MyCADPrint().ShapeCount(), 1);
        QTimer::singleShot(0, &designer, [&designer] { designer.reject(); });
    };
    ReportWindows::OnPreviewCreated() = [&](TFormPrintPreview& preview) {
        preview.LanguageFilePath = dir.Path("none.ini");
        QTimer::singleShot(0, &preview, [&preview] {
            const QString code = PreviewAccessCode::Code(QDate::currentDate());
            for (const QChar c : code + code.mid(1))
                preview.TypeCharacter(c);
            EXPECT_TRUE(preview.StaysOnTop());
            for (const QChar c : code)
                preview.TypeCharacter(c);
            preview.reject();
        });
    };
    EXPECT_TRUE(context.RunReport(roPreview));
    ReportWindows::OnDesignerShown() = nullptr;
    ReportWindows::OnPreviewCreated() = nullptr;
    EXPECT_EQ(shown, 2);
}

TEST_F(DesignerWindow, ClickedShape_ShowsInTheInspector_WhoseEditsChangeThePage)
{
    designer->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(designer.get()));
    Canvas().SetZoom(1.0);
    TMyRectangle* box = ReportDesign::AddRectangle(Canvas(), QRectF(100, 100, 80, 60), 0x00FF00, 0);
    box->SetName(QStringLiteral("Frame"));
    QWidget& view = designer->ScrollBoxPrint().View();
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(140, 130));
    ASSERT_EQ(Canvas().SelectedShape(), box);
    EXPECT_EQ(designer->ComponentInspector().Inspected(), box);
    EXPECT_TRUE(designer->ComponentComboBox().currentText().startsWith("Frame: TMyRectangle"))
        << qPrintable(designer->ComponentComboBox().currentText());

    EXPECT_TRUE(designer->ComponentInspector().SetValue(QStringLiteral("Pen.Width"), QStringLiteral("3")));
    EXPECT_EQ(box->Pen().width, 3);
    // Nudged shapes keep being shown; Escape returns to selecting without losing them.
    TypeIntoField(Qt::Key_Right);
    EXPECT_EQ(designer->ComponentInspector().Inspected(), box);

    // A deleted shape leaves the inspector on the page itself.
    TypeIntoField(Qt::Key_Delete);
    EXPECT_EQ(designer->ComponentInspector().Inspected(), nullptr);
    QApplication::processEvents();
    EXPECT_EQ(designer->ComponentComboBox().count(), 1);
}

TEST_F(DesignerWindow, V_BindsTheSelectedTextToVariablesOfTheLoadedResultFile)
{
    answeredPath
        = ReportFixtures::WriteResultData(dir, { { "Name", "Musterfrau, Erika" }, { "TotalCountValue", "42" } });
    designer->LoadResultFileClick();
    EXPECT_EQ(context.ResultFileName(), answeredPath);
    TMyText* text = ReportDesign::AddText(Canvas(), QRectF(40, 40, 300, 30), { QStringLiteral("Patient") });
    Canvas().SelectShape(text);
    designer->FormMyCADStringEditor().Run = [](TFormMyCADStringEditor& editor) {
        editor.SetDesignText(QStringLiteral("Patient: %s, %s hairs"));
        editor.Include(1);
        editor.Include(2);
        return int(QDialog::Accepted);
    };
    designer->EditVariables();
    EXPECT_EQ(ReportVariables::TextBinding(*text), QStringList({ "Name", "TotalCountValue" }));
    ASSERT_TRUE(context.RunReport(roImage));
}
