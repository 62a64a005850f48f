#include "common/ui/DialogPrompt.h"

#include "common/ui/FileDialogs.h"

#include <QApplication>

NormalCursor::NormalCursor()
    : m_active(QApplication::overrideCursor() != nullptr)
{
    if (m_active)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
}

NormalCursor::~NormalCursor()
{
    if (m_active)
        QApplication::restoreOverrideCursor();
}

DialogPrompt::DialogPrompt(QWidget* owner, const QString& messageTitle, QMessageBox::Icon messageIcon)
    : m_owner(owner)
    , m_hasOwner(owner != nullptr)
    , m_messageTitle(messageTitle)
    , m_messageIcon(messageIcon)
{
}

QWidget* DialogPrompt::Owner() const
{
    return m_hasOwner ? m_owner.data() : QApplication::activeWindow();
}

int DialogPrompt::Ask(const QString& title, const QString& text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton)
{
    const NormalCursor cursor;
    QMessageBox box(QMessageBox::Information, title, text, buttons, Owner());
    box.setTextFormat(Qt::PlainText); // paths and values are shown as they are
    box.setDefaultButton(defaultButton);
    return box.exec();
}

bool DialogPrompt::AskYesNo(const QString& title, const QString& text)
{
    return Ask(title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

bool DialogPrompt::AskOkCancel(const QString& title, const QString& text)
{
    return Ask(title, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

Prompt::SaveChoice DialogPrompt::AskSaveChanges(const QString& title, const QString& text)
{
    switch (Ask(title, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save)) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

void DialogPrompt::ShowMessage(const QString& text)
{
    const NormalCursor cursor;
    const QString title = m_messageTitle.isEmpty() ? QApplication::applicationName() : m_messageTitle;
    QMessageBox box(m_messageIcon, title, text, QMessageBox::Ok, Owner());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void DialogPrompt::ShowInformation(const QString& title, const QString& text)
{
    Ask(title, text, QMessageBox::Ok, QMessageBox::Ok);
}

std::optional<QString> DialogPrompt::AskFileName(const FileDialogRequest& request)
{
    const NormalCursor cursor;
    const QString path = FileDialogs::Ask(Owner(), request);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}
