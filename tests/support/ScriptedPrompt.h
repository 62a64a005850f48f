#pragma once

#include "common/LanguageTable.h"
#include "tests/support/ScriptedQuestions.h"
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
class ScriptedPrompt : public ScriptedQuestions<OperatorPrompt>
{
public:
    using ScaleScript = std::function<bool(ScaleDialogModel&)>;

    std::deque<ScaleScript> scaleDialogs;
    std::deque<std::optional<QString>> labels;
    std::deque<std::optional<TColor>> colors;
    std::deque<TMyFont> fonts; // chosen fonts; the dialog is cancelled when none is left

    QStringList labelPresets;
    QStringList scaleRejections; // texts the scale dialog showed instead of closing
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
};
