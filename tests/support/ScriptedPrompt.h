#pragma once

#include "common/LanguageTable.h"
#include "workbench/OperatorPrompt.h"
#include "workbench/calibration/ScaleDialogModel.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <utility>

// An OperatorPrompt that answers from scripts queued by the test and records
// everything it was asked. Unscripted questions get Yes/OK, the scale dialog is
// closed with OK as it stands, and label, colour and font dialogs are cancelled.
class ScriptedPrompt : public OperatorPrompt
{
public:
    using ScaleScript = std::function<bool(ScaleDialogModel&)>;

    std::deque<bool> yesNo;
    std::deque<bool> okCancel;
    std::deque<ScaleScript> scaleDialogs;
    std::deque<std::optional<QString>> labels;
    std::deque<std::optional<TColor>> colors;
    std::deque<TMyFont> fonts; // chosen fonts; the dialog is cancelled when none is left
    std::deque<std::optional<QString>> fileNames; // unscripted file dialogs are cancelled

    QStringList questions; // titles of yes/no and OK/Cancel questions
    QStringList messages; // plain messages
    QList<std::pair<QString, QString>> informations; // titled messages
    QStringList labelPresets;
    QStringList scaleRejections; // texts the scale dialog showed instead of closing
    QList<FileDialogRequest> fileRequests; // the file dialogs shown
    int scaleDialogCount = 0;
    int beeps = 0;

    // A scripted operator: types the pixel length (when editable), picks the unit,
    // types the scale value (when enabled) and presses OK or the window button.
    // The dialog closes only when its check allows it; a refused close is recorded
    // and counts as the window button.
    static ScaleScript Answer(
        const QString& pixelLength, const QString& scaleValue, const QString& unit, bool ok = true)
    {
        return [=](ScaleDialogModel& model) {
            if (model.PixelLengthEditable() && !pixelLength.isEmpty())
                model.SetPixelLengthText(pixelLength);
            if (!unit.isEmpty())
                model.SelectUnitText(unit);
            if (model.ScaleEnabled() && !scaleValue.isEmpty())
                model.SetScaleText(scaleValue);
            model.Synchronise();
            return ok;
        };
    }

    bool AskYesNo(const QString& title, const QString&) override
    {
        questions << title;
        return Next(yesNo, true);
    }
    bool AskOkCancel(const QString& title, const QString&) override
    {
        questions << title;
        return Next(okCancel, true);
    }
    void ShowMessage(const QString& text) override { messages << text; }
    void ShowInformation(const QString& title, const QString& text) override { informations.append({ title, text }); }
    bool RunScaleDialog(ScaleDialogModel& model) override
    {
        ++scaleDialogCount;
        model.Show();
        ScaleScript script = Next(scaleDialogs, ScaleScript([](ScaleDialogModel&) { return true; }));
        const bool ok = script(model);
        const ScaleDialogModel::CloseCheck check = model.CheckClose(LanguageTable::Pelorix(), QLatin1Char('.'));
        if (!check.allowed) {
            scaleRejections << check.text;
            return false;
        }
        return ok;
    }
    std::optional<QString> AskLabel(const QString& preset) override
    {
        labelPresets << preset;
        if (labels.empty())
            return std::nullopt;
        const bool answered = labels.front().has_value();
        const QString text = answered ? *labels.front() : QString();
        labels.pop_front();
        if (!answered)
            return std::nullopt;
        return text;
    }
    std::optional<TColor> ChooseColor(TColor) override { return Next(colors, std::optional<TColor>()); }
    std::optional<TMyFont> ChooseFont(const TMyFont&) override
    {
        if (fonts.empty())
            return std::nullopt;
        const TMyFont chosen = fonts.front();
        fonts.pop_front();
        return chosen;
    }
    void Beep() override { ++beeps; }
    std::optional<QString> AskFileName(const FileDialogRequest& request) override
    {
        fileRequests.append(request);
        if (fileNames.empty())
            return std::nullopt;
        const std::optional<QString> name = fileNames.front();
        fileNames.pop_front();
        return name;
    }

private:
    template <typename T> static T Next(std::deque<T>& queue, T fallback)
    {
        if (!queue.empty()) {
            std::swap(fallback, queue.front());
            queue.pop_front();
        }
        return fallback;
    }
};
