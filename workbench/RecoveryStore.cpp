#include "workbench/RecoveryStore.h"

#include "common/AtomicFile.h"
#include "workbench/MeasurementFile.h"
#include "workbench/Workbench.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>

namespace {

const QString kStem = QStringLiteral("Pelorix-recovery");

std::atomic<int> g_instances { 0 };

bool WriteOwnerOnly(const QString& path, const std::function<bool(QIODevice&)>& write, QString* error)
{
    AtomicFile file(path, true);
    if (file.Open() && write(file.Device()) && file.Commit())
        return true;
    if (error)
        *error = path + QStringLiteral(": ") + file.ErrorString();
    file.Cancel();
    return false;
}

// Replaces `to` by `from` in one step.
bool MoveOver(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

} // namespace

RecoveryStore::RecoveryStore(QString folder)
    : m_folder(std::move(folder))
{
    QDir().mkpath(m_folder);
    // The process id keeps instances apart; the counter, windows of one process.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        m_base = QDir(m_folder).filePath(kStem + QLatin1Char('-') + QString::number(QCoreApplication::applicationPid())
            + QLatin1Char('-') + QString::number(g_instances++));
        if (QFileInfo::exists(MarksPath()))
            continue; // an earlier window of this process left it: an orphan now
        m_lock = std::make_unique<QLockFile>(m_base + QStringLiteral(".lock"));
        m_lock->setStaleLockTime(0);
        if (m_lock->tryLock(0) || m_lock->error() != QLockFile::LockFailedError)
            break; // locked, or a folder that takes no files: the writes will say so
    }
}

RecoveryStore::~RecoveryStore()
{
    m_orphanLocks.clear();
    m_lock.reset();
}

QString RecoveryStore::BaseOf(const QString& marksPath)
{
    return marksPath.left(marksPath.size() - 4);
}

bool RecoveryStore::Write(Workbench& workbench, QString* error)
{
    if (workbench.Tree().Empty()) {
        Remove();
        return true;
    }
    const QImage picture = workbench.Canvas().BkBitmap();
    if (!picture.isNull() && picture.cacheKey() != m_pictureKey) {
        if (!WriteOwnerOnly(
                PicturePath(), [&](QIODevice& device) { return picture.save(&device, "BMP"); }, error))
            return false;
        m_pictureKey = picture.cacheKey();
    }
    return WriteOwnerOnly(
        MarksPath(), [&](QIODevice& device) { return MeasurementFile(workbench).WriteMeasurement(device, false); },
        error);
}

void RecoveryStore::Remove()
{
    QFile::remove(MarksPath());
    QFile::remove(PicturePath());
    m_pictureKey = 0;
}

QStringList RecoveryStore::Orphans()
{
    QFileInfoList found = QDir(m_folder).entryInfoList(
        { kStem + QStringLiteral("-*.nvm"), kStem + QStringLiteral(".nvm") }, QDir::Files, QDir::Time);
    QStringList orphans;
    for (const QFileInfo& info : found) {
        const QString path = info.absoluteFilePath();
        if (BaseOf(path) == m_base)
            continue;
        if (m_orphanLocks.count(path) == 0) {
            auto lock = std::make_unique<QLockFile>(BaseOf(path) + QStringLiteral(".lock"));
            lock->setStaleLockTime(0);
            if (!lock->tryLock(0))
                continue; // its instance is still running
            m_orphanLocks.emplace(path, std::move(lock));
        }
        orphans << path;
    }
    return orphans;
}

bool RecoveryStore::Restore(Workbench& workbench, const QString& orphan)
{
    MeasurementFile files(workbench);
    const QString picture = BaseOf(orphan) + QStringLiteral(".bmp");
    if (QFileInfo::exists(picture) && !files.LoadPicture(picture, false))
        return false;
    if (!files.LoadMeasurement(orphan))
        return false;
    // The restored marks are this instance's unsaved marks now.
    Remove();
    MoveOver(orphan, MarksPath());
    if (QFileInfo::exists(picture) && MoveOver(picture, PicturePath()))
        m_pictureKey = workbench.Canvas().BkBitmap().cacheKey();
    ReleaseOrphan(orphan);
    workbench.Canvas().SetModified(true);
    return true;
}

void RecoveryStore::Discard(const QString& orphan)
{
    QFile::remove(orphan);
    QFile::remove(BaseOf(orphan) + QStringLiteral(".bmp"));
    ReleaseOrphan(orphan);
}

void RecoveryStore::ReleaseOrphan(const QString& orphan)
{
    m_orphanLocks.erase(orphan); // unlocking removes the lock file
}
