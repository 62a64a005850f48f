#include "report/NudgeSelection.h"

#include "canvas/ShapeKind.h"
#include "canvas/TMyCAD.h"
#include "canvas/TMyCADMouse.h"
#include "canvas/TMyShape.h"

#include <Qt>

namespace NudgeSelection {

std::optional<Nudge> ForKey(int key, bool shift)
{
    int x = 0;
    int y = 0;
    switch (key) {
    case Qt::Key_Left:
        x = -1;
        break;
    case Qt::Key_Right:
        x = 1;
        break;
    case Qt::Key_Up:
        y = -1;
        break;
    case Qt::Key_Down:
        y = 1;
        break;
    default:
        return std::nullopt;
    }
    if (shift)
        return Nudge { 0, 0, x, y };
    return Nudge { x, y, 0, 0 };
}

void Apply(TMyCAD& canvas, const Nudge& nudge)
{
    const bool any = nudge.dx != 0 || nudge.dy != 0 || nudge.dw != 0 || nudge.dh != 0;
    if (!any || canvas.SelectedCount() == 0)
        return;
    // Remembered by id: a handler of the move may change the selection or the list.
    std::vector<int> ids;
    for (const TMyShape* shape : canvas.GetSelection())
        ids.push_back(shape->ShapeId());
    for (const int id : ids) {
        TMyShape* shape = canvas.ShapeById(id);
        if (!shape)
            continue;
        canvas.MoveShapeBy(shape, nudge.dx, nudge.dy);
        shape = canvas.ShapeById(id);
        if (!shape || (nudge.dw == 0 && nudge.dh == 0))
            continue;
        const int handle = ArrowResizeNode(shape->Kind());
        if (handle < 0 || handle >= static_cast<int>(shape->Nodes().size()))
            continue;
        const TMyPoint corner = shape->GetNode(handle);
        const double zoom = canvas.Zoom();
        canvas.Mouse().ResizeByHandle(*shape, handle, QPointF(corner.x * zoom + nudge.dw, corner.y * zoom + nudge.dh));
    }
    canvas.Invalidate();
}

} // namespace NudgeSelection
