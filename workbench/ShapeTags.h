#pragma once

#include <QString>

// What a measurement stores in its shapes' user data: the keys, and the type tags
// that tell the special shapes from hairs. Stored in measurement files, so the
// texts never change.
namespace ShapeTags {

// User data keys.
inline const QString kType = QStringLiteral("Type");
inline const QString kThickness = QStringLiteral("Thickness"); // hundredths of a pixel
inline const QString kCaption = QStringLiteral("Caption"); // the label shown after the entry's caption

// Values of kType.
inline const QString kScaleBar = QStringLiteral("M"); // the scale bar
inline const QString kLabelOrBorder = QStringLiteral("T"); // a label, or the exclusion border (named kBorderName)
inline const QString kQuickCount = QStringLiteral("C"); // a quick-count mark
inline const QString kProposal = QStringLiteral("P"); // a hair proposed by detection, not yet accepted

// The shape name of the exclusion border.
inline const QString kBorderName = QStringLiteral("Border");

// The scale bar, labels and the border are no measurement.
inline bool IsSpecialType(const QString& type)
{
    return type == kScaleBar || type == kLabelOrBorder;
}

} // namespace ShapeTags
