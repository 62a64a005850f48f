#pragma once

#include "workbench/OperatorPrompt.h"

// Answers every question with its default (Yes, OK, the dialog as it stands) and
// sends messages to MessageSink: the prompt of headless runs such as pelorix-cli.
// Label, colour and font dialogs count as cancelled.
class DefaultAnswerPrompt : public OperatorPrompt
{
public:
    bool AskYesNo(const QString& title, const QString& text) override;
    bool AskOkCancel(const QString& title, const QString& text) override;
    void ShowMessage(const QString& text) override;
    void ShowInformation(const QString& title, const QString& text) override;
    bool RunScaleDialog(ScaleDialogModel& model) override;
    std::optional<QString> AskLabel(const QString& preset) override;
    std::optional<TColor> ChooseColor(TColor initial) override;
    std::optional<TMyFont> ChooseFont(const TMyFont& initial) override;
    void Beep() override { }
};
