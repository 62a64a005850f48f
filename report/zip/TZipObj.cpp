#include "report/zip/TZipObj.h"

#include "common/Cp1252.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <unzip.h>
#include <zip.h>

#include <vector>

namespace {

QString MessageTemplate(int code)
{
    switch (code) {
    case zmErrOpenOutputFile:
        return QStringLiteral("Error opening output file %s!");
    case zmErrOpenFileInZip:
        return QStringLiteral("Error opening %s in zipfile!");
    case zmErrOpenFileForReading:
        return QStringLiteral("Error opening %s for reading!");
    case zmErrReadFile:
        return QStringLiteral("Error reading %s!");
    case zmErrWriteFileInZip:
        return QStringLiteral("Error writing %s in the zipfile!");
    case zmErrCloseFileInZip:
        return QStringLiteral("Error closing %s in the zipfile!");
    case zmErrCloseOutputFile:
        return QStringLiteral("Error closing output file %s!");
    case zmErrOpenArchive:
        return QStringLiteral("Cannot open archive file %s !");
    case zmErrReadArchiveInfo:
        return QStringLiteral("Error reading archive information (file %s).");
    case zmErrReadZipFile:
        return QStringLiteral("Error reading zip file %s!");
    case zmErrWriteExtractedFile:
        return QStringLiteral("Error writing extracted file %s!");
    case zmErrCloseZipFile:
        return QStringLiteral("Error closing zipfile %s!");
    case zmErrFileNotFound:
        return QStringLiteral("File %s not found in the zipfile!");
    case zmAddingFile:
        return QStringLiteral("Adding file %s to %s ...");
    case zmOpeningOutputFile:
        return QStringLiteral("Opening output file %s ...");
    case zmArchiveCreated:
        return QStringLiteral("Archive file %s successfully created.");
    case zmCreatingDirectory:
        return QStringLiteral("Creating directory: %s");
    case zmFileExists:
        return QStringLiteral("The file %s exists already. Overwrite?");
    case zmPleaseConfirm:
        return QStringLiteral("Please confirm");
    case zmExtractionCancelled:
        return QStringLiteral("Extraction cancelled by user!");
    case zmExtractingFile:
        return QStringLiteral("Extracting file: %s...");
    default:
        return QStringLiteral("Unknown error occured!");
    }
}

int Percent(qint64 done, qint64 size)
{
    return size > 0 ? int(std::min<qint64>(100, done * 100 / size)) : 100;
}

// The parts of a member name, split at either kind of slash.
QStringList NameParts(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return n.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

// A member name that would leave the destination folder: absolute, with a
// drive, or climbing with "..".
bool EscapesDestination(const QString& name)
{
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\'))
        || (name.size() >= 2 && name[1] == QLatin1Char(':')))
        return true;
    for (const QString& part : NameParts(name))
        if (part == QLatin1String(".."))
            return true;
    return false;
}

} // namespace

QString TZipObj::MessageText(int code, const QStringList& args)
{
    // Filled by plain replacement, never by a formatting function: names come
    // from archives and may hold anything.
    QString text = MessageTemplate(code);
    qsizetype from = 0;
    for (const QString& arg : args) {
        const qsizetype at = text.indexOf(QLatin1String("%s"), from);
        if (at < 0)
            break;
        text.replace(at, 2, arg);
        from = at + arg.size();
    }
    return text;
}

quint32 TZipObj::ToDosDateTime(const QDateTime& time)
{
    const QDateTime local = time.toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    const int year = std::clamp(d.year(), 1980, 2107);
    return quint32(
        (year - 1980) << 25 | d.month() << 21 | d.day() << 16 | t.hour() << 11 | t.minute() << 5 | t.second() / 2);
}

QDateTime TZipObj::FromDosDateTime(quint32 dos)
{
    const QDate date(int(dos >> 25) + 1980, int((dos >> 21) & 0x0F), int((dos >> 16) & 0x1F));
    const QTime time(int((dos >> 11) & 0x1F), int((dos >> 5) & 0x3F), int((dos & 0x1F) * 2));
    return QDateTime(date, time, Qt::LocalTime);
}

void TZipObj::Message(int code, const QStringList& args)
{
    if (OnZipMessage)
        OnZipMessage(*this, MessageText(code, args), code);
}

void TZipObj::FileProgress(int percent)
{
    if (OnFileProgress)
        OnFileProgress(*this, percent);
}

void TZipObj::TotalProgress(int percent)
{
    if (OnTotalProgress)
        OnTotalProgress(*this, percent);
}

void TZipObj::Advance(qint64 bytes)
{
    m_fileDone += bytes;
    m_totalDone += bytes;
    FileProgress(Percent(m_fileDone, m_fileSize));
    TotalProgress(Percent(m_totalDone, m_totalSize));
}

std::vector<TZipObj::Entry> TZipObj::CollectEntries(const QStringList& files)
{
    std::vector<Entry> entries;
    QSet<QString> seen;
    const auto add = [&](const QFileInfo& info) {
        const QString path = info.absoluteFilePath();
        if (seen.contains(path))
            return;
        seen.insert(path);
        entries.push_back({ path, info.isDir(), info.isDir() ? 0 : info.size() });
    };
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (info.isDir()) {
            QDirIterator it(info.absoluteFilePath(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                QDirIterator::Subdirectories);
            while (it.hasNext()) {
                it.next();
                add(it.fileInfo());
            }
        } else if (info.isFile()) {
            add(info);
        }
    }
    return entries;
}

QString TZipObj::CommonFolder(const std::vector<Entry>& entries)
{
    // Cut back no further than the root.
    if (entries.empty())
        return QString();
    const QFileInfo first(entries.front().path);
    QString base = entries.front().folder ? first.absoluteFilePath() : first.absolutePath();
    const auto allBelow = [&] {
        for (const Entry& e : entries)
            if (!e.path.startsWith(base + QLatin1Char('/')))
                return false;
        return true;
    };
    while (!allBelow() && base.size() > 1) {
        const qsizetype slash = base.lastIndexOf(QLatin1Char('/'));
        base = slash <= 0 ? QString() : base.left(slash);
    }
    if (!allBelow())
        base.clear();
    return base;
}

int TZipObj::AddEntry(void* zip, const Entry& entry, const QString& member, int level, std::vector<char>& buffer)
{
    zipFile zf = static_cast<zipFile>(zip);
    const QFileInfo info(entry.path);
    zip_fileinfo zi {};
    zi.dosDate = ToDosDateTime(info.lastModified());
    // The file's attribute bits as the archive records them: archive, folder, read-only.
    zi.external_fa = entry.folder ? 0x10 : 0x20;
    if (!info.isWritable())
        zi.external_fa |= 0x01;
    const QByteArray name = Cp1252::Encode(member);
    if (zipOpenNewFileInZip64(zf, name.constData(), &zi, nullptr, 0, nullptr, 0, nullptr, level == 0 ? 0 : Z_DEFLATED,
            level, entry.size >= 0xFFFFFFFFLL)
        != ZIP_OK) {
        Message(zmErrOpenFileInZip, { member });
        return zmErrOpenFileInZip;
    }
    int result = 0;
    if (!entry.folder) {
        QFile in(entry.path);
        if (!in.open(QIODevice::ReadOnly)) {
            Message(zmErrOpenFileForReading, { entry.path });
            zipCloseFileInZip(zf);
            return zmErrOpenFileForReading;
        }
        m_fileSize = entry.size;
        m_fileDone = 0;
        for (;;) {
            const qint64 got = in.read(buffer.data(), kBlockSize);
            if (got < 0 || (got < kBlockSize && !in.atEnd())) {
                Message(zmErrReadFile, { entry.path });
                result = zmErrReadFile;
                break;
            }
            if (got > 0 && zipWriteInFileInZip(zf, buffer.data(), unsigned(got)) != ZIP_OK) {
                Message(zmErrWriteFileInZip, { member });
                result = zmErrWriteFileInZip;
                break;
            }
            Advance(got);
            if (got < kBlockSize)
                break;
        }
        FileProgress(100);
    }
    if (zipCloseFileInZip(zf) != ZIP_OK && result == 0) {
        Message(zmErrCloseFileInZip, { member });
        result = zmErrCloseFileInZip;
    }
    return result;
}

int TZipObj::ZipFiles(const QStringList& files, const QString& archive, int level, bool keepFullPaths)
{
    if (files.isEmpty())
        return 0;

    std::vector<Entry> entries = CollectEntries(files);
    const QString base = CommonFolder(entries);
    const QString archivePath = QFileInfo(archive).absoluteFilePath();
    std::erase_if(entries, [&](const Entry& e) { return e.path == archivePath; });
    m_totalSize = 0;
    m_totalDone = 0;
    if (OnTotalProgress)
        for (const Entry& e : entries)
            m_totalSize += e.size;

    Message(zmOpeningOutputFile, { archive });
    QFile::remove(archive);
    zipFile zf = zipOpen64(QFile::encodeName(archive).constData(), APPEND_STATUS_CREATE);
    if (!zf) {
        Message(zmErrOpenOutputFile, { archive });
        return zmErrOpenOutputFile;
    }

    int result = 0;
    std::vector<char> buffer(kBlockSize);
    for (const Entry& entry : entries) {
        QString member = entry.path;
        if (!keepFullPaths && !base.isEmpty())
            member = entry.path.mid(base.size() + 1);
        while (member.startsWith(QLatin1Char('/')))
            member.remove(0, 1);
        if (entry.folder)
            member += QLatin1Char('/');
        Message(zmAddingFile, { member, archive });
        result = AddEntry(zf, entry, member, level, buffer);
        if (result != 0)
            break;
    }

    if (zipClose(zf, nullptr) != ZIP_OK && result == 0) {
        Message(zmErrCloseOutputFile, { archive });
        TotalProgress(0);
        return zmErrCloseOutputFile;
    }
    if (result != 0)
        return result;
    TotalProgress(100);
    Message(zmArchiveCreated, { archive });
    return 0;
}

int TZipObj::UnzipFiles(const QString& archive, const QString& names, const QString& destination, bool extract,
    bool overwrite, bool ignoreFolders, QStringList* listing)
{
    m_totalSize = m_totalDone = m_fileSize = m_fileDone = 0;
    FileProgress(0);
    TotalProgress(0);
    QString dest = destination.isEmpty() ? QFileInfo(archive).absolutePath() : destination;
    if (!dest.endsWith(QLatin1Char('/')))
        dest += QLatin1Char('/');

    unzFile uf = unzOpen64(QFile::encodeName(archive).constData());
    if (!uf) {
        Message(zmErrOpenArchive, { archive });
        return zmErrOpenArchive;
    }

    if (listing) {
        listing->clear();
        for (int err = unzGoToFirstFile(uf); err == UNZ_OK; err = unzGoToNextFile(uf)) {
            char name[256];
            unz_file_info64 info;
            if (unzGetCurrentFileInfo64(uf, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
                break;
            listing->append(QStringLiteral("%1\t%2\t%3")
                                .arg(Cp1252::Decode(name, qsizetype(qstrnlen(name, sizeof name))))
                                .arg(info.uncompressed_size)
                                .arg(FromDosDateTime(quint32(info.dosDate)).toString(Qt::ISODate)));
        }
    }

    int result = 0;
    if (extract) {
        QStringList wanted;
        for (const QString& line : names.split(QLatin1Char('\n')))
            if (!line.trimmed().isEmpty())
                wanted << line.trimmed();
        if (!wanted.isEmpty()) {
            for (const QString& name : wanted)
                if (unzLocateFile(uf, Cp1252::Encode(name).constData(), 2) == UNZ_OK) {
                    unz_file_info64 info;
                    if (unzGetCurrentFileInfo64(uf, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK)
                        m_totalSize += qint64(std::min<quint64>(info.uncompressed_size, kMaxMemberSize));
                }
            for (const QString& name : wanted) {
                // 2 asks for a comparison without regard to letter case.
                if (unzLocateFile(uf, Cp1252::Encode(name).constData(), 2) != UNZ_OK) {
                    Message(zmErrFileNotFound, { name });
                    result = 2;
                    break;
                }
                if (ExtractCurrent(uf, dest, overwrite, ignoreFolders) != 0) {
                    FileProgress(0);
                    TotalProgress(0);
                    result = 1;
                    break;
                }
            }
        } else {
            for (int err = unzGoToFirstFile(uf); err == UNZ_OK; err = unzGoToNextFile(uf))
                if (ExtractCurrent(uf, dest, overwrite, ignoreFolders) != 0)
                    break;
        }
    }
    unzClose(uf);
    return result;
}

int TZipObj::ExtractCurrent(void* handle, const QString& destination, bool overwrite, bool ignoreFolders)
{
    unzFile uf = static_cast<unzFile>(handle);
    char rawName[256];
    unz_file_info64 info;
    const int infoResult = unzGetCurrentFileInfo64(uf, &info, rawName, sizeof rawName, nullptr, 0, nullptr, 0);
    if (infoResult != UNZ_OK) {
        Message(zmErrReadArchiveInfo, { QString() });
        return infoResult;
    }
    const QString name = Cp1252::Decode(rawName, qsizetype(qstrnlen(rawName, sizeof rawName)));
    if (name.endsWith(QLatin1Char('/')) || name.endsWith(QLatin1Char('\\')))
        return ignoreFolders ? 0 : ExtractFolder(name, destination);

    const QString relative = MemberTarget(name, ignoreFolders);
    if (relative.isEmpty() || info.uncompressed_size > quint64(kMaxMemberSize)) {
        Message(zmErrWriteExtractedFile, { name });
        return -1;
    }
    const QString target = destination + relative;
    if (QFileInfo::exists(target) && !overwrite) {
        const Answer answer = OnAskOverwrite
            ? OnAskOverwrite(MessageText(zmFileExists, { target }), MessageText(zmPleaseConfirm))
            : Answer::No;
        if (answer == Answer::No)
            return 0;
        if (answer == Answer::Cancel) {
            Message(zmExtractionCancelled);
            return -100;
        }
    }
    if (!ignoreFolders)
        MakeParentFolder(target);
    return WriteCurrentMember(uf, name, target, info.uncompressed_size, quint32(info.dosDate));
}

int TZipObj::ExtractFolder(const QString& name, const QString& destination)
{
    const QStringList parts = NameParts(name);
    if (EscapesDestination(name) || parts.isEmpty()) {
        Message(zmErrWriteExtractedFile, { name });
        return -1;
    }
    const QString folder = destination + parts.join(QLatin1Char('/'));
    Message(zmCreatingDirectory, { folder });
    return QDir().mkpath(folder) ? 0 : -1;
}

QString TZipObj::MemberTarget(const QString& name, bool ignoreFolders)
{
    // Whatever the member's name says, the file lands inside the destination.
    const QStringList parts = NameParts(name);
    if (ignoreFolders) {
        const QString last = parts.isEmpty() ? QString() : parts.last();
        return last == QLatin1String(".") || last == QLatin1String("..") ? QString() : last;
    }
    return EscapesDestination(name) ? QString() : parts.join(QLatin1Char('/'));
}

void TZipObj::MakeParentFolder(const QString& target)
{
    const QString folder = QFileInfo(target).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        Message(zmCreatingDirectory, { folder });
        QDir().mkpath(folder);
    }
}

int TZipObj::WriteCurrentMember(void* handle, const QString& name, const QString& target, quint64 size, quint32 dosDate)
{
    unzFile uf = static_cast<unzFile>(handle);
    if (unzOpenCurrentFile(uf) != UNZ_OK) {
        Message(zmErrReadArchiveInfo, { name });
        return zmErrReadArchiveInfo;
    }
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        Message(zmErrOpenOutputFile, { target });
        unzCloseCurrentFile(uf);
        return zmErrOpenOutputFile;
    }
    Message(zmExtractingFile, { target });
    int result = CopyCurrentMember(uf, name, target, size, out);
    out.close();
    if (result == 0) {
        const QDateTime stamp = FromDosDateTime(dosDate);
        if (stamp.isValid())
            QFile(target).setFileTime(stamp, QFileDevice::FileModificationTime);
        FileProgress(100);
    } else {
        QFile::remove(target);
    }
    const int closeResult = unzCloseCurrentFile(uf);
    if (result == 0 && closeResult != UNZ_OK) {
        Message(zmErrCloseZipFile, { name });
        QFile::remove(target);
        result = closeResult;
    }
    return result;
}

int TZipObj::CopyCurrentMember(void* handle, const QString& name, const QString& target, quint64 size, QFile& out)
{
    unzFile uf = static_cast<unzFile>(handle);
    m_fileSize = qint64(size);
    m_fileDone = 0;
    std::vector<char> buffer(kBlockSize);
    for (;;) {
        const int got = unzReadCurrentFile(uf, buffer.data(), unsigned(buffer.size()));
        if (got < 0) {
            Message(zmErrReadZipFile, { name });
            return got;
        }
        if (got == 0)
            return 0;
        // Never more than the member declares, whatever the compressed data holds.
        if (m_fileDone + got > m_fileSize || out.write(buffer.data(), got) != got) {
            Message(zmErrWriteExtractedFile, { target });
            return -1;
        }
        Advance(got);
    }
}
