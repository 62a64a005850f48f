#include "canvas/ShapeLayerCache.h"

#include "canvas/ShapePainter.h"
#include "canvas/TMyCAD.h"
#include "canvas/TMyElliArc.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_set>

namespace {

// A fast 64-bit mix over the values a drawing depends on, eight bytes at a time.
class Hasher
{
public:
    void Bytes(const void* data, size_t size)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        for (; size >= 8; p += 8, size -= 8) {
            uint64_t word;
            std::memcpy(&word, p, 8);
            Mix(word);
        }
        uint64_t tail = 0;
        if (size > 0)
            std::memcpy(&tail, p, size);
        Mix(tail ^ (uint64_t(size) << 56));
    }
    template <typename T> void Value(const T& value) { Bytes(&value, sizeof value); }
    void Text(const QString& text)
    {
        Value(text.size());
        Bytes(text.constData(), size_t(text.size()) * sizeof(QChar));
    }
    void Font(const TMyFont& font)
    {
        Text(font.name);
        Value(font.color);
        Value(font.size);
        Value(font.style);
        Value(font.pitch);
    }
    uint64_t Result() const { return m_value; }

private:
    void Mix(uint64_t word)
    {
        m_value = (m_value ^ word) * 0x9E3779B97F4A7C15ull;
        m_value ^= m_value >> 29;
    }

    uint64_t m_value = 1469598103934665603ull;
};

void HashAngleAndInfo(Hasher& h, const TMyShape& shape)
{
    h.Value(shape.Angle());
    h.Text(shape.Info());
}

void HashArrows(Hasher& h, const TMyLine& line)
{
    h.Value(line.ArrowAngle());
    h.Value(line.ArrowLength());
    h.Value(line.ArrowOffset());
    h.Value(line.ArrowStyle());
}

// Everything one shape's drawing depends on (not its members).
void HashShape(Hasher& h, const TMyShape& shape)
{
    h.Value(shape.Kind());
    h.Value(shape.Visible());
    h.Value(shape.Nodes().size());
    h.Bytes(shape.Nodes().data(), shape.Nodes().size() * sizeof(TMyPoint));
    h.Value(shape.LinkPoints().size());
    h.Bytes(shape.LinkPoints().data(), shape.LinkPoints().size() * sizeof(TMyPoint));
    h.Value(shape.CaptionPos());
    h.Value(shape.Pen().color);
    h.Value(shape.Pen().mode);
    h.Value(shape.Pen().style);
    h.Value(shape.Pen().width);
    h.Value(shape.Brush().color);
    h.Value(shape.Brush().style);
    h.Value(shape.Brush().pattern.cacheKey());
    h.Font(shape.Font());
    h.Value(shape.CaptionShow());
    h.Value(shape.LogUse());
    h.Value(shape.LogHeight());
    h.Value(shape.LogWidth());
    h.Value(shape.ColorBegin());
    h.Value(shape.ColorEnd());
    h.Value(shape.GradientStyle());
    h.Value(shape.IsFlipHorz());
    h.Value(shape.IsFlipVert());
    h.Value(shape.MultiInfoAlignment());
    h.Value(shape.MultiInfo().size());
    for (const QString& line : shape.MultiInfo())
        h.Text(line);
    switch (shape.Kind()) {
    case ShapeKind::RuleLine: {
        // A rule line writes its angle and length text itself while drawing.
        const auto& rule = static_cast<const TMyRuleLine&>(shape);
        h.Value(rule.ShowUserInfo());
        h.Value(rule.TickStyle());
        h.Text(rule.UserInfo());
        HashArrows(h, rule);
        break;
    }
    case ShapeKind::Line:
    case ShapeKind::PolyLine:
    case ShapeKind::Polygon:
        HashAngleAndInfo(h, shape);
        HashArrows(h, static_cast<const TMyLine&>(shape));
        break;
    case ShapeKind::LinkLine:
        HashAngleAndInfo(h, shape);
        HashArrows(h, static_cast<const TMyLine&>(shape));
        h.Value(static_cast<const TMyLinkLine&>(shape).LinkLineDrawStyle());
        break;
    case ShapeKind::Text: {
        HashAngleAndInfo(h, shape);
        const auto& text = static_cast<const TMyText&>(shape);
        h.Value(text.HAlignment());
        h.Value(text.VAlignment());
        h.Value(text.IsBorder());
        h.Value(text.IsSolid());
        h.Value(text.WordWrap());
        for (const QString& line : text.Lines())
            h.Text(line);
        break;
    }
    case ShapeKind::Image: {
        HashAngleAndInfo(h, shape);
        const auto& image = static_cast<const TMyImage&>(shape);
        h.Value(image.Bitmap().cacheKey());
        h.Value(image.Border());
        h.Value(image.Brightness());
        h.Value(image.Contrast());
        h.Value(image.GrayScale());
        h.Value(image.Transparent());
        break;
    }
    case ShapeKind::ElliArc: {
        HashAngleAndInfo(h, shape);
        const auto& arc = static_cast<const TMyElliArc&>(shape);
        h.Value(arc.ArcMode());
        h.Value(arc.ArcStyle());
        break;
    }
    case ShapeKind::Rectangle:
    case ShapeKind::Ellipse:
    case ShapeKind::Group:
    case ShapeKind::Combine:
    case ShapeKind::LinkPoint:
    case ShapeKind::LineLinkLine:
    case ShapeKind::PolyBezier:
        HashAngleAndInfo(h, shape);
        break;
    }
}

uint64_t TileKey(int tx, int ty)
{
    return (uint64_t(uint32_t(ty)) << 32) | uint32_t(tx);
}

} // namespace

void ShapeLayerCache::Clear()
{
    m_shapeCount = 0;
    m_entries.clear();
    m_order.clear();
    m_tiles.clear();
}

void ShapeLayerCache::DropTiles(const QRectF& area)
{
    if (area.isEmpty() || !std::isfinite(area.width()) || !std::isfinite(area.height()))
        return;
    // Far beyond any control (damaged coordinates) the range is clamped.
    auto tile = [](double pixel) { return int(std::floor(std::clamp(pixel, -1e9, 1e9) / kTileSize)); };
    const int tx0 = tile(area.left());
    const int tx1 = tile(area.right());
    const int ty0 = tile(area.top());
    const int ty1 = tile(area.bottom());
    if (tx1 < tx0 || ty1 < ty0)
        return;
    if (uint64_t(tx1 - tx0 + 1) * uint64_t(ty1 - ty0 + 1) > m_tiles.size()) {
        std::erase_if(m_tiles, [&](const auto& pair) {
            const int tx = int(int32_t(uint32_t(pair.first)));
            const int ty = int(int32_t(uint32_t(pair.first >> 32)));
            return tx >= tx0 && tx <= tx1 && ty >= ty0 && ty <= ty1;
        });
        return;
    }
    for (int ty = ty0; ty <= ty1; ++ty)
        for (int tx = tx0; tx <= tx1; ++tx)
            m_tiles.erase(TileKey(tx, ty));
}

void ShapeLayerCache::Sync(TMyCAD& cad)
{
    // Settings that change every shape's drawing drop everything.
    Hasher global;
    global.Value(cad.Zoom());
    global.Value(cad.PixelsPerInch());
    global.Value(cad.TheUNIT());
    global.Value(cad.Ratio());
    global.Value(cad.HotShow() && cad.ShowHotLink());
    if (global.Result() != m_global) {
        Clear();
        m_global = global.Result();
    }
    ++m_generation;
    std::vector<QRectF> dirty;
    m_order.clear();
    for (int i = 0; i < cad.ShapeCount(); ++i) {
        TMyShape* shape = cad.ShapeByIndex(i);
        if (shape->ParentGroup() >= 0)
            continue;
        const bool drawn = shape->Visible() && cad.IsLayerVisible(shape->LayerId());
        Hasher h;
        h.Value(i);
        h.Value(drawn);
        if (shape->Children().empty()) {
            HashShape(h, *shape);
        } else {
            for (TMyShape* part : cad.WithMembers(shape))
                HashShape(h, *part);
        }
        auto [it, added] = m_entries.try_emplace(shape);
        Entry& entry = it->second;
        if (added || entry.signature != h.Result()) {
            if (!added)
                dirty.push_back(entry.bounds);
            entry.signature = h.Result();
            entry.bounds = QRectF();
            if (drawn) {
                ShapePainter measure(nullptr, cad, false);
                measure.DrawWithMembers(*shape);
                measure.DrawLinkPoints(*shape);
                entry.bounds = measure.Bounds();
            }
            dirty.push_back(entry.bounds);
        }
        entry.generation = m_generation;
        if (drawn && !entry.bounds.isEmpty())
            m_order.push_back(Item { shape, i, entry.bounds });
    }
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->second.generation != m_generation) {
            dirty.push_back(it->second.bounds);
            it = m_entries.erase(it);
        } else {
            ++it;
        }
    }
    m_shapeCount = cad.ShapeCount();
    if (dirty.size() > 256) {
        m_tiles.clear();
        return;
    }
    for (const QRectF& area : dirty)
        DropTiles(area.adjusted(-1, -1, 1, 1));
}

void ShapeLayerCache::RenderTile(Tile& tile, QPoint index, TMyCAD& cad) const
{
    const QRect rect(index * kTileSize, QSize(kTileSize, kTileSize));
    std::vector<TMyShape*> shapes;
    for (const Item& item : m_order)
        if (item.bounds.intersects(rect))
            shapes.push_back(item.shape);
    tile.image = QImage();
    if (shapes.empty())
        return;
    ++m_rendered;
    tile.image = QImage(kTileSize, kTileSize, QImage::Format_ARGB32_Premultiplied);
    tile.image.fill(Qt::transparent);
    QPainter painter(&tile.image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.translate(-rect.topLeft());
    painter.setClipRect(rect);
    ShapePainter drawing(&painter, cad, false);
    for (TMyShape* shape : shapes)
        drawing.DrawWithMembers(*shape);
    if (cad.HotShow() && cad.ShowHotLink())
        for (TMyShape* shape : shapes)
            drawing.DrawLinkPoints(*shape);
}

bool ShapeLayerCache::Matches(const TMyCAD& cad) const
{
    if (cad.ShapeCount() != m_shapeCount)
        return false;
    for (const Item& item : m_order)
        if (cad.ShapeByIndex(item.index) != item.shape)
            return false;
    return true;
}

void ShapeLayerCache::Draw(QPainter& painter, const QRect& area, TMyCAD& cad)
{
    if (!Matches(cad))
        Sync(cad);
    ++m_clock;
    const int tx0 = int(std::floor(area.left() / double(kTileSize)));
    const int tx1 = int(std::floor(area.right() / double(kTileSize)));
    const int ty0 = int(std::floor(area.top() / double(kTileSize)));
    const int ty1 = int(std::floor(area.bottom() / double(kTileSize)));
    for (int ty = ty0; ty <= ty1; ++ty) {
        for (int tx = tx0; tx <= tx1; ++tx) {
            auto [it, added] = m_tiles.try_emplace(TileKey(tx, ty));
            Tile& tile = it->second;
            if (added)
                RenderTile(tile, QPoint(tx, ty), cad);
            tile.lastUse = m_clock;
            if (tile.image.isNull())
                continue;
            const QRect rect(QPoint(tx, ty) * kTileSize, QSize(kTileSize, kTileSize));
            const QRect part = rect.intersected(area);
            painter.drawImage(part, tile.image, part.translated(-rect.topLeft()));
        }
    }
    Evict();
}

void ShapeLayerCache::Evict()
{
    if (m_tiles.size() <= kMaxTiles)
        return;
    std::vector<std::pair<uint64_t, uint64_t>> uses;
    for (const auto& [key, tile] : m_tiles)
        if (tile.lastUse != m_clock)
            uses.emplace_back(tile.lastUse, key);
    std::sort(uses.begin(), uses.end());
    for (const auto& [use, key] : uses) {
        if (m_tiles.size() <= kMaxTiles)
            break;
        m_tiles.erase(key);
    }
}
