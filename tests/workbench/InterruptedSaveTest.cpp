// A measurement save killed at random moments: the previous file always stays
// whole and loadable, and nothing is left beside it.
#include "tests/workbench/FilesFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

TEST_F(FilesTest, SaveKilledAtRandomMoments_PreviousFileIntactAndNoTemporaryFileLeft)
{
    LoadOperatorPicture(1200, 900);
    Calibrate("152", "1", "mm");
    for (int i = 0; i < 200; ++i)
        Hair(20 + i * 5, 40, 30 + i * 5, 400, 300 + i);
    const QString folder = dir.Path(QStringLiteral("cases"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/case.nvm");
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(files.SaveMeasurement(path, true));
    const qint64 saveMicroseconds = std::max<qint64>(timer.nsecsElapsed() / 1000, 1000);
    const QByteArray previous = TestSupport::ReadAll(path);

    QRandomGenerator random(20261209);
    for (int round = 0; round < 50; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The same measurement again and again, as a slow operator's Ctrl+S would.
            for (;;)
                files.SaveMeasurement(path, true);
        }
        ::usleep(useconds_t(random.bounded(int(3 * saveMicroseconds))));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        EXPECT_EQ(TestSupport::ReadAll(path), previous) << round;
        // The complete file waits under a hidden name only between its last two system
        // calls (link, rename): a kill in those microseconds leaves it, and the next
        // save removes it since its process is gone.
        const QString waiting = QStringLiteral(".case.nvm.%1.saving").arg(child);
        QStringList found = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
        if (found.removeAll(waiting) > 0) {
            ASSERT_TRUE(files.SaveMeasurement(path, true));
            EXPECT_FALSE(QFileInfo::exists(folder + QLatin1Char('/') + waiting)) << round;
        }
        EXPECT_EQ(found, QStringList { "case.nvm" }) << round;
    }
    ScriptedPrompt freshPrompt;
    Workbench fresh(freshPrompt);
    EXPECT_TRUE(MeasurementFile(fresh).LoadMeasurement(path));
    EXPECT_EQ(fresh.Tree().Count(), 200);
}
