#pragma once

#include <array>
#include <string_view>

// The names of the report variables Pelorix hands to Prelvo when it prints, in
// the row order of the variable table. The shipped report template binds its texts
// and pictures to these names, so both sides take them from here.
namespace PrintVariables {

inline constexpr std::array<std::string_view, 40> kNames = {
    "ProgVersion",
    "ProgramName",
    "DateTime",
    "Name",
    "DateOfBirth",
    "ImageDate",
    "TotalCountCaption",
    "TotalCountValue",
    "TotalDensityCaption",
    "TotalDensityValue",
    "TotalDensityUnit",
    "ThicknessMeanCaption",
    "ThicknessMeanValue",
    "ThicknessMeanUnit",
    "Thickness_CumCaption",
    "Thickness_CumValue",
    "Thickness_CumUnit",
    "LengthMeanCaption",
    "LengthMeanValue",
    "LengthMeanUnit",
    "LengthCumCaption",
    "LengthCumValue",
    "LengthCumUnit",
    "VellusCountCaption",
    "VellusCountValue",
    "VellusDensityCaption",
    "VellusDensityValue",
    "VellusDensityUnit",
    "TerminalCountCaption",
    "TerminalCountValue",
    "TerminalDensityCaption",
    "TerminalDensityValue",
    "TerminalDensityUnit",
    "FollicularUnitCountCaption",
    "FollicularUnitCountValue",
    "FollicularUnitDensityCaption",
    "FollicularUnitDensityValue",
    "FollicularUnitDensityUnit",
    "ImageOriginal",
    "ImageAnalysis",
};

// The result quantities of the report in table order: the stem of their
// "...Caption", "...Value" and (when they have one) "...Unit" variables.
struct Quantity
{
    std::string_view stem;
    bool hasUnit;
};
inline constexpr std::array<Quantity, 12> kQuantities = { {
    { "TotalCount", false },
    { "TotalDensity", true },
    { "ThicknessMean", true },
    { "Thickness_Cum", true },
    { "LengthMean", true },
    { "LengthCum", true },
    { "VellusCount", false },
    { "VellusDensity", true },
    { "TerminalCount", false },
    { "TerminalDensity", true },
    { "FollicularUnitCount", false },
    { "FollicularUnitDensity", true },
} };

// The follow-up report ("Verlauf.zrp") gets the 40 variables above for the first
// visit, then these: the second visit's picture date and marked picture, the
// chart of both thickness distributions, the two evaluated areas and the warning
// when they differ, and per compared figure its caption, both values, the change,
// the change in percent, the 95 % interval and the unit.
inline constexpr std::array<std::string_view, 7> kFollowUpNames = {
    "ImageDate2",
    "ImageAnalysis2",
    "ThicknessChart",
    "AreaFirst",
    "AreaSecond",
    "AreaUnit",
    "AreaWarning",
};
// The compared figures in table order; each gives "Cmp" + stem + one of kComparisonColumns.
inline constexpr std::array<std::string_view, 9> kComparisonStems = {
    "Count",
    "Density",
    "ThicknessMean",
    "ThicknessMedian",
    "VellusCount",
    "VellusPercentage",
    "TerminalDensity",
    "FollicularUnitCount",
    "FollicularUnitDensity",
};
inline constexpr std::array<std::string_view, 7> kComparisonColumns = {
    "Caption",
    "First",
    "Second",
    "Change",
    "ChangePercent",
    "Interval",
    "Unit",
};

} // namespace PrintVariables
