#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>

#include <cstdint>
#include <unordered_map>
#include <vector>

class QPainter;
class TMyCAD;
class TMyShape;

// The drawn shapes of a canvas kept as transparent tiles at the current zoom, so
// that a repaint copies pictures instead of drawing thousands of hairs again. Each
// top-level shape has a signature of everything its drawing depends on; Sync
// compares the signatures with those of the last sync and drops only the tiles
// under shapes that appeared, changed or went away. Tiles are drawn when first
// needed and the least recently used are dropped beyond a memory bound.
class ShapeLayerCache
{
public:
    static constexpr int kTileSize = 256;
    // About 80 MB of tiles.
    static constexpr size_t kMaxTiles = 320;

    // Brings the cache up to date with the canvas's shapes and settings.
    void Sync(TMyCAD& cad);
    // Draws the cached shape layer (with link points) over the area; the painter
    // works in control pixels.
    void Draw(QPainter& painter, const QRect& area, TMyCAD& cad);
    void Clear();
    size_t TileCount() const { return m_tiles.size(); }
    // Tiles drawn since the cache was made (for tests and measurements).
    uint64_t TilesRendered() const { return m_rendered; }

private:
    struct Entry
    {
        uint64_t signature = 0;
        QRectF bounds;
        uint32_t generation = 0;
    };
    struct Item
    {
        TMyShape* shape;
        int index;
        QRectF bounds;
    };
    struct Tile
    {
        QImage image; // null when no shape touches the tile
        uint64_t lastUse = 0;
    };

    void DropTiles(const QRectF& area);
    // Whether every shape the cache would draw is still at its place in the canvas;
    // a list changed without a repaint request is caught here before any is drawn.
    bool Matches(const TMyCAD& cad) const;
    void RenderTile(Tile& tile, QPoint index, TMyCAD& cad) const;
    void Evict();

    std::unordered_map<const TMyShape*, Entry> m_entries;
    std::vector<Item> m_order;
    std::unordered_map<uint64_t, Tile> m_tiles;
    int m_shapeCount = 0;
    uint64_t m_global = 0;
    uint32_t m_generation = 0;
    uint64_t m_clock = 0;
    mutable uint64_t m_rendered = 0;
};
