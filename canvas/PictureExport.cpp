// The canvas's picture exports: BMP, JPEG, PNG, Windows metafile and SVG. Every file
// is written to a temporary file beside the target and renamed over it at the end,
// so a failed export never leaves a damaged or half-written picture behind.
#include "canvas/TMyCAD.h"

#include "canvas/JpegEncoder.h"
#include "canvas/WmfWriter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <functional>

namespace {

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
    const QImage picture = RenderControl();
    m_lastError = picture.isNull()
        ? QStringLiteral("the canvas has no size")
        : SaveAtomically(fileName, [&](QIODevice& out) { return picture.save(&out, "BMP"); });
    return m_lastError.isEmpty();
}

bool TMyCAD::ExportPng(const QString& fileName)
{
    const QImage picture = RenderControl();
    m_lastError = picture.isNull()
        ? QStringLiteral("the canvas has no size")
        : SaveAtomically(fileName, [&](QIODevice& out) { return picture.save(&out, "PNG"); });
    return m_lastError.isEmpty();
}

bool TMyCAD::ExportJpeg(const QString& fileName, int quality)
{
    const QByteArray bytes = JpegEncoder::Encode(RenderControl(), quality);
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
    m_lastError = SaveAtomically(fileName, [&](QIODevice& out) {
        QSvgGenerator svg;
        svg.setOutputDevice(&out);
        svg.setSize(QSize(m_width, m_height));
        svg.setViewBox(QRect(0, 0, m_width, m_height));
        svg.setResolution(CanvasMath::RoundToInt(PixelsPerInch()));
        svg.setTitle(QStringLiteral("Pelorix drawing"));
        QPainter painter;
        if (!painter.begin(&svg))
            return false;
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        DrawBackgroundPicture(painter, QRect(0, 0, m_width, m_height), QSize(m_width, m_height), 1.0, false);
        DrawShapes(painter, nullptr, false);
        return painter.end();
    });
    return m_lastError.isEmpty();
}
