#pragma once

#include "canvas/CanvasTypes.h"

#include <QString>

#include <memory>

class TMyCAD;
class TMyShape;

// Creates shapes by stream class name or drawing tool, with the canvas's defaults.
namespace ShapeFactory {

// nullptr for a name that names no shape class.
std::unique_ptr<TMyShape> CreateByClassName(const QString& className, TMyCAD* owner);
// The shape a drawing tool makes; nullptr for tools that make none.
std::unique_ptr<TMyShape> CreateForTool(TDrawTool tool, TMyCAD* owner);
// A new shape of the same class on the same canvas, filled by Assign.
std::unique_ptr<TMyShape> Copy(const TMyShape& source);

} // namespace ShapeFactory
