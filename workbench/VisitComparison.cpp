#include "workbench/VisitComparison.h"

#include "common/LanguageTable.h"
#include "common/NumberText.h"
#include "workbench/ResultsJson.h"
#include "workbench/Workbench.h"

#include <QJsonArray>

#include <cmath>
#include <iterator>
#include <string_view>

namespace VisitComparison {

namespace {

std::optional<double> RowValue(const ResultsSnapshot& results, int row)
{
    if (row >= int(results.rows.size()))
        return std::nullopt;
    const TGridResult& r = results.rows[size_t(row)];
    // A row without a value shows "-" and holds -1.
    if (r.text == QLatin1String("-") || r.value < 0)
        return std::nullopt;
    return r.value;
}

QString RowText(const ResultsSnapshot& results, int row)
{
    return row < int(results.rows.size()) ? results.rows[size_t(row)].text : QStringLiteral("-");
}

QJsonValue Json(const std::optional<double>& value)
{
    return value && std::isfinite(*value) ? QJsonValue(*value) : QJsonValue();
}

// A count's change: N2 - N1 +- z sqrt(N1 + N2).
std::optional<Interval> CountInterval(const std::optional<double>& n1, const std::optional<double>& n2)
{
    if (!n1 || !n2)
        return std::nullopt;
    const double change = *n2 - *n1;
    const double half = kZ95 * std::sqrt(*n1 + *n2);
    return Interval { change - half, change + half };
}

// A density's change, from the counts behind the densities and the two areas.
std::optional<Interval> DensityInterval(const std::optional<double>& n1, double a1, const std::optional<double>& n2,
    double a2, const std::optional<double>& d1, const std::optional<double>& d2)
{
    if (!n1 || !n2 || !d1 || !d2 || !(a1 > 0) || !(a2 > 0))
        return std::nullopt;
    const double change = *d2 - *d1;
    const double half = kZ95 * std::sqrt(*n1 / (a1 * a1) + *n2 / (a2 * a2));
    return Interval { change - half, change + half };
}

} // namespace

Visit FromResults(const ResultsSnapshot& results, const QString& file)
{
    Visit visit;
    visit.file = file;
    visit.patient = RowText(results, RowName);
    visit.date = RowText(results, RowDate);
    if (const TGridResult* area = RowArea < int(results.rows.size()) ? &results.rows[RowArea] : nullptr) {
        visit.area = area->value > 0 && std::isfinite(area->value) ? area->value : 0.0;
        visit.areaUnit = area->unit;
    }
    if (RowDensity < int(results.rows.size()))
        visit.densityUnit = results.rows[RowDensity].unit;
    visit.thicknessUnit = results.thickness.unit;
    visit.count = RowValue(results, RowCount);
    visit.density = RowValue(results, RowDensity);
    visit.meanThickness = RowValue(results, RowThicknessMean);
    visit.medianThickness = results.thickness.median;
    visit.vellusCount = RowValue(results, RowVellusCount);
    visit.vellusPercentage = results.thickness.vellusPercentage;
    visit.terminalCount = RowValue(results, RowTerminalCount);
    visit.terminalDensity = RowValue(results, RowTerminalDensity);
    visit.follicularUnits = RowValue(results, RowFollicularUnits);
    // No follicular unit shows "-" in the count row; the count is 0 then.
    if (!visit.follicularUnits && RowValue(results, RowFollicularUnitDensity))
        visit.follicularUnits = 0.0;
    visit.follicularUnitDensity = RowValue(results, RowFollicularUnitDensity);
    visit.classes = results.thickness.classes;
    return visit;
}

Comparison Compare(const Visit& first, const Visit& second)
{
    Comparison comparison { first, second, {}, std::nullopt, false };
    const auto figure
        = [&](const char* key, const QString& unit, const std::optional<double> Visit::*member, bool poisson = false) {
              Figure f { key, unit, first.*member, second.*member, std::nullopt, std::nullopt, false, std::nullopt };
              if (f.first && f.second) {
                  f.change = *f.second - *f.first;
                  if (*f.first != 0)
                      f.relativeChange = 100.0 * *f.change / *f.first;
              }
              f.poisson = poisson;
              comparison.figures.push_back(f);
              return &comparison.figures.back();
          };
    const double a1 = first.area;
    const double a2 = second.area;
    figure("count", QString(), &Visit::count, true)->interval = CountInterval(first.count, second.count);
    figure("density", first.densityUnit, &Visit::density, true)->interval
        = DensityInterval(first.count, a1, second.count, a2, first.density, second.density);
    figure("meanThickness", first.thicknessUnit, &Visit::meanThickness);
    figure("medianThickness", first.thicknessUnit, &Visit::medianThickness);
    figure("vellusCount", QString(), &Visit::vellusCount, true)->interval
        = CountInterval(first.vellusCount, second.vellusCount);
    figure("vellusPercentage", QStringLiteral("%"), &Visit::vellusPercentage);
    figure("terminalDensity", first.densityUnit, &Visit::terminalDensity, true)->interval = DensityInterval(
        first.terminalCount, a1, second.terminalCount, a2, first.terminalDensity, second.terminalDensity);
    figure("follicularUnits", QString(), &Visit::follicularUnits, true)->interval
        = CountInterval(first.follicularUnits, second.follicularUnits);
    figure("follicularUnitDensity", first.densityUnit, &Visit::follicularUnitDensity, true)->interval
        = DensityInterval(first.follicularUnits, a1, second.follicularUnits, a2, first.follicularUnitDensity,
            second.follicularUnitDensity);
    if (a1 > 0 && a2 > 0) {
        comparison.areaDifference = 100.0 * (a2 - a1) / a1;
        comparison.areaWarning = std::abs(*comparison.areaDifference) > kAreaTolerance;
    } else {
        // Without both fields nothing says the site is the same.
        comparison.areaWarning = true;
    }
    return comparison;
}

QJsonObject ToJson(const Comparison& comparison)
{
    const auto visit = [&](const Visit& v, bool firstVisit) {
        QJsonObject figures;
        for (const Figure& f : comparison.figures)
            figures.insert(QLatin1String(f.key), Json(firstVisit ? f.first : f.second));
        return QJsonObject { { QStringLiteral("file"), v.file }, { QStringLiteral("patient"), v.patient },
            { QStringLiteral("date"), v.date }, { QStringLiteral("area"), v.area },
            { QStringLiteral("areaUnit"), v.areaUnit }, { QStringLiteral("figures"), figures },
            { QStringLiteral("thicknessClasses"), ResultsJson::ClassesJson(v.classes) } };
    };
    QJsonObject changes;
    for (const Figure& f : comparison.figures) {
        QJsonObject change { { QStringLiteral("unit"), f.unit }, { QStringLiteral("absolute"), Json(f.change) },
            { QStringLiteral("relative"), Json(f.relativeChange) } };
        if (f.poisson)
            change.insert(QStringLiteral("ci95"),
                f.interval ? QJsonValue(QJsonArray { f.interval->lower, f.interval->upper }) : QJsonValue());
        changes.insert(QLatin1String(f.key), change);
    }
    QJsonObject area { { QStringLiteral("first"), comparison.first.area },
        { QStringLiteral("second"), comparison.second.area }, { QStringLiteral("unit"), comparison.first.areaUnit },
        { QStringLiteral("differencePercent"), Json(comparison.areaDifference) },
        { QStringLiteral("warning"), comparison.areaWarning } };
    if (comparison.areaWarning)
        area.insert(QStringLiteral("message"),
            QStringLiteral("the evaluated areas differ by more than 5 %: the site or the field may not be the same"));
    return QJsonObject { { QStringLiteral("first"), visit(comparison.first, true) },
        { QStringLiteral("second"), visit(comparison.second, false) }, { QStringLiteral("changes"), changes },
        { QStringLiteral("area"), area } };
}

std::vector<TextRow> TextRows(const Comparison& comparison, const LanguageTable& texts, QChar separator)
{
    // The language labels of the figures, in the order Compare makes them.
    static const char* const kLabels[]
        = { "LabelCount", "LabelDensity", "LabelThicknessMean", "LabelThicknessMedian", "LabelVellusCount",
              "LabelVellusPercentage", "LabelTerminalDensity", "LabelFollicularUnits", "LabelFollicularUnitDensity" };
    const auto whole = [](const char* key) {
        const std::string_view k(key);
        return k == "count" || k == "vellusCount" || k == "follicularUnits";
    };
    std::vector<TextRow> rows;
    for (size_t i = 0; i < comparison.figures.size(); ++i) {
        const Figure& f = comparison.figures[i];
        const int decimals = whole(f.key) ? 0 : 2;
        const auto number = [&](const std::optional<double>& value, bool sign, int places) {
            if (!value || !std::isfinite(*value))
                return QStringLiteral("-");
            const QString text = NumberText::Fixed(*value, places, separator);
            return sign && *value > 0 ? QLatin1Char('+') + text : text;
        };
        TextRow row;
        row.caption = i < std::size(kLabels) ? texts.Text(QLatin1String(kLabels[i])) : QLatin1String(f.key);
        row.first = number(f.first, false, decimals);
        row.second = number(f.second, false, decimals);
        row.change = number(f.change, true, decimals);
        row.changePercent
            = f.relativeChange ? number(f.relativeChange, true, 1) + QStringLiteral(" %") : QStringLiteral("-");
        row.interval = f.interval ? QLatin1Char('[') + NumberText::Fixed(f.interval->lower, 2, separator)
                + QStringLiteral("; ") + NumberText::Fixed(f.interval->upper, 2, separator) + QLatin1Char(']')
                                  : QStringLiteral("-");
        row.unit = f.unit;
        rows.push_back(row);
    }
    return rows;
}

QString AreaText(double area, QChar separator)
{
    return area > 0 ? NumberText::Fixed(area, 2, separator) : QStringLiteral("-");
}

} // namespace VisitComparison
