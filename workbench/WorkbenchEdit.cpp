// The keyboard and the edit and option commands: copy, paste, delete, select
// all, line colour, font and label, with the scale-bar protection.
#include "workbench/Workbench.h"

#include "canvas/TMyLine.h"
#include "canvas/TMyPolyBezier.h"
#include "canvas/TMyRectangle.h"
#include "workbench/OperatorPrompt.h"
#include "workbench/ShapeTags.h"

bool Workbench::IsSpecialShape(const TMyShape* shape) const
{
    const int id = shape->ShapeId();
    return (m_state.ScaleBarId >= 0 && id == m_state.ScaleBarId) || (m_state.BorderId >= 0 && id == m_state.BorderId);
}

bool Workbench::KeyPressed(Key key, bool shift)
{
    switch (key) {
    case Key::Delete:
        DeleteCommand();
        return false;
    case Key::Escape:
        m_cad.SetShapeTool(m_cad.ShapeTool());
        return false;
    case Key::Left:
    case Key::Right:
    case Key::Up:
    case Key::Down:
        break;
    default:
        return false;
    }
    const double dx = key == Key::Left ? -1 : key == Key::Right ? 1 : 0;
    const double dy = key == Key::Up ? -1 : key == Key::Down ? 1 : 0;
    if (shift)
        MoveHandles(dx, dy);
    else
        for (TMyShape* shape : m_cad.GetSelection())
            m_cad.MoveShapeBy(shape, dx, dy);
    return true;
}

void Workbench::MoveHandles(double dx, double dy)
{
    bool measuredChanged = false;
    TMyShape* movedBar = nullptr;
    for (TMyShape* shape : m_cad.GetSelection()) {
        const int handle = ArrowResizeNode(shape->Kind());
        if (handle < 0 || handle >= int(shape->Nodes().size()) || shape->Locked())
            continue;
        TMyPoint& node = shape->Nodes()[size_t(handle)];
        node.x = float(node.x + dx / m_state.Zoom);
        node.y = float(node.y + dy / m_state.Zoom);
        shape->ResetCenter();
        if (shape->ShapeId() == m_state.ScaleBarId)
            movedBar = shape;
        else if (m_tree.FindTop(shape->ShapeId()) >= 0)
            measuredChanged = true;
    }
    m_cad.SetModified(true);
    m_cad.Invalidate();
    // A changed length must show in the results, and a changed bar is a new calibration.
    if (movedBar != nullptr)
        m_calibration.RecalibrateFromBar(movedBar);
    else if (measuredChanged)
        RecomputeAll();
}

bool Workbench::ScaleBarProtected()
{
    TMyShape* bar = m_cad.ShapeById(m_state.ScaleBarId);
    if (bar == nullptr || m_cad.IndexInSelection(bar) < 0)
        return false;
    m_prompt.ShowInformation(m_texts.Text(QStringLiteral("MessageMeasureSelected")),
        m_texts.Text(QStringLiteral("MessageMeasureSelectedWarn")));
    return true;
}

bool Workbench::CopyCommand()
{
    if (ScaleBarProtected() || m_cad.SelectedCount() == 0)
        return false;
    m_cad.CopyToClipboard();
    return true;
}

void Workbench::PasteCommand()
{
    m_cad.PasteFromClipboard();
}

void Workbench::DeleteCommand()
{
    if (ScaleBarProtected())
        return;
    DeleteSelection();
}

void Workbench::DeleteSelection()
{
    BeginDeleteBatch();
    m_cad.DeleteSelectedShapes();
    EndDeleteBatch();
}

void Workbench::SelectAllCommand()
{
    for (int i = 0; i < m_cad.ShapeCount(); ++i) {
        TMyShape* shape = m_cad.ShapeByIndex(i);
        if (!IsSpecialShape(shape))
            m_cad.SelectShape(shape);
    }
    MirrorSelectionInTree();
    m_cad.Invalidate();
    ResultsChanged();
}

void Workbench::LineColorCommand()
{
    const std::optional<TColor> color = m_prompt.ChooseColor(m_cad.Pen().color);
    if (!color)
        return;
    TMyPen canvasPen = m_cad.Pen();
    canvasPen.color = *color;
    m_cad.SetPen(canvasPen);
    for (TMyShape* shape : m_cad.GetSelection()) {
        TMyPen pen = shape->Pen();
        pen.color = *color;
        shape->SetPen(pen);
        TMyFont font = shape->Font();
        font.color = *color;
        shape->SetFont(font);
    }
    m_cad.Invalidate();
}

void Workbench::FontCommand()
{
    std::optional<TMyFont> chosen = m_prompt.ChooseFont(m_cad.Font());
    if (!chosen)
        return;
    chosen->height = std::abs(chosen->height);
    m_cad.SetFont(*chosen);
    for (TMyShape* shape : m_cad.GetSelection()) {
        shape->SetFont(*chosen);
        auto* text = dynamic_cast<TMyText*>(shape);
        if (text == nullptr || text->Nodes().empty())
            continue;
        // Text is drawn scaled with the picture, so its box is measured at zoom 1,
        // as a new label's box is.
        const QSizeF size = MeasureText(text->Lines().value(0), *chosen);
        const TMyPoint corner = text->Nodes().front();
        const auto w = float(size.width());
        const auto h = float(size.height());
        text->Nodes() = { corner, TMyPoint { corner.x + w, corner.y }, TMyPoint { corner.x + w, corner.y + h },
            TMyPoint { corner.x, corner.y + h } };
        text->ResetCenter();
    }
    m_cad.Invalidate();
}

void Workbench::LabelCommand()
{
    const std::vector<TMyShape*> selection = m_cad.GetSelection();
    if (selection.empty()) {
        m_prompt.Beep();
        return;
    }
    const TMyShape* first = selection.front();
    const auto* firstText = dynamic_cast<const TMyText*>(first);
    const QString preset
        = firstText != nullptr ? firstText->Lines().value(0) : first->UserData().GetValue(ShapeTags::kCaption);
    const std::optional<QString> answer = m_prompt.AskLabel(preset);
    if (!answer)
        return;
    const QString text = answer->trimmed();
    for (TMyShape* shape : selection) {
        if (auto* label = dynamic_cast<TMyText*>(shape)) {
            label->SetLines({ text });
            continue;
        }
        // Every measured kind takes the label, follicular units and plain lines included.
        const ShapeKind kind = shape->Kind();
        if (kind == ShapeKind::RuleLine || kind == ShapeKind::Line || kind == ShapeKind::Polygon
            || kind == ShapeKind::PolyBezier || kind == ShapeKind::Ellipse) {
            shape->UserData().Delete(ShapeTags::kCaption);
            shape->UserData().Add(ShapeTags::kCaption, text);
        }
    }
    RecomputeAll();
    m_cad.Invalidate();
}
