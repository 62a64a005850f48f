#include "common/LanguageFile.h"
#include "common/LanguageTable.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using TestSupport::CrLf;

namespace {

LanguageFile FileOf(const QStringList& lines)
{
    LanguageFile file;
    file.LoadFromBytes(CrLf(lines));
    return file;
}

} // namespace

TEST(LanguageTable, BuiltInTexts_AreGermanWithEnglishResultRows)
{
    const LanguageTable table = LanguageTable::Pelorix();
    EXPECT_EQ(table.WindowName(), QStringLiteral("FormLang"));
    EXPECT_EQ(table.Caption(), QStringLiteral("Language"));
    EXPECT_EQ(table.Text("LabelOriginEdited"), QStringLiteral("erkannt, korrigiert"));
    EXPECT_EQ(table.Entries().size(), 74u);
    EXPECT_EQ(table.Text("MessageImageRequired"), QStringLiteral("Bitte erst Meßbild laden!"));
    EXPECT_EQ(table.Text("MessageMeasureExists"),
        QStringLiteral("Maßstab exisitert bereits. Soll der vorhandene Maßstab gelöscht werden?"));
    EXPECT_EQ(table.Text("LabelFollicularUnit"), QStringLiteral("Follikuläre Einheit"));
    EXPECT_EQ(table.Text("LabelFollicularUnitDensity"), QStringLiteral("Fol. Unit Density"));
    EXPECT_EQ(table.Text("FileNameManual"), QStringLiteral("Handbuch.pdf"));
    EXPECT_FALSE(table.Text("MessageInvalidValueScaleWarn").isEmpty());
    EXPECT_EQ(table.GroupCaption("GroupBoxObjects"), QStringLiteral("Objects"));
    // A misspelt label shows itself rather than an empty message.
    EXPECT_EQ(table.Text("LabelNoSuch"), QStringLiteral("LabelNoSuch"));

    const LanguageTable prelvo = LanguageTable::Prelvo();
    EXPECT_EQ(prelvo.Entries().size(), 3u);
    EXPECT_EQ(prelvo.Text("FileNotFound"), QStringLiteral("Datei %s nicht gefunden."));
    EXPECT_EQ(prelvo.Text("MessageCloseDataExpl"), QStringLiteral("Änderungen speichern?"));
}

TEST(LanguageTable, Apply_ReplacesNonEmptyCaptionsOfItsOwnSectionOnly)
{
    LanguageTable table = LanguageTable::Pelorix();
    table.Apply(FileOf({ "[FormMain]", "FormLang.LabelWidth.Caption=Width", "[FormLang]", "FormLang.Caption=Sprache",
        "FormLang.LabelLength.Caption=Length",
        "FormLang.LabelHeight.Caption=", "FormLang.GroupBoxMessages.Caption=Meldungen",
        "FormLang.LabelArea.Caption=Fl\xE4"
        "che 2" }));
    EXPECT_EQ(table.Text("LabelLength"), QStringLiteral("Length"));
    EXPECT_EQ(table.Text("LabelHeight"), QStringLiteral("Höhe")); // empty value keeps the built-in text
    EXPECT_EQ(table.Text("LabelWidth"), QStringLiteral("Breite")); // key in another section has no effect
    EXPECT_EQ(table.Caption(), QStringLiteral("Sprache"));
    EXPECT_EQ(table.GroupCaption("GroupBoxMessages"), QStringLiteral("Meldungen"));
}

TEST(LanguageTable, Apply_Utf8FileWithMark)
{
    LanguageTable table = LanguageTable::Pelorix();
    LanguageFile file;
    file.LoadFromBytes(
        "\xEF\xBB\xBF[FormLang]\r\nFormLang.LabelLength.Caption=\xD0\x94\xD0\xBB\xD0\xB8\xD0\xBD\xD0\xB0\r\n");
    table.Apply(file);
    EXPECT_EQ(table.Text("LabelLength"), QStringLiteral("Длина"));
}

TEST(LanguageFile, WindowName_IsThePartBeforeTheFirstUnderscore)
{
    EXPECT_EQ(LanguageFile::WindowName("FormX_2"), QStringLiteral("FormX"));
    EXPECT_EQ(LanguageFile::WindowName("FormMain"), QStringLiteral("FormMain"));
    EXPECT_EQ(LanguageFile::WindowName("A_B_C"), QStringLiteral("A"));
    const LanguageFile file = FileOf({ "[FormX]", "FormX.Caption=Title", "FormX.Button1.Caption=OK" });
    EXPECT_EQ(file.WindowCaption(LanguageFile::WindowName("FormX_2")), QStringLiteral("Title"));
}

TEST(LanguageFile, ComponentRules)
{
    const LanguageFile file = FileOf({
        "[FormMain]",
        "FormMain.Drucken1.Caption=Print",
        "FormMain.Drucken1.Hint=Prints the report",
        "FormMain.Memo1.Lines[0]=first",
        "FormMain.Memo1.Lines[1]=",
        "FormMain.Memo1.Lines[3]=after the gap",
        "FormMain.Memo2.Lines[1]=no line 0",
        "FormMain.Check1.Items[0]=fsdef",
        "FormMain.Check1.Items[1]=",
        "FormMain.Check1.Items[2]=Third",
        "FormMain.Edit1.EditLabel.Caption=",
        "FormMain.Combo1.Items[0]=",
        "FormMain.Combo1.Items[5]=Six",
        "FormMain.Header1.Section[1]=Wert",
    });
    const QString w = "FormMain";
    EXPECT_EQ(file.Caption(w, "Drucken1"), QStringLiteral("Print"));
    EXPECT_EQ(file.Hint(w, "Drucken1"), QStringLiteral("Prints the report"));
    EXPECT_FALSE(file.Caption(w, "NoSuchButton"));
    EXPECT_EQ(file.MemoLines(w, "Memo1"), (QStringList { "first", "" }));
    EXPECT_FALSE(file.MemoLines(w, "Memo2"));
    EXPECT_FALSE(file.CheckListItem(w, "Check1", 0)); // "fsdef" keeps the built-in text
    EXPECT_EQ(file.CheckListItem(w, "Check1", 1), QString());
    EXPECT_EQ(file.CheckListItem(w, "Check1", 2), QStringLiteral("Third"));
    EXPECT_FALSE(file.CheckListItem(w, "Check1", 3));
    EXPECT_EQ(file.EditLabelCaption(w, "Edit1"), QString());
    EXPECT_FALSE(file.ListItem(w, "Combo1", 0));
    EXPECT_EQ(file.ListItem(w, "Combo1", 5), QStringLiteral("Six"));
    EXPECT_FALSE(file.HeaderSection(w, "Header1", 0));
    EXPECT_EQ(file.HeaderSection(w, "Header1", 1), QStringLiteral("Wert"));
}

TEST(LanguageFile, Load_MissingFileIsFalse)
{
    LanguageFile file;
    EXPECT_FALSE(file.Load("/no/such/PelorixLang.ini"));
    EXPECT_FALSE(file.Caption("FormMain", "Drucken1"));
}
