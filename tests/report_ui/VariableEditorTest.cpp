// The report designer's variable editor: the grid of the result data file, the
// list of used variables (include, exclude, reorder), the preview of a text as
// the report fills it, and the binding written into text and image shapes on
// "OK" (and not on "Cancel"), kept through a saved and reloaded template.
#include "canvas/TMyImage.h"
#include "canvas/TMyRectangle.h"
#include "report/ReportContext.h"
#include "report/ReportDesign.h"
#include "report/ReportVariables.h"
#include "report/VariableBindingEdit.h"
#include "report/ui/TFormMyCADStringEditor.h"
#include "tests/report/ReportFixtures.h"
#include "tests/support/AppEnvironment.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

const bool kRegistered = (::testing::AddGlobalTestEnvironment(new AppEnvironment<QApplication>), true);

// A double click as the platform delivers it: press, release, double click, release.
void DoubleClick(QWidget* viewport, QPoint at)
{
    const QPointF local(at);
    const QPointF global(viewport->mapToGlobal(at));
    for (QEvent::Type type : { QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
             QEvent::MouseButtonRelease }) {
        QMouseEvent event(type, local, global, Qt::LeftButton,
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
}

class VariableEditor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        (void)kRegistered;
        context.LoadResultData(ReportFixtures::WriteResultData(dir,
            { { "Name", "Musterfrau, Erika" }, { "TotalCountValue", "42" }, { "ImageOriginal", "/tmp/o.bmp" },
                { "ImageAnalysis", "/tmp/a.bmp" } }));
        editor = std::make_unique<TFormMyCADStringEditor>(context);
    }

    // The grid row of a variable.
    int GridRow(const QString& name) const
    {
        const auto* grid = Grid();
        for (int row = 1; row < grid->rowCount(); ++row)
            if (grid->item(row, 0)->text() == name)
                return row;
        ADD_FAILURE() << "no grid row " << name.toStdString();
        return -1;
    }

    QTableWidget* Grid() const { return editor->findChild<QTableWidget*>("StringGridVar"); }
    QListWidget* List() const { return editor->findChild<QListWidget*>("ListBoxVarUse"); }
    QPlainTextEdit* Memo() const { return editor->findChild<QPlainTextEdit*>("MemoDesign"); }
    QPushButton* Button(const char* name) const { return editor->findChild<QPushButton*>(name); }

    QStringList ListTexts() const
    {
        QStringList texts;
        for (int i = 0; i < List()->count(); ++i)
            texts << List()->item(i)->text();
        return texts;
    }

    TMyText* AddText(const QStringList& lines, const QStringList& variables)
    {
        return ReportDesign::AddText(context.MyCADPrint(), QRectF(40, 40, 200, 20), lines, {}, variables);
    }

    TestSupport::TempDir dir;
    ReportContext context;
    std::unique_ptr<TFormMyCADStringEditor> editor;
};

} // namespace

TEST_F(VariableEditor, Grid_HeadingThenTheRowsOfTheResultData)
{
    // Filled from the context's result data when made.
    QTableWidget* grid = Grid();
    ASSERT_EQ(grid->rowCount(), 5);
    EXPECT_EQ(grid->item(0, 0)->text() + grid->item(0, 1)->text(), "NameValue");
    EXPECT_EQ(grid->item(1, 1)->text(), "Musterfrau, Erika");
    EXPECT_EQ(grid->item(4, 0)->text(), "ImageAnalysis");
    EXPECT_EQ(grid->rowHeight(3), grid->fontMetrics().boundingRect("Test").height() + 3);
    EXPECT_EQ(grid->currentRow(), 1); // ">>" at once takes the first variable

    // Refilled only by LoadVariables; a missing file leaves the heading alone.
    context.LoadResultData(dir.Path("missing.dff"));
    EXPECT_EQ(grid->rowCount(), 5);
    editor->LoadVariables(context.VariableRows());
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->item(0, 1)->text(), "Value");
}

TEST_F(VariableEditor, IncludeExclude_DuplicatesAllowedHeadingAndOutOfRangeIgnored)
{
    editor->Include(GridRow("TotalCountValue"));
    editor->Include(GridRow("TotalCountValue"));
    editor->Include(0); // the heading is no variable
    editor->Include(99); // past the grid
    editor->Include(-1); // no current row
    EXPECT_EQ(ListTexts(), QStringList({ "TotalCountValue", "TotalCountValue" }));
    EXPECT_EQ(editor->UsedVariables(), ListTexts());

    editor->Exclude(-1); // none selected
    editor->Exclude(2);
    EXPECT_EQ(editor->UsedVariables().size(), 2);
    editor->Exclude(0);
    EXPECT_EQ(editor->UsedVariables(), QStringList({ "TotalCountValue" }));

    // The buttons and double clicks do the same on the current grid row and the
    // selected list entry.
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
    Grid()->setCurrentCell(GridRow("Name"), 0);
    Button("ButtonInclude")->click();
    const QRect cell = Grid()->visualItemRect(Grid()->item(GridRow("ImageOriginal"), 0));
    DoubleClick(Grid()->viewport(), cell.center());
    EXPECT_EQ(editor->UsedVariables(), QStringList({ "TotalCountValue", "Name", "ImageOriginal" }));

    Button("ButtonExclude")->click(); // nothing selected: nothing removed
    EXPECT_EQ(editor->UsedVariables().size(), 3);
    List()->setCurrentRow(1);
    Button("ButtonExclude")->click();
    EXPECT_EQ(editor->UsedVariables(), QStringList({ "TotalCountValue", "ImageOriginal" }));
    EXPECT_TRUE(List()->selectedItems().isEmpty()); // a second "<<" removes nothing more
    const QRect entry = List()->visualItemRect(List()->item(0));
    DoubleClick(List()->viewport(), entry.center());
    EXPECT_EQ(editor->UsedVariables(), QStringList({ "ImageOriginal" }));
    editor->hide();
}

TEST_F(VariableEditor, MoveEntry_TakesTheEntryToTheDropPosition)
{
    for (const char* name : { "Name", "TotalCountValue", "ImageOriginal" })
        editor->Include(GridRow(name));
    editor->MoveEntry(0, 2);
    EXPECT_EQ(ListTexts(), QStringList({ "TotalCountValue", "ImageOriginal", "Name" }));
    EXPECT_EQ(List()->currentRow(), 2); // the moved entry stays selected
    editor->MoveEntry(2, 0);
    EXPECT_EQ(ListTexts(), QStringList({ "Name", "TotalCountValue", "ImageOriginal" }));
    editor->MoveEntry(0, 7); // dropped below the last entry: to the end
    EXPECT_EQ(ListTexts(), QStringList({ "TotalCountValue", "ImageOriginal", "Name" }));
    for (auto [from, to] : { std::pair { 5, 0 }, { -1, 0 }, { 1, -1 }, { 1, 1 } })
        editor->MoveEntry(from, to);
    EXPECT_EQ(ListTexts(), QStringList({ "TotalCountValue", "ImageOriginal", "Name" }));
}

TEST_F(VariableEditor, PreviewText_FilledAsTheReportFillsIt)
{
    editor->SetDesignText("Patient: %s\nCount: %s, %s");
    editor->Include(GridRow("Name"));
    editor->Include(GridRow("TotalCountValue"));
    // A bound variable without a row prints "(null)".
    context.LoadResultData(ReportFixtures::WriteResultData(
        dir, { { "Name", "Musterfrau, Erika" }, { "TotalCountValue", "42" }, { "Gone", "x" } }, "second.dff"));
    editor->LoadVariables(context.VariableRows());
    editor->Include(GridRow("Gone"));
    QFile::remove(dir.Path("second.dff"));
    ReportFixtures::WriteResultData(
        dir, { { "Name", "Musterfrau, Erika" }, { "TotalCountValue", "43" } }, "second.dff");
    EXPECT_EQ(editor->PreviewText(), "Patient: Musterfrau, Erika\nCount: 43, (null)");

    // A text without "%" is shown as designed, bound variables or not.
    editor->SetDesignText("No placeholder");
    EXPECT_EQ(editor->PreviewText(), "No placeholder");

    // "Preview" shows it in a message box.
    editor->SetDesignText("Count: %s");
    editor->Exclude(0);
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    Button("BitBtnPreview")->click();
    EXPECT_EQ(shown, "Count: 43");
}

TEST_F(VariableEditor, EditBinding_TextShapeOk_TakesLinesAndVariablesDropsOtherUserData)
{
    TMyText* text = AddText({ "Count %s" }, { "TotalCountValue" });
    text->UserData().Add("Remark", "designer's note");
    editor->Run = [&](TFormMyCADStringEditor& shown) {
        EXPECT_EQ(shown.DesignText(), "Count %s");
        EXPECT_EQ(shown.UsedVariables(), QStringList({ "TotalCountValue" }));
        EXPECT_FALSE(shown.ImageMode());
        shown.SetDesignText("%s\nhas %s hairs");
        shown.Include(GridRow("Name"));
        shown.MoveEntry(1, 0);
        return int(QDialog::Accepted);
    };
    EXPECT_TRUE(editor->EditBinding(*text));
    EXPECT_EQ(text->Lines(), QStringList({ "%s", "has %s hairs" }));
    const std::vector<std::pair<QString, QString>> expected
        = { { "VariableCount", "2" }, { "var_0", "Name" }, { "var_1", "TotalCountValue" } };
    EXPECT_EQ(text->UserData().Pairs(), expected);

    // Opening it again shows what was stored; "OK" without a change changes nothing.
    editor->Run = [&](TFormMyCADStringEditor& shown) {
        EXPECT_EQ(shown.DesignText(), "%s\nhas %s hairs");
        EXPECT_EQ(shown.UsedVariables(), QStringList({ "Name", "TotalCountValue" }));
        return int(QDialog::Accepted);
    };
    EXPECT_FALSE(editor->EditBinding(*text));

    // An empty list removes every binding of the text.
    editor->Run = [&](TFormMyCADStringEditor& shown) {
        shown.Exclude(0);
        shown.Exclude(0);
        return int(QDialog::Accepted);
    };
    EXPECT_TRUE(editor->EditBinding(*text));
    EXPECT_EQ(text->UserData().Pairs(), (std::vector<std::pair<QString, QString>> { { "VariableCount", "0" } }));
    EXPECT_TRUE(ReportVariables::TextBinding(*text).isEmpty());
}

TEST_F(VariableEditor, EditBinding_ImageShape_FixedReadOnlyTextAndFirstEntryOnOk)
{
    const QColor window = Memo()->palette().color(QPalette::Base);
    TMyImage* image = ReportDesign::AddImage(context.MyCADPrint(), QRectF(40, 80, 200, 150), "ImageOriginal");
    image->UserData().Add("Remark", "x");
    editor->Run = [&](TFormMyCADStringEditor& shown) {
        EXPECT_EQ(shown.DesignText(), "Image File Name: %s");
        EXPECT_TRUE(shown.ImageMode());
        EXPECT_TRUE(Memo()->isReadOnly());
        EXPECT_EQ(Memo()->palette().color(QPalette::Base), Memo()->palette().color(QPalette::Button));
        EXPECT_EQ(shown.UsedVariables(), QStringList({ "ImageOriginal" }));
        EXPECT_EQ(shown.PreviewText(), "Image File Name: /tmp/o.bmp");
        shown.Exclude(0);
        shown.Include(GridRow("ImageAnalysis"));
        shown.Include(GridRow("Name")); // only the first entry counts
        return int(QDialog::Accepted);
    };
    EXPECT_TRUE(editor->EditBinding(*image));
    EXPECT_EQ(
        image->UserData().Pairs(), (std::vector<std::pair<QString, QString>> { { "ImageFileName", "ImageAnalysis" } }));
    // The text box is editable on the window colour again for the next shape.
    EXPECT_FALSE(Memo()->isReadOnly());
    EXPECT_EQ(Memo()->palette().color(QPalette::Base), window);

    // An empty list leaves the image without a binding.
    editor->Run = [&](TFormMyCADStringEditor& shown) {
        shown.Exclude(0);
        return int(QDialog::Accepted);
    };
    EXPECT_TRUE(editor->EditBinding(*image));
    EXPECT_EQ(image->UserData().Count(), 0);
    EXPECT_TRUE(ReportVariables::ImageBinding(*image).isEmpty());

    // An unbound image opens with an empty list.
    editor->Run = [&](TFormMyCADStringEditor& shown) {
        EXPECT_TRUE(shown.UsedVariables().isEmpty());
        return int(QDialog::Rejected);
    };
    EXPECT_FALSE(editor->EditBinding(*image));
}

TEST_F(VariableEditor, EditBinding_CancelChangesNothing_OtherShapesAreNotEdited)
{
    TMyText* text = AddText({ "Count %s" }, { "TotalCountValue" });
    TMyImage* image = ReportDesign::AddImage(context.MyCADPrint(), QRectF(40, 80, 200, 150), "ImageOriginal");
    const TUserData textData = text->UserData();
    editor->Run = [&](TFormMyCADStringEditor& shown) {
        shown.SetDesignText("changed %s %s");
        shown.Include(GridRow("Name"));
        return int(QDialog::Rejected);
    };
    EXPECT_FALSE(editor->EditBinding(*text));
    EXPECT_EQ(text->Lines(), QStringList({ "Count %s" }));
    EXPECT_TRUE(text->UserData() == textData);

    editor->Run = [&](TFormMyCADStringEditor& shown) {
        shown.Exclude(0);
        return int(QDialog::Rejected);
    };
    EXPECT_FALSE(editor->EditBinding(*image));
    EXPECT_EQ(ReportVariables::ImageBinding(*image), "ImageOriginal");
    // Cancelled on an image, the next text shape still gets an editable text box.
    EXPECT_FALSE(editor->ImageMode());

    TMyRectangle* box = ReportDesign::AddRectangle(context.MyCADPrint(), QRectF(0, 0, 50, 50), -1, 0);
    box->UserData().Add("VariableCount", "1");
    bool ran = false;
    editor->Run = [&](TFormMyCADStringEditor&) {
        ran = true;
        return int(QDialog::Accepted);
    };
    EXPECT_FALSE(editor->EditBinding(*box));
    EXPECT_FALSE(ran);
    EXPECT_EQ(box->UserData().Count(), 1);
}

TEST_F(VariableEditor, BindingMadeInTheEditor_SurvivesSavingAndLoadingTheTemplate)
{
    TMyText* text = AddText({ "Hairs of %s: %s" }, {});
    TMyImage* image = ReportDesign::AddImage(context.MyCADPrint(), QRectF(40, 80, 200, 150), QString());
    editor->Run = [&](TFormMyCADStringEditor& shown) {
        shown.Include(GridRow("Name"));
        shown.Include(GridRow("TotalCountValue"));
        return int(QDialog::Accepted);
    };
    ASSERT_TRUE(editor->EditBinding(*text));
    editor->Run = [&](TFormMyCADStringEditor& shown) {
        shown.Include(GridRow("ImageAnalysis"));
        return int(QDialog::Accepted);
    };
    ASSERT_TRUE(editor->EditBinding(*image));

    const QString archive = dir.Path("bound.zrp");
    QString error;
    ASSERT_TRUE(context.SaveReportTemplate(archive, &error)) << qPrintable(error);
    ReportContext reopened;
    ASSERT_TRUE(reopened.LoadReportTemplate(archive)) << qPrintable(reopened.StatusText());
    TMyCAD& design = reopened.MyCADPrint();
    ASSERT_EQ(design.ShapeCount(), 2);
    EXPECT_EQ(ReportVariables::TextBinding(*design.ShapeByIndex(0)), QStringList({ "Name", "TotalCountValue" }));
    EXPECT_EQ(ReportVariables::ImageBinding(*design.ShapeByIndex(1)), "ImageAnalysis");

    // The reloaded design fills as the editor's preview promised.
    ASSERT_TRUE(ReportVariables::FillReportVariables(design, context.ResultFileName()));
    EXPECT_EQ(ReportFixtures::LinesAt(design, 0), QStringList({ "Hairs of Musterfrau, Erika: 42" }));
}

TEST(VariableBindingEditTest, LinesAndTextRoundTrip)
{
    EXPECT_EQ(VariableBindingEdit::LinesOfText(""), QStringList());
    EXPECT_EQ(VariableBindingEdit::LinesOfText("a\r\nb\rc\nd"), QStringList({ "a", "b", "c", "d" }));
    for (const QStringList& lines : { QStringList { "a", "" }, QStringList { "", "b" }, QStringList { "x" } })
        EXPECT_EQ(VariableBindingEdit::LinesOfText(VariableBindingEdit::TextOfLines(lines)), lines);
}
