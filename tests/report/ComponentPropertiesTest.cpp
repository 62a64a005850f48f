// The property model of the designer's inspector: which properties each class
// publishes, how values are shown, and that edits go through the canvas's own
// setters (group propagation, rotation, flips) and refuse text that does not fit.
#include "report/ComponentProperties.h"

#include "canvas/TMyCAD.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "report/ReportTemplate.h"
#include "tests/canvas/CanvasBuilders.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace {

QStringList Names(const std::vector<ComponentProperty>& list)
{
    QStringList names;
    for (const auto& p : list)
        names.append(p.name);
    return names;
}

class ComponentPropertiesTest : public ::testing::Test
{
protected:
    TMyShape* AddText()
    {
        const int id = cad.AddShape(SpText, QStringLiteral("Hello"), 0.0f,
            { QPointF(10, 10), QPointF(110, 10), QPointF(110, 50), QPointF(10, 50) }, QStringLiteral("Text1"));
        return cad.ShapeById(id);
    }

    TMyCAD cad;
};

TEST_F(ComponentPropertiesTest, List_Text_SortedWithClassPropertiesAndNoEvents)
{
    ComponentProperties props(cad, AddText());
    const QStringList names = Names(props.List());
    EXPECT_EQ(props.ClassName(), "TMyText");
    for (const char* name : { "Angle", "Brush", "Caption", "Font", "HAlignment", "Lines", "Locked", "MultiInfo", "Name",
             "Pen", "UserData", "VAlignment", "WordWrap", "ShowSideHot" })
        EXPECT_TRUE(names.contains(QString::fromLatin1(name))) << name;
    EXPECT_FALSE(names.contains("OnClick"));
    EXPECT_FALSE(names.contains("Bitmap"));
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end(),
        [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(names, sorted);

    const auto hAlign = props.Find("HAlignment");
    ASSERT_TRUE(hAlign);
    EXPECT_EQ(hAlign->kind, PropertyKind::Enumeration);
    EXPECT_EQ(hAlign->valueNames, QStringList({ "taLeftJustify", "taRightJustify", "taCenter" }));
    EXPECT_EQ(hAlign->value, "taCenter");
    EXPECT_EQ(props.Value("VAlignment"), "vaMiddle");
    EXPECT_EQ(props.Value("IsSolid"), "True");
    EXPECT_EQ(props.Value("Name"), "Text1");

    const auto pen = props.Find("Pen");
    ASSERT_TRUE(pen);
    EXPECT_EQ(pen->value, "(TPen)");
    EXPECT_EQ(Names(pen->children), QStringList({ "Color", "Mode", "Style", "Width" }));
    EXPECT_EQ(pen->children[3].path, "Pen.Width");
    EXPECT_EQ(props.Find("pen.width")->path, "Pen.Width");
    EXPECT_EQ(props.Value("Font.Style"), "[]");
    EXPECT_EQ(props.Find("Font.Style")->children.size(), 4u);
}

TEST_F(ComponentPropertiesTest, List_ImageLineAndRuleLine_HaveTheirClassProperties)
{
    TMyShape* image = cad.AppendShape(std::make_unique<TMyImage>(&cad));
    ComponentProperties imageProps(cad, image);
    const QStringList imageNames = Names(imageProps.List());
    for (const char* name : { "Bitmap", "Border", "Brightness", "Contrast", "GrayScale", "Transparent" })
        EXPECT_TRUE(imageNames.contains(QString::fromLatin1(name))) << name;
    EXPECT_EQ(imageProps.Value("Bitmap"), "(None)");

    const int lineId = CanvasBuilders::AddLine(cad, 0, 0, 50, 0);
    ComponentProperties lineProps(cad, cad.ShapeById(lineId));
    const QStringList lineNames = Names(lineProps.List());
    for (const char* name : { "ArrowAngle", "ArrowLength", "ArrowOffset", "ArrowStyle" })
        EXPECT_TRUE(lineNames.contains(QString::fromLatin1(name))) << name;
    EXPECT_FALSE(lineNames.contains("TickStyle"));
    EXPECT_FALSE(lineNames.contains("ShowSideHot"));

    const int ruleId = CanvasBuilders::AddLine(cad, 0, 0, 50, 0, SpRuleLine);
    ComponentProperties ruleProps(cad, cad.ShapeById(ruleId));
    EXPECT_EQ(ruleProps.Value("ArrowStyle"), "ADouble");
    EXPECT_EQ(ruleProps.Value("TickStyle"), "tsLine");
}

TEST_F(ComponentPropertiesTest, List_Canvas_PublishedPropertiesWithReadOnlyVersion)
{
    ComponentProperties props(cad, nullptr);
    EXPECT_EQ(props.ClassName(), "TMyCAD");
    const QStringList names = Names(props.List());
    for (const char* name : { "ArrowStyle", "BkBitmap", "ColorOfBackGround", "GridOperation", "PageStyle",
             "PageFootFont", "Ratio", "TheUNIT", "UndoRedoSize", "UserData", "Version", "XYMode", "Zoom" })
        EXPECT_TRUE(names.contains(QString::fromLatin1(name))) << name;
    EXPECT_EQ(props.Value("Version"), "XP.h.3");
    EXPECT_EQ(props.Find("Version")->kind, PropertyKind::ReadOnly);
    EXPECT_EQ(props.Value("ColorOfBackGround"), "clWhite");
    EXPECT_EQ(props.Value("ColorOfHot"), "clGray");
    EXPECT_EQ(props.Value("GridOperation.GridColor"), "clSilver");
    EXPECT_EQ(props.Value("PageStyle"), "A4");
    EXPECT_EQ(props.Value("Zoom"), "1");

    QString error;
    EXPECT_FALSE(props.SetValue("Version", "XP.x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(props.SetValue("NoSuchThing", "1", &error));
}

TEST(ComponentPropertiesColor, ColorText_NamesAndHex_RoundTrip)
{
    EXPECT_EQ(ComponentProperties::ColorText(0xFFFFFF), "clWhite");
    EXPECT_EQ(ComponentProperties::ColorText(0x000000), "clBlack");
    EXPECT_EQ(ComponentProperties::ColorText(0x0000FF), "clRed");
    EXPECT_EQ(ComponentProperties::ColorText(int32_t(0xFF00000F)), "clBtnFace");
    EXPECT_EQ(ComponentProperties::ColorText(0x00C0DCC1), "$00C0DCC1");
    EXPECT_EQ(ComponentProperties::ParseColor("$00C0DCC1"), 0x00C0DCC1);
    EXPECT_EQ(ComponentProperties::ParseColor("clwhite"), 0xFFFFFF);
    EXPECT_EQ(ComponentProperties::ParseColor(" 255 "), 0xFF);
    EXPECT_EQ(ComponentProperties::ParseColor("$FF000005"), int32_t(0xFF000005));
    EXPECT_FALSE(ComponentProperties::ParseColor("red"));
    EXPECT_FALSE(ComponentProperties::ParseColor("$123456789"));
    EXPECT_FALSE(ComponentProperties::ParseColor(""));
}

TEST_F(ComponentPropertiesTest, SetValue_StyleProperties_ChangeTheShape)
{
    TMyShape* text = AddText();
    auto* t = static_cast<TMyText*>(text);
    ComponentProperties props(cad, text);

    EXPECT_TRUE(props.SetValue("Pen.Width", "3"));
    EXPECT_EQ(text->Pen().width, 3);
    EXPECT_TRUE(props.SetValue("pen.color", "clRed"));
    EXPECT_EQ(text->Pen().color, 0x0000FF);
    EXPECT_TRUE(props.SetValue("Brush.Style", "bsClear"));
    EXPECT_EQ(text->Brush().style, bsClear);
    EXPECT_TRUE(props.SetValue("Font.Size", "12"));
    EXPECT_EQ(text->Font().size, 12);
    EXPECT_EQ(text->Font().height, -16);
    EXPECT_TRUE(props.SetValue("Font.Style", "[fsBold, fsItalic]"));
    EXPECT_EQ(text->Font().style, fsBold | fsItalic);
    EXPECT_TRUE(props.SetValue("Font.Style.fsBold", "False"));
    EXPECT_EQ(text->Font().style, fsItalic);
    EXPECT_EQ(props.Value("Font.Style"), "[fsItalic]");
    EXPECT_TRUE(props.SetValue("HAlignment", "taLeftJustify"));
    EXPECT_EQ(t->HAlignment(), taLeftJustify);
    EXPECT_TRUE(props.SetValue("WordWrap", "true"));
    EXPECT_TRUE(t->WordWrap());
    EXPECT_TRUE(props.SetValue("ColorBegin", "$00112233"));
    EXPECT_EQ(text->ColorBegin(), 0x112233);
    EXPECT_TRUE(props.SetValue("Lines", "first\r\nsecond"));
    EXPECT_EQ(t->Lines(), QStringList({ "first", "second" }));
    EXPECT_TRUE(props.SetLines("MultiInfo", { "a", "b", "c" }));
    EXPECT_EQ(text->MultiInfo(), QStringList({ "a", "b", "c" }));

    TMyFont font = text->Font();
    font.name = QStringLiteral("Tahoma");
    EXPECT_TRUE(props.SetFont("Font", font));
    EXPECT_EQ(text->Font().name, "Tahoma");
}

TEST_F(ComponentPropertiesTest, SetValue_UserData_ReplacesPairsAndRefusesDuplicates)
{
    TMyShape* text = AddText();
    text->UserData().Add("Old", "1");
    ComponentProperties props(cad, text);
    EXPECT_TRUE(props.SetValue("UserData", " Type = C \nThickness=40\n"));
    EXPECT_EQ(text->UserData().Count(), 2);
    EXPECT_EQ(text->UserData().GetValue("Type"), "C");
    EXPECT_FALSE(text->UserData().Contains("Old"));

    QString error;
    EXPECT_FALSE(props.SetValue("UserData", "A=1\nA=2", &error));
    EXPECT_TRUE(error.contains("A"));
    EXPECT_FALSE(props.SetValue("UserData", "no pair here", &error));
    EXPECT_FALSE(props.SetValue("UserData", "=1", &error));
    EXPECT_EQ(text->UserData().Count(), 2);

    TUserData data;
    data.Add("Key", "Value");
    EXPECT_TRUE(props.SetUserData("UserData", data));
    EXPECT_EQ(text->UserData(), data);
}

TEST_F(ComponentPropertiesTest, SetValue_BadText_RefusedAndNothingChanged)
{
    TMyShape* text = AddText();
    ComponentProperties props(cad, text);
    const TMyPen pen = text->Pen();
    const TMyFont font = text->Font();
    QString error;
    EXPECT_FALSE(props.SetValue("Pen.Width", "wide", &error));
    EXPECT_EQ(error, "'wide' is not a valid integer value");
    EXPECT_FALSE(props.SetValue("Pen.Width", "-1", &error));
    EXPECT_FALSE(props.SetValue("Tag", "99999999999", &error));
    EXPECT_FALSE(props.SetValue("Angle", "nan", &error));
    EXPECT_FALSE(props.SetValue("Angle", "1e100", &error));
    EXPECT_FALSE(props.SetValue("Pen.Style", "psWavy", &error));
    EXPECT_EQ(error, "Invalid property value");
    EXPECT_FALSE(props.SetValue("Visible", "maybe", &error));
    EXPECT_FALSE(props.SetValue("Font.Name", "  ", &error));
    EXPECT_FALSE(props.SetValue("Font.Style", "[fsBold,fsShadow]", &error));
    EXPECT_FALSE(props.SetValue("Brush.Color", "greenish", &error));
    EXPECT_FALSE(props.SetValue("Font", "Arial", &error));
    EXPECT_EQ(text->Pen(), pen);
    EXPECT_EQ(text->Font(), font);
    EXPECT_EQ(text->Angle(), 0.0f);
    EXPECT_TRUE(text->Visible());
}

TEST_F(ComponentPropertiesTest, SetValue_Name_MustBeAnUnusedIdentifier)
{
    TMyShape* first = AddText();
    TMyShape* second = AddText();
    second->SetName(QStringLiteral("Text2"));
    ComponentProperties props(cad, second);
    QString error;
    EXPECT_FALSE(props.SetValue("Name", "text1", &error));
    EXPECT_EQ(error, "A component named text1 already exists");
    EXPECT_FALSE(props.SetValue("Name", "2nd", &error));
    EXPECT_EQ(second->Name(), "Text2");
    EXPECT_TRUE(props.SetValue("Name", "PatientName"));
    EXPECT_EQ(second->Name(), "PatientName");
    EXPECT_TRUE(props.SetValue("Name", "PatientName")); // its own name is no clash
    EXPECT_EQ(first->Name(), "Text1");
}

TEST_F(ComponentPropertiesTest, SetValue_OnGroup_PropagatesToMembers)
{
    CanvasBuilders::AddRect(cad, 0, 0, 20, 20);
    CanvasBuilders::AddRect(cad, 40, 0, 20, 20);
    TMyShape* group = CanvasBuilders::Group(cad, { 0, 1 });
    ComponentProperties props(cad, group);

    EXPECT_TRUE(props.SetValue("Pen.Color", "clBlue"));
    EXPECT_TRUE(props.SetValue("Font.Name", "Courier"));
    EXPECT_TRUE(props.SetValue("GradientStyle", "gsLinearH"));
    EXPECT_TRUE(props.SetValue("Locked", "True"));
    for (int i = 0; i < 2; ++i) {
        const TMyShape* member = cad.ShapeByIndex(i);
        EXPECT_EQ(member->Pen().color, 0xFF0000);
        EXPECT_EQ(member->Font().name, "Courier");
        EXPECT_EQ(member->GradientStyle(), gsLinearH);
        EXPECT_TRUE(member->Locked());
    }
}

TEST_F(ComponentPropertiesTest, SetValue_AngleAndFlip_TurnAndMirrorTheNodes)
{
    const int id = CanvasBuilders::AddLine(cad, 0, 0, 100, 0);
    TMyShape* line = cad.ShapeById(id);
    ComponentProperties props(cad, line);
    EXPECT_TRUE(props.SetValue("Angle", "1.5707964"));
    EXPECT_NEAR(line->Nodes()[0].x, 50.0, 1e-3);
    EXPECT_NEAR(line->Nodes()[0].y, -50.0, 1e-3);
    EXPECT_EQ(props.Value("Angle"), "1.5707964");

    // A locked shape keeps its angle: the canvas would not turn its nodes.
    EXPECT_TRUE(props.SetValue("Locked", "True"));
    QString error;
    EXPECT_FALSE(props.SetValue("Angle", "0", &error));
    EXPECT_EQ(error, "The shape is locked");
    EXPECT_EQ(props.Value("Angle"), "1.5707964");
    EXPECT_NEAR(line->Nodes()[0].y, -50.0, 1e-3);

    const int other = CanvasBuilders::AddLine(cad, 0, 0, 100, 0);
    TMyShape* flipped = cad.ShapeById(other);
    ComponentProperties flipProps(cad, flipped);
    EXPECT_TRUE(flipProps.SetValue("IsFlipHorz", "True"));
    EXPECT_TRUE(flipped->IsFlipHorz());
    EXPECT_FLOAT_EQ(flipped->Nodes()[0].x, 100.0f);
}

TEST_F(ComponentPropertiesTest, SetValue_ImageProperties_RangeAndPictureFile)
{
    TMyShape* image = cad.AppendShape(std::make_unique<TMyImage>(&cad));
    auto* i = static_cast<TMyImage*>(image);
    ComponentProperties props(cad, image);
    EXPECT_TRUE(props.SetValue("Brightness", "-40"));
    EXPECT_EQ(i->Brightness(), -40);
    EXPECT_FALSE(props.SetValue("Contrast", "300"));
    EXPECT_EQ(i->Contrast(), 0);

    TestSupport::TempDir dir;
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString path = dir.Path("red.bmp");
    ASSERT_TRUE(picture.save(path));
    EXPECT_TRUE(props.SetValue("Bitmap", path));
    EXPECT_EQ(i->Bitmap().size(), QSize(8, 6));
    EXPECT_EQ(props.Value("Bitmap"), "(TBitmap)");

    QString error;
    EXPECT_FALSE(props.SetValue("Bitmap", dir.Path("missing.bmp"), &error));
    EXPECT_TRUE(error.startsWith("Cannot load the picture"));
    EXPECT_EQ(i->Bitmap().size(), QSize(8, 6));
    EXPECT_TRUE(props.SetValue("Bitmap", ""));
    EXPECT_TRUE(i->Bitmap().isNull());
}

TEST_F(ComponentPropertiesTest, SetValue_CanvasPage_FollowsTheCanvasRules)
{
    ComponentProperties props(cad, nullptr);
    EXPECT_TRUE(props.SetValue("PageOrientation", "poLandscape"));
    EXPECT_EQ(cad.PageWidth(), 297);
    EXPECT_EQ(props.Value("PageHeight"), "210");
    EXPECT_TRUE(props.SetValue("PageWidth", "250"));
    EXPECT_EQ(props.Value("PageStyle"), "CustomerPage");
    EXPECT_FALSE(props.SetValue("PageWidth", "0"));
    EXPECT_FALSE(props.SetValue("Zoom", "0"));
    EXPECT_FALSE(props.SetValue("Zoom", "1000"));
    EXPECT_TRUE(props.SetValue("Zoom", "1,5"));
    EXPECT_DOUBLE_EQ(cad.Zoom(), 1.5);
    EXPECT_FALSE(props.SetValue("GridOperation.GridWidth", "0"));
    EXPECT_TRUE(props.SetValue("GridOperation.GridWidth", "10"));
    EXPECT_EQ(cad.GridOperation().GridWidth, 10.0);
    EXPECT_FALSE(props.SetValue("Ratio", "-2"));
    EXPECT_TRUE(props.SetValue("ShapeTool", "SpEllipse"));
    EXPECT_EQ(cad.ShapeTool(), SpEllipse);
}

TEST_F(ComponentPropertiesTest, SetValue_CanvasStreamProperties_SurviveTemplateSaveAndLoad)
{
    AddText();
    ComponentProperties props(cad, nullptr);
    cad.SetModified(false);
    EXPECT_TRUE(props.SetValue("Ratio", "0.25"));
    EXPECT_TRUE(cad.Modified());
    EXPECT_TRUE(props.SetValue("ColorOfBackGround", "clCream"));
    EXPECT_TRUE(props.SetValue("TheUNIT", "cm"));
    EXPECT_TRUE(props.SetValue("BkBitmapMode", "Stretch"));
    EXPECT_TRUE(props.SetValue("Tag", "7"));
    EXPECT_TRUE(props.SetValue("UserData", "Report=Hair"));

    TestSupport::TempDir dir;
    const QString path = dir.Path("t.zrp");
    QString error;
    ASSERT_TRUE(ReportTemplate::SaveReportTemplate(cad, path, &error)) << error.toStdString();
    TMyCAD loaded;
    ASSERT_TRUE(ReportTemplate::LoadReportTemplate(loaded, path));
    ComponentProperties again(loaded, nullptr);
    EXPECT_EQ(again.Value("Ratio"), "0.25");
    EXPECT_EQ(again.Value("ColorOfBackGround"), "clCream");
    EXPECT_EQ(again.Value("TheUNIT"), "cm");
    EXPECT_EQ(again.Value("BkBitmapMode"), "Stretch");
    EXPECT_EQ(again.Value("Tag"), "7");
    EXPECT_EQ(loaded.UserData().GetValue("Report"), "Hair");
}

} // namespace
