#include "report/ReportTemplate.h"

#include "canvas/TMyCAD.h"
#include "common/TempFileName.h"
#include "report/zip/TZipObj.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

namespace ReportTemplate {

namespace {

// A folder of its own below the temporary folder, readable by this user only,
// removed with the object: another user can neither plant nor read the member.
QTemporaryDir PrivateFolder()
{
    return QTemporaryDir(TempFileName::Directory() + QStringLiteral("Prelvo-XXXXXX"));
}

QByteArray ReadFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return QByteArray();
    }
    return file.readAll();
}

} // namespace

QByteArray CanvasBytes(TMyCAD& canvas)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    canvas.SaveToStream(buffer);
    return buffer.data();
}

bool LoadCanvasBytes(TMyCAD& canvas, const QByteArray& bytes, QString* error)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    TMyCAD scratch;
    if (!scratch.LoadFromStream(buffer)) {
        if (error)
            *error = QStringLiteral("the design is damaged: ") + scratch.LastError();
        return false;
    }
    if (!canvas.LoadFromStream(buffer)) {
        if (error)
            *error = canvas.LastError();
        return false;
    }
    return true;
}

bool LoadReportTemplate(TMyCAD& canvas, const QString& archivePath, const StatusHandler& status)
{
    const auto report = [&](const QString& text) {
        if (status)
            status(text);
    };
    QTemporaryDir folder = PrivateFolder();
    if (!folder.isValid()) {
        report(QStringLiteral("cannot create a temporary folder: ") + folder.errorString());
        return false;
    }
    int zipResult = 0;
    {
        TZipObj zip;
        zip.OnZipMessage = [&](TZipObj&, const QString& text, int) { report(text); };
        zipResult = zip.UnzipFiles(archivePath, kTemplateMemberName, folder.path(), true, true, true);
    }
    if (zipResult != 0)
        return false;
    // The member keeps the letter case of its archive name, which may differ.
    QString error;
    const QStringList extracted = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    const QString memberFile = extracted.isEmpty() ? kTemplateMemberName : extracted.first();
    const QByteArray bytes = ReadFile(folder.filePath(memberFile), &error);
    if (!error.isEmpty() || !LoadCanvasBytes(canvas, bytes, &error)) {
        report(error);
        return false;
    }
    return true;
}

bool SaveReportTemplate(TMyCAD& canvas, const QString& archivePath, QString* error, const QDateTime& memberTime)
{
    const auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    QTemporaryDir folder = PrivateFolder();
    if (!folder.isValid())
        return fail(QStringLiteral("cannot create a temporary folder: ") + folder.errorString());
    const QString member = folder.filePath(kTemplateMemberName);
    if (!canvas.SaveToFile(member))
        return fail(QStringLiteral("cannot write the design: ") + canvas.LastError());
    if (memberTime.isValid()) {
        QFile stamp(member);
        if (!stamp.open(QIODevice::ReadWrite) || !stamp.setFileTime(memberTime, QFileDevice::FileModificationTime))
            return fail(QStringLiteral("cannot set the time of the design: ") + stamp.errorString());
    }

    // The archive is made in the private folder and then copied over the target
    // through a save file, so the previous template survives any failure.
    const QString staged = folder.filePath(QStringLiteral("template.zrp"));
    QString zipMessage;
    TZipObj zip;
    zip.OnZipMessage = [&](TZipObj&, const QString& text, int code) {
        if (code < zmAddingFile)
            zipMessage = text;
    };
    if (zip.ZipFiles({ member }, staged, kCompressionLevel, false) != 0)
        return fail(zipMessage);
    QString readError;
    const QByteArray archive = ReadFile(staged, &readError);
    if (!readError.isEmpty())
        return fail(readError);
    QSaveFile out(archivePath);
    if (!out.open(QIODevice::WriteOnly) || out.write(archive) != archive.size() || !out.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(archivePath, out.errorString()));
    return true;
}

bool LoadRawDesign(TMyCAD& canvas, const QString& path, QString* error)
{
    QString readError;
    const QByteArray bytes = ReadFile(path, &readError);
    if (!readError.isEmpty()) {
        if (error)
            *error = readError;
        return false;
    }
    return LoadCanvasBytes(canvas, bytes, error);
}

bool OpenReportDesign(TMyCAD& canvas, const QString& path, const StatusHandler& status)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("zrp"), Qt::CaseInsensitive) == 0)
        return LoadReportTemplate(canvas, path, status);
    QString error;
    if (LoadRawDesign(canvas, path, &error))
        return true;
    if (status)
        status(error);
    return false;
}

} // namespace ReportTemplate
