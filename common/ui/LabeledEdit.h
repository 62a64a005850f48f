#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

// An edit box with its own caption label above it. Language files address the
// label as <component>.EditLabel.Caption.
class LabeledEdit : public QWidget
{
    Q_OBJECT
public:
    explicit LabeledEdit(const QString& caption = QString(), QWidget* parent = nullptr);
    QLabel* EditLabel() const { return m_label; }
    QLineEdit* Edit() const { return m_edit; }
    QString text() const;
    void setText(const QString& text);

private:
    QLabel* m_label;
    QLineEdit* m_edit;
};
