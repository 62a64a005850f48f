// The recovery file of unsaved marks: one per instance, owner-only from its first
// byte, the picture written once, orphans found by locks that died with their
// process, restored or discarded only on the operator's word.
#include "tests/workbench/FilesFixture.h"

#include "workbench/RecoveryStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class RecoveryTest : public FilesTest
{
protected:
    QString folder = dir.Path(QStringLiteral("recovery"));

    void Measure(int hairs)
    {
        LoadOperatorPicture(300, 200);
        Calibrate("152", "1", "mm");
        for (int i = 0; i < hairs; ++i)
            Hair(10 + i * 10, 20, 15 + i * 10, 150, 400 + i);
    }

    static mode_t Mode(const QString& path)
    {
        struct stat info;
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
    }
};

} // namespace

TEST_F(RecoveryTest, Write_OwnerOnlyMarksOnEveryChange_PictureOnce)
{
    Measure(3);
    RecoveryStore store(folder);
    ASSERT_TRUE(store.Write(wb));
    EXPECT_EQ(Mode(store.MarksPath()), 0600u);
    EXPECT_EQ(Mode(store.PicturePath()), 0600u);
    // A change rewrites the marks only.
    ASSERT_TRUE(QFile::remove(store.PicturePath()));
    const QByteArray before = TestSupport::ReadAll(store.MarksPath());
    Hair(200, 20, 210, 150, 700);
    ASSERT_TRUE(store.Write(wb));
    EXPECT_FALSE(QFile::exists(store.PicturePath()));
    EXPECT_NE(TestSupport::ReadAll(store.MarksPath()), before);
    EXPECT_LT(TestSupport::ReadAll(store.MarksPath()).size(), 300 * 200); // no picture inside
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2); // marks and lock

    // No marks left: the files go.
    files.ClearMeasurement();
    ASSERT_TRUE(store.Write(wb));
    EXPECT_FALSE(QFile::exists(store.MarksPath()));
}

TEST_F(RecoveryTest, Orphans_OnlyOfEndedInstances_OfferedOnce_RestoredAndAdopted)
{
    Measure(4);
    const QJsonObject measured = Json(wb);
    auto first = std::make_unique<RecoveryStore>(folder);
    ASSERT_TRUE(first->Write(wb));
    const QString firstMarks = first->MarksPath();

    RecoveryStore second(folder);
    EXPECT_TRUE(second.Orphans().isEmpty()); // the first instance still runs
    first.reset();
    ASSERT_EQ(second.Orphans(), QStringList { firstMarks });
    RecoveryStore third(folder);
    EXPECT_TRUE(third.Orphans().isEmpty()); // the second one is offering it

    ScriptedPrompt freshPrompt;
    Workbench fresh(freshPrompt);
    ASSERT_TRUE(second.Restore(fresh, firstMarks));
    EXPECT_EQ(Json(fresh)["rows"].toArray()[RowCount], measured["rows"].toArray()[RowCount]);
    EXPECT_EQ(fresh.Tree().Count(), 4);
    EXPECT_TRUE(fresh.Canvas().Modified());
    EXPECT_FALSE(QFile::exists(firstMarks));
    EXPECT_TRUE(QFile::exists(second.MarksPath()));
    EXPECT_TRUE(QFile::exists(second.PicturePath()));
    EXPECT_TRUE(third.Orphans().isEmpty());
}

TEST_F(RecoveryTest, InstanceKilled_ItsMarksAreAnOrphan_DiscardRemovesThem)
{
    Measure(2);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Written, then gone without a word: the lock stays with a dead process id.
        auto* store = new RecoveryStore(folder);
        ::_exit(store->Write(wb) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);

    RecoveryStore store(folder);
    const QStringList orphans = store.Orphans();
    ASSERT_EQ(orphans.size(), 1);
    store.Discard(orphans.front());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
        QStringList { QFileInfo(store.MarksPath()).completeBaseName() + ".lock" });
}
