#include "report/ui/TFormKeyValueEditor.h"

#include "common/MessageSink.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The small dialog "Add key and value" with its fields "Key" and "Value".
std::optional<std::pair<QString, QString>> RunKeyValueDialog(QWidget* parent, const QString& key, const QString& value)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Add key and value"));
    auto* form = new QFormLayout(&dialog);
    auto* keyEdit = new QLineEdit(key, &dialog);
    keyEdit->setObjectName(QStringLiteral("EditKey"));
    auto* valueEdit = new QLineEdit(value, &dialog);
    valueEdit->setObjectName(QStringLiteral("EditValue"));
    form->addRow(QStringLiteral("Key"), keyEdit);
    form->addRow(QStringLiteral("Value"), valueEdit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return std::make_pair(keyEdit->text(), valueEdit->text());
}

} // namespace

TFormKeyValueEditor::TFormKeyValueEditor(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Key and Value Editor"));
    resize(420, 320);
    auto* layout = new QVBoxLayout(this);
    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName(QStringLiteral("ListKeyValue"));
    m_table->setHorizontalHeaderLabels({ QStringLiteral("Key"), QStringLiteral("Value") });
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(m_table);

    auto* row = new QHBoxLayout;
    const auto button = [this, row](const QString& text, bool (TFormKeyValueEditor::*action)()) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, action] { (this->*action)(); });
        row->addWidget(b);
    };
    button(QStringLiteral("Add"), &TFormKeyValueEditor::AddClick);
    button(QStringLiteral("Delete"), &TFormKeyValueEditor::DeleteClick);
    button(QStringLiteral("Insert"), &TFormKeyValueEditor::InsertClick);
    button(QStringLiteral("Edit"), &TFormKeyValueEditor::EditClick);
    row->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { EditClick(); });
}

void TFormKeyValueEditor::SetPairs(const TUserData& data)
{
    m_table->setRowCount(0);
    for (const auto& [key, value] : data.Pairs()) {
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        PutRow(row, key, value);
    }
}

TUserData TFormKeyValueEditor::Pairs() const
{
    TUserData data;
    for (int row = 0; row < m_table->rowCount(); ++row)
        data.Add(m_table->item(row, 0)->text(), m_table->item(row, 1)->text());
    return data;
}

int TFormKeyValueEditor::RowCount() const
{
    return m_table->rowCount();
}

int TFormKeyValueEditor::SelectedRow() const
{
    const QList<QTableWidgetItem*> selected = m_table->selectedItems();
    return selected.isEmpty() ? -1 : selected.first()->row();
}

void TFormKeyValueEditor::SelectRow(int row)
{
    if (row < 0 || row >= m_table->rowCount())
        m_table->clearSelection();
    else
        m_table->selectRow(row);
}

bool TFormKeyValueEditor::AddClick()
{
    const auto pair = Ask(QString(), QString());
    if (!pair || !Acceptable(pair->first, -1))
        return false;
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    PutRow(row, pair->first, pair->second);
    SelectRow(row);
    return true;
}

bool TFormKeyValueEditor::InsertClick()
{
    const int selected = SelectedRow();
    if (selected < 0) {
        MessageSink::Show(kSelectFirst);
        return false;
    }
    const auto pair = Ask(QString(), QString());
    if (!pair || !Acceptable(pair->first, -1))
        return false;
    m_table->insertRow(selected);
    PutRow(selected, pair->first, pair->second);
    SelectRow(selected);
    return true;
}

bool TFormKeyValueEditor::EditClick()
{
    const int selected = SelectedRow();
    if (selected < 0) {
        MessageSink::Show(kSelectFirst);
        return false;
    }
    const auto pair = Ask(m_table->item(selected, 0)->text(), m_table->item(selected, 1)->text());
    if (!pair || !Acceptable(pair->first, selected))
        return false;
    PutRow(selected, pair->first, pair->second);
    return true;
}

bool TFormKeyValueEditor::DeleteClick()
{
    const int selected = SelectedRow();
    if (selected < 0) {
        MessageSink::Show(kSelectFirst);
        return false;
    }
    m_table->removeRow(selected);
    m_table->clearSelection();
    return true;
}

std::optional<std::pair<QString, QString>> TFormKeyValueEditor::Ask(const QString& key, const QString& value)
{
    auto pair = AskKeyValue ? AskKeyValue(key, value) : RunKeyValueDialog(this, key, value);
    if (pair) {
        pair->first = pair->first.trimmed();
        pair->second = pair->second.trimmed();
    }
    return pair;
}

bool TFormKeyValueEditor::Acceptable(const QString& key, int exceptRow) const
{
    if (key.isEmpty()) {
        MessageSink::Show(kEmptyKey);
        return false;
    }
    for (int row = 0; row < m_table->rowCount(); ++row) {
        if (row != exceptRow && m_table->item(row, 0)->text() == key) {
            MessageSink::Show(kDuplicateKey.arg(key));
            return false;
        }
    }
    return true;
}

void TFormKeyValueEditor::PutRow(int row, const QString& key, const QString& value)
{
    m_table->setItem(row, 0, new QTableWidgetItem(key));
    m_table->setItem(row, 1, new QTableWidgetItem(value));
}
