#include "canvas/PngWriter.h"

#include <QIODevice>

#include <csetjmp>

#include <png.h>
#include <zlib.h>

struct PngWriter::State
{
    QIODevice* out = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    int width = 0;
    int height = 0;
    int level = PngWriter::kFastLevel;
    Filter filter = Filter::Sub;
    QImage::Format format = QImage::Format_Invalid;
    int rows = 0;
    bool started = false;
    bool failed = false;

    ~State()
    {
        if (png != nullptr)
            png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
    }
};

namespace {

void OnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) { }

void OnWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<QIODevice*>(png_get_io_ptr(png));
    if (out->write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length))
        png_error(png, "write error");
}

void OnFlush(png_structp) { }

int FilterFlags(PngWriter::Filter filter)
{
    switch (filter) {
    case PngWriter::Filter::None:
        return PNG_FILTER_NONE;
    case PngWriter::Filter::Sub:
        return PNG_FILTER_SUB;
    case PngWriter::Filter::Up:
        return PNG_FILTER_UP;
    case PngWriter::Filter::Adaptive:
        break;
    }
    return PNG_ALL_FILTERS;
}

} // namespace

PngWriter::PngWriter(QIODevice& out, int width, int height, int level, Filter filter)
    : m_state(std::make_unique<State>())
{
    State& s = *m_state;
    s.out = &out;
    s.width = width;
    s.height = height;
    s.level = level;
    s.filter = filter;
    s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (s.png != nullptr)
        s.info = png_create_info_struct(s.png);
    s.failed = s.info == nullptr || width <= 0 || height <= 0;
}

PngWriter::~PngWriter() = default;

bool PngWriter::Add(const QImage& band)
{
    State& s = *m_state;
    if (s.failed)
        return false;
    const QImage::Format format = band.format();
    const bool known = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_RGB888 || format == QImage::Format_BGR888;
    if (band.isNull() || band.width() != s.width || !known || (s.started && format != s.format)
        || s.rows + band.height() > s.height) {
        s.failed = true;
        return false;
    }
    if (setjmp(png_jmpbuf(s.png)) != 0) {
        s.failed = true;
        return false;
    }
    if (!s.started) {
        s.started = true;
        s.format = format;
        png_set_write_fn(s.png, s.out, OnWrite, OnFlush);
        png_set_IHDR(s.png, s.info, png_uint_32(s.width), png_uint_32(s.height), 8, PNG_COLOR_TYPE_RGB,
            PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_pHYs(s.png, s.info, 3780, 3780, PNG_RESOLUTION_METER); // 96 dots per inch
        png_set_compression_level(s.png, s.level);
        // Run-length matching only: filtered photograph rows have almost no long matches
        // to find, and skipping the search for them makes the encoder several times faster.
        if (s.level <= kFastLevel)
            png_set_compression_strategy(s.png, Z_RLE);
        png_set_filter(s.png, PNG_FILTER_TYPE_BASE, FilterFlags(s.filter));
        png_write_info(s.png, s.info);
        // In memory 32-bit pixels are blue, green, red, alpha (little endian).
        if (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32) {
            if (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
                png_set_bgr(s.png);
                png_set_filler(s.png, 0, PNG_FILLER_AFTER);
            } else {
                png_set_filler(s.png, 0, PNG_FILLER_BEFORE);
            }
        } else if (format == QImage::Format_BGR888) {
            png_set_bgr(s.png);
        }
    }
    for (int y = 0; y < band.height(); ++y)
        png_write_row(s.png, const_cast<png_bytep>(band.constScanLine(y)));
    s.rows += band.height();
    return true;
}

bool PngWriter::Finish()
{
    State& s = *m_state;
    if (s.failed || !s.started || s.rows != s.height)
        return false;
    if (setjmp(png_jmpbuf(s.png)) != 0) {
        s.failed = true;
        return false;
    }
    png_write_end(s.png, s.info);
    s.failed = true; // written: nothing more may be added
    return true;
}
