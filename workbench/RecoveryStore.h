#pragma once

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

class Workbench;

// The copy of unsaved marks that survives a crash: one per running instance, in a
// folder of the operator's own. An instance holds a lock beside its files while it
// runs; files whose lock died with their process are orphans, offered at the next
// start until the operator saves or discards them. The picture is written once per
// picture, the marks (a measurement without picture) on every change. Both are
// readable by their owner only from the moment they exist.
class RecoveryStore
{
public:
    // Takes this instance's lock in `folder` (made when missing).
    explicit RecoveryStore(QString folder);
    // Releases the lock; files with unsaved marks stay behind as an orphan.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    // The marks file of this instance (it exists while unsaved marks do).
    QString MarksPath() const { return m_base + QStringLiteral(".nvm"); }
    QString PicturePath() const { return m_base + QStringLiteral(".bmp"); }

    // Writes the workbench's marks (and its picture when it is new); with no
    // marks left the files go. False with a reason when a file could not be written.
    bool Write(Workbench& workbench, QString* error = nullptr);
    // Removes this instance's files (the marks were saved or emptied).
    void Remove();

    // The marks files of instances that ended without saving, newest first. Each
    // stays locked by this instance until restored or discarded, so two starting
    // instances never offer the same one.
    QStringList Orphans();
    // Loads an orphan onto the workbench (picture, then marks) and makes its files
    // this instance's own; the marks count as unsaved. False when it could not be read.
    bool Restore(Workbench& workbench, const QString& orphan);
    // Deletes an orphan's files: the operator does not want the marks back.
    void Discard(const QString& orphan);

private:
    static QString BaseOf(const QString& marksPath);
    void ReleaseOrphan(const QString& orphan);

    QString m_folder;
    QString m_base;
    std::unique_ptr<QLockFile> m_lock;
    qint64 m_pictureKey = 0;
    std::map<QString, std::unique_ptr<QLockFile>> m_orphanLocks;
};
