#include "workbench/calibration/ScaleDialogModel.h"

#include "common/LanguageTable.h"
#include "common/NumberText.h"

#include <cmath>

const QStringList& ScaleDialogModel::Units()
{
    static const QStringList units { QStringLiteral("Pixel"), QStringLiteral("mm"), QStringLiteral("µm"),
        QStringLiteral("cm") };
    return units;
}

void ScaleDialogModel::SelectUnit(int index)
{
    m_unitIndex = index >= 0 && index < Units().size() ? index : -1;
    Synchronise();
}

bool ScaleDialogModel::SelectUnitText(const QString& unitText)
{
    const int index = int(Units().indexOf(unitText));
    if (index < 0)
        return false;
    SelectUnit(index);
    return true;
}

QString ScaleDialogModel::SelectedUnitText() const
{
    return m_unitIndex >= 0 ? Units()[m_unitIndex] : Units().front();
}

void ScaleDialogModel::Show()
{
    if (m_unitIndex < 0)
        m_unitIndex = 0;
    Synchronise();
}

void ScaleDialogModel::Synchronise()
{
    if (m_unitIndex == 0) {
        m_scale = m_pixelLength;
        m_scaleEnabled = false;
    } else {
        m_scaleEnabled = true;
    }
}

std::optional<double> ScaleDialogModel::ParseNumber(const QString& text, QChar separator)
{
    // "0,5" and "0.5" are the same number to an operator, whatever the locale says.
    for (const QChar c : { separator, QChar(u'.'), QChar(u',') })
        if (auto value = NumberText::ParseDouble(text, c))
            return value;
    return std::nullopt;
}

std::optional<double> ScaleDialogModel::ScaleValue(QChar separator) const
{
    return ParseNumber(m_scale, separator);
}

std::optional<double> ScaleDialogModel::PixelLength(QChar separator) const
{
    return ParseNumber(m_pixelLength, separator);
}

QString ScaleDialogModel::NotANumberText(const QString& text)
{
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

ScaleDialogModel::CloseCheck ScaleDialogModel::CheckClose(const LanguageTable& texts, QChar separator) const
{
    for (const QString* field : { &m_scale, &m_pixelLength }) {
        const auto value = ParseNumber(*field, separator);
        if (!value)
            return CloseCheck { false, QString(), NotANumberText(*field) };
        // NaN and infinities are no usable calibration either.
        if (!(*value > 0) || !std::isfinite(*value))
            return CloseCheck { false, texts.Text(QStringLiteral("MessageInvalidValueScale")),
                texts.Text(QStringLiteral("MessageInvalidValueScaleWarn")) };
    }
    return CloseCheck {};
}
