#include "canvas/ShapeFactory.h"

#include "canvas/TMyElliArc.h"
#include "canvas/TMyImage.h"
#include "canvas/TMyLine.h"
#include "canvas/TMyPolyBezier.h"
#include "canvas/TMyRectangle.h"

namespace ShapeFactory {

std::unique_ptr<TMyShape> CreateByClassName(const QString& className, TMyCAD* owner)
{
    const QByteArray name = className.toLatin1();
    if (name == "TMyRectangle")
        return std::make_unique<TMyRectangle>(owner);
    if (name == "TMyLinkPoint")
        return std::make_unique<TMyLinkPoint>(owner);
    if (name == "TMyLineLinkLine")
        return std::make_unique<TMyLineLinkLine>(owner);
    if (name == "TMyEllipse")
        return std::make_unique<TMyEllipse>(owner);
    if (name == "TMyLine")
        return std::make_unique<TMyLine>(owner);
    if (name == "TMyRuleLine")
        return std::make_unique<TMyRuleLine>(owner);
    if (name == "TMyPolyLine")
        return std::make_unique<TMyPolyLine>(owner);
    if (name == "TMyPolygon")
        return std::make_unique<TMyPolygon>(owner);
    if (name == "TMyPolyBezier")
        return std::make_unique<TMyPolyBezier>(owner);
    if (name == "TMyText")
        return std::make_unique<TMyText>(owner);
    if (name == "TMyImage")
        return std::make_unique<TMyImage>(owner);
    if (name == "TMyElliArc")
        return std::make_unique<TMyElliArc>(owner);
    if (name == "TMyLinkLine")
        return std::make_unique<TMyLinkLine>(owner);
    if (name == "TMyCombine")
        return std::make_unique<TMyCombine>(owner);
    if (name == "TMyGroup")
        return std::make_unique<TMyGroup>(owner);
    return nullptr;
}

std::unique_ptr<TMyShape> CreateForTool(TDrawTool tool, TMyCAD* owner)
{
    switch (tool) {
    case SpLinkLine:
        return std::make_unique<TMyLinkLine>(owner);
    case SpLine:
        return std::make_unique<TMyLine>(owner);
    case SpRuleLine:
        return std::make_unique<TMyRuleLine>(owner);
    case SpPolyLine:
        return std::make_unique<TMyPolyLine>(owner);
    case SpRectangle:
        return std::make_unique<TMyRectangle>(owner);
    case SpLinkPoint:
        return std::make_unique<TMyLinkPoint>(owner);
    case SpLineLinkLine:
        return std::make_unique<TMyLineLinkLine>(owner);
    case SpEllipse:
        return std::make_unique<TMyEllipse>(owner);
    case SpText:
        return std::make_unique<TMyText>(owner);
    case SpImage:
        return std::make_unique<TMyImage>(owner);
    case SpPolygon:
        return std::make_unique<TMyPolygon>(owner);
    case SpPolyBezier:
        return std::make_unique<TMyPolyBezier>(owner);
    case SpElliArc:
        return std::make_unique<TMyElliArc>(owner);
    default:
        return nullptr;
    }
}

std::unique_ptr<TMyShape> Copy(const TMyShape& source)
{
    auto copy = CreateByClassName(QString::fromLatin1(source.ClassName()), source.OwnerCAD());
    if (copy)
        copy->Assign(source);
    return copy;
}

} // namespace ShapeFactory
