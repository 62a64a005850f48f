#include "workbench/ui/WindowPrompt.h"

#include "common/LanguageTable.h"
#include "workbench/ui/FileDialogs.h"
#include "workbench/ui/ResultsGrid.h"
#include "workbench/ui/TFormLabel.h"
#include "workbench/ui/TFormScale.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>
#include <QMessageBox>

#include <cmath>
#include <utility>

namespace {

// Dialogs show the normal pointer even while the window is busy.
class NormalCursor
{
public:
    NormalCursor()
        : m_active(QApplication::overrideCursor() != nullptr)
    {
        if (m_active)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalCursor()
    {
        if (m_active)
            QApplication::restoreOverrideCursor();
    }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

private:
    bool m_active;
};

int Ask(QWidget* owner, const QString& title, const QString& text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton)
{
    const NormalCursor cursor;
    QMessageBox box(QMessageBox::Information, title, text, buttons, owner);
    box.setTextFormat(Qt::PlainText); // paths and values are shown as they are
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

WindowPrompt::WindowPrompt(QWidget& owner, TFormScale& scale, TFormLabel& label)
    : m_owner(owner)
    , m_scale(scale)
    , m_label(label)
{
}

void WindowPrompt::SetTexts(const LanguageTable* texts, QChar separator)
{
    m_texts = texts;
    m_separator = separator;
}

bool WindowPrompt::AskYesNo(const QString& title, const QString& text)
{
    return Ask(&m_owner, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

bool WindowPrompt::AskOkCancel(const QString& title, const QString& text)
{
    return Ask(&m_owner, title, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

OperatorPrompt::SaveChoice WindowPrompt::AskSaveChanges(const QString& title, const QString& text)
{
    switch (
        Ask(&m_owner, title, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save)) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

void WindowPrompt::ShowMessage(const QString& text)
{
    const NormalCursor cursor;
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, &m_owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void WindowPrompt::ShowInformation(const QString& title, const QString& text)
{
    Ask(&m_owner, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool WindowPrompt::RunScaleDialog(ScaleDialogModel& model)
{
    static const LanguageTable builtIn = LanguageTable::Pelorix();
    return m_scale.Run(model, m_texts != nullptr ? *m_texts : builtIn, m_separator);
}

std::optional<QString> WindowPrompt::AskLabel(const QString& preset)
{
    return m_label.Ask(preset);
}

std::optional<TColor> WindowPrompt::ChooseColor(TColor initial)
{
    const QColor color = QColorDialog::getColor(ColorOf(initial), &m_owner);
    if (!color.isValid())
        return std::nullopt;
    return TColor(color.red() | (color.green() << 8) | (color.blue() << 16));
}

QFont WindowPrompt::ToQFont(const TMyFont& font)
{
    QFont result(font.name);
    if (font.size > 0)
        result.setPointSize(font.size);
    else
        result.setPixelSize(std::max(1, std::abs(font.height)));
    result.setBold((font.style & fsBold) != 0);
    result.setItalic((font.style & fsItalic) != 0);
    result.setUnderline((font.style & fsUnderline) != 0);
    result.setStrikeOut((font.style & fsStrikeOut) != 0);
    return result;
}

TMyFont WindowPrompt::FromQFont(const QFont& font, const TMyFont& base)
{
    TMyFont result = base;
    result.name = font.family();
    result.style = uint8_t((font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0)
        | (font.underline() ? fsUnderline : 0) | (font.strikeOut() ? fsStrikeOut : 0));
    result.SetSize(font.pointSize() > 0 ? font.pointSize() : std::max(1, font.pixelSize() * 72 / 96));
    return result;
}

std::optional<TMyFont> WindowPrompt::ChooseFont(const TMyFont& initial)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, ToQFont(initial), &m_owner);
    if (!ok)
        return std::nullopt;
    return FromQFont(chosen, initial);
}

void WindowPrompt::Beep()
{
    QApplication::beep();
}

std::optional<QString> WindowPrompt::AskFileName(const FileDialogRequest& request)
{
    if (!m_presetFile.isEmpty()) {
        m_lastFile = std::exchange(m_presetFile, QString());
        return m_lastFile;
    }
    const NormalCursor cursor;
    const QString path = FileDialogs::Ask(&m_owner, request);
    if (path.isEmpty())
        return std::nullopt;
    m_lastFile = path;
    return path;
}
