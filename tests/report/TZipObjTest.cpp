#include "report/zip/TZipObj.h"

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <zip.h>

#include <gtest/gtest.h>

using TestSupport::TempDir;

namespace {

// Writes an archive with the given member names and contents, as any zip tool might.
void WriteRawArchive(const QString& path, const std::vector<std::pair<QByteArray, QByteArray>>& members)
{
    zipFile zf = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    ASSERT_NE(zf, nullptr);
    for (const auto& [name, content] : members) {
        zip_fileinfo zi {};
        ASSERT_EQ(
            zipOpenNewFileInZip(zf, name.constData(), &zi, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 7), ZIP_OK);
        ASSERT_EQ(zipWriteInFileInZip(zf, content.constData(), unsigned(content.size())), ZIP_OK);
        ASSERT_EQ(zipCloseFileInZip(zf), ZIP_OK);
    }
    ASSERT_EQ(zipClose(zf, nullptr), ZIP_OK);
}

struct Recorder
{
    QList<int> codes;
    QStringList texts;
    int lastFile = -1;
    int lastTotal = -1;

    void Attach(TZipObj& zip)
    {
        zip.OnZipMessage = [this](TZipObj&, const QString& text, int code) {
            codes << code;
            texts << text;
        };
        zip.OnFileProgress = [this](TZipObj&, int p) { lastFile = p; };
        zip.OnTotalProgress = [this](TZipObj&, int p) { lastTotal = p; };
    }
};

} // namespace

TEST(TZipObj, ZipOneFile_OneDeflatedMemberUnderItsBareName)
{
    TempDir dir;
    const QByteArray content = QByteArray("Vellmar Component ").repeated(2000);
    const QString file = dir.Write("temp_dirpt.rpt", content);
    const QString archive = dir.Path("Report.zrp");
    TZipObj zip;
    Recorder rec;
    rec.Attach(zip);
    ASSERT_EQ(zip.ZipFiles({ file }, archive, 7, false), 0);
    EXPECT_EQ(rec.codes.front(), zmOpeningOutputFile);
    EXPECT_EQ(rec.codes.back(), zmArchiveCreated);
    EXPECT_TRUE(rec.texts.contains("Adding file temp_dirpt.rpt to " + archive + " ..."));
    EXPECT_EQ(rec.lastTotal, 100);

    const QByteArray bytes = TestSupport::ReadAll(archive);
    ASSERT_TRUE(bytes.startsWith("PK\x03\x04"));
    EXPECT_EQ(bytes[8], 8); // deflate
    EXPECT_EQ(bytes.mid(30, 14), QByteArray("temp_dirpt.rpt"));
    EXPECT_LT(bytes.size(), content.size() / 10);
    EXPECT_EQ(bytes.count("PK\x01\x02"), 1); // one central directory entry

    // Zipping again replaces the archive rather than adding to it.
    ASSERT_EQ(zip.ZipFiles({ file }, archive, 7, false), 0);
    EXPECT_EQ(TestSupport::ReadAll(archive).count("PK\x01\x02"), 1);

    QDir().mkpath(dir.Path("out"));
    TZipObj unzip;
    ASSERT_EQ(unzip.UnzipFiles(archive, "temp_dirpt.rpt", dir.Path("out"), true, true, true), 0);
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("out/temp_dirpt.rpt")), content);
}

TEST(TZipObj, ZipFolder_MembersRelativeToTheSharedFolder)
{
    TempDir dir;
    QDir().mkpath(dir.Path("a/sub"));
    dir.Write("a/x.txt", "x");
    dir.Write("a/sub/y.txt", "y");
    TZipObj zip;
    ASSERT_EQ(
        zip.ZipFiles({ dir.Path("a"), dir.Path("a/x.txt"), dir.Path("missing") }, dir.Path("f.zip"), 0, false), 0);
    QStringList listing;
    ASSERT_EQ(zip.UnzipFiles(dir.Path("f.zip"), "", dir.Path("out"), false, false, false, &listing), 0);
    QStringList names;
    for (const QString& row : listing)
        names << row.section('\t', 0, 0);
    names.sort();
    EXPECT_EQ(names, (QStringList { "sub/", "sub/y.txt", "x.txt" }));
    EXPECT_EQ(zip.ZipFiles({}, dir.Path("none.zip"), 7, false), 0);
    EXPECT_FALSE(QFile::exists(dir.Path("none.zip")));
}

TEST(TZipObj, Unzip_LooksUpMembersWithoutLetterCase)
{
    TempDir dir;
    WriteRawArchive(dir.Path("t.zrp"), { { "readme.txt", "other" }, { "TEMP_DIRPT.RPT", "design" } });
    TZipObj zip;
    ASSERT_EQ(zip.UnzipFiles(dir.Path("t.zrp"), "temp_dirpt.rpt\n", dir.Root(), true, true, true), 0);
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("TEMP_DIRPT.RPT")), QByteArray("design"));
    EXPECT_FALSE(QFile::exists(dir.Path("readme.txt")));
}

TEST(TZipObj, Unzip_MissingMemberOrArchive_FailsWithMessage)
{
    TempDir dir;
    WriteRawArchive(dir.Path("t.zrp"), { { "other.rpt", "x" } });
    TZipObj zip;
    Recorder rec;
    rec.Attach(zip);
    EXPECT_EQ(zip.UnzipFiles(dir.Path("t.zrp"), "temp_dirpt.rpt", dir.Root(), true, true, true), 2);
    EXPECT_EQ(rec.texts.last(), QStringLiteral("File temp_dirpt.rpt not found in the zipfile!"));

    EXPECT_NE(zip.UnzipFiles(dir.Path("no/such.zrp"), "temp_dirpt.rpt", dir.Root(), true, true, true), 0);
    EXPECT_EQ(rec.codes.last(), zmErrOpenArchive);

    const QByteArray whole = TestSupport::ReadAll(dir.Path("t.zrp"));
    const QString truncated = dir.Write("cut.zrp", whole.left(whole.size() / 2));
    EXPECT_NE(zip.UnzipFiles(truncated, "other.rpt", dir.Path("out"), true, true, true), 0);
}

TEST(TZipObj, Unzip_HostileNamesNeverLeaveTheDestination)
{
    TempDir dir;
    QDir().mkpath(dir.Path("dest"));
    WriteRawArchive(dir.Path("evil.zip"),
        { { "../escape.txt", "1" }, { "..\\..\\escape2.txt", "2" }, { "/tmp/pelorix-absolute-escape.txt", "3" },
            { "ok/inner.txt", "4" } });
    TZipObj zip;
    // Keeping folders: the climbing and absolute names are refused.
    for (const char* name : { "../escape.txt", "..\\..\\escape2.txt", "/tmp/pelorix-absolute-escape.txt" })
        EXPECT_NE(zip.UnzipFiles(dir.Path("evil.zip"), name, dir.Path("dest"), true, true, false), 0) << name;
    EXPECT_FALSE(QFile::exists(dir.Path("escape.txt")));
    EXPECT_FALSE(QFile::exists("/tmp/pelorix-absolute-escape.txt"));
    EXPECT_EQ(zip.UnzipFiles(dir.Path("evil.zip"), "ok/inner.txt", dir.Path("dest"), true, true, false), 0);
    EXPECT_TRUE(QFile::exists(dir.Path("dest/ok/inner.txt")));

    // Ignoring folders, as templates are read: only the last part of the name counts.
    EXPECT_EQ(zip.UnzipFiles(dir.Path("evil.zip"), "../escape.txt", dir.Path("dest"), true, true, true), 0);
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("dest/escape.txt")), QByteArray("1"));
    EXPECT_FALSE(QFile::exists(dir.Path("escape.txt")));
}

TEST(TZipObj, Unzip_ExistingFileAsksUnlessOverwriting)
{
    TempDir dir;
    WriteRawArchive(dir.Path("t.zip"), { { "a.txt", "new" } });
    dir.Write("a.txt", "old");
    TZipObj zip;
    QString asked;
    zip.OnAskOverwrite = [&](const QString& text, const QString& title) {
        asked = title + ": " + text;
        return TZipObj::Answer::No;
    };
    EXPECT_EQ(zip.UnzipFiles(dir.Path("t.zip"), "a.txt", dir.Root(), true, false, true), 0);
    EXPECT_EQ(asked, "Please confirm: The file " + dir.Path("a.txt") + " exists already. Overwrite?");
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("a.txt")), QByteArray("old"));

    zip.OnAskOverwrite = [](const QString&, const QString&) { return TZipObj::Answer::Cancel; };
    EXPECT_EQ(zip.UnzipFiles(dir.Path("t.zip"), "a.txt", dir.Root(), true, false, true), 1);
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("a.txt")), QByteArray("old"));

    EXPECT_EQ(zip.UnzipFiles(dir.Path("t.zip"), "a.txt", dir.Root(), true, true, true), 0);
    EXPECT_EQ(TestSupport::ReadAll(dir.Path("a.txt")), QByteArray("new"));
}

TEST(TZipObj, Messages_FillPlaceholdersLiterally)
{
    EXPECT_EQ(TZipObj::MessageText(zmAddingFile, { "a%sb", "c.zip" }), QStringLiteral("Adding file a%sb to c.zip ..."));
    EXPECT_EQ(TZipObj::MessageText(zmErrReadFile, { "%n%x" }), QStringLiteral("Error reading %n%x!"));
    EXPECT_EQ(TZipObj::MessageText(999), QStringLiteral("Unknown error occured!"));
    EXPECT_EQ(TZipObj::MessageText(zmPleaseConfirm), QStringLiteral("Please confirm"));
}

TEST(TZipObj, DosDateTime_RoundTripsToTwoSeconds)
{
    const QDateTime t(QDate(2026, 12, 9), QTime(13, 45, 31), Qt::LocalTime);
    EXPECT_EQ(TZipObj::FromDosDateTime(TZipObj::ToDosDateTime(t)), t.addSecs(-1));
}
