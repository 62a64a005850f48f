#pragma once

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <memory>

// Replaces a file atomically, as QSaveFile does, but where the system allows it the
// new contents are written into a file without a name that takes the place of the
// old one only when complete: a process killed while saving leaves the previous
// file intact and no temporary file beside it. Elsewhere QSaveFile does the work.
class AtomicFile
{
public:
    // With `ownerOnly` the file is readable and writable by its owner alone from the
    // moment it is made (patient data); otherwise it keeps the old file's permissions.
    explicit AtomicFile(QString path, bool ownerOnly = false);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Starts writing; false with ErrorString when the folder cannot take the file.
    bool Open();
    // Where the contents go between Open and Commit.
    QIODevice& Device();
    // Puts the written contents in place of the file (keeping its permissions).
    bool Commit();
    // Drops what was written; the file stays as it was.
    void Cancel();
    const QString& ErrorString() const { return m_error; }

private:
    QString m_path;
    bool m_ownerOnly;
    QString m_error;
    int m_fd = -1;
    QFile m_unnamed;
    std::unique_ptr<QSaveFile> m_fallback;
};
