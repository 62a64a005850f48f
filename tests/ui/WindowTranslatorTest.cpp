// Applying language files to windows by component names, with the list rules.
#include "tests/ui/UiTestSupport.h"

#include "common/LanguageFile.h"
#include "common/ui/LabeledEdit.h"
#include "common/ui/LanguageTemplate.h"
#include "common/ui/RadioGroup.h"
#include "common/ui/WindowTranslator.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFontComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTreeWidget>

namespace {

LanguageFile FileOf(const QStringList& lines)
{
    LanguageFile file;
    file.LoadFromBytes(TestSupport::CrLf(lines));
    return file;
}

template <typename T> T* Add(QWidget& window, const char* name)
{
    auto* widget = new T;
    widget->setParent(&window);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

TEST(WindowTranslator, MenuCaption_OnlyItsOwnSectionApplies)
{
    QWidget window;
    window.setObjectName(QStringLiteral("FormMain"));
    auto* print = new QAction(QStringLiteral("Drucken..."), &window);
    print->setObjectName(QStringLiteral("Drucken1"));
    WindowTranslator::Apply(FileOf({ "[FormOther]", "FormMain.Drucken1.Caption=Elsewhere" }), window);
    EXPECT_EQ(print->text(), QStringLiteral("Drucken..."));
    WindowTranslator::Apply(FileOf({ "[FormMain]", "FormMain.Drucken1.Caption=Print" }), window);
    EXPECT_EQ(print->text(), QStringLiteral("Print"));
}

TEST(WindowTranslator, WindowInstanceName_ReadsTheSharedSection)
{
    QWidget window;
    window.setObjectName(QStringLiteral("FormX_2"));
    QLabel* label = Add<QLabel>(window, "LabelA");
    WindowTranslator::Apply(
        FileOf({ "[FormX]", "FormX.Caption=Title", "FormX.LabelA.Caption=Text", "FormX.LabelA.Hint=Tip" }), window);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Title"));
    EXPECT_EQ(label->text(), QStringLiteral("Text"));
    EXPECT_EQ(label->toolTip(), QStringLiteral("Tip"));
}

TEST(WindowTranslator, ListRules_MemoGapComboCountCheckListDefault)
{
    QWidget window;
    window.setObjectName(QStringLiteral("FormT"));
    auto* memo = Add<QPlainTextEdit>(window, "Memo1");
    memo->setPlainText(QStringLiteral("old"));
    auto* combo = Add<QComboBox>(window, "Combo1");
    combo->addItems({ QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c") });
    auto* list = Add<QListWidget>(window, "CheckList1");
    list->addItems({ QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z") });
    auto* radio = Add<RadioGroup>(window, "Radio1");
    radio->SetItems({ QStringLiteral("r0"), QStringLiteral("r1") });
    auto* edit = Add<LabeledEdit>(window, "Edit1");
    auto* tree = Add<QTreeWidget>(window, "Tree1");
    tree->setHeaderLabels({ QStringLiteral("h0"), QStringLiteral("h1") });
    tree->header()->setObjectName(QStringLiteral("Header1"));

    WindowTranslator::Apply(
        FileOf({ "[FormT]", "FormT.Memo1.Lines[0]=one", "FormT.Memo1.Lines[1]=two", "FormT.Memo1.Lines[3]=four",
            "FormT.Combo1.Items[0]=A", "FormT.Combo1.Items[1]=", "FormT.Combo1.Items[3]=D", "FormT.Combo1.Items[5]=F",
            "FormT.CheckList1.Items[0]=fsdef", "FormT.CheckList1.Items[1]=", "FormT.CheckList1.Items[2]=Z",
            "FormT.Radio1.Items[1]=R1", "FormT.Edit1.EditLabel.Caption=Label", "FormT.Header1.Section[1]=H1" }),
        window);

    EXPECT_EQ(memo->toPlainText(), QStringLiteral("one\ntwo"));
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("A"));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("b")); // empty keeps the entry
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("x")); // "fsdef" keeps it
    EXPECT_EQ(list->item(1)->text(), QString()); // empty empties it
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("Z"));
    EXPECT_EQ(radio->Item(1), QStringLiteral("R1"));
    EXPECT_EQ(edit->EditLabel()->text(), QStringLiteral("Label"));
    EXPECT_EQ(tree->headerItem()->text(1), QStringLiteral("H1"));
}

TEST(WindowTranslator, DerivedClass_GetsOnlyCaptionAndHint)
{
    QWidget window;
    window.setObjectName(QStringLiteral("FormD"));
    auto* fonts = new QFontComboBox(&window); // a QComboBox subclass
    fonts->setObjectName(QStringLiteral("Fonts1"));
    const QString first = fonts->itemText(0);
    WindowTranslator::Apply(FileOf({ "[FormD]", "FormD.Fonts1.Items[0]=changed", "FormD.Fonts1.Hint=tip" }), window);
    EXPECT_EQ(fonts->itemText(0), first);
    EXPECT_EQ(fonts->toolTip(), QStringLiteral("tip"));
}

TEST(WindowTranslator, OwnedDialog_IsNotPartOfTheWindow_MenusAre)
{
    QWidget window;
    window.setObjectName(QStringLiteral("FormMain"));
    auto* dialog = new QDialog(&window);
    dialog->setObjectName(QStringLiteral("FormScale"));
    QLabel* inner = Add<QLabel>(*dialog, "Label1");
    auto* menu = new QMenu(QStringLiteral("Datei"), &window);
    menu->setObjectName(QStringLiteral("Datei1"));
    WindowTranslator::Apply(
        FileOf({ "[FormMain]", "FormMain.Label1.Caption=wrong", "FormMain.Datei1.Caption=File" }), window);
    EXPECT_EQ(inner->text(), QString());
    EXPECT_EQ(menu->title(), QStringLiteral("File"));
}

TEST(WindowTranslator, Template_RoundTripsThroughApply)
{
    QWidget window;
    window.setObjectName(QStringLiteral("FormR"));
    window.setWindowTitle(QStringLiteral("Fenster"));
    QLabel* label = Add<QLabel>(window, "LabelA");
    label->setText(QStringLiteral("Größe"));
    const QByteArray bytes = LanguageTemplate::Build({ &window });
    label->setText(QStringLiteral("changed"));
    window.setWindowTitle(QStringLiteral("changed"));
    LanguageFile file;
    file.LoadFromBytes(bytes);
    WindowTranslator::Apply(file, window);
    EXPECT_EQ(label->text(), QStringLiteral("Größe"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Fenster"));
}
