#include "report/ReportTemplate.h"

#include "report/ReportContext.h"
#include "report/zip/TZipObj.h"
#include "tests/report/ReportFixtures.h"

#include <QDir>
#include <QFile>

#include <unzip.h>
#include <zip.h>

#include <gtest/gtest.h>

using TestSupport::TempDir;

namespace {

struct MemberInfo
{
    int count = 0;
    QString name;
    int method = -1;
    quint32 dosDate = 0;
    QByteArray content;
};

// What minizip reads from an archive: member count and the first member.
MemberInfo ReadArchive(const QString& path)
{
    MemberInfo result;
    unzFile uf = unzOpen64(QFile::encodeName(path).constData());
    if (!uf)
        return result;
    unz_global_info64 global;
    if (unzGetGlobalInfo64(uf, &global) == UNZ_OK)
        result.count = int(global.number_entry);
    char name[256];
    unz_file_info64 info;
    if (unzGoToFirstFile(uf) == UNZ_OK
        && unzGetCurrentFileInfo64(uf, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK) {
        result.name = QString::fromLatin1(name);
        result.method = int(info.compression_method);
        result.dosDate = quint32(info.dosDate);
        if (unzOpenCurrentFile(uf) == UNZ_OK) {
            result.content.resize(qsizetype(info.uncompressed_size));
            unzReadCurrentFile(uf, result.content.data(), unsigned(result.content.size()));
            unzCloseCurrentFile(uf);
        }
    }
    unzClose(uf);
    return result;
}

void WriteArchive(const QString& path, const std::vector<std::pair<QByteArray, QByteArray>>& members)
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

// A design with a bound text and an image box.
void FillDesign(TMyCAD& cad)
{
    ReportDesign::AddText(cad, QRectF(40, 40, 300, 30), { QStringLiteral("Name: %s") }, {}, { QStringLiteral("Name") });
    ReportDesign::AddImage(cad, QRectF(40, 100, 200, 150), QStringLiteral("ImageOriginal"));
}

// Keeps the temporary folder of the test run apart, to see what is left in it.
class ReportTemplateTest : public ::testing::Test
{
protected:
    TempDir m_dir;
    TempDir m_temp;
    TestSupport::ScopedEnv m_env { "TEMP", QFile::encodeName(m_temp.Root()) };

    QStringList LeftInTemp() const
    {
        return QDir(m_temp.Root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
};

} // namespace

TEST_F(ReportTemplateTest, SaveThenLoad_OneDeflatedMemberAndTheSameDesign)
{
    TMyCAD design;
    FillDesign(design);
    const QString archive = m_dir.Path("report.zrp");
    QString error;
    ASSERT_TRUE(ReportTemplate::SaveReportTemplate(design, archive, &error)) << qPrintable(error);

    const MemberInfo member = ReadArchive(archive);
    EXPECT_EQ(member.count, 1);
    EXPECT_EQ(member.name, QStringLiteral("temp_dirpt.rpt"));
    EXPECT_EQ(member.method, Z_DEFLATED);
    EXPECT_EQ(member.content, ReportTemplate::CanvasBytes(design));

    TMyCAD loaded;
    ASSERT_TRUE(ReportTemplate::LoadReportTemplate(loaded, archive));
    EXPECT_EQ(ReportTemplate::CanvasBytes(loaded), ReportTemplate::CanvasBytes(design));
    EXPECT_TRUE(LeftInTemp().isEmpty()) << qPrintable(LeftInTemp().join(' '));

    // Saving again replaces the archive instead of adding a member.
    ASSERT_TRUE(ReportTemplate::SaveReportTemplate(loaded, archive));
    EXPECT_EQ(ReadArchive(archive).count, 1);
}

TEST_F(ReportTemplateTest, SaveWithFixedTime_SameBytesAndThatMemberTime)
{
    TMyCAD design;
    FillDesign(design);
    const QDateTime fixed(QDate(2026, 1, 1), QTime(12, 0), Qt::LocalTime);
    ASSERT_TRUE(ReportTemplate::SaveReportTemplate(design, m_dir.Path("a.zrp"), nullptr, fixed));
    ASSERT_TRUE(ReportTemplate::SaveReportTemplate(design, m_dir.Path("b.zrp"), nullptr, fixed));
    EXPECT_EQ(TestSupport::ReadAll(m_dir.Path("a.zrp")), TestSupport::ReadAll(m_dir.Path("b.zrp")));
    EXPECT_EQ(TZipObj::FromDosDateTime(ReadArchive(m_dir.Path("a.zrp")).dosDate), fixed);
}

TEST_F(ReportTemplateTest, SaveToMissingFolder_FailsWithReasonAndLeavesNothing)
{
    TMyCAD design;
    QString error;
    EXPECT_FALSE(ReportTemplate::SaveReportTemplate(design, m_dir.Path("missing/report.zrp"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(LeftInTemp().isEmpty());
}

TEST_F(ReportTemplateTest, RawDesign_IsTheArchiveMemberByteForByte)
{
    TMyCAD design;
    FillDesign(design);
    ASSERT_TRUE(design.SaveToFile(m_dir.Path("report.nrd")));
    ASSERT_TRUE(ReportTemplate::SaveReportTemplate(design, m_dir.Path("report.zrp")));
    EXPECT_EQ(ReadArchive(m_dir.Path("report.zrp")).content, TestSupport::ReadAll(m_dir.Path("report.nrd")));

    TMyCAD fromRaw;
    ASSERT_TRUE(ReportTemplate::OpenReportDesign(fromRaw, m_dir.Path("report.nrd")));
    TMyCAD fromArchive;
    ASSERT_TRUE(ReportTemplate::OpenReportDesign(fromArchive, m_dir.Path("report.zrp")));
    EXPECT_EQ(ReportTemplate::CanvasBytes(fromRaw), ReportTemplate::CanvasBytes(fromArchive));
    EXPECT_EQ(fromRaw.ShapeCount(), 2);
}

TEST_F(ReportTemplateTest, MemberNameInOtherCaseAndFurtherMembers_StillLoads)
{
    TMyCAD design;
    FillDesign(design);
    const QByteArray stream = ReportTemplate::CanvasBytes(design);
    const QString archive = m_dir.Path("other.zrp");
    WriteArchive(archive, { { "readme.txt", "hello" }, { "TEMP_DIRPT.RPT", stream }, { "../escape.rpt", stream } });
    TMyCAD loaded;
    ASSERT_TRUE(ReportTemplate::LoadReportTemplate(loaded, archive));
    EXPECT_EQ(loaded.ShapeCount(), 2);
    EXPECT_TRUE(LeftInTemp().isEmpty());
    EXPECT_FALSE(QFile::exists(m_temp.Root() + "/../escape.rpt"));
}

// Archives that cannot give a design leave the design as it was, with the
// reason in the status text and no message to the operator.
TEST_F(ReportTemplateTest, UnusableArchives_LeaveTheDesignUnchanged)
{
    TMyCAD design;
    FillDesign(design);
    const QByteArray stream = ReportTemplate::CanvasBytes(design);
    WriteArchive(m_dir.Path("wrong-member.zrp"), { { "design.rpt", stream } });
    WriteArchive(m_dir.Path("climbing.zrp"), { { "../temp_dirpt.rpt", stream } });
    WriteArchive(m_dir.Path("not-canvas.zrp"), { { "temp_dirpt.rpt", "PK but not a canvas stream" } });
    WriteArchive(m_dir.Path("cut-stream.zrp"), { { "temp_dirpt.rpt", stream.left(stream.size() - 40) } });
    WriteArchive(m_dir.Path("whole.zrp"), { { "temp_dirpt.rpt", stream } });
    const QByteArray whole = TestSupport::ReadAll(m_dir.Path("whole.zrp"));
    m_dir.Write("truncated.zrp", whole.left(whole.size() / 2));
    m_dir.Write("text.zrp", "not an archive");

    for (const char* name : { "missing.zrp", "wrong-member.zrp", "climbing.zrp", "not-canvas.zrp", "cut-stream.zrp",
             "truncated.zrp", "text.zrp", "no-folder/x.zrp" }) {
        SCOPED_TRACE(name);
        ReportContext context;
        ReportDesign::AddText(context.MyCADPrint(), QRectF(0, 0, 10, 10), { QStringLiteral("kept") });
        const QByteArray before = ReportTemplate::CanvasBytes(context.MyCADPrint());
        TestSupport::MessageCapture messages;
        EXPECT_FALSE(context.LoadReportTemplate(m_dir.Path(QString::fromLatin1(name))));
        EXPECT_EQ(ReportTemplate::CanvasBytes(context.MyCADPrint()), before);
        EXPECT_FALSE(context.StatusText().isEmpty());
        EXPECT_TRUE(messages.Messages().isEmpty());
        EXPECT_TRUE(LeftInTemp().isEmpty());
    }
}
