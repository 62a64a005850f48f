#pragma once

#include <QImage>
#include <QString>

#include <cmath>
#include <cstdint>
#include <limits>

// Value types shared by the canvas and its shapes. The enumerations keep the
// ordinals under which they are stored in canvas streams, so their order must
// never change.

// A node of a shape in logical units (one unit is one screen pixel at zoom 1).
struct TMyPoint
{
    float x = 0.0f;
    float y = 0.0f;
    bool operator==(const TMyPoint& other) const = default;
};

enum TDrawTool : uint8_t {
    SpLinkLine,
    SpSelecting,
    SpRotateSelecting,
    SpLine,
    SpRuleLine,
    SpPolyLine,
    SpRectangle,
    SpLinkPoint,
    SpLineLinkLine,
    SpEllipse,
    SpText,
    SpImage,
    SpPolygon,
    SpPolyBezier,
    SpElliArc,
    SpClose,
    SpPolylinePolygonPointRemoving,
    SpPolylinePolygonPointAdding,
    SpDragWhole,
    SpBrowse
};

enum TGradientStyle : uint8_t {
    gsRadialC,
    gsRadialT,
    gsRadialB,
    gsRadialL,
    gsRadialR,
    gsRadialTL,
    gsRadialTR,
    gsRadialBL,
    gsRadialBR,
    gsLinearH,
    gsLinearV,
    gsReflectedH,
    gsReflectedV,
    gsDiagonalLF,
    gsDiagonalLB,
    gsDiagonalRF,
    gsDiagonalRB,
    gsArrowL,
    gsArrowR,
    gsArrowU,
    gsArrowD,
    gsDiamond,
    gsButterfly,
    gsNone
};

enum TPageStyle : uint8_t { A0, A1, A2, A3, A4, A5, B3, B4, B5, CustomerPage };
enum TPageOrientation : uint8_t { poPortrait, poLandscape };
enum TUnits : uint8_t { pixel, mm, cm, dm, m, inch };
enum TBkBitmapMode : uint8_t { Tiled, Stretch, Center, LeftTop };
enum TGridType : uint8_t { gPixel, gLine, gNone };
enum TDragMode : uint8_t { dgHorz, dgVert, dgBoth };
enum TXYMode : uint8_t { Mode0, Mode1, Mode2, Mode3 };
enum TArrowStyle : uint8_t { ANone, ALeft, ARight, ADouble };
enum TTickStyle : uint8_t { tsLine, tsNone };
enum TLinkLineDrawStyle : uint8_t { lldsHV, lldsFree };
enum TVAlignment : uint8_t { vaTop, vaMiddle, vaBottom };
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
enum TArcMode : uint8_t { amCircle, amEllipse };
enum TArcStyle : uint8_t { asArc, asChord, asSector };

enum TBrushStyle : uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};
enum TPenMode : uint8_t {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
enum TPenStyle : uint8_t {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame,
    psUserStyle,
    psAlternate
};
enum TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };

// Bits of TMyFont::style.
enum TFontStyleBits : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Colours are 0x00BBGGRR (red in the low byte); negative values name system colours.
using TColor = int32_t;

struct TMyPen
{
    TColor color = 0x000000;
    uint8_t mode = pmCopy;
    uint8_t style = psSolid;
    int32_t width = 1;
    bool operator==(const TMyPen& other) const = default;
};

struct TMyBrush
{
    TColor color = 0xFFFFFF;
    uint8_t style = bsSolid;
    // Optional pattern picture (24 bits); a null image when the brush has none.
    QImage pattern;
    bool operator==(const TMyBrush& other) const
    {
        return color == other.color && style == other.style && pattern == other.pattern;
    }
};

struct TMyFont
{
    QString name = QStringLiteral("Arial");
    uint8_t charset = 1; // the platform's default character set
    TColor color = 0x000000;
    int32_t height = -11;
    int32_t size = 8;
    uint8_t pitch = fpDefault;
    int32_t pixelsPerInch = 96;
    uint8_t style = 0;

    // Sets the point size and the matching cell height (negative: character height).
    void SetSize(int32_t points)
    {
        size = points;
        height = -static_cast<int32_t>(std::lround(double(points) * pixelsPerInch / 72.0));
    }
    bool operator==(const TMyFont& other) const = default;
};

// The canvas's grid settings.
struct TGridObject
{
    TColor GridColor = 0xC0C0C0;
    double GridHeight = 20.0;
    uint8_t GridPenSize = 1;
    bool GridShow = true;
    TGridType GridType = gLine;
    double GridWidth = 20.0;
    bool operator==(const TGridObject& other) const = default;
};

namespace CanvasMath {

// Rounds to the nearest integer (ties to even) and clamps to the int range, so that
// damaged coordinates (NaN, huge values) never make an undefined conversion.
inline int RoundToInt(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::nearbyint(value);
    if (rounded >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (rounded <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(rounded);
}

// Narrows to float, clamping to the finite float range (NaN stays NaN).
inline float ToFloat(double value)
{
    constexpr double kMax = std::numeric_limits<float>::max();
    if (value > kMax)
        return std::numeric_limits<float>::max();
    if (value < -kMax)
        return -std::numeric_limits<float>::max();
    return static_cast<float>(value);
}

} // namespace CanvasMath
