#include "canvas/ImageAdjust.h"

#include "canvas/TMyImage.h"

#include <algorithm>
#include <array>

QImage ImageAdjust::Adjust(const QImage& picture, const Settings& settings)
{
    if (picture.isNull())
        return QImage();
    QImage image = picture.convertToFormat(QImage::Format_RGB32);
    // Values outside -255..255 (only damaged files hold them) are ignored, as the setters do.
    auto accepted = [](int value) { return value >= -255 && value <= 255 ? value : 0; };
    const int contrast = accepted(settings.contrast);
    const int brightness = accepted(settings.brightness);
    // One table for contrast and brightness, applied per channel after the grey scale.
    std::array<uint8_t, 256> table {};
    for (int v = 0; v < 256; ++v) {
        int value = v;
        if (contrast != 0) {
            const int d = value >= 128 ? value - 127 : 127 - value;
            value = value >= 128 ? value + contrast * d / 255 : value - contrast * d / 255;
            value = std::clamp(value, 0, 255);
        }
        if (brightness != 0)
            value = std::clamp(value + brightness, 0, 255);
        table[size_t(v)] = static_cast<uint8_t>(value);
    }
    const bool identity = contrast == 0 && brightness == 0;
    if (settings.grayScale || !identity) {
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                int r = qRed(row[x]), g = qGreen(row[x]), b = qBlue(row[x]);
                if (settings.grayScale)
                    r = g = b = (r + g + b) / 3;
                row[x] = qRgb(table[size_t(r)], table[size_t(g)], table[size_t(b)]);
            }
        }
    }
    if (settings.flipHorz || settings.flipVert)
        image = image.mirrored(settings.flipHorz, settings.flipVert);
    if (settings.transparent) {
        const QRgb key = picture.pixel(0, picture.height() - 1) | 0xFF000000u;
        QImage adjustedKey = QImage(1, 1, QImage::Format_RGB32);
        adjustedKey.setPixel(0, 0, key);
        const QRgb drawnKey = Adjust(
            adjustedKey, Settings { settings.grayScale, settings.contrast, settings.brightness, false, false, false })
                                  .pixel(0, 0);
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (row[x] == drawnKey)
                    row[x] = 0;
        }
    }
    return image;
}

const QImage& TMyImage::AdjustedBitmap() const
{
    // The key covers the picture's data and every setting, so any change shows.
    const quint64 key = static_cast<quint64>(m_bitmap.cacheKey()) * 1000003u
        ^ (static_cast<quint64>(m_brightness + 256) << 1) ^ (static_cast<quint64>(m_contrast + 256) << 11)
        ^ (quint64(m_grayScale) << 21) ^ (quint64(IsFlipHorz()) << 22) ^ (quint64(IsFlipVert()) << 23)
        ^ (quint64(m_transparent) << 24);
    if (m_adjusted.isNull() || key != m_adjustedKey) {
        m_adjusted = ImageAdjust::Adjust(m_bitmap,
            ImageAdjust::Settings { m_grayScale, m_contrast, m_brightness, IsFlipHorz(), IsFlipVert(), m_transparent });
        m_adjustedKey = key;
    }
    return m_adjusted;
}
