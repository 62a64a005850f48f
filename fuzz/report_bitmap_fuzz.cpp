// Feeds arbitrary bytes, as the file of a report's image box, to the reduction for an
// output: a plain BMP is read a block of rows at a time straight from the file, any other
// file goes to the picture loader. Whatever the header claims, the result is null or has
// the box's proportions at the output's size.
#include "report/NVBitmap.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path = QDir::temp().filePath(QStringLiteral("report_bitmap_fuzz_%1.bmp").arg(getpid()));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    // Boxes that reduce a larger picture by several times, and one that shows it as it is.
    for (const double zoom : { 0.05, 0.5, 1.0 }) {
        const QImage image = NVBitmapForOutput(path, 9, 5, zoom);
        if (!image.isNull() && (image.width() <= 0 || image.height() <= 0))
            std::abort();
    }
    QFile::remove(path);
    return 0;
}
