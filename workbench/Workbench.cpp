// The workbench object: construction, the canvas events, the refresh timer, the
// interplay of canvas and result tree, and the results snapshot. The results are
// computed in WorkbenchResults.cpp, the tools and commands in WorkbenchTools.cpp
// and WorkbenchEdit.cpp.
#include "workbench/Workbench.h"

#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "workbench/HairMetrics.h"
#include "workbench/OperatorPrompt.h"
#include "workbench/ShapeTags.h"
#include "workbench/calibration/LengthUnits.h"
#include "workbench/hostexchange/TInterfaceBA.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>

#include <cmath>

Workbench::Workbench(OperatorPrompt& prompt, const LanguageTable& texts)
    : m_prompt(prompt)
    , m_texts(texts)
    , m_rows(CreateResultRows(m_texts))
    , m_calibration(m_state, m_cad, m_prompt, m_texts,
          Calibration::Hooks { [this] {
                                  if (m_recomputeDeferred == 0)
                                      RecomputeAll();
                              },
              [this] { SelectMode(); } })
{
    CacheLabels();
    m_cad.OnShapeAdded = [this](TMyShape*& shape, int) { ShapeAdded(shape); };
    m_cad.OnShapeDeleted = [this](TMyShape* shape) { ShapeDeleted(shape); };
    m_cad.OnShapeSelected = [this](TMyShape*, TMyShape* shape) { ShapeSelected(shape); };
    m_cad.OnShapeMouseResized = [this](TMyShape* shape, QPointF&, QPointF&) {
        if (shape != nullptr) {
            MarkCorrected(*shape);
            StartRefresh(shape->ShapeId());
        }
    };
    // A moved hair keeps its measures; only a detected one changes its origin
    // (and its tree entry shows that).
    m_cad.OnShapeMouseDragged = [this](TMyShape* shape, QPointF&, QPointF&) {
        if (shape != nullptr && OriginOf(*shape) == HairOrigin::Detected) {
            MarkCorrected(*shape);
            StartRefresh(shape->ShapeId());
        }
    };
    m_cad.OnNodeAdded = [this](TMyShape*& shape, int) {
        if (shape != nullptr) {
            MarkCorrected(*shape);
            StartRefresh(shape->ShapeId());
        }
    };
    m_cad.OnNodeDeleted = [this](TMyShape*& shape, int index) {
        if (shape != nullptr && index >= 0) {
            MarkCorrected(*shape);
            StartRefresh(shape->ShapeId());
        }
    };
    m_cad.OnMouseEnterShape = [this](TMyShape*) { m_state.ui.cursor = CanvasCursor::MeasureAdd; };
    m_cad.OnMouseLeaveShape = [this](TMyShape*) { m_state.ui.cursor = CanvasCursor::Measure; };
    m_cad.OnActionToolToSelecting = [this] {
        m_state.ui.thicknessEnabled = true;
        m_state.ui.thicknessFocusRequested = true;
    };
    // The calibration defaults of the start-up: uncalibrated pixels at zoom 1.
    m_cad.SetGridOperation([&] {
        TGridObject grid = m_cad.GridOperation();
        grid.GridShow = false;
        return grid;
    }());
    m_calibration.UpdateRulers();
    UpdateResultsGrid();
}

Workbench::~Workbench()
{
    // The canvas frees its shapes without events; nothing must call back into a
    // half-destroyed workbench.
    m_cad.OnShapeDeleted = nullptr;
    m_cad.OnShapeSelected = nullptr;
}

void Workbench::SetTexts(const LanguageTable& texts)
{
    m_texts = texts;
    CacheLabels();
    const std::vector<TGridResult> fresh = CreateResultRows(m_texts);
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_rows[i].caption = fresh[i].caption;
    RecomputeAll();
}

void Workbench::CacheLabels()
{
    m_labels.line = m_texts.Text(QStringLiteral("LabelLine"));
    m_labels.bezier = m_texts.Text(QStringLiteral("LabelBezier"));
    m_labels.follicularUnit = m_texts.Text(QStringLiteral("LabelFollicularUnit"));
    m_labels.length = m_texts.Text(QStringLiteral("LabelLength"));
    m_labels.thickness = m_texts.Text(QStringLiteral("LabelThickness"));
    m_labels.originDetected = m_texts.Text(QStringLiteral("LabelOriginDetected"));
    m_labels.originEdited = m_texts.Text(QStringLiteral("LabelOriginEdited"));
    m_labels.originDrawn = m_texts.Text(QStringLiteral("LabelOriginDrawn"));
}

void Workbench::SetHostExchange(std::unique_ptr<TInterfaceBA> exchange)
{
    m_hostExchange = std::move(exchange);
}

void Workbench::SetDecimalSeparator(QChar separator)
{
    m_separator = separator;
    m_calibration.SetDecimalSeparator(separator);
    UpdateResultsGrid();
}

QSizeF Workbench::MeasureText(const QString& text, const TMyFont& font) const
{
    if (m_measureText)
        return m_measureText(text, font);
    const int pixels = std::max(1, std::abs(font.height));
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QFont qfont(font.name);
        qfont.setPixelSize(pixels);
        qfont.setBold((font.style & fsBold) != 0);
        qfont.setItalic((font.style & fsItalic) != 0);
        const QFontMetricsF metrics(qfont);
        return QSizeF(metrics.horizontalAdvance(text), metrics.height());
    }
    // Without a GUI application there are no font metrics: an average glyph
    // width of 0.6 of the height is close enough for proportional fonts.
    return QSizeF(0.6 * pixels * text.size(), 1.15 * pixels);
}

// --- canvas events ---

void Workbench::ShapeAdded(TMyShape* shape)
{
    if (shape == nullptr)
        return;
    // A scale bar, border or label that comes back (undo or redo of its deletion)
    // keeps every property it had: it is no new mark to be styled or counted.
    const QString type = shape->UserData().GetValue(ShapeTags::kType);
    if (ShapeTags::IsSpecialType(type))
        return;
    TMyFont font = shape->Font();
    font.color = m_cad.Font().color;
    font.height = m_cad.Font().height;
    shape->SetFont(font);
    if (m_state.HairLayerId >= 0 && !m_state.ui.showHairs) {
        m_cad.ShowLayer(m_state.HairLayerId);
        m_state.ui.showHairs = true;
    }
    if (m_state.ToolMode == ToolModeGraphicScale) {
        m_calibration.ScaleLineAdded(shape);
        return;
    }
    if (m_cad.ReturnToSelecting())
        m_state.ui.down = ToolButton::Select;

    const QString thickness = QString::number(m_state.ui.thickness);
    const ShapeKind kind = shape->Kind();
    if (kind == ShapeKind::RuleLine) {
        auto* rule = static_cast<TMyRuleLine*>(shape);
        rule->UserData().Add(ShapeTags::kThickness, thickness);
        rule->SetTickStyle(tsNone);
        rule->SetArrowStyle(ANone);
        rule->SetCaptionShow(false);
        rule->SetUserInfo(QString());
        rule->SetShowUserInfo(true);
    } else if (kind == ShapeKind::PolyBezier) {
        shape->UserData().Add(ShapeTags::kThickness, thickness);
    } else if (kind == ShapeKind::Ellipse) {
        shape->UserData().Add(ShapeTags::kThickness, QStringLiteral("1"));
    }
    if (kind == ShapeKind::RuleLine || kind == ShapeKind::PolyBezier || kind == ShapeKind::Ellipse) {
        // A pasted hair keeps its own thickness, so its pen follows that value.
        const int hundredths = kind == ShapeKind::Ellipse
            ? 1
            : HairMetrics::ParseInteger(shape->UserData().GetValue(ShapeTags::kThickness))
                  .value_or(m_state.ui.thickness);
        TMyPen pen = shape->Pen();
        pen.width = MarkPenWidth(*shape, hundredths);
        shape->SetPen(pen);
    }

    const uint8_t mode = m_state.ToolMode;
    // A proposal that comes back (undo of its deletion) is no result.
    const bool proposal = type == ShapeTags::kProposal;
    if (mode != ToolModeScaleBar && mode != ToolModeLabelPending && mode != ToolModeLabelCreate
        && mode != ToolModeBorder && !proposal)
        RegisterMeasuredShape(shape);
    if (mode == ToolModeLabelPending)
        LabelFlow(shape);
}

void Workbench::ShapeDeleted(TMyShape* shape)
{
    if (shape == nullptr)
        return;
    const int id = shape->ShapeId();
    m_curveLengths.Forget(id);
    // The special shapes' ids must not outlive them.
    if (id == m_state.ScaleBarId)
        m_state.ScaleBarId = -1;
    if (id == m_state.BorderId)
        m_state.BorderId = -1;
    if (m_deleteBatch > 0) {
        m_batchDeleted.insert(id);
        return;
    }
    const int index = m_tree.FindTop(id);
    if (index < 0)
        return; // a shape without results (label, scale bar, border): nothing changes
    m_tree.RemoveAt(index);
    RecomputeAll();
}

void Workbench::BeginDeleteBatch()
{
    ++m_deleteBatch;
}

void Workbench::EndDeleteBatch()
{
    if (--m_deleteBatch > 0)
        return;
    if (!m_batchDeleted.empty()) {
        m_tree.RemoveShapes(m_batchDeleted);
        m_batchDeleted.clear();
        RecomputeAll();
    }
}

void Workbench::ShapeSelected(TMyShape* shape)
{
    if (shape == nullptr)
        return;
    if (shape->ShapeId() == m_state.BorderId) {
        StartRefresh(m_state.BorderId);
        return;
    }
    const int thickness = HairMetrics::ParseInteger(shape->UserData().GetValue(ShapeTags::kThickness)).value_or(2);
    const int clamped = std::clamp(thickness, 1, 5000);
    if (clamped != m_state.ui.thickness) {
        m_state.ui.thickness = clamped;
        // The slider follows the selected shape; only that shape takes the value,
        // never the other shapes of a multiple selection.
        ApplyThickness({ shape });
    }
    m_state.ui.thicknessEnabled = true;
    m_state.ui.thicknessFocusRequested = true;
    for (int index : m_tree.TopsOfShape(shape->ShapeId())) {
        m_tree.At(index).expanded = true;
        m_tree.SetScrollTarget(index);
    }
    MirrorSelectionInTree();
    ResultsChanged();
}

void Workbench::MirrorSelectionInTree()
{
    std::unordered_set<int> ids;
    for (const TMyShape* selected : m_cad.GetSelection())
        ids.insert(selected->ShapeId());
    m_tree.SelectShapes(ids);
}

// --- refresh timer ---

void Workbench::StartRefresh(int shapeId)
{
    m_state.RefreshShapeId = shapeId;
    m_refreshPending = true;
    if (OnStartRefreshTimer)
        OnStartRefreshTimer();
}

void Workbench::RefreshTimerFired()
{
    if (!m_refreshPending)
        return;
    m_refreshPending = false;
    const int id = m_state.RefreshShapeId;
    if (id < 0)
        return;
    if (id == m_state.BorderId) {
        m_cad.Refresh();
    } else {
        TMyShape* shape = m_cad.ShapeById(id);
        if (shape == nullptr)
            return;
        if (shape->UserData().GetValue(ShapeTags::kType) == ShapeTags::kScaleBar) {
            m_calibration.RecalibrateFromBar(shape);
        } else if (const int index = m_tree.FindTop(id); index >= 0) {
            ResultTree::Entry& entry = m_tree.At(index);
            entry.children.clear();
            entry.expanded = true;
            m_tree.ClearSelection();
            m_tree.SetSelected(index, true);
            m_tree.SetScrollTarget(index);
        }
    }
    m_cad.Invalidate();
    RecomputeAll();
}

// --- result tree ---

void Workbench::TreeNodeFocused(int topIndex)
{
    if (topIndex < 0 || topIndex >= m_tree.Count())
        return;
    const int id = m_tree.At(topIndex).node.shapeId;
    m_cad.ClearSelection();
    if (!m_cad.SelectShapeById(id, true)) {
        m_tree.ClearSelection();
        m_tree.SetSelected(topIndex, true);
    }
}

void Workbench::ExpandAllNodes(bool expanded)
{
    m_tree.ExpandAll(expanded);
    ResultsChanged();
}

Workbench::TreeCopy Workbench::CopyTree()
{
    m_tree.ExpandAll(true);
    const QStringList captions { m_texts.Text(QStringLiteral("ColParameter")), m_texts.Text(QStringLiteral("ColValue")),
        m_texts.Text(QStringLiteral("ColUnit")) };
    TreeCopy copy { m_tree.ToHtml(captions, m_separator), m_tree.ToRtf(captions, m_separator) };
    m_tree.ClearSelection();
    ResultsChanged();
    return copy;
}

ResultsSnapshot Workbench::Results() const
{
    ResultsSnapshot snapshot;
    snapshot.unit = m_state.UnitText;
    snapshot.areaUnit = m_state.AreaUnitText;
    snapshot.scale = m_state.Scale;
    snapshot.evaluatedArea = m_state.EvaluatedArea;
    snapshot.imageWidth = m_state.ImageWidth;
    snapshot.imageHeight = m_state.ImageHeight;
    snapshot.rows = m_rows;
    snapshot.objects = m_tree.Objects();
    snapshot.thickness = Thickness();
    return snapshot;
}

ThicknessSummary Workbench::Thickness() const
{
    ThicknessSummary summary;
    // Calibrated in any length, every hair's thickness is in micrometres.
    const bool micrometres = LengthUnits::MicrometresPer(m_state.UnitText).has_value();
    summary.unit = micrometres ? QStringLiteral("µm") : m_state.UnitText;
    // The thickness child of every hair; a quick-count mark's has no unit.
    for (const ResultTree::Entry& entry : m_tree.Entries())
        for (const TResultNode& child : entry.children)
            if (child.parameter == m_labels.thickness && !child.unit.isEmpty())
                summary.values.push_back(child.value);
    if (micrometres)
        summary.classes = ThicknessDistribution::Classes(summary.values);
    summary.median = ThicknessDistribution::Median(summary.values);
    const int measured = m_state.HairCount - m_state.QuickCount;
    if (measured >= 1)
        summary.vellusPercentage = 100.0 * m_state.VellusCount / measured;
    return summary;
}

void Workbench::ResultsChanged()
{
    if (OnResultsChanged)
        OnResultsChanged();
}
