// Proposals of the automatic detection on the workbench: shown apart from the
// results, accepted as one undo step, replaced by a new detection, and each
// hair's origin in the results.
#include "tests/canvas/MouseDriver.h"
#include "tests/workbench/WorkbenchFixture.h"

#include "workbench/ResultsJson.h"

#include <QJsonArray>

namespace {

detection::Hair ProposedLine(double x0, double y0, double x1, double y1, double thickness)
{
    detection::Hair hair;
    hair.nodes = { QPointF(x0, y0), QPointF(x1, y1) };
    hair.path = hair.nodes;
    hair.thicknessPx = thickness;
    hair.lengthPx = std::hypot(x1 - x0, y1 - y0);
    hair.confidence = 0.9;
    return hair;
}

detection::Hair ProposedCurve(double thickness)
{
    detection::Hair hair;
    hair.curved = true;
    hair.nodes = { QPointF(10, 300), QPointF(60, 250), QPointF(120, 250), QPointF(170, 300) };
    hair.path = hair.nodes;
    hair.thicknessPx = thickness;
    return hair;
}

class ProposalsTest : public WorkbenchTest
{
protected:
    void SetUp() override
    {
        Picture(1000, 800);
        Calibrate(QStringLiteral("200"), QStringLiteral("1"), QStringLiteral("mm"));
    }

    QString OriginOfObject(int shapeId) const
    {
        for (const ResultObject& object : wb.Results().objects)
            if (object.id == shapeId)
                return object.origin;
        return QStringLiteral("<none>");
    }
};

TEST_F(ProposalsTest, ProposalsAreNoResultsUntilAcceptedAsOneUndoStep)
{
    const int drawn = Hair(500, 500, 700, 520, 1200);
    ASSERT_EQ(St().HairCount, 1);
    EXPECT_EQ(wb.PixelsPerMm(), 200.0);

    EXPECT_EQ(wb.ShowProposals({ ProposedLine(10, 10, 200, 40, 14.2), ProposedCurve(6.0) }), 2);
    EXPECT_EQ(wb.ProposalCount(), 2);
    EXPECT_EQ(St().HairCount, 1); // proposals are not counted
    EXPECT_EQ(wb.Tree().Count(), 1);
    const int proposalLayer = Cad().LayerIdByName(QStringLiteral("ProposalLayer"));
    ASSERT_GE(proposalLayer, 0);
    int curveId = -1;
    for (int i = 0; i < Cad().ShapeCount(); ++i) {
        const TMyShape* shape = Cad().ShapeByIndex(i);
        if (!Workbench::IsProposal(*shape))
            continue;
        EXPECT_EQ(shape->LayerId(), proposalLayer);
        if (shape->ClassName() == std::string_view("TMyPolyBezier")) {
            curveId = shape->ShapeId();
            EXPECT_EQ(shape->Nodes().size(), 4u);
            EXPECT_EQ(shape->Pen().style, psDash); // confidence 0: doubtful
            EXPECT_NE(shape->Pen().color, Cad().Pen().color);
            EXPECT_EQ(shape->UserData().GetValue(QStringLiteral("Thickness")), QStringLiteral("600"));
        } else {
            EXPECT_EQ(shape->UserData().GetValue(QStringLiteral("Thickness")), QStringLiteral("1420"));
            EXPECT_EQ(shape->Pen().style, psSolid);
        }
    }
    ASSERT_GE(curveId, 0);
    EXPECT_EQ(wb.DoubtfulProposalCount(), 1);

    EXPECT_EQ(wb.AcceptProposals(), 2);
    EXPECT_EQ(wb.ProposalCount(), 0);
    EXPECT_EQ(St().HairCount, 3);
    EXPECT_EQ(St().VellusCount, 1); // the 30 µm curve
    EXPECT_EQ(Cad().ShapeById(curveId)->LayerId(), St().HairLayerId);
    EXPECT_EQ(Cad().ShapeById(curveId)->Pen().style, psSolid); // a hair like any other
    EXPECT_EQ(Cad().ShapeById(curveId)->Pen().color, Cad().Pen().color);
    EXPECT_EQ(wb.DoubtfulProposalCount(), 0);
    EXPECT_EQ(OriginOfObject(curveId), QStringLiteral("detected"));
    EXPECT_EQ(OriginOfObject(drawn), QStringLiteral("drawn"));
    EXPECT_EQ(
        wb.Tree().At(wb.Tree().FindTop(curveId)).originText, wb.Texts().Text(QStringLiteral("LabelOriginDetected")));

    // One undo takes the whole acceptance back; redo brings it again.
    ASSERT_TRUE(wb.UndoCommand());
    EXPECT_EQ(wb.ProposalCount(), 2);
    EXPECT_EQ(wb.DoubtfulProposalCount(), 1);
    EXPECT_EQ(Cad().ShapeById(curveId)->Pen().style, psDash);
    EXPECT_EQ(St().HairCount, 1);
    ASSERT_TRUE(wb.RedoCommand());
    EXPECT_EQ(wb.ProposalCount(), 0);
    EXPECT_EQ(Cad().ShapeById(curveId)->Pen().style, psSolid);
    EXPECT_EQ(St().HairCount, 3);

    // Correcting a detected hair (here a new thickness) marks it.
    Cad().ClearSelection();
    ASSERT_TRUE(Cad().SelectShapeById(curveId, true));
    wb.SetThicknessSlider(wb.State().ui.thickness + 7);
    wb.RefreshTimerFired();
    EXPECT_EQ(OriginOfObject(curveId), QStringLiteral("edited"));
    const QJsonArray objects = ResultsJson::ToJson(wb.Results())[QStringLiteral("objects")].toArray();
    int edited = 0;
    for (const QJsonValue& object : objects)
        edited += object[QStringLiteral("origin")].toString() == QLatin1String("edited") ? 1 : 0;
    EXPECT_EQ(edited, 1);
    const QJsonObject origins = ResultsJson::ToJson(wb.Results())[QStringLiteral("origins")].toObject();
    EXPECT_EQ(origins[QStringLiteral("detected")].toInt(), 1);
    EXPECT_EQ(origins[QStringLiteral("edited")].toInt(), 1);
    EXPECT_EQ(origins[QStringLiteral("drawn")].toInt(), 1);
}

// Only a correction marks a detected hair: clicking it (its own thickness then
// comes back to the slider) does not, moving it with the mouse does.
TEST_F(ProposalsTest, ClickingKeepsDetectedMovingMarksCorrected)
{
    wb.ShowProposals({ ProposedLine(100, 100, 400, 100, 14), ProposedLine(100, 300, 400, 300, 14) });
    ASSERT_EQ(wb.AcceptProposals(), 2);
    int upper = -1, lower = -1;
    for (const ResultObject& object : wb.Results().objects)
        (Cad().ShapeById(object.id)->Top() < 200 ? upper : lower) = object.id;
    ASSERT_GE(upper, 0);
    ASSERT_GE(lower, 0);
    SetSlider(999);

    MouseDriver mouse(Cad());
    mouse.Click(250, 100);
    ASSERT_EQ(Cad().SelectedCount(), 1);
    ASSERT_EQ(Cad().SelectedShape()->ShapeId(), upper);
    wb.RefreshTimerFired();
    EXPECT_EQ(OriginOfObject(upper), QStringLiteral("detected"));

    const double top = Cad().ShapeById(upper)->Top();
    mouse.Drag(250, 100, 250, 160);
    wb.RefreshTimerFired();
    EXPECT_GT(Cad().ShapeById(upper)->Top() - top, 30); // moved down
    EXPECT_EQ(OriginOfObject(upper), QStringLiteral("edited"));
    EXPECT_EQ(OriginOfObject(lower), QStringLiteral("detected"));
    EXPECT_EQ(wb.Tree().At(wb.Tree().FindTop(upper)).originText, wb.Texts().Text(QStringLiteral("LabelOriginEdited")));
}

TEST_F(ProposalsTest, DetectingAgainReplacesOnlyUnacceptedProposalsAndDeleteRejects)
{
    wb.ShowProposals({ ProposedLine(10, 10, 200, 40, 14), ProposedLine(10, 100, 200, 140, 14) });
    wb.AcceptProposals();
    wb.ShowProposals({ ProposedLine(10, 200, 200, 240, 14), ProposedLine(10, 300, 200, 340, 14) });
    ASSERT_EQ(wb.ProposalCount(), 2);

    // Delete rejects the selected proposal; the results do not change.
    for (int i = 0; i < Cad().ShapeCount(); ++i) {
        if (Workbench::IsProposal(*Cad().ShapeByIndex(i))) {
            Cad().ClearSelection();
            ASSERT_TRUE(Cad().SelectShapeById(Cad().ShapeByIndex(i)->ShapeId(), true));
            break;
        }
    }
    wb.DeleteCommand();
    EXPECT_EQ(wb.ProposalCount(), 1);
    EXPECT_EQ(St().HairCount, 2);

    wb.ShowProposals({ ProposedLine(10, 400, 200, 440, 14), ProposedLine(10, 500, 200, 540, 14),
        ProposedLine(10, 600, 200, 640, 14) });
    EXPECT_EQ(wb.ProposalCount(), 3);
    EXPECT_EQ(St().HairCount, 2); // the accepted hairs stay
    wb.ShowProposals({});
    EXPECT_EQ(wb.ProposalCount(), 0);
    EXPECT_EQ(St().HairCount, 2);
}

// "Nächster unsicherer Vorschlag" takes the operator from one doubtful proposal
// to the next, on after one was rejected, and says when none is left.
TEST_F(ProposalsTest, DoubtfulProposalsAreVisitedInTurn)
{
    auto proposed = [](double y, double confidence) {
        detection::Hair hair = ProposedLine(100, y, 300, y + 20, 14);
        hair.confidence = confidence;
        return hair;
    };
    wb.ShowProposals({ proposed(100, 0.3), proposed(200, 0.9), proposed(300, 0.2), proposed(400, 0.45) });
    ASSERT_EQ(wb.DoubtfulProposalCount(), 3);

    auto visit = wb.NextDoubtfulProposal();
    ASSERT_TRUE(visit);
    EXPECT_EQ(visit->number, 1);
    EXPECT_EQ(visit->count, 3);
    EXPECT_DOUBLE_EQ(visit->confidence, 0.3);
    EXPECT_NEAR(visit->centre.y(), 110, 1);
    ASSERT_EQ(Cad().SelectedCount(), 1);
    EXPECT_EQ(Cad().SelectedShape()->ShapeId(), visit->shapeId);

    visit = wb.NextDoubtfulProposal(); // the sure one at y 200 is skipped
    ASSERT_TRUE(visit);
    EXPECT_EQ(visit->number, 2);
    EXPECT_NEAR(visit->centre.y(), 310, 1);
    wb.DeleteCommand(); // rejected: the next is the one after it
    visit = wb.NextDoubtfulProposal();
    ASSERT_TRUE(visit);
    EXPECT_EQ(visit->count, 2);
    EXPECT_EQ(visit->number, 2);
    EXPECT_NEAR(visit->centre.y(), 410, 1);
    visit = wb.NextDoubtfulProposal(); // after the last, the first again
    ASSERT_TRUE(visit);
    EXPECT_EQ(visit->number, 1);

    wb.AcceptProposals();
    EXPECT_FALSE(wb.NextDoubtfulProposal());
}

// A proposal is drawn half as wide as the hair, at every zoom, so the hair shows
// beside it; accepted, it is as wide as any hair.
TEST_F(ProposalsTest, ProposalIsDrawnHalfAsWideAsItsHair)
{
    wb.SetZoomSlider(40, {});
    wb.ShowProposals({ ProposedLine(100, 100, 400, 100, 20) });
    TMyShape* shape = nullptr;
    for (int i = 0; i < Cad().ShapeCount(); ++i)
        if (Workbench::IsProposal(*Cad().ShapeByIndex(i)))
            shape = Cad().ShapeByIndex(i);
    ASSERT_NE(shape, nullptr);
    const int near = shape->Pen().width;
    wb.SetZoomSlider(60, {});
    const int nearer = shape->Pen().width;
    EXPECT_GT(nearer, near);
    wb.AcceptProposals();
    EXPECT_NEAR(shape->Pen().width, 2 * nearer, 1);
    ASSERT_TRUE(wb.UndoCommand());
    EXPECT_EQ(Cad().ShapeById(shape->ShapeId())->Pen().width, nearer);
}

// A picture calibrated in micrometres or centimetres is calibrated for detection
// too (it was taken as uncalibrated, and searched at the scales of 200 pixels per mm).
TEST_F(ProposalsTest, CalibrationInAnyLengthCountsForDetection)
{
    Calibrate(QStringLiteral("200"), QStringLiteral("500"), QString::fromUtf8("µm"));
    ASSERT_EQ(St().UnitText, QString::fromUtf8("µm"));
    EXPECT_DOUBLE_EQ(wb.PixelsPerMm(), 400.0);
    Calibrate(QStringLiteral("200"), QStringLiteral("0.2"), QStringLiteral("cm"));
    ASSERT_EQ(St().UnitText, QStringLiteral("cm"));
    EXPECT_DOUBLE_EQ(wb.PixelsPerMm(), 100.0);
}

TEST_F(ProposalsTest, FieldFollowsTheBorder)
{
    EXPECT_FALSE(wb.DetectionField().has_value());
    wb.SetupEvaluatedField(500, 400, 300);
    const auto field = wb.DetectionField();
    ASSERT_TRUE(field.has_value());
    EXPECT_NEAR(field->x0, 500, 1);
    EXPECT_NEAR(field->y0, 400, 1);
    EXPECT_NEAR(field->radius, 300, 1);
}

} // namespace
