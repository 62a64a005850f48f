#include "common/TempFileName.h"

#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(TempFileName, Create_UsesTempFolderPidAndGrowingCounter)
{
    TestSupport::TempDir dir;
    TestSupport::ScopedEnv temp("TEMP", QFile::encodeName(dir.Root()));
    const auto first = TempFileName::Create("imgo", "bmp");
    const auto second = TempFileName::Create("imgo", "bmp");
    ASSERT_TRUE(first && second);
    const QRegularExpression pattern(
        QStringLiteral("^imgo_PID_%1_(\\d+)\\.bmp$").arg(QCoreApplication::applicationPid()));
    const auto m1 = pattern.match(QFileInfo(*first).fileName());
    const auto m2 = pattern.match(QFileInfo(*second).fileName());
    ASSERT_TRUE(m1.hasMatch()) << first->toStdString();
    ASSERT_TRUE(m2.hasMatch()) << second->toStdString();
    EXPECT_GT(m2.captured(1).toInt(), m1.captured(1).toInt());
    EXPECT_EQ(QFileInfo(*first).absolutePath(), QFileInfo(dir.Root()).absoluteFilePath());
}

TEST(TempFileName, Create_SkipsExistingNamesAndMakesOwnerOnlyFiles)
{
    TestSupport::TempDir dir;
    TestSupport::ScopedEnv temp("TEMP", QFile::encodeName(dir.Root()));
    // Occupy the next few names the counter will hand out.
    const auto probe = TempFileName::Create("ResultDataFrameForPrint", "dff");
    ASSERT_TRUE(probe);
    const int next = QFileInfo(*probe).completeBaseName().section('_', -1).toInt() + 1;
    for (int i = next; i < next + 3; ++i)
        dir.Write(
            QStringLiteral("ResultDataFrameForPrint_PID_%1_%2.dff").arg(QCoreApplication::applicationPid()).arg(i),
            "someone else's");
    const auto made = TempFileName::Create("ResultDataFrameForPrint", "dff");
    ASSERT_TRUE(made);
    EXPECT_TRUE(made->endsWith(QStringLiteral("_%1.dff").arg(next + 3))) << made->toStdString();
    EXPECT_EQ(QFileInfo(*made).size(), 0);
    EXPECT_EQ(QFileInfo(*made).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);
}

TEST(TempFileName, Directory_WithoutUsableTemp_FallsBackToPlatformFolder)
{
    TestSupport::ScopedEnv unset("TEMP", QByteArray());
    EXPECT_EQ(TempFileName::Directory(), QDir::tempPath() + '/');
    TestSupport::ScopedEnv bogus("TEMP", "/no/such/folder");
    EXPECT_EQ(TempFileName::Directory(), QDir::tempPath() + '/');
}

TEST(TempFileName, Create_InUnusableFolder_FailsWithMessage)
{
    // A folder in which nobody, not even root, can create files.
    TestSupport::ScopedEnv temp("TEMP", "/proc");
    QString error;
    EXPECT_FALSE(TempFileName::Create("imga", "bmp", &error));
    EXPECT_TRUE(error.contains("cannot create a temporary file")) << error.toStdString();
}
