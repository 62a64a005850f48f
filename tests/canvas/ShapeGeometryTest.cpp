// The geometry operations of shapes: moving, turning, flipping, copying, handles
// and hit tests.
#include "canvas/ShapeFactory.h"
#include "canvas/TMyCAD.h"
#include "canvas/TMyElliArc.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyPolyBezier.h"
#include "canvas/TMyRectangle.h"
#include "tests/canvas/CanvasBuilders.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace CanvasBuilders;

namespace {

void ExpectNear(TMyPoint actual, TMyPoint expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4);
    EXPECT_NEAR(actual.y, expected.y, 1e-4);
}

} // namespace

TEST(ShapeGeometry, MoveBy_ScreenDistanceDividedByZoom)
{
    TMyCAD cad;
    AddRect(cad, 0, 0, 10, 10);
    TMyShape* s = cad.ShapeByIndex(0);
    s->LinkPoints() = { TMyPoint { 1, 1 } };
    cad.SetZoom(2.0);
    s->MoveBy(4, -6);
    EXPECT_EQ(s->Nodes()[0], (TMyPoint { 2, -3 }));
    EXPECT_EQ(s->LinkPoints()[0], (TMyPoint { 3, -2 }));
    EXPECT_EQ(s->Center(), (TMyPoint { 7, 2 }));
    EXPECT_EQ(s->CaptionPos(), (TMyPoint { 7, 17 }));
    s->MoveFromTo(QPointF(10, 10), QPointF(12, 10));
    EXPECT_EQ(s->Nodes()[0], (TMyPoint { 3, -3 }));
}

TEST(ShapeGeometry, MoveShapeBy_MovesGroupMembersAndFiresEvent)
{
    TMyCAD cad;
    AddRect(cad, 0, 0, 5, 5);
    AddLine(cad, 10, 0, 20, 0);
    TMyShape* group = Group(cad, { 0, 1 });
    double moved = 0;
    cad.OnShapeCodeDragging = [&](TMyShape*, double dx, double) { moved = dx; };
    cad.MoveShapeBy(group, 3, 0);
    EXPECT_EQ(moved, 3);
    EXPECT_EQ(cad.ShapeByIndex(1)->Nodes()[1], (TMyPoint { 23, 0 }));
    EXPECT_EQ(group->Nodes()[0], (TMyPoint { 3, 0 }));
}

TEST(ShapeGeometry, RotateAround_QuarterTurnIsClockwiseOnScreen)
{
    TMyCAD cad;
    AddLine(cad, 10, 0, 20, 0);
    TMyShape* line = cad.ShapeByIndex(0);
    line->RotateAround(TMyPoint { 10, 0 }, M_PI / 2);
    ExpectNear(line->Nodes()[1], TMyPoint { 10, 10 });
}

TEST(ShapeGeometry, SetAngle_TurnsNodesAboutCentreAndStoresAngle)
{
    TMyCAD cad;
    AddLine(cad, 0, 0, 20, 0);
    TMyShape* line = cad.ShapeByIndex(0);
    line->SetAngle(static_cast<float>(M_PI));
    ExpectNear(line->Nodes()[0], TMyPoint { 20, 0 });
    EXPECT_FLOAT_EQ(line->Angle(), static_cast<float>(M_PI));
    line->SetLocked(true); // a locked shape does not turn
    line->SetAngle(0.0f);
    ExpectNear(line->Nodes()[0], TMyPoint { 20, 0 });

    TMyRectangle loose(nullptr); // without nodes only the value is stored
    loose.SetAngle(1.0f);
    EXPECT_FLOAT_EQ(loose.Angle(), 1.0f);
}

TEST(ShapeGeometry, AddShapeWithAngle_RotatesNodes)
{
    TMyCAD cad;
    cad.AddShape(SpLine, {}, static_cast<float>(M_PI / 2), { QPointF(0, 10), QPointF(20, 10) }, "L");
    const TMyShape* line = cad.ShapeByIndex(0);
    ExpectNear(line->Nodes()[0], TMyPoint { 10, 0 });
    ExpectNear(line->Nodes()[1], TMyPoint { 10, 20 });
}

TEST(ShapeGeometry, Flip_MirrorsAboutCentreAndAdjustsAngle)
{
    TMyCAD cad;
    AddLine(cad, 0, 0, 10, 4);
    TMyShape* line = cad.ShapeByIndex(0);
    line->StoreAngle(0.5f);
    line->SetIsFlipHorz(true);
    EXPECT_TRUE(line->IsFlipHorz());
    EXPECT_EQ(line->Nodes()[0], (TMyPoint { 10, 0 }));
    EXPECT_FLOAT_EQ(line->Angle(), static_cast<float>(M_PI - 0.5));
    line->SetIsFlipVert(true);
    EXPECT_EQ(line->Nodes()[0], (TMyPoint { 10, 4 }));
    EXPECT_FLOAT_EQ(line->Angle(), -static_cast<float>(M_PI - 0.5));
    ASSERT_EQ(cad.UndoList().Entries().back().action, "ACT_CHANGE");

    // Group members mirror about the group's centre.
    AddRect(cad, 100, 0, 10, 10);
    AddRect(cad, 130, 0, 10, 10);
    TMyShape* group = Group(cad, { 1, 2 });
    cad.FlipShapeHorz(group);
    EXPECT_EQ(cad.ShapeByIndex(1)->Left(), 130.0f);
    EXPECT_EQ(cad.ShapeByIndex(2)->Left(), 100.0f);

    // Text boxes keep their corners in reading order.
    cad.AddShape(SpText, "T", 0, { QPointF(0, 0), QPointF(40, 0), QPointF(40, 10), QPointF(0, 10) }, "T");
    TMyShape* text = cad.ShapeByIndex(4);
    cad.FlipShapeHorz(text);
    EXPECT_EQ(text->Nodes()[0], (TMyPoint { 0, 0 }));
    EXPECT_EQ(text->Nodes()[2], (TMyPoint { 40, 10 }));
}

TEST(ShapeGeometry, Assign_CopiesWhatCopyPasteCarries)
{
    TMyCAD cad;
    AddLine(cad, 0, 0, 10, 0, SpRuleLine);
    auto* rule = static_cast<TMyRuleLine*>(cad.ShapeByIndex(0));
    rule->SetUserInfo("12 mm");
    rule->SetShowUserInfo(true);
    rule->SetTickStyle(tsNone);
    rule->SetArrowOffset(5);
    rule->SetCaptionShow(false);
    rule->SetLogUse(true);
    rule->UserData().Add("Thickness", "40");
    rule->SetMultiInfo({ "x" });
    rule->Children() = { 7 };

    TMyRuleLine copy(&cad);
    copy.Assign(*rule);
    EXPECT_EQ(copy.UserInfo(), "12 mm");
    EXPECT_FALSE(copy.ShowUserInfo());
    EXPECT_EQ(copy.TickStyle(), tsLine);
    EXPECT_EQ(copy.ArrowOffset(), cad.ArrowOffset());
    EXPECT_TRUE(copy.CaptionShow());
    EXPECT_FALSE(copy.LogUse());
    EXPECT_EQ(copy.UserData().GetValue("Thickness"), "40");
    EXPECT_EQ(copy.ShapeId(), rule->ShapeId());
    EXPECT_EQ(copy.Children(), (std::vector<int> { 7 }));
    EXPECT_EQ(copy.Nodes(), rule->Nodes());
    EXPECT_EQ(copy.HotNode(), -1);
    EXPECT_EQ(copy.Center(), rule->BoxCenter());

    TMyRuleLine geometry(&cad);
    geometry.AssignGeometry(*rule);
    EXPECT_TRUE(geometry.Children().empty());
    EXPECT_TRUE(geometry.MultiInfo().isEmpty());
    EXPECT_EQ(geometry.Nodes(), rule->Nodes());

    copy.Assign(copy); // self-assignment changes nothing
    EXPECT_EQ(copy.UserInfo(), "12 mm");
}

TEST(ShapeGeometry, AssignImage_OnlyFromExactImage)
{
    TMyCAD cad;
    TMyImage image(&cad);
    image.Nodes() = { TMyPoint { 0, 0 }, TMyPoint { 1, 0 }, TMyPoint { 1, 1 }, TMyPoint { 0, 1 } };
    QImage picture(4, 2, QImage::Format_RGB32);
    picture.fill(Qt::green);
    image.SetBitmap(picture);
    EXPECT_EQ(image.Nodes()[2], (TMyPoint { 4, 2 }));
    EXPECT_EQ(image.Bitmap().format(), QImage::Format_BGR888);
    image.SetBrightness(300);
    EXPECT_EQ(image.Brightness(), 0);
    image.SetBrightness(50);
    TMyImage copy(&cad);
    copy.Assign(image);
    EXPECT_EQ(copy.Bitmap().size(), QSize(4, 2));
    EXPECT_EQ(copy.Brightness(), 50);
    TMyRectangle rect(&cad);
    rect.Nodes() = image.Nodes();
    TMyImage fromRect(&cad);
    fromRect.Assign(rect);
    EXPECT_TRUE(fromRect.Bitmap().isNull());
}

TEST(ShapeGeometry, NodeAt_HandlesAndHighestIndexWins)
{
    TMyCAD cad;
    AddRect(cad, 0, 0, 40, 20);
    TMyShape* rect = cad.ShapeByIndex(0);
    EXPECT_EQ(rect->NodeAt(QPointF(39, 19)), 2);
    EXPECT_EQ(rect->HotNode(), 2);
    EXPECT_EQ(rect->NodeAt(QPointF(20, 1)), 4);
    EXPECT_EQ(rect->NodeAt(QPointF(44, 10)), -1); // the square is half open
    EXPECT_EQ(rect->NodeAt(QPointF(43, 10)), 5);
    static_cast<TMyRectangle*>(rect)->SetShowHorizontalSideHot(false);
    EXPECT_EQ(rect->NodeAt(QPointF(43, 10)), -1);
    EXPECT_EQ(rect->NodeAt(QPointF(20, 10)), -1);

    AddLine(cad, 0, 0, 2, 0);
    EXPECT_EQ(cad.ShapeByIndex(1)->NodeAt(QPointF(1, 0)), 1);
    cad.SetZoom(2.0);
    EXPECT_EQ(cad.ShapeByIndex(1)->NodeAt(QPointF(8, 0)), -1);
    EXPECT_EQ(cad.ShapeByIndex(1)->NodeAt(QPointF(5, 0)), 1);
    EXPECT_EQ(cad.ShapeByIndex(0)->GetNode(9), (TMyPoint {}));
}

TEST(ShapeGeometry, HitTest_ByKind)
{
    TMyCAD cad;
    AddLine(cad, 0, 0, 100, 0); // 0 horizontal
    AddLine(cad, 0, 0, 0, 100); // 1 vertical
    AddLine(cad, 0, 0, 100, 50); // 2 oblique
    AddRect(cad, 200, 200, 50, 50, SpEllipse); // 3
    cad.AddShape(SpPolygon, {}, 0, { QPointF(300, 0), QPointF(400, 0), QPointF(350, 80) }, "P"); // 4
    cad.AddShape(
        SpPolyBezier, {}, 0, { QPointF(0, 300), QPointF(30, 250), QPointF(60, 250), QPointF(90, 300) }, "B"); // 5
    AddLine(cad, 0, 500, 100, 501); // 6 nearly horizontal
    struct Case
    {
        int index;
        QPointF point;
        bool hit;
    };
    const Case cases[] = {
        { 0, { 50, 8 }, true },
        { 0, { 50, 9 }, false },
        { 0, { 101, 0 }, false },
        { 1, { -8, 50 }, true },
        { 1, { -9, 50 }, false },
        { 2, { 50, 30 }, true },
        { 2, { 50, 34 }, false },
        { 2, { 120, 60 }, false },
        { 3, { 225, 225 }, true },
        { 3, { 199, 225 }, false },
        { 4, { 350, 40 }, true },
        { 4, { 350, 90 }, false },
        { 5, { 45, 262 }, true },
        { 5, { 45, 290 }, false },
        { 6, { 50, 505 }, true },
        { 6, { 50, 509 }, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(cad.ShapeByIndex(c.index)->HitTest(c.point), c.hit) << c.point.x() << "," << c.point.y();
    }
    cad.ShapeByIndex(0)->SetVisible(false);
    EXPECT_FALSE(cad.ShapeByIndex(0)->HitTest(QPointF(50, 0)));
    TMyShape* group = Group(cad, { 1, 2 });
    EXPECT_TRUE(cad.HitShape(group, QPointF(0, 50)));
}

TEST(ShapeGeometry, IsComplete_ByKind)
{
    TMyCAD cad;
    struct Case
    {
        const char* className;
        int nodes;
        bool complete;
    };
    const Case cases[]
        = { { "TMyLine", 2, true }, { "TMyLine", 3, false }, { "TMyRectangle", 4, true }, { "TMyRectangle", 2, false },
              { "TMyPolyLine", 2, true }, { "TMyPolygon", 3, false }, { "TMyPolyBezier", 4, true },
              { "TMyPolyBezier", 5, false }, { "TMyPolyBezier", 7, true }, { "TMyElliArc", 3, true } };
    for (const Case& c : cases) {
        auto shape = ShapeFactory::CreateByClassName(c.className, &cad);
        for (int i = 0; i < c.nodes; ++i)
            shape->Nodes().push_back(TMyPoint { float(i), float(i * i) });
        EXPECT_EQ(shape->IsComplete(), c.complete) << c.className << " " << c.nodes;
    }
    TMyPolygon closed(&cad);
    closed.Nodes() = { TMyPoint { 0, 0 }, TMyPoint { 1, 0 }, TMyPoint { 1, 1 }, TMyPoint { 0, 0 } };
    EXPECT_TRUE(closed.IsComplete());
}

TEST(ShapeGeometry, AddNode_RectangleAndBezierClicks)
{
    TMyCAD cad;
    TMyRectangle rect(&cad);
    rect.AddNode(QPointF(10, 10));
    rect.AddNode(QPointF(30, 20));
    EXPECT_EQ(rect.Nodes(), (std::vector<TMyPoint> { { 10, 10 }, { 30, 10 }, { 30, 20 }, { 10, 20 } }));

    TMyPolyBezier curve(&cad);
    for (QPointF p : { QPointF(0, 0), QPointF(10, 0), QPointF(20, 0), QPointF(30, 10) })
        curve.AddNode(p);
    EXPECT_EQ(curve.Nodes(), (std::vector<TMyPoint> { { 0, 0 }, { 10, 0 }, { 20, 0 }, { 25, 5 }, { 30, 10 } }));

    TMyLinkPoint point(&cad);
    point.AddNode(QPointF(170, 10));
    EXPECT_EQ(point.Nodes()[2], (TMyPoint { 178, 18 }));
}

TEST(ShapeGeometry, ElliArc_CircleThroughNodes)
{
    TMyCAD cad;
    auto* arc = static_cast<TMyElliArc*>(cad.AppendShape(std::make_unique<TMyElliArc>(&cad)));
    arc->Nodes() = { TMyPoint { 0, 10 }, TMyPoint { 10, 0 }, TMyPoint { 20, 10 } };
    TMyElliArc::Circle circle;
    ASSERT_TRUE(arc->CircleThroughNodes(circle));
    EXPECT_NEAR(circle.cx, 10, 1e-9);
    EXPECT_NEAR(circle.cy, 10, 1e-9);
    EXPECT_NEAR(circle.radius, 10, 1e-9);
    EXPECT_NEAR(std::abs(circle.sweep), M_PI, 1e-9);
    EXPECT_TRUE(arc->HitTest(QPointF(10, 0)));
    EXPECT_FALSE(arc->HitTest(QPointF(10, 20)));
}

TEST(ShapeGeometry, GroupStyle_PropagatesToMembersButNotWhileLoading)
{
    TMyCAD cad;
    AddRect(cad, 0, 0, 5, 5);
    AddRect(cad, 10, 0, 5, 5);
    TMyShape* group = Group(cad, { 0, 1 });
    group->SetPen(TMyPen { 0x0000FF, pmCopy, psDash, 4 });
    EXPECT_EQ(cad.ShapeByIndex(1)->Pen().width, 4);
    group->SetGradientStyle(gsLinearH);
    EXPECT_EQ(cad.ShapeByIndex(0)->GradientStyle(), gsLinearH);
    TMyFont font = group->Font();
    font.name = "DejaVu Sans";
    group->SetFont(font);
    EXPECT_EQ(cad.ShapeByIndex(0)->Font().name, "DejaVu Sans");
    group->SetLocked(true);
    EXPECT_TRUE(cad.ShapeByIndex(1)->Locked());
}

TEST(ShapeKind, EveryKindIsItsOwnClass_AndItsFamilyMatchesTheClassHierarchy)
{
    // The switches over kinds cast by kind: a kind must name exactly its class, and
    // the families must agree with what the class derives from.
    TMyCAD cad;
    for (int k = 0; k < kShapeKindCount; ++k) {
        const auto kind = ShapeKind(k);
        const QString name = QString::fromLatin1(ShapeKindClassName(kind));
        const std::unique_ptr<TMyShape> shape = ShapeFactory::CreateByClassName(name, &cad);
        ASSERT_NE(shape, nullptr) << qPrintable(name);
        EXPECT_EQ(shape->Kind(), kind) << qPrintable(name);
        EXPECT_EQ(QString::fromLatin1(shape->ClassName()), name);
        EXPECT_EQ(IsLineKind(kind), dynamic_cast<TMyLine*>(shape.get()) != nullptr) << qPrintable(name);
        EXPECT_EQ(IsRectangleKind(kind), dynamic_cast<TMyRectangle*>(shape.get()) != nullptr) << qPrintable(name);
        EXPECT_EQ(ShapeFactory::Copy(*shape)->Kind(), kind) << qPrintable(name);
    }
}
