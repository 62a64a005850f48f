#include "common/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#if defined(__linux__)
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#if defined(__linux__)
// The name under which a finished file waits the moment before it replaces the old
// one: hidden, beside it, with the process id so that leftovers of a dead process
// can be told apart from a save that is running.
QString LinkName(const QFileInfo& target, qint64 pid)
{
    return target.absolutePath() + QStringLiteral("/.") + target.fileName() + QLatin1Char('.') + QString::number(pid)
        + QStringLiteral(".saving");
}

// Removes the waiting names of processes that died between their two last steps.
void RemoveLeftovers(const QFileInfo& target)
{
    const QString prefix = QStringLiteral(".") + target.fileName() + QLatin1Char('.');
    const QDir dir(target.absolutePath());
    const QStringList names
        = dir.entryList({ prefix + QStringLiteral("*.saving") }, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        bool ok = false;
        const qint64 pid = name.mid(prefix.size(), name.size() - prefix.size() - 7).toLongLong(&ok);
        if (ok && pid > 0
            && (pid == QCoreApplication::applicationPid() || (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)))
            QFile::remove(dir.filePath(name));
    }
}
#endif

} // namespace

AtomicFile::AtomicFile(QString path, bool ownerOnly)
    : m_path(std::move(path))
    , m_ownerOnly(ownerOnly)
{
}

AtomicFile::~AtomicFile()
{
    Cancel();
}

bool AtomicFile::Open()
{
    Cancel();
    m_error.clear();
#if defined(__linux__)
    const QFileInfo target(m_path);
    const QByteArray dir = QFile::encodeName(target.absolutePath());
    m_fd = ::open(dir.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, m_ownerOnly ? 0600 : 0666);
    if (m_fd >= 0) {
        struct stat existing;
        if (!m_ownerOnly && ::stat(QFile::encodeName(m_path).constData(), &existing) == 0)
            ::fchmod(m_fd, existing.st_mode & 07777);
        if (m_unnamed.open(m_fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            return true;
        m_error = m_unnamed.errorString();
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    // A file system without unnamed files: the usual temporary file beside the target.
#endif
    m_fallback = std::make_unique<QSaveFile>(m_path);
    if (m_fallback->open(QIODevice::WriteOnly)) {
        if (m_ownerOnly)
            m_fallback->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return true;
    }
    m_error = m_fallback->errorString();
    m_fallback.reset();
    return false;
}

QIODevice& AtomicFile::Device()
{
    if (m_fallback)
        return *m_fallback;
    return m_unnamed;
}

bool AtomicFile::Commit()
{
    if (m_fallback) {
        const bool done = m_fallback->commit();
        if (!done)
            m_error = m_fallback->errorString();
        m_fallback.reset();
        return done;
    }
#if defined(__linux__)
    if (m_fd < 0) {
        m_error = QStringLiteral("the file is not open");
        return false;
    }
    bool done = m_unnamed.flush() && ::fsync(m_fd) == 0;
    if (!done)
        m_error = m_unnamed.errorString();
    m_unnamed.close();
    if (done) {
        const QFileInfo target(m_path);
        RemoveLeftovers(target);
        const QByteArray link = QFile::encodeName(LinkName(target, QCoreApplication::applicationPid()));
        const QByteArray self = QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(m_fd);
        done = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, link.constData(), AT_SYMLINK_FOLLOW) == 0
            && ::rename(link.constData(), QFile::encodeName(m_path).constData()) == 0;
        if (!done) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            ::unlink(link.constData());
        }
    }
    ::close(m_fd);
    m_fd = -1;
    return done;
#else
    return false;
#endif
}

void AtomicFile::Cancel()
{
    if (m_fallback) {
        m_fallback->cancelWriting();
        m_fallback.reset();
    }
#if defined(__linux__)
    if (m_fd >= 0) {
        m_unnamed.close();
        ::close(m_fd); // an unnamed file vanishes with its last descriptor
        m_fd = -1;
    }
#endif
}
