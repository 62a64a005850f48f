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
#include <type_traits>
#include <utility>

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

// The canvas's published properties: one row each, naming the property and how its
// binding is made from the canvas's getter and setter.
struct CanvasRow
{
    const char* name;
    PropertyBinders::Binding (*make)(const QString& name, TMyCAD* canvas);
};

template <auto Get, auto Set> PropertyBinders::Binding Bool(const QString& name, TMyCAD* c)
{
    return BoolProp(
        name, [c] { return (c->*Get)(); }, [c](bool v) { (c->*Set)(v); });
}

// An unsigned byte: 0 to 255.
template <auto Get, auto Set> PropertyBinders::Binding Byte(const QString& name, TMyCAD* c)
{
    return IntProp(
        name, [c] { return qint64((c->*Get)()); }, [c](qint64 v) { (c->*Set)(uint8_t(v)); }, 0, 255);
}

template <auto Get, auto Set, qint64 Low, qint64 High> PropertyBinders::Binding Int(const QString& name, TMyCAD* c)
{
    return IntProp(
        name, [c] { return qint64((c->*Get)()); }, [c](qint64 v) { (c->*Set)(int(v)); }, Low, High);
}

template <auto Names, auto Get, auto Set> PropertyBinders::Binding Enum(const QString& name, TMyCAD* c)
{
    using Type = std::decay_t<decltype((c->*Get)())>;
    return EnumProp(
        name, Names(), [c] { return int((c->*Get)()); }, [c](int v) { (c->*Set)(Type(v)); });
}

// A value the binder of its kind (`Prop`: colour, font, pen...) reads and writes whole.
template <auto Prop, auto Get, auto Set> PropertyBinders::Binding Value(const QString& name, TMyCAD* c)
{
    return Prop(
        name, [c] { return (c->*Get)(); }, [c](const auto& v) { (c->*Set)(v); });
}

template <auto Get, auto Set> PropertyBinders::Binding Text(const QString& name, TMyCAD* c)
{
    return TextProp(
        name, [c] { return (c->*Get)(); }, [c](const QString& v) { (c->*Set)(v); });
}

// clang-format off
const CanvasRow kCanvasRows[] = {
    { "ArrowAngle", Int<&TMyCAD::ArrowAngle, &TMyCAD::SetArrowAngle, kIntMin, kIntMax> },
    { "ArrowLength", Byte<&TMyCAD::ArrowLength, &TMyCAD::SetArrowLength> },
    { "ArrowOffset", Byte<&TMyCAD::ArrowOffset, &TMyCAD::SetArrowOffset> },
    { "ArrowStyle", Enum<&CanvasTypeNames::ArrowStyle, &TMyCAD::ArrowStyle, &TMyCAD::SetArrowStyle> },
    { "BkBitmap", Value<&PictureProp, &TMyCAD::BkBitmap, &TMyCAD::SetBkBitmap> },
    { "BkBitmapMode", Enum<&CanvasTypeNames::BkBitmapMode, &TMyCAD::BkBitmapMode, &TMyCAD::SetBkBitmapMode> },
    { "Brush", Value<&BrushProp, &TMyCAD::Brush, &TMyCAD::SetBrush> },
    { "ColorOfBackGround", Value<&ColorProp, &TMyCAD::ColorOfBackGround, &TMyCAD::SetColorOfBackGround> },
    { "ColorOfHot", Value<&ColorProp, &TMyCAD::ColorOfHot, &TMyCAD::SetColorOfHot> },
    { "CrossLine", Bool<&TMyCAD::CrossLine, &TMyCAD::SetCrossLine> },
    { "DragMode", Enum<&CanvasTypeNames::DragMode, &TMyCAD::DragMode, &TMyCAD::SetDragMode> },
    { "DragTrace", Bool<&TMyCAD::DragTrace, &TMyCAD::SetDragTrace> },
    { "Font", Value<&FontProp, &TMyCAD::Font, &TMyCAD::SetFont> },
    { "GridOperation", [](const QString& name, TMyCAD* c) { // GridOperation() has a changing twin
        return GridProp(name, [c] { return std::as_const(*c).GridOperation(); }, [c](const TGridObject& v) { c->SetGridOperation(v); }); } },
    { "HotShow", Bool<&TMyCAD::HotShow, &TMyCAD::SetHotShow> },
    { "HotSize", Byte<&TMyCAD::HotSize, &TMyCAD::SetHotSize> },
    { "LinklineAroundShape", Bool<&TMyCAD::LinklineAroundShape, &TMyCAD::SetLinklineAroundShape> },
    { "LinkLineDrawStyle", Enum<&CanvasTypeNames::LinkLineDrawStyle, &TMyCAD::LinkLineDrawStyle, &TMyCAD::SetLinkLineDrawStyle> },
    { "LockBound", Bool<&TMyCAD::LockBound, &TMyCAD::SetLockBound> },
    { "MouseEffect", Bool<&TMyCAD::MouseEffect, &TMyCAD::SetMouseEffect> },
    { "OperateAllLayer", Bool<&TMyCAD::OperateAllLayer, &TMyCAD::SetOperateAllLayer> },
    { "PageFoot", Text<&TMyCAD::PageFoot, &TMyCAD::SetPageFoot> },
    { "PageFootAlignment", Enum<&CanvasTypeNames::Alignment, &TMyCAD::PageFootAlignment, &TMyCAD::SetPageFootAlignment> },
    { "PageFootFont", Value<&FontProp, &TMyCAD::PageFootFont, &TMyCAD::SetPageFootFont> },
    { "PageFootToBottom", Byte<&TMyCAD::PageFootToBottom, &TMyCAD::SetPageFootToBottom> },
    { "PageHead", Text<&TMyCAD::PageHead, &TMyCAD::SetPageHead> },
    { "PageHeadAlignment", Enum<&CanvasTypeNames::Alignment, &TMyCAD::PageHeadAlignment, &TMyCAD::SetPageHeadAlignment> },
    { "PageHeadFont", Value<&FontProp, &TMyCAD::PageHeadFont, &TMyCAD::SetPageHeadFont> },
    { "PageHeadToTop", Byte<&TMyCAD::PageHeadToTop, &TMyCAD::SetPageHeadToTop> },
    { "PageHeight", Int<&TMyCAD::PageHeight, &TMyCAD::SetPageHeight, 1, kMaxPageSide> },
    { "PageOrientation", Enum<&CanvasTypeNames::PageOrientation, &TMyCAD::PageOrientation, &TMyCAD::SetPageOrientation> },
    { "PageStyle", Enum<&CanvasTypeNames::PageStyle, &TMyCAD::PageStyle, &TMyCAD::SetPageStyle> },
    { "PageWidth", Int<&TMyCAD::PageWidth, &TMyCAD::SetPageWidth, 1, kMaxPageSide> },
    { "Pen", Value<&PenProp, &TMyCAD::Pen, &TMyCAD::SetPen> },
    { "PrintABorder", Bool<&TMyCAD::PrintABorder, &TMyCAD::SetPrintABorder> },
    { "PrintABordertoBottom", Byte<&TMyCAD::PrintABordertoBottom, &TMyCAD::SetPrintABordertoBottom> },
    { "PrintABordertoLeft", Byte<&TMyCAD::PrintABordertoLeft, &TMyCAD::SetPrintABordertoLeft> },
    { "PrintABordertoRight", Byte<&TMyCAD::PrintABordertoRight, &TMyCAD::SetPrintABordertoRight> },
    { "PrintABordertoTop", Byte<&TMyCAD::PrintABordertoTop, &TMyCAD::SetPrintABordertoTop> },
    { "PrintBackground", Bool<&TMyCAD::PrintBackground, &TMyCAD::SetPrintBackground> },
    { "Ratio", [](const QString& name, TMyCAD* c) {
        return FloatProp(name, [c] { return c->Ratio(); }, [c](double v) { c->SetRatio(v); }, false, Positive()); } },
    { "ResizeEnable", Bool<&TMyCAD::ResizeEnable, &TMyCAD::SetResizeEnable> },
    { "ReturnToSelecting", Bool<&TMyCAD::ReturnToSelecting, &TMyCAD::SetReturnToSelecting> },
    { "RotateConstraintDegree", Int<&TMyCAD::RotateConstraintDegree, &TMyCAD::SetRotateConstraintDegree, 0, 360> },
    { "RotateEnable", Bool<&TMyCAD::RotateEnable, &TMyCAD::SetRotateEnable> },
    { "ShapeTool", Enum<&CanvasTypeNames::DrawTool, &TMyCAD::ShapeTool, &TMyCAD::SetShapeTool> },
    { "ShowHotLink", Bool<&TMyCAD::ShowHotLink, &TMyCAD::SetShowHotLink> },
    { "Snap", Bool<&TMyCAD::Snap, &TMyCAD::SetSnap> },
    { "SnapPixels", Byte<&TMyCAD::SnapPixels, &TMyCAD::SetSnapPixels> },
    { "SnapShape", Bool<&TMyCAD::SnapShape, &TMyCAD::SetSnapShape> },
    { "Tag", Int<&TMyCAD::Tag, &TMyCAD::SetTag, kIntMin, kIntMax> },
    { "TheUNIT", Enum<&CanvasTypeNames::Units, &TMyCAD::TheUNIT, &TMyCAD::SetTheUNIT> },
    { "UndoRedoSize", Byte<&TMyCAD::UndoRedoSize, &TMyCAD::SetUndoRedoSize> },
    { "UserData", [](const QString& name, TMyCAD* c) {
        return UserDataProp(name, [c] { return c->UserData(); }, [c](const TUserData& v) { c->UserData().Assign(v); }); } },
    { "Version", [](const QString& name, TMyCAD*) { return ReadOnlyProp(name, [] { return TMyCAD::Version(); }); } },
    { "XYMode", Enum<&CanvasTypeNames::XYMode, &TMyCAD::XYMode, &TMyCAD::SetXYMode> },
    { "Zoom", [](const QString& name, TMyCAD* c) {
        return FloatProp(name, [c] { return c->Zoom(); }, [c](double v) { c->SetZoom(v); }, false, Between(kMinZoom, kMaxZoom)); } },
};
// clang-format on

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
    for (const CanvasRow& row : kCanvasRows)
        m_bindings.push_back(row.make(QString::fromLatin1(row.name), m_canvas));
}
