#include "common/TNVFreeImage.h"

#include <FreeImage.h>
#include <dlfcn.h>
#include <malloc.h>
#include <sys/mman.h>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>

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
    const double bytes = std::ceil(double(width) * double(height) * bitsPerPixel / 8.0);
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

// ---- Declared sizes of formats that FreeImage cannot read header-only ----

struct DeclaredSize
{
    qint64 width;
    qint64 height;
    double bitsPerPixel; // of the biggest buffer the decoder allocates for it
};

// Reads header fields from the start of a device, refusing to read past its end.
class HeaderReader
{
public:
    explicit HeaderReader(QIODevice& device)
        : m_device(device)
    {
        m_ok = m_device.seek(0);
    }
    bool Ok() const { return m_ok; }
    QByteArray Bytes(qint64 count)
    {
        QByteArray bytes = m_ok ? m_device.read(count) : QByteArray();
        m_ok = m_ok && bytes.size() == count;
        return bytes;
    }
    void Skip(qint64 count)
    {
        const qint64 target = m_device.pos() + count;
        m_ok = m_ok && count >= 0 && target <= m_device.size() && m_device.seek(target);
    }
    void Seek(qint64 position)
    {
        m_ok = m_ok && position >= 0 && position <= m_device.size() && m_device.seek(position);
    }
    qint64 Left() const { return m_device.size() - m_device.pos(); }
    quint32 U8() { return Unsigned(1, false); }
    quint32 U16Le() { return Unsigned(2, false); }
    quint32 U16Be() { return Unsigned(2, true); }
    quint32 U32Le() { return Unsigned(4, false); }
    quint32 U32Be() { return Unsigned(4, true); }

private:
    quint32 Unsigned(int size, bool bigEndian)
    {
        const QByteArray bytes = Bytes(size);
        if (!m_ok)
            return 0;
        quint32 value = 0;
        for (int i = 0; i < size; ++i) {
            const quint32 byte = static_cast<quint8>(bytes[bigEndian ? i : size - 1 - i]);
            value = (value << 8) | byte;
        }
        return value;
    }

    QIODevice& m_device;
    bool m_ok = false;
};

std::optional<DeclaredSize> Result(HeaderReader& in, qint64 width, qint64 height, double bitsPerPixel)
{
    if (!in.Ok())
        return std::nullopt;
    return DeclaredSize { width, height, bitsPerPixel };
}

// The first image descriptor, which is the frame FreeImage decodes.
std::optional<DeclaredSize> PeekGif(HeaderReader& in)
{
    in.Skip(10);
    const quint32 flags = in.U8();
    in.Skip(2);
    if (flags & 0x80)
        in.Skip(3 << ((flags & 7) + 1));
    while (in.Ok()) {
        const quint32 block = in.U8();
        if (block == 0x2C) {
            in.Skip(4);
            const qint64 width = in.U16Le();
            const qint64 height = in.U16Le();
            return Result(in, width, height, 8);
        }
        if (block != 0x21)
            return std::nullopt;
        in.Skip(1);
        for (quint32 length = in.U8(); in.Ok() && length != 0; length = in.U8())
            in.Skip(length);
    }
    return std::nullopt;
}

std::optional<DeclaredSize> PeekDds(HeaderReader& in)
{
    in.Skip(12);
    const qint64 height = in.U32Le();
    const qint64 width = in.U32Le();
    return Result(in, width, height, 32);
}

std::optional<DeclaredSize> PeekSgi(HeaderReader& in)
{
    in.Skip(6);
    const qint64 width = in.U16Be();
    const qint64 height = in.U16Be();
    return Result(in, width, height, 32);
}

// The BMHD chunk of an IFF ILBM or PBM picture.
std::optional<DeclaredSize> PeekIff(HeaderReader& in)
{
    in.Skip(12);
    while (in.Ok()) {
        const QByteArray id = in.Bytes(4);
        const qint64 length = in.U32Be();
        if (id == "BMHD") {
            const qint64 width = in.U16Be();
            const qint64 height = in.U16Be();
            return Result(in, width, height, 32);
        }
        in.Skip(length + (length & 1));
    }
    return std::nullopt;
}

// OpenJPEG keeps one 32-bit sample per component and pixel while decoding.
double Jpeg2000Bits(qint64 components)
{
    return 32.0 * double(qMax<qint64>(components, 1)) + 64.0;
}

// The SIZ segment that follows the start of a JPEG 2000 codestream.
std::optional<DeclaredSize> PeekJ2k(HeaderReader& in)
{
    in.Skip(8);
    const qint64 right = in.U32Be();
    const qint64 bottom = in.U32Be();
    const qint64 left = in.U32Be();
    const qint64 top = in.U32Be();
    in.Skip(16);
    const qint64 components = in.U16Be();
    return Result(in, right - left, bottom - top, Jpeg2000Bits(components));
}

// The image header box inside the JP2 header box.
std::optional<DeclaredSize> PeekJp2(HeaderReader& in)
{
    while (in.Ok()) {
        qint64 length = in.U32Be();
        const QByteArray type = in.Bytes(4);
        qint64 headerLength = 8;
        if (length == 1) {
            const qint64 high = in.U32Be();
            const qint64 low = in.U32Be();
            length = high > 0x7FFFFFFF ? -1 : (high << 32) | low;
            headerLength = 16;
        } else if (length == 0) {
            length = in.Left() + headerLength;
        }
        if (!in.Ok() || length < headerLength)
            return std::nullopt;
        if (type == "ihdr") {
            const qint64 height = in.U32Be();
            const qint64 width = in.U32Be();
            const qint64 components = in.U16Be();
            return Result(in, width, height, Jpeg2000Bits(components));
        }
        if (type != "jp2h")
            in.Skip(length - headerLength);
    }
    return std::nullopt;
}

// FreeImage allocates an icon's pixels for the nearest depth it supports and the absolute
// size, but reads the rows at the depth and signed size the icon's header claims, so an
// odd depth (12, 1025 ...) or a negative size overruns the pixel buffer. Empty when the
// first icon, the one FreeImage decodes, is safe to hand over.
QString CheckIcoHeader(QIODevice& device)
{
    HeaderReader in(device);
    in.Skip(4);
    const quint32 count = in.U16Le();
    in.Skip(12);
    in.Seek(in.U32Le());
    const QByteArray start = in.Bytes(4);
    if (!in.Ok() || count == 0 || start == "\x89PNG")
        return {}; // FreeImage refuses the first ones itself and hands PNG icons to its PNG reader
    const qint32 width = qint32(in.U32Le());
    const qint32 height = qint32(in.U32Le());
    in.Skip(2);
    const quint32 bitCount = in.U16Le();
    const bool knownDepth
        = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
    if (!in.Ok() || width <= 0 || height < 2 || !knownDepth)
        return QString("icon header is damaged (%1 x %2 pixels, %3 bits per pixel)")
            .arg(width)
            .arg(height / 2)
            .arg(bitCount);
    return {};
}

// FreeImage reads a Radiance picture's size with "%d" into unsigned numbers, allocates the
// absolute values and then reads rows of the size as given, so "-Y -1 +X 8" overruns the
// pixel buffer. Empty unless the size line, found the way FreeImage reads the header
// (lines up to an empty one, then the size), holds a value that is not a positive int.
// A height of -1 (or a number too big for an int) has FreeImage write 2^32 - 1 rows.
QString CheckHdrSize(QIODevice& device)
{
    const auto nextLine = [&device] {
        QByteArray line = device.readLine(256); // FreeImage's longest header line
        if (!line.endsWith('\n'))
            return QByteArray();
        const qsizetype end = line.indexOf('\0'); // FreeImage's string functions stop there
        return end < 0 ? line : end == 0 ? QByteArray("\n") : line.left(end);
    };
    if (!device.seek(0) || nextLine().isEmpty())
        return {};
    for (QByteArray line = nextLine(); line != "\n"; line = nextLine())
        if (line.isEmpty())
            return {}; // FreeImage cannot read the header either
    static const QRegularExpression sizeLine(R"(^(?:-Y\s*([+-]?\d+)\s*\+X|\+X\s*([+-]?\d+)\s*\+Y)\s*([+-]?\d+))");
    const QRegularExpressionMatch match = sizeLine.match(QString::fromLatin1(nextLine()));
    if (!match.hasMatch())
        return {}; // FreeImage finds no size either and gives up
    bool firstOk = false;
    bool secondOk = false;
    const qint64 first = (match.captured(1) + match.captured(2)).toLongLong(&firstOk);
    const qint64 second = match.captured(3).toLongLong(&secondOk);
    if (!firstOk || !secondOk || first <= 0 || second <= 0 || first > INT_MAX || second > INT_MAX)
        return QString("Radiance picture size is damaged: %1").arg(match.captured(0));
    return {};
}

// FreeImage reads an uncompressed BMP that ends early as far as it goes and leaves the
// rest black; such a file is damaged. Empty when the pixel rows are all there (the last
// row's padding may be missing: some writers leave it out).
QString CheckBmpComplete(QIODevice& device)
{
    HeaderReader in(device);
    in.Skip(10);
    const qint64 pixelOffset = in.U32Le();
    const quint32 infoSize = in.U32Le();
    qint64 width = 0;
    qint64 height = 0;
    quint32 bitCount = 0;
    quint32 compression = 0;
    if (infoSize == 12) {
        width = in.U16Le();
        height = in.U16Le();
        in.Skip(2);
        bitCount = in.U16Le();
    } else {
        width = qint32(in.U32Le());
        height = qint32(in.U32Le());
        in.Skip(2);
        bitCount = in.U16Le();
        compression = in.U32Le();
    }
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (!in.Ok() || !uncompressed || width <= 0 || height == 0 || bitCount == 0 || bitCount > 32)
        return {}; // FreeImage judges these itself; the size limits apply as for any picture
    height = qAbs(height);
    const qint64 rowBytes = (width * bitCount + 7) / 8;
    const qint64 pitch = (width * bitCount + 31) / 32 * 4;
    // In floating point: a damaged header may claim sizes whose product overflows.
    const double needed = double(pixelOffset) + double(pitch) * double(height - 1) + double(rowBytes);
    if (double(device.size()) < needed)
        return QString("BMP pixel data ends early: the file has %1 bytes, its header needs %2 (truncated file)")
            .arg(device.size())
            .arg(needed, 0, 'f', 0);
    return {};
}

std::optional<DeclaredSize> PeekDeclaredSize(FREE_IMAGE_FORMAT format, QIODevice& device)
{
    HeaderReader in(device);
    switch (format) {
    case FIF_GIF:
        return PeekGif(in);
    case FIF_DDS:
        return PeekDds(in);
    case FIF_SGI:
        return PeekSgi(in);
    case FIF_IFF:
        return PeekIff(in);
    case FIF_J2K:
        return PeekJ2k(in);
    case FIF_JP2:
        return PeekJp2(in);
    default:
        return std::nullopt;
    }
}

// ---- Memory for big pictures ----

#if defined(__SANITIZE_ADDRESS__)
#define PELORIX_OWN_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define PELORIX_OWN_ALLOCATOR 1
#endif
#endif

#if defined(__GLIBC__) && !defined(PELORIX_OWN_ALLOCATOR)
#define PELORIX_HUGE_PAGES 1
#endif

// Touching fresh memory costs about 10 us per 4 KiB page on the machines this runs on:
// 150-200 ms for the 60 MB of a 20-megapixel picture, more than decoding it takes. Huge
// pages (2 MiB) cut that to a few milliseconds, but with transparent huge pages in
// "madvise" mode the kernel only uses them where asked to, and FreeImage allocates with
// plain malloc, which hands out big blocks as fresh mappings that nobody advised.
// So while FreeImage decodes a big picture, big blocks come from the heap instead, and
// the stretch of heap the pixels will occupy is advised for huge pages beforehand: it is
// allocated (untouched), advised and freed, and the heap keeps it until FreeImage's own
// allocation of about the same size takes it over a moment later. For a 20-megapixel
// JPEG this took a load from about 265 ms to 110-130 ms (bench/picture_load_bench.cpp).
// Defining PELORIX_OWN_ALLOCATOR switches it off; sanitizer builds do so by themselves.
#ifdef PELORIX_HUGE_PAGES
class HugePageScope
{
public:
    explicit HugePageScope(size_t bytes)
        : m_active(bytes >= kMinimumBytes)
    {
        if (!m_active)
            return;
        mallopt(M_MMAP_MAX, 0);
        mallopt(M_TRIM_THRESHOLD, INT_MAX);
        const size_t reserve = bytes + 2 * kHugePage;
        if (void* probe = std::malloc(reserve)) {
            const auto start = (reinterpret_cast<uintptr_t>(probe) + kHugePage - 1) & ~(kHugePage - 1);
            const auto end = (reinterpret_cast<uintptr_t>(probe) + reserve) & ~(kHugePage - 1);
            if (end > start)
                madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
            std::free(probe);
        }
    }
    ~HugePageScope()
    {
        // Any mallopt() call stops glibc from adapting its thresholds by itself, so set them
        // to where that adaptation ends up anyway: blocks up to 32 MiB come from the heap
        // and are reused, bigger ones are mappings again, and a free stretch of more than
        // 64 MiB at the top of the heap goes back to the system.
        if (m_active) {
            mallopt(M_MMAP_MAX, 65536);
            mallopt(M_MMAP_THRESHOLD, 32 << 20);
            mallopt(M_TRIM_THRESHOLD, 64 << 20);
        }
    }
    HugePageScope(const HugePageScope&) = delete;
    HugePageScope& operator=(const HugePageScope&) = delete;

private:
    static constexpr size_t kHugePage = size_t(2) << 20;
    static constexpr size_t kMinimumBytes = size_t(8) << 20;
    const bool m_active;
};
#else
// Sanitizers bring their own allocator, which glibc's settings do not reach.
class HugePageScope
{
public:
    explicit HugePageScope(size_t) { }
};
#endif

using LoadFunction = std::function<FIBITMAP*(FREE_IMAGE_FORMAT format, int flags)>;

// Checks the declared size, decodes, and reduces the result to a standard bitmap.
std::unique_ptr<DibBitmap> Decode(FREE_IMAGE_FORMAT format, const LoadFunction& load, QIODevice& device,
    const TNVFreeImage::Limits& limits, MessageCapture& capture, QString* error)
{
    const QString decodeFailure = "FreeImage could not decode the picture (damaged or unsupported)";
    QString reason = format == FIF_ICO ? CheckIcoHeader(device) : format == FIF_HDR ? CheckHdrSize(device) : QString();
    size_t pixelBytes = 0;
    if (reason.isEmpty() && FreeImage_FIFSupportsNoPixels(format)) {
        const BitmapPtr header(load(format, FIF_LOAD_NOPIXELS));
        if (!header)
            return Fail(error, capture.Explain(decodeFailure));
        reason = CheckSize(header.get(), limits);
        pixelBytes = size_t(FreeImage_GetPitch(header.get())) * FreeImage_GetHeight(header.get());
    } else if (const auto declared = reason.isEmpty() ? PeekDeclaredSize(format, device) : std::nullopt) {
        reason = CheckSize(declared->width, declared->height, declared->bitsPerPixel, limits);
    }
    if (reason.isEmpty() && format == FIF_BMP)
        reason = CheckBmpComplete(device);
    if (!reason.isEmpty())
        return Fail(error, reason);

    capture.Clear();
    BitmapPtr bitmap;
    {
        const HugePageScope hugePages(pixelBytes);
        bitmap.reset(load(format, 0));
    }
    if (!bitmap || !FreeImage_HasPixels(bitmap.get()))
        return Fail(error, capture.Explain(decodeFailure));
    // libjpeg fills whatever is missing with grey and only warns; measuring on that would mislead.
    if (format == FIF_JPEG && capture.Mentions("premature end"))
        return Fail(
            error, capture.Explain("JPEG data ends before the picture is complete (truncated or damaged file)"));
    reason = CheckSize(bitmap.get(), limits);
    if (!reason.isEmpty())
        return Fail(error, reason);

    auto result = DibBitmap::FromFreeImage(bitmap.release());
    if (!result)
        return Fail(error, capture.Explain("could not convert the picture to 8 bits per channel"));
    if (error != nullptr)
        error->clear();
    return result;
}

} // namespace

std::unique_ptr<DibBitmap> TNVFreeImage::Load(const QString& path, QString* error) const
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return Fail(error, "file does not exist");
    if (info.isDir())
        return Fail(error, "path is a folder, not a file");
    if (info.size() == 0)
        return Fail(error, "file is empty");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, "file cannot be opened for reading");

    MessageCapture capture;
    const QByteArray nativePath = QFile::encodeName(path);
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(nativePath.constData(), 0);
    if (format == FIF_UNKNOWN) {
        // Some formats have no signature to recognise; their name is all there is to go by.
        format = FreeImage_GetFIFFromFilename(nativePath.constData());
        if (format != FIF_UNKNOWN && !FreeImage_FIFSupportsReading(format))
            format = FIF_UNKNOWN;
    }
    if (format == FIF_UNKNOWN)
        return Fail(error, "format not recognised by FreeImage");

    const LoadFunction load = [&nativePath](FREE_IMAGE_FORMAT fif, int flags) {
        return FreeImage_Load(fif, nativePath.constData(), flags);
    };
    return Decode(format, load, file, m_limits, capture, error);
}

std::unique_ptr<DibBitmap> TNVFreeImage::LoadFromMemory(const QByteArray& bytes, QString* error) const
{
    if (bytes.isEmpty())
        return Fail(error, "picture data is empty");
    if (bytes.size() > qint64(std::numeric_limits<DWORD>::max()))
        return Fail(error, "picture data is larger than FreeImage can read from memory");

    MessageCapture capture;
    // FreeImage only reads from a memory stream opened on existing data; the bytes stay untouched.
    auto* data = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.constData()));
    FIMEMORY* stream = FreeImage_OpenMemory(data, static_cast<DWORD>(bytes.size()));
    if (stream == nullptr)
        return Fail(error, "FreeImage could not open the picture data");
    const std::unique_ptr<FIMEMORY, void (*)(FIMEMORY*)> streamOwner(stream, FreeImage_CloseMemory);

    const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(stream, 0);
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format))
        return Fail(error, "format not recognised by FreeImage");

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const LoadFunction load = [stream](FREE_IMAGE_FORMAT fif, int flags) {
        FreeImage_SeekMemory(stream, 0, SEEK_SET);
        return FreeImage_LoadFromMemory(fif, stream, flags);
    };
    return Decode(format, load, buffer, m_limits, capture, error);
}

QString TNVFreeImage::CopyrightMessage()
{
    return QString::fromUtf8(FreeImage_GetCopyrightMessage());
}
