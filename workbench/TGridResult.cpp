#include "workbench/TGridResult.h"

#include "common/LanguageTable.h"

namespace {

struct RowSpec
{
    const char* label;
    bool header;
    bool band;
};

constexpr RowSpec kRows[ResultRowCount] = {
    { "LabelPatient", true, false },
    { "LabelName", false, true },
    { "LabelBirthdate", false, false },
    { "LabelImage", true, false },
    { "LabelAreaIncl", false, true },
    { "LabelDate", false, false },
    { "LabelHairs", true, false },
    { "LabelCount", false, true },
    { "LabelDensity", false, false },
    { "LabelThicknessMean", false, true },
    { "LabelThicknessCum", false, false },
    { "LabelLengthMean", false, true },
    { "LabelLengthCum", false, false },
    { "LabelVellusCount", false, true },
    { "LabelVellusDensity", false, false },
    { "LabelTerminalCount", false, true },
    { "LabelTerminalDensity", false, false },
    { "LabelFollicularUnits", false, true },
    { "LabelFollicularUnitDensity", false, false },
};

} // namespace

std::vector<TGridResult> CreateResultRows(const LanguageTable& texts)
{
    std::vector<TGridResult> rows(ResultRowCount);
    for (int i = 0; i < ResultRowCount; ++i) {
        rows[size_t(i)].caption = texts.Text(QLatin1String(kRows[i].label));
        rows[size_t(i)].header = kRows[i].header;
        rows[size_t(i)].band = kRows[i].band;
    }
    return rows;
}

QString ResultRowLabel(int row)
{
    if (row < 0 || row >= ResultRowCount)
        return QString();
    return QLatin1String(kRows[row].label);
}
