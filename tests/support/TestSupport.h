#pragma once

#include "common/MessageSink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Test helpers shared by every suite.
namespace TestSupport {

// The shipped data folder (data/) and the test fixture folder (tests/data/).
QString DataPath(const QString& relative);
QString FixturePath(const QString& relative);

// A temporary folder removed with the object.
class TempDir
{
public:
    TempDir();
    QString Root() const { return m_dir.path(); }
    QString Path(const QString& name) const;
    // Writes bytes to a file in the folder and returns its path.
    QString Write(const QString& name, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
};

QByteArray ReadAll(const QString& path);

// Joins lines with CR LF, as the system's text files are written.
QByteArray CrLf(const QStringList& lines);

// Collects the messages shown through MessageSink while it lives.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    const QStringList& Messages() const { return m_messages; }

private:
    QStringList m_messages;
    MessageSink::Handler m_previous;
};

// Sets an environment variable for the object's life (unsets it with a null value).
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ~ScopedEnv();

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

} // namespace TestSupport
