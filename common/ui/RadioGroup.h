#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A framed group of radio buttons built from a list of entries, one of which is
// chosen. Language files translate its entries as <component>.Items[i].
class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    explicit RadioGroup(const QString& caption = QString(), QWidget* parent = nullptr);
    // Replaces the entries; nothing is chosen afterwards.
    void SetItems(const QStringList& items);
    int Count() const { return int(m_buttons.size()); }
    QString Item(int index) const;
    void SetItem(int index, const QString& text);
    // -1 when nothing is chosen.
    int ItemIndex() const;
    void SetItemIndex(int index);

signals:
    void ItemIndexChanged(int index);

private:
    QButtonGroup* m_group;
    std::vector<QRadioButton*> m_buttons;
};
