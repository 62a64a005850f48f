#include "common/TempFileName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>

namespace {

std::atomic<quint64> g_counter { 0 };

// Gives up after this many names that exist already or cannot be made.
constexpr int kMaxAttempts = 10000;

} // namespace

namespace TempFileName {

QString Directory()
{
    QString dir = qEnvironmentVariable("TEMP");
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QDir::tempPath();
    if (!dir.endsWith(QLatin1Char('/')) && !dir.endsWith(QLatin1Char('\\')))
        dir += QLatin1Char('/');
    return dir;
}

std::unique_ptr<QFile> CreateOpen(const QString& prefix, const QString& extension, QString* error)
{
    const QString dir = Directory();
    const QString stem = dir + prefix + QStringLiteral("_PID_") + QString::number(QCoreApplication::applicationPid())
        + QLatin1Char('_');
    QString lastError;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        auto file = std::make_unique<QFile>(stem + QString::number(g_counter++) + QLatin1Char('.') + extension);
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return file;
        lastError = file->errorString();
        if (!file->exists())
            break; // not a name clash: the folder itself is unusable
    }
    if (error)
        *error = QStringLiteral("cannot create a temporary file in %1: %2").arg(dir, lastError);
    return nullptr;
}

std::optional<QString> Create(const QString& prefix, const QString& extension, QString* error)
{
    const std::unique_ptr<QFile> file = CreateOpen(prefix, extension, error);
    if (!file)
        return std::nullopt;
    return file->fileName();
}

} // namespace TempFileName
