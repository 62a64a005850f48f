// Template archives: any bytes as a zip file, extracted the way templates are
// read (one member, folders ignored) and whole (folders kept). Nothing may be
// written outside the destination folder.
#include "report/zip/TZipObj.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir work;
    const QString archive = work.filePath(QStringLiteral("input.zrp"));
    const QString dest = work.filePath(QStringLiteral("dest/inner"));
    {
        QFile file(archive);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    QDir(work.filePath(QStringLiteral("dest"))).removeRecursively();
    QDir().mkpath(dest);

    TZipObj zip;
    QStringList listing;
    zip.UnzipFiles(archive, QStringLiteral("temp_dirpt.rpt"), dest, true, true, true, &listing);
    zip.UnzipFiles(archive, QString(), dest, true, true, false);

    // Everything extracted must sit below dest; dest's parent holds only dest.
    const QStringList beside
        = QDir(work.filePath(QStringLiteral("dest"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    if (beside != QStringList { QStringLiteral("inner") })
        std::abort();
    const QStringList top = QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    if (top.size() != 2)
        std::abort();
    return 0;
}
