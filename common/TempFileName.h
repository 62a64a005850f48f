#pragma once

#include <QString>

#include <QFile>

#include <memory>
#include <optional>

// Temporary files: the folder named by the environment variable TEMP, then
// prefix + "_PID_" + process id + "_" + a per-process counter + "." + extension.
namespace TempFileName {

// The temporary folder with a trailing "/": TEMP when set and an existing folder,
// otherwise the platform's temporary folder (TMPDIR or /tmp here).
QString Directory();

// Creates a new empty file exclusively (never opening a file someone else made),
// readable and writable by the owner only, and returns its path. Names whose file
// already exists are skipped. Nothing and an error text when no file could be made.
std::optional<QString> Create(const QString& prefix, const QString& extension, QString* error = nullptr);

// The same, but the file stays open for writing: what is written goes into the very
// file that was created, never into whatever carries its name by then.
std::unique_ptr<QFile> CreateOpen(const QString& prefix, const QString& extension, QString* error = nullptr);

} // namespace TempFileName
