#include "common/TNVFreeImage.h"

#include "common/ChildProcess.h"
#include "common/HugePageScope.h"
#include "common/IniFile.h"
#include "common/IsolatedPictureDecoder.h"
#include "common/PictureDecoderProtocol.h"
#include "common/PictureHeader.h"

#include <FreeImage.h>
#include <dlfcn.h>

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <limits>

namespace {

// FreeImage reports problems through one global callback; each load collects what
// arrives while it runs, so that a failure can say what FreeImage complained about.
thread_local QStringList* t_messages = nullptr;

void CollectMessage(FREE_IMAGE_FORMAT, const char* message)
{
    if (t_messages != nullptr && message != nullptr)
        t_messages->append(QString::fromUtf8(message).simplified());
}

// libtiff's handlers have this shape; its header is not needed for two function pointers.
using TiffHandler = void (*)(const char* module, const char* format, va_list arguments);

void CollectTiffMessage(const char* module, const char* format, va_list arguments)
{
    // FreeImage asks this libtiff about every EXIF tag it knows, and libtiff complains about
    // each one it does not; that says nothing about the picture.
    if (t_messages == nullptr || format == nullptr || qstrcmp(module, "TIFFFieldWithTag") == 0)
        return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    // FreeImage opens TIFFs without a file name, which leaves some messages starting with ": ".
    QString message = QString::fromUtf8(text).simplified();
    while (message.startsWith(':') || message.startsWith(' '))
        message.remove(0, 1);
    t_messages->append(message);
}

// FreeImage leaves libtiff's default handlers in place, which print every complaint to
// stderr (over a hundred lines for one TIFF with an EXIF block). Route them into the
// current load's messages instead. libtiff is already loaded as FreeImage's dependency.
void RouteTiffMessages()
{
    using SetHandler = TiffHandler (*)(TiffHandler);
    for (const char* name : { "TIFFSetErrorHandler", "TIFFSetWarningHandler" })
        if (auto set = reinterpret_cast<SetHandler>(dlsym(RTLD_DEFAULT, name)))
            set(CollectTiffMessage);
}

class MessageCapture
{
public:
    MessageCapture()
        : m_previous(t_messages)
    {
        // The shared library initialises itself when it is loaded; a static build does not.
        static const bool initialised = [] {
            if (FreeImage_GetFIFCount() <= 0)
                FreeImage_Initialise(FALSE);
            RouteTiffMessages();
            return true;
        }();
        (void)initialised;
        FreeImage_SetOutputMessage(CollectMessage);
        t_messages = &m_messages;
    }
    ~MessageCapture() { t_messages = m_previous; }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    void Clear() { m_messages.clear(); }
    bool Mentions(const QString& text) const
    {
        for (const QString& message : m_messages)
            if (message.contains(text, Qt::CaseInsensitive))
                return true;
        return false;
    }
    // The reason, followed by the first few things FreeImage said, if anything.
    QString Explain(const QString& reason) const
    {
        if (m_messages.isEmpty())
            return reason;
        QString details = m_messages.mid(0, 3).join("; ");
        if (details.size() > 300)
            details = details.left(297) + "...";
        return reason + ": " + details;
    }

private:
    QStringList m_messages;
    QStringList* m_previous;
};

struct BitmapDeleter
{
    void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using BitmapPtr = std::unique_ptr<FIBITMAP, BitmapDeleter>;

std::unique_ptr<DibBitmap> Fail(QString* error, const QString& reason)
{
    if (error != nullptr)
        *error = reason;
    return nullptr;
}

QString FormatBytes(double bytes)
{
    if (bytes < 1048576.0)
        return QString("%1 bytes").arg(qint64(bytes));
    return QString("%1 MiB").arg(qint64(std::ceil(bytes / 1048576.0)));
}

// Empty when a picture of this declared size may be decoded, else the reason why not.
QString CheckSize(qint64 width, qint64 height, double bitsPerPixel, const TNVFreeImage::Limits& limits)
{
    if (width <= 0 || height <= 0)
        return QString("picture has no pixels (declared size %1 x %2)").arg(width).arg(height);
    if (width > limits.maxSide || height > limits.maxSide)
        return QString("picture is too large: %1 x %2 pixels (at most %3 pixels a side)")
            .arg(width)
            .arg(height)
            .arg(limits.maxSide);
    const double pixels = double(width) * double(height);
    if (pixels > double(limits.maxPixels))
        return QString("picture is too large: %1 x %2 pixels are %3 megapixels, which need %4 as 24-bit picture "
                       "(at most %5 megapixels)")
            .arg(width)
            .arg(height)
            .arg(pixels / 1e6, 0, 'f', 1)
            .arg(FormatBytes(pixels * 3))
            .arg(double(limits.maxPixels) / 1e6, 0, 'g', 6);
    const double bytes = std::ceil(pixels * bitsPerPixel / 8.0);
    if (bytes > double(limits.maxPixelBytes))
        return QString("picture is too large: %1 x %2 pixels need %3 (at most %4)")
            .arg(width)
            .arg(height)
            .arg(FormatBytes(bytes), FormatBytes(double(limits.maxPixelBytes)));
    return {};
}

QString CheckSize(FIBITMAP* bitmap, const TNVFreeImage::Limits& limits)
{
    return CheckSize(FreeImage_GetWidth(bitmap), FreeImage_GetHeight(bitmap), FreeImage_GetBPP(bitmap), limits);
}

const QString kDecodeFailure = QStringLiteral("FreeImage could not decode the picture (damaged or unsupported)");

// The decoders of the formats cameras write are trusted with damaged files (and fuzzed as
// part of this loader); every other format is decoded in a separate process.
bool DecodedInProcess(FREE_IMAGE_FORMAT format)
{
    return format == FIF_JPEG || format == FIF_PNG || format == FIF_BMP || format == FIF_TIFF;
}

using LoadFunction = std::function<FIBITMAP*(FREE_IMAGE_FORMAT format, int flags)>;

// Decodes in this process; the declared size has been checked when it was known.
BitmapPtr DecodeHere(FREE_IMAGE_FORMAT format, const PictureHeader& header, const LoadFunction& load,
    const TNVFreeImage::Limits& limits, MessageCapture& capture, QString* error)
{
    size_t pixelBytes = 0;
    if (header.sizeKnown) {
        pixelBytes = size_t((header.width * qint64(header.decodeBitsPerPixel) + 31) / 32 * 4) * size_t(header.height);
    } else if (FreeImage_FIFSupportsNoPixels(format)) {
        // A variant our header reader does not know (BigTIFF): FreeImage reads the header.
        const BitmapPtr probe(load(format, FIF_LOAD_NOPIXELS));
        if (!probe) {
            Fail(error, capture.Explain(kDecodeFailure));
            return nullptr;
        }
        const QString reason = CheckSize(probe.get(), limits);
        if (!reason.isEmpty()) {
            Fail(error, reason);
            return nullptr;
        }
        pixelBytes = size_t(FreeImage_GetPitch(probe.get())) * FreeImage_GetHeight(probe.get());
    }
    capture.Clear();
    BitmapPtr bitmap;
    {
        const HugePageScope hugePages(pixelBytes);
        bitmap.reset(load(format, 0));
    }
    if (!bitmap || !FreeImage_HasPixels(bitmap.get())) {
        Fail(error, capture.Explain(kDecodeFailure));
        return nullptr;
    }
    // libjpeg fills whatever is missing with grey and only warns; measuring on that would mislead.
    if (format == FIF_JPEG && capture.Mentions("premature end")) {
        Fail(error, capture.Explain("JPEG data ends before the picture is complete (truncated or damaged file)"));
        return nullptr;
    }
    return bitmap;
}

// The time a separate decoder gets: the base, and more for a picture that declares many pixels.
int DecoderMilliseconds(const PictureHeader& header, const TNVFreeImage::Limits& limits)
{
    const double megapixels
        = (header.sizeKnown ? double(header.width) * double(header.height) : double(limits.maxPixels)) / 1e6;
    return limits.isolatedMilliseconds + int(std::min(megapixels, 100000.0) * 25);
}

// The address space a separate decoder may use: its code and libraries, and twice the
// buffer of the declared size (or of the largest allowed picture when it is not known).
qint64 DecoderMemory(const PictureHeader& header, const TNVFreeImage::Limits& limits)
{
    const double pixelBytes = header.sizeKnown
        ? double(header.width) * double(header.height) * std::max(header.decodeBitsPerPixel, 32.0) / 8
        : double(limits.maxPixelBytes);
    return (qint64(512) << 20) + qint64(std::min(2 * pixelBytes, double(limits.maxPixelBytes) * 2));
}

// Checks the header and decodes, in this process or in a separate one, and reduces the
// result to a standard bitmap. path is empty for a picture in memory.
std::unique_ptr<DibBitmap> LoadPicture(
    QByteArrayView bytes, const QString& path, const TNVFreeImage::Limits& limits, QString* error)
{
    MessageCapture capture;
    // FreeImage only reads from a memory stream opened on existing data; the bytes stay untouched.
    auto* data = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
    const std::unique_ptr<FIMEMORY, void (*)(FIMEMORY*)> stream(
        FreeImage_OpenMemory(data, static_cast<DWORD>(bytes.size())), FreeImage_CloseMemory);
    if (!stream)
        return Fail(error, "FreeImage could not open the picture data");
    // The contents decide; a name says nothing about what a file holds.
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(stream.get(), 0);
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format))
        return Fail(error, "contents are not a picture Pelorix can read (format not recognised)");

    // A size over the limits is the clearer reason when a header also promises more data than there is.
    const PictureHeader header = PictureHeader::Read(format, bytes);
    if (header.sizeKnown) {
        const QString reason = CheckSize(header.width, header.height, header.decodeBitsPerPixel, limits);
        if (!reason.isEmpty())
            return Fail(error, reason);
    }
    if (!header.problem.isEmpty())
        return Fail(error, header.problem);

    BitmapPtr bitmap;
    if (DecodedInProcess(format)) {
        const QByteArray nativePath = QFile::encodeName(path);
        const LoadFunction load = [&](FREE_IMAGE_FORMAT fif, int flags) {
            if (!path.isEmpty())
                return FreeImage_Load(fif, nativePath.constData(), flags);
            FreeImage_SeekMemory(stream.get(), 0, SEEK_SET);
            return FreeImage_LoadFromMemory(fif, stream.get(), flags);
        };
        bitmap = DecodeHere(format, header, load, limits, capture, error);
    } else {
        IsolatedPictureDecoder decoder;
        decoder.program = ChildProcess::ProgramBeside(QString::fromLatin1(PictureDecoderProtocol::kProgramName));
        decoder.memoryBytes = DecoderMemory(header, limits);
        decoder.milliseconds = DecoderMilliseconds(header, limits);
        decoder.checkSize = [&limits](qint64 width, qint64 height, double bitsPerPixel) {
            return CheckSize(width, height, bitsPerPixel, limits);
        };
        IsolatedPictureDecoder::Result result = decoder.Decode(path, bytes);
        if (result.bitmap == nullptr)
            return Fail(error, result.error);
        bitmap.reset(result.bitmap);
    }
    if (!bitmap)
        return nullptr;
    const QString reason = CheckSize(bitmap.get(), limits);
    if (!reason.isEmpty())
        return Fail(error, reason);

    auto result = DibBitmap::FromFreeImage(bitmap.release());
    if (!result)
        return Fail(error, capture.Explain("could not convert the picture to 8 bits per channel"));
    if (error != nullptr)
        error->clear();
    return result;
}

QMutex g_defaultLimitsMutex;
TNVFreeImage::Limits g_defaultLimits;

} // namespace

TNVFreeImage::Limits TNVFreeImage::DefaultLimits()
{
    const QMutexLocker lock(&g_defaultLimitsMutex);
    return g_defaultLimits;
}

void TNVFreeImage::SetDefaultLimits(const Limits& limits)
{
    const QMutexLocker lock(&g_defaultLimitsMutex);
    g_defaultLimits = limits;
}

TNVFreeImage::Limits TNVFreeImage::LimitsFromIni(const QString& iniPath)
{
    Limits limits;
    IniFile ini(iniPath);
    if (!ini.Load())
        return limits;
    const int megapixels = ini.ReadInteger(QStringLiteral("Settings"), QStringLiteral("MaxPictureMegapixels"), 0);
    if (megapixels >= 1 && megapixels <= 2000)
        limits.maxPixels = qint64(megapixels) * 1'000'000;
    return limits;
}

std::unique_ptr<DibBitmap> TNVFreeImage::Load(const QString& path, QString* error) const
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return Fail(error, "file does not exist");
    if (info.isDir())
        return Fail(error, "path is a folder, not a file");
    if (info.size() == 0)
        return Fail(error, "file is empty");
    if (info.size() > qint64(std::numeric_limits<DWORD>::max()))
        return Fail(error, "file is larger than 4 GiB, more than any picture Pelorix can read");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, "file cannot be opened for reading");
    // The header readers look at the file through a mapping; nothing is read that they do not need.
    const qint64 size = file.size();
    const uchar* mapped = file.map(0, size);
    QByteArray copy;
    if (mapped == nullptr) {
        copy = file.readAll();
        if (copy.size() != size)
            return Fail(error, "file cannot be read");
    }
    const QByteArrayView bytes
        = mapped != nullptr ? QByteArrayView(reinterpret_cast<const char*>(mapped), size) : QByteArrayView(copy);
    return LoadPicture(bytes, path, m_limits, error);
}

std::unique_ptr<DibBitmap> TNVFreeImage::LoadFromMemory(const QByteArray& bytes, QString* error) const
{
    if (bytes.isEmpty())
        return Fail(error, "picture data is empty");
    if (bytes.size() > qint64(std::numeric_limits<DWORD>::max()))
        return Fail(error, "picture data is larger than FreeImage can read from memory");
    return LoadPicture(bytes, QString(), m_limits, error);
}

QString TNVFreeImage::CopyrightMessage()
{
    return QString::fromUtf8(FreeImage_GetCopyrightMessage());
}
