#include "canvas/WmfWriter.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Record functions of the metafile format.
enum : uint16_t {
    kEof = 0x0000,
    kSetBkMode = 0x0102,
    kSetPolyFillMode = 0x0106,
    kSelectObject = 0x012D,
    kDeleteObject = 0x01F0,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kCreatePenIndirect = 0x02FA,
    kCreateBrushIndirect = 0x02FC,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kPolyPolygon = 0x0538,
    kStretchDib = 0x0F43,
};

constexpr uint16_t kUnitsPerInch = 96;

uint16_t Coordinate(double value)
{
    const double clamped = std::clamp(std::round(value), -32768.0, 32767.0);
    return static_cast<uint16_t>(static_cast<int16_t>(std::isnan(clamped) ? 0 : clamped));
}

// A COLORREF: red in the low byte.
std::pair<uint16_t, uint16_t> ColorRef(const QColor& color)
{
    return { static_cast<uint16_t>(color.red() | (color.green() << 8)), static_cast<uint16_t>(color.blue()) };
}

struct PenKey
{
    uint16_t style = 5; // PS_NULL
    uint16_t width = 0;
    QRgb color = 0;
    bool operator==(const PenKey&) const = default;
};

struct BrushKey
{
    uint16_t style = 1; // BS_NULL
    uint16_t hatch = 0;
    QRgb color = 0;
    bool operator==(const BrushKey&) const = default;
};

} // namespace

class WmfPaintEngine : public QPaintEngine
{
public:
    explicit WmfPaintEngine(QSize size)
        : QPaintEngine(QPaintEngine::AllFeatures)
        , m_size(size)
    {
    }

    bool begin(QPaintDevice*) override
    {
        m_records.clear();
        m_slots.clear();
        m_maxRecord = 0;
        m_penSlot = m_brushSlot = -1;
        m_fillMode = 0;
        Record(kSetWindowOrg, { 0, 0 });
        Record(kSetWindowExt, { Coordinate(m_size.height()), Coordinate(m_size.width()) });
        Record(kSetBkMode, { 1 }); // transparent
        return true;
    }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & DirtyPen)
            m_pen = state.pen();
        if (state.state() & DirtyBrush)
            m_brush = state.brush();
        if (state.state() & DirtyTransform)
            m_transform = state.transform();
    }

    void drawPath(const QPainterPath& path) override
    {
        const QList<QPolygonF> polygons = m_transform.map(path).toSubpathPolygons();
        if (polygons.isEmpty())
            return;
        if (m_brush.style() != Qt::NoBrush) {
            Use(PenKey {}, BrushOf(m_brush));
            FillMode(path.fillRule());
            PolyPolygon(polygons);
        }
        if (m_pen.style() != Qt::NoPen) {
            Use(PenOf(m_pen), BrushKey {});
            for (const QPolygonF& polygon : polygons)
                Points(kPolyline, polygon);
        }
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        const QPolygonF polygon = m_transform.map(QPolygonF(QList<QPointF>(points, points + count)));
        if (mode == PolylineMode) {
            if (m_pen.style() != Qt::NoPen) {
                Use(PenOf(m_pen), BrushKey {});
                Points(kPolyline, polygon);
            }
            return;
        }
        Use(PenOf(m_pen), BrushOf(m_brush));
        FillMode(mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
        Points(kPolygon, polygon);
    }

    void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& sr) override
    {
        drawImage(r, pixmap.toImage(), sr, Qt::AutoColor);
    }

    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr, Qt::ImageConversionFlags) override
    {
        QImage part = image.copy(sr.toAlignedRect());
        QRectF target = m_transform.mapRect(r);
        if (part.isNull() || !std::isfinite(target.width()) || !std::isfinite(target.height()))
            return;
        if (m_transform.type() > QTransform::TxScale) {
            // Turned pictures are drawn into an upright picture of their visible bounds
            // first (the metafile's 16-bit coordinates bound what can be visible).
            const QRectF reach(-32768.0, -32768.0, 65535.0, 65535.0);
            const QRect visible
                = target.intersected(reach).intersected(QRectF(QPointF(0, 0), QSizeF(m_size))).toAlignedRect();
            if (visible.isEmpty())
                return;
            QImage upright(visible.size(), QImage::Format_RGB32);
            if (upright.isNull())
                return;
            upright.fill(Qt::white);
            QPainter painter(&upright);
            painter.setTransform(m_transform * QTransform::fromTranslate(-visible.left(), -visible.top()));
            painter.drawImage(r, part);
            painter.end();
            part = upright;
            target = visible;
        }
        StretchDib(target, part.convertToFormat(QImage::Format_RGB888));
    }

    QByteArray Bytes() const
    {
        std::vector<uint16_t> words;
        const uint32_t size = 9 + static_cast<uint32_t>(m_records.size()) + 3;
        const uint32_t maxRecord = std::max<uint32_t>(m_maxRecord, 3);
        const auto objects = static_cast<uint16_t>(m_slots.size());
        // Header: memory metafile, 9 words, version 3.0, size and largest record in words.
        words = { 1, 9, 0x0300, uint16_t(size & 0xFFFF), uint16_t(size >> 16), objects, uint16_t(maxRecord & 0xFFFF),
            uint16_t(maxRecord >> 16), 0 };
        words.insert(words.end(), m_records.begin(), m_records.end());
        words.insert(words.end(), { 3, 0, kEof });

        // The placeable header: key, bounds, units per inch and checksum.
        uint16_t placeable[11] = { 0xCDD7, 0x9AC6, 0, 0, 0, Coordinate(m_size.width()), Coordinate(m_size.height()),
            kUnitsPerInch, 0, 0, 0 };
        for (int i = 0; i < 10; ++i)
            placeable[10] ^= placeable[i];
        QByteArray bytes;
        bytes.reserve(int((11 + words.size()) * 2));
        for (uint16_t w : placeable)
            Word(bytes, w);
        for (uint16_t w : words)
            Word(bytes, w);
        return bytes;
    }

private:
    static void Word(QByteArray& bytes, uint16_t w)
    {
        bytes.append(char(w & 0xFF));
        bytes.append(char(w >> 8));
    }

    void Record(uint16_t function, const std::vector<uint16_t>& parameters)
    {
        const auto size = static_cast<uint32_t>(3 + parameters.size());
        m_maxRecord = std::max(m_maxRecord, size);
        m_records.push_back(uint16_t(size & 0xFFFF));
        m_records.push_back(uint16_t(size >> 16));
        m_records.push_back(function);
        m_records.insert(m_records.end(), parameters.begin(), parameters.end());
    }

    PenKey PenOf(const QPen& pen) const
    {
        if (pen.style() == Qt::NoPen)
            return PenKey {};
        static const uint16_t kStyles[] = { 5, 0, 1, 2, 3, 4 };
        const int style = int(pen.style());
        const double scale = std::sqrt(std::abs(m_transform.determinant()));
        const double width = pen.isCosmetic() ? 1.0 : pen.widthF() * scale;
        return PenKey { style >= 0 && style <= 5 ? kStyles[style] : uint16_t(0),
            static_cast<uint16_t>(std::clamp(std::lround(width), 1L, 32767L)), pen.color().rgb() };
    }

    static BrushKey BrushOf(const QBrush& brush)
    {
        switch (brush.style()) {
        case Qt::NoBrush:
            return BrushKey {};
        case Qt::HorPattern:
            return BrushKey { 2, 0, brush.color().rgb() };
        case Qt::VerPattern:
            return BrushKey { 2, 1, brush.color().rgb() };
        case Qt::FDiagPattern:
            return BrushKey { 2, 2, brush.color().rgb() };
        case Qt::BDiagPattern:
            return BrushKey { 2, 3, brush.color().rgb() };
        case Qt::CrossPattern:
            return BrushKey { 2, 4, brush.color().rgb() };
        case Qt::DiagCrossPattern:
            return BrushKey { 2, 5, brush.color().rgb() };
        case Qt::TexturePattern: {
            // A pattern picture is recorded as its mean colour.
            const QImage small = brush.textureImage().scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            return BrushKey { 0, 0, small.isNull() ? brush.color().rgb() : small.pixel(0, 0) };
        }
        default:
            return BrushKey { 0, 0, brush.color().rgb() };
        }
    }

    int NewSlot()
    {
        for (size_t i = 0; i < m_slots.size(); ++i)
            if (!m_slots[i]) {
                m_slots[i] = true;
                return int(i);
            }
        m_slots.push_back(true);
        return int(m_slots.size() - 1);
    }

    void Replace(int& slot, int created)
    {
        Record(kSelectObject, { uint16_t(created) });
        if (slot >= 0) {
            Record(kDeleteObject, { uint16_t(slot) });
            m_slots[size_t(slot)] = false;
        }
        slot = created;
    }

    // Selects a pen and a brush, creating them only when they differ from the current ones.
    void Use(const PenKey& pen, const BrushKey& brush)
    {
        if (m_penSlot < 0 || !(pen == m_currentPen)) {
            const auto [low, high] = ColorRef(QColor(pen.color));
            Record(kCreatePenIndirect, { pen.style, pen.width, 0, low, high });
            Replace(m_penSlot, NewSlot());
            m_currentPen = pen;
        }
        if (m_brushSlot < 0 || !(brush == m_currentBrush)) {
            const auto [low, high] = ColorRef(QColor(brush.color));
            Record(kCreateBrushIndirect, { brush.style, low, high, brush.hatch });
            Replace(m_brushSlot, NewSlot());
            m_currentBrush = brush;
        }
    }

    void FillMode(Qt::FillRule rule)
    {
        const uint16_t mode = rule == Qt::OddEvenFill ? 1 : 2;
        if (mode != m_fillMode)
            Record(kSetPolyFillMode, { mode });
        m_fillMode = mode;
    }

    // Polygons and poly lines are limited to the point count one record can carry.
    void Points(uint16_t function, const QPolygonF& polygon)
    {
        constexpr qsizetype kMaxPoints = 16000;
        for (qsizetype start = 0; start + 1 < polygon.size(); start += kMaxPoints - 1) {
            const qsizetype count = std::min(kMaxPoints, polygon.size() - start);
            std::vector<uint16_t> parameters { uint16_t(count) };
            for (qsizetype i = start; i < start + count; ++i) {
                parameters.push_back(Coordinate(polygon[i].x()));
                parameters.push_back(Coordinate(polygon[i].y()));
            }
            Record(function, parameters);
        }
    }

    void PolyPolygon(const QList<QPolygonF>& polygons)
    {
        std::vector<uint16_t> parameters { 0 };
        std::vector<uint16_t> points;
        for (const QPolygonF& polygon : polygons) {
            if (polygon.size() < 2 || polygon.size() > 16000)
                continue;
            parameters.push_back(uint16_t(polygon.size()));
            for (const QPointF& p : polygon) {
                points.push_back(Coordinate(p.x()));
                points.push_back(Coordinate(p.y()));
            }
        }
        parameters[0] = uint16_t(parameters.size() - 1);
        if (parameters[0] == 0)
            return;
        parameters.insert(parameters.end(), points.begin(), points.end());
        Record(kPolyPolygon, parameters);
    }

    void StretchDib(const QRectF& target, const QImage& rgb)
    {
        if (rgb.isNull())
            return;
        const int w = rgb.width();
        const int h = rgb.height();
        const int stride = (w * 3 + 3) & ~3;
        QByteArray dib(40 + stride * h, '\0');
        auto* header = reinterpret_cast<uchar*>(dib.data());
        qToLittleEndian<uint32_t>(40, header);
        qToLittleEndian<int32_t>(w, header + 4);
        qToLittleEndian<int32_t>(h, header + 8);
        qToLittleEndian<uint16_t>(1, header + 12);
        qToLittleEndian<uint16_t>(24, header + 14);
        qToLittleEndian<uint32_t>(uint32_t(stride * h), header + 20);
        for (int y = 0; y < h; ++y) {
            const uchar* source = rgb.constScanLine(h - 1 - y); // bottom row first
            uchar* row = header + 40 + y * stride;
            for (int x = 0; x < w; ++x) {
                row[x * 3] = source[x * 3 + 2];
                row[x * 3 + 1] = source[x * 3 + 1];
                row[x * 3 + 2] = source[x * 3];
            }
        }
        std::vector<uint16_t> parameters { 0x0020, 0x00CC, 0, // SRCCOPY, DIB_RGB_COLORS
            uint16_t(h), uint16_t(w), 0, 0, Coordinate(target.height()), Coordinate(target.width()),
            Coordinate(target.top()), Coordinate(target.left()) };
        for (int i = 0; i < dib.size(); i += 2)
            parameters.push_back(uint16_t(uchar(dib[i]) | (uchar(dib[i + 1]) << 8)));
        Record(kStretchDib, parameters);
    }

    QSize m_size;
    std::vector<uint16_t> m_records;
    std::vector<bool> m_slots;
    uint32_t m_maxRecord = 0;
    QPen m_pen;
    QBrush m_brush;
    QTransform m_transform;
    PenKey m_currentPen;
    BrushKey m_currentBrush;
    int m_penSlot = -1;
    int m_brushSlot = -1;
    uint16_t m_fillMode = 0;
};

WmfWriter::WmfWriter(QSize size)
    : m_size(size)
    , m_engine(std::make_unique<WmfPaintEngine>(size))
{
}

WmfWriter::~WmfWriter() = default;

QPaintEngine* WmfWriter::paintEngine() const
{
    return m_engine.get();
}

QByteArray WmfWriter::Bytes() const
{
    return m_engine->Bytes();
}

int WmfWriter::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return qRound(m_size.width() * 25.4 / kUnitsPerInch);
    case PdmHeightMM:
        return qRound(m_size.height() * 25.4 / kUnitsPerInch);
    case PdmNumColors:
        return 0x7FFFFFFF;
    case PdmDepth:
        return 24;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return kUnitsPerInch;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(QPaintDevice::devicePixelRatioFScale());
    }
    return 0;
}
