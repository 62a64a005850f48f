// The published properties of every shape class and of the canvas, each bound to the
// public getter and setter that the canvas model defines for it.
#include "report/ComponentProperties.h"

#include "canvas/CanvasTypeNames.h"
#include "canvas/TMyCAD.h"
#include "canvas/TMyElliArc.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "report/PropertyBinders.h"

#include <limits>

using namespace PropertyBinders;

namespace {

constexpr qint64 kIntMin = std::numeric_limits<int32_t>::min();
constexpr qint64 kIntMax = std::numeric_limits<int32_t>::max();
// The largest page side accepted, in millimetres (A0 is 1189 mm high).
constexpr qint64 kMaxPageSide = 2000;
// The zoom range of the designer's zoom commands.
constexpr double kMinZoom = 0.15;
constexpr double kMaxZoom = 10.0;

// A component name: empty, or a letter or underscore followed by letters, digits and
// underscores, not used by another shape of the canvas (names compared without case).
std::optional<QString> CheckName(const TMyCAD& canvas, const TMyShape& shape, const QString& name)
{
    if (name.isEmpty())
        return std::nullopt;
    const auto isStart = [](QChar c) { return (c.isLetter() && c.unicode() < 128) || c == QLatin1Char('_'); };
    bool valid = isStart(name[0]);
    for (QChar c : name)
        valid = valid && (isStart(c) || (c.isDigit() && c.unicode() < 128));
    if (!valid)
        return QStringLiteral("'%1' is not a valid component name").arg(name);
    for (int i = 0; i < canvas.ShapeCount(); ++i) {
        const TMyShape* other = canvas.ShapeByIndex(i);
        if (other != &shape && other->Name().compare(name, Qt::CaseInsensitive) == 0)
            return QStringLiteral("A component named %1 already exists").arg(name);
    }
    return std::nullopt;
}

} // namespace

void ComponentProperties::Bind()
{
    if (m_shape != nullptr) {
        BindShape(*m_shape);
        BindShapeClass(*m_shape);
    } else {
        BindCanvas();
    }
}

void ComponentProperties::BindShape(TMyShape& shape)
{
    TMyShape* s = &shape;
    TMyCAD* cad = m_canvas;
    auto& b = m_bindings;
    // The canvas does not turn a locked shape; storing the angle anyway would draw its
    // text and picture turned inside an unturned box, so the edit is refused.
    b.push_back(FloatProp(
        QStringLiteral("Angle"), [s] { return double(s->Angle()); }, [s](double v) { s->SetAngle(float(v)); }, true,
        [cad, s](double) -> std::optional<QString> {
            if (!cad->OutermostGroup(s)->Locked())
                return std::nullopt;
            return QStringLiteral("The shape is locked");
        }));
    b.push_back(BrushProp(
        QStringLiteral("Brush"), [s] { return s->Brush(); }, [s](const TMyBrush& v) { s->SetBrush(v); }));
    b.push_back(TextProp(
        QStringLiteral("Caption"), [s] { return s->Caption(); }, [s](const QString& v) { s->SetCaption(v); }));
    b.push_back(BoolProp(
        QStringLiteral("CaptionShow"), [s] { return s->CaptionShow(); }, [s](bool v) { s->SetCaptionShow(v); }));
    b.push_back(ColorProp(
        QStringLiteral("ColorBegin"), [s] { return s->ColorBegin(); }, [s](TColor v) { s->SetColorBegin(v); }));
    b.push_back(ColorProp(
        QStringLiteral("ColorEnd"), [s] { return s->ColorEnd(); }, [s](TColor v) { s->SetColorEnd(v); }));
    b.push_back(FontProp(
        QStringLiteral("Font"), [s] { return s->Font(); }, [s](const TMyFont& v) { s->SetFont(v); }));
    b.push_back(EnumProp(
        QStringLiteral("GradientStyle"), CanvasTypeNames::GradientStyle(), [s] { return int(s->GradientStyle()); },
        [s](int v) { s->SetGradientStyle(TGradientStyle(v)); }));
    b.push_back(TextProp(
        QStringLiteral("Info"), [s] { return s->Info(); }, [s](const QString& v) { s->SetInfo(v); }));
    b.push_back(BoolProp(
        QStringLiteral("IsFlipHorz"), [s] { return s->IsFlipHorz(); }, [s](bool v) { s->SetIsFlipHorz(v); }));
    b.push_back(BoolProp(
        QStringLiteral("IsFlipVert"), [s] { return s->IsFlipVert(); }, [s](bool v) { s->SetIsFlipVert(v); }));
    b.push_back(BoolProp(
        QStringLiteral("Locked"), [s] { return s->Locked(); }, [s](bool v) { s->SetLocked(v); }));
    b.push_back(IntProp(
        QStringLiteral("LogHeight"), [s] { return s->LogHeight(); }, [s](qint64 v) { s->SetLogHeight(int32_t(v)); },
        kIntMin, kIntMax));
    b.push_back(BoolProp(
        QStringLiteral("LogUse"), [s] { return s->LogUse(); }, [s](bool v) { s->SetLogUse(v); }));
    b.push_back(IntProp(
        QStringLiteral("LogWidth"), [s] { return s->LogWidth(); }, [s](qint64 v) { s->SetLogWidth(int32_t(v)); },
        kIntMin, kIntMax));
    b.push_back(LinesProp(
        QStringLiteral("MultiInfo"), [s] { return s->MultiInfo(); },
        [s](const QStringList& v) { s->SetMultiInfo(v); }));
    b.push_back(EnumProp(
        QStringLiteral("MultiInfoAlignment"), CanvasTypeNames::Alignment(),
        [s] { return int(s->MultiInfoAlignment()); }, [s](int v) { s->SetMultiInfoAlignment(TAlignment(v)); }));
    Binding name = TextProp(
        QStringLiteral("Name"), [s] { return s->Name(); }, [s](const QString& v) { s->SetName(v); },
        [cad, s](const QString& v) { return CheckName(*cad, *s, v); });
    b.push_back(std::move(name));
    b.push_back(PenProp(
        QStringLiteral("Pen"), [s] { return s->Pen(); }, [s](const TMyPen& v) { s->SetPen(v); }));
    b.push_back(BoolProp(
        QStringLiteral("ResizeEnable"), [s] { return s->ResizeEnable(); }, [s](bool v) { s->SetResizeEnable(v); }));
    b.push_back(IntProp(
        QStringLiteral("Tag"), [s] { return s->Tag(); }, [s](qint64 v) { s->SetTag(int32_t(v)); }, kIntMin, kIntMax));
    b.push_back(UserDataProp(
        QStringLiteral("UserData"), [s] { return s->UserData(); },
        [s](const TUserData& v) { s->UserData().Assign(v); }));
    b.push_back(BoolProp(
        QStringLiteral("Visible"), [s] { return s->Visible(); }, [s](bool v) { s->SetVisible(v); }));
}

namespace {

// The properties each shape class adds to those of TMyShape, in the order the
// inspector lists them: a class lists those of its base classes first.
void BindRectangle(std::vector<Binding>& b, TMyRectangle* r)
{
    b.push_back(BoolProp(
        QStringLiteral("AssociateSideResizing"), [r] { return r->AssociateSideResizing(); },
        [r](bool v) { r->SetAssociateSideResizing(v); }));
    b.push_back(BoolProp(
        QStringLiteral("ShowSideHot"), [r] { return r->ShowSideHot(); }, [r](bool v) { r->SetShowSideHot(v); }));
    b.push_back(BoolProp(
        QStringLiteral("ShowHorizontalSideHot"), [r] { return r->ShowHorizontalSideHot(); },
        [r](bool v) { r->SetShowHorizontalSideHot(v); }));
    b.push_back(BoolProp(
        QStringLiteral("ShowVerticalSideHot"), [r] { return r->ShowVerticalSideHot(); },
        [r](bool v) { r->SetShowVerticalSideHot(v); }));
}

void BindText(std::vector<Binding>& b, TMyText* t)
{
    b.push_back(EnumProp(
        QStringLiteral("HAlignment"), CanvasTypeNames::Alignment(), [t] { return int(t->HAlignment()); },
        [t](int v) { t->SetHAlignment(TAlignment(v)); }));
    b.push_back(BoolProp(
        QStringLiteral("IsBorder"), [t] { return t->IsBorder(); }, [t](bool v) { t->SetIsBorder(v); }));
    b.push_back(BoolProp(
        QStringLiteral("IsSolid"), [t] { return t->IsSolid(); }, [t](bool v) { t->SetIsSolid(v); }));
    b.push_back(LinesProp(
        QStringLiteral("Lines"), [t] { return t->Lines(); }, [t](const QStringList& v) { t->SetLines(v); }));
    b.push_back(EnumProp(
        QStringLiteral("VAlignment"), CanvasTypeNames::VAlignment(), [t] { return int(t->VAlignment()); },
        [t](int v) { t->SetVAlignment(TVAlignment(v)); }));
    b.push_back(BoolProp(
        QStringLiteral("WordWrap"), [t] { return t->WordWrap(); }, [t](bool v) { t->SetWordWrap(v); }));
}

void BindImage(std::vector<Binding>& b, TMyImage* i)
{
    b.push_back(PictureProp(
        QStringLiteral("Bitmap"), [i] { return i->Bitmap(); }, [i](const QImage& v) { i->SetBitmap(v); }));
    b.push_back(BoolProp(
        QStringLiteral("Border"), [i] { return i->Border(); }, [i](bool v) { i->SetBorder(v); }));
    b.push_back(IntProp(
        QStringLiteral("Brightness"), [i] { return i->Brightness(); }, [i](qint64 v) { i->SetBrightness(int(v)); },
        -255, 255));
    b.push_back(IntProp(
        QStringLiteral("Contrast"), [i] { return i->Contrast(); }, [i](qint64 v) { i->SetContrast(int(v)); }, -255,
        255));
    b.push_back(BoolProp(
        QStringLiteral("GrayScale"), [i] { return i->GrayScale(); }, [i](bool v) { i->SetGrayScale(v); }));
    b.push_back(BoolProp(
        QStringLiteral("Transparent"), [i] { return i->Transparent(); }, [i](bool v) { i->SetTransparent(v); }));
}

void BindLinkPoint(std::vector<Binding>& b, TMyLinkPoint* p)
{
    b.push_back(IntProp(
        QStringLiteral("Size"), [p] { return p->Size(); }, [p](qint64 v) { p->SetSize(uint8_t(v)); }, 0, 255));
}

void BindLine(std::vector<Binding>& b, TMyLine* l)
{
    b.push_back(IntProp(
        QStringLiteral("ArrowAngle"), [l] { return l->ArrowAngle(); }, [l](qint64 v) { l->SetArrowAngle(int(v)); },
        kIntMin, kIntMax));
    b.push_back(IntProp(
        QStringLiteral("ArrowLength"), [l] { return l->ArrowLength(); },
        [l](qint64 v) { l->SetArrowLength(uint8_t(v)); }, 0, 255));
    b.push_back(IntProp(
        QStringLiteral("ArrowOffset"), [l] { return l->ArrowOffset(); },
        [l](qint64 v) { l->SetArrowOffset(uint8_t(v)); }, 0, 255));
    b.push_back(EnumProp(
        QStringLiteral("ArrowStyle"), CanvasTypeNames::ArrowStyle(), [l] { return int(l->ArrowStyle()); },
        [l](int v) { l->SetArrowStyle(TArrowStyle(v)); }));
}

void BindRuleLine(std::vector<Binding>& b, TMyRuleLine* r)
{
    b.push_back(BoolProp(
        QStringLiteral("ShowUserInfo"), [r] { return r->ShowUserInfo(); }, [r](bool v) { r->SetShowUserInfo(v); }));
    b.push_back(EnumProp(
        QStringLiteral("TickStyle"), CanvasTypeNames::TickStyle(), [r] { return int(r->TickStyle()); },
        [r](int v) { r->SetTickStyle(TTickStyle(v)); }));
    b.push_back(TextProp(
        QStringLiteral("UserInfo"), [r] { return r->UserInfo(); }, [r](const QString& v) { r->SetUserInfo(v); }));
}

void BindLinkLine(std::vector<Binding>& b, TMyLinkLine* k)
{
    b.push_back(EnumProp(
        QStringLiteral("LinkLineDrawStyle"), CanvasTypeNames::LinkLineDrawStyle(),
        [k] { return int(k->LinkLineDrawStyle()); }, [k](int v) { k->SetLinkLineDrawStyle(TLinkLineDrawStyle(v)); }));
}

void BindElliArc(std::vector<Binding>& b, TMyElliArc* a)
{
    b.push_back(EnumProp(
        QStringLiteral("ArcMode"), CanvasTypeNames::ArcMode(), [a] { return int(a->ArcMode()); },
        [a](int v) { a->SetArcMode(TArcMode(v)); }));
    b.push_back(EnumProp(
        QStringLiteral("ArcStyle"), CanvasTypeNames::ArcStyle(), [a] { return int(a->ArcStyle()); },
        [a](int v) { a->SetArcStyle(TArcStyle(v)); }));
}

} // namespace

void ComponentProperties::BindShapeClass(TMyShape& shape)
{
    auto& b = m_bindings;
    switch (shape.Kind()) {
    case ShapeKind::Rectangle:
    case ShapeKind::Ellipse:
    case ShapeKind::Group:
    case ShapeKind::Combine:
        BindRectangle(b, &static_cast<TMyRectangle&>(shape));
        break;
    case ShapeKind::Text:
        BindRectangle(b, &static_cast<TMyRectangle&>(shape));
        BindText(b, &static_cast<TMyText&>(shape));
        break;
    case ShapeKind::Image:
        BindRectangle(b, &static_cast<TMyRectangle&>(shape));
        BindImage(b, &static_cast<TMyImage&>(shape));
        break;
    case ShapeKind::LinkPoint:
    case ShapeKind::LineLinkLine:
        BindRectangle(b, &static_cast<TMyRectangle&>(shape));
        BindLinkPoint(b, &static_cast<TMyLinkPoint&>(shape));
        break;
    case ShapeKind::Line:
    case ShapeKind::PolyLine:
    case ShapeKind::Polygon:
        BindLine(b, &static_cast<TMyLine&>(shape));
        break;
    case ShapeKind::RuleLine:
        BindLine(b, &static_cast<TMyLine&>(shape));
        BindRuleLine(b, &static_cast<TMyRuleLine&>(shape));
        break;
    case ShapeKind::LinkLine:
        BindLine(b, &static_cast<TMyLine&>(shape));
        BindLinkLine(b, &static_cast<TMyLinkLine&>(shape));
        break;
    case ShapeKind::ElliArc:
        BindElliArc(b, &static_cast<TMyElliArc&>(shape));
        break;
    case ShapeKind::PolyBezier:
        break;
    }
}

void ComponentProperties::BindCanvas()
{
    TMyCAD* c = m_canvas;
    auto& b = m_bindings;
    const auto boolProp = [&b](const char* name, std::function<bool()> get, std::function<void(bool)> set) {
        b.push_back(BoolProp(QString::fromLatin1(name), std::move(get), std::move(set)));
    };
    const auto byteProp = [&b](const char* name, std::function<qint64()> get, std::function<void(qint64)> set) {
        b.push_back(IntProp(QString::fromLatin1(name), std::move(get), std::move(set), 0, 255));
    };
    b.push_back(IntProp(
        QStringLiteral("ArrowAngle"), [c] { return c->ArrowAngle(); }, [c](qint64 v) { c->SetArrowAngle(int(v)); },
        kIntMin, kIntMax));
    byteProp(
        "ArrowLength", [c] { return c->ArrowLength(); }, [c](qint64 v) { c->SetArrowLength(uint8_t(v)); });
    byteProp(
        "ArrowOffset", [c] { return c->ArrowOffset(); }, [c](qint64 v) { c->SetArrowOffset(uint8_t(v)); });
    b.push_back(EnumProp(
        QStringLiteral("ArrowStyle"), CanvasTypeNames::ArrowStyle(), [c] { return int(c->ArrowStyle()); },
        [c](int v) { c->SetArrowStyle(TArrowStyle(v)); }));
    b.push_back(PictureProp(
        QStringLiteral("BkBitmap"), [c] { return c->BkBitmap(); }, [c](const QImage& v) { c->SetBkBitmap(v); }));
    b.push_back(EnumProp(
        QStringLiteral("BkBitmapMode"), CanvasTypeNames::BkBitmapMode(), [c] { return int(c->BkBitmapMode()); },
        [c](int v) { c->SetBkBitmapMode(TBkBitmapMode(v)); }));
    b.push_back(BrushProp(
        QStringLiteral("Brush"), [c] { return c->Brush(); }, [c](const TMyBrush& v) { c->SetBrush(v); }));
    b.push_back(ColorProp(
        QStringLiteral("ColorOfBackGround"), [c] { return c->ColorOfBackGround(); },
        [c](TColor v) { c->SetColorOfBackGround(v); }));
    b.push_back(ColorProp(
        QStringLiteral("ColorOfHot"), [c] { return c->ColorOfHot(); }, [c](TColor v) { c->SetColorOfHot(v); }));
    boolProp(
        "CrossLine", [c] { return c->CrossLine(); }, [c](bool v) { c->SetCrossLine(v); });
    b.push_back(EnumProp(
        QStringLiteral("DragMode"), CanvasTypeNames::DragMode(), [c] { return int(c->DragMode()); },
        [c](int v) { c->SetDragMode(TDragMode(v)); }));
    boolProp(
        "DragTrace", [c] { return c->DragTrace(); }, [c](bool v) { c->SetDragTrace(v); });
    b.push_back(FontProp(
        QStringLiteral("Font"), [c] { return c->Font(); }, [c](const TMyFont& v) { c->SetFont(v); }));
    b.push_back(GridProp(
        QStringLiteral("GridOperation"), [c] { return c->GridOperation(); },
        [c](const TGridObject& v) { c->SetGridOperation(v); }));
    boolProp(
        "HotShow", [c] { return c->HotShow(); }, [c](bool v) { c->SetHotShow(v); });
    byteProp(
        "HotSize", [c] { return c->HotSize(); }, [c](qint64 v) { c->SetHotSize(uint8_t(v)); });
    boolProp(
        "LinklineAroundShape", [c] { return c->LinklineAroundShape(); }, [c](bool v) { c->SetLinklineAroundShape(v); });
    b.push_back(EnumProp(
        QStringLiteral("LinkLineDrawStyle"), CanvasTypeNames::LinkLineDrawStyle(),
        [c] { return int(c->LinkLineDrawStyle()); }, [c](int v) { c->SetLinkLineDrawStyle(TLinkLineDrawStyle(v)); }));
    boolProp(
        "LockBound", [c] { return c->LockBound(); }, [c](bool v) { c->SetLockBound(v); });
    boolProp(
        "MouseEffect", [c] { return c->MouseEffect(); }, [c](bool v) { c->SetMouseEffect(v); });
    boolProp(
        "OperateAllLayer", [c] { return c->OperateAllLayer(); }, [c](bool v) { c->SetOperateAllLayer(v); });
    b.push_back(TextProp(
        QStringLiteral("PageFoot"), [c] { return c->PageFoot(); }, [c](const QString& v) { c->SetPageFoot(v); }));
    b.push_back(EnumProp(
        QStringLiteral("PageFootAlignment"), CanvasTypeNames::Alignment(), [c] { return int(c->PageFootAlignment()); },
        [c](int v) { c->SetPageFootAlignment(TAlignment(v)); }));
    b.push_back(FontProp(
        QStringLiteral("PageFootFont"), [c] { return c->PageFootFont(); },
        [c](const TMyFont& v) { c->SetPageFootFont(v); }));
    byteProp(
        "PageFootToBottom", [c] { return c->PageFootToBottom(); },
        [c](qint64 v) { c->SetPageFootToBottom(uint8_t(v)); });
    b.push_back(TextProp(
        QStringLiteral("PageHead"), [c] { return c->PageHead(); }, [c](const QString& v) { c->SetPageHead(v); }));
    b.push_back(EnumProp(
        QStringLiteral("PageHeadAlignment"), CanvasTypeNames::Alignment(), [c] { return int(c->PageHeadAlignment()); },
        [c](int v) { c->SetPageHeadAlignment(TAlignment(v)); }));
    b.push_back(FontProp(
        QStringLiteral("PageHeadFont"), [c] { return c->PageHeadFont(); },
        [c](const TMyFont& v) { c->SetPageHeadFont(v); }));
    byteProp(
        "PageHeadToTop", [c] { return c->PageHeadToTop(); }, [c](qint64 v) { c->SetPageHeadToTop(uint8_t(v)); });
    b.push_back(IntProp(
        QStringLiteral("PageHeight"), [c] { return c->PageHeight(); }, [c](qint64 v) { c->SetPageHeight(int(v)); }, 1,
        kMaxPageSide));
    b.push_back(EnumProp(
        QStringLiteral("PageOrientation"), CanvasTypeNames::PageOrientation(),
        [c] { return int(c->PageOrientation()); }, [c](int v) { c->SetPageOrientation(TPageOrientation(v)); }));
    b.push_back(EnumProp(
        QStringLiteral("PageStyle"), CanvasTypeNames::PageStyle(), [c] { return int(c->PageStyle()); },
        [c](int v) { c->SetPageStyle(TPageStyle(v)); }));
    b.push_back(IntProp(
        QStringLiteral("PageWidth"), [c] { return c->PageWidth(); }, [c](qint64 v) { c->SetPageWidth(int(v)); }, 1,
        kMaxPageSide));
    b.push_back(PenProp(
        QStringLiteral("Pen"), [c] { return c->Pen(); }, [c](const TMyPen& v) { c->SetPen(v); }));
    boolProp(
        "PrintABorder", [c] { return c->PrintABorder(); }, [c](bool v) { c->SetPrintABorder(v); });
    byteProp(
        "PrintABordertoBottom", [c] { return c->PrintABordertoBottom(); },
        [c](qint64 v) { c->SetPrintABordertoBottom(uint8_t(v)); });
    byteProp(
        "PrintABordertoLeft", [c] { return c->PrintABordertoLeft(); },
        [c](qint64 v) { c->SetPrintABordertoLeft(uint8_t(v)); });
    byteProp(
        "PrintABordertoRight", [c] { return c->PrintABordertoRight(); },
        [c](qint64 v) { c->SetPrintABordertoRight(uint8_t(v)); });
    byteProp(
        "PrintABordertoTop", [c] { return c->PrintABordertoTop(); },
        [c](qint64 v) { c->SetPrintABordertoTop(uint8_t(v)); });
    boolProp(
        "PrintBackground", [c] { return c->PrintBackground(); }, [c](bool v) { c->SetPrintBackground(v); });
    b.push_back(FloatProp(
        QStringLiteral("Ratio"), [c] { return c->Ratio(); }, [c](double v) { c->SetRatio(v); }, false, Positive()));
    boolProp(
        "ResizeEnable", [c] { return c->ResizeEnable(); }, [c](bool v) { c->SetResizeEnable(v); });
    boolProp(
        "ReturnToSelecting", [c] { return c->ReturnToSelecting(); }, [c](bool v) { c->SetReturnToSelecting(v); });
    b.push_back(IntProp(
        QStringLiteral("RotateConstraintDegree"), [c] { return c->RotateConstraintDegree(); },
        [c](qint64 v) { c->SetRotateConstraintDegree(int(v)); }, 0, 360));
    boolProp(
        "RotateEnable", [c] { return c->RotateEnable(); }, [c](bool v) { c->SetRotateEnable(v); });
    b.push_back(EnumProp(
        QStringLiteral("ShapeTool"), CanvasTypeNames::DrawTool(), [c] { return int(c->ShapeTool()); },
        [c](int v) { c->SetShapeTool(TDrawTool(v)); }));
    boolProp(
        "ShowHotLink", [c] { return c->ShowHotLink(); }, [c](bool v) { c->SetShowHotLink(v); });
    boolProp(
        "Snap", [c] { return c->Snap(); }, [c](bool v) { c->SetSnap(v); });
    byteProp(
        "SnapPixels", [c] { return c->SnapPixels(); }, [c](qint64 v) { c->SetSnapPixels(uint8_t(v)); });
    boolProp(
        "SnapShape", [c] { return c->SnapShape(); }, [c](bool v) { c->SetSnapShape(v); });
    b.push_back(IntProp(
        QStringLiteral("Tag"), [c] { return c->Tag(); }, [c](qint64 v) { c->SetTag(int32_t(v)); }, kIntMin, kIntMax));
    b.push_back(EnumProp(
        QStringLiteral("TheUNIT"), CanvasTypeNames::Units(), [c] { return int(c->TheUNIT()); },
        [c](int v) { c->SetTheUNIT(TUnits(v)); }));
    byteProp(
        "UndoRedoSize", [c] { return c->UndoRedoSize(); }, [c](qint64 v) { c->SetUndoRedoSize(uint8_t(v)); });
    b.push_back(UserDataProp(
        QStringLiteral("UserData"), [c] { return c->UserData(); },
        [c](const TUserData& v) { c->UserData().Assign(v); }));
    b.push_back(ReadOnlyProp(QStringLiteral("Version"), [] { return TMyCAD::Version(); }));
    b.push_back(EnumProp(
        QStringLiteral("XYMode"), CanvasTypeNames::XYMode(), [c] { return int(c->XYMode()); },
        [c](int v) { c->SetXYMode(TXYMode(v)); }));
    b.push_back(FloatProp(
        QStringLiteral("Zoom"), [c] { return c->Zoom(); }, [c](double v) { c->SetZoom(v); }, false,
        Between(kMinZoom, kMaxZoom)));
}
