// The canvas object: host, page, properties, layers and selection. The shape list
// is in TMyCADShapes.cpp, the stream in TMyCADStream.cpp, the copy buffer in
// TMyCADClipboard.cpp.
#include "canvas/TMyCAD.h"

#include "canvas/PictureBlock.h"
#include "canvas/UndoActions.h"

#include <QLineF>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct PageSize
{
    int width;
    int height;
};

// Portrait sizes in millimetres, by TPageStyle.
constexpr PageSize kPageSizes[] = { { 841, 1189 }, { 594, 841 }, { 420, 594 }, { 297, 420 }, { 210, 297 }, { 148, 210 },
    { 353, 500 }, { 257, 364 }, { 182, 257 } };

} // namespace

TMyCAD::TMyCAD(TMyCADHost* host)
    : m_host(host)
{
    m_mouse = std::make_unique<TMyCADMouse>(*this);
    ApplyPageSize();
    AddLayer(QStringLiteral("Layer0"), true);
}

TMyCAD::~TMyCAD()
{
    m_loading = true; // no callbacks or repaints while the shapes go
    m_mouse.reset();
    m_selection.clear();
    m_undo.Clear();
    m_copyBuffer.clear();
    m_shapes.clear();
}

double TMyCAD::PixelsPerInch() const
{
    const double ppi = m_host != nullptr ? m_host->PixelsPerInch() : 96.0;
    return ppi > 0 ? ppi : 96.0;
}

void TMyCAD::Invalidate() const
{
    m_drawingStale = true;
    if (m_host != nullptr && !m_loading)
        m_host->RequestRepaint();
}

void TMyCAD::SetClientSize(int width, int height)
{
    if (width == m_width && height == m_height)
        return;
    m_width = width;
    m_height = height;
    if (m_host != nullptr)
        m_host->ClientSizeChanged(width, height);
}

void TMyCAD::ClientResized(int width, int height)
{
    m_width = width;
    m_height = height;
    const double unit = PixelsPerInch() * m_zoom;
    m_pageWidth = CanvasMath::RoundToInt(width * 25.4 / unit);
    m_pageHeight = CanvasMath::RoundToInt(height * 25.4 / unit);
    DerivePageStyle();
}

void TMyCAD::ApplyPageSize()
{
    if (m_pageStyle < CustomerPage) {
        const PageSize size = kPageSizes[m_pageStyle];
        const bool landscape = m_pageOrientation == poLandscape;
        m_pageWidth = landscape ? size.height : size.width;
        m_pageHeight = landscape ? size.width : size.height;
        const double scale = m_zoom * PixelsPerInch() / 25.4;
        SetClientSize(CanvasMath::RoundToInt(m_pageWidth * scale), CanvasMath::RoundToInt(m_pageHeight * scale));
    }
    Invalidate();
}

void TMyCAD::DerivePageStyle()
{
    const bool landscape = m_pageOrientation == poLandscape;
    for (int s = 0; s < CustomerPage; ++s) {
        const PageSize size = kPageSizes[s];
        const int w = landscape ? size.height : size.width;
        const int h = landscape ? size.width : size.height;
        if (w == m_pageWidth && h == m_pageHeight) {
            m_pageStyle = static_cast<TPageStyle>(s);
            return;
        }
    }
    m_pageStyle = CustomerPage;
}

void TMyCAD::SetPageStyle(TPageStyle style)
{
    m_pageStyle = style;
    ApplyPageSize();
}

void TMyCAD::SetPageOrientation(TPageOrientation orientation)
{
    m_pageOrientation = orientation;
    ApplyPageSize();
}

void TMyCAD::SetPageWidth(int mm)
{
    m_pageWidth = mm;
    DerivePageStyle();
    ApplyPageSize();
}

void TMyCAD::SetPageHeight(int mm)
{
    m_pageHeight = mm;
    DerivePageStyle();
    ApplyPageSize();
}

void TMyCAD::SetZoom(double zoom)
{
    if (!(zoom > 0) || !std::isfinite(zoom))
        return;
    m_previousZoom = m_zoom;
    m_zoom = zoom;
    ApplyPageSize();
}

void TMyCAD::SetTheUNIT(TUnits unit)
{
    m_unit = unit;
    Invalidate();
}

void TMyCAD::SetColorOfBackGround(TColor color)
{
    m_colorOfBackGround = color;
    Invalidate();
}

void TMyCAD::SetBkBitmap(const QImage& picture)
{
    m_bkBitmap = PictureBlock::To24Bits(picture);
    Invalidate();
}

void TMyCAD::SetBkBitmapMode(TBkBitmapMode mode)
{
    m_bkBitmapMode = mode;
    Invalidate();
}

void TMyCAD::SetGridOperation(const TGridObject& grid)
{
    m_grid = grid;
    Invalidate();
}

void TMyCAD::SetOperateAllLayer(bool all)
{
    m_operateAllLayer = all;
    ClearSelection();
    Invalidate();
}

void TMyCAD::SetShapeTool(TDrawTool tool)
{
    m_shapeTool = tool;
    m_mouse->ToolChanged(tool);
    Invalidate();
}

uint8_t TMyCAD::UndoRedoSize() const
{
    return m_undo.Size();
}

void TMyCAD::SetUndoRedoSize(uint8_t size)
{
    m_undo.SetSize(size);
}

QString TMyCAD::FormatDistance(QPointF p1, QPointF p2) const
{
    const double d = CanvasMath::RoundToInt(QLineF(p1, p2).length());
    const double value = m_ratio / m_zoom * d;
    const double ppi = PixelsPerInch();
    switch (m_unit) {
    case mm:
        return QString::asprintf("%9.2f mm", value / ppi * 25.4);
    case cm:
        return QString::asprintf("%9.2f cm", value / ppi * 2.54);
    case dm:
        return QString::asprintf("%9.2f dm", value / ppi * 0.254);
    case m:
        return QString::asprintf("%9.2f m", value / ppi * 0.0254);
    case inch:
        return QString::asprintf("%9.2f in", value / ppi);
    default:
        return QString::asprintf("%9.2f pixel(s)", value);
    }
}

// --- selection ---

void TMyCAD::SelectShape(TMyShape* shape)
{
    if (shape == nullptr)
        return;
    shape = OutermostGroup(shape);
    if (IndexInSelection(shape) < 0)
        m_selection.push_back(shape);
}

bool TMyCAD::SelectShapeById(int id, bool clearFirst)
{
    TMyShape* shape = ShapeById(id);
    if (shape == nullptr)
        return false;
    TMyShape* last = m_selection.empty() ? nullptr : m_selection.front();
    if (clearFirst)
        m_selection.clear();
    SelectShape(shape);
    if (OnShapeSelected)
        OnShapeSelected(last, shape);
    Invalidate();
    return true;
}

void TMyCAD::DeselectShape(TMyShape* shape)
{
    m_selection.erase(std::remove(m_selection.begin(), m_selection.end(), shape), m_selection.end());
}

void TMyCAD::ClearSelection()
{
    m_selection.clear();
}

TMyShape* TMyCAD::SelectedShape() const
{
    return m_selection.size() == 1 ? m_selection.front() : nullptr;
}

int TMyCAD::IndexInSelection(const TMyShape* shape) const
{
    const auto it = std::find(m_selection.begin(), m_selection.end(), shape);
    return it == m_selection.end() ? -1 : static_cast<int>(it - m_selection.begin());
}

// --- layers ---

int TMyCAD::AddLayer(const QString& name, bool visible)
{
    if (LayerIdByName(name) >= 0 || m_nextLayerId == std::numeric_limits<int>::max())
        return -1;
    const int id = m_nextLayerId;
    m_layers.push_back(LayerRec { name, id, visible });
    m_currentLayer = id;
    if (OnNewLayer)
        OnNewLayer(id, name, visible);
    ++m_nextLayerId;
    return id;
}

bool TMyCAD::DeleteLayer(int layerId)
{
    const int index = LayerIndexById(layerId);
    if (index < 0)
        return false;
    ClearSelection();
    // All shapes of the layer go in one pass, so that a layer of many shapes is
    // removed in linear time.
    const std::vector<TMyShape*> shapes = ShapesOfLayer(layerId);
    for (TMyShape* shape : shapes) {
        shape->SetLocked(false);
        m_undo.Record(UndoActions::kDelete, { shape });
    }
    if (!shapes.empty())
        RemoveWithMembers(shapes);
    const LayerRec removed = m_layers[static_cast<size_t>(index)];
    m_layers.erase(m_layers.begin() + index);
    if (OnDeleteLayer)
        OnDeleteLayer(removed.layerId, removed.name, removed.visible);
    m_currentLayer = m_layers.empty() ? -1 : m_layers.front().layerId;
    Invalidate();
    return true;
}

void TMyCAD::DeleteAllLayers()
{
    while (!m_layers.empty())
        DeleteLayer(m_layers.front().layerId);
    m_currentLayer = -1;
    m_nextLayerId = 0;
}

int TMyCAD::LayerIdByName(const QString& name) const
{
    for (const LayerRec& layer : m_layers)
        if (layer.name == name)
            return layer.layerId;
    return -1;
}

int TMyCAD::LayerIndexById(int layerId) const
{
    for (size_t i = 0; i < m_layers.size(); ++i)
        if (m_layers[i].layerId == layerId)
            return static_cast<int>(i);
    return -1;
}

int TMyCAD::LastLayerId() const
{
    return m_layers.empty() ? -1 : m_layers.back().layerId;
}

bool TMyCAD::SetCurrentLayer(int layerId)
{
    if (LayerIndexById(layerId) < 0)
        return false;
    m_currentLayer = layerId;
    ClearSelection();
    return true;
}

void TMyCAD::ShowLayer(int layerId)
{
    const int index = LayerIndexById(layerId);
    if (index >= 0)
        m_layers[static_cast<size_t>(index)].visible = true;
    Invalidate();
}

void TMyCAD::HideLayer(int layerId)
{
    const int index = LayerIndexById(layerId);
    if (index >= 0)
        m_layers[static_cast<size_t>(index)].visible = false;
    Invalidate();
}

bool TMyCAD::IsLayerVisible(int layerId) const
{
    const int index = LayerIndexById(layerId);
    return index >= 0 && m_layers[static_cast<size_t>(index)].visible;
}

std::vector<TMyShape*> TMyCAD::ShapesOfLayer(int layerId) const
{
    std::vector<TMyShape*> shapes;
    if (m_currentLayer < 0)
        return shapes;
    for (const auto& shape : m_shapes)
        if (shape->LayerId() == layerId && shape->ParentGroup() < 0)
            shapes.push_back(shape.get());
    return shapes;
}
