#pragma once

#include <QString>

#include <optional>

// The length units a picture can be calibrated in. Densities are always given
// per square centimetre and thicknesses in micrometres, whatever the unit.
namespace LengthUnits {

// Micrometres in one unit of `unitText` ("mm", "µm", "cm"); nothing for "Pixel"
// or any other text, which means the picture is not calibrated.
inline std::optional<double> MicrometresPer(const QString& unitText)
{
    if (unitText == QLatin1String("mm"))
        return 1000.0;
    if (unitText == QStringLiteral("µm"))
        return 1.0;
    if (unitText == QLatin1String("cm"))
        return 10000.0;
    return std::nullopt;
}

// Hairs this thick or thinner are vellus hairs.
constexpr double kVellusLimitMicrometres = 40.0;

} // namespace LengthUnits
