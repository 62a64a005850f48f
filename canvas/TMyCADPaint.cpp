// The canvas's painting: the damaged-area paint of the control, whole pages for
// printing and pictures, the selection picture, handles and editing traces.
#include "canvas/TMyCAD.h"

#include "canvas/ShapeLayerCache.h"
#include "canvas/ShapePainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace {

// Sets the canvas's zoom for the duration of a page paint without resizing the
// control or telling the host (the page is drawn elsewhere).
class ZoomScope
{
public:
    ZoomScope(double& zoom, double value)
        : m_zoom(zoom)
        , m_saved(zoom)
    {
        if (value > 0 && std::isfinite(value))
            m_zoom = value;
    }
    ~ZoomScope() { m_zoom = m_saved; }
    ZoomScope(const ZoomScope&) = delete;
    ZoomScope& operator=(const ZoomScope&) = delete;

private:
    double& m_zoom;
    double m_saved;
};

QRect Rounded(const QRectF& r)
{
    return QRect(QPoint(int(std::floor(r.left())), int(std::floor(r.top()))),
        QPoint(int(std::ceil(r.right())), int(std::ceil(r.bottom()))));
}

void DrawAligned(QPainter& painter, const QString& text, const TMyFont& font, TAlignment alignment, double y,
    bool fromBottom, const QRect& page, int left, int right, const ShapePainter& shapePainter)
{
    if (text.isEmpty())
        return;
    const QFont f = shapePainter.MakeFont(font);
    const QFontMetricsF metrics(f);
    const double w = metrics.horizontalAdvance(text);
    double x = (page.width() - w) / 2.0;
    if (alignment == taLeftJustify)
        x = left;
    else if (alignment == taRightJustify)
        x = page.width() - right - w;
    const double top = fromBottom ? page.height() - y - metrics.height() : y;
    painter.setFont(f);
    painter.setPen(ShapePainter::ToQColor(font.color));
    painter.drawText(QPointF(x, top + metrics.ascent()), text);
}

} // namespace

TColor TMyCAD::HotColor()
{
    return ShapePainter::HotColor();
}

void TMyCAD::SetColorOfHot(TColor color)
{
    m_colorOfHot = color;
    ShapePainter::SetHotColor(color);
    Invalidate();
}

void TMyCAD::RepaintArea(const QRect& area) const
{
    if (m_host != nullptr && !m_loading && !area.isEmpty())
        m_host->RequestRepaintArea(area);
}

void TMyCAD::DrawBackgroundPicture(QPainter& painter, const QRect& area, QSize size, double scale, bool tileAll)
{
    if (m_bkBitmap.isNull())
        return;
    const QSizeF picture(m_bkBitmap.width() * scale, m_bkBitmap.height() * scale);
    switch (m_bkBitmapMode) {
    case LeftTop:
        painter.drawImage(QRectF(QPointF(0, 0), picture), m_bkBitmap);
        break;
    case Center: {
        // Integer halves, computed in floating point so that no size can overflow.
        const QPointF origin(std::trunc((double(size.width()) - std::round(picture.width())) / 2.0),
            std::trunc((double(size.height()) - std::round(picture.height())) / 2.0));
        painter.drawImage(QRectF(origin, picture), m_bkBitmap);
        break;
    }
    case Stretch: {
        // Only the part of the picture behind the area is scaled.
        const QRectF target = QRectF(area).intersected(QRectF(0, 0, size.width(), size.height()));
        if (target.isEmpty() || size.isEmpty())
            break;
        const double sx = m_bkBitmap.width() / double(size.width());
        const double sy = m_bkBitmap.height() / double(size.height());
        const QRectF source(target.left() * sx, target.top() * sy, target.width() * sx, target.height() * sy);
        painter.drawImage(target, m_bkBitmap, source);
        break;
    }
    case Tiled:
    default: {
        if (picture.width() < 1 || picture.height() < 1)
            break;
        // A texture brush repeats the picture from the control's origin.
        QBrush tiles(m_bkBitmap);
        tiles.setTransform(QTransform::fromScale(scale, scale));
        painter.fillRect(tileAll ? QRect(QPoint(0, 0), size) : area, tiles);
        break;
    }
    }
}

void TMyCAD::DrawGrid(QPainter& painter, const QRect& area) const
{
    const TGridObject& grid = m_grid;
    if (grid.GridType == gNone || !grid.GridShow || !(grid.GridWidth > 0) || !(grid.GridHeight > 0))
        return;
    // A spacing below one pixel would cover the area with grid colour at great cost.
    if (grid.GridWidth < 1.0 || grid.GridHeight < 1.0)
        return;
    const QColor color = ShapePainter::ToQColor(grid.GridColor);
    const int size = grid.GridPenSize;
    const int kx0 = int(std::floor((area.left() - size) / grid.GridWidth));
    const int kx1 = int(std::ceil((area.right() + size) / grid.GridWidth));
    const int ky0 = int(std::floor((area.top() - size) / grid.GridHeight));
    const int ky1 = int(std::ceil((area.bottom() + size) / grid.GridHeight));
    if (grid.GridType == gLine) {
        const int before = size / 2;
        for (int k = kx0; k <= kx1; ++k) {
            const int x = CanvasMath::RoundToInt(k * grid.GridWidth);
            painter.fillRect(QRect(x - before, area.top(), std::max(1, size), area.height()), color);
        }
        for (int k = ky0; k <= ky1; ++k) {
            const int y = CanvasMath::RoundToInt(k * grid.GridHeight);
            painter.fillRect(QRect(area.left(), y - before, area.width(), std::max(1, size)), color);
        }
        return;
    }
    for (int ky = ky0; ky <= ky1; ++ky) {
        const int y = CanvasMath::RoundToInt(ky * grid.GridHeight);
        for (int kx = kx0; kx <= kx1; ++kx) {
            const int x = CanvasMath::RoundToInt(kx * grid.GridWidth);
            painter.fillRect(QRect(x - size, y - size, 2 * size + 1, 2 * size + 1), color);
        }
    }
}

void TMyCAD::DrawShapes(QPainter& painter, const std::vector<int>* layerIds, bool printer)
{
    std::unordered_set<int> listed;
    if (layerIds != nullptr)
        listed.insert(layerIds->begin(), layerIds->end());
    ShapePainter shapes(&painter, *this, printer);
    std::vector<TMyShape*> taken;
    // Link points are drawn for every drawn shape, so they are never culled by band.
    const bool linkPoints = m_hotShow && m_showHotLink && !printer;
    for (const auto& owned : m_shapes) {
        TMyShape* shape = owned.get();
        if (shape->ParentGroup() >= 0 || !shape->Visible())
            continue;
        const bool layerOk
            = layerIds == nullptr ? IsLayerVisible(shape->LayerId()) : listed.empty() || listed.count(shape->LayerId());
        if (!layerOk)
            continue;
        if (m_bandArea != nullptr && !linkPoints) {
            auto found = m_bandBounds.find(shape);
            if (found == m_bandBounds.end()) {
                ShapePainter measure(nullptr, *this, printer);
                measure.DrawWithMembers(*shape);
                // A little more than measured: pen ends and rounding.
                found = m_bandBounds.emplace(shape, measure.Bounds().adjusted(-3, -3, 3, 3)).first;
            }
            if (!found->second.intersects(QRectF(*m_bandArea)))
                continue;
        }
        shapes.DrawWithMembers(*shape);
        taken.push_back(shape);
    }
    if (linkPoints)
        for (TMyShape* shape : taken)
            shapes.DrawLinkPoints(*shape);
}

void TMyCAD::Paint(QPainter& painter, const QRect& damaged)
{
    const QRect area = damaged.normalized();
    if (m_painting || area.isEmpty())
        return;
    m_painting = true;
    // The buffer only grows; smaller areas use its top-left part, so that alternating
    // full and small repaints never touch fresh memory.
    if (m_paintBuffer.width() < area.width() || m_paintBuffer.height() < area.height())
        m_paintBuffer = QImage(std::max(area.width(), m_paintBuffer.width()),
            std::max(area.height(), m_paintBuffer.height()), QImage::Format_RGB32);
    QImage buffer(
        m_paintBuffer.bits(), area.width(), area.height(), m_paintBuffer.bytesPerLine(), QImage::Format_RGB32);
    {
        QPainter onBuffer(&buffer);
        onBuffer.translate(-area.topLeft());
        onBuffer.fillRect(area, ShapePainter::ToQColor(m_colorOfBackGround));
        DrawBackgroundPicture(onBuffer, area, QSize(m_width, m_height), 1.0, false);
        DrawGrid(onBuffer, area);
        if (!m_layerCache)
            m_layerCache = std::make_shared<ShapeLayerCache>();
        if (m_drawingStale) {
            m_layerCache->Sync(*this);
            m_drawingStale = false;
        }
        m_layerCache->Draw(onBuffer, area, *this);
        DrawHandlesAndTraces(onBuffer);
    }
    painter.drawImage(area.topLeft(), buffer);
    m_painting = false;
    if (OnPaint)
        OnPaint();
}

namespace {

// The contour around a shape's stroke, a few pixels out: drawn around the hovered
// mark so that the mark itself stays visible whatever its colour.
QPainterPath HoverHalo(const TMyShape& shape, double zoom)
{
    QPainterPath path;
    path.addPolygon(ScreenOutline(shape, zoom));
    QPainterPathStroker stroker;
    stroker.setWidth(std::max(2.0, shape.Pen().width * zoom) + 6.0);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path).simplified();
}

} // namespace

void TMyCAD::SetHoverShape(int id)
{
    if (id == m_hoverShapeId)
        return;
    m_hoverShapeId = id;
    if (!m_highlightHover)
        return;
    const QRect before = m_hoverArea;
    m_hoverArea = QRect();
    if (const TMyShape* shape = ShapeById(id))
        m_hoverArea = Rounded(HoverHalo(*shape, Zoom()).boundingRect()).adjusted(-3, -3, 3, 3);
    RepaintArea(before);
    RepaintArea(m_hoverArea);
}

void TMyCAD::DrawHoverHighlight(QPainter& painter)
{
    const TMyShape* shape = m_highlightHover ? ShapeById(m_hoverShapeId) : nullptr;
    if (shape == nullptr || !shape->Visible() || !IsLayerVisible(shape->LayerId()) || IndexInSelection(shape) >= 0)
        return;
    const QPainterPath halo = HoverHalo(*shape, Zoom());
    m_hoverArea = Rounded(halo.boundingRect()).adjusted(-3, -3, 3, 3);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    // White under black, like the editing traces: it shows on light and dark skin and
    // beside a mark of any colour.
    painter.setPen(QPen(QColor(255, 255, 255, 230), 3));
    painter.drawPath(halo);
    painter.setPen(QPen(QColor(0, 0, 0, 220), 1));
    painter.drawPath(halo);
    painter.restore();
}

void TMyCAD::DrawHandlesAndTraces(QPainter& painter)
{
    DrawHoverHighlight(painter);
    if (m_hotShow) {
        ShapePainter handles(&painter, *this, false);
        const bool rotating = m_shapeTool == SpRotateSelecting;
        // A selected group's member under the mouse (the hot child) shows its own handles.
        const bool hotChild = m_hotShape != nullptr && m_hotShape->ParentGroup() >= 0
            && IndexInSelection(OutermostGroup(m_hotShape)) >= 0;
        if (hotChild) {
            handles.DrawHandles(*m_hotShape, true, rotating);
        } else {
            for (TMyShape* shape : m_selection)
                if (shape->Visible() && IsLayerVisible(shape->LayerId()))
                    handles.DrawHandles(*shape, false, rotating);
        }
    }
    if (m_traceOutlines.empty() && m_traceBand.isEmpty())
        return;
    painter.save();
    painter.setBrush(Qt::NoBrush);
    QPen under(Qt::white, 1);
    QPen dots(Qt::black, 1, Qt::DotLine);
    for (const QPolygonF& outline : m_traceOutlines) {
        painter.setPen(under);
        painter.drawPolyline(outline);
        painter.setPen(dots);
        painter.drawPolyline(outline);
    }
    if (!m_traceBand.isEmpty()) {
        const QColor pen = ShapePainter::ToQColor(m_pen.color);
        const QColor midway((pen.red() + 255) / 2, (pen.green() + 255) / 2, (pen.blue() + 255) / 2);
        painter.setPen(under);
        painter.drawRect(m_traceBand);
        painter.setPen(QPen(midway, 1, Qt::DotLine));
        painter.drawRect(m_traceBand);
    }
    painter.restore();
}

QRect TMyCAD::TraceArea() const
{
    QRectF area = m_traceBand;
    for (const QPolygonF& outline : m_traceOutlines)
        area = area.isEmpty() ? outline.boundingRect() : area.united(outline.boundingRect());
    return Rounded(area).adjusted(-2, -2, 2, 2);
}

void TMyCAD::SetTraceOverlay(std::vector<QPolygonF> outlines, QRectF selectionBand)
{
    const QRect before = TraceArea();
    m_traceOutlines = std::move(outlines);
    m_traceBand = selectionBand.normalized();
    RepaintArea(before.united(TraceArea()));
}

void TMyCAD::ClearTraceOverlay()
{
    if (m_traceOutlines.empty() && m_traceBand.isEmpty())
        return;
    const QRect before = TraceArea();
    m_traceOutlines.clear();
    m_traceBand = QRectF();
    RepaintArea(before);
}

void TMyCAD::PaintPage(QPainter& painter, QSize pagePixels, double zoom, const std::vector<int>& layerIds, bool printer)
{
    ZoomScope scope(m_zoom, zoom);
    const double z = m_zoom;
    const QRect page(QPoint(0, 0), pagePixels);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    if (!printer)
        painter.fillRect(page, m_printBackground ? ShapePainter::ToQColor(m_colorOfBackGround) : QColor(Qt::white));
    else if (m_printBackground) {
        const QColor background = ShapePainter::ToQColor(m_colorOfBackGround);
        const bool twoColours = painter.device() != nullptr && painter.device()->colorCount() == 2;
        painter.fillRect(page, twoColours ? ShapePainter::Grey(background) : background);
    }
    if (printer && m_bkBitmapMode == Stretch)
        painter.drawImage(QRectF(page), m_bkBitmap);
    else if (!m_bkBitmap.isNull())
        DrawBackgroundPicture(painter, page, pagePixels, printer ? z : 1.0, true);
    const int left = CanvasMath::RoundToInt(m_printABordertoLeft * z);
    const int right = CanvasMath::RoundToInt(m_printABordertoRight * z);
    if (m_printABorder) {
        const int top = CanvasMath::RoundToInt(m_printABordertoTop * z);
        const int bottom = CanvasMath::RoundToInt(m_printABordertoBottom * z);
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(Qt::NoBrush);
        // An outline of a QRect covers its right and bottom edge plus one pixel.
        painter.drawRect(QRect(left, top, page.width() - right - 1 - left, page.height() - bottom - 1 - top));
    }
    const ShapePainter fonts(nullptr, *this, printer);
    DrawAligned(painter, m_pageHead, m_pageHeadFont, m_pageHeadAlignment, CanvasMath::RoundToInt(m_pageHeadToTop * z),
        false, page, left, right, fonts);
    DrawAligned(painter, m_pageFoot, m_pageFootFont, m_pageFootAlignment,
        CanvasMath::RoundToInt(m_pageFootToBottom * z), true, page, left, right, fonts);
    DrawShapes(painter, &layerIds, printer);
    painter.restore();
}

QImage TMyCAD::RenderPage(const std::vector<int>& layerIds, double zoom)
{
    if (!(zoom > 0) || !std::isfinite(zoom))
        return QImage();
    const double scale = zoom * PixelsPerInch() / 25.4;
    const QSize size(CanvasMath::RoundToInt(m_pageWidth * scale), CanvasMath::RoundToInt(m_pageHeight * scale));
    if (size.isEmpty())
        return QImage();
    QImage page(size, QImage::Format_RGB32);
    if (page.isNull())
        return page; // too large for memory
    QPainter painter(&page);
    PaintPage(painter, size, zoom, layerIds, false);
    return page;
}

QImage TMyCAD::RenderControl()
{
    if (m_width <= 0 || m_height <= 0)
        return QImage();
    QImage picture(m_width, m_height, QImage::Format_RGB32);
    if (picture.isNull())
        return picture;
    QPainter painter(&picture);
    PaintControlArea(painter, picture.rect());
    return picture;
}

void TMyCAD::PaintControlArea(QPainter& painter, const QRect& area)
{
    painter.fillRect(area, Qt::white);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    // The whole picture under the painter's clip: a band scales exactly the pixels the
    // whole picture would have there (a part scaled on its own can round differently).
    const QRect whole(0, 0, m_width, m_height);
    DrawBackgroundPicture(painter, whole, whole.size(), 1.0, false);
    DrawShapes(painter, nullptr, false);
}

int TMyCAD::BandRows(int width)
{
    constexpr qint64 kBandBytes = qint64(16) << 20;
    return int(std::clamp<qint64>(kBandBytes / (qint64(std::max(width, 1)) * 4), 16, 4096));
}

bool TMyCAD::PaintInBands(QSize size, int bandRows, bool bottomUp,
    const std::function<void(QPainter&, const QRect&)>& paint, const std::function<bool(const QImage&, int)>& take)
{
    if (size.isEmpty() || bandRows <= 0)
        return false;
    const int rows = std::min(bandRows, size.height());
    // Each band is painted with a few rows more on either side and handed over without
    // them: where a clip cuts a line its pixels can step differently for a row or so, and
    // that happens in the rows that are thrown away.
    constexpr int kMargin = 4;
    QImage buffer(size.width(), rows + 2 * kMargin, QImage::Format_RGB32);
    if (buffer.isNull())
        return false;
    const int bands = (size.height() + rows - 1) / rows;
    struct BandScope
    {
        TMyCAD& cad;
        ~BandScope()
        {
            cad.m_bandArea = nullptr;
            cad.m_bandBounds.clear();
        }
    } scope { *this };
    m_bandBounds.clear();
    for (int i = 0; i < bands; ++i) {
        const int top = (bottomUp ? bands - 1 - i : i) * rows;
        const int height = std::min(rows, size.height() - top);
        const QRect area(0, top, size.width(), height);
        const QRect painted = area.adjusted(0, -kMargin, 0, kMargin);
        {
            QImage canvas(
                buffer.bits(), painted.width(), painted.height(), buffer.bytesPerLine(), QImage::Format_RGB32);
            QPainter painter(&canvas);
            painter.translate(0, -painted.top());
            painter.setClipRect(painted);
            m_bandArea = &painted;
            paint(painter, painted);
            m_bandArea = nullptr;
        }
        const QImage band(
            buffer.constScanLine(kMargin), area.width(), height, buffer.bytesPerLine(), QImage::Format_RGB32);
        if (!take(band, top))
            return false;
    }
    return true;
}

bool TMyCAD::RenderControlBands(int bandRows, bool bottomUp, const std::function<bool(const QImage&, int)>& take)
{
    return PaintInBands(
        QSize(m_width, m_height), bandRows, bottomUp,
        [this](QPainter& painter, const QRect& area) { PaintControlArea(painter, area); }, take);
}

QImage TMyCAD::SelectionPicture()
{
    if (m_selection.empty())
        return QImage();
    QRectF box;
    for (TMyShape* shape : m_selection)
        for (TMyShape* part : WithMembers(shape)) {
            if (part->Nodes().empty())
                continue;
            const QRectF r(QPointF(part->Left() * m_zoom, part->Top() * m_zoom),
                QPointF(part->Right() * m_zoom, part->Bottom() * m_zoom));
            box = box.isNull() ? r : box.united(r);
        }
    // Boxes beyond any sensible picture (damaged coordinates) give no picture.
    if (!(box.width() <= 20000 && box.height() <= 20000 && std::abs(box.left()) < 1e7 && std::abs(box.top()) < 1e7))
        return QImage();
    const QRect area = QRect(QPoint(CanvasMath::RoundToInt(box.left()), CanvasMath::RoundToInt(box.top())),
        QPoint(CanvasMath::RoundToInt(box.right()), CanvasMath::RoundToInt(box.bottom())))
                           .adjusted(-2, -2, 2, 2);
    QImage picture(area.size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.translate(-area.topLeft());
    ShapePainter shapes(&painter, *this, false);
    for (TMyShape* shape : m_selection)
        shapes.DrawWithMembers(*shape);
    return picture;
}
