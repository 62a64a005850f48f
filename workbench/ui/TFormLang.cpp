#include "workbench/ui/TFormLang.h"

#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QVBoxLayout>

TFormLang::TFormLang(const LanguageTable& builtIn, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_table(builtIn)
{
    setObjectName(builtIn.WindowName());
    setWindowTitle(builtIn.Caption());
    auto* layout = new QVBoxLayout(this);
    QHash<QString, QVBoxLayout*> groups;
    for (const LanguageTable::Entry& entry : builtIn.Entries()) {
        QVBoxLayout*& groupLayout = groups[entry.group];
        if (groupLayout == nullptr) {
            auto* box = new QGroupBox(builtIn.GroupCaption(entry.group), this);
            box->setObjectName(entry.group);
            groupLayout = new QVBoxLayout(box);
            layout->addWidget(box);
        }
        auto* label = new QLabel(entry.text, this);
        label->setObjectName(entry.label);
        label->setTextFormat(Qt::PlainText);
        groupLayout->addWidget(label);
        m_labels.emplace_back(entry.label, label);
    }
}

LanguageTable TFormLang::Texts() const
{
    LanguageTable table = m_table;
    for (const auto& [name, label] : m_labels)
        table.SetText(name, label->text());
    return table;
}
