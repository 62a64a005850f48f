#pragma once

#include "common/Prompt.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

// The shared questions answered by real dialogs: message boxes (texts shown as they
// are, never as markup) and the file dialogs, owned by a window (or, without one, by
// the window active at the time). Questions show the normal pointer even while the
// program is busy.
class DialogPrompt : public Prompt
{
public:
    // Plain messages get `messageTitle` (empty: the application's name) and `messageIcon`.
    explicit DialogPrompt(
        QWidget* owner, const QString& messageTitle = QString(), QMessageBox::Icon messageIcon = QMessageBox::NoIcon);

    bool AskYesNo(const QString& title, const QString& text) override;
    bool AskOkCancel(const QString& title, const QString& text) override;
    SaveChoice AskSaveChanges(const QString& title, const QString& text) override;
    void ShowMessage(const QString& text) override;
    void ShowInformation(const QString& title, const QString& text) override;
    std::optional<QString> AskFileName(const FileDialogRequest& request) override;

    // The window that owns the dialogs.
    QWidget* Owner() const;

private:
    int Ask(const QString& title, const QString& text, QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton);

    QPointer<QWidget> m_owner;
    bool m_hasOwner;
    QString m_messageTitle;
    QMessageBox::Icon m_messageIcon;
};

// Shows the normal pointer while it lives, when the program shows a busy one.
class NormalCursor
{
public:
    NormalCursor();
    ~NormalCursor();
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

private:
    bool m_active;
};
