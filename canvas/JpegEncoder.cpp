#include "canvas/JpegEncoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace JpegEncoder {

namespace {

// libjpeg reports fatal errors through a callback that must not return: it jumps
// back into the encoder call that is running, which gives up cleanly.
struct ErrorManager
{
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void OnMessage(j_common_ptr) { }

// libjpeg-turbo reads these byte orders directly; anything else is converted first.
bool ColourSpace(QImage::Format format, J_COLOR_SPACE& space, int& components)
{
    switch (format) {
    case QImage::Format_RGB888:
        space = JCS_RGB;
        components = 3;
        return true;
    case QImage::Format_BGR888:
        space = JCS_EXT_BGR;
        components = 3;
        return true;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        // 0xAARRGGBB in little-endian memory: blue, green, red, alpha.
        space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
        components = 4;
        return true;
    default:
        return false;
    }
}

} // namespace

struct BandEncoder::State
{
    jpeg_compress_struct info {};
    ErrorManager errors {};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    QImage::Format format = QImage::Format_Invalid;
    J_COLOR_SPACE space = JCS_UNKNOWN;
    int components = 0;
    bool started = false;
    bool failed = false;
    int width = 0;
    int height = 0;
    int quality = 80;

    State()
    {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = OnError;
        errors.base.output_message = OnMessage;
        jpeg_create_compress(&info);
    }
    ~State()
    {
        jpeg_destroy_compress(&info);
        std::free(buffer);
    }
};

BandEncoder::BandEncoder(int width, int height, int quality)
    : m_state(std::make_unique<State>())
{
    m_state->width = width;
    m_state->height = height;
    m_state->quality = std::clamp(quality, 0, 100);
    m_state->failed = width <= 0 || height <= 0;
}

BandEncoder::~BandEncoder() = default;

bool BandEncoder::Add(const QImage& band)
{
    State& s = *m_state;
    if (s.failed)
        return false;
    if (band.isNull() || band.width() != s.width || !ColourSpace(band.format(), s.space, s.components)
        || (s.started && band.format() != s.format)) {
        s.failed = true;
        return false;
    }
    if (setjmp(s.errors.jump) != 0) {
        s.failed = true;
        return false;
    }
    if (!s.started) {
        s.started = true;
        s.format = band.format();
        jpeg_mem_dest(&s.info, &s.buffer, &s.size);
        s.info.image_width = static_cast<JDIMENSION>(s.width);
        s.info.image_height = static_cast<JDIMENSION>(s.height);
        s.info.input_components = s.components;
        s.info.in_color_space = s.space;
        jpeg_set_defaults(&s.info);
        jpeg_set_quality(&s.info, s.quality, TRUE);
        s.info.density_unit = 1; // dots per inch
        s.info.X_density = 96;
        s.info.Y_density = 96;
        jpeg_start_compress(&s.info, TRUE);
    }
    for (int y = 0; y < band.height() && s.info.next_scanline < s.info.image_height; ++y) {
        JSAMPROW row = const_cast<JSAMPROW>(band.constScanLine(y));
        jpeg_write_scanlines(&s.info, &row, 1);
    }
    return true;
}

QByteArray BandEncoder::Finish()
{
    State& s = *m_state;
    if (s.failed || !s.started || s.info.next_scanline != s.info.image_height)
        return QByteArray();
    if (setjmp(s.errors.jump) != 0) {
        s.failed = true;
        return QByteArray();
    }
    jpeg_finish_compress(&s.info);
    return QByteArray(reinterpret_cast<const char*>(s.buffer), static_cast<qsizetype>(s.size));
}

QByteArray Encode(const QImage& picture, int quality)
{
    if (picture.isNull())
        return QByteArray();
    J_COLOR_SPACE space = JCS_UNKNOWN;
    int components = 0;
    BandEncoder encoder(picture.width(), picture.height(), quality);
    if (ColourSpace(picture.format(), space, components))
        encoder.Add(picture);
    else
        encoder.Add(picture.convertToFormat(QImage::Format_RGB888));
    return encoder.Finish();
}

} // namespace JpegEncoder
