#include "common/ui/LabeledEdit.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

LabeledEdit::LabeledEdit(const QString& caption, QWidget* parent)
    : QWidget(parent)
    , m_label(new QLabel(caption, this))
    , m_edit(new QLineEdit(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_label);
    layout->addWidget(m_edit);
    m_label->setBuddy(m_edit);
}

QString LabeledEdit::text() const
{
    return m_edit->text();
}

void LabeledEdit::setText(const QString& text)
{
    m_edit->setText(text);
}
