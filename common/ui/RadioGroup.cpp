#include "common/ui/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent)
    , m_group(new QButtonGroup(this))
{
    new QVBoxLayout(this);
    connect(m_group, &QButtonGroup::idClicked, this, &RadioGroup::ItemIndexChanged);
}

void RadioGroup::SetItems(const QStringList& items)
{
    for (QRadioButton* button : m_buttons)
        delete button;
    m_buttons.clear();
    for (const QString& item : items) {
        auto* button = new QRadioButton(item, this);
        m_group->addButton(button, int(m_buttons.size()));
        layout()->addWidget(button);
        m_buttons.push_back(button);
    }
}

QString RadioGroup::Item(int index) const
{
    return index >= 0 && index < Count() ? m_buttons[size_t(index)]->text() : QString();
}

void RadioGroup::SetItem(int index, const QString& text)
{
    if (index >= 0 && index < Count())
        m_buttons[size_t(index)]->setText(text);
}

int RadioGroup::ItemIndex() const
{
    return m_group->checkedId();
}

void RadioGroup::SetItemIndex(int index)
{
    if (index >= 0 && index < Count())
        m_buttons[size_t(index)]->setChecked(true);
}
