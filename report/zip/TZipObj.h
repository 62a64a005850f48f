#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QFile;

// Codes of the archive messages; the texts are in TZipObj::MessageText.
enum ZipMessageCode : int {
    zmErrOpenOutputFile = 100,
    zmErrOpenFileInZip = 101,
    zmErrOpenFileForReading = 102,
    zmErrReadFile = 103,
    zmErrWriteFileInZip = 104,
    zmErrCloseFileInZip = 105,
    zmErrCloseOutputFile = 106,
    zmErrOpenArchive = 107,
    zmErrReadArchiveInfo = 108,
    zmErrReadZipFile = 109,
    zmErrWriteExtractedFile = 110,
    zmErrCloseZipFile = 111,
    zmErrFileNotFound = 112,
    zmAddingFile = 200,
    zmOpeningOutputFile = 201,
    zmArchiveCreated = 202,
    zmCreatingDirectory = 203,
    zmFileExists = 204,
    zmPleaseConfirm = 205,
    zmExtractionCancelled = 206,
    zmExtractingFile = 207,
};

// Zip archives as the report templates use them: members deflated, named
// relative to the folder the zipped files share, with the files' times and
// attributes. Extraction never writes outside the destination folder and
// never more than a member declares or kMaxMemberSize. One object serves
// one operation.
class TZipObj
{
public:
    enum class Answer { Yes, No, Cancel };

    // Largest member that extraction writes; a larger one is refused as damaged.
    static constexpr qint64 kMaxMemberSize = qint64(1) << 30;
    static constexpr int kBlockSize = 8192;

    // Optional callbacks, skipped when unset.
    std::function<void(TZipObj& zip, const QString& text, int code)> OnZipMessage;
    std::function<void(TZipObj& zip, int percent)> OnFileProgress;
    std::function<void(TZipObj& zip, int percent)> OnTotalProgress;
    // Asked before an existing file is replaced while extracting without
    // overwrite; unset means No.
    std::function<Answer(const QString& text, const QString& title)> OnAskOverwrite;

    // The message of a code with its "%s" filled in order by `args`.
    static QString MessageText(int code, const QStringList& args = {});

    // Zips files and folders (folders with everything below them) into a new
    // archive replacing any file of that name; level 0 stores. 0 or an error code.
    int ZipFiles(const QStringList& files, const QString& archive, int level, bool keepFullPaths);

    // Extracts the members named in `names` (one per line, letter case ignored;
    // an empty list means all) into `destination` (empty: the archive's folder).
    // With `ignoreFolders` each member goes straight into the destination under
    // the last part of its name. 0 when all went well; 2 when a member is missing;
    // 1 or another nonzero value on errors; -100 when the user cancelled.
    int UnzipFiles(const QString& archive, const QString& names, const QString& destination, bool extract,
        bool overwrite, bool ignoreFolders, QStringList* listing = nullptr);

    // MS-DOS date and time of a local time, and back.
    static quint32 ToDosDateTime(const QDateTime& time);
    static QDateTime FromDosDateTime(quint32 dosDateTime);

private:
    struct Entry
    {
        QString path;
        bool folder = false;
        qint64 size = 0;
    };

    void Message(int code, const QStringList& args = {});
    void FileProgress(int percent);
    void TotalProgress(int percent);
    void Advance(qint64 bytes);
    // The steps of ZipFiles: the files and everything below the named folders (each
    // once, paths that name nothing dropped); the folder all of them share; adding
    // one entry under its member name to the open archive (0 or an error code).
    static std::vector<Entry> CollectEntries(const QStringList& files);
    static QString CommonFolder(const std::vector<Entry>& entries);
    int AddEntry(void* zip, const Entry& entry, const QString& member, int level, std::vector<char>& buffer);
    // The steps of extracting the member the archive stands on (0 or an error code): a
    // folder member; the path inside the destination a file member goes to (empty when
    // its name would leave the destination); the target's folder; the member written
    // to the target, which is removed again after an error; its bytes copied, never
    // more than it declares.
    int ExtractCurrent(void* unz, const QString& destination, bool overwrite, bool ignoreFolders);
    int ExtractFolder(const QString& name, const QString& destination);
    static QString MemberTarget(const QString& name, bool ignoreFolders);
    void MakeParentFolder(const QString& target);
    int WriteCurrentMember(void* unz, const QString& name, const QString& target, quint64 size, quint32 dosDate);
    int CopyCurrentMember(void* unz, const QString& name, const QString& target, quint64 size, QFile& out);

    qint64 m_totalSize = 0;
    qint64 m_totalDone = 0;
    qint64 m_fileSize = 0;
    qint64 m_fileDone = 0;
};
