#include "workbench/calibration/Calibration.h"

#include "canvas/TMyCAD.h"
#include "canvas/TMyLine.h"
#include "common/LanguageTable.h"
#include "common/NumberText.h"
#include "workbench/HairMetrics.h"
#include "workbench/OperatorPrompt.h"
#include "workbench/ShapeTags.h"
#include "workbench/WorkbenchState.h"
#include "workbench/calibration/LengthUnits.h"

#include <cmath>

namespace {

// The pixel length that stands in for 0, as the dialog keeps it (single precision).
const double kZeroPixelLength = double(float(0.00001));

} // namespace

Calibration::Calibration(
    WorkbenchState& state, TMyCAD& cad, OperatorPrompt& prompt, const LanguageTable& texts, Hooks hooks)
    : m_state(state)
    , m_cad(cad)
    , m_prompt(prompt)
    , m_texts(texts)
    , m_hooks(std::move(hooks))
{
}

QString Calibration::BarInfoText(const QString& scaleValue, const QString& unitText)
{
    return QStringLiteral("M: ") + scaleValue + QLatin1Char(' ') + unitText;
}

bool Calibration::ApplyScaleDialog(bool ok)
{
    // A cancelled dialog changes nothing: neither the unit nor the scale.
    if (!ok)
        return false;
    const auto value = m_dialog.ScaleValue(m_separator);
    if (!value) {
        m_prompt.ShowMessage(ScaleDialogModel::NotANumberText(m_dialog.ScaleText()));
        return false;
    }
    const auto pixels = m_dialog.PixelLength(m_separator);
    if (!pixels) {
        m_prompt.ShowMessage(ScaleDialogModel::NotANumberText(m_dialog.PixelLengthText()));
        return false;
    }
    double v = *value == 0 ? 1.0 : *value;
    m_state.UnitText = m_dialog.SelectedUnitText();
    if (m_state.UnitText == QLatin1String("mm"))
        m_state.RulerUnit = RulerMillimetres;
    else if (LengthUnits::MicrometresPer(m_state.UnitText))
        m_state.RulerUnit = RulerNone;
    else
        m_state.RulerUnit = RulerPixels;
    const double p = *pixels == 0 ? kZeroPixelLength : *pixels;
    m_state.Scale = v / p;
    if (m_state.RulerUnit == RulerPixels) {
        m_state.Scale = 1.0;
        v = p;
    } else {
        m_state.AreaUnitText = m_state.UnitText + QStringLiteral("²");
    }
    m_rulers.longTickEvery = v > 0.2 ? 5 : 1;
    UpdateRulers();
    return true;
}

void Calibration::UpdateRulers()
{
    if (m_state.RulerUnit == RulerPixels) {
        m_state.Scale = 1.0;
        m_state.UnitText = QStringLiteral("Pixel");
        m_state.AreaUnitText = QStringLiteral("Pixel");
    }
    m_rulers.cornerUnit = m_state.RulerUnit;
    const double g = m_state.Zoom * 100.0 / m_state.Scale;
    m_rulers.scale = HairMetrics::TruncToInt(g);
    if (m_state.UnitText == QLatin1String("mm") && g > 750) {
        m_rulers.cornerUnit = RulerNone;
        m_rulers.scale = HairMetrics::TruncToInt(g * 0.001);
    }
    // A damaged calibration (negative, infinite or not a number) gets no grid
    // spacing rather than a loop that never ends.
    if (std::isfinite(g) && g > 0) {
        double h = g;
        while (h >= 50)
            h *= 0.4;
        while (h <= 15)
            h *= 2.5;
        m_rulers.gridSize = h;
        TGridObject grid = m_cad.GridOperation();
        grid.GridWidth = h;
        grid.GridHeight = h;
        m_cad.SetGridOperation(grid);
    }
    if (m_state.Scale != 0)
        m_cad.SetRatio(m_state.Scale);
}

void Calibration::MarkAsScaleBar(TMyShape* bar, double pixelLength)
{
    const QString value = m_dialog.ScaleText().trimmed();
    const QString info = BarInfoText(value, m_state.UnitText);
    if (auto* rule = dynamic_cast<TMyRuleLine*>(bar)) {
        rule->SetUserInfo(info);
        rule->SetShowUserInfo(true);
    } else {
        bar->SetInfo(info);
    }
    TUserData& data = bar->UserData();
    data.Add(ShapeTags::kType, ShapeTags::kScaleBar);
    data.Add(QStringLiteral("Scale"), value);
    data.Add(QStringLiteral("Unit"), m_state.UnitText);
    data.Add(QStringLiteral("Length"), NumberText::Shortest(pixelLength));
}

int Calibration::CreateScaleBar(double pixelLength)
{
    m_state.ToolMode = ToolModeScaleBar;
    const double z = m_state.Zoom;
    // Exact screen positions, so that the bar is exactly pixelLength image pixels
    // long at any zoom (rounded screen pixels would change the calibration).
    const int id = m_cad.AddShape(SpRuleLine, QString(), 0.0f,
        { QPointF(40 * z, 40 * z), QPointF((40 + pixelLength) * z, 40 * z) }, QStringLiteral("Measure"));
    TMyShape* bar = m_cad.ShapeById(id);
    if (bar == nullptr) {
        m_state.ToolMode = ToolModeMeasure;
        return -1;
    }
    MarkAsScaleBar(bar, pixelLength);
    bar->UserData().Add(ShapeTags::kThickness, QStringLiteral("1"));
    m_state.ScaleBarId = id;
    m_state.ToolMode = ToolModeMeasure;
    m_hooks.recomputeAll();
    ApplyShowScaleBar();
    return id;
}

void Calibration::RecalibrateFromBar(TMyShape* bar)
{
    if (bar == nullptr)
        return;
    m_state.ScaleBarId = bar->ShapeId();
    const double length = HairMetrics::BoxDiagonal(*bar);
    m_dialog.SetPixelLengthText(NumberText::Fixed(length, 2, m_separator));
    const double stored = length == 0 ? kZeroPixelLength : length;
    if (!bar->UserData().SetValue(QStringLiteral("Length"), NumberText::Shortest(stored)))
        bar->UserData().Add(QStringLiteral("Length"), NumberText::Shortest(stored));
    m_dialog.Synchronise();
    ApplyScaleDialog(true);
    if (m_state.RulerUnit == RulerPixels) {
        const QString info = BarInfoText(NumberText::Fixed(length, 2, m_separator), m_state.UnitText);
        if (auto* rule = dynamic_cast<TMyRuleLine*>(bar))
            rule->SetUserInfo(info);
        else
            bar->SetInfo(info);
    }
    m_hooks.recomputeAll();
}

bool Calibration::ReplaceExistingBar(bool graphic)
{
    if (m_state.ScaleBarId < 0)
        return true;
    if (m_prompt.AskYesNo(m_texts.Text(QStringLiteral("MessageMeasureDelete")),
            m_texts.Text(QStringLiteral("MessageMeasureExists")))) {
        m_cad.DeleteShapeById(m_state.ScaleBarId, true);
        m_state.ScaleBarId = -1;
        if (graphic)
            m_state.ui.cursor = CanvasCursor::Scale;
        m_cad.Invalidate();
        return true;
    }
    m_cad.SetShapeTool(SpSelecting);
    m_state.ToolMode = ToolModeMeasure;
    if (m_state.ui.down == ToolButton::Measure)
        m_state.ui.down = ToolButton::None;
    return false;
}

void Calibration::GraphicScaleCommand()
{
    if (!ReplaceExistingBar(true))
        return;
    m_state.ui.down = ToolButton::Measure;
    m_cad.SetShapeTool(SpRuleLine);
    m_state.ui.cursor = CanvasCursor::Scale;
    m_state.ToolMode = ToolModeGraphicScale;
}

void Calibration::NumericScaleCommand()
{
    if (!ReplaceExistingBar(false) || m_state.ScaleBarId >= 0)
        return;
    const ScaleDialogModel before = m_dialog;
    m_dialog.SetPixelLengthEditable(true);
    const bool ok = m_prompt.RunScaleDialog(m_dialog);
    m_dialog.SetPixelLengthEditable(false);
    // Cancelled or refused: the dialog shows what it showed before, and without
    // a calibration there is no scale bar either.
    if (!ApplyScaleDialog(ok)) {
        m_dialog = before;
        return;
    }
    CreateScaleBar(m_dialog.PixelLength(m_separator).value_or(0.0));
}

void Calibration::ScaleLineAdded(TMyShape* line)
{
    m_state.ScaleBarId = line->ShapeId();
    const double length = HairMetrics::BoxDiagonal(*line);
    if (length == 0) {
        // A click without a drag: no distance to calibrate on, so ask for the numbers.
        m_cad.DeleteShapeById(line->ShapeId(), true);
        m_state.ScaleBarId = -1;
        m_dialog.SetPixelLengthText(QStringLiteral("100"));
        NumericScaleCommand();
        m_hooks.selectMode();
        return;
    }
    const ScaleDialogModel before = m_dialog;
    m_dialog.SetPixelLengthText(NumberText::Fixed(length, 2, m_separator));
    if (!ApplyScaleDialog(m_prompt.RunScaleDialog(m_dialog))) {
        // Cancelled: the drawn line was no calibration and goes again.
        m_dialog = before;
        m_cad.DeleteShapeById(line->ShapeId(), true);
        m_state.ScaleBarId = -1;
        m_hooks.selectMode();
        return;
    }
    line->SetCaption(BarInfoText(m_dialog.ScaleText().trimmed(), m_state.UnitText));
    MarkAsScaleBar(line, length);
    line->UserData().Add(ShapeTags::kThickness, QString::number(m_state.ui.thickness));
    m_hooks.selectMode();
    ApplyShowScaleBar();
    m_hooks.recomputeAll();
}

void Calibration::SetShowScaleBar(bool show)
{
    m_state.ui.showScaleBar = show;
    ApplyShowScaleBar();
}

void Calibration::ApplyShowScaleBar()
{
    if (TMyShape* bar = m_cad.ShapeById(m_state.ScaleBarId)) {
        bar->SetVisible(m_state.ui.showScaleBar);
        m_cad.Invalidate();
    }
}
