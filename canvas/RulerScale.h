#pragma once

#include <QString>

// Units a ruler can show.
enum TRulerUnit : uint8_t { ruKilo, ruMeter, ruCenti, ruMilli, ruInch, ruPixel, ruNone };

// The arithmetic of the rulers (tick spacing, labels, unit changes), kept apart from
// the widgets so that it runs and is tested without a display.
namespace RulerScale {

// The value step v of a scale in percent: 100 at 1, 50 at 2, ... 0.1 up to 1000;
// above 1000 the previous value stays, which the caller passes as previous.
double ValueStep(int scale, double previous);
// The pixel distance between two step positions: PPI / 10 x scale / 100 (divided by
// 2.54 for all units but inches; scale x 5 / 100 for pixels), times the value step.
double TickStep(int scale, TRulerUnit unit, double ppi, double valueStep);
// Length of tick number k in pixels: 8 for multiples of the long tick, 6 for those of
// the short tick, 0 (not drawn) otherwise.
int TickLength(int k, int longTick, int shortTick);
// The label at step position i: i x v / 10 in the unit, plus the offset, "0.##".
QString Label(int i, double valueStep, TRulerUnit unit, double offset, bool showMinus);
// Millimetres per one of the unit (pixels at the given PPI); 0 for ruNone.
double MillimetresPer(TRulerUnit unit, double ppi);
// An offset converted from one unit to another (kept for ruNone).
double ConvertOffset(double offset, TRulerUnit from, TRulerUnit to, double ppi);
// The unit's abbreviation ("km", "m", "cm", "mm", "in", "px") and name ("kilometer" ...).
QString Abbreviation(TRulerUnit unit);
QString UnitName(TRulerUnit unit);

} // namespace RulerScale
