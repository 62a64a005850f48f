#pragma once

#include <QDialog>

class LanguageTable;
class QComboBox;
class QLineEdit;
class QPushButton;
class ScaleDialogModel;

// The scale dialog "Maßstab": pixel length of the calibration line, the distance
// it stands for and its unit. A view of ScaleDialogModel: every edit goes into
// the model, which decides what is enabled and whether the dialog may close.
class TFormScale : public QDialog
{
    Q_OBJECT
public:
    explicit TFormScale(QWidget* parent = nullptr);

    // Shows the dialog modally on the model; true for OK, false when closed by
    // the window button. The dialog closes only when the model's check allows it.
    bool Run(ScaleDialogModel& model, const LanguageTable& texts, QChar separator);

    QLineEdit* EditPixelLength() const { return m_pixelLength; }
    QLineEdit* EditScale() const { return m_scale; }
    QComboBox* ComboBoxUnit() const { return m_unit; }
    QPushButton* BitBtnOk() const { return m_ok; }

    void done(int result) override;

private:
    void ToModel();
    void FromModel();

    QLineEdit* m_pixelLength;
    QLineEdit* m_pixelLabel;
    QLineEdit* m_scale;
    QComboBox* m_unit;
    QPushButton* m_ok;
    ScaleDialogModel* m_model = nullptr;
    const LanguageTable* m_texts = nullptr;
    QChar m_separator = QLatin1Char('.');
};
