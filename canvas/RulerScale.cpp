#include "canvas/RulerScale.h"

#include <cmath>

double RulerScale::ValueStep(int scale, double previous)
{
    struct Band
    {
        int upTo;
        double value;
    };
    static constexpr Band kBands[] = { { 1, 100 }, { 2, 50 }, { 5, 25 }, { 8, 20 }, { 12, 10 }, { 25, 5 }, { 35, 4 },
        { 50, 2 }, { 125, 1 }, { 300, 0.5 }, { 400, 0.25 }, { 500, 0.2 }, { 1000, 0.1 } };
    for (const Band& band : kBands)
        if (scale <= band.upTo)
            return band.value;
    return previous;
}

double RulerScale::TickStep(int scale, TRulerUnit unit, double ppi, double valueStep)
{
    double base = ppi / 10.0 * scale / 100.0;
    if (unit == ruPixel)
        base = scale * 5.0 / 100.0;
    else if (unit != ruInch)
        base /= 2.54;
    return base * valueStep;
}

int RulerScale::TickLength(int k, int longTick, int shortTick)
{
    if (longTick > 0 && k % longTick == 0)
        return 8;
    if (shortTick > 0 && k % shortTick == 0)
        return 6;
    return 0;
}

QString RulerScale::Label(int i, double valueStep, TRulerUnit unit, double offset, bool showMinus)
{
    double value = i * valueStep / 10.0;
    switch (unit) {
    case ruMilli:
        value *= 10.0;
        break;
    case ruMeter:
        value /= 100.0;
        break;
    case ruKilo:
        value /= 100000.0;
        break;
    case ruPixel:
        value = std::round(value * 50.0);
        break;
    case ruInch:
        value = std::round(value * 100.0) / 100.0;
        break;
    default:
        break;
    }
    value += offset;
    if (!showMinus)
        value = std::abs(value);
    // "0.##": at most two decimals, no trailing zeros, no "-0".
    QString text = QString::number(std::round(value * 100.0) / 100.0, 'f', 2);
    while (text.contains(QLatin1Char('.')) && (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

double RulerScale::MillimetresPer(TRulerUnit unit, double ppi)
{
    switch (unit) {
    case ruKilo:
        return 1e6;
    case ruMeter:
        return 1000.0;
    case ruCenti:
        return 10.0;
    case ruMilli:
        return 1.0;
    case ruInch:
        return 25.4;
    case ruPixel:
        return ppi > 0 ? 25.4 / ppi : 0.0;
    default:
        return 0.0;
    }
}

double RulerScale::ConvertOffset(double offset, TRulerUnit from, TRulerUnit to, double ppi)
{
    const double fromMm = MillimetresPer(from, ppi);
    const double toMm = MillimetresPer(to, ppi);
    if (fromMm == 0.0 || toMm == 0.0)
        return offset;
    return offset * fromMm / toMm;
}

QString RulerScale::Abbreviation(TRulerUnit unit)
{
    static const char* const kNames[] = { "km", "m", "cm", "mm", "in", "px", "" };
    return QString::fromLatin1(kNames[unit <= ruNone ? unit : ruNone]);
}

QString RulerScale::UnitName(TRulerUnit unit)
{
    static const char* const kNames[] = { "kilometer", "meter", "centimeter", "millimeter", "inch", "pixel", "" };
    return QString::fromLatin1(kNames[unit <= ruNone ? unit : ruNone]);
}
