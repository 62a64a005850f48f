#pragma once

#include <QString>

#include <optional>
#include <utility>

// What a file dialog offers: filter entries as "Description|pattern" pairs joined
// by "|", the extension added to a name typed without one (without the dot), whether
// it is a save dialog (which asks before overwriting) and its title (empty: the
// platform's).
struct FileDialogRequest
{
    FileDialogRequest() = default;
    FileDialogRequest(QString filter_, QString defaultExtension_, bool save_ = false, QString title_ = QString())
        : filter(std::move(filter_))
        , defaultExtension(std::move(defaultExtension_))
        , save(save_)
        , title(std::move(title_))
    {
    }

    QString filter;
    QString defaultExtension;
    bool save = false;
    QString title;
};

// The questions and messages headless logic of both programs puts to the person at
// the screen. Windows answer them with dialogs (common/ui/DialogPrompt), headless
// runs with default answers, tests with scripted ones: the logic never opens a
// dialog itself. A program's own questions extend this interface (Pelorix's
// OperatorPrompt adds the scale, label, colour and font dialogs).
class Prompt
{
public:
    virtual ~Prompt() = default;

    // A yes/no question with an information icon; true for Yes.
    virtual bool AskYesNo(const QString& title, const QString& text) = 0;
    // An OK/Cancel question with an information icon; true for OK.
    virtual bool AskOkCancel(const QString& title, const QString& text) = 0;
    // Save, discard or keep working on unsaved work. A prompt without dialogs
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
    // A file open or save dialog; nothing when cancelled. A prompt without
    // dialogs has no file to offer, so the default answer is "cancelled".
    virtual std::optional<QString> AskFileName(const FileDialogRequest& request)
    {
        (void)request;
        return std::nullopt;
    }
};
