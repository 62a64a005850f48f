#include "workbench/ui/TFormLabel.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormLabel::TFormLabel(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_edit(new QLineEdit(this))
    , m_ok(new QPushButton(QStringLiteral("OK"), this))
    , m_cancel(new QPushButton(QStringLiteral("Abbrechen"), this))
{
    setObjectName(QStringLiteral("FormLabel"));
    setWindowTitle(QStringLiteral("Beschriftung"));
    setModal(true);
    m_edit->setObjectName(QStringLiteral("EditLabel"));
    m_edit->setMinimumWidth(260);
    m_ok->setObjectName(QStringLiteral("ButtonOk"));
    m_cancel->setObjectName(QStringLiteral("ButtonCancel"));
    m_ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_edit);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<QString> TFormLabel::Ask(const QString& preset)
{
    m_edit->setText(preset);
    m_edit->selectAll();
    m_edit->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_edit->text();
}
