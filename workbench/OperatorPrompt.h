#pragma once

#include "canvas/CanvasTypes.h"

#include <QString>

#include <optional>

class ScaleDialogModel;

// What a file dialog offers: filter entries as "Description|pattern" pairs joined
// by "|", the extension added to a name typed without one (without the dot), and
// whether it is a save dialog (which asks before overwriting).
struct FileDialogRequest
{
    QString filter;
    QString defaultExtension;
    bool save = false;
};

// The questions and messages the measuring logic puts to the operator. The main
// window answers them with dialogs, the command-line tool with default answers,
// tests with scripted answers. The logic never opens a dialog itself.
class OperatorPrompt
{
public:
    virtual ~OperatorPrompt() = default;

    // A yes/no question with an information icon; true for Yes.
    virtual bool AskYesNo(const QString& title, const QString& text) = 0;
    // An OK/Cancel question with an information icon; true for OK.
    virtual bool AskOkCancel(const QString& title, const QString& text) = 0;
    // Save, discard or keep working on unsaved marks. A prompt without dialogs
    // keeps the work: the default answer is "cancel".
    enum class SaveChoice { Save, Discard, Cancel };
    virtual SaveChoice AskSaveChanges(const QString& title, const QString& text)
    {
        (void)title;
        (void)text;
        return SaveChoice::Cancel;
    }
    // A plain message box with an OK button.
    virtual void ShowMessage(const QString& text) = 0;
    // A message box with a title and an information icon.
    virtual void ShowInformation(const QString& title, const QString& text) = 0;
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
    // A file open or save dialog; nothing when cancelled. A prompt without
    // dialogs has no file to offer, so the default answer is "cancelled".
    virtual std::optional<QString> AskFileName(const FileDialogRequest& request)
    {
        (void)request;
        return std::nullopt;
    }
};
