#pragma once

#include "canvas/CanvasTypes.h"
#include "canvas/TMyCADHost.h"
#include "canvas/TMyCADMouse.h"
#include "canvas/TMyShape.h"
#include "canvas/TUndoList.h"
#include "canvas/TUserData.h"

#include <QIODevice>
#include <QImage>
#include <QPointF>
#include <QPolygonF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class QPainter;
class ShapeLayerCache;

// One entry of the canvas's layer list.
struct LayerRec
{
    QString name;
    int32_t layerId = 0;
    bool visible = true;
    bool operator==(const LayerRec& other) const = default;
};

// The drawing canvas: an ordered list of shapes (the z-order), named layers, a
// selection, a key/value store, page settings, an undo list and a copy buffer.
// It is not a widget: a host (see TMyCADHost) supplies the screen resolution and
// receives repaint, cursor and size requests. Events are optional callbacks,
// skipped when unset. Shape ids are serial numbers that are never reused; list
// indexes (ShapeIndex, ParentGroup, Children, Links, link-line ends) are kept
// consistent through every insertion and deletion.
class TMyCAD
{
public:
    explicit TMyCAD(TMyCADHost* host = nullptr);
    ~TMyCAD();
    TMyCAD(const TMyCAD&) = delete;
    TMyCAD& operator=(const TMyCAD&) = delete;

    // Groups nested deeper than this in a loaded file are dissolved at that level.
    static constexpr int kMaxGroupDepth = 256;

    // --- host and control size ---
    void SetHost(TMyCADHost* host) { m_host = host; }
    double PixelsPerInch() const;
    // Asks the host for a repaint (nothing without a host or while loading).
    void Invalidate() const;
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // The host reports that the control was resized by its parent: the page size
    // in millimetres follows the new pixel size.
    void ClientResized(int width, int height);

    // --- page ---
    TPageStyle PageStyle() const { return m_pageStyle; }
    void SetPageStyle(TPageStyle style);
    TPageOrientation PageOrientation() const { return m_pageOrientation; }
    void SetPageOrientation(TPageOrientation orientation);
    int PageWidth() const { return m_pageWidth; }
    int PageHeight() const { return m_pageHeight; }
    void SetPageWidth(int mm);
    void SetPageHeight(int mm);
    double Zoom() const { return m_zoom; }
    double PreviousZoom() const { return m_previousZoom; }
    // Sets the zoom and resizes the control to the page at that zoom.
    void SetZoom(double zoom);

    // --- plain properties ---
    TUnits TheUNIT() const { return m_unit; }
    void SetTheUNIT(TUnits unit);
    double Ratio() const { return m_ratio; }
    void SetRatio(double ratio) { m_ratio = ratio; }
    TColor ColorOfBackGround() const { return m_colorOfBackGround; }
    void SetColorOfBackGround(TColor color);
    TColor ColorOfHot() const { return m_colorOfHot; }
    // Also makes the colour the handle colour of every canvas of the process.
    void SetColorOfHot(TColor color);
    const QImage& BkBitmap() const { return m_bkBitmap; }
    // Sets the background picture (kept as 24 bits); a null image clears it.
    void SetBkBitmap(const QImage& picture);
    TBkBitmapMode BkBitmapMode() const { return m_bkBitmapMode; }
    void SetBkBitmapMode(TBkBitmapMode mode);
    int32_t Tag() const { return m_tag; }
    void SetTag(int32_t tag) { m_tag = tag; }
    TUserData& UserData() { return m_userData; }
    const TUserData& UserData() const { return m_userData; }
    TGridObject& GridOperation() { return m_grid; }
    const TGridObject& GridOperation() const { return m_grid; }
    void SetGridOperation(const TGridObject& grid);
    const TMyPen& Pen() const { return m_pen; }
    void SetPen(const TMyPen& pen) { m_pen = pen; }
    const TMyBrush& Brush() const { return m_brush; }
    void SetBrush(const TMyBrush& brush) { m_brush = brush; }
    const TMyFont& Font() const { return m_font; }
    void SetFont(const TMyFont& font) { m_font = font; }
    int ArrowAngle() const { return m_arrowAngle; }
    void SetArrowAngle(int angle) { m_arrowAngle = angle; }
    uint8_t ArrowLength() const { return m_arrowLength; }
    void SetArrowLength(uint8_t length) { m_arrowLength = length; }
    uint8_t ArrowOffset() const { return m_arrowOffset; }
    void SetArrowOffset(uint8_t offset) { m_arrowOffset = offset; }
    TArrowStyle ArrowStyle() const { return m_arrowStyle; }
    void SetArrowStyle(TArrowStyle style) { m_arrowStyle = style; }
    TLinkLineDrawStyle LinkLineDrawStyle() const { return m_linkLineDrawStyle; }
    void SetLinkLineDrawStyle(TLinkLineDrawStyle style) { m_linkLineDrawStyle = style; }
    bool ResizeEnable() const { return m_resizeEnable; }
    void SetResizeEnable(bool enable) { m_resizeEnable = enable; }
    bool RotateEnable() const { return m_rotateEnable; }
    void SetRotateEnable(bool enable) { m_rotateEnable = enable; }
    uint8_t HotSize() const { return m_hotSize; }
    void SetHotSize(uint8_t size) { m_hotSize = size; }
    bool HotShow() const { return m_hotShow; }
    void SetHotShow(bool show) { m_hotShow = show; }
    bool OperateAllLayer() const { return m_operateAllLayer; }
    // Changing it clears the selection and repaints.
    void SetOperateAllLayer(bool all);
    // Editing, printing and page-frame settings, kept here for the editor and the renderer.
    bool CrossLine() const { return m_crossLine; }
    void SetCrossLine(bool value) { m_crossLine = value; }
    TDragMode DragMode() const { return m_dragMode; }
    void SetDragMode(TDragMode value) { m_dragMode = value; }
    bool DragTrace() const { return m_dragTrace; }
    void SetDragTrace(bool value) { m_dragTrace = value; }
    bool LockBound() const { return m_lockBound; }
    void SetLockBound(bool value) { m_lockBound = value; }
    bool MouseEffect() const { return m_mouseEffect; }
    void SetMouseEffect(bool value) { m_mouseEffect = value; }
    bool LinklineAroundShape() const { return m_linklineAroundShape; }
    void SetLinklineAroundShape(bool value) { m_linklineAroundShape = value; }
    bool PrintABorder() const { return m_printABorder; }
    void SetPrintABorder(bool value) { m_printABorder = value; }
    uint8_t PrintABordertoLeft() const { return m_printABordertoLeft; }
    void SetPrintABordertoLeft(uint8_t value) { m_printABordertoLeft = value; }
    uint8_t PrintABordertoTop() const { return m_printABordertoTop; }
    void SetPrintABordertoTop(uint8_t value) { m_printABordertoTop = value; }
    uint8_t PrintABordertoRight() const { return m_printABordertoRight; }
    void SetPrintABordertoRight(uint8_t value) { m_printABordertoRight = value; }
    uint8_t PrintABordertoBottom() const { return m_printABordertoBottom; }
    void SetPrintABordertoBottom(uint8_t value) { m_printABordertoBottom = value; }
    bool PrintBackground() const { return m_printBackground; }
    void SetPrintBackground(bool value) { m_printBackground = value; }
    bool ReturnToSelecting() const { return m_returnToSelecting; }
    void SetReturnToSelecting(bool value) { m_returnToSelecting = value; }
    int RotateConstraintDegree() const { return m_rotateConstraintDegree; }
    void SetRotateConstraintDegree(int value) { m_rotateConstraintDegree = value; }
    bool ShowHotLink() const { return m_showHotLink; }
    void SetShowHotLink(bool value) { m_showHotLink = value; }
    bool Snap() const { return m_snap; }
    void SetSnap(bool value) { m_snap = value; }
    uint8_t SnapPixels() const { return m_snapPixels; }
    void SetSnapPixels(uint8_t value) { m_snapPixels = value; }
    bool SnapShape() const { return m_snapShape; }
    void SetSnapShape(bool value) { m_snapShape = value; }
    const QString& PageHead() const { return m_pageHead; }
    void SetPageHead(const QString& value) { m_pageHead = value; }
    TAlignment PageHeadAlignment() const { return m_pageHeadAlignment; }
    void SetPageHeadAlignment(TAlignment value) { m_pageHeadAlignment = value; }
    const TMyFont& PageHeadFont() const { return m_pageHeadFont; }
    void SetPageHeadFont(const TMyFont& value) { m_pageHeadFont = value; }
    uint8_t PageHeadToTop() const { return m_pageHeadToTop; }
    void SetPageHeadToTop(uint8_t value) { m_pageHeadToTop = value; }
    const QString& PageFoot() const { return m_pageFoot; }
    void SetPageFoot(const QString& value) { m_pageFoot = value; }
    TAlignment PageFootAlignment() const { return m_pageFootAlignment; }
    void SetPageFootAlignment(TAlignment value) { m_pageFootAlignment = value; }
    const TMyFont& PageFootFont() const { return m_pageFootFont; }
    void SetPageFootFont(const TMyFont& value) { m_pageFootFont = value; }
    uint8_t PageFootToBottom() const { return m_pageFootToBottom; }
    void SetPageFootToBottom(uint8_t value) { m_pageFootToBottom = value; }
    TXYMode XYMode() const { return m_xyMode; }
    void SetXYMode(TXYMode mode) { m_xyMode = mode; }
    TDrawTool ShapeTool() const { return m_shapeTool; }
    void SetShapeTool(TDrawTool tool);
    uint8_t UndoRedoSize() const;
    // Depth of the undo list; 0 clears it.
    void SetUndoRedoSize(uint8_t size);
    static QString Version() { return QStringLiteral("XP.h.3"); }
    // The stream version of the drawing: "XP.h", or the version last loaded.
    const QString& StreamVersionText() const { return m_streamVersion; }
    bool Modified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    // True while a stream is read (group style propagation is suspended).
    bool IsLoading() const { return m_loading; }

    // Length text between two screen points, "%9.2f" plus the unit.
    QString FormatDistance(QPointF p1, QPointF p2) const;

    // --- shape list ---
    int ShapeCount() const { return static_cast<int>(m_shapes.size()); }
    TMyShape* ShapeByIndex(int index) const;
    // The shape with this id; none for an id below 0, at or beyond the next id, or unused.
    TMyShape* ShapeById(int id) const;
    int IndexOfShapeId(int id) const;
    int NextShapeId() const { return m_nextShapeId; }
    // Gives every shape that ShapeById cannot find (a negative, repeated or largest
    // possible id, which only damaged files hold) a fresh id, so that callers keeping
    // shapes by id reach each of them. Returns how many shapes were renumbered.
    int RenumberUnreachableShapes();
    // Adds a shape from screen points converted by XYMode; returns its ShapeId or -1
    // when the point count does not fit the tool, the tool makes no shape here, or
    // there is no layer (then "Error!There is no Layer!" is shown).
    int AddShape(
        TDrawTool tool, const QString& text, float angle, const std::vector<QPointF>& points, const QString& name);
    // Appends a finished shape in the current layer with the next id (editing, paste).
    // Returns the shape, or nullptr (with the no-layer message) when there is no layer.
    TMyShape* AppendShape(std::unique_ptr<TMyShape> shape);
    // False when the shape is missing or locked; removes it and its (unlocked) members.
    bool DeleteShapeById(int id, bool recordUndo);
    // The same for many shapes in one pass and (when recorded) one undo step; the
    // number of listed shapes that are locked and stay. Missing ids are skipped.
    int DeleteShapesById(const std::vector<int>& ids, bool recordUndo);
    // Deletes the selection as one undo step; false (nothing deleted) when a selected shape is locked.
    bool DeleteSelectedShapes();
    void ClearShapes();
    // Clears the selection and repaints.
    void Refresh();
    // Moves a shape with its group members by screen distances.
    void MoveShapeBy(TMyShape* shape, double dx, double dy);
    // Turns a shape and its members about a logical centre unless it is locked.
    void RotateShape(TMyShape* shape, TMyPoint center, double angle);
    void FlipShapeHorz(TMyShape* shape);
    void FlipShapeVert(TMyShape* shape);
    // Exchanges the list positions of two shapes and rewrites every stored index naming either.
    void SwapShapes(TMyShape* a, TMyShape* b);
    // Moves the shape above every top-level shape above it (members keep their places).
    void BringToFront(TMyShape* shape, bool recordUndo);
    // Moves the shape below every top-level shape below it (members keep their places).
    void SendToBack(TMyShape* shape, bool recordUndo);
    // The group that finally contains the shape (the shape itself when it has none).
    TMyShape* OutermostGroup(TMyShape* shape) const;
    // The shape and, recursively, its members, the shape first.
    std::vector<TMyShape*> WithMembers(TMyShape* shape) const;
    // Whether the screen point hits the shape or, for a group, any member.
    bool HitShape(const TMyShape* shape, QPointF screenPoint) const;

    // --- selection ---
    void SelectShape(TMyShape* shape);
    bool SelectShapeById(int id, bool clearFirst);
    void DeselectShape(TMyShape* shape);
    void ClearSelection();
    int SelectedCount() const { return static_cast<int>(m_selection.size()); }
    // The only selected shape, none when nothing or more than one is selected.
    TMyShape* SelectedShape() const;
    std::vector<TMyShape*> GetSelection() const { return m_selection; }
    int IndexInSelection(const TMyShape* shape) const;
    TMyShape* HotShape() const { return m_hotShape; }
    void SetHotShape(TMyShape* shape) { m_hotShape = shape; }

    // --- layers ---
    // -1 when a layer of that exact name exists; otherwise the new layer id (made current).
    int AddLayer(const QString& name, bool visible);
    bool DeleteLayer(int layerId);
    void DeleteAllLayers();
    int LayerCount() const { return static_cast<int>(m_layers.size()); }
    const std::vector<LayerRec>& Layers() const { return m_layers; }
    int LayerIdByName(const QString& name) const;
    int LayerIndexById(int layerId) const;
    int LastLayerId() const;
    int CurrentLayer() const { return m_currentLayer; }
    int NextLayerId() const { return m_nextLayerId; }
    // Only for an existing id; clears the selection.
    bool SetCurrentLayer(int layerId);
    void ShowLayer(int layerId);
    void HideLayer(int layerId);
    bool IsLayerVisible(int layerId) const;
    std::vector<TMyShape*> ShapesOfLayer(int layerId) const;

    // --- stream ---
    bool SaveToStream(QIODevice& stream);
    // Writes the file atomically (the old file stays when writing fails).
    bool SaveToFile(const QString& fileName);
    // Reads from the stream's beginning; false on damage, with what was read kept.
    bool LoadFromStream(QIODevice& stream);
    bool LoadFromFile(const QString& fileName);
    static bool IsCanvasFile(const QString& fileName);
    // Why the last load or save failed (English, for logs and the command-line tool).
    const QString& LastError() const { return m_lastError; }

    // --- copy buffer ---
    // Copies the selected shapes (with their members) into the copy buffer.
    void CopyToClipboard();
    // Adds copies of the buffered shapes, 4 units right and down, as one undo step.
    void PasteFromClipboard();
    int CopyBufferCount() const { return static_cast<int>(m_copyBuffer.size()); }

    // --- DXF ---
    // Numbers are written with ".": DXF readers accept no other separator.
    bool ExportDxf(const QString& fileName) const;
    bool ExportDxfOutlined(const QString& fileName) const;

    // --- mouse (control pixels, left button only; Shift from the modifiers) ---
    // The hosting window's OnMouseDown runs first, then the canvas acts.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // The hosting window's OnMouseMove runs first, then the canvas acts.
    void MouseMove(Qt::KeyboardModifiers modifiers, int x, int y);
    // The canvas acts first, then the hosting window's OnMouseUp runs.
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // The second press of a double click: a press like any other (it ends poly lines
    // and curves by repeating the last node).
    void MouseDoubleClick(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    TActionState ActionState() const { return m_mouse->State(); }
    // The shape the Drawing state is building (not yet in the list), or nullptr.
    const TMyShape* ShapeInProgress() const { return m_mouse->ShapeInProgress(); }
    // Outlines and rubber band of the gesture under way, for the renderer.
    const TraceOverlay& Trace() const { return m_mouse->Trace(); }
    TMyCADMouse& Mouse() { return *m_mouse; }
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool show) { m_showHint = show; }
    // Optional label outputs: the mouse position as "(x,y)" and the distance text
    // while drawing and resizing. Unset means no label.
    std::function<void(const QString& text)> LabelXY;
    std::function<void(const QString& text)> LabelValue;
    std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y)> OnMouseDown;
    std::function<void(Qt::KeyboardModifiers modifiers, int x, int y)> OnMouseMove;
    std::function<void(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y)> OnMouseUp;

    // --- groups, link lines ---
    // Groups the selected shapes under a new group (recorded as "ACT_GROUP"); the
    // group becomes the selection. Nullptr when fewer than two shapes are selected.
    TMyShape* GroupSelectedShapes();
    // Dissolves a group (recorded as "ACT_UNGROUP"); its members become top-level and
    // selected. False when the shape is not a group or is locked.
    bool UngroupShape(TMyShape* group);
    // Puts the ends of the link lines attached to the shape on their link points.
    void RerouteLinks(TMyShape* shape);

    // --- undo and redo ---
    // Plays the newest recorded step back, firing the events of the matching
    // operation; the step can then be redone. False when there is nothing to undo.
    bool Undo();
    // Plays the newest undone step forward again. False when there is nothing to redo.
    bool Redo();
    bool CanUndo() const { return m_undo.StepCount() > 0; }
    // Records the shapes' present state as one undo step, before a caller changes
    // them outside the mouse editing (a thickness set from a slider).
    void RecordChange(const std::vector<TMyShape*>& shapes);
    // Changes with every recorded, undone, redone or cleared step.
    uint64_t UndoSerial() const { return m_undo.Serial(); }
    bool CanRedo() const { return m_undo.RedoStepCount() > 0; }
    // --- drawing (TMyCADPaint.cpp) ---
    // Paints the damaged rectangle of the control (control pixels) through an off-screen
    // buffer: page colour, background picture, grid, shapes with their link points, then
    // handles and traces. The shapes come from a layer cache kept per zoom, so only what
    // changed since the last paint is drawn again. Re-entrant calls are ignored.
    void Paint(QPainter& painter, const QRect& damaged);
    // Paints a whole page of pagePixels into any paint device at the zoom: background,
    // background picture, frame, head and foot, then the visible top-level shapes of the
    // listed layers (all layers when the list is empty), members first. printer selects
    // the printer rules (page colour only with PrintBackground, background picture scaled
    // by the zoom, pen widths times the zoom). Zoom is unchanged afterwards.
    void PaintPage(QPainter& painter, QSize pagePixels, double zoom, const std::vector<int>& layerIds, bool printer);
    // The page as a picture of round(mm x zoom x PPI / 25.4) pixels each way (PaintPage, screen rules).
    QImage RenderPage(const std::vector<int>& layerIds, double zoom);
    // A picture of the control's size: the background picture and every visible shape
    // on a visible layer, over white (the picture exports).
    QImage RenderControl();
    // Paints a picture of `size` band by band, so that only one band is in memory at a
    // time: paint draws the whole picture (its painter is translated and clipped to the
    // band, whose area it is given) and each band (RGB32, the full width, at most
    // bandRows rows) goes to take with its top row, from the top down or, with
    // bottomUp, from the bottom up. Within a band DrawShapes skips the shapes that do
    // not reach into it (each shape's area is measured once). False when take stops
    // the painting or no band fits into memory.
    bool PaintInBands(QSize size, int bandRows, bool bottomUp,
        const std::function<void(QPainter&, const QRect&)>& paint, const std::function<bool(const QImage&, int)>& take);
    // RenderControl's picture, band by band (see PaintInBands).
    bool RenderControlBands(int bandRows, bool bottomUp, const std::function<bool(const QImage&, int)>& take);
    // The rows of a band of about 16 MB of a picture this wide.
    static int BandRows(int width);
    // The picture of the selected shapes, their screen box enlarged by 2 pixels on every
    // side, over white; a null image when nothing is selected. The widget layer puts it
    // on the system clipboard when the selection is copied.
    QImage SelectionPicture();
    // Editing traces drawn over everything by Paint: rubber bands and the outlines of
    // shapes being drawn, dragged, resized or rotated, in control pixels, with a dotted
    // 1-pixel pen (white under black dots, so they show on any background). The band is
    // the selection rectangle (drawn when not empty) in a colour midway between the
    // canvas's Pen colour and white. Setting or clearing repaints the areas involved.
    void SetTraceOverlay(std::vector<QPolygonF> outlines, QRectF selectionBand);
    void ClearTraceOverlay();
    const std::vector<QPolygonF>& TraceOutlines() const { return m_traceOutlines; }
    const QRectF& TraceBand() const { return m_traceBand; }
    // The shape under the mouse drawn with a highlight (a wide translucent band
    // beneath its outline) while the mouse browses, so the operator sees which
    // mark a click would take. Off unless the program asks for it.
    bool HighlightHover() const { return m_highlightHover; }
    void SetHighlightHover(bool on) { m_highlightHover = on; }
    // The hovered shape (-1: none); the canvas repaints the old and new outline.
    void SetHoverShape(int id);
    int HoverShapeId() const { return m_hoverShapeId; }
    // The colour unlocked handles are filled with (shared by all canvases; starts green).
    static TColor HotColor();

    // --- picture exports (PictureExport.cpp); false when the file cannot be written ---
    bool ExportBitmap(const QString& fileName);
    // quality 0..100 (values outside are clamped).
    bool ExportJpeg(const QString& fileName, int quality);
    // A placeable Windows metafile of the control's size holding the shapes as vectors.
    bool ExportMetafile(const QString& fileName);
    // An SVG drawing: the background picture and the shapes as vectors.
    bool ExportSvg(const QString& fileName);
    // A PNG of the control's size. progress, when given, is told the rows written and
    // the picture's height after every band (it may be called on another thread than
    // the canvas's: the export may run on a worker while the canvas is left alone);
    // when it returns false the export stops, nothing is written and LastError says so.
    bool ExportPng(const QString& fileName, const std::function<bool(int, int)>& progress = {});

    TUndoList& UndoList() { return m_undo; }
    const TUndoList& UndoList() const { return m_undo; }

    // --- events ---
    std::function<void(TMyShape*& shape, int shapeCount)> OnShapeAdded;
    std::function<void(TMyShape* shape)> OnShapeDeleted;
    std::function<void(TMyShape* lastSelected, TMyShape* selected)> OnShapeSelected;
    std::function<void(int layerId, const QString& layerName, bool visible)> OnNewLayer;
    std::function<void(int layerId, const QString& layerName, bool visible)> OnDeleteLayer;
    std::function<void(TMyShape* shape, double dx, double dy)> OnShapeCodeDragging;
    std::function<void(TMyShape* shape, double angle)> OnShapeCodeRotating;
    using MouseShapeEvent = std::function<void(TMyShape* shape, QPointF& fromPoint, QPointF& toPoint)>;
    MouseShapeEvent OnShapeMouseDragging, OnShapeMouseDragged, OnShapeMouseResizing, OnShapeMouseResized,
        OnShapeMouseResizeFinished, OnShapeMouseRotating, OnShapeMouseRotated;
    std::function<void(TMyShape*& shape, int newPointIndex)> OnNodeAdded;
    std::function<void(TMyShape*& shape, int deletedPointIndex)> OnNodeDeleted;
    std::function<void(TMyShape* shape)> OnMouseEnterShape;
    std::function<void(TMyShape* shape)> OnMouseLeaveShape;
    std::function<void(TMyShape* child, bool& acceptSelect)> OnChildShapeSelected;
    std::function<void()> OnActionToolToSelecting;
    std::function<void()> OnWholeDragged;
    std::function<void()> OnPaint;

private:
    friend class TMyCADMouse;
    // Plays one step back and returns the step that plays it forward again.
    std::vector<TSavedShape> PlayStep(std::vector<TSavedShape>& step);
    std::vector<TSavedShape> PlayAdd(std::vector<TSavedShape>& step);
    std::vector<TSavedShape> PlayDelete(std::vector<TSavedShape>& step);
    std::vector<TSavedShape> PlayChange(std::vector<TSavedShape>& step);
    std::vector<TSavedShape> PlayOrder(std::vector<TSavedShape>& step);
    std::vector<TSavedShape> PlayGroup(std::vector<TSavedShape>& step);
    std::vector<TSavedShape> PlayUngroup(std::vector<TSavedShape>& step);
    // Puts restored shapes back at their recorded list positions, renumbering the
    // others, and mends the group and link references that name them.
    std::vector<TMyShape*> InsertRestored(std::vector<std::unique_ptr<TMyShape>> restored);
    // Moves a top-level shape to a list position; the top-level shapes between shift by one.
    void MoveTopLevelTo(TMyShape* shape, int target);
    // Removes a group shape but keeps its members (they become top-level).
    void DissolveGroup(TMyShape* group);
    void ApplyPageSize();
    void DerivePageStyle();
    void SetClientSize(int width, int height);
    bool NoLayer() const;
    // Removes the shapes at the given list positions in one pass and renumbers every
    // stored list index (shapes, selection-free state, undo copies).
    void RemoveShapes(std::vector<int> positions);
    // Fires OnShapeDeleted for the shapes and their unlocked members, removes them
    // and clears the selection.
    void RemoveWithMembers(const std::vector<TMyShape*>& shapes);
    // Puts every shape at position newIndex[old position] and rewrites the stored indexes.
    void Reorder(const std::vector<int>& newIndex);
    // Moves a top-level shape to the front (step +1) or back (step -1) of the top-level shapes.
    void MoveToEnd(TMyShape* shape, int step);
    void RebuildIdMap();
    void AddToIdMap(TMyShape* shape);
    void ResetForLoad();
    void RepairAfterLoad();
    // Makes the groups a tree of at most kMaxGroupDepth levels; true when something was dissolved.
    bool RepairGroupTree();
    // Drawing helpers (TMyCADPaint.cpp). layerIds null: the visible layers; empty: all layers.
    void DrawShapes(QPainter& painter, const std::vector<int>* layerIds, bool printer);
    void DrawBackgroundPicture(QPainter& painter, const QRect& area, QSize size, double scale, bool tileAll);
    void DrawGrid(QPainter& painter, const QRect& area) const;
    void DrawHoverHighlight(QPainter& painter);
    void DrawHandlesAndTraces(QPainter& painter);
    // RenderControl's drawing of one area of the control: white, the picture, the shapes.
    void PaintControlArea(QPainter& painter, const QRect& area);
    QRect TraceArea() const;
    void RepaintArea(const QRect& area) const;

    TMyCADHost* m_host = nullptr;
    int m_width = 0;
    int m_height = 0;
    TPageStyle m_pageStyle = A4;
    TPageOrientation m_pageOrientation = poPortrait;
    int m_pageWidth = 210;
    int m_pageHeight = 297;
    double m_zoom = 1.0;
    double m_previousZoom = 1.0;
    TUnits m_unit = mm;
    double m_ratio = 1.0;
    TColor m_colorOfBackGround = 0xFFFFFF;
    TColor m_colorOfHot = 0x808080;
    QImage m_bkBitmap;
    TBkBitmapMode m_bkBitmapMode = Center;
    int32_t m_tag = 0;
    TUserData m_userData;
    TGridObject m_grid;
    TMyPen m_pen;
    TMyBrush m_brush;
    TMyFont m_font;
    int m_arrowAngle = 10;
    uint8_t m_arrowLength = 30;
    uint8_t m_arrowOffset = 0;
    TArrowStyle m_arrowStyle = ANone;
    TLinkLineDrawStyle m_linkLineDrawStyle = lldsHV;
    bool m_resizeEnable = true;
    bool m_rotateEnable = true;
    uint8_t m_hotSize = 4;
    bool m_hotShow = true;
    bool m_operateAllLayer = true;
    TXYMode m_xyMode = Mode0;
    bool m_crossLine = true;
    TDragMode m_dragMode = dgBoth;
    bool m_dragTrace = true;
    bool m_lockBound = false;
    bool m_mouseEffect = true;
    bool m_linklineAroundShape = true;
    bool m_printABorder = true;
    uint8_t m_printABordertoLeft = 20;
    uint8_t m_printABordertoTop = 20;
    uint8_t m_printABordertoRight = 20;
    uint8_t m_printABordertoBottom = 20;
    bool m_printBackground = false;
    bool m_returnToSelecting = true;
    int m_rotateConstraintDegree = 0;
    bool m_showHotLink = true;
    bool m_snap = true;
    uint8_t m_snapPixels = 4;
    bool m_snapShape = false;
    QString m_pageHead = QString();
    TAlignment m_pageHeadAlignment = taCenter;
    TMyFont m_pageHeadFont = TMyFont();
    uint8_t m_pageHeadToTop = 15;
    QString m_pageFoot = QString();
    TAlignment m_pageFootAlignment = taRightJustify;
    TMyFont m_pageFootFont = TMyFont();
    uint8_t m_pageFootToBottom = 15;
    TDrawTool m_shapeTool = SpSelecting;
    QString m_streamVersion = QStringLiteral("XP.h");
    bool m_modified = false;
    bool m_loading = false;
    mutable QString m_lastError;

    std::vector<std::unique_ptr<TMyShape>> m_shapes;
    std::unordered_map<int, TMyShape*> m_byId;
    bool m_duplicateIds = false;
    int m_nextShapeId = 0;
    std::vector<TMyShape*> m_selection;
    TMyShape* m_hotShape = nullptr;
    std::vector<LayerRec> m_layers;
    int m_currentLayer = -1;
    int m_nextLayerId = 0;
    std::vector<std::unique_ptr<TMyShape>> m_copyBuffer;
    TUndoList m_undo;
    bool m_showHint = false;
    std::unique_ptr<TMyCADMouse> m_mouse;

    // Drawing state: the shape layer cache, the off-screen buffer and the traces.
    std::shared_ptr<ShapeLayerCache> m_layerCache;
    QImage m_paintBuffer;
    bool m_painting = false;
    // Set while PaintInBands paints a band: the band's area and the shapes' measured areas.
    const QRect* m_bandArea = nullptr;
    std::unordered_map<const TMyShape*, QRectF> m_bandBounds;
    // Set by every repaint request: the layer cache compares the shapes again.
    mutable bool m_drawingStale = true;
    bool m_highlightHover = false;
    int m_hoverShapeId = -1;
    QRect m_hoverArea; // screen pixels painted for the highlight
    std::vector<QPolygonF> m_traceOutlines;
    QRectF m_traceBand;
};
