#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>

#include <memory>

class WmfPaintEngine;

// A paint device that records what a QPainter draws as a placeable Windows metafile
// (the Aldus header, then 16-bit records at 96 units per inch): outlines become
// POLYLINE records with a pen, fills POLYPOLYGON records with a brush (solid or
// hatched), texts their glyph outlines and pictures STRETCHDIB records of 24-bit
// bitmaps. Clipping is not recorded. Coordinates beyond the 16-bit range are clamped.
class WmfWriter : public QPaintDevice
{
public:
    explicit WmfWriter(QSize size);
    ~WmfWriter() override;
    WmfWriter(const WmfWriter&) = delete;
    WmfWriter& operator=(const WmfWriter&) = delete;

    QPaintEngine* paintEngine() const override;
    // The whole metafile; complete once the painter on the device has ended.
    QByteArray Bytes() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize m_size;
    std::unique_ptr<WmfPaintEngine> m_engine;
};
