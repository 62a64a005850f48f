#pragma once

#include "canvas/CanvasTypes.h"

#include <QString>

#include <vector>

class LanguageTable;

// One row of the results grid.
struct TGridResult
{
    bool header = false; // a section heading drawn across the row
    QString caption;
    QString text = QStringLiteral("-"); // the value as shown
    double value = -1.0; // -1 when the row has no value
    QString unit;
    bool band = false; // drawn in the band colours
    TColor headerColor = 0x9B8787;
    TColor headerTextColor = 0xFFFFFF;
    TColor normalColor = 0xD7EBEB;
    TColor normalTextColor = 0x000000;
    TColor bandColor = 0xFFFFFF;
    TColor bandTextColor = 0x000000;
};

// The 19 rows of the results grid, in their fixed order.
enum ResultRow : int {
    RowPatient,
    RowName,
    RowBirthdate,
    RowImage,
    RowArea,
    RowDate,
    RowHairs,
    RowCount,
    RowDensity,
    RowThicknessMean,
    RowThicknessCum,
    RowLengthMean,
    RowLengthCum,
    RowVellusCount,
    RowVellusDensity,
    RowTerminalCount,
    RowTerminalDensity,
    RowFollicularUnits,
    RowFollicularUnitDensity,
    ResultRowCount
};

// The rows as the start-up creates them: captions from the language texts,
// header and band flags, value text "-".
std::vector<TGridResult> CreateResultRows(const LanguageTable& texts);

// The language label of a row's caption.
QString ResultRowLabel(int row);
