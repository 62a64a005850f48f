#include "workbench/DefaultAnswerPrompt.h"

#include "common/MessageSink.h"
#include "workbench/calibration/ScaleDialogModel.h"

bool DefaultAnswerPrompt::AskYesNo(const QString&, const QString&)
{
    return true;
}

bool DefaultAnswerPrompt::AskOkCancel(const QString&, const QString&)
{
    return true;
}

void DefaultAnswerPrompt::ShowMessage(const QString& text)
{
    MessageSink::Show(text);
}

void DefaultAnswerPrompt::ShowInformation(const QString& title, const QString& text)
{
    MessageSink::Show(title.isEmpty() ? text : title + QStringLiteral(": ") + text);
}

bool DefaultAnswerPrompt::RunScaleDialog(ScaleDialogModel& model)
{
    model.Show();
    return true;
}

std::optional<QString> DefaultAnswerPrompt::AskLabel(const QString&)
{
    return std::nullopt;
}

std::optional<TColor> DefaultAnswerPrompt::ChooseColor(TColor)
{
    return std::nullopt;
}

std::optional<TMyFont> DefaultAnswerPrompt::ChooseFont(const TMyFont&)
{
    return std::nullopt;
}
