#pragma once

#include "workbench/ThicknessDistribution.h"

#include <QChar>
#include <QJsonObject>
#include <QString>

#include <optional>
#include <vector>

class LanguageTable;
struct ResultsSnapshot;

// Two visits of the same scalp site side by side: the key figures of each, their
// changes, and for counts and densities a 95 % confidence interval of the change.
//
// The counts of a visit are taken as Poisson counts in its evaluated area A, so a
// count N has variance N and a density D = N / A variance N / A². The change of a
// count is N2 - N1 with standard error sqrt(N1 + N2); the change of a density is
// D2 - D1 with standard error sqrt(N1 / A1² + N2 / A2²). The interval is the change
// +- 1.96 standard errors (the normal approximation of the Poisson difference).
namespace VisitComparison {

// The figures of one visit.
struct Visit
{
    QString file; // as given
    QString patient; // the name row's text, "-" without one
    QString date; // the picture date row's text, "-" without one
    QString areaUnit; // "cm²" when calibrated in millimetres
    double area = 0.0; // evaluated area in areaUnit (0: no field)
    QString densityUnit;
    QString thicknessUnit;
    // The figures; nothing where the results show no value.
    std::optional<double> count, density, meanThickness, medianThickness, vellusCount, vellusPercentage, terminalCount,
        terminalDensity, follicularUnits, follicularUnitDensity;
    std::vector<ThicknessClass> classes;
};

Visit FromResults(const ResultsSnapshot& results, const QString& file);

struct Interval
{
    double lower = 0.0;
    double upper = 0.0;
};

// One figure in both visits and its change.
struct Figure
{
    const char* key; // JSON name, e.g. "density"
    QString unit;
    std::optional<double> first, second;
    std::optional<double> change; // second - first
    std::optional<double> relativeChange; // percent of the first; nothing when the first is 0
    bool poisson = false; // a count or density: it has an interval when both visits have it
    std::optional<Interval> interval;
};

struct Comparison
{
    Visit first;
    Visit second;
    std::vector<Figure> figures; // in the order of the JSON and the window's table
    std::optional<double> areaDifference; // percent of the first visit's area
    bool areaWarning = false; // the areas differ by more than 5 %
};

inline constexpr double kZ95 = 1.959963984540054; // two-sided 95 % normal quantile
inline constexpr double kAreaTolerance = 5.0; // percent

Comparison Compare(const Visit& first, const Visit& second);

QJsonObject ToJson(const Comparison& comparison);

// One figure as the window's table and the printed report show it: counts as
// whole numbers, the rest with two decimals, changes with their sign, the
// interval as "[lower; upper]", "-" where there is nothing.
struct TextRow
{
    QString caption, first, second, change, changePercent, interval, unit;
};
std::vector<TextRow> TextRows(const Comparison& comparison, const LanguageTable& texts, QChar separator);
// The evaluated area of a visit as shown ("0.79").
QString AreaText(double area, QChar separator);

} // namespace VisitComparison
