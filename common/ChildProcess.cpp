#include "common/ChildProcess.h"

#include <QDir>
#include <QFileInfo>

QString ChildProcess::ProgramBeside(const QString& name)
{
    QStringList folders;
    const QString extra = qEnvironmentVariable("PELORIX_HELPER_DIR");
    if (!extra.isEmpty())
        folders << extra;
    folders << ExecutableFolder();
    QStringList names { name };
#ifdef _WIN32
    names << name + QStringLiteral(".exe");
#endif
    for (const QString& folder : folders)
        for (const QString& candidate : names) {
            const QFileInfo program(QDir(folder).filePath(candidate));
            if (program.isFile() && program.isExecutable())
                return program.absoluteFilePath();
        }
    return {};
}

bool ChildProcess::Write(const char* data, qint64 size, const QDeadlineTimer& deadline)
{
    // Transfer only reads from data when writing.
    return TransferAll(false, const_cast<char*>(data), size, deadline);
}

bool ChildProcess::Read(char* data, qint64 size, const QDeadlineTimer& deadline)
{
    return TransferAll(true, data, size, deadline);
}

bool ChildProcess::TransferAll(bool reading, char* data, qint64 size, const QDeadlineTimer& deadline)
{
    while (size > 0) {
        const qint64 moved = Transfer(reading, data, size, deadline);
        if (moved < 0) {
            m_timedOut = true;
            return false;
        }
        if (moved == 0)
            return false;
        data += moved;
        size -= moved;
    }
    return true;
}
