#include "report/ReportVariables.h"

#include "canvas/TMyImage.h"
#include "report/ReportMessages.h"
#include "tests/report/ReportFixtures.h"

#include <gtest/gtest.h>

using ReportFixtures::LinesAt;
using ReportFixtures::WriteResultData;
using TestSupport::TempDir;

namespace {

TMyText* AddText(TMyCAD& cad, const QStringList& lines, const QStringList& variables = {})
{
    return ReportDesign::AddText(cad, QRectF(0, 0, 200, 20), lines, {}, variables);
}

} // namespace

TEST(ReportVariables, TextPlaceholders_FilledFromTheRowsByTheirRules)
{
    TempDir dir;
    const QString data
        = WriteResultData(dir, { { "Name", "Ada" }, { "Count", "41" }, { "Count", "42" }, { "Empty", "" } });
    TMyCAD cad;
    AddText(cad, { "Name: %s" }, { "Name" }); // 0: plain
    AddText(cad, { "Missing: %s" }, { "Birthdate" }); // 1: no such row
    AddText(cad, { "Count %s" }, { "Count" }); // 2: the last row wins
    AddText(cad, { "%s" }, { "name" }); // 3: names match with case
    AddText(cad, { "No placeholder" }, { "Name" }); // 4: no "%": unchanged
    AddText(cad, { "100 %%" }); // 5: "%%" alone
    AddText(cad, { "[%-6s|%4.2s]", "x %s" }, { "Name", "Name", "Count" }); // 6: flags, two lines
    AddText(cad, { "<%s>" }, { "Empty" }); // 7: empty value: nothing, unlike a missing one
    AddText(cad, { "%s and %s" }, { "Name" }); // 8: more placeholders than values
    AddText(cad, { "%d %n %x %s" }, { "Name" }); // 9: other conversions

    ASSERT_TRUE(ReportVariables::FillReportVariables(cad, data));
    EXPECT_EQ(LinesAt(cad, 0), QStringList { "Name: Ada" });
    EXPECT_EQ(LinesAt(cad, 1), QStringList { "Missing: (null)" });
    EXPECT_EQ(LinesAt(cad, 2), QStringList { "Count 42" });
    EXPECT_EQ(LinesAt(cad, 3), QStringList { "(null)" });
    EXPECT_EQ(LinesAt(cad, 4), QStringList { "No placeholder" });
    EXPECT_EQ(LinesAt(cad, 5), QStringList { "100 %" });
    EXPECT_EQ(LinesAt(cad, 6), (QStringList { "[Ada   |  Ad]", "x 42" }));
    EXPECT_EQ(LinesAt(cad, 7), QStringList { "<>" });
    EXPECT_EQ(LinesAt(cad, 8), QStringList { "%s and %s" });
    EXPECT_EQ(LinesAt(cad, 9), QStringList { "%d %n %x %s" });
}

TEST(ReportVariables, MissingResultFile_KeepsTheDesignedTexts)
{
    TMyCAD cad;
    AddText(cad, { "Name: %s" }, { "Name" });
    EXPECT_TRUE(ReportVariables::FillReportVariables(cad, "/nonexistent/result.dff"));
    EXPECT_TRUE(ReportVariables::FillReportVariables(cad, QString()));
    EXPECT_EQ(LinesAt(cad, 0), QStringList { "Name: %s" });
}

TEST(ReportVariables, MissingCells_ReadAsEmptyTexts)
{
    TempDir dir;
    TDataFrame table;
    table.AddColumn("Name");
    table.AddColumn("Value");
    table.Cell(0, table.AddRow())->SetText("Name"); // its value stays missing
    table.Cell(1, table.AddRow())->SetText("orphan"); // a value without a name
    ASSERT_TRUE(table.WriteIni(dir.Path("gaps.dff")));

    const auto rows = ReportVariables::ReadResultRows(dir.Path("gaps.dff"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (ReportVariables::Row { "Name", "" }));
    EXPECT_EQ(rows[1], (ReportVariables::Row { "", "orphan" }));
    TMyCAD cad;
    AddText(cad, { "Name: %s" }, { "Name" });
    EXPECT_TRUE(ReportVariables::FillReportVariables(cad, dir.Path("gaps.dff")));
    EXPECT_EQ(LinesAt(cad, 0), QStringList { "Name: (null)" });
}

TEST(ReportVariables, Bindings_StoredInUserDataAndReadBack)
{
    TMyCAD cad;
    TMyText* text = AddText(cad, { "x" });
    text->UserData().Add("Other", "dropped");
    ReportVariables::SetTextBinding(*text, { "%s / %s" }, { "A", "B" });
    EXPECT_EQ(text->UserData().Count(), 3);
    EXPECT_EQ(text->UserData().GetValue("VariableCount"), "2");
    EXPECT_EQ(text->UserData().GetValue("var_1"), "B");
    EXPECT_EQ(ReportVariables::TextBinding(*text), (QStringList { "A", "B" }));

    ReportVariables::SetTextBinding(*text, { "plain" }, {});
    EXPECT_TRUE(ReportVariables::TextBinding(*text).isEmpty());

    // A count that is not a number means no variables; a huge one is bounded.
    text->UserData().SetValue("VariableCount", "two");
    EXPECT_TRUE(ReportVariables::TextBinding(*text).isEmpty());
    text->UserData().SetValue("VariableCount", "2000000000");
    EXPECT_LE(ReportVariables::TextBinding(*text).size(), 4096);

    TMyImage* image = ReportDesign::AddImage(cad, QRectF(0, 0, 10, 10), "ImageOriginal");
    EXPECT_EQ(ReportVariables::ImageBinding(*image), "ImageOriginal");
    ReportVariables::SetImageBinding(*image, QString());
    EXPECT_EQ(image->UserData().Count(), 0);
}

TEST(ReportVariables, ImageShape_GetsTheFittedPictureAndKeepsItsBox)
{
    TempDir dir;
    const QString wide = ReportFixtures::WritePicture(dir, "wide.png", QSize(400, 300), Qt::blue);
    // A file name holding a backslash, named with the backslash doubled.
    const QString odd = ReportFixtures::WritePicture(dir, "odd\\name.png", QSize(60, 60), Qt::red);
    const QString data = WriteResultData(dir,
        { { "ImageOriginal", wide }, { "Doubled", dir.Path("odd\\\\name.png") }, { "Gone", dir.Path("gone.png") } });
    TMyCAD cad;
    TMyImage* image = ReportDesign::AddImage(cad, QRectF(10, 20, 100, 100), "ImageOriginal");
    TMyImage* doubled = ReportDesign::AddImage(cad, QRectF(10, 20, 50, 50), "Doubled");
    TMyImage* gone = ReportDesign::AddImage(cad, QRectF(10, 20, 50, 50), "Gone");
    QImage designed(8, 8, QImage::Format_RGB888);
    designed.fill(Qt::green);
    gone->SetBitmap(designed);
    const auto boxBefore = image->Nodes();

    ASSERT_TRUE(ReportVariables::FillReportVariables(cad, data));
    EXPECT_EQ(image->Bitmap().size(), QSize(400, 400)); // the box's proportions, the picture's resolution
    EXPECT_EQ(image->Nodes(), boxBefore);
    EXPECT_EQ(QColor(image->Bitmap().pixel(200, 10)), QColor(Qt::white));
    EXPECT_EQ(QColor(image->Bitmap().pixel(200, 200)), QColor(Qt::blue));
    EXPECT_EQ(doubled->Bitmap().size(), QSize(60, 60));
    EXPECT_EQ(gone->Bitmap().size(), QSize(8, 8)); // no file: the designed picture stays
    Q_UNUSED(odd);
}

TEST(ReportVariables, UnreadablePicture_ReportedAndTheOtherShapesStillFilled)
{
    TempDir dir;
    const QString broken = dir.Write("broken.bmp", "BM not really a bitmap");
    const QString data = WriteResultData(dir, { { "ImageOriginal", broken }, { "Name", "Ada" } });
    TMyCAD cad;
    ReportDesign::AddImage(cad, QRectF(0, 0, 100, 100), "ImageOriginal");
    AddText(cad, { "%s" }, { "Name" });
    TestSupport::MessageCapture messages;
    EXPECT_FALSE(ReportVariables::FillReportVariables(cad, data));
    EXPECT_EQ(messages.Messages(), QStringList { ReportMessages::kImageError + broken });
    EXPECT_EQ(LinesAt(cad, 1), QStringList { "Ada" });
}
