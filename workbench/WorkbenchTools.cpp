// The measuring tools: tool buttons, visibility switches, the thickness and zoom
// sliders, the mouse on the canvas, quick count and the label flow.
#include "workbench/Workbench.h"
#include "workbench/calibration/LengthUnits.h"

#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "common/NumberText.h"
#include "workbench/HairMetrics.h"
#include "workbench/OperatorPrompt.h"
#include "workbench/ShapeTags.h"

#include <algorithm>
#include <cmath>

namespace {

// Buttons after whose click the tool stays for more shapes only with Ctrl or the setting.
bool IsSingleShotTool(ToolButton button)
{
    return button == ToolButton::Line || button == ToolButton::Spline || button == ToolButton::FollicularUnit
        || button == ToolButton::Label;
}

bool IsMultiTool(ToolButton button)
{
    return button == ToolButton::MultLine || button == ToolButton::MultSpline
        || button == ToolButton::MultFollicularUnit;
}

} // namespace

void Workbench::SelectMode()
{
    m_state.ui.down = ToolButton::Select;
    m_cad.SetShapeTool(SpSelecting);
    m_state.ui.cursor = CanvasCursor::Measure;
    m_state.ToolMode = ToolModeMeasure;
}

void Workbench::ToolButtonClicked(ToolButton button, bool ctrl)
{
    ToolBarState& ui = m_state.ui;
    // The quick-count button toggles; every other button of the group goes down.
    if (button == ToolButton::QuickHairCount && ui.down == ToolButton::QuickHairCount)
        ui.down = ToolButton::None;
    else
        ui.down = button;

    // The slider stays usable with a drawing tool: it sets the next hair's thickness.
    auto drawingTool = [&](TDrawTool tool, bool, uint8_t mode) {
        m_cad.SetShapeTool(tool);
        ui.cursor = CanvasCursor::MeasureAdd;
        m_state.ToolMode = mode;
    };
    auto penColor = [&](TColor color) {
        TMyPen pen = m_cad.Pen();
        pen.color = color;
        m_cad.SetPen(pen);
    };
    switch (button) {
    case ToolButton::Select:
        SelectMode();
        break;
    case ToolButton::QuickHairCount:
        m_cad.SetReturnToSelecting(ui.down != ToolButton::QuickHairCount);
        break;
    case ToolButton::Line:
    case ToolButton::MultLine:
        penColor(m_state.PenColor);
        drawingTool(SpRuleLine, button == ToolButton::Line, ToolModeMeasure);
        break;
    case ToolButton::Spline:
    case ToolButton::MultSpline:
        penColor(m_state.PenColor);
        drawingTool(SpPolyBezier, true, ToolModeMeasure);
        break;
    case ToolButton::FollicularUnit:
    case ToolButton::MultFollicularUnit:
        // The hair colour chosen with "Linenfarbe" is kept for the next line, but
        // the follicular-unit colour itself never becomes the hair colour.
        if (m_cad.Pen().color != m_state.PenFUColor)
            m_state.PenColor = m_cad.Pen().color;
        penColor(m_state.PenFUColor);
        drawingTool(SpEllipse, true, ToolModeMeasure);
        break;
    case ToolButton::Label:
        penColor(m_state.PenColor);
        drawingTool(SpLinkPoint, true, ToolModeLabelPending);
        break;
    case ToolButton::Measure:
        m_calibration.GraphicScaleCommand();
        break;
    case ToolButton::None:
        break;
    }
    if (IsSingleShotTool(button))
        m_cad.SetReturnToSelecting(!(ctrl || m_state.AlwaysKeepSelecton));
    if (IsMultiTool(button))
        m_cad.SetReturnToSelecting(false);
}

void Workbench::SetShowBorder(bool down)
{
    m_state.ui.showBorder = down;
    // Until the border is set up the layer id names the first layer, which holds
    // the hairs: the border switch must not hide them.
    if (m_state.BorderLayerId >= 0 && m_cad.LayerIdByName(QStringLiteral("BorderLayer")) == m_state.BorderLayerId) {
        if (down)
            m_cad.ShowLayer(m_state.BorderLayerId);
        else
            m_cad.HideLayer(m_state.BorderLayerId);
    }
}

void Workbench::SetShowHairs(bool down)
{
    m_state.ui.showHairs = down;
    if (m_state.HairLayerId >= 0) {
        if (down)
            m_cad.ShowLayer(m_state.HairLayerId);
        else
            m_cad.HideLayer(m_state.HairLayerId);
    }
}

void Workbench::SetShowGrid(bool down)
{
    m_state.ui.showGrid = down;
    TGridObject grid = m_cad.GridOperation();
    grid.GridShow = down;
    m_cad.SetGridOperation(grid);
}

void Workbench::SetShowResults(bool down)
{
    m_state.ui.showResults = down;
}

int Workbench::HairPenWidth(int thickness) const
{
    // At a small zoom a hair is still drawn wide enough to be seen.
    return std::max(kMinimumMarkWidth, HairMetrics::TruncToInt(thickness * m_state.Zoom * 0.01));
}

int Workbench::MarkPenWidth(const TMyShape& shape, int thickness) const
{
    // Half as wide, the hair beneath a proposal shows on both sides of it while
    // the operator checks that the mark follows the hair.
    const int width = HairPenWidth(thickness);
    return IsProposal(shape) ? std::max(kMinimumMarkWidth, width / 2) : width;
}

void Workbench::SetThicknessSlider(int value)
{
    value = std::clamp(value, 1, 5000);
    if (value == m_state.ui.thickness)
        return;
    m_state.ui.thickness = value;
    std::vector<TMyShape*> hairs;
    std::vector<int> ids;
    for (TMyShape* shape : m_cad.GetSelection()) {
        const int id = shape->ShapeId();
        if (id == m_state.ScaleBarId || id == m_state.BorderId || std::string_view(shape->ClassName()) == "TMyEllipse")
            continue;
        hairs.push_back(shape);
        ids.push_back(id);
    }
    // One undo step per gesture: a drag of the slider over the same hairs adds to
    // the step it started, as long as nothing else was recorded since.
    if (!hairs.empty() && (ids != m_thicknessStepIds || m_cad.UndoSerial() != m_thicknessStepSerial)) {
        m_cad.RecordChange(hairs);
        m_thicknessStepIds = ids;
        m_thicknessStepSerial = m_cad.UndoSerial();
    }
    ApplyThickness(hairs);
    if (!hairs.empty())
        m_cad.SetModified(true);
}

int Workbench::ThicknessTarget() const
{
    int target = -1;
    for (TMyShape* shape : m_cad.GetSelection()) {
        const int id = shape->ShapeId();
        if (id == m_state.ScaleBarId || id == m_state.BorderId || std::string_view(shape->ClassName()) == "TMyEllipse")
            continue;
        if (target >= 0)
            return -2;
        target = id;
    }
    return target;
}

std::optional<double> Workbench::MicrometresPerPixel() const
{
    const std::optional<double> micrometres = LengthUnits::MicrometresPer(m_state.UnitText);
    if (!micrometres || !(m_state.Scale > 0))
        return std::nullopt;
    return m_state.Scale * *micrometres;
}

std::optional<double> Workbench::ThicknessMicrometres() const
{
    const auto perPixel = MicrometresPerPixel();
    if (!perPixel)
        return std::nullopt;
    return m_state.ui.thickness * 0.01 * *perPixel;
}

void Workbench::SetThicknessMicrometres(double micrometres)
{
    const auto perPixel = MicrometresPerPixel();
    const double pixels = perPixel ? micrometres / *perPixel : micrometres;
    if (std::isfinite(pixels))
        SetThicknessSlider(int(std::lround(std::clamp(pixels * 100.0, 1.0, 5000.0))));
}

void Workbench::ApplyThickness(const std::vector<TMyShape*>& targets)
{
    const int value = m_state.ui.thickness;
    TMyShape* changed = nullptr;
    for (TMyShape* shape : targets) {
        const int id = shape->ShapeId();
        if (id == m_state.ScaleBarId || id == m_state.BorderId || shape->Kind() == ShapeKind::Ellipse)
            continue;
        // Selecting a hair hands its own thickness back here: that is no correction.
        if (shape->UserData().GetValue(ShapeTags::kThickness) != QString::number(value))
            MarkCorrected(*shape);
        TMyPen pen = shape->Pen();
        pen.width = MarkPenWidth(*shape, value);
        shape->SetPen(pen);
        shape->UserData().SetValue(ShapeTags::kThickness, QString::number(value));
        changed = shape;
    }
    m_cad.Invalidate();
    const int selected = m_cad.SelectedCount();
    if (selected == 1 && changed != nullptr && m_cad.SelectedShape() == changed)
        StartRefresh(changed->ShapeId());
    else if (selected > 1)
        RecomputeAll();
}

Workbench::ScrollPosition Workbench::SetZoomSlider(int position, const Viewport& view)
{
    m_state.ui.zoomPosition = std::clamp(position, -80, 80);
    const double centreY = (view.clientHeight * 0.5 + view.verticalScroll) / m_state.Zoom;
    const double centreX = (view.clientWidth * 0.5 + view.horizontalScroll) / m_state.Zoom;
    ApplyZoom();
    return ScrollPosition { HairMetrics::TruncToInt(centreX * m_state.Zoom - view.clientWidth * 0.5),
        HairMetrics::TruncToInt(centreY * m_state.Zoom - view.clientHeight * 0.5) };
}

void Workbench::ApplyZoom()
{
    m_state.Zoom = std::pow(10.0, m_state.ui.zoomPosition * 0.01);
    m_cad.SetZoom(m_state.Zoom);
    const QString zoomText = QStringLiteral("Zoom: ") + NumberText::Fixed(m_state.Zoom * 100, 2, m_separator) + '%';
    m_state.ui.zoomHint = zoomText;
    m_state.ui.statusZoom = zoomText;
    m_canvasWidth = HairMetrics::TruncToInt(m_state.ImageWidth * m_state.Zoom);
    m_canvasHeight = HairMetrics::TruncToInt(m_state.ImageHeight * m_state.Zoom);
    m_cad.ClientResized(m_canvasWidth, m_canvasHeight);
    m_calibration.UpdateRulers();
    for (int i = 0; i < m_cad.ShapeCount(); ++i) {
        TMyShape* shape = m_cad.ShapeByIndex(i);
        const QString type = shape->UserData().GetValue(ShapeTags::kType);
        if (ShapeTags::IsSpecialType(type))
            continue;
        const QString thickness = shape->UserData().GetValue(ShapeTags::kThickness).trimmed();
        if (thickness.isEmpty())
            continue;
        if (const auto t = HairMetrics::ParseInteger(thickness)) {
            TMyPen pen = shape->Pen();
            pen.width = MarkPenWidth(*shape, *t);
            shape->SetPen(pen);
        }
    }
    m_cad.Invalidate();
}

Workbench::ScrollPosition Workbench::MouseWheel(int delta, const Viewport& view)
{
    return SetZoomSlider(HairMetrics::TruncToInt(m_state.ui.zoomPosition - delta / 12.0), view);
}

void Workbench::CanvasMouseDown()
{
    if (m_state.ui.thicknessEnabled)
        m_state.ui.thicknessFocusRequested = true;
}

void Workbench::CanvasMouseUp(double x, double y, bool ctrl)
{
    if (m_state.ui.down == ToolButton::QuickHairCount) {
        QuickCount(x, y);
        return;
    }
    if (ctrl)
        m_cad.SetReturnToSelecting(false);
    switch (m_cad.ShapeTool()) {
    case SpSelecting:
        m_state.ui.cursor = CanvasCursor::Measure;
        break;
    case SpRuleLine:
    case SpLine:
    case SpPolyBezier:
        m_state.ui.cursor = CanvasCursor::MeasureAdd;
        break;
    default:
        break;
    }
}

void Workbench::CanvasMouseMove(double x, double y)
{
    const double imageX = x / m_state.Zoom + 0.5;
    const double imageY = y / m_state.Zoom + 0.5;
    m_state.ui.statusMouse = QStringLiteral("X: ") + NumberText::Fixed(imageX, 0, m_separator) + QStringLiteral("  Y:")
        + NumberText::Fixed(imageY, 0, m_separator) + QStringLiteral(" Pixel");
    // Beside the pixels, the calibrated position: what a clinician measures in.
    // Decimals: 1 in µm, 3 in mm, 4 in cm.
    const std::optional<double> perUnit = LengthUnits::MicrometresPer(m_state.UnitText);
    if (perUnit && m_state.Scale > 0) {
        const double factor = m_state.Scale;
        const int decimals = *perUnit <= 1.0 ? 1 : *perUnit <= 1000.0 ? 3 : 4;
        m_state.ui.statusMouse += QStringLiteral("  (")
            + NumberText::Fixed(std::round(imageX) * factor, decimals, m_separator) + QStringLiteral("; ")
            + NumberText::Fixed(std::round(imageY) * factor, decimals, m_separator) + QLatin1Char(' ')
            + m_state.UnitText + QLatin1Char(')');
    }
}

void Workbench::QuickCount(double x, double y)
{
    const int id
        = m_cad.AddShape(SpRuleLine, QString(), 0.0f, { QPointF(x, y), QPointF(x + 1, y) }, QStringLiteral("Hair"));
    TMyShape* mark = m_cad.ShapeById(id);
    if (mark == nullptr)
        return;
    if (auto* rule = dynamic_cast<TMyRuleLine*>(mark)) {
        rule->SetUserInfo(QStringLiteral("?"));
        rule->SetShowUserInfo(true);
    }
    mark->SetResizeEnable(false);
    TUserData& data = mark->UserData();
    data.Add(ShapeTags::kType, ShapeTags::kQuickCount);
    data.Add(QStringLiteral("Scale"), m_calibration.Dialog().ScaleText().trimmed());
    data.Add(QStringLiteral("Unit"), m_state.UnitText);
    data.Add(QStringLiteral("Length"), QStringLiteral("0"));
    data.Add(ShapeTags::kThickness, QStringLiteral("1"));
    m_state.ToolMode = ToolModeMeasure;
    RecomputeAll();
}

void Workbench::LabelFlow(TMyShape* placeholder)
{
    const int placeholderId = placeholder->ShapeId();
    const std::optional<QString> answer = m_prompt.AskLabel(QString());
    const QString text = answer ? answer->trimmed() : QString();
    const double x = placeholder->Left();
    const double y = placeholder->Top();
    // The placeholder only marks the position: it goes whether or not a label
    // follows, so that no stray link point stays on the measurement.
    m_cad.DeleteShapeById(placeholderId, true);
    if (!text.isEmpty()) {
        m_state.ToolMode = ToolModeLabelCreate;
        const QSizeF size = MeasureText(text, m_cad.Font());
        const double w = size.width();
        const double h = size.height();
        const int id = m_cad.AddShape(SpText, QString(), 0.0f,
            ToScreen({ QPointF(x, y), QPointF(x + w, y), QPointF(x + w, y + h), QPointF(x, y + h) }),
            QStringLiteral("Text"));
        if (auto* label = dynamic_cast<TMyText*>(m_cad.ShapeById(id))) {
            label->SetHAlignment(taLeftJustify);
            label->SetLines({ text });
            label->UserData().Add(ShapeTags::kType, ShapeTags::kLabelOrBorder);
        }
        m_state.ToolMode = ToolModeLabelPending;
    }
    if (m_cad.ReturnToSelecting()) {
        m_state.ui.down = ToolButton::Select;
        m_state.ToolMode = ToolModeMeasure;
    }
}
