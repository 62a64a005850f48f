#include "canvas/widgets/TFormStringListEditor.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormStringListEditor::TFormStringListEditor(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("String List Editor"));
    auto* layout = new QVBoxLayout(this);
    m_count = new QLabel(this);
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("Memo"));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* clear = buttons->addButton(QStringLiteral("&Clear"), QDialogButtonBox::ResetRole);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    layout->addWidget(m_count);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    connect(clear, &QPushButton::clicked, m_text, &QPlainTextEdit::clear);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_text, &QPlainTextEdit::textChanged, this, &TFormStringListEditor::UpdateCount);
    UpdateCount();
}

QStringList TFormStringListEditor::Lines() const
{
    const QString text = m_text->toPlainText();
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.back().isEmpty())
        lines.removeLast(); // a closing line break starts no line of its own
    return lines;
}

void TFormStringListEditor::SetLines(const QStringList& lines)
{
    m_text->setPlainText(lines.join(QLatin1Char('\n')));
}

QString TFormStringListEditor::LineCountText(int count)
{
    return QString::asprintf("%d line", count) + (count == 1 ? QString() : QStringLiteral("s"));
}

void TFormStringListEditor::UpdateCount()
{
    m_count->setText(LineCountText(static_cast<int>(Lines().size())));
}
