// The report designer's commands without a window: the file commands and what they
// ask, ordering, the keys, and the outputs.
#include "report/ReportDesigner.h"

#include "report/ReportContext.h"
#include "report/ReportTemplate.h"
#include "tests/canvas/GuiEnvironment.h"
#include "tests/report/ReportFixtures.h"
#include "tests/support/ScriptedQuestions.h"

#include <gtest/gtest.h>

namespace {

class ReportDesignerTest : public ::testing::Test
{
protected:
    TMyCAD& Canvas() { return context.MyCADPrint(); }

    TestSupport::TempDir dir;
    ReportContext context;
    ScriptedQuestions<> prompt;
    ReportDesigner designer { context, prompt };
};

} // namespace

TEST_F(ReportDesignerTest, FileCommands_AskForTheirFiles_SayWhatHappened_AndACancelChangesNothing)
{
    ReportDesign::AddRectangle(Canvas(), QRectF(10, 10, 50, 40), 0xFF0000, 0);
    const QByteArray designed = ReportTemplate::CanvasBytes(Canvas());

    // Cancelled dialogs: nothing written, nothing opened, nothing said.
    EXPECT_FALSE(designer.SaveReport());
    EXPECT_FALSE(designer.OpenReport());
    EXPECT_FALSE(designer.LoadResultFile());
    EXPECT_TRUE(designer.StatusText().isEmpty());
    ASSERT_EQ(prompt.fileRequests.size(), 3);
    EXPECT_TRUE(prompt.fileRequests[0].save);
    EXPECT_EQ(prompt.fileRequests[0].defaultExtension, "zrp");
    EXPECT_FALSE(prompt.fileRequests[1].save);
    EXPECT_TRUE(prompt.fileRequests[1].filter.contains("*.nrd"));
    EXPECT_TRUE(prompt.fileRequests[1].filter.contains("*.zrp"));
    EXPECT_EQ(prompt.fileRequests[2].title, "Load Result File");

    const QString saved = dir.Path("mine.zrp");
    prompt.fileNames = { saved, saved };
    EXPECT_TRUE(designer.SaveReport());
    EXPECT_EQ(designer.StatusText(), "Saved: " + saved);
    Canvas().ClearShapes();
    EXPECT_TRUE(designer.OpenReport());
    EXPECT_EQ(designer.StatusText(), saved);
    EXPECT_EQ(ReportTemplate::CanvasBytes(Canvas()), designed);

    // A file that is no report leaves the design and says why; a folder cannot be saved to.
    dir.Write("broken.zrp", "not a zip archive");
    prompt.fileNames = { dir.Path("broken.zrp"), dir.Root() };
    EXPECT_TRUE(designer.OpenReport());
    EXPECT_EQ(ReportTemplate::CanvasBytes(Canvas()), designed);
    EXPECT_FALSE(designer.StatusText().isEmpty());
    EXPECT_NE(designer.StatusText(), dir.Path("broken.zrp"));
    EXPECT_TRUE(designer.SaveReport());
    EXPECT_FALSE(designer.StatusText().startsWith("Saved: "));
}

TEST_F(ReportDesignerTest, Keys_NudgeTheSelection_NameTheWindowsCommands_AndLeaveOtherKeys)
{
    Canvas().SetZoom(1.0);
    TMyRectangle* box = ReportDesign::AddRectangle(Canvas(), QRectF(100, 100, 50, 40), -1, 0);
    Canvas().SelectShape(box);
    EXPECT_EQ(designer.KeyPressed(Qt::Key_Right, false), ReportDesigner::KeyCommand::Nudged);
    EXPECT_EQ(designer.KeyPressed(Qt::Key_Down, true), ReportDesigner::KeyCommand::Nudged);
    EXPECT_FLOAT_EQ(box->Left(), 101.0f);
    EXPECT_FLOAT_EQ(box->Height(), 41.0f);
    EXPECT_EQ(designer.KeyPressed(Qt::Key_Delete, false), ReportDesigner::KeyCommand::Delete);
    EXPECT_EQ(designer.KeyPressed(Qt::Key_Escape, false), ReportDesigner::KeyCommand::Select);
    EXPECT_EQ(designer.KeyPressed(Qt::Key_A, false), ReportDesigner::KeyCommand::None);
    EXPECT_EQ(Canvas().ShapeCount(), 1);

    EXPECT_TRUE(designer.DeleteSelection());
    EXPECT_EQ(Canvas().ShapeCount(), 0);
    // Without a selection: nothing to delete, reorder or bind, and the status says what to select.
    EXPECT_FALSE(designer.DeleteSelection());
    EXPECT_FALSE(designer.BringSelectionToFront());
    EXPECT_FALSE(designer.SendSelectionToBack());
    EXPECT_EQ(designer.ShapeToBind(), nullptr);
    EXPECT_TRUE(designer.StatusText().startsWith("Select one text or image box"));
}

TEST_F(ReportDesignerTest, LoadedResultFile_FillsTheImageOutput)
{
    ReportDesign::AddText(
        Canvas(), QRectF(40, 40, 300, 30), { QStringLiteral("Patient: %s") }, {}, { QStringLiteral("Name") });
    const QString data = ReportFixtures::WriteResultData(dir, { { "Name", "Musterfrau, Erika" } });
    prompt.fileNames = { data };
    ASSERT_TRUE(designer.LoadResultFile());
    EXPECT_EQ(context.ResultFileName(), data);
    ASSERT_EQ(context.VariableRows().size(), 1u);
    ASSERT_TRUE(designer.ShowImage());
    EXPECT_EQ(context.ImagePage().size(), QSize(794, 1123));
}
