#include "common/IniFile.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using TestSupport::CrLf;

namespace {

IniFile Parse(const QByteArray& bytes)
{
    IniFile ini;
    ini.LoadFromBytes(bytes);
    return ini;
}

} // namespace

TEST(IniFile, Read_NamesMatchWithoutCaseAndValueIsRestAfterFirstEquals)
{
    const IniFile ini = Parse(CrLf({ "[General]", "Sender=Host=1 ", "  Count = 3", "[image0]", "PP100mm=15230" }));
    EXPECT_EQ(ini.ReadString("general", "SENDER", "x"), QStringLiteral("Host=1 "));
    EXPECT_EQ(ini.ReadInteger("GENERAL", "count", 0), 3);
    EXPECT_EQ(ini.ReadInteger("Image0", "Pp100MM", -1), 15230);
    EXPECT_EQ(ini.ReadString("General", "Missing", "dflt"), QStringLiteral("dflt"));
}

TEST(IniFile, Read_IntegersAndBooleansFallBackToDefault)
{
    const IniFile ini = Parse(CrLf({ "[S]", "a=12abc", "b=", "c=99999999999", "d=-7", "t=2", "f=0", "n=-1", "x=yes" }));
    EXPECT_EQ(ini.ReadInteger("S", "a", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "b", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "c", 5), 5);
    EXPECT_EQ(ini.ReadInteger("S", "d", 5), -7);
    EXPECT_EQ(ini.ReadInteger("S", "nokey", 5), 5);
    EXPECT_TRUE(ini.ReadBool("S", "t", false));
    EXPECT_FALSE(ini.ReadBool("S", "f", true));
    EXPECT_TRUE(ini.ReadBool("S", "n", false));
    EXPECT_TRUE(ini.ReadBool("S", "x", true)); // not a number: the default
    EXPECT_FALSE(ini.ReadBool("S", "x", false));
}

TEST(IniFile, Read_LongValuesAreCutAt2047Characters)
{
    const QString longValue(3000, QLatin1Char('v'));
    const IniFile ini = Parse(CrLf({ "[S]", "k=" + longValue }));
    EXPECT_EQ(ini.ReadString("S", "k", {}).size(), 2047);
}

TEST(IniFile, Sections_CountOnlyWhenTheyHoldAKey)
{
    const IniFile ini = Parse(CrLf({ "[Empty]", "; comment only", "", "[Full]", "k=v", "[RecordData]" }));
    EXPECT_FALSE(ini.SectionExists("Empty"));
    EXPECT_TRUE(ini.SectionExists("full"));
    EXPECT_FALSE(ini.SectionExists("RecordData"));
    EXPECT_EQ(ini.Sections(), QStringList { "Full" });
}

TEST(IniFile, Read_FirstOfDuplicateSectionsAndKeysWins)
{
    const IniFile ini = Parse(CrLf({ "[A]", "k=1", "K=2", "[a]", "k=3", "j=4" }));
    EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
    // Keys of a later section of the same name are not seen, as with the system's functions.
    EXPECT_FALSE(ini.ValueExists("A", "j"));
}

TEST(IniFile, Read_AcceptsAnyLineEnding)
{
    const IniFile lf = Parse("[S]\na=1\nb=2\n");
    const IniFile cr = Parse("[S]\ra=1\rb=2");
    EXPECT_EQ(lf.ReadInteger("S", "b", 0), 2);
    EXPECT_EQ(cr.ReadInteger("S", "b", 0), 2);
    EXPECT_EQ(lf.ReadString("S", "a", {}), QStringLiteral("1"));
}

TEST(IniFile, Write_UpdatesInPlaceAddsKeysAtSectionEndAndSectionsAtFileEnd)
{
    IniFile ini = Parse(CrLf({ "; head", "[Form]", "Top = 10", "Left=20", "", "[Settings]", "Color=255" }));
    ini.WriteInteger("form", "LEFT", 30);
    ini.WriteString("Form", "Width", "640");
    ini.WriteBool("Settings", "Grid", true);
    ini.WriteBool("Settings", "Rulers", false);
    ini.WriteString("New", "k", "v");
    EXPECT_EQ(ini.ToBytes(),
        CrLf({ "; head", "[Form]", "Top = 10", "Left=30", "Width=640", "", "[Settings]", "Color=255", "Grid=1",
            "Rulers=0", "[New]", "k=v" }));
}

TEST(IniFile, Write_LineBreaksInValuesCannotForgeKeys)
{
    IniFile ini;
    ini.WriteString("Subject0", "Name", "Doe\r\n[General]\r\nCount=99");
    const IniFile back = Parse(ini.ToBytes());
    EXPECT_EQ(back.Sections(), QStringList { "Subject0" });
    EXPECT_EQ(back.ReadString("Subject0", "Name", {}), QStringLiteral("Doe  [General]  Count=99"));
}

TEST(IniFile, Text_IsWindows1252UnlessTheFileHasAUtf8Mark)
{
    const IniFile cp = Parse(QByteArray("[FormLang]\r\nFormLang.LabelLength.Caption=L\xE4nge \x80\r\n"));
    EXPECT_EQ(cp.ReadString("FormLang", "FormLang.LabelLength.Caption", {}), QStringLiteral("Länge €"));
    EXPECT_EQ(cp.ToBytes(), QByteArray("[FormLang]\r\nFormLang.LabelLength.Caption=L\xE4nge \x80\r\n"));

    const IniFile utf8 = Parse(QByteArray("\xEF\xBB\xBF[S]\r\nk=Gr\xC3\xB6\xC3\x9F"
                                          "e\r\n"));
    EXPECT_TRUE(utf8.IsUtf8());
    EXPECT_EQ(utf8.ReadString("S", "k", {}), QStringLiteral("Größe"));
    EXPECT_TRUE(utf8.ToBytes().startsWith("\xEF\xBB\xBF"));
}

TEST(IniFile, Utf8_OnlyTheFirstMarkBelongsToTheFile)
{
    // Found by fuzzing: further marks were dropped one per round trip.
    const QByteArray bytes("\xEF\xBB\xBF\xEF\xBB\xBF[S]\r\nk=v\r\n");
    const IniFile once = Parse(bytes);
    EXPECT_EQ(once.ToBytes(), bytes);
    EXPECT_EQ(Parse(once.ToBytes()).ToBytes(), bytes);
}

TEST(IniFile, SaveAndLoad_RoundTripThroughDisk)
{
    TestSupport::TempDir dir;
    IniFile ini(dir.Path("Pelorix.ini"));
    ASSERT_TRUE(ini.Load()); // a missing file is an empty INI
    ini.WriteString("Settings", "Unit", "µm²");
    ASSERT_TRUE(ini.Save()) << ini.ErrorString().toStdString();
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("Pelorix.ini")), QByteArray("[Settings]\r\nUnit=\xB5m\xB2\r\n"));

    IniFile again(dir.Path("Pelorix.ini"));
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.ReadString("settings", "unit", {}), QStringLiteral("µm²"));
}

TEST(IniFile, Save_IntoMissingFolder_FailsWithPathInMessage)
{
    TestSupport::TempDir dir;
    IniFile ini(dir.Path("no/such/folder/x.ini"));
    ini.WriteString("S", "k", "v");
    EXPECT_FALSE(ini.Save());
    EXPECT_TRUE(ini.ErrorString().contains("no/such/folder/x.ini"));
}

TEST(IniFile, Load_OversizedFile_IsRefused)
{
    TestSupport::TempDir dir;
    const QString path = dir.Path("big.ini");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(IniFile::kMaxFileSize + 1));
    file.close();
    IniFile ini(path);
    EXPECT_FALSE(ini.Load());
    EXPECT_TRUE(ini.ErrorString().contains("larger than"));
}
