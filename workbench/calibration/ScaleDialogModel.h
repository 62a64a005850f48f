#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>

class LanguageTable;

// What the scale dialog "Maßstab" shows and decides, without the window: the
// pixel length of the calibration line, the distance it stands for (scale value)
// with its unit, which fields are editable, and whether the dialog may close.
class ScaleDialogModel
{
public:
    // The unit list in its order: "Pixel", "mm", "µm", "cm".
    static const QStringList& Units();

    const QString& PixelLengthText() const { return m_pixelLength; }
    void SetPixelLengthText(const QString& text) { m_pixelLength = text; }
    // The pixel length field is read-only except during the numeric calibration.
    bool PixelLengthEditable() const { return m_pixelLengthEditable; }
    void SetPixelLengthEditable(bool editable) { m_pixelLengthEditable = editable; }
    const QString& ScaleText() const { return m_scale; }
    void SetScaleText(const QString& text) { m_scale = text; }
    // False while the unit is "Pixel": the scale value then copies the pixel length.
    bool ScaleEnabled() const { return m_scaleEnabled; }

    // -1 when no unit is selected.
    int UnitIndex() const { return m_unitIndex; }
    // Selects a unit by index (-1 for none) and synchronises.
    void SelectUnit(int index);
    // Selects the unit of that text; false (selection unchanged) when it is none of the list.
    bool SelectUnitText(const QString& unitText);
    // The selected unit's text, the first entry when none is selected.
    QString SelectedUnitText() const;

    // When the dialog is shown: select "Pixel" when nothing is selected, then synchronise.
    void Show();
    // On show, on a unit change and when leaving a field: with the unit "Pixel" the
    // scale value takes the pixel length and is disabled, otherwise it is enabled.
    void Synchronise();

    struct CloseCheck
    {
        bool allowed = true;
        QString title; // the message box title when not allowed
        QString text;
    };
    // Whether the dialog may close (OK or the window button): both numbers must be
    // above 0; otherwise the message to show while the dialog stays open.
    CloseCheck CheckClose(const LanguageTable& texts, QChar separator) const;

    // The two numbers; nothing when the text is not a number. The given separator,
    // "." and "," are all accepted.
    std::optional<double> ScaleValue(QChar separator) const;
    std::optional<double> PixelLength(QChar separator) const;

    // The conversion error shown for a text that is not a number.
    static QString NotANumberText(const QString& text);
    static std::optional<double> ParseNumber(const QString& text, QChar separator);

private:
    QString m_pixelLength = QStringLiteral("0");
    bool m_pixelLengthEditable = false;
    QString m_scale = QStringLiteral("100");
    bool m_scaleEnabled = true;
    int m_unitIndex = -1;
};
