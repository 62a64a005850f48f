#pragma once

#include "canvas/TMyCAD.h"
#include "common/LanguageTable.h"
#include "workbench/CurveLengthCache.h"
#include "workbench/ResultTree.h"
#include "workbench/TGridResult.h"
#include "workbench/ThicknessDistribution.h"
#include "workbench/WorkbenchState.h"
#include "workbench/calibration/Calibration.h"
#include "workbench/detection/HairDetector.h"

#include <QChar>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

class OperatorPrompt;
class TInterfaceBA;

// The thickness statistics beyond the grid rows, over the hairs whose thickness
// counts (quick-count marks have none).
struct ThicknessSummary
{
    QString unit; // "µm" when calibrated in a length, else the calibration unit
    std::vector<double> values; // in `unit`, in tree order
    std::vector<ThicknessClass> classes; // 10 µm classes; empty unless the unit is µm
    std::optional<double> median;
    std::optional<double> vellusPercentage; // vellus count / hairs with a thickness * 100
};

// Everything the results show, in the form pelorix-cli and the print table read.
struct ResultsSnapshot
{
    QString unit; // UnitText
    QString areaUnit; // AreaUnitText
    double scale = 1.0;
    int64_t evaluatedArea = 0;
    int imageWidth = 0;
    int imageHeight = 0;
    std::vector<TGridResult> rows; // the 19 grid rows as shown
    std::vector<ResultObject> objects; // one per top node, in tree order
    ThicknessSummary thickness;
};

// The measuring workbench without its window: owns the canvas, the state record,
// the 19 result rows, the result tree and the calibration, answers the canvas's
// events and performs the measuring commands. Questions and messages go through
// the OperatorPrompt it is given; the window mirrors State().ui, the rows, the
// tree and Scale().Rulers() after each call.
class Workbench
{
public:
    // The narrowest pen a hair is drawn with, in screen pixels, whatever the zoom.
    static constexpr int kMinimumMarkWidth = 2;

    explicit Workbench(OperatorPrompt& prompt, const LanguageTable& texts = LanguageTable::Pelorix());
    ~Workbench();
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    TMyCAD& Canvas() { return m_cad; }
    const TMyCAD& Canvas() const { return m_cad; }
    WorkbenchState& State() { return m_state; }
    const WorkbenchState& State() const { return m_state; }
    Calibration& Scale() { return m_calibration; }
    const Calibration& Scale() const { return m_calibration; }
    const std::vector<TGridResult>& ResultRows() const { return m_rows; }
    // Host rows (Name, Birthdate, Date) are written through this.
    std::vector<TGridResult>& ResultRows() { return m_rows; }
    ResultTree& Tree() { return m_tree; }
    const ResultTree& Tree() const { return m_tree; }
    const LanguageTable& Texts() const { return m_texts; }
    // Replaces the language texts (after a language file was read) and the row captions.
    void SetTexts(const LanguageTable& texts);
    OperatorPrompt& Prompt() { return m_prompt; }
    TInterfaceBA* HostExchange() const { return m_hostExchange.get(); }
    void SetHostExchange(std::unique_ptr<TInterfaceBA> exchange);

    // Decimal separator of the value texts the grid and tree show (the locale's; "." by default).
    void SetDecimalSeparator(QChar separator);
    QChar DecimalSeparator() const { return m_separator; }
    // Measures one line of text in a font, in screen pixels (labels). The default
    // uses the font metrics when a GUI application exists, else an estimate.
    using TextMeasurer = std::function<QSizeF(const QString& text, const TMyFont& font)>;
    void SetTextMeasurer(TextMeasurer measurer) { m_measureText = std::move(measurer); }
    QSizeF MeasureText(const QString& text, const TMyFont& font) const;

    // Called when the one-shot refresh timer (100 ms) is to start; the window
    // starts it and calls RefreshTimerFired when it fires.
    std::function<void()> OnStartRefreshTimer;
    // Called after the grid rows or the tree changed, so the window repaints them.
    std::function<void()> OnResultsChanged;

    // --- results ---
    // Creates the top node of a measured shape (labels are skipped), evaluates it
    // and updates the grid. Without `evaluate` only the node is made: for a load that
    // evaluates every shape once afterwards (RecomputeAll).
    void RegisterMeasuredShape(TMyShape* shape, bool evaluate = true);
    // Adds the children of the shape under top node `topIndex` and updates the
    // counters. False when a thickness is no integer or a curve does not converge
    // (the message has been shown).
    bool EvaluateShape(TMyShape* shape, int topIndex);
    // Rebuilds every tree entry and all counters from the canvas, then the grid.
    void RecomputeAll();
    // While one of these lives, a calibration change does not rebuild the results:
    // a load takes over the scale bar before its entries are complete and
    // evaluates everything once at its end.
    class DeferredRecompute
    {
    public:
        explicit DeferredRecompute(Workbench& wb)
            : m_wb(wb)
        {
            ++m_wb.m_recomputeDeferred;
        }
        ~DeferredRecompute() { --m_wb.m_recomputeDeferred; }
        DeferredRecompute(const DeferredRecompute&) = delete;
        DeferredRecompute& operator=(const DeferredRecompute&) = delete;

    private:
        Workbench& m_wb;
    };
    // Fills rows 4 and 7-18 from the counters.
    void UpdateResultsGrid();
    // Counts the evaluated field of the circle (x0, y0, r) in image pixels and
    // creates the exclusion border with its layer, then the hair layer.
    void SetupEvaluatedField(int x0, int y0, int r);
    ResultsSnapshot Results() const;
    // The thickness distribution, median and vellus percentage of the current results.
    ThicknessSummary Thickness() const;

    // --- refresh timer ---
    // Remembers the shape to re-evaluate and asks for the refresh timer.
    void StartRefresh(int shapeId);
    bool RefreshPending() const { return m_refreshPending; }
    void RefreshTimerFired();

    // --- result tree ---
    // The operator focused a top node: its shape becomes the canvas selection.
    void TreeNodeFocused(int topIndex);
    // "Alle Knoten aufklappen" / "Alle Knoten einklappen".
    void ExpandAllNodes(bool expanded);
    struct TreeCopy
    {
        QString html;
        QString rtf;
    };
    // "Kopieren" in the tree: the whole tree in the two clipboard forms.
    TreeCopy CopyTree();

    // --- tools ---
    // A click on a measuring tool button; ctrl tells whether Ctrl was held.
    void ToolButtonClicked(ToolButton button, bool ctrl = false);
    void SetShowBorder(bool down);
    void SetShowHairs(bool down);
    void SetShowGrid(bool down);
    void SetShowResults(bool down);
    // Moves the thickness slider (clamped to 1-5000); a change applies to the
    // selected hairs as one undo step per slider gesture (consecutive changes of
    // the same hairs share the step), and with none selected to the next hair drawn.
    void SetThicknessSlider(int value);
    // The hair a slider change applies to: the selected hair's id, or -1 when it
    // applies to the next hair drawn (also with several selected: -2).
    int ThicknessTarget() const;
    // The slider's thickness in micrometres on a picture calibrated in mm or µm;
    // nothing on an uncalibrated picture (then it is in image pixels).
    std::optional<double> ThicknessMicrometres() const;
    // Sets the slider from micrometres (rounded to its hundredths of a pixel).
    void SetThicknessMicrometres(double micrometres);
    // Micrometres per image pixel; nothing when uncalibrated.
    std::optional<double> MicrometresPerPixel() const;

    // The visible part of the canvas area: its client size and scroll positions.
    struct Viewport
    {
        int clientWidth = 0;
        int clientHeight = 0;
        int horizontalScroll = 0;
        int verticalScroll = 0;
    };
    struct ScrollPosition
    {
        int horizontal = 0;
        int vertical = 0;
    };
    // Moves the zoom slider (clamped to -80..80) and applies the zoom; returns the
    // scroll positions that keep the image point at the centre of the view.
    ScrollPosition SetZoomSlider(int position, const Viewport& view);
    // The mouse wheel over the canvas area (delta +-120 per notch).
    ScrollPosition MouseWheel(int delta, const Viewport& view);
    // Canvas client size at the current zoom.
    int CanvasClientWidth() const { return m_canvasWidth; }
    int CanvasClientHeight() const { return m_canvasHeight; }

    // Mouse events on the canvas, in screen pixels, after the canvas handled them.
    void CanvasMouseDown();
    void CanvasMouseUp(double x, double y, bool ctrl);
    void CanvasMouseMove(double x, double y);

    enum class Key { Delete, Escape, Left, Right, Up, Down, Other };
    // A key seen by the main window first; true when the key was consumed.
    bool KeyPressed(Key key, bool shift);

    // --- edit and option commands ---
    bool CopyCommand(); // "Kopieren"; true when the selection went into the copy buffer
    void PasteCommand(); // "Einfügen"
    void DeleteCommand(); // "Löschen"
    void SelectAllCommand(); // "Alle auswählen"
    void LineColorCommand(); // "Linenfarbe"
    void FontCommand(); // "Schriftart"
    void LabelCommand(); // "Beschriftung"
    // "Rückgängig" / "Wiederholen": the canvas's undo and redo; afterwards the
    // scale bar and border ids follow the shapes on the canvas and every result
    // is rebuilt. False when there was nothing to take back or redo.
    bool UndoCommand();
    bool RedoCommand();

    // --- automatic detection (WorkbenchProposals.cpp) ---
    // Where a hair came from, kept in its user data ("Origin"); hairs without it were drawn.
    enum class HairOrigin { Drawn, Detected, Edited };
    static HairOrigin OriginOf(const TMyShape& shape);
    // A detected hair the operator changed (moved, reshaped, new thickness) becomes
    // "detected and corrected"; other shapes keep their origin.
    static void MarkCorrected(TMyShape& shape);
    // Proposals are marks of detected hairs not yet accepted: on their own layer,
    // in their own colour, and no results until accepted.
    static bool IsProposal(const TMyShape& shape);
    int ProposalCount() const;
    // Proposals the detection is unsure of (confidence below one half): drawn
    // dashed in their own colour, for the operator to look at first.
    int DoubtfulProposalCount() const;
    // "Nächster unsicherer Vorschlag": selects the doubtful proposal after the one
    // visited last (in the order detection proposed them; after the last, the
    // first again). Nothing when there is none.
    struct DoubtfulVisit
    {
        int shapeId = -1;
        int number = 0; // 1..count in that order
        int count = 0;
        double confidence = 0.0;
        QPointF centre; // image pixels
    };
    std::optional<DoubtfulVisit> NextDoubtfulProposal();
    // Scroll positions that put this image point at the centre of the view.
    ScrollPosition CentreOn(const QPointF& imagePoint, const Viewport& view) const;
    // Replaces the proposals not yet accepted with these hairs (image pixels);
    // accepted hairs stay as they are. Returns how many were proposed.
    int ShowProposals(const std::vector<detection::Hair>& hairs);
    // "Vorschläge übernehmen": every remaining proposal becomes an ordinary hair on
    // the hair layer, as one undo step. Returns how many.
    int AcceptProposals();
    // What detection is to search: the evaluated field, none when there is no border.
    std::optional<detection::Field> DetectionField() const;
    // Pixels per millimetre of the calibration, whichever length unit it is in;
    // 0 when not calibrated in a length.
    double PixelsPerMm() const;

private:
    // Clears a measurement as one batch of deletions (results recomputed once).
    friend class MeasurementFile;

    // Canvas events.
    void ShapeAdded(TMyShape* shape);
    void ShapeDeleted(TMyShape* shape);
    void ShapeSelected(TMyShape* shape);

    // Results helpers.
    void CacheLabels();
    bool EvaluateHair(TMyShape* shape, ResultTree::Entry& entry, bool curved);
    QString CaptionSuffix(const TMyShape* shape) const;
    QString WithSuffix(const QString& prefix, const TMyShape* shape) const;
    void SetRowValue(int row, double value, const QString& text, const QString& unit);
    void SetRowNoValue(int row);
    void ResultsChanged();
    // Deletions inside a batch remove their tree entries together and recompute once.
    void BeginDeleteBatch();
    void EndDeleteBatch();

    // Finds the scale bar and the border again after undo or redo.
    void AfterUndoRedo();

    // Tool helpers.
    void SelectMode();
    void ApplyThickness(const std::vector<TMyShape*>& targets);
    int HairPenWidth(int thickness) const;
    // The pen width of a hair mark of this thickness (hundredths of a pixel); a
    // proposal is drawn half as wide.
    int MarkPenWidth(const TMyShape& shape, int thickness) const;
    void ApplyZoom();
    void QuickCount(double x, double y);
    void LabelFlow(TMyShape* placeholder);
    void MoveHandles(double dx, double dy);
    bool ScaleBarProtected();
    void DeleteSelection();
    bool IsSpecialShape(const TMyShape* shape) const;
    void MirrorSelectionInTree();
    // Screen points of image points, as the canvas's AddShape takes them.
    std::vector<QPointF> ToScreen(const std::vector<QPointF>& imagePoints) const;

    OperatorPrompt& m_prompt;
    LanguageTable m_texts;
    TMyCAD m_cad;
    WorkbenchState m_state;
    std::vector<TGridResult> m_rows;
    ResultTree m_tree;
    Calibration m_calibration;
    std::unique_ptr<TInterfaceBA> m_hostExchange;
    QChar m_separator = QLatin1Char('.');
    TextMeasurer m_measureText;
    // The language texts the results use for every hair, looked up once.
    struct Labels
    {
        QString line, bezier, follicularUnit, length, thickness;
        QString originDetected, originEdited, originDrawn;
    } m_labels;
    bool m_refreshPending = false;
    int m_recomputeDeferred = 0;
    int m_deleteBatch = 0;
    std::unordered_set<int> m_batchDeleted;
    CurveLengthCache m_curveLengths;
    int m_canvasWidth = 0;
    int m_canvasHeight = 0;
    // The slider gesture's undo step: the hairs it recorded and the list's serial after it.
    std::vector<int> m_thicknessStepIds;
    uint64_t m_thicknessStepSerial = 0;
    // The doubtful proposal "Nächster unsicherer Vorschlag" selected last.
    int m_lastDoubtfulId = -1;
    // The layer of the proposals, made on the first detection.
    int ProposalLayer();
    // Entries follow the proposals after undo and redo of an acceptance.
    void SyncProposalEntries();
};
