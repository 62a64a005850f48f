// Hair metrics and results: the tree entries of measured shapes, the counters,
// the results grid and the evaluated field.
#include "workbench/Workbench.h"

#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "common/NumberText.h"
#include "workbench/HairMetrics.h"
#include "workbench/OperatorPrompt.h"
#include "workbench/ShapeTags.h"
#include "workbench/calibration/LengthUnits.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

const QString kRoot = QStringLiteral("Root");

bool IsStraightHair(ShapeKind kind)
{
    return kind == ShapeKind::RuleLine || kind == ShapeKind::Line;
}

} // namespace

QString Workbench::CaptionSuffix(const TMyShape* shape) const
{
    const QString caption = shape->UserData().GetValue(ShapeTags::kCaption);
    return caption.isEmpty() ? QString() : QStringLiteral(" (") + caption + QLatin1Char(')');
}

QString Workbench::WithSuffix(const QString& prefix, const TMyShape* shape) const
{
    // Most shapes have no label: the prefix is then shared, not copied.
    const QString suffix = CaptionSuffix(shape);
    return suffix.isEmpty() ? prefix : prefix + suffix;
}

void Workbench::RegisterMeasuredShape(TMyShape* shape, bool evaluate)
{
    if (shape == nullptr)
        return;
    const ShapeKind kind = shape->Kind();
    if (kind == ShapeKind::Text)
        return;
    QString prefix;
    if (IsStraightHair(kind) || kind == ShapeKind::PolyBezier)
        prefix = m_labels.line;
    else if (kind == ShapeKind::Ellipse)
        prefix = m_labels.follicularUnit;
    shape->SetCaption(WithSuffix(prefix, shape));

    const int index
        = m_tree.Append(TResultNode { shape->ShapeId(), shape->Caption(), kRoot, 0.0, m_state.UnitText, 0 });
    if (!evaluate) {
        m_tree.At(index).expanded = true;
        return;
    }
    EvaluateShape(shape, index);
    m_tree.At(index).expanded = true;
    m_tree.ClearSelection();
    m_tree.SetSelected(index, true);
    m_tree.SetScrollTarget(index);
    UpdateResultsGrid();
}

bool Workbench::EvaluateShape(TMyShape* shape, int topIndex)
{
    if (shape == nullptr || topIndex < 0 || topIndex >= m_tree.Count())
        return true;
    ResultTree::Entry& entry = m_tree.At(topIndex);
    const ShapeKind kind = shape->Kind();
    if (IsStraightHair(kind))
        return EvaluateHair(shape, entry, false);
    if (kind == ShapeKind::PolyBezier)
        return EvaluateHair(shape, entry, true);
    if (kind == ShapeKind::Ellipse) {
        ++m_state.FollicularUnitCount;
        entry.node.caption = WithSuffix(m_labels.follicularUnit, shape);
    }
    return true;
}

bool Workbench::EvaluateHair(TMyShape* shape, ResultTree::Entry& entry, bool curved)
{
    const double s = m_state.Scale;
    // Nothing when the picture is not calibrated: no thickness in micrometres, no vellus split.
    const std::optional<double> micrometres = LengthUnits::MicrometresPer(m_state.UnitText);
    const QString childCaption = curved ? m_labels.bezier : m_labels.line;
    const int id = shape->ShapeId();
    // A quick-count mark only counts a hair: it has no length.
    const bool quickCount = !curved && shape->UserData().GetValue(ShapeTags::kType) == ShapeTags::kQuickCount;
    double length = 0.0;
    if (!quickCount) {
        double pixelLength = 0.0;
        if (curved) {
            const HairMetrics::CurveLengthResult curve = m_curveLengths.Length(id, shape->Nodes());
            if (!curve.converged) {
                m_prompt.ShowMessage(HairMetrics::CurveLengthErrorText());
                return false;
            }
            pixelLength = curve.length;
        } else {
            pixelLength = HairMetrics::BoxDiagonal(*shape);
        }
        length = pixelLength * s;
        entry.children.push_back(TResultNode { id, childCaption, m_labels.length, length, m_state.UnitText, 2 });
    }

    const QString thicknessText = shape->UserData().GetValue(ShapeTags::kThickness);
    const auto thickness = HairMetrics::ParseInteger(thicknessText);
    if (!thickness) {
        m_prompt.ShowMessage(HairMetrics::NotAnIntegerText(thicknessText));
        return false;
    }
    entry.children.push_back(TResultNode { id, childCaption, m_labels.thickness, 0.0, {}, 0 });
    TResultNode& thicknessNode = entry.children.back();

    if (quickCount) {
        // Quick-count marks are numbered in the order of evaluation.
        ++m_state.QuickCount;
        const QString number = QString::number(m_state.QuickCount);
        if (auto* rule = dynamic_cast<TMyRuleLine*>(shape))
            rule->SetUserInfo(number);
        else
            shape->SetInfo(number);
    } else {
        const double t = *thickness * s * 0.01;
        if (micrometres) {
            thicknessNode.value = t * *micrometres;
            thicknessNode.unit = QStringLiteral("µm");
            thicknessNode.decimals = 0;
            if (thicknessNode.value <= LengthUnits::kVellusLimitMicrometres)
                ++m_state.VellusCount;
        } else {
            thicknessNode.value = t;
            thicknessNode.unit = m_state.UnitText;
            thicknessNode.decimals = curved ? 2 : 0;
        }
        m_state.ThicknessSum += t;
        m_state.LengthSum += length;
    }
    ++m_state.HairCount;
    m_state.TerminalCount = m_state.HairCount - m_state.VellusCount - m_state.QuickCount;
    entry.node.caption = WithSuffix(m_labels.line, shape);
    switch (OriginOf(*shape)) {
    case HairOrigin::Detected:
        entry.origin = QStringLiteral("detected");
        entry.originText = m_labels.originDetected;
        break;
    case HairOrigin::Edited:
        entry.origin = QStringLiteral("edited");
        entry.originText = m_labels.originEdited;
        break;
    case HairOrigin::Drawn:
        entry.origin = QStringLiteral("drawn");
        entry.originText = m_labels.originDrawn;
        break;
    }
    return true;
}

void Workbench::RecomputeAll()
{
    m_state.HairCount = 0;
    m_state.VellusCount = 0;
    m_state.TerminalCount = 0;
    m_state.QuickCount = 0;
    m_state.FollicularUnitCount = 0;
    m_state.ThicknessSum = 0;
    m_state.LengthSum = 0;
    for (int i = 0; i < m_tree.Count(); ++i) {
        ResultTree::Entry& entry = m_tree.At(i);
        const int id = entry.node.shapeId;
        if (id < 0)
            continue;
        TMyShape* shape = m_cad.ShapeById(id);
        if (shape == nullptr)
            continue;
        const bool expanded = entry.expanded || id == m_state.RefreshShapeId;
        entry.children.clear();
        if (!EvaluateShape(shape, i)) {
            ResultsChanged();
            return; // the message has been shown; the evaluation stops here
        }
        m_tree.At(i).expanded = expanded;
    }
    UpdateResultsGrid();
    if (const int first = m_tree.FirstSelected(); first >= 0)
        m_tree.SetScrollTarget(first);
}

void Workbench::SetRowValue(int row, double value, const QString& text, const QString& unit)
{
    TGridResult& r = m_rows[size_t(row)];
    r.value = value;
    r.text = text;
    r.unit = unit;
}

void Workbench::SetRowNoValue(int row)
{
    TGridResult& r = m_rows[size_t(row)];
    r.value = -1;
    r.text = QStringLiteral("-");
}

void Workbench::UpdateResultsGrid()
{
    const double a = double(m_state.EvaluatedArea);
    const double s = m_state.Scale;
    const std::optional<double> micrometres = LengthUnits::MicrometresPer(m_state.UnitText);
    const bool calibrated = micrometres.has_value();
    // Square centimetres per square unit when calibrated; pixels stay pixels.
    const double cmPerUnit = calibrated ? *micrometres * 1e-4 : 1.0;
    const double f = a * s * s * cmPerUnit * cmPerUnit;
    const int n = m_state.HairCount - m_state.QuickCount;
    const bool noField = a <= 0 || s <= 0;
    const QString& unit = m_state.UnitText;
    const QString& areaUnit = m_state.AreaUnitText;
    const QString fieldUnit = calibrated ? QStringLiteral("cm²") : areaUnit;
    const QString perArea = QStringLiteral("1/") + fieldUnit;
    const QString cumulative = unit + QLatin1Char('/') + fieldUnit;
    auto fixed = [&](double value) { return NumberText::Fixed(value, 2, m_separator); };
    auto count = [&](int row, int value) {
        TGridResult& r = m_rows[size_t(row)];
        r.value = value;
        r.text = NumberText::Shortest(value, m_separator);
    };
    auto density = [&](int row, double numerator, bool available, const QString& rowUnit) {
        if (!available) {
            SetRowNoValue(row);
            return;
        }
        const double value = numerator / f;
        SetRowValue(row, value, fixed(value), rowUnit);
    };

    for (int row : { RowVellusCount, RowVellusDensity, RowTerminalCount, RowTerminalDensity })
        m_rows[size_t(row)].unit.clear();
    SetRowValue(RowArea, f, fixed(f), fieldUnit);
    count(RowCount, m_state.HairCount);
    density(RowDensity, m_state.HairCount, !noField, perArea);
    if (n < 1) {
        SetRowNoValue(RowThicknessMean);
        SetRowNoValue(RowLengthMean);
        SetRowNoValue(RowVellusCount);
        SetRowNoValue(RowTerminalCount);
    } else {
        const double thicknessMean = calibrated ? *micrometres * m_state.ThicknessSum / n : m_state.ThicknessSum / n;
        SetRowValue(RowThicknessMean, thicknessMean, fixed(thicknessMean), calibrated ? QStringLiteral("µm") : unit);
        const double lengthMean = m_state.LengthSum / n;
        SetRowValue(RowLengthMean, lengthMean, fixed(lengthMean), unit);
        count(RowVellusCount, m_state.VellusCount);
        count(RowTerminalCount, m_state.TerminalCount);
    }
    density(RowThicknessCum, m_state.ThicknessSum, n >= 1 && !noField, cumulative);
    density(RowLengthCum, m_state.LengthSum, n >= 1 && !noField, cumulative);
    density(RowVellusDensity, m_state.VellusCount, !noField, perArea);
    density(RowTerminalDensity, m_state.TerminalCount, !noField, perArea);
    if (!calibrated) {
        // Vellus and terminal hairs are told apart by micrometres: no split without a calibration.
        const QString notCalibrated = m_texts.Text(QStringLiteral("MessageNotCalibrated"));
        for (int row : { RowVellusCount, RowVellusDensity, RowTerminalCount, RowTerminalDensity }) {
            SetRowNoValue(row);
            m_rows[size_t(row)].unit = notCalibrated;
        }
    }
    if (m_state.FollicularUnitCount < 1)
        SetRowNoValue(RowFollicularUnits);
    else
        count(RowFollicularUnits, m_state.FollicularUnitCount);
    density(RowFollicularUnitDensity, m_state.FollicularUnitCount, !noField, perArea);
    ResultsChanged();
}

void Workbench::SetupEvaluatedField(int x0, int y0, int r)
{
    // The field is the part of the circle that lies on the picture, nothing else.
    m_state.EvaluatedArea = HairMetrics::CountDiscPoints(x0, y0, r, m_state.ImageWidth, m_state.ImageHeight);

    // Only one exclusion border exists: an earlier one goes.
    if (TMyShape* old = m_cad.ShapeById(m_state.BorderId)) {
        old->SetLocked(false);
        m_cad.DeleteShapeById(old->ShapeId(), false);
    }
    m_state.BorderId = -1;

    const uint8_t savedMode = m_state.ToolMode;
    m_state.ToolMode = ToolModeBorder;
    const QString borderLayer = QStringLiteral("BorderLayer");
    if (m_cad.LayerIdByName(borderLayer) < 0)
        m_cad.AddLayer(borderLayer, true);
    m_state.BorderLayerId = m_cad.LayerIdByName(borderLayer);
    m_cad.SetCurrentLayer(m_state.BorderLayerId);
    const double x = x0;
    const double y = y0;
    const int id = m_cad.AddShape(SpEllipse, QString(), 0.0f,
        ToScreen({ QPointF(x - r, y - r), QPointF(x + r, y - r), QPointF(x + r, y + r), QPointF(x - r, y + r) }),
        ShapeTags::kBorderName);
    if (TMyShape* border = m_cad.ShapeById(id)) {
        m_state.BorderId = id;
        border->SetLayerId(m_state.BorderLayerId);
        TMyPen pen = border->Pen();
        pen.width = 3;
        pen.color = 0x00D379;
        border->SetPen(pen);
        if (auto* box = dynamic_cast<TMyRectangle*>(border))
            box->SetShowSideHot(false);
        border->SetResizeEnable(false);
        border->SetCaptionShow(false);
        border->SetCaption(QString());
        border->SetVisible(m_state.ui.showBorder);
        border->SetLocked(true);
        border->UserData().Add(ShapeTags::kType, ShapeTags::kLabelOrBorder);
        m_cad.Invalidate();
    }
    m_state.ToolMode = savedMode;

    const QString hairLayer = QStringLiteral("HairLayer");
    if (m_cad.LayerIdByName(hairLayer) < 0)
        m_cad.AddLayer(hairLayer, true);
    m_state.HairLayerId = m_cad.LayerIdByName(hairLayer);
    m_cad.SetCurrentLayer(m_state.HairLayerId);
    m_cad.SetOperateAllLayer(false);
    UpdateResultsGrid();
}

std::vector<QPointF> Workbench::ToScreen(const std::vector<QPointF>& imagePoints) const
{
    // Exact positions: the canvas divides by the zoom again, so the nodes land on
    // the image points at any zoom.
    std::vector<QPointF> screen;
    screen.reserve(imagePoints.size());
    for (const QPointF& p : imagePoints)
        screen.emplace_back(p.x() * m_state.Zoom, p.y() * m_state.Zoom);
    return screen;
}
