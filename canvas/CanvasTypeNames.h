#pragma once

#include <QStringList>

// The names of the canvas's enumeration values in ordinal order, as the toolkit
// spells them (the property inspector shows them, the command-line dump prints them).
// Each list holds exactly one name per value of the enumeration in CanvasTypes.h.
namespace CanvasTypeNames {

const QStringList& DrawTool();
const QStringList& GradientStyle();
const QStringList& PageStyle();
const QStringList& PageOrientation();
const QStringList& Units();
const QStringList& BkBitmapMode();
const QStringList& GridType();
const QStringList& DragMode();
const QStringList& XYMode();
const QStringList& ArrowStyle();
const QStringList& TickStyle();
const QStringList& LinkLineDrawStyle();
const QStringList& VAlignment();
const QStringList& Alignment();
const QStringList& ArcMode();
const QStringList& ArcStyle();
const QStringList& BrushStyle();
const QStringList& PenMode();
const QStringList& PenStyle();
const QStringList& FontPitch();
// The elements of a font's style set, bit 0 first (fsBold = 1, fsItalic = 2, ...).
const QStringList& FontStyle();

// The name of value `ordinal` in `names`, or the number itself when it names no value
// (damaged files may hold any byte).
QString NameOf(const QStringList& names, int ordinal);

} // namespace CanvasTypeNames
