// pelorix-cli commands over the canvas: dumping, resaving and exporting canvas files
// as pictures, metafiles, SVG and DXF.
#include "app/cli/CliSupport.h"

#include "canvas/CanvasTypeNames.h"
#include "canvas/TMyCAD.h"
#include "canvas/TMyElliArc.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyRectangle.h"
#include "common/TNVFreeImage.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

namespace {

QJsonValue PictureSize(const QImage& picture)
{
    if (picture.isNull())
        return QJsonValue(QJsonValue::Null);
    return QJsonObject { { QStringLiteral("width"), picture.width() }, { QStringLiteral("height"), picture.height() } };
}

QJsonArray UserDataJson(const TUserData& data)
{
    QJsonArray pairs;
    for (const auto& [key, value] : data.Pairs())
        pairs.append(QJsonObject { { QStringLiteral("key"), key }, { QStringLiteral("value"), value } });
    return pairs;
}

QJsonArray Ints(const std::vector<int>& values)
{
    QJsonArray array;
    for (int v : values)
        array.append(v);
    return array;
}

// The class's own fields, under their names in lower camel case.
void AddLineFields(const TMyLine& line, QJsonObject& json)
{
    json[QStringLiteral("arrowAngle")] = line.ArrowAngle();
    json[QStringLiteral("arrowLength")] = line.ArrowLength();
    json[QStringLiteral("arrowOffset")] = line.ArrowOffset();
    json[QStringLiteral("arrowStyle")] = int(line.ArrowStyle());
}

void AddRuleLineFields(const TMyRuleLine& rule, QJsonObject& json)
{
    json[QStringLiteral("showUserInfo")] = rule.ShowUserInfo();
    json[QStringLiteral("tickStyle")] = int(rule.TickStyle());
    json[QStringLiteral("userInfo")] = rule.UserInfo();
}

void AddLinkLineFields(const TMyLinkLine& link, QJsonObject& json)
{
    json[QStringLiteral("startShapeIndex")] = link.StartShapeIndex();
    json[QStringLiteral("startLinkPointIndex")] = link.StartLinkPointIndex();
    json[QStringLiteral("endShapeIndex")] = link.EndShapeIndex();
    json[QStringLiteral("endLinkPointIndex")] = link.EndLinkPointIndex();
    json[QStringLiteral("linkLineDrawStyle")] = int(link.LinkLineDrawStyle());
}

void AddTextFields(const TMyText& text, QJsonObject& json)
{
    json[QStringLiteral("lines")] = QJsonArray::fromStringList(text.Lines());
    json[QStringLiteral("hAlignment")] = int(text.HAlignment());
    json[QStringLiteral("vAlignment")] = int(text.VAlignment());
    json[QStringLiteral("isBorder")] = text.IsBorder();
    json[QStringLiteral("isSolid")] = text.IsSolid();
    json[QStringLiteral("wordWrap")] = text.WordWrap();
}

void AddImageFields(const TMyImage& image, QJsonObject& json)
{
    json[QStringLiteral("bitmap")] = PictureSize(image.Bitmap());
    json[QStringLiteral("transparent")] = image.Transparent();
    json[QStringLiteral("border")] = image.Border();
    json[QStringLiteral("grayScale")] = image.GrayScale();
    json[QStringLiteral("brightness")] = image.Brightness();
    json[QStringLiteral("contrast")] = image.Contrast();
}

void AddElliArcFields(const TMyElliArc& arc, QJsonObject& json)
{
    json[QStringLiteral("arcMode")] = int(arc.ArcMode());
    json[QStringLiteral("arcStyle")] = int(arc.ArcStyle());
}

void AddLinkPointFields(const TMyLinkPoint& point, QJsonObject& json)
{
    json[QStringLiteral("size")] = point.Size();
}

// The fields of the shape's class and its base classes (beyond TMyShape's).
void AddClassFields(const TMyShape& shape, QJsonObject& json)
{
    switch (shape.Kind()) {
    case ShapeKind::Line:
    case ShapeKind::PolyLine:
    case ShapeKind::Polygon:
        AddLineFields(static_cast<const TMyLine&>(shape), json);
        break;
    case ShapeKind::RuleLine:
        AddLineFields(static_cast<const TMyLine&>(shape), json);
        AddRuleLineFields(static_cast<const TMyRuleLine&>(shape), json);
        break;
    case ShapeKind::LinkLine:
        AddLineFields(static_cast<const TMyLine&>(shape), json);
        AddLinkLineFields(static_cast<const TMyLinkLine&>(shape), json);
        break;
    case ShapeKind::Text:
        AddTextFields(static_cast<const TMyText&>(shape), json);
        break;
    case ShapeKind::Image:
        AddImageFields(static_cast<const TMyImage&>(shape), json);
        break;
    case ShapeKind::ElliArc:
        AddElliArcFields(static_cast<const TMyElliArc&>(shape), json);
        break;
    case ShapeKind::LinkPoint:
    case ShapeKind::LineLinkLine:
        AddLinkPointFields(static_cast<const TMyLinkPoint&>(shape), json);
        break;
    case ShapeKind::Rectangle:
    case ShapeKind::Ellipse:
    case ShapeKind::Group:
    case ShapeKind::Combine:
    case ShapeKind::PolyBezier:
        break;
    }
}

QJsonObject ShapeJson(const TMyShape& shape)
{
    QJsonArray nodes;
    for (const TMyPoint& p : shape.Nodes())
        nodes.append(QJsonArray { double(p.x), double(p.y) });
    QJsonObject json {
        { QStringLiteral("class"), QString::fromLatin1(shape.ClassName()) },
        { QStringLiteral("name"), shape.Name() },
        { QStringLiteral("id"), shape.ShapeId() },
        { QStringLiteral("index"), shape.ShapeIndex() },
        { QStringLiteral("layerId"), shape.LayerId() },
        { QStringLiteral("parentGroup"), shape.ParentGroup() },
        { QStringLiteral("children"), Ints(shape.Children()) },
        { QStringLiteral("links"), Ints(shape.Links()) },
        { QStringLiteral("nodes"), nodes },
        { QStringLiteral("caption"), shape.Caption() },
        { QStringLiteral("info"), shape.Info() },
        { QStringLiteral("multiInfo"), QJsonArray::fromStringList(shape.MultiInfo()) },
        { QStringLiteral("angle"), double(shape.Angle()) },
        { QStringLiteral("tag"), shape.Tag() },
        { QStringLiteral("penColor"), shape.Pen().color },
        { QStringLiteral("penWidth"), shape.Pen().width },
        { QStringLiteral("brushColor"), shape.Brush().color },
        { QStringLiteral("brushStyle"), int(shape.Brush().style) },
        { QStringLiteral("fontName"), shape.Font().name },
        { QStringLiteral("fontSize"), shape.Font().size },
        { QStringLiteral("visible"), shape.Visible() },
        { QStringLiteral("locked"), shape.Locked() },
        { QStringLiteral("userData"), UserDataJson(shape.UserData()) },
    };
    AddClassFields(shape, json);
    return json;
}

QJsonObject CanvasJson(const TMyCAD& cad)
{
    QJsonArray layers;
    for (const LayerRec& layer : cad.Layers())
        layers.append(QJsonObject { { QStringLiteral("name"), layer.name }, { QStringLiteral("id"), layer.layerId },
            { QStringLiteral("visible"), layer.visible } });
    QJsonArray shapes;
    for (int i = 0; i < cad.ShapeCount(); ++i)
        shapes.append(ShapeJson(*cad.ShapeByIndex(i)));
    return QJsonObject {
        { QStringLiteral("version"), cad.StreamVersionText() },
        { QStringLiteral("width"), cad.Width() },
        { QStringLiteral("height"), cad.Height() },
        { QStringLiteral("unit"), CanvasTypeNames::NameOf(CanvasTypeNames::Units(), cad.TheUNIT()) },
        { QStringLiteral("ratio"), cad.Ratio() },
        { QStringLiteral("backgroundColor"), cad.ColorOfBackGround() },
        { QStringLiteral("background"), PictureSize(cad.BkBitmap()) },
        { QStringLiteral("tag"), cad.Tag() },
        { QStringLiteral("userData"), UserDataJson(cad.UserData()) },
        { QStringLiteral("layers"), layers },
        { QStringLiteral("currentLayer"), cad.CurrentLayer() },
        { QStringLiteral("shapes"), shapes },
    };
}

// Loads a canvas file; on failure returns the English reason.
std::optional<QString> LoadCanvas(TMyCAD& cad, const QString& path)
{
    if (!QFileInfo(path).isFile())
        return path + QStringLiteral(": the file does not exist");
    if (!TMyCAD::IsCanvasFile(path))
        return path + QStringLiteral(": not a canvas file");
    if (!cad.LoadFromFile(path))
        return path + QStringLiteral(": the canvas data is damaged (") + cad.LastError() + QStringLiteral(")");
    return std::nullopt;
}

} // namespace

int CanvasDumpCommand(const QStringList& args)
{
    const auto parsed = ParseArgs(args, {});
    if (!parsed || parsed->positional.size() != 1)
        return UsageError(QStringLiteral("canvas-dump FILE"));
    const QString path = parsed->positional[0];
    TMyCAD cad;
    const auto error = LoadCanvas(cad, path);
    if (error && !TMyCAD::IsCanvasFile(path))
        return InputError(*error);
    // A damaged file still shows what could be read.
    PrintJson(QJsonDocument(CanvasJson(cad)));
    return error ? InputError(*error) : kExitOk;
}

int CanvasResaveCommand(const QStringList& args)
{
    const auto parsed = ParseArgs(args, {});
    if (!parsed || parsed->positional.size() != 2)
        return UsageError(QStringLiteral("canvas-resave IN OUT"));
    TMyCAD cad;
    if (const auto error = LoadCanvas(cad, parsed->positional[0]))
        return InputError(*error);
    if (!cad.SaveToFile(parsed->positional[1]))
        return InputError(
            parsed->positional[1] + QStringLiteral(": cannot be written (") + cad.LastError() + QStringLiteral(")"));
    return kExitOk;
}

int RenderCommand(const QStringList& args)
{
    const QString usage = QStringLiteral("render FILE OUT.bmp|.jpg|.wmf|.dxf|.dxf1|.svg|.png [--picture P]");
    const auto parsed = ParseArgs(args, { QStringLiteral("--picture") });
    if (!parsed || parsed->positional.size() != 2)
        return UsageError(usage);
    const QString out = parsed->positional[1];
    const QString suffix = QFileInfo(out).suffix().toLower();
    static const QStringList kSuffixes = { "bmp", "jpg", "jpeg", "wmf", "dxf", "dxf1", "svg", "png" };
    if (!kSuffixes.contains(suffix))
        return UsageError(usage);
    TMyCAD cad;
    if (const auto error = LoadCanvas(cad, parsed->positional[0]))
        return InputError(*error);
    // A measurement with a picture is drawn as the measuring program shows it (pens,
    // numbers, border); without any picture its shapes are drawn alone below.
    if (IsMeasurement(cad) && (!cad.BkBitmap().isNull() || parsed->Option(QStringLiteral("--picture"))))
        return RenderMeasurement(parsed->positional[0], out, parsed->Option(QStringLiteral("--picture")));
    // A measurement saved without its picture is laid over the given picture, as the
    // measuring program does when it loads such a file over an open picture.
    if (const auto picturePath = parsed->Option(QStringLiteral("--picture")); picturePath && cad.BkBitmap().isNull()) {
        QString reason;
        const auto bitmap = TNVFreeImage().Load(*picturePath, &reason);
        const QImage picture = bitmap ? bitmap->TakeQImage() : QImage();
        if (picture.isNull())
            return InputError(
                *picturePath + QStringLiteral(": the picture cannot be used (") + reason + QStringLiteral(")"));
        cad.SetBkBitmap(picture);
        cad.SetBkBitmapMode(Stretch);
        cad.ClientResized(picture.width(), picture.height());
    }
    bool written = false;
    if (suffix == QLatin1String("dxf"))
        written = cad.ExportDxf(out);
    else if (suffix == QLatin1String("dxf1"))
        written = cad.ExportDxfOutlined(out);
    else if (suffix == QLatin1String("bmp"))
        written = cad.ExportBitmap(out);
    else if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        written = cad.ExportJpeg(out, 80); // the quality the measuring program uses
    else if (suffix == QLatin1String("wmf"))
        written = cad.ExportMetafile(out);
    else if (suffix == QLatin1String("svg"))
        written = cad.ExportSvg(out);
    else
        written = cad.ExportPng(out);
    if (!written)
        return InputError(out + QStringLiteral(": cannot be written (") + cad.LastError() + QStringLiteral(")"));
    return kExitOk;
}
