#pragma once

#include "workbench/WorkbenchState.h"

#include <QCursor>
#include <QIcon>

// The tool bar's pictures and the canvas cursors, drawn at twice the logical
// size so that they stay sharp on high-resolution screens.
namespace ToolIcons {

// Pictures of the extra toggles beside the ToolButton group.
enum class Toggle { Border, HideHairs, Grid, Results };

QIcon Icon(ToolButton button);
QIcon Icon(Toggle toggle);
// The measure cursor ("CRMEASURE"): select mode, empty canvas and scale tools.
QCursor MeasureCursor();
// The measure-add cursor ("CRMEASUREADD"): drawing tools and the pointer over a shape.
QCursor MeasureAddCursor();

} // namespace ToolIcons
