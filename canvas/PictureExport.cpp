// The canvas's picture exports: BMP, JPEG, PNG, Windows metafile and SVG. Every file
// is written to a temporary file beside the target and renamed over it at the end,
// so a failed export never leaves a damaged or half-written picture behind.
#include "canvas/TMyCAD.h"

#include "canvas/BmpWriter.h"
#include "canvas/JpegEncoder.h"
#include "canvas/PngWriter.h"
#include "canvas/WmfWriter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// The embedded photograph of an SVG export.
constexpr int kSvgPictureQuality = 90;

// Writes the bytes produced by fill into the file atomically; on failure returns the reason.
QString SaveAtomically(const QString& fileName, const std::function<bool(QIODevice&)>& fill)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!fill(file)) {
        file.cancelWriting();
        return file.error() != QFileDevice::NoError ? file.errorString()
                                                    : QStringLiteral("the picture could not be made");
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace

bool TMyCAD::ExportBitmap(const QString& fileName)
{
    if (m_width <= 0 || m_height <= 0) {
        m_lastError = QStringLiteral("the canvas has no size");
        return false;
    }
    // Rows from the bottom up: the bands are painted in that order and each is written
    // as soon as it is drawn.
    m_lastError = SaveAtomically(fileName, [&](QIODevice& out) {
        return BmpWriter::WriteHeader(out, m_width, m_height)
            && RenderControlBands(BandRows(m_width), true,
                [&](const QImage& band, int) { return BmpWriter::WriteRowsBottomUp(out, band); });
    });
    return m_lastError.isEmpty();
}

bool TMyCAD::ExportPng(const QString& fileName, const std::function<bool(int, int)>& progress)
{
    if (m_width <= 0 || m_height <= 0) {
        m_lastError = QStringLiteral("the canvas has no size");
        return false;
    }
    bool cancelled = false;
    m_lastError = SaveAtomically(fileName, [&](QIODevice& out) {
        PngWriter png(out, m_width, m_height);
        int rows = 0;
        return RenderControlBands(BandRows(m_width), false, [&](const QImage& band, int) {
            if (!png.Add(band))
                return false;
            rows += band.height();
            cancelled = progress && !progress(rows, m_height);
            return !cancelled;
        }) && png.Finish();
    });
    if (cancelled)
        m_lastError = QStringLiteral("cancelled");
    return m_lastError.isEmpty();
}

bool TMyCAD::ExportJpeg(const QString& fileName, int quality)
{
    QByteArray bytes;
    if (m_width > 0 && m_height > 0) {
        JpegEncoder::BandEncoder encoder(m_width, m_height, quality);
        if (RenderControlBands(BandRows(m_width), false, [&](const QImage& band, int) { return encoder.Add(band); }))
            bytes = encoder.Finish();
    }
    m_lastError = bytes.isEmpty()
        ? QStringLiteral("the picture could not be encoded")
        : SaveAtomically(fileName, [&](QIODevice& out) { return out.write(bytes) == bytes.size(); });
    return m_lastError.isEmpty();
}

bool TMyCAD::ExportMetafile(const QString& fileName)
{
    if (QFileInfo(fileName).suffix().compare(QLatin1String("wmf"), Qt::CaseInsensitive) != 0) {
        m_lastError = QStringLiteral("metafiles are written as .wmf only");
        return false;
    }
    if (m_width <= 0 || m_height <= 0) {
        m_lastError = QStringLiteral("the canvas has no size");
        return false;
    }
    WmfWriter metafile(QSize(m_width, m_height));
    {
        QPainter painter(&metafile);
        DrawShapes(painter, nullptr, false);
    }
    const QByteArray bytes = metafile.Bytes();
    m_lastError = SaveAtomically(fileName, [&](QIODevice& out) { return out.write(bytes) == bytes.size(); });
    return m_lastError.isEmpty();
}

bool TMyCAD::ExportSvg(const QString& fileName)
{
    if (m_width <= 0 || m_height <= 0) {
        m_lastError = QStringLiteral("the canvas has no size");
        return false;
    }
    // The background is a photograph: it goes in as one JPEG image, placed as the
    // control shows it, and the shapes stay vectors. Only a tiled background is
    // drawn through the generator (as PNG tiles).
    const bool tiled = m_bkBitmapMode != LeftTop && m_bkBitmapMode != Center && m_bkBitmapMode != Stretch;
    QRectF pictureArea;
    if (!m_bkBitmap.isNull() && !tiled) {
        const QSizeF picture(m_bkBitmap.width(), m_bkBitmap.height());
        if (m_bkBitmapMode == Stretch)
            pictureArea = QRectF(0, 0, m_width, m_height);
        else if (m_bkBitmapMode == LeftTop)
            pictureArea = QRectF(QPointF(0, 0), picture);
        else
            pictureArea = QRectF(
                QPointF(std::trunc((m_width - picture.width()) / 2.0), std::trunc((m_height - picture.height()) / 2.0)),
                picture);
    }
    QByteArray vectors;
    {
        QBuffer buffer(&vectors);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(m_width, m_height));
        svg.setViewBox(QRect(0, 0, m_width, m_height));
        svg.setResolution(CanvasMath::RoundToInt(PixelsPerInch()));
        svg.setTitle(QStringLiteral("Pelorix drawing"));
        QPainter painter;
        if (!painter.begin(&svg)) {
            m_lastError = QStringLiteral("the drawing could not be made");
            return false;
        }
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        if (tiled)
            DrawBackgroundPicture(painter, QRect(0, 0, m_width, m_height), QSize(m_width, m_height), 1.0, false);
        DrawShapes(painter, nullptr, false);
        painter.end();
    }
    // The picture goes first in the document, below everything the generator drew.
    const qsizetype at = vectors.indexOf("</defs>");
    if (at < 0 && !pictureArea.isEmpty()) {
        m_lastError = QStringLiteral("the drawing could not be made");
        return false;
    }
    const qsizetype split = at < 0 ? 0 : vectors.indexOf('\n', at) + 1;
    QByteArray jpeg;
    if (!pictureArea.isEmpty()) {
        jpeg = JpegEncoder::Encode(m_bkBitmap, kSvgPictureQuality);
        if (jpeg.isEmpty()) {
            m_lastError = QStringLiteral("the picture could not be encoded");
            return false;
        }
    }
    m_lastError = SaveAtomically(fileName, [&](QIODevice& out) {
        if (out.write(vectors.constData(), split) != split)
            return false;
        if (!jpeg.isEmpty()) {
            const QByteArray head = QStringLiteral("<image x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" "
                                                   "preserveAspectRatio=\"none\" xlink:href=\"data:image/jpeg;base64,")
                                        .arg(pictureArea.x())
                                        .arg(pictureArea.y())
                                        .arg(pictureArea.width())
                                        .arg(pictureArea.height())
                                        .toLatin1();
            if (out.write(head) != head.size())
                return false;
            // Base64 in pieces of whole 3-byte groups, so that no second copy is made.
            constexpr qsizetype kPiece = 3 * 65536;
            for (qsizetype from = 0; from < jpeg.size(); from += kPiece) {
                const QByteArray piece
                    = QByteArray::fromRawData(jpeg.constData() + from, std::min(kPiece, jpeg.size() - from)).toBase64();
                if (out.write(piece) != piece.size())
                    return false;
            }
            const QByteArray tail = QByteArrayLiteral("\"/>\n");
            if (out.write(tail) != tail.size())
                return false;
        }
        return out.write(vectors.constData() + split, vectors.size() - split) == vectors.size() - split;
    });
    return m_lastError.isEmpty();
}
