#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;
class QPushButton;

// The label dialog "Beschriftung": one edit field with OK and "Abbrechen".
class TFormLabel : public QDialog
{
    Q_OBJECT
public:
    explicit TFormLabel(QWidget* parent = nullptr);
    // Shows the dialog preset with a text; the entered text on OK, nothing when cancelled.
    std::optional<QString> Ask(const QString& preset);
    QLineEdit* EditText() const { return m_edit; }

private:
    QLineEdit* m_edit;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
