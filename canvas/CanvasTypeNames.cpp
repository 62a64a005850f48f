#include "canvas/CanvasTypeNames.h"

#include "canvas/CanvasTypes.h"

namespace CanvasTypeNames {

namespace {

QStringList Names(std::initializer_list<const char*> names)
{
    QStringList list;
    for (const char* name : names)
        list.append(QString::fromLatin1(name));
    return list;
}

} // namespace

const QStringList& DrawTool()
{
    static const QStringList names
        = Names({ "SpLinkLine", "SpSelecting", "SpRotateSelecting", "SpLine", "SpRuleLine", "SpPolyLine", "SpRectangle",
            "SpLinkPoint", "SpLineLinkLine", "SpEllipse", "SpText", "SpImage", "SpPolygon", "SpPolyBezier", "SpElliArc",
            "SpClose", "SpPolylinePolygonPointRemoving", "SpPolylinePolygonPointAdding", "SpDragWhole", "SpBrowse" });
    return names;
}

const QStringList& GradientStyle()
{
    static const QStringList names = Names({ "gsRadialC", "gsRadialT", "gsRadialB", "gsRadialL", "gsRadialR",
        "gsRadialTL", "gsRadialTR", "gsRadialBL", "gsRadialBR", "gsLinearH", "gsLinearV", "gsReflectedH",
        "gsReflectedV", "gsDiagonalLF", "gsDiagonalLB", "gsDiagonalRF", "gsDiagonalRB", "gsArrowL", "gsArrowR",
        "gsArrowU", "gsArrowD", "gsDiamond", "gsButterfly", "gsNone" });
    return names;
}

const QStringList& PageStyle()
{
    static const QStringList names = Names({ "A0", "A1", "A2", "A3", "A4", "A5", "B3", "B4", "B5", "CustomerPage" });
    return names;
}

const QStringList& PageOrientation()
{
    static const QStringList names = Names({ "poPortrait", "poLandscape" });
    return names;
}

const QStringList& Units()
{
    static const QStringList names = Names({ "pixel", "mm", "cm", "dm", "m", "inch" });
    return names;
}

const QStringList& BkBitmapMode()
{
    static const QStringList names = Names({ "Tiled", "Stretch", "Center", "LeftTop" });
    return names;
}

const QStringList& GridType()
{
    static const QStringList names = Names({ "gPixel", "gLine", "gNone" });
    return names;
}

const QStringList& DragMode()
{
    static const QStringList names = Names({ "dgHorz", "dgVert", "dgBoth" });
    return names;
}

const QStringList& XYMode()
{
    static const QStringList names = Names({ "Mode0", "Mode1", "Mode2", "Mode3" });
    return names;
}

const QStringList& ArrowStyle()
{
    static const QStringList names = Names({ "ANone", "ALeft", "ARight", "ADouble" });
    return names;
}

const QStringList& TickStyle()
{
    static const QStringList names = Names({ "tsLine", "tsNone" });
    return names;
}

const QStringList& LinkLineDrawStyle()
{
    static const QStringList names = Names({ "lldsHV", "lldsFree" });
    return names;
}

const QStringList& VAlignment()
{
    static const QStringList names = Names({ "vaTop", "vaMiddle", "vaBottom" });
    return names;
}

const QStringList& Alignment()
{
    static const QStringList names = Names({ "taLeftJustify", "taRightJustify", "taCenter" });
    return names;
}

const QStringList& ArcMode()
{
    static const QStringList names = Names({ "amCircle", "amEllipse" });
    return names;
}

const QStringList& ArcStyle()
{
    static const QStringList names = Names({ "asArc", "asChord", "asSector" });
    return names;
}

const QStringList& BrushStyle()
{
    static const QStringList names = Names(
        { "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross" });
    return names;
}

const QStringList& PenMode()
{
    static const QStringList names
        = Names({ "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot", "pmMaskPenNot",
            "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor" });
    return names;
}

const QStringList& PenStyle()
{
    static const QStringList names = Names({ "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
        "psInsideFrame", "psUserStyle", "psAlternate" });
    return names;
}

const QStringList& FontPitch()
{
    static const QStringList names = Names({ "fpDefault", "fpVariable", "fpFixed" });
    return names;
}

const QStringList& FontStyle()
{
    static const QStringList names = Names({ "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut" });
    return names;
}

QString NameOf(const QStringList& names, int ordinal)
{
    return ordinal >= 0 && ordinal < names.size() ? names[ordinal] : QString::number(ordinal);
}

// The lists must follow the enumerations; a value added to one without the other shows here.
static_assert(SpBrowse == 19 && gsNone == 23 && CustomerPage == 9 && inch == 5 && LeftTop == 3 && gNone == 2
    && dgBoth == 2 && Mode3 == 3 && ADouble == 3 && tsNone == 1 && lldsFree == 1 && vaBottom == 2 && taCenter == 2
    && amEllipse == 1 && asSector == 2 && bsDiagCross == 7 && pmNotXor == 15 && psAlternate == 8 && fpFixed == 2);

} // namespace CanvasTypeNames
