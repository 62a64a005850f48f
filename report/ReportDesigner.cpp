#include "report/ReportDesigner.h"

#include "canvas/TMyCAD.h"
#include "common/Prompt.h"
#include "report/NudgeSelection.h"
#include "report/ReportContext.h"

#include <algorithm>

namespace {

const FileDialogRequest kOpenReport(
    QStringLiteral("Norvane Report Design (RAW) (*.nrd)|*.nrd|Norvane ZReport (*.zrp)|*.zrp"), QStringLiteral("nrd"),
    false, QStringLiteral("Open Report"));
const FileDialogRequest kSaveReport(
    QStringLiteral("Norvane Report (*.zrp)|*.zrp"), QStringLiteral("zrp"), true, QStringLiteral("Save Report"));
const FileDialogRequest kOpenResultFile(
    QStringLiteral("*.txt (*.txt)|*.txt"), QString(), false, QStringLiteral("Load Result File"));

} // namespace

ReportDesigner::ReportDesigner(ReportContext& context, Prompt& prompt)
    : m_context(context)
    , m_prompt(&prompt)
{
}

TMyCAD& ReportDesigner::Canvas() const
{
    return m_context.MyCADPrint();
}

bool ReportDesigner::OpenReport()
{
    const std::optional<QString> path = m_prompt->AskFileName(kOpenReport);
    if (!path || path->isEmpty())
        return false;
    m_statusText = m_context.OpenReport(*path) ? *path : m_context.StatusText();
    Canvas().Invalidate();
    return true;
}

bool ReportDesigner::SaveReport()
{
    const std::optional<QString> path = m_prompt->AskFileName(kSaveReport);
    if (!path || path->isEmpty())
        return false;
    QString error;
    m_statusText = m_context.SaveReportTemplate(*path, &error) ? QStringLiteral("Saved: ") + *path : error;
    return true;
}

bool ReportDesigner::LoadResultFile()
{
    const std::optional<QString> path = m_prompt->AskFileName(kOpenResultFile);
    if (!path || path->isEmpty())
        return false;
    m_context.LoadResultData(*path);
    return true;
}

void ReportDesigner::Paste()
{
    Canvas().PasteFromClipboard();
    Canvas().Invalidate();
}

bool ReportDesigner::DeleteSelection()
{
    const bool deleted = !Canvas().GetSelection().empty() && Canvas().DeleteSelectedShapes();
    Canvas().Invalidate();
    return deleted;
}

void ReportDesigner::ChooseTool(TDrawTool tool)
{
    Canvas().SetShapeTool(tool);
}

std::vector<TMyShape*> ReportDesigner::SelectionInListOrder() const
{
    std::vector<TMyShape*> shapes = Canvas().GetSelection();
    std::sort(shapes.begin(), shapes.end(),
        [](const TMyShape* a, const TMyShape* b) { return a->ShapeIndex() < b->ShapeIndex(); });
    return shapes;
}

// Shapes are found again by their ids: each reordering step changes the list.
bool ReportDesigner::BringSelectionToFront()
{
    std::vector<int> ids;
    for (const TMyShape* shape : SelectionInListOrder())
        ids.push_back(shape->ShapeId());
    for (const int id : ids)
        if (TMyShape* shape = Canvas().ShapeById(id))
            Canvas().BringToFront(shape, true);
    Canvas().Invalidate();
    return !ids.empty();
}

bool ReportDesigner::SendSelectionToBack()
{
    std::vector<int> ids;
    for (const TMyShape* shape : SelectionInListOrder())
        ids.insert(ids.begin(), shape->ShapeId());
    for (const int id : ids)
        if (TMyShape* shape = Canvas().ShapeById(id))
            Canvas().SendToBack(shape, true);
    Canvas().Invalidate();
    return !ids.empty();
}

TMyShape* ReportDesigner::ShapeToBind()
{
    TMyShape* shape = Canvas().SelectedShape();
    if (!shape)
        m_statusText = QStringLiteral("Select one text or image box to bind it to variables.");
    return shape;
}

bool ReportDesigner::ShowImage()
{
    return m_context.RunReport(roImage);
}

bool ReportDesigner::ShowPreview()
{
    return m_context.RunReport(roPreview);
}

ReportDesigner::KeyCommand ReportDesigner::KeyPressed(int key, bool shift)
{
    if (const auto nudge = NudgeSelection::ForKey(key, shift)) {
        NudgeSelection::Apply(Canvas(), *nudge);
        return KeyCommand::Nudged;
    }
    if (key == Qt::Key_Delete)
        return KeyCommand::Delete;
    if (key == Qt::Key_Escape)
        return KeyCommand::Select;
    return KeyCommand::None;
}
