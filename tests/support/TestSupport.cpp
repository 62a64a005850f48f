#include "tests/support/TestSupport.h"

#include "common/Cp1252.h"

#include <QFile>

#include <gtest/gtest.h>

namespace TestSupport {

QString DataPath(const QString& relative)
{
    return QStringLiteral(PELORIX_DATA_DIR "/") + relative;
}

QString FixturePath(const QString& relative)
{
    return QStringLiteral(PELORIX_TEST_DATA_DIR "/") + relative;
}

TempDir::TempDir()
{
    EXPECT_TRUE(m_dir.isValid());
}

QString TempDir::Path(const QString& name) const
{
    return m_dir.filePath(name);
}

QString TempDir::Write(const QString& name, const QByteArray& bytes) const
{
    const QString path = Path(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray CrLf(const QStringList& lines)
{
    QByteArray out;
    for (const QString& line : lines)
        out += Cp1252::Encode(line) + "\r\n";
    return out;
}

MessageCapture::MessageCapture()
{
    m_previous = MessageSink::SetHandler([this](const QString& text) { m_messages << text; });
}

MessageCapture::~MessageCapture()
{
    MessageSink::SetHandler(std::move(m_previous));
}

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value)
    : m_name(name)
    , m_old(qgetenv(name))
    , m_had(qEnvironmentVariableIsSet(name))
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

ScopedEnv::~ScopedEnv()
{
    if (m_had)
        qputenv(m_name, m_old);
    else
        qunsetenv(m_name);
}

} // namespace TestSupport
