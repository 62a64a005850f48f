#pragma once

#include "workbench/OperatorPrompt.h"

#include <QChar>

#include <utility>

class LanguageTable;
class QWidget;
class TFormLabel;
class TFormScale;

// The operator's answers through real dialogs: message boxes with their titles
// and icons, the scale dialog, the label dialog, the colour and font dialogs.
class WindowPrompt : public OperatorPrompt
{
public:
    WindowPrompt(QWidget& owner, TFormScale& scale, TFormLabel& label);
    // The texts and separator the scale dialog's check uses.
    void SetTexts(const LanguageTable* texts, QChar separator);

    bool AskYesNo(const QString& title, const QString& text) override;
    bool AskOkCancel(const QString& title, const QString& text) override;
    SaveChoice AskSaveChanges(const QString& title, const QString& text) override;
    void ShowMessage(const QString& text) override;
    void ShowInformation(const QString& title, const QString& text) override;
    bool RunScaleDialog(ScaleDialogModel& model) override;
    std::optional<QString> AskLabel(const QString& preset) override;
    std::optional<TColor> ChooseColor(TColor initial) override;
    std::optional<TMyFont> ChooseFont(const TMyFont& initial) override;
    void Beep() override;
    std::optional<QString> AskFileName(const FileDialogRequest& request) override;

    // The next file dialog is answered with this path instead of being shown
    // (files dropped on the window run the same commands as the menu).
    void PresetFileName(const QString& path) { m_presetFile = path; }
    // The file name of the last question answered, taken once.
    QString TakeLastFileName() { return std::exchange(m_lastFile, QString()); }

    // Conversions between the canvas font and the platform font.
    static QFont ToQFont(const TMyFont& font);
    static TMyFont FromQFont(const QFont& font, const TMyFont& base);

private:
    QWidget& m_owner;
    TFormScale& m_scale;
    TFormLabel& m_label;
    const LanguageTable* m_texts = nullptr;
    QChar m_separator = QLatin1Char('.');
    QString m_presetFile;
    QString m_lastFile;
};
