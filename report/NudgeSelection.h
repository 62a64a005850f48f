#pragma once

#include <optional>

class TMyCAD;

// The report designer's arrow keys: without Shift they move the selected shapes by
// one screen pixel, with Shift they make them one screen pixel wider, narrower,
// taller or lower through the resize handle a mouse would use.
namespace NudgeSelection {

// Screen pixels to move (dx, dy) and to resize (dw, dh) by.
struct Nudge
{
    int dx = 0;
    int dy = 0;
    int dw = 0;
    int dh = 0;
};

// The nudge of an arrow key (a Qt::Key); nothing for any other key.
std::optional<Nudge> ForKey(int key, bool shift);

// Moves, then resizes every selected shape in selection order, and repaints.
// Nothing without a selection or when the nudge is all zero.
void Apply(TMyCAD& canvas, const Nudge& nudge);

} // namespace NudgeSelection
