#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

// One run of pelorix-cli (the path comes from the build) with its exit code and output.
struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QString err;
    QJsonObject Json() const { return QJsonDocument::fromJson(out).object(); }
};

inline CliRun RunCli(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(PELORIX_CLI), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    CliRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}
