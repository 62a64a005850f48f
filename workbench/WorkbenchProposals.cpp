// Proposals of the automatic hair detection on the workbench: shown as marks of
// their own colour on their own layer, reviewed with the ordinary tools, and
// accepted together as one undo step. Each hair keeps where it came from.
#include "workbench/ShapeTags.h"
#include "workbench/Workbench.h"

#include "canvas/ShapeFactory.h"
#include "canvas/TMyLine.h"
#include "workbench/calibration/LengthUnits.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace {

const QString kType = QStringLiteral("Type");
const QString& kProposalType = ShapeTags::kProposal;
const QString kOrigin = QStringLiteral("Origin");
const QString kProposalLayer = QStringLiteral("ProposalLayer");
// Proposals are drawn in cyan (TColor is 0x00BBGGRR), doubtful ones dashed in
// magenta: colours hairs and skin never have.
constexpr TColor kProposalColor = 0xFFFF00;
constexpr TColor kDoubtfulColor = 0xFF00FF;
// Below this confidence a proposal is doubtful: in the generated test pictures
// about two of three such detections are a piece of a hair or two hairs in one,
// against one in sixteen of those from 0.8.
constexpr double kDoubtfulConfidence = 0.5;
const QString kConfidence = QStringLiteral("Confidence");

bool IsDoubtful(const TMyShape& shape)
{
    bool ok = false;
    const double confidence = shape.UserData().GetValue(kConfidence).toDouble(&ok);
    return ok && confidence < kDoubtfulConfidence;
}

} // namespace

void Workbench::MarkCorrected(TMyShape& shape)
{
    if (OriginOf(shape) == HairOrigin::Detected)
        shape.UserData().SetValue(kOrigin, QStringLiteral("edited"));
}

Workbench::HairOrigin Workbench::OriginOf(const TMyShape& shape)
{
    const QString origin = shape.UserData().GetValue(kOrigin);
    if (origin == QLatin1String("detected"))
        return HairOrigin::Detected;
    if (origin == QLatin1String("edited"))
        return HairOrigin::Edited;
    return HairOrigin::Drawn;
}

bool Workbench::IsProposal(const TMyShape& shape)
{
    return shape.UserData().GetValue(kType) == kProposalType;
}

int Workbench::ProposalCount() const
{
    int count = 0;
    for (int i = 0; i < m_cad.ShapeCount(); ++i)
        count += IsProposal(*m_cad.ShapeByIndex(i)) ? 1 : 0;
    return count;
}

int Workbench::DoubtfulProposalCount() const
{
    int count = 0;
    for (int i = 0; i < m_cad.ShapeCount(); ++i) {
        const TMyShape& shape = *m_cad.ShapeByIndex(i);
        count += IsProposal(shape) && IsDoubtful(shape) ? 1 : 0;
    }
    return count;
}

std::optional<Workbench::DoubtfulVisit> Workbench::NextDoubtfulProposal()
{
    // Shape ids grow with each shape made: their order is the detection's.
    std::vector<const TMyShape*> doubtful;
    for (int i = 0; i < m_cad.ShapeCount(); ++i) {
        const TMyShape* shape = m_cad.ShapeByIndex(i);
        if (IsProposal(*shape) && IsDoubtful(*shape) && !shape->Nodes().empty())
            doubtful.push_back(shape);
    }
    if (doubtful.empty())
        return std::nullopt;
    std::sort(doubtful.begin(), doubtful.end(),
        [](const TMyShape* a, const TMyShape* b) { return a->ShapeId() < b->ShapeId(); });
    const auto after = std::find_if(doubtful.begin(), doubtful.end(),
        [this](const TMyShape* shape) { return shape->ShapeId() > m_lastDoubtfulId; });
    const TMyShape* shape = after == doubtful.end() ? doubtful.front() : *after;
    m_lastDoubtfulId = shape->ShapeId();
    m_cad.SelectShapeById(shape->ShapeId(), true);
    m_cad.Invalidate();

    DoubtfulVisit visit;
    visit.shapeId = shape->ShapeId();
    visit.number = int(std::find(doubtful.begin(), doubtful.end(), shape) - doubtful.begin()) + 1;
    visit.count = int(doubtful.size());
    visit.confidence = shape->UserData().GetValue(kConfidence).toDouble();
    // The middle of its nodes' extent (a null QRectF would not unite).
    float left = shape->Nodes().front().x, right = left;
    float top = shape->Nodes().front().y, bottom = top;
    for (const TMyPoint& p : shape->Nodes()) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    visit.centre = QPointF((left + right) / 2.0, (top + bottom) / 2.0);
    return visit;
}

Workbench::ScrollPosition Workbench::CentreOn(const QPointF& imagePoint, const Viewport& view) const
{
    return ScrollPosition { std::max(
                                0, HairMetrics::TruncToInt(imagePoint.x() * m_state.Zoom - view.clientWidth * 0.5)),
        std::max(0, HairMetrics::TruncToInt(imagePoint.y() * m_state.Zoom - view.clientHeight * 0.5)) };
}

int Workbench::ProposalLayer()
{
    int layer = m_cad.LayerIdByName(kProposalLayer);
    if (layer < 0) {
        const int current = m_state.HairLayerId;
        m_cad.AddLayer(kProposalLayer, true);
        layer = m_cad.LayerIdByName(kProposalLayer);
        // Adding a layer makes it the current one; drawing goes on on the hair layer.
        if (current >= 0)
            m_cad.SetCurrentLayer(current);
    }
    return layer;
}

double Workbench::PixelsPerMm() const
{
    const std::optional<double> micrometres = LengthUnits::MicrometresPer(m_state.UnitText);
    if (!micrometres || !(m_state.Scale > 0.0))
        return 0.0;
    return 1000.0 / (m_state.Scale * *micrometres);
}

std::optional<detection::Field> Workbench::DetectionField() const
{
    const TMyShape* border = m_cad.ShapeById(m_state.BorderId);
    if (border == nullptr || border->Nodes().empty())
        return std::nullopt;
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const TMyPoint& p : border->Nodes()) {
        x0 = std::min(x0, double(p.x));
        y0 = std::min(y0, double(p.y));
        x1 = std::max(x1, double(p.x));
        y1 = std::max(y1, double(p.y));
    }
    return detection::Field { 0.5 * (x0 + x1), 0.5 * (y0 + y1), 0.25 * ((x1 - x0) + (y1 - y0)) };
}

int Workbench::ShowProposals(const std::vector<detection::Hair>& hairs)
{
    // Proposals not yet accepted go; what the operator accepted stays.
    std::vector<int> old;
    for (int i = 0; i < m_cad.ShapeCount(); ++i) {
        const TMyShape* shape = m_cad.ShapeByIndex(i);
        if (IsProposal(*shape))
            old.push_back(shape->ShapeId());
    }
    m_cad.ClearSelection();
    m_lastDoubtfulId = -1; // the review of a new detection starts at its first doubtful proposal
    for (int id : old) {
        if (TMyShape* shape = m_cad.ShapeById(id))
            shape->SetLocked(false);
        m_cad.DeleteShapeById(id, false);
    }

    const int layer = ProposalLayer();
    const int current = m_cad.CurrentLayer();
    m_cad.SetCurrentLayer(layer);
    int proposed = 0;
    for (const detection::Hair& hair : hairs) {
        if (hair.nodes.size() < 2 || (hair.curved && hair.nodes.size() % 3 != 1))
            continue;
        std::unique_ptr<TMyShape> made = ShapeFactory::CreateForTool(hair.curved ? SpPolyBezier : SpRuleLine, &m_cad);
        for (const QPointF& p : hair.nodes)
            made->Nodes().push_back(TMyPoint { float(p.x()), float(p.y()) });
        made->LinkPoints().clear();
        made->SetName(QStringLiteral("Hair"));
        made->ResetCenter();
        TMyShape* shape = m_cad.AppendShape(std::move(made));
        if (shape == nullptr)
            break;
        shape->SetLayerId(layer);
        const int hundredths = std::clamp(int(std::lround(hair.thicknessPx * 100.0)), 1, 500000);
        shape->UserData().Add(kType, kProposalType);
        shape->UserData().Add(QStringLiteral("Thickness"), QString::number(hundredths));
        shape->UserData().Add(kConfidence, QString::number(hair.confidence, 'f', 2));
        if (auto* rule = dynamic_cast<TMyRuleLine*>(shape)) {
            rule->SetTickStyle(tsNone);
            rule->SetArrowStyle(ANone);
            rule->SetCaptionShow(false);
            rule->SetUserInfo(QString());
            rule->SetShowUserInfo(true);
        }
        TMyPen pen = shape->Pen();
        pen.width = MarkPenWidth(*shape, hundredths);
        pen.color = IsDoubtful(*shape) ? kDoubtfulColor : kProposalColor;
        pen.style = IsDoubtful(*shape) ? psDash : psSolid;
        shape->SetPen(pen);
        ++proposed;
    }
    m_cad.SetCurrentLayer(current >= 0 ? current : layer);
    m_cad.Invalidate();
    return proposed;
}

int Workbench::AcceptProposals()
{
    std::vector<TMyShape*> proposals;
    for (int i = 0; i < m_cad.ShapeCount(); ++i) {
        TMyShape* shape = m_cad.ShapeByIndex(i);
        if (IsProposal(*shape))
            proposals.push_back(shape);
    }
    if (proposals.empty())
        return 0;
    if (m_state.HairLayerId < 0) {
        const QString hairLayer = QStringLiteral("HairLayer");
        if (m_cad.LayerIdByName(hairLayer) < 0)
            m_cad.AddLayer(hairLayer, true);
        m_state.HairLayerId = m_cad.LayerIdByName(hairLayer);
        m_cad.SetCurrentLayer(m_state.HairLayerId);
    }
    // One step: undo turns every accepted hair back into a proposal.
    m_cad.UndoList().Record(QStringLiteral("ACT_CHANGE"), proposals);
    for (TMyShape* shape : proposals) {
        shape->SetLayerId(m_state.HairLayerId);
        shape->UserData().Delete(kType);
        shape->UserData().Delete(kConfidence);
        shape->UserData().Add(kOrigin, QStringLiteral("detected"));
        TMyPen pen = shape->Pen();
        pen.color = m_cad.Pen().color;
        pen.style = m_cad.Pen().style;
        if (const auto thickness = HairMetrics::ParseInteger(shape->UserData().GetValue(ShapeTags::kThickness)))
            pen.width = MarkPenWidth(*shape, *thickness);
        shape->SetPen(pen);
        RegisterMeasuredShape(shape);
    }
    m_cad.Invalidate();
    ResultsChanged();
    return int(proposals.size());
}

void Workbench::SyncProposalEntries()
{
    // Entries of shapes that are proposals again go; hairs that became ordinary
    // again (redo of an acceptance) get theirs back.
    std::unordered_set<int> proposals;
    std::unordered_set<int> withEntry;
    for (const ResultTree::Entry& entry : m_tree.Entries())
        withEntry.insert(entry.node.shapeId);
    std::vector<TMyShape*> missing;
    for (int i = 0; i < m_cad.ShapeCount(); ++i) {
        TMyShape* shape = m_cad.ShapeByIndex(i);
        if (IsProposal(*shape)) {
            if (withEntry.count(shape->ShapeId()))
                proposals.insert(shape->ShapeId());
        } else if (OriginOf(*shape) != HairOrigin::Drawn && !withEntry.count(shape->ShapeId())) {
            missing.push_back(shape);
        }
    }
    if (!proposals.empty())
        m_tree.RemoveShapes(proposals);
    for (TMyShape* shape : missing)
        RegisterMeasuredShape(shape);
}
