// The designer's property inspector, its shape chooser and its editor dialogs,
// driven without blocking dialogs.
#include "report/ui/TComponentComboBox.h"
#include "report/ui/TComponentInspector.h"
#include "report/ui/TFormKeyValueEditor.h"
#include "report/ui/TFormPictureEditor.h"

#include "canvas/TMyCAD.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyRectangle.h"
#include "canvas/widgets/TFormStringListEditor.h"
#include "tests/support/AppEnvironment.h"
#include "tests/support/ScriptedQuestions.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

const bool kRegistered = (::testing::AddGlobalTestEnvironment(new AppEnvironment<QApplication>), true);

QTreeWidgetItem* Row(QTreeWidget* tree, const QString& path)
{
    for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == path)
            return *it;
    return nullptr;
}

class ComponentInspectorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        (void)kRegistered;
        textId = cad.AddShape(SpText, QStringLiteral("Hello"), 0.0f,
            { QPointF(10, 10), QPointF(110, 10), QPointF(110, 50), QPointF(10, 50) }, QString());
        inspector.SetCanvas(&cad);
    }

    TMyShape* Text() { return cad.ShapeById(textId); }

    TMyCAD cad;
    int textId = -1;
    TComponentInspector inspector;
    TestSupport::MessageCapture messages;
};

TEST_F(ComponentInspectorTest, Inspect_Shape_ShowsItsPropertiesWithNestedRows)
{
    EXPECT_EQ(inspector.objectName(), "ComponentInspector1");
    EXPECT_EQ(inspector.Inspected(), nullptr);
    EXPECT_NE(Row(inspector.Tree(), "Version"), nullptr);

    inspector.Inspect(Text());
    EXPECT_EQ(inspector.Inspected(), Text());
    EXPECT_EQ(Row(inspector.Tree(), "Version"), nullptr);
    QTreeWidgetItem* align = Row(inspector.Tree(), "HAlignment");
    ASSERT_NE(align, nullptr);
    EXPECT_EQ(align->text(1), "taCenter");
    QTreeWidgetItem* width = Row(inspector.Tree(), "Pen.Width");
    ASSERT_NE(width, nullptr);
    EXPECT_EQ(width->parent(), Row(inspector.Tree(), "Pen"));
    EXPECT_EQ(width->text(1), "1");
}

TEST_F(ComponentInspectorTest, InPlaceEdit_ChangesTheShapeAndEmitsValueChanged)
{
    inspector.Inspect(Text());
    inspector.show();
    QSignalSpy changed(&inspector, &TComponentInspector::ValueChanged);
    QTreeWidget* tree = inspector.Tree();
    QTreeWidgetItem* width = Row(tree, "Pen.Width");
    tree->expandAll();
    tree->setCurrentItem(width, 1);
    tree->editItem(width, 1);
    auto* editor = tree->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("4"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the view commits a line edit's text through a queued call
    EXPECT_EQ(Text()->Pen().width, 4);
    EXPECT_EQ(width->text(1), "4");
    EXPECT_EQ(changed.count(), 1);

    // A drop-down for enumerations applies the chosen entry.
    QTreeWidgetItem* valign = Row(tree, "VAlignment");
    tree->setCurrentItem(valign, 1);
    tree->editItem(valign, 1);
    auto* combo = tree->findChild<QComboBox*>();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 3);
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    EXPECT_EQ(static_cast<TMyText*>(Text())->VAlignment(), vaTop);
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(ComponentInspectorTest, InPlaceEdit_BadText_ShowsTheReasonAndKeepsTheValue)
{
    inspector.Inspect(Text());
    QSignalSpy changed(&inspector, &TComponentInspector::ValueChanged);
    EXPECT_FALSE(inspector.CommitEdit("Pen.Width", "thick"));
    QCoreApplication::processEvents();
    EXPECT_EQ(messages.Messages(), QStringList({ "'thick' is not a valid integer value" }));
    EXPECT_EQ(Text()->Pen().width, 1);
    EXPECT_EQ(Row(inspector.Tree(), "Pen.Width")->text(1), "1");
    EXPECT_EQ(changed.count(), 0);
    EXPECT_FALSE(inspector.SetValue("Pen.Width", "-3"));
}

TEST_F(ComponentInspectorTest, SetValue_OnCanvasAndAfterDeletion_UsesTheLiveTarget)
{
    EXPECT_TRUE(inspector.SetValue("PageOrientation", "poLandscape"));
    EXPECT_EQ(inspector.Value("PageWidth"), "297");
    EXPECT_EQ(Row(inspector.Tree(), "PageWidth")->text(1), "297");

    inspector.Inspect(Text());
    ASSERT_TRUE(cad.DeleteShapeById(textId, false));
    EXPECT_EQ(inspector.Inspected(), nullptr);
    EXPECT_FALSE(inspector.SetValue("Caption", "gone"));
    EXPECT_EQ(inspector.Value("Caption"), "");
    inspector.Inspect(nullptr);
    EXPECT_EQ(inspector.Value("TheUNIT"), "mm");
}

TEST_F(ComponentInspectorTest, EditWithDialog_ColourFontAndLines_ApplyTheDialogsResult)
{
    inspector.Inspect(Text());
    inspector.RunDialog = [](QDialog& dialog) {
        if (auto* colour = qobject_cast<QColorDialog*>(&dialog))
            colour->setCurrentColor(QColor(0x11, 0x22, 0x33));
        else if (auto* font = qobject_cast<QFontDialog*>(&dialog)) {
            QFont f(QStringLiteral("DejaVu Sans"), 14);
            f.setBold(true);
            font->setCurrentFont(f);
        } else if (auto* lines = qobject_cast<TFormStringListEditor*>(&dialog)) {
            EXPECT_EQ(dialog.windowTitle(), "String List Editor");
            lines->SetLines({ "Name:", "Date:" });
        }
        return int(QDialog::Accepted);
    };
    EXPECT_TRUE(inspector.EditWithDialog("Brush.Color"));
    EXPECT_EQ(Text()->Brush().color, 0x332211);
    EXPECT_EQ(inspector.Value("Brush.Color"), "$00332211");
    EXPECT_TRUE(inspector.EditWithDialog("Font"));
    EXPECT_EQ(Text()->Font().size, 14);
    EXPECT_EQ(Text()->Font().style, fsBold);
    EXPECT_EQ(Text()->Font().name, "DejaVu Sans");
    EXPECT_TRUE(inspector.EditWithDialog("Lines"));
    EXPECT_EQ(static_cast<TMyText*>(Text())->Lines(), QStringList({ "Name:", "Date:" }));

    inspector.RunDialog = [](QDialog&) { return int(QDialog::Rejected); };
    EXPECT_FALSE(inspector.EditWithDialog("MultiInfo"));
    EXPECT_FALSE(inspector.EditWithDialog("Tag"));
}

TEST_F(ComponentInspectorTest, DoubleClick_ColourRow_OpensItsDialogOnce)
{
    inspector.Inspect(Text());
    inspector.resize(400, 600);
    inspector.show();
    int dialogs = 0;
    inspector.RunDialog = [&dialogs](QDialog& dialog) {
        ++dialogs;
        static_cast<QColorDialog&>(dialog).setCurrentColor(Qt::red);
        return int(QDialog::Accepted);
    };
    QTreeWidget* tree = inspector.Tree();
    QTreeWidgetItem* row = Row(tree, "ColorEnd");
    tree->scrollToItem(row);
    const QPoint centre = tree->visualItemRect(row).center();
    // A real double click: press and release, then the second press arrives as a double click.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(Text()->ColorEnd(), 0x0000FF);
    EXPECT_EQ(row->text(1), "clRed");
}

TEST_F(ComponentInspectorTest, EditWithDialog_UserData_OkReplacesThePairs)
{
    Text()->UserData().Add("Old", "x");
    inspector.Inspect(Text());
    inspector.RunDialog = [](QDialog& dialog) {
        auto* editor = qobject_cast<TFormKeyValueEditor*>(&dialog);
        EXPECT_NE(editor, nullptr);
        EXPECT_EQ(dialog.windowTitle(), "Key and Value Editor");
        editor->AskKeyValue = [](const QString&, const QString&) {
            return std::make_pair(QStringLiteral(" Variable "), QStringLiteral(" Name "));
        };
        editor->SelectRow(0);
        editor->DeleteClick();
        editor->AddClick();
        return int(QDialog::Accepted);
    };
    EXPECT_TRUE(inspector.EditWithDialog("UserData"));
    ASSERT_EQ(Text()->UserData().Count(), 1);
    EXPECT_EQ(Text()->UserData().Key(0), "Variable");
    EXPECT_EQ(Text()->UserData().Value(0), "Name");
}

TEST(ComponentComboBoxTest, Refresh_ListsCanvasThenShapes_AndChoosingInspects)
{
    (void)kRegistered;
    TMyCAD cad;
    cad.AddShape(SpText, QString(), 0.0f, { QPointF(0, 0), QPointF(9, 0), QPointF(9, 9), QPointF(0, 9) }, QString());
    const int lineId = cad.AddShape(SpLine, QString(), 0.0f, { QPointF(0, 0), QPointF(9, 9) }, QStringLiteral("Line1"));
    TComponentComboBox combo;
    TComponentInspector inspector;
    inspector.SetCanvas(&cad);
    QObject::connect(&combo, &TComponentComboBox::ComponentChosen, &inspector, &TComponentInspector::Inspect);
    QSignalSpy chosen(&combo, &TComponentComboBox::ComponentChosen);
    combo.SetCanvas(&cad);
    EXPECT_EQ(combo.objectName(), "ComponentComboBox1");
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(0), "MyCADPrint: TMyCAD");
    EXPECT_EQ(combo.itemText(1), "(noname): TMyText");
    EXPECT_EQ(combo.itemText(2), "Line1: TMyLine");
    EXPECT_EQ(chosen.count(), 0);

    combo.setCurrentIndex(2);
    EXPECT_EQ(chosen.count(), 1);
    EXPECT_EQ(inspector.Inspected(), cad.ShapeById(lineId));
    EXPECT_EQ(inspector.Value("ArrowLength"), "30");

    combo.Choose(nullptr);
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(chosen.count(), 1);

    // A shape deleted since the list was made is never handed out.
    combo.Choose(cad.ShapeById(lineId));
    ASSERT_TRUE(cad.DeleteShapeById(0, false));
    combo.setCurrentIndex(1);
    EXPECT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.currentIndex(), 0);
    ASSERT_EQ(chosen.count(), 2);
    EXPECT_EQ(chosen.back().at(0).value<TMyShape*>(), nullptr);
    EXPECT_EQ(inspector.Inspected(), nullptr);
}

class KeyValueEditorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        (void)kRegistered;
        TUserData data;
        data.Add("Type", "C");
        data.Add("Thickness", "40");
        editor.SetPairs(data);
        editor.AskKeyValue = [this](const QString& key, const QString& value) {
            asked.append(key + "=" + value);
            return answer;
        };
    }

    TFormKeyValueEditor editor;
    std::optional<std::pair<QString, QString>> answer;
    QStringList asked;
    TestSupport::MessageCapture messages;
};

TEST_F(KeyValueEditorTest, DeleteInsertEdit_WithoutSelection_AskToSelectFirst)
{
    EXPECT_EQ(editor.windowTitle(), "Key and Value Editor");
    editor.SelectRow(-1);
    answer = std::make_pair(QStringLiteral("A"), QStringLiteral("B"));
    EXPECT_FALSE(editor.DeleteClick());
    EXPECT_FALSE(editor.InsertClick());
    EXPECT_FALSE(editor.EditClick());
    EXPECT_EQ(messages.Messages(), QStringList(3, "Please select the Key/Value first."));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(editor.RowCount(), 2);
}

TEST_F(KeyValueEditorTest, AddInsertEdit_TrimAndKeepKeysUnique)
{
    answer = std::make_pair(QStringLiteral("  Unit "), QStringLiteral(" mm "));
    EXPECT_TRUE(editor.AddClick());
    editor.SelectRow(0);
    answer = std::make_pair(QStringLiteral("First"), QStringLiteral("1"));
    EXPECT_TRUE(editor.InsertClick());
    TUserData pairs = editor.Pairs();
    ASSERT_EQ(pairs.Count(), 4);
    EXPECT_EQ(pairs.Key(0), "First");
    EXPECT_EQ(pairs.Key(3), "Unit");
    EXPECT_EQ(pairs.Value(3), "mm");

    answer = std::make_pair(QStringLiteral("Type"), QStringLiteral("X"));
    EXPECT_FALSE(editor.AddClick());
    EXPECT_EQ(messages.Messages().back(), "The key \"Type\" exists already.");
    answer = std::make_pair(QStringLiteral("  "), QStringLiteral("X"));
    EXPECT_FALSE(editor.AddClick());
    EXPECT_EQ(messages.Messages().back(), "Please enter a key.");

    // Editing a row may keep its own key; the dialog starts from the row's pair.
    editor.SelectRow(1);
    answer = std::make_pair(QStringLiteral("Type"), QStringLiteral("D"));
    EXPECT_TRUE(editor.EditClick());
    EXPECT_EQ(asked.back(), "Type=C");
    EXPECT_EQ(editor.Pairs().GetValue("Type"), "D");
    answer.reset();
    EXPECT_FALSE(editor.EditClick());
    EXPECT_EQ(editor.RowCount(), 4);

    editor.SelectRow(1);
    EXPECT_TRUE(editor.DeleteClick());
    EXPECT_FALSE(editor.Pairs().Contains("Type"));
}

TEST(PictureEditorTest, LoadSaveClear_ThroughTheLoaderAndAtomically)
{
    (void)kRegistered;
    TestSupport::TempDir dir;
    ScriptedQuestions<> prompt;
    QImage source(5, 4, QImage::Format_RGB32);
    source.fill(QColor(0, 0, 255));
    const QString png = dir.Path("blue.png");
    ASSERT_TRUE(source.save(png));

    TFormPictureEditor editor;
    EXPECT_EQ(editor.windowTitle(), "Picture Editor");
    editor.SetPrompt(prompt);
    prompt.fileNames = { png };
    EXPECT_TRUE(editor.LoadClick());
    EXPECT_EQ(editor.Picture().size(), QSize(5, 4));
    EXPECT_EQ(editor.Picture().pixelColor(0, 0), QColor(0, 0, 255));

    const QString bmp = dir.Path("copy.bmp");
    prompt.fileNames = { bmp };
    EXPECT_TRUE(editor.SaveClick());
    EXPECT_EQ(QImage(bmp).size(), QSize(5, 4));
    EXPECT_FALSE(editor.SaveToFile(dir.Path("no/such/folder/x.bmp")));
    EXPECT_EQ(QImage(bmp).size(), QSize(5, 4));

    EXPECT_FALSE(editor.LoadFromFile(dir.Write("bad.bmp", "BM not a picture")));
    EXPECT_EQ(editor.Picture().size(), QSize(5, 4));
    EXPECT_EQ(prompt.messages.size(), 2);
    ASSERT_EQ(prompt.fileRequests.size(), 2);
    EXPECT_FALSE(prompt.fileRequests[0].save);
    EXPECT_TRUE(prompt.fileRequests[1].save);

    editor.Clear();
    EXPECT_TRUE(editor.Picture().isNull());
    EXPECT_FALSE(editor.SaveClick());
}

TEST_F(ComponentInspectorTest, EditWithDialog_ImageBitmap_TakesTheEditorsPicture)
{
    TMyShape* image = cad.AppendShape(std::make_unique<TMyImage>(&cad));
    inspector.Inspect(image);
    inspector.RunDialog = [](QDialog& dialog) {
        auto* editor = qobject_cast<TFormPictureEditor*>(&dialog);
        EXPECT_NE(editor, nullptr);
        QImage picture(3, 2, QImage::Format_RGB32);
        picture.fill(Qt::green);
        editor->SetPicture(picture);
        return int(QDialog::Accepted);
    };
    EXPECT_TRUE(inspector.EditWithDialog("Bitmap"));
    EXPECT_EQ(static_cast<TMyImage*>(image)->Bitmap().size(), QSize(3, 2));
    EXPECT_EQ(inspector.Value("Bitmap"), "(TBitmap)");
}

} // namespace
