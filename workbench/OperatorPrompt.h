#pragma once

#include "canvas/CanvasTypes.h"
#include "common/Prompt.h"

#include <QString>

#include <optional>

class ScaleDialogModel;

// The questions and messages the measuring logic puts to the operator: the shared
// ones of Prompt and the measuring program's own dialogs. The main window answers
// them with dialogs, the command-line tool with default answers, tests with
// scripted answers. The logic never opens a dialog itself.
class OperatorPrompt : public Prompt
{
public:
    // Shows the scale dialog on the model (the dialog calls Show() and lets the
    // operator edit; it closes only when CheckClose allows it). True for OK,
    // false when closed by the window button.
    virtual bool RunScaleDialog(ScaleDialogModel& model) = 0;
    // The label dialog "Beschriftung" preset with a text; nothing when cancelled.
    virtual std::optional<QString> AskLabel(const QString& preset) = 0;
    // The colour dialog; nothing when cancelled.
    virtual std::optional<TColor> ChooseColor(TColor initial) = 0;
    // The font dialog preset with a font; nothing when cancelled.
    virtual std::optional<TMyFont> ChooseFont(const TMyFont& initial) = 0;
    // The platform's beep for a command that has nothing to act on.
    virtual void Beep() = 0;
};
